// CPaintContext: a platform device context seen in toolkit coordinates, with the
// toolkit's drawing vocabulary.
//
// Every coordinate handed to a drawing operation is shifted by `offset` first, except
// where an operation says it takes device coordinates. Containers move `offset` (and
// `windowOrigin`) while they draw or route events to their children.
//
// A context creates one pen, one brush and one font of its own at most, each only when
// its attribute changes, and deletes them when it is destroyed; it never deletes a
// device context it was given. [ui thread] Contexts are short-lived: made for one paint
// or event and released afterwards.
#pragma once

#include <cstdint>
#include <memory>

#include "color.h"
#include "font_table.h"
#include "frame_drawing_services.h"
#include "geometry.h"
#include "raster.h"
#include "ref_counted.h"
#include "window.h"

namespace orbitone {

// Pen modes: how lines and shape fills combine with the pixels. Other values: copy.
inline constexpr std::int32_t kPenModeCopy = 0;
inline constexpr std::int32_t kPenModeMerge = 1;
inline constexpr std::int32_t kPenModeNotXor = 2;

// Line patterns. Other values: solid.
inline constexpr std::int32_t kLinePatternSolid = 0;
inline constexpr std::int32_t kLinePatternDotted = 1;

// Button-state bits, as mouse operations take and answer them.
inline constexpr std::int32_t buttonLeft = 1;  // the user's primary button
inline constexpr std::int32_t buttonMiddle = 2;
inline constexpr std::int32_t buttonRight = 4;
inline constexpr std::int32_t modShift = 8;
inline constexpr std::int32_t modControl = 16;
inline constexpr std::int32_t modAlt = 32;
// Passed as a button state: poll the buttons at that moment.
inline constexpr std::int32_t kPollButtonState = -1;

// Whether the user's primary button is the physical right one: read from the system
// when the frames' window class is registered. Process-wide.
inline bool swapButtons = false;

// The rectangle a context without a frame clips to at first.
inline constexpr Rect kDefaultClipRect{0, 0, 1000, 1000};

class CPaintContext : public CRefCounted {
public:
    // Any of the three may be null. With a window but no device context the context
    // gets the window's device context itself and gives it back when destroyed.
    CPaintContext(FrameDrawingServices* frame, platform::DeviceContext* deviceContext,
                  platform::Window* window);
    ~CPaintContext() override;

    platform::DeviceContext* getPlatformDC() const { return deviceContext; }
    platform::Window* getWindow() const { return window; }
    FrameDrawingServices* getFrame() const { return frame; }

    // Attributes; each applies to the device context at once.
    void setPenMode(std::int32_t mode);
    void setLinePattern(std::int32_t pattern);
    void setPenWidth(std::int32_t width);
    void setStrokeColor(Color color);
    void setBrushColor(Color color);  // also the background colour of opaque text
    void setTextColor(Color color);
    // Font `fontId` of the font table (0 for ids outside 0..7) at `size` pixels of
    // character height (0: the table's size) with the style bits.
    void selectFont(std::int32_t fontId, std::int32_t size = 0, std::int32_t style = 0);

    std::int32_t getPenMode() const { return penMode; }
    std::int32_t getLinePattern() const { return linePattern; }
    std::int32_t getPenWidth() const { return penWidth; }
    Color getStrokeColor() const { return strokeColor; }
    Color getBrushColor() const { return brushColor; }
    Color getTextColor() const { return textColor; }
    std::int32_t getFontId() const { return fontId; }
    std::int32_t getFontSize() const { return fontSize; }

    // Lines leave out their end pixel.
    void movePenTo(Point p);
    void drawLineTo(Point p);
    void strokePolyline(const Point* points, std::int32_t count);
    void fillPolygonInterior(const Point* points, std::int32_t count);
    // The outline covers columns left..right and rows top..bottom inclusive.
    void strokeRect(const Rect& r);
    // Exactly the inside of strokeRect's outline: columns left+1..right-1, rows
    // top+1..bottom-1.
    void fillRectInterior(const Rect& r);
    // The inside of strokeEllipse's outline for the same rectangle.
    void fillEllipseInterior(const Rect& r);
    // The ellipse through columns left..right and rows top..bottom, from the ray
    // through `from` counter-clockwise to the ray through `to`.
    void strokeArc(const Rect& r, Point from, Point to);
    void strokeEllipse(const Rect& r);
    // Degrees, 0 pointing right, counter-clockwise positive.
    void strokeArcByAngles(const Rect& r, float startDegrees, float endDegrees);
    void fillPie(const Rect& r, Point from, Point to);
    void setPixelAt(Point p, Color color);
    Color getPixelAt(Point p) const;  // alpha is always 255
    // Fills the connected area of the colour found at p with the brush.
    void floodFillAt(Point p);

    // The width of the text in the current font; 0 for null text.
    std::int32_t measureText(const char* text) const;
    // One line, vertically centred in r; left alignment starts one pixel in from r's
    // left edge. Opaque text is drawn on the brush colour. Afterwards the background
    // mode is transparent.
    void drawText(const char* text, const Rect& r, bool opaque = false,
                  std::int32_t alignment = alignLeft);

    // Clip to r (in this context's coordinates). Selecting the clip that is already in
    // effect does nothing.
    void setClip(const Rect& r);
    // The current clip in the caller's coordinates (clipRect minus offset).
    Rect& getClip(Rect& rect) const;
    // The clip in device coordinates.
    const Rect& getClipRect() const { return clipRect; }
    // Back to the frame's bounds, or kDefaultClipRect without a frame.
    void resetClip();

    // Copies sourceRect of `source` (in the source's coordinates) to (destX, destY) of
    // this context, in device coordinates (this context's offset is not added).
    void copyRectFrom(CPaintContext& source, const Rect& sourceRect, std::int32_t destX,
                      std::int32_t destY);
    // Copies the size of destRect from sourceOrigin of this context (device
    // coordinates) to destRect of `dest` (in dest's coordinates).
    void copyRectTo(CPaintContext& dest, const Rect& destRect, Point sourceOrigin);

    // The mouse, polled now. The buttons and modifiers held (button-state bits; the
    // user's primary button is buttonLeft whichever physical button it is).
    std::int32_t getButtonState() const;
    // The cursor relative to windowOrigin.
    void getMouseInContext(Point& point) const;
    // After a button-down: whether a second press of the primary button follows within
    // the double-click time of that button-down, before the cursor moves 2 pixels away.
    bool awaitSecondClick() const;
    // After a button-down: whether the cursor moves 2 pixels away before the primary
    // button goes up. The frame's idleHost runs while it waits. False without a frame.
    bool awaitDragStart() const;

    // Screen position of the window's top-left corner; (0, 0) without a window.
    // Containers shift it while they route mouse events.
    Point windowOrigin;
    // Added to every coordinate before it reaches the device context.
    Point offset;

protected:
    platform::PixelPoint device(Point p) const;
    platform::PixelRect device(const Rect& r) const;
    void recreatePen();

    platform::DeviceContext* deviceContext = nullptr;
    platform::Window* window = nullptr;
    FrameDrawingServices* frame = nullptr;
    std::int32_t fontSize = 0;
    std::int32_t fontId = 0;
    Color textColor = colorWhite;
    std::int32_t penWidth = 1;
    Color strokeColor = colorWhite;
    Color brushColor = colorBlack;
    std::int32_t linePattern = kLinePatternSolid;
    std::int32_t penMode = kPenModeCopy;
    Rect clipRect = kDefaultClipRect;
    std::unique_ptr<platform::Brush> brush;
    std::unique_ptr<platform::Pen> pen;
    std::unique_ptr<platform::Font> font;
    platform::Brush* savedBrush = nullptr;
    platform::Pen* savedPen = nullptr;
    platform::Font* savedFont = nullptr;
    platform::PenStyle platformPenStyle = platform::PenStyle::Solid;
    platform::DeviceContext* acquiredDeviceContext = nullptr;
};

}  // namespace orbitone
