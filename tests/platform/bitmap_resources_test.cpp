// BMP decoding and bitmap resources.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bitmap_resources.h"
#include "resources.h"

namespace {

using namespace orbitone::platform;

// Resource ids of the test bitmaps (see CMakeLists.txt).
constexpr std::int32_t kRgb24Id = 100;
constexpr std::int32_t kRgb24TopDownId = 101;
constexpr std::int32_t kPalette8Id = 102;
constexpr std::int32_t kMissingId = 4242;

// The colour the test bitmaps hold at (x, y), as written by the script that made them.
PlatformColor patternAt(int x, int y) {
    return makePlatformColor(std::uint8_t(x * 40), std::uint8_t(y * 60),
                             std::uint8_t(100 + 7 * x + 11 * y));
}

PlatformColor colorAt(const Bitmap& b, int x, int y) { return fromXrgb(b.surface().row32(y)[x]); }

TEST(BitmapResources, TwentyFourBitBitmapsLoadWithTheirSizeAndPixels) {
    for (auto [id, width, height] :
         {std::tuple{kRgb24Id, 5, 3}, std::tuple{kRgb24TopDownId, 4, 2}}) {
        SCOPED_TRACE(id);
        auto bitmap = loadBitmapResource(moduleHandle(), id);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->width(), width);
        EXPECT_EQ(bitmap->height(), height);
        EXPECT_EQ(bitmap->format(), PixelFormat::Xrgb32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(colorAt(*bitmap, x, y), patternAt(x, y)) << x << "," << y;
    }
}

TEST(BitmapResources, PaletteBitmapsLoadThroughTheirPalette) {
    auto bitmap = loadBitmapResource(nullptr, kPalette8Id);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 7);
    EXPECT_EQ(bitmap->height(), 4);
    const PlatformColor palette[] = {kPlatformWhite,
                                     kPlatformBlack,
                                     makePlatformColor(255, 0, 0),
                                     makePlatformColor(0, 128, 0),
                                     makePlatformColor(0, 0, 255),
                                     makePlatformColor(12, 34, 56)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(colorAt(*bitmap, x, y), palette[(x + 2 * y) % 6]);
}

TEST(BitmapResources, AMissingIdGivesNothing) {
    EXPECT_EQ(loadBitmapResource(moduleHandle(), kMissingId), nullptr);
    int elsewhere = 0;
    EXPECT_EQ(loadBitmapResource(&elsewhere, kRgb24Id), nullptr);
}

// ---------------------------------------------------------------------------------

std::vector<std::uint8_t> bytesOf(std::int32_t id) {
    auto span = findResource(nullptr, kResourceTypeBitmap, id);
    return {span.begin(), span.end()};
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

TEST(BmpDecoding, AcceptsAPackedBitmapWithoutFileHeader) {
    std::vector<std::uint8_t> file = bytesOf(kPalette8Id);
    const std::vector<std::uint8_t> packed(file.begin() + 14, file.end());
    auto fromFile = decodeBmp(file), fromPacked = decodeBmp(packed);
    ASSERT_NE(fromPacked, nullptr);
    ASSERT_NE(fromFile, nullptr);
    EXPECT_EQ(std::memcmp(fromFile->surface().pixels, fromPacked->surface().pixels, 4 * 7 * 4), 0);
}

TEST(BmpDecoding, RejectsWhatItCannotReadSafely) {
    const std::vector<std::uint8_t> good = bytesOf(kRgb24Id);
    ASSERT_NE(decodeBmp(good), nullptr);
    struct Case {
        const char* what;
        void (*spoil)(std::vector<std::uint8_t>&);
    } cases[] = {
        {"empty", [](auto& b) { b.clear(); }},
        {"cut inside the header", [](auto& b) { b.resize(30); }},
        {"cut inside the pixels", [](auto& b) { b.resize(b.size() - 4); }},
        {"small info header", [](auto& b) { put32(b, 14, 12); }},
        {"huge info header", [](auto& b) { put32(b, 14, 0xFFFFFFF0u); }},
        {"two planes", [](auto& b) { put16(b, 26, 2); }},
        {"16 bits a pixel", [](auto& b) { put16(b, 28, 16); }},
        {"compressed", [](auto& b) { put32(b, 30, 1); }},
        {"zero width", [](auto& b) { put32(b, 18, 0); }},
        {"negative width", [](auto& b) { put32(b, 18, 0xFFFFFFFBu); }},
        {"zero height", [](auto& b) { put32(b, 22, 0); }},
        {"most negative height", [](auto& b) { put32(b, 22, 0x80000000u); }},
        {"huge width", [](auto& b) { put32(b, 18, 0x7FFFFFFFu); }},
        {"pixels beyond the end", [](auto& b) { put32(b, 10, 0xFFFFFF00u); }},
        {"palette of 257",
         [](auto& b) {
             put16(b, 28, 8);
             put32(b, 46, 257);
         }},
        {"full palette missing",
         [](auto& b) {
             put16(b, 28, 8);
             put32(b, 46, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = good;
        c.spoil(bytes);
        EXPECT_EQ(decodeBmp(bytes), nullptr);
    }
}

TEST(BmpDecoding, AcceptsALastRowWithoutPaddingAndBlackForIndicesBeyondThePalette) {
    std::vector<std::uint8_t> b = bytesOf(kRgb24Id);  // rows of 15 bytes padded to 16
    b.pop_back();
    auto bitmap = decodeBmp(b);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(colorAt(*bitmap, 4, 0), patternAt(4, 0));

    std::vector<std::uint8_t> p = bytesOf(kPalette8Id);
    put32(p, 46, 2);  // only white and black are in the palette now
    auto paletted = decodeBmp(p);
    ASSERT_NE(paletted, nullptr);
    EXPECT_EQ(colorAt(*paletted, 0, 0), kPlatformWhite);
    EXPECT_EQ(colorAt(*paletted, 2, 0), kPlatformBlack);  // index 2, beyond the palette
}

}  // namespace
