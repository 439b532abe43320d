// Pixel value types of the raster: colours, points, rectangles and the surface, a plain
// description of pixels in memory that every drawing primitive works on.
#pragma once

#include <cstdint>

namespace orbitone::platform {

// A colour as drawing calls take it: red | green << 8 | blue << 16. The top byte is
// ignored by every drawing operation.
using PlatformColor = std::uint32_t;

// What a pixel query answers when there is no pixel to read.
inline constexpr PlatformColor kInvalidColor = 0xFFFFFFFF;

constexpr PlatformColor makePlatformColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return PlatformColor{red} | PlatformColor{green} << 8 | PlatformColor{blue} << 16;
}
constexpr std::uint8_t redOf(PlatformColor c) { return c & 0xFF; }
constexpr std::uint8_t greenOf(PlatformColor c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t blueOf(PlatformColor c) { return (c >> 16) & 0xFF; }

inline constexpr PlatformColor kPlatformBlack = makePlatformColor(0, 0, 0);
inline constexpr PlatformColor kPlatformWhite = makePlatformColor(255, 255, 255);

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(PixelPoint, PixelPoint) = default;
};

struct PixelSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend constexpr bool operator==(PixelSize, PixelSize) = default;
};

// A rectangle of pixels: left and top inside, right and bottom the first outside.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr std::int64_t width() const { return std::int64_t{right} - left; }
    constexpr std::int64_t height() const { return std::int64_t{bottom} - top; }
    constexpr bool contains(PixelPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // The common part; empty (possibly with right < left) when there is none.
    constexpr PixelRect intersect(const PixelRect& o) const {
        return {left > o.left ? left : o.left, top > o.top ? top : o.top,
                right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
    }
    // The same rectangle with left <= right and top <= bottom.
    constexpr PixelRect normalized() const {
        return {left < right ? left : right, top < bottom ? top : bottom,
                left < right ? right : left, top < bottom ? bottom : top};
    }
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

enum class PixelFormat : std::uint8_t {
    // 4 bytes a pixel: one native 32-bit word 0x00RRGGBB (on little-endian machines the
    // bytes are blue, green, red, 0). The top byte of every pixel is kept 0.
    Xrgb32,
    // 1 bit a pixel: the leftmost pixel of each byte in its most significant bit;
    // 1 is white, 0 is black.
    Mono1,
};

// Pixels in memory: a value that describes them and owns nothing. Row y starts at
// pixels + y * stride.
struct Surface {
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
    PixelFormat format = PixelFormat::Xrgb32;

    bool isEmpty() const { return pixels == nullptr || width <= 0 || height <= 0; }
    PixelRect bounds() const { return {0, 0, width, height}; }
    std::uint8_t* row(std::int32_t y) const { return pixels + std::intptr_t{y} * stride; }
    std::uint32_t* row32(std::int32_t y) const { return reinterpret_cast<std::uint32_t*>(row(y)); }
};

// Conversions between a platform colour and an Xrgb32 pixel value.
constexpr std::uint32_t toXrgb(PlatformColor c) {
    return std::uint32_t{redOf(c)} << 16 | std::uint32_t{greenOf(c)} << 8 | blueOf(c);
}
constexpr PlatformColor fromXrgb(std::uint32_t pixel) {
    return makePlatformColor((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// The monochrome bit a colour becomes when drawn into a Mono1 surface: the nearer of
// black and white, by the sum of the three channels.
constexpr bool toMonoBit(PlatformColor c) {
    return unsigned{redOf(c)} + greenOf(c) + blueOf(c) > 382;
}

// Bytes a row of `width` pixels of `format` takes in a bitmap (rows are 4-byte aligned).
constexpr std::int64_t bitmapStride(std::int64_t width, PixelFormat format) {
    const std::int64_t bytes = format == PixelFormat::Xrgb32 ? width * 4 : (width + 7) / 8;
    return (bytes + 3) / 4 * 4;
}

}  // namespace orbitone::platform
