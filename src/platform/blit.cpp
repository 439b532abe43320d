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

// Four pixels at a time with the compiler's vector extension (SSE2 on x86-64, plain
// words elsewhere); loads and stores go through memcpy, so rows need no alignment.
using Pixels4 = std::uint32_t __attribute__((vector_size(16)));
constexpr std::int32_t kLanes = 4;

Pixels4 load4(const std::uint32_t* p) {
    Pixels4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void store4(std::uint32_t* p, Pixels4 v) { std::memcpy(p, &v, sizeof v); }

template <BlitOp op>
void combineRow32(std::uint32_t* d, const std::uint32_t* s, std::int32_t n) {
    std::int32_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        if constexpr (op == BlitOp::Xor) store4(d + i, load4(d + i) ^ load4(s + i));
        if constexpr (op == BlitOp::And) store4(d + i, load4(d + i) & load4(s + i));
    }
    for (; i < n; ++i) {
        if constexpr (op == BlitOp::Xor) d[i] ^= s[i];
        if constexpr (op == BlitOp::And) d[i] &= s[i];
    }
}

void combineRow32(std::uint32_t* d, const std::uint32_t* s, std::int32_t n, BlitOp op) {
    switch (op) {
        case BlitOp::Copy: std::memmove(d, s, std::size_t(n) * 4); break;
        case BlitOp::Xor: combineRow32<BlitOp::Xor>(d, s, n); break;
        case BlitOp::And: combineRow32<BlitOp::And>(d, s, n); break;
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

template <BlitOp op>
std::uint32_t combineAs(std::uint32_t d, std::uint32_t s) {
    if constexpr (op == BlitOp::Xor) return s ^ d;
    if constexpr (op == BlitOp::And) return s & d;
    return s;
}

// Monochrome source bits from bit `first` of `row` on, as colours (0: black, 1: white),
// into d.
template <BlitOp op>
void monoToColourRow(std::uint32_t* d, const std::uint8_t* row, std::int32_t first, std::int32_t n,
                     std::uint32_t black, std::uint32_t white) {
    const std::uint32_t flip = black ^ white;
    std::int32_t i = 0;
    // Eight pixels from one byte's worth of bits (which may straddle two bytes).
    for (; i + 8 <= n; i += 8) {
        const std::int32_t bit = first + i;
        const int shift = bit & 7;
        const std::uint8_t* at = row + (bit >> 3);
        const std::uint32_t bits =
            shift ? ((at[0] << shift) | (at[1] >> (8 - shift))) & 0xFFu : at[0];
        const Pixels4 spread = Pixels4{} + bits;
        for (int half = 0; half < 2; ++half) {
            const Pixels4 shifts = half == 0 ? Pixels4{7, 6, 5, 4} : Pixels4{3, 2, 1, 0};
            const Pixels4 set = (spread >> shifts) & 1u;
            const Pixels4 colour = (Pixels4{} + black) ^ ((Pixels4{} + flip) & (Pixels4{} - set));
            std::uint32_t* out = d + i + 4 * half;
            if constexpr (op == BlitOp::Copy) store4(out, colour);
            if constexpr (op == BlitOp::Xor) store4(out, load4(out) ^ colour);
            if constexpr (op == BlitOp::And) store4(out, load4(out) & colour);
        }
    }
    for (; i < n; ++i) {
        const std::int32_t bit = first + i;
        const std::uint32_t set = (row[bit >> 3] >> (7 - (bit & 7))) & 1u;
        d[i] = combineAs<op>(d[i], black ^ (flip & (0u - set)));
    }
}

void monoToColourRow(std::uint32_t* d, const std::uint8_t* row, std::int32_t first, std::int32_t n,
                     std::uint32_t black, std::uint32_t white, BlitOp op) {
    switch (op) {
        case BlitOp::Copy: monoToColourRow<BlitOp::Copy>(d, row, first, n, black, white); break;
        case BlitOp::Xor: monoToColourRow<BlitOp::Xor>(d, row, first, n, black, white); break;
        case BlitOp::And: monoToColourRow<BlitOp::And>(d, row, first, n, black, white); break;
    }
}

// Colour pixels into the bits from bit `first` of `row` on: 1 where a pixel equals
// `white`, else 0.
template <BlitOp op>
void colourToMonoRow(std::uint8_t* row, std::int32_t first, const std::uint32_t* s, std::int32_t n,
                     std::uint32_t white) {
    std::int32_t i = 0;
    // Whole bytes at once when copying to a byte boundary.
    if (op == BlitOp::Copy && (first & 7) == 0) {
        const Pixels4 whites = Pixels4{} + white, colourBits = Pixels4{} + 0x00FFFFFFu;
        const Pixels4 high{128, 64, 32, 16}, low{8, 4, 2, 1};
        for (; i + 8 <= n; i += 8) {
            const Pixels4 a =
                reinterpret_cast<Pixels4>((load4(s + i) & colourBits) == whites) & high;
            const Pixels4 b =
                reinterpret_cast<Pixels4>((load4(s + i + 4) & colourBits) == whites) & low;
            const Pixels4 m = a | b;
            row[(first + i) >> 3] = std::uint8_t(m[0] | m[1] | m[2] | m[3]);
        }
    }
    for (; i < n; ++i) {
        const std::int32_t bit = first + i;
        std::uint8_t& byte = row[bit >> 3];
        const int shift = 7 - (bit & 7);
        const std::uint32_t sv = (s[i] & 0x00FFFFFFu) == white ? 1u : 0u;
        const std::uint32_t v = combineAs<op>((byte >> shift) & 1u, sv);
        byte = std::uint8_t((byte & ~(1u << shift)) | (v << shift));
    }
}

void colourToMonoRow(std::uint8_t* row, std::int32_t first, const std::uint32_t* s, std::int32_t n,
                     std::uint32_t white, BlitOp op) {
    switch (op) {
        case BlitOp::Copy: colourToMonoRow<BlitOp::Copy>(row, first, s, n, white); break;
        case BlitOp::Xor: colourToMonoRow<BlitOp::Xor>(row, first, s, n, white); break;
        case BlitOp::And: colourToMonoRow<BlitOp::And>(row, first, s, n, white); break;
    }
}

// Copies the source pixels that are not `key`: dest = source unless source == key.
void keyedRow32(std::uint32_t* d, const std::uint32_t* s, std::int32_t n, std::uint32_t key) {
    std::int32_t i = 0;
    const Pixels4 keys = Pixels4{} + key;
    const Pixels4 colourBits = Pixels4{} + 0x00FFFFFFu;
    for (; i + kLanes <= n; i += kLanes) {
        const Pixels4 sv = load4(s + i) & colourBits;
        const Pixels4 keep = reinterpret_cast<Pixels4>(sv == keys);  // all ones where keyed
        store4(d + i, (load4(d + i) & keep) | (sv & ~keep));
    }
    for (; i < n; ++i) {
        const std::uint32_t sv = s[i] & 0x00FFFFFFu;
        d[i] = sv == key ? d[i] : sv;
    }
}

// dest = (source * alpha + dest * (255 - alpha)) / 255 per channel, rounded to nearest:
// four pixels at a time, each byte widened to 16 bits for the arithmetic. The unused top
// byte of each pixel stays 0 (0 * alpha + 0 * keep rounds to 0).
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Words16 = std::uint16_t __attribute__((vector_size(32)));

void blendRow32(std::uint32_t* d, const std::uint32_t* s, std::int32_t n, std::uint32_t alpha) {
    const std::uint32_t keep = 255 - alpha;
    std::int32_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        Bytes16 over, under;
        std::memcpy(&over, s + i, sizeof over);
        std::memcpy(&under, d + i, sizeof under);
        Words16 t = __builtin_convertvector(over, Words16) * std::uint16_t(alpha) +
                    __builtin_convertvector(under, Words16) * std::uint16_t(keep) + 128;
        t = (t + (t >> 8)) >> 8;
        const Bytes16 out = __builtin_convertvector(t, Bytes16);
        std::memcpy(d + i, &out, sizeof out);
        for (std::int32_t k = 0; k < kLanes; ++k) d[i + k] &= 0x00FFFFFFu;
    }
    for (; i < n; ++i) d[i] = detail::blendXrgb(d[i], s[i] & 0x00FFFFFFu, alpha);
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
                for (std::int32_t y = b.y0; y < b.y1; ++y)
                    monoToColourRow(d.row32(y) + b.x0, s.row(y + b.dy), b.x0 + b.dx, n, black,
                                    white, op);
                return;
            }
            // To monochrome: colour pixels of the source's background colour are white.
            const std::uint32_t background = toXrgb(sourceDc.backgroundColor());
            if (s.format == PixelFormat::Xrgb32) {
                for (std::int32_t y = b.y0; y < b.y1; ++y)
                    colourToMonoRow(d.row(y), b.x0, s.row32(y + b.dy) + b.x0 + b.dx, n, background,
                                    op);
                return;
            }
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
                            for (std::int32_t y = b.y0; y < b.y1; ++y)
                                keyedRow32(d.row32(y) + b.x0, s.row32(y + b.dy) + b.x0 + b.dx, n,
                                           key);
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
            if (d.format == PixelFormat::Xrgb32 && s.format == PixelFormat::Xrgb32) {
                for (std::int32_t y = b.y0; y < b.y1; ++y)
                    blendRow32(d.row32(y) + b.x0, s.row32(y + b.dy) + b.x0 + b.dx, b.x1 - b.x0,
                               opacity);
                return;
            }
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
