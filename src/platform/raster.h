// The raster: bitmaps, pens, brushes, fonts and the device contexts that draw with them.
//
// Pure software, no backend: a device context draws into the surface of the bitmap
// selected into it (memory device contexts) or of a window (window.h). Every primitive
// clips to the context's clip rectangle and to its surface before it touches a pixel.
//
// Objects belong to whoever created them (std::unique_ptr); a device context only
// refers to the objects selected into it. Destroying an object that is still selected
// puts the context's stock object of that kind back in its place, so a context never
// refers to a destroyed object. Stock objects (stockPen and friends) live for the whole
// process and are never destroyed.
//
// Thread: the user-interface thread only. Nothing is locked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "surface.h"

namespace orbitone::platform {

class DeviceContext;
class Window;
struct FontRealization;

enum class StockPen : std::uint8_t { Black, White, Null };
enum class StockBrush : std::uint8_t { White, Black, Null };

// ---------------------------------------------------------------------------------
// Objects

enum class ObjectKind : std::uint8_t { Bitmap, Pen, Brush, Font, DeviceContext };
inline constexpr std::size_t kObjectKindCount = 5;

// How many objects of each kind were created and destroyed in this process (stock
// objects do not count). Tests use it to prove that nothing leaks or is re-created.
struct ObjectCounts {
    std::uint64_t created[kObjectKindCount] = {};
    std::uint64_t destroyed[kObjectKindCount] = {};
    std::uint64_t createdOf(ObjectKind k) const { return created[std::size_t(k)]; }
    std::uint64_t liveOf(ObjectKind k) const {
        return created[std::size_t(k)] - destroyed[std::size_t(k)];
    }
};
ObjectCounts objectCounts();

// The most objects (all kinds together) that may exist at once; creating one more fails.
// The platform keeps a quota like the systems it stands in for, so that a run-away
// creator fails instead of exhausting memory.
inline constexpr std::size_t kDefaultObjectLimit = 10000;
void setObjectLimit(std::size_t maxLiveObjects);

// Common part of bitmaps, pens, brushes and fonts: which device contexts have it
// selected, so that its destruction can deselect it.
class RasterObject {
public:
    RasterObject(const RasterObject&) = delete;
    RasterObject& operator=(const RasterObject&) = delete;
    ObjectKind kind() const { return kind_; }
    bool isStock() const { return stock_; }

protected:
    RasterObject(ObjectKind kind, bool stock);
    ~RasterObject();

private:
    friend class DeviceContext;
    ObjectKind kind_;
    bool stock_;
    std::vector<DeviceContext*> selectedIn_;
};

// The largest width or height of a bitmap, and the most bytes its pixels may take.
inline constexpr std::int32_t kMaxBitmapDimension = 32768;
inline constexpr std::int64_t kMaxBitmapBytes = std::int64_t{256} << 20;

// Pixels of a stated format, owned. Created zeroed (black).
class Bitmap : public RasterObject {
public:
    // Null when a size is negative or too large, memory is short or the object quota is
    // used up. A size of 0 gives a bitmap without pixels.
    [[nodiscard]] static std::unique_ptr<Bitmap> create(std::int32_t width, std::int32_t height,
                                                        PixelFormat format);
    ~Bitmap();

    const Surface& surface() const { return surface_; }
    std::int32_t width() const { return surface_.width; }
    std::int32_t height() const { return surface_.height; }
    PixelFormat format() const { return surface_.format; }

private:
    friend Bitmap& stockBitmap();
    Bitmap(Surface surface, std::unique_ptr<std::uint8_t[]> storage, bool stock);
    std::unique_ptr<std::uint8_t[]> storage_;
    Surface surface_;
};

enum class PenStyle : std::uint8_t {
    Solid,
    // One pixel on, one off, along lines and polylines, restarting with each line
    // call; the gaps take the background colour when the background mode is opaque.
    // Only pens of width 1 are dotted: a wider dotted pen draws solid. Curves are
    // always drawn solid.
    Dotted,
    Null,  // draws nothing; shapes drawn with it are filled only
};

struct PenDesc {
    PenStyle style = PenStyle::Solid;
    std::int32_t width = 1;  // in pixels; 0 or less means 1
    PlatformColor color = kPlatformBlack;
    friend bool operator==(const PenDesc&, const PenDesc&) = default;
};

class Pen : public RasterObject {
public:
    [[nodiscard]] static std::unique_ptr<Pen> create(const PenDesc& desc);
    const PenDesc& desc() const { return desc_; }
    // The width actually drawn: at least 1.
    std::int32_t drawnWidth() const { return desc_.width > 1 ? desc_.width : 1; }
    // Whether lines are drawn with the dotted pattern.
    bool isDotted() const { return desc_.style == PenStyle::Dotted && drawnWidth() == 1; }

private:
    friend Pen& stockPen(StockPen);
    Pen(const PenDesc& desc, bool stock) : RasterObject(ObjectKind::Pen, stock), desc_(desc) {}
    PenDesc desc_;
};

enum class BrushStyle : std::uint8_t { Solid, Null };

struct BrushDesc {
    BrushStyle style = BrushStyle::Solid;
    PlatformColor color = kPlatformWhite;
    friend bool operator==(const BrushDesc&, const BrushDesc&) = default;
};

class Brush : public RasterObject {
public:
    [[nodiscard]] static std::unique_ptr<Brush> create(const BrushDesc& desc);
    const BrushDesc& desc() const { return desc_; }

private:
    friend Brush& stockBrush(StockBrush);
    Brush(const BrushDesc& desc, bool stock)
        : RasterObject(ObjectKind::Brush, stock), desc_(desc) {}
    BrushDesc desc_;
};

// Font weights, pitches, families and character sets of a font description.
inline constexpr std::int32_t kWeightNormal = 400;
inline constexpr std::int32_t kWeightBold = 700;
inline constexpr std::uint8_t kPitchDefault = 0;
inline constexpr std::uint8_t kPitchFixed = 1;
inline constexpr std::uint8_t kPitchVariable = 2;
inline constexpr std::uint8_t kFamilyDontCare = 0 << 4;
inline constexpr std::uint8_t kFamilyRoman = 1 << 4;
inline constexpr std::uint8_t kFamilySwiss = 2 << 4;
inline constexpr std::uint8_t kFamilyModern = 3 << 4;
inline constexpr std::uint8_t kFamilyScript = 4 << 4;
inline constexpr std::uint8_t kFamilyDecorative = 5 << 4;

enum class CharSet : std::uint8_t {
    Ansi,    // text bytes are Windows-1252 characters
    Symbol,  // text bytes are codes of the font's own symbol encoding
};

struct FontDesc {
    // Negative: the character height (em size) in pixels. Positive: the cell height
    // (ascent plus descent). 0: a default of 16 pixels of character height.
    std::int32_t height = 0;
    std::int32_t weight = kWeightNormal;  // 100..900; 0 means normal
    bool italic = false;
    bool underline = false;
    std::uint8_t pitchAndFamily = kPitchDefault | kFamilyDontCare;
    CharSet charSet = CharSet::Ansi;
    // Looked up with fontconfig: the face itself or a face the system configures as its
    // replacement (Liberation Sans for "Arial" on Debian). A face that cannot be found
    // draws no text and measures 0 wide.
    std::string faceName;
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

class Font : public RasterObject {
public:
    [[nodiscard]] static std::unique_ptr<Font> create(const FontDesc& desc);
    ~Font();
    const FontDesc& desc() const { return desc_; }
    // Whether a face was found for the description (resolving it on first use).
    bool hasFace() const;

private:
    friend Font& stockFont();
    friend const FontRealization* realize(const Font& font);
    Font(const FontDesc& desc, bool stock);
    FontDesc desc_;
    mutable std::shared_ptr<const FontRealization> realization_;
    mutable bool realized_ = false;
};

Pen& stockPen(StockPen which);
Brush& stockBrush(StockBrush which);
Font& stockFont();  // a sans-serif face, 16 pixels of character height
// The 1 x 1 monochrome bitmap a memory device context holds before a bitmap of its
// own is selected. Drawing into it changes nothing.
Bitmap& stockBitmap();

// ---------------------------------------------------------------------------------
// Device contexts

enum class BackgroundMode : std::uint8_t { Transparent, Opaque };

// How lines and shape fills combine the pen or brush colour P with the pixel D.
enum class MixMode : std::uint8_t {
    Copy,    // P
    Merge,   // D | P
    NotXor,  // ~(D ^ P)
};

// How a block transfer combines the source pixel S with the destination pixel D.
enum class BlitOp : std::uint8_t {
    Copy,  // S
    Xor,   // S ^ D
    And,   // S & D
};

enum class TextAlign : std::uint8_t { Left, Center, Right };

// The largest width or height of the box of an ellipse, arc or pie.
inline constexpr std::int64_t kMaxShapeExtent = std::int64_t{1} << 27;

class DeviceContext : public RasterObject {
public:
    enum class Target : std::uint8_t { Memory, Window, Screen };

    ~DeviceContext();

    Target targetKind() const { return target_; }
    Window* window() const { return window_; }
    // The pixels drawn into: the selected bitmap's or the window's; empty for the
    // screen and for a memory context that holds only the stock bitmap.
    Surface surface() const;
    // The pixel format of bitmaps compatible with this context (createCompatibleBitmap):
    // the selected bitmap's for a memory context, Xrgb32 for the others.
    PixelFormat compatibleFormat() const;

    // Selection. Each returns the object selected before. Selecting null changes
    // nothing and returns null. Bitmaps can be selected into memory contexts only
    // (other contexts answer null and keep their surface).
    Pen* select(Pen* pen);
    Brush* select(Brush* brush);
    Font* select(Font* font);
    Bitmap* select(Bitmap* bitmap);
    Pen* pen() const { return pen_; }
    Brush* brush() const { return brush_; }
    Font* font() const { return font_; }
    Bitmap* bitmap() const { return bitmap_; }

    // Attributes; each setter returns the previous value. A new context has black text
    // on a white background, opaque background mode and the copy mix mode.
    PlatformColor setTextColor(PlatformColor color);
    PlatformColor setBackgroundColor(PlatformColor color);
    BackgroundMode setBackgroundMode(BackgroundMode mode);
    MixMode setMixMode(MixMode mode);
    PlatformColor textColor() const { return textColor_; }
    PlatformColor backgroundColor() const { return backgroundColor_; }
    BackgroundMode backgroundMode() const { return backgroundMode_; }
    MixMode mixMode() const { return mixMode_; }

    // Clip: a rectangle in device coordinates (normalised when inverted), or none for
    // the whole surface.
    void selectClipRect(std::optional<PixelRect> rect);
    std::optional<PixelRect> clipRect() const { return clip_; }
    // How many times a clip was selected into this context.
    std::uint64_t clipSelectionCount() const { return clipSelections_; }

    // Lines, with the selected pen and the mix mode. A line goes from the pen
    // position to the point and leaves out its end pixel (pens of width 1; wider
    // pens draw the full stroke with round ends); the point becomes the pen position.
    PixelPoint moveTo(PixelPoint p);  // returns the previous position
    PixelPoint position() const { return position_; }
    void lineTo(PixelPoint p);
    // Lines through the points in turn; each leaves out its end pixel (so every vertex
    // is drawn once and the last point not at all). The pen position is not used.
    void polyline(std::span<const PixelPoint> points);

    // Shapes: filled with the selected brush and outlined with the selected pen, both
    // through the mix mode.
    //
    // Polygon: even-odd fill of the pixels whose centres (x + 0.5, y + 0.5) lie inside,
    // then the closed outline through the points.
    void polygon(std::span<const PixelPoint> points);
    // Ellipse in the box: with a pen its outline passes through the box's outermost
    // pixel rows and columns (left .. right - 1, top .. bottom - 1) and the brush fills
    // the pixels inside the outline. With the null pen the figure is one pixel smaller
    // on the right and bottom: the brush fills exactly the pixels inside the outline a
    // pen would draw for the box grown by one pixel on the left and top. Boxes wider or
    // taller than kMaxShapeExtent draw nothing.
    void ellipse(const PixelRect& box);
    // Outline of the part of the box's ellipse from the ray through `start` to the ray
    // through `end`, counter-clockwise as seen on the screen; the whole outline when
    // both rays coincide. Drawn with the pen only.
    void arc(const PixelRect& box, PixelPoint start, PixelPoint end);
    // The same sweep filled as a slice, with the two radii outlined by the pen; with the
    // null pen one pixel smaller on the right and bottom, as for ellipse.
    void pie(const PixelRect& box, PixelPoint start, PixelPoint end);
    // Fills the rectangle with the brush, copying (no mix mode, no pen).
    void fillRect(const PixelRect& rect, const Brush& brush);

    // Pixels. setPixel answers the colour actually set, kInvalidColor when the pixel is
    // outside the clip or the surface; getPixel answers kInvalidColor there.
    PlatformColor setPixel(PixelPoint p, PlatformColor color);
    PlatformColor getPixel(PixelPoint p) const;
    // Fills the 4-connected area of pixels of `surfaceColor` around p with the brush,
    // inside the clip. False when p is outside the clip or not of that colour.
    bool floodFill(PixelPoint p, PlatformColor surfaceColor);

    // Text in the selected font (stockFont until one is selected). The extent is the
    // sum of the glyph advances by the font's line height.
    PixelSize textExtent(std::string_view text) const;
    // One line of text in the rectangle: placed by `align`, centred vertically,
    // clipped to the rectangle. Glyphs are blended in the text colour by their
    // coverage (antialiased); the opaque background mode first paints the background
    // colour behind the text (its extent, within the rectangle). The mix mode does not
    // apply to text.
    void drawText(std::string_view text, const PixelRect& rect, TextAlign align);

private:
    friend class RasterObject;
    friend std::unique_ptr<DeviceContext> createMemoryDC(const DeviceContext*);
    friend DeviceContext* getWindowDC(Window*);
    DeviceContext(Target target, Window* window);
    void objectDestroyed(RasterObject* object);
    template <typename T>
    T* selectObject(T*& slot, T* object);
    PixelRect clipBounds(const Surface& surface) const;

    Target target_;
    Window* window_ = nullptr;
    Bitmap* bitmap_ = nullptr;
    Pen* pen_ = nullptr;
    Brush* brush_ = nullptr;
    Font* font_ = nullptr;
    PlatformColor textColor_ = kPlatformBlack;
    PlatformColor backgroundColor_ = kPlatformWhite;
    BackgroundMode backgroundMode_ = BackgroundMode::Opaque;
    MixMode mixMode_ = MixMode::Copy;
    std::optional<PixelRect> clip_;
    std::uint64_t clipSelections_ = 0;
    PixelPoint position_{};
};

// A memory device context compatible with `other` (null: with the screen). It starts
// with stockBitmap selected, the black pen, the white brush and the stock font.
[[nodiscard]] std::unique_ptr<DeviceContext> createMemoryDC(const DeviceContext* other);

// A zeroed bitmap in the context's compatible format (null context: the screen's):
// the format of the selected bitmap for memory contexts, Xrgb32 otherwise.
[[nodiscard]] std::unique_ptr<Bitmap> createCompatibleBitmap(const DeviceContext* dc,
                                                             std::int32_t width,
                                                             std::int32_t height);

// Block transfer of size.width x size.height pixels from `source` at sourceOrigin to
// `dest` at destOrigin, combined by `op`. Clipped to the destination's clip and surface
// and to the source's surface: destination pixels whose source pixel lies outside the
// source surface are left unchanged. Source and destination may be the same pixels.
// Between formats:
//   colour to monochrome: pixels equal to the source's background colour become white
//     (1), all others black (0);
//   monochrome to colour: black becomes the destination's text colour, white its
//     background colour.
// False when a size is not positive or a context has no pixels.
bool blit(DeviceContext& dest, PixelPoint destOrigin, PixelSize size, const DeviceContext& source,
          PixelPoint sourceOrigin, BlitOp op);

}  // namespace orbitone::platform
