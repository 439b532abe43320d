// Fonts: a face name found with fontconfig, glyphs rendered by FreeType (antialiased,
// 8-bit coverage), text measured and drawn into device contexts.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "raster_internal.h"

namespace orbitone::platform {

namespace detail {
bool quotaAllows();
}

namespace {

constexpr std::int32_t kDefaultCharacterHeight = 16;
constexpr std::size_t kMaxCachedRealizations = 128;
constexpr char kStockFontFace[] = "sans-serif";

// Characters 0x80 .. 0x9F of Windows-1252; the other bytes are Latin-1 code points.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kWindows1252High[byte - 0x80];
    return byte;
}

std::string lowercase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isGenericFamily(std::string_view name) {
    const std::string n = lowercase(name);
    return n.empty() || n == "sans-serif" || n == "sans" || n == "serif" || n == "monospace";
}

// A face file as fontconfig found it for a description.
struct FaceChoice {
    std::string file;
    int index = 0;
    bool needsBold = false;     // bold was asked for and the face is not bold
    bool needsOblique = false;  // italic was asked for and the face is upright
};

// Finds the file for (face, weight, italic). The face must be the one asked for or one
// the system's configuration binds strongly to it (its metric-compatible replacement);
// fontconfig's last-resort fallbacks do not count, so a face that does not exist is
// reported as missing instead of drawn in some other font.
std::optional<FaceChoice> chooseFace(const FontDesc& desc) {
    const bool bold = desc.weight >= 600;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return std::nullopt;
    const std::string family = desc.faceName.empty() ? std::string(kStockFontFace) : desc.faceName;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, desc.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    std::vector<std::string> acceptable;
    FcValue value;
    FcValueBinding binding;
    for (int i = 0;
         FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i)
        if (binding == FcValueBindingStrong && value.type == FcTypeString)
            acceptable.push_back(lowercase(reinterpret_cast<const char*>(value.u.s)));

    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return std::nullopt;

    bool accepted = isGenericFamily(desc.faceName);
    FcChar8* name = nullptr;
    for (int i = 0; !accepted && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch;
         ++i)
        accepted = std::find(acceptable.begin(), acceptable.end(),
                             lowercase(reinterpret_cast<const char*>(name))) != acceptable.end();
    FcChar8* file = nullptr;
    std::optional<FaceChoice> choice;
    if (accepted && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        choice.emplace();
        choice->file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &choice->index);
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        choice->needsBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        choice->needsOblique = desc.italic && slant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return choice;
}

struct Glyph {
    std::int32_t advance = 0;  // pixels
    std::int32_t left = 0;     // from the pen position to the coverage's first column
    std::int32_t top = 0;      // from the baseline up to the coverage's first row
    std::int32_t width = 0;
    std::int32_t rows = 0;
    std::vector<std::uint8_t> coverage;  // width x rows, 0 .. 255
};

}  // namespace

// A font description made concrete: a FreeType face at a pixel size, with the glyphs
// rendered so far.
struct FontRealization {
    FT_Face face = nullptr;
    bool synthesizeBold = false;
    bool synthesizeOblique = false;
    bool underline = false;
    std::int32_t ascent = 0;
    std::int32_t descent = 0;
    std::int32_t underlineOffset = 0;  // below the baseline, pixels
    std::int32_t underlineThickness = 1;
    mutable std::unordered_map<FT_UInt, Glyph> glyphs;

    FontRealization() = default;
    FontRealization(const FontRealization&) = delete;
    FontRealization& operator=(const FontRealization&) = delete;
    ~FontRealization() {
        if (face != nullptr) FT_Done_Face(face);
    }
    std::int32_t lineHeight() const { return ascent + descent; }
    FT_UInt glyphIndex(unsigned char byte) const;
    const Glyph& glyph(FT_UInt index) const;
};

namespace {

// Process-wide FreeType state and the cache of realised fonts. Created on first use and
// never destroyed, so that fonts may be released at any time until the process ends.
class FontEngine {
public:
    static FontEngine& instance() {
        static FontEngine* const engine = new FontEngine;
        return *engine;
    }

    // The caller holds mutex().
    std::shared_ptr<const FontRealization> realize(const FontDesc& desc) {
        if (library_ == nullptr) return nullptr;
        const auto key = std::make_tuple(lowercase(desc.faceName), desc.height, desc.weight >= 600,
                                         desc.italic, desc.underline);
        if (auto it = cache_.find(key); it != cache_.end()) return it->second;
        auto realization = create(desc);
        if (cache_.size() >= kMaxCachedRealizations) cache_.clear();
        cache_.emplace(key, realization);
        return realization;
    }

    std::mutex& mutex() { return mutex_; }

private:
    FontEngine() {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }

    std::shared_ptr<const FontRealization> create(const FontDesc& desc) {
        const std::optional<FaceChoice> choice = chooseFace(desc);
        if (!choice) return nullptr;
        auto r = std::make_shared<FontRealization>();
        if (FT_New_Face(library_, choice->file.c_str(), choice->index, &r->face) != 0) {
            r->face = nullptr;
            return nullptr;
        }
        FT_Face face = r->face;
        if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && face->num_charmaps > 0)
            FT_Set_Charmap(face, face->charmaps[0]);
        const std::int32_t height = desc.height == 0 ? -kDefaultCharacterHeight : desc.height;
        FT_Size_RequestRec request{};
        // A negative height is the em size; a positive one ascent plus descent.
        request.type = height < 0 ? FT_SIZE_REQUEST_TYPE_NOMINAL : FT_SIZE_REQUEST_TYPE_REAL_DIM;
        request.height = FT_Long(height < 0 ? -std::int64_t(height) : height) * 64;
        if (FT_Request_Size(face, &request) != 0) return nullptr;
        r->synthesizeBold = choice->needsBold;
        r->synthesizeOblique = choice->needsOblique;
        r->underline = desc.underline;
        const FT_Size_Metrics& m = face->size->metrics;
        r->ascent = std::int32_t((m.ascender + 63) >> 6);
        r->descent = std::int32_t((-m.descender + 63) >> 6);
        if (FT_IS_SCALABLE(face)) {
            const FT_Long position = FT_MulFix(face->underline_position, m.y_scale);
            const FT_Long thickness = FT_MulFix(face->underline_thickness, m.y_scale);
            r->underlineOffset = std::max<std::int32_t>(1, std::int32_t((-position + 32) >> 6));
            r->underlineThickness = std::max<std::int32_t>(1, std::int32_t((thickness + 32) >> 6));
        } else {
            r->underlineOffset = 1;
        }
        return r;
    }

    std::mutex mutex_;
    FT_Library library_ = nullptr;
    std::map<std::tuple<std::string, std::int32_t, bool, bool, bool>,
             std::shared_ptr<const FontRealization>>
        cache_;
};

}  // namespace

FT_UInt FontRealization::glyphIndex(unsigned char byte) const {
    if (FT_UInt index = FT_Get_Char_Index(face, FT_ULong(codePointOf(byte)))) return index;
    // Symbol faces keep their characters under the byte codes of their own encoding.
    FT_UInt index = 0;
    FT_CharMap unicode = face->charmap;
    for (int i = 0; i < face->num_charmaps && index == 0; ++i) {
        FT_CharMap map = face->charmaps[i];
        if (map->encoding == FT_ENCODING_MS_SYMBOL) {
            FT_Set_Charmap(face, map);
            index = FT_Get_Char_Index(face, 0xF000u | byte);
            if (index == 0) index = FT_Get_Char_Index(face, byte);
        } else if (map->encoding == FT_ENCODING_ADOBE_CUSTOM) {
            FT_Set_Charmap(face, map);
            index = FT_Get_Char_Index(face, byte);
        }
    }
    if (unicode != nullptr) FT_Set_Charmap(face, unicode);
    return index;
}

const Glyph& FontRealization::glyph(FT_UInt index) const {
    if (auto it = glyphs.find(index); it != glyphs.end()) return it->second;
    Glyph g;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) ==
        0) {
        FT_GlyphSlot slot = face->glyph;
        if (synthesizeOblique) FT_GlyphSlot_Oblique(slot);
        if (synthesizeBold) FT_GlyphSlot_Embolden(slot);
        g.advance = std::int32_t((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 &&
            slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const FT_Bitmap& b = slot->bitmap;
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = std::int32_t(b.width);
            g.rows = std::int32_t(b.rows);
            g.coverage.resize(std::size_t(g.width) * std::size_t(g.rows));
            for (std::int32_t y = 0; y < g.rows; ++y) {
                const unsigned char* src = b.buffer + std::ptrdiff_t(y) * b.pitch;
                std::copy(src, src + g.width, g.coverage.begin() + std::ptrdiff_t(y) * g.width);
            }
        }
    }
    return glyphs.emplace(index, std::move(g)).first->second;
}

// The caller holds the font engine's mutex.
const FontRealization* realize(const Font& font) {
    if (!font.realized_) {
        font.realization_ = FontEngine::instance().realize(font.desc_);
        font.realized_ = true;
    }
    return font.realization_.get();
}

Font::Font(const FontDesc& desc, bool stock) : RasterObject(ObjectKind::Font, stock), desc_(desc) {}
Font::~Font() = default;

std::unique_ptr<Font> Font::create(const FontDesc& desc) {
    if (!detail::quotaAllows()) return nullptr;
    return std::unique_ptr<Font>(new (std::nothrow) Font(desc, false));
}

bool Font::hasFace() const {
    std::lock_guard lock(FontEngine::instance().mutex());
    return realize(*this) != nullptr;
}

Font& stockFont() {
    static Font* const font = [] {
        FontDesc desc;
        desc.height = -kDefaultCharacterHeight;
        desc.faceName = kStockFontFace;
        return new Font(desc, true);
    }();
    return *font;
}

// ---------------------------------------------------------------------------------

namespace {

std::int32_t advanceOf(const FontRealization& r, std::string_view text) {
    std::int64_t width = 0;
    for (unsigned char c : text) width += r.glyph(r.glyphIndex(c)).advance;
    return std::int32_t(std::min<std::int64_t>(width, INT32_MAX));
}

void blendCoverage(const detail::PaintTarget& t, std::int64_t x, std::int64_t y,
                   std::uint8_t coverage, std::uint32_t textXrgb, bool textBit) {
    if (coverage == 0 || !t.clip.contains({std::int32_t(x), std::int32_t(y)})) return;
    const auto cx = std::int32_t(x), cy = std::int32_t(y);
    if (t.surface.format == PixelFormat::Xrgb32) {
        std::uint32_t& p = t.surface.row32(cy)[cx];
        p = detail::blendXrgb(p, textXrgb, coverage);
    } else if (coverage >= 128) {
        detail::writePixel(t.surface, cx, cy, textBit ? 1u : 0u);
    }
}

}  // namespace

PixelSize DeviceContext::textExtent(std::string_view text) const {
    std::lock_guard lock(FontEngine::instance().mutex());
    const FontRealization* r = realize(*font_);
    if (r == nullptr) return {};
    return {advanceOf(*r, text), r->lineHeight()};
}

void DeviceContext::drawText(std::string_view text, const PixelRect& rect, TextAlign align) {
    detail::PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || text.empty()) return;
    std::lock_guard lock(FontEngine::instance().mutex());
    const FontRealization* r = realize(*font_);
    if (r == nullptr) return;
    t.clip = t.clip.intersect(rect);
    if (t.clip.isEmpty()) return;

    // 1. Place the line in the rectangle.
    const std::int64_t width = advanceOf(*r, text), height = r->lineHeight();
    std::int64_t x = rect.left;
    if (align == TextAlign::Center) x = rect.left + (rect.width() - width) / 2;
    if (align == TextAlign::Right) x = rect.right - width;
    const std::int64_t y = rect.top + (rect.height() - height) / 2;
    const std::int64_t baseline = y + r->ascent;

    // 2. The background behind the text.
    if (backgroundMode_ == BackgroundMode::Opaque) {
        const std::uint32_t bg = detail::pixelValue(backgroundColor_, t.surface.format);
        for (std::int64_t row = y; row < y + height; ++row)
            detail::mixSpan(t, row, x, x + width, bg, MixMode::Copy);
    }

    // 3. The glyphs, blended by coverage.
    const std::uint32_t textXrgb = toXrgb(textColor_);
    const bool textBit = toMonoBit(textColor_);
    std::int64_t pen = x;
    for (unsigned char c : text) {
        const Glyph& g = r->glyph(r->glyphIndex(c));
        const std::int64_t gx = pen + g.left, gy = baseline - g.top;
        if (gx < t.clip.right && gx + g.width > t.clip.left && gy < t.clip.bottom &&
            gy + g.rows > t.clip.top) {
            for (std::int32_t row = 0; row < g.rows; ++row)
                for (std::int32_t col = 0; col < g.width; ++col)
                    blendCoverage(t, gx + col, gy + row,
                                  g.coverage[std::size_t(row) * g.width + col], textXrgb, textBit);
        }
        pen += g.advance;
    }

    // 4. The underline.
    if (r->underline) {
        const std::uint32_t value = detail::pixelValue(textColor_, t.surface.format);
        for (std::int32_t i = 0; i < r->underlineThickness; ++i)
            detail::mixSpan(t, baseline + r->underlineOffset + i - r->underlineThickness / 2, x,
                            x + width, value, MixMode::Copy);
    }
}

}  // namespace orbitone::platform
