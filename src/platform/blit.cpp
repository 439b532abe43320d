// Block transfers: the plain blit with its format conversions, and the keyed copy and
// constant-opacity blend that the image library offers.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "image_library.h"
#include "raster_internal.h"

namespace orbitone::platform {
namespace {

using detail::PaintTarget;
using i64 = std::int64_t;

// The part of a transfer that is drawn: destination pixels [x0, x1) x [y0, y1), inside
// the destination's clip and mapped to source pixels inside the source surface;
// source pixel = destination pixel + (dx, dy).
struct Block {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::int32_t dx = 0, dy = 0;
    bool isEmpty() const { return x1 <= x0 || y1 <= y0; }
};

Block mapBlock(const PaintTarget& dest, const Surface& source, PixelPoint destOrigin,
               PixelSize size, PixelPoint sourceOrigin) {
    const i64 offX = i64(sourceOrigin.x) - destOrigin.x;
    const i64 offY = i64(sourceOrigin.y) - destOrigin.y;
    const i64 x0 = std::max({i64(destOrigin.x), i64(dest.clip.left), -offX});
    const i64 y0 = std::max({i64(destOrigin.y), i64(dest.clip.top), -offY});
    const i64 x1 =
        std::min({i64(destOrigin.x) + size.width, i64(dest.clip.right), source.width - offX});
    const i64 y1 =
        std::min({i64(destOrigin.y) + size.height, i64(dest.clip.bottom), source.height - offY});
    if (x1 <= x0 || y1 <= y0) return {};
    return {std::int32_t(x0), std::int32_t(y0),   std::int32_t(x1),
            std::int32_t(y1), std::int32_t(offX), std::int32_t(offY)};
}

// A copy of the source pixels a block reads, for a transfer within one surface.
struct SourceCopy {
    std::unique_ptr<std::uint8_t[]> storage;
    Surface surface;
};

// Source and destination overlap in memory: read from a copy of the source rows.
bool sameMemory(const Surface& a, const Surface& b) { return a.pixels == b.pixels; }

std::optional<SourceCopy> copyOfSource(const Surface& s) {
    const std::size_t bytes = std::size_t(s.stride) * std::size_t(s.height);
    SourceCopy copy;
    copy.storage.reset(new (std::nothrow) std::uint8_t[bytes]);
    if (!copy.storage) return std::nullopt;
    std::memcpy(copy.storage.get(), s.pixels, bytes);
    copy.surface = s;
    copy.surface.pixels = copy.storage.get();
    return copy;
}

void combineRow32(std::uint32_t* d, const std::uint32_t* s, std::int32_t n, BlitOp op) {
    switch (op) {
        case BlitOp::Copy: std::memcpy(d, s, std::size_t(n) * 4); break;
        case BlitOp::Xor:
            for (std::int32_t i = 0; i < n; ++i) d[i] ^= s[i];
            break;
        case BlitOp::And:
            for (std::int32_t i = 0; i < n; ++i) d[i] &= s[i];
            break;
    }
}

std::uint32_t combine(std::uint32_t d, std::uint32_t s, BlitOp op) {
    switch (op) {
        case BlitOp::Xor: return s ^ d;
        case BlitOp::And: return s & d;
        case BlitOp::Copy: break;
    }
    return s;
}

// The colour of a source pixel (monochrome pixels are black or white).
PlatformColor sourceColor(const Surface& s, std::int32_t x, std::int32_t y) {
    return detail::colorOfValue(detail::readPixel(s, x, y), s.format);
}

// Runs the shared start of every transfer: validity, clipping, overlap.
template <typename Body>
bool transfer(DeviceContext& destDc, PixelPoint destOrigin, PixelSize size,
              const DeviceContext& sourceDc, PixelPoint sourceOrigin, Body body) {
    if (size.width <= 0 || size.height <= 0) return false;
    const PaintTarget dest = detail::paintTargetOf(destDc);
    Surface source = sourceDc.surface();
    if (dest.surface.isEmpty() || source.isEmpty()) return false;
    const Block block = mapBlock(dest, source, destOrigin, size, sourceOrigin);
    if (block.isEmpty()) return true;
    std::optional<SourceCopy> copy;
    if (sameMemory(dest.surface, source)) {
        copy = copyOfSource(source);
        if (!copy) return false;
        source = copy->surface;
    }
    body(dest.surface, source, block);
    return true;
}

}  // namespace

bool blit(DeviceContext& destDc, PixelPoint destOrigin, PixelSize size,
          const DeviceContext& sourceDc, PixelPoint sourceOrigin, BlitOp op) {
    return transfer(
        destDc, destOrigin, size, sourceDc, sourceOrigin,
        [&](const Surface& d, const Surface& s, const Block& b) {
            const std::int32_t n = b.x1 - b.x0;
            if (d.format == PixelFormat::Xrgb32 && s.format == PixelFormat::Xrgb32) {
                for (std::int32_t y = b.y0; y < b.y1; ++y)
                    combineRow32(d.row32(y) + b.x0, s.row32(y + b.dy) + b.x0 + b.dx, n, op);
                return;
            }
            if (d.format == PixelFormat::Xrgb32) {  // monochrome to colour
                const std::uint32_t black = toXrgb(destDc.textColor());
                const std::uint32_t white = toXrgb(destDc.backgroundColor());
                for (std::int32_t y = b.y0; y < b.y1; ++y) {
                    std::uint32_t* row = d.row32(y);
                    for (std::int32_t x = b.x0; x < b.x1; ++x) {
                        const std::uint32_t sv =
                            detail::readPixel(s, x + b.dx, y + b.dy) ? white : black;
                        row[x] = combine(row[x], sv, op);
                    }
                }
                return;
            }
            // To monochrome: colour pixels of the source's background colour are white.
            const std::uint32_t background = toXrgb(sourceDc.backgroundColor());
            for (std::int32_t y = b.y0; y < b.y1; ++y) {
                for (std::int32_t x = b.x0; x < b.x1; ++x) {
                    std::uint32_t sv = detail::readPixel(s, x + b.dx, y + b.dy);
                    if (s.format == PixelFormat::Xrgb32)
                        sv = (sv & 0xFFFFFF) == background ? 1u : 0u;
                    detail::writePixel(d, x, y, combine(detail::readPixel(d, x, y), sv, op) & 1u);
                }
            }
        });
}

namespace detail {

// Copies every source pixel whose colour is not `transparent`; the others leave the
// destination unchanged.
bool keyedCopy(DeviceContext& destDc, PixelPoint destOrigin, PixelSize size,
               const DeviceContext& sourceDc, PixelPoint sourceOrigin, PlatformColor transparent) {
    return transfer(destDc, destOrigin, size, sourceDc, sourceOrigin,
                    [&](const Surface& d, const Surface& s, const Block& b) {
                        if (d.format == PixelFormat::Xrgb32 && s.format == PixelFormat::Xrgb32) {
                            const std::uint32_t key = toXrgb(transparent);
                            const std::int32_t n = b.x1 - b.x0;
                            for (std::int32_t y = b.y0; y < b.y1; ++y) {
                                std::uint32_t* dr = d.row32(y) + b.x0;
                                const std::uint32_t* sr = s.row32(y + b.dy) + b.x0 + b.dx;
                                for (std::int32_t i = 0; i < n; ++i) {
                                    const std::uint32_t sv = sr[i] & 0x00FFFFFFu;
                                    dr[i] = sv == key ? dr[i] : sv;
                                }
                            }
                            return;
                        }
                        for (std::int32_t y = b.y0; y < b.y1; ++y)
                            for (std::int32_t x = b.x0; x < b.x1; ++x) {
                                const PlatformColor c = sourceColor(s, x + b.dx, y + b.dy);
                                if (c != (transparent & 0xFFFFFF))
                                    writePixel(d, x, y, pixelValue(c, d.format));
                            }
                    });
}

// Mixes every source pixel into the destination with the constant opacity: each
// channel becomes (source * opacity + destination * (255 - opacity)) / 255, rounded.
bool blendCopy(DeviceContext& destDc, PixelPoint destOrigin, PixelSize size,
               const DeviceContext& sourceDc, PixelPoint sourceOrigin, std::uint8_t opacity) {
    return transfer(
        destDc, destOrigin, size, sourceDc, sourceOrigin,
        [&](const Surface& d, const Surface& s, const Block& b) {
            for (std::int32_t y = b.y0; y < b.y1; ++y)
                for (std::int32_t x = b.x0; x < b.x1; ++x) {
                    const std::uint32_t over = toXrgb(sourceColor(s, x + b.dx, y + b.dy));
                    const std::uint32_t under = toXrgb(colorOfValue(readPixel(d, x, y), d.format));
                    writePixel(d, x, y,
                               pixelValue(fromXrgb(blendXrgb(under, over, opacity)), d.format));
                }
        });
}

}  // namespace detail
}  // namespace orbitone::platform
