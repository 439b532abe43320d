// Pixel access shared by the raster's implementation files; not part of its contract.
#pragma once

#include <algorithm>
#include <cstdint>

#include "raster.h"

namespace orbitone::platform::detail {

// Where a primitive may write: a surface and the part of it inside the clip.
struct PaintTarget {
    Surface surface;
    PixelRect clip;  // inside surface.bounds(); empty when nothing may be drawn

    bool canDraw() const { return !surface.isEmpty() && !clip.isEmpty(); }
};

// The device context's surface and its clip, intersected.
PaintTarget paintTargetOf(const DeviceContext& dc);

// The pixel value a colour has in a surface of `format`: an Xrgb32 word, or 0 / 1.
inline std::uint32_t pixelValue(PlatformColor color, PixelFormat format) {
    return format == PixelFormat::Xrgb32 ? toXrgb(color) : (toMonoBit(color) ? 1u : 0u);
}

inline std::uint32_t mix(std::uint32_t d, std::uint32_t p, MixMode mode, std::uint32_t mask) {
    switch (mode) {
        case MixMode::Merge: return d | p;
        case MixMode::NotXor: return ~(d ^ p) & mask;
        case MixMode::Copy: break;
    }
    return p;
}

inline std::uint32_t readPixel(const Surface& s, std::int32_t x, std::int32_t y) {
    if (s.format == PixelFormat::Xrgb32) return s.row32(y)[x];
    return (s.row(y)[x >> 3] >> (7 - (x & 7))) & 1u;
}

inline void writePixel(const Surface& s, std::int32_t x, std::int32_t y, std::uint32_t v) {
    if (s.format == PixelFormat::Xrgb32) {
        s.row32(y)[x] = v;
        return;
    }
    std::uint8_t& byte = s.row(y)[x >> 3];
    const std::uint8_t bit = std::uint8_t(0x80u >> (x & 7));
    byte = v ? std::uint8_t(byte | bit) : std::uint8_t(byte & ~bit);
}

inline std::uint32_t valueMask(PixelFormat format) {
    return format == PixelFormat::Xrgb32 ? 0x00FFFFFFu : 1u;
}

// The colour a stored pixel value stands for.
inline PlatformColor colorOfValue(std::uint32_t v, PixelFormat format) {
    if (format == PixelFormat::Xrgb32) return fromXrgb(v);
    return v ? kPlatformWhite : kPlatformBlack;
}

// Writes pixels x0 .. x1 - 1 of row y through the mix mode, clipped to the target.
inline void mixSpan(const PaintTarget& t, std::int64_t y, std::int64_t x0, std::int64_t x1,
                    std::uint32_t value, MixMode mode) {
    if (y < t.clip.top || y >= t.clip.bottom) return;
    x0 = std::max<std::int64_t>(x0, t.clip.left);
    x1 = std::min<std::int64_t>(x1, t.clip.right);
    if (x0 >= x1) return;
    const auto row = std::int32_t(y);
    if (t.surface.format == PixelFormat::Xrgb32) {
        std::uint32_t* p = t.surface.row32(row);
        if (mode == MixMode::Copy) {
            std::fill(p + x0, p + x1, value);
        } else {
            for (std::int64_t x = x0; x < x1; ++x) p[x] = mix(p[x], value, mode, 0x00FFFFFFu);
        }
        return;
    }
    for (std::int64_t x = x0; x < x1; ++x) {
        const auto col = std::int32_t(x);
        writePixel(t.surface, col, row, mix(readPixel(t.surface, col, row), value, mode, 1u));
    }
}

inline void mixPixel(const PaintTarget& t, std::int64_t x, std::int64_t y, std::uint32_t value,
                     MixMode mode) {
    if (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom) return;
    const auto col = std::int32_t(x), row = std::int32_t(y);
    writePixel(t.surface, col, row,
               mix(readPixel(t.surface, col, row), value, mode, valueMask(t.surface.format)));
}

// x / 255 rounded to nearest, exact for x in 0 .. 255 * 255.
inline std::uint32_t div255Round(std::uint32_t x) {
    const std::uint32_t t = x + 128;
    return (t + (t >> 8)) >> 8;
}

// Blends Xrgb32 pixel `under` towards `over` by alpha (0 keeps under, 255 gives over):
// each channel is (over * alpha + under * (255 - alpha)) / 255, rounded to nearest.
inline std::uint32_t blendXrgb(std::uint32_t under, std::uint32_t over, std::uint32_t alpha) {
    const std::uint32_t keep = 255 - alpha;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t u = (under >> shift) & 0xFF;
        const std::uint32_t o = (over >> shift) & 0xFF;
        out |= div255Round(o * alpha + u * keep) << shift;
    }
    return out;
}

}  // namespace orbitone::platform::detail
