#include "bitmap_resources.h"

#include <climits>
#include <cstring>

#include "resources.h"

namespace orbitone::platform {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kMinInfoHeaderSize = 40;
constexpr std::uint32_t kNoCompression = 0;
constexpr std::uint32_t kMaxPaletteSize = 256;
constexpr std::size_t kPaletteEntrySize = 4;  // blue, green, red, reserved

// Little-endian reads that never go past the end; a read past it sets `failed`.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint32_t u32(std::size_t at) {
        return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16;
    }
    std::uint16_t u16(std::size_t at) {
        if (at > bytes_.size() || bytes_.size() - at < 2) {
            failed = true;
            return 0;
        }
        return std::uint16_t(bytes_[at] | bytes_[at + 1] << 8);
    }
    std::int32_t i32(std::size_t at) { return std::int32_t(u32(at)); }
    bool failed = false;

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<Bitmap> decodeBmp(std::span<const std::uint8_t> bytes) {
    Reader read(bytes);
    // 1. Where the info header and the pixels are.
    const bool isFile = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    const std::size_t info = isFile ? kFileHeaderSize : 0;
    const std::uint32_t infoSize = read.u32(info);
    const std::int32_t width = read.i32(info + 4);
    const std::int32_t height = read.i32(info + 8);
    const std::uint16_t planes = read.u16(info + 12);
    const std::uint16_t bitCount = read.u16(info + 14);
    const std::uint32_t compression = read.u32(info + 16);
    std::uint32_t colorsUsed = read.u32(info + 32);
    if (read.failed || infoSize < kMinInfoHeaderSize || planes != 1 ||
        compression != kNoCompression || (bitCount != 24 && bitCount != 8))
        return nullptr;
    if (width <= 0 || height == 0 || height == INT32_MIN) return nullptr;
    const bool topDown = height < 0;
    const std::int32_t rows = topDown ? -height : height;
    if (width > kMaxBitmapDimension || rows > kMaxBitmapDimension) return nullptr;

    // 2. The palette.
    const std::size_t palette = info + infoSize;
    if (bitCount == 8) {
        if (colorsUsed == 0) colorsUsed = kMaxPaletteSize;
        if (colorsUsed > kMaxPaletteSize) return nullptr;
    } else {
        colorsUsed = 0;
    }
    if (palette > bytes.size() || (bytes.size() - palette) / kPaletteEntrySize < colorsUsed)
        return nullptr;
    std::uint32_t colors[kMaxPaletteSize] = {};  // Xrgb32; unused entries black
    for (std::uint32_t i = 0; i < colorsUsed; ++i) {
        const std::uint8_t* e = bytes.data() + palette + i * kPaletteEntrySize;
        colors[i] = std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
    }

    // 3. The pixels: rows padded to 4 bytes; the last row may lack its padding.
    const std::uint64_t rowBytes = std::uint64_t(width) * (bitCount / 8);
    const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
    const std::uint64_t pixels = isFile ? read.u32(10) : palette + colorsUsed * kPaletteEntrySize;
    const std::uint64_t needed = stride * std::uint64_t(rows - 1) + rowBytes;
    if (read.failed || pixels > bytes.size() || bytes.size() - pixels < needed) return nullptr;

    auto bitmap = Bitmap::create(width, rows, PixelFormat::Xrgb32);
    if (!bitmap) return nullptr;
    const Surface& s = bitmap->surface();
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::uint8_t* src = bytes.data() + pixels + stride * std::uint64_t(r);
        std::uint32_t* dst = s.row32(topDown ? r : rows - 1 - r);
        if (bitCount == 24) {
            for (std::int32_t x = 0; x < width; ++x, src += 3)
                dst[x] = std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 | src[0];
        } else {
            for (std::int32_t x = 0; x < width; ++x) dst[x] = colors[src[x]];
        }
    }
    return bitmap;
}

std::unique_ptr<Bitmap> loadBitmapResource(ModuleHandle module, std::int32_t id) {
    const std::span<const std::uint8_t> bytes = findResource(module, kResourceTypeBitmap, id);
    if (bytes.empty()) return nullptr;
    return decodeBmp(bytes);
}

}  // namespace orbitone::platform
