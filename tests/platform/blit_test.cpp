// Block transfers, their format conversions, and the image library's keyed copy and
// constant-opacity blend.
#include <gtest/gtest.h>

#include "image_library.h"
#include "library.h"
#include "pixel_test.h"
#include "raster.h"

namespace {

using namespace orbitone::platform;
using orbitone::testing::Canvas;
using orbitone::testing::Legend;
using orbitone::testing::matchesPixelMap;

constexpr PlatformColor kRed = makePlatformColor(255, 0, 0);
constexpr PlatformColor kGreen = makePlatformColor(0, 255, 0);
constexpr PlatformColor kBlue = makePlatformColor(0, 0, 255);
const Legend kLegend = {
    {kPlatformWhite, '.'}, {kPlatformBlack, '#'}, {kRed, 'r'}, {kGreen, 'g'}, {kBlue, 'b'}};

// A canvas painted from a map of the legend's characters.
Canvas painted(const std::vector<std::string>& map, PixelFormat format = PixelFormat::Xrgb32) {
    Canvas c(std::int32_t(map[0].size()), std::int32_t(map.size()), kPlatformWhite, format);
    for (std::size_t y = 0; y < map.size(); ++y)
        for (std::size_t x = 0; x < map[y].size(); ++x)
            for (auto [color, ch] : kLegend)
                if (ch == map[y][x]) c.dc->setPixel({int(x), int(y)}, color);
    return c;
}

void expectMap(const Canvas& c, const std::vector<std::string>& map) {
    EXPECT_TRUE(matchesPixelMap(c.surface(), c.surface().bounds(), map, kLegend));
}

TEST(Blit, CopiesABlockClippedToTheDestinationAndTheSource) {
    Canvas source = painted({"rg", "bb"});
    Canvas dest(4, 3);
    EXPECT_TRUE(blit(*dest.dc, {1, 1}, {2, 2}, *source.dc, {0, 0}, BlitOp::Copy));
    expectMap(dest, {"....", ".rg.", ".bb."});

    Canvas clipped(4, 3);
    clipped.dc->selectClipRect(PixelRect{0, 0, 4, 2});
    // Source origin (-1, 0): the first column has no source pixel and stays untouched.
    EXPECT_TRUE(blit(*clipped.dc, {2, 0}, {3, 3}, *source.dc, {-1, 0}, BlitOp::Copy));
    expectMap(clipped, {"...r", "...b", "...."});
}

TEST(Blit, XorAndAndCombineWithTheDestination) {
    Canvas source = painted({"r#."});
    Canvas dest = painted({"bbb"});
    blit(*dest.dc, {0, 0}, {3, 1}, *source.dc, {0, 0}, BlitOp::Xor);
    EXPECT_EQ(dest.at(0, 0), makePlatformColor(255, 0, 255));
    EXPECT_EQ(dest.at(1, 0), kBlue);
    EXPECT_EQ(dest.at(2, 0), makePlatformColor(255, 255, 0));
    blit(*dest.dc, {0, 0}, {3, 1}, *source.dc, {0, 0}, BlitOp::And);
    EXPECT_EQ(dest.at(0, 0), kRed);
    EXPECT_EQ(dest.at(1, 0), kPlatformBlack);
    EXPECT_EQ(dest.at(2, 0), makePlatformColor(255, 255, 0));
}

TEST(Blit, ColourToMonochromeMakesTheSourceBackgroundWhite) {
    Canvas source = painted({"rgbr."});
    source.dc->setBackgroundColor(kRed);
    Canvas mono(5, 1, kPlatformBlack, PixelFormat::Mono1);
    blit(*mono.dc, {0, 0}, {5, 1}, *source.dc, {0, 0}, BlitOp::Copy);
    expectMap(mono, {".##.#"});
}

TEST(Blit, MonochromeToColourUsesTheDestinationTextAndBackgroundColours) {
    Canvas mono = painted({"#.#"}, PixelFormat::Mono1);
    Canvas dest(3, 1);
    dest.dc->setTextColor(kRed);
    dest.dc->setBackgroundColor(kBlue);
    blit(*dest.dc, {0, 0}, {3, 1}, *mono.dc, {0, 0}, BlitOp::Copy);
    expectMap(dest, {"rbr"});
    // And: white keeps the pixel when the background is white, black clears it.
    Canvas keep = painted({"ggg"});
    blit(*keep.dc, {0, 0}, {3, 1}, *mono.dc, {0, 0}, BlitOp::And);
    expectMap(keep, {"#g#"});
}

TEST(Blit, BetweenMonochromeSurfacesCombinesBits) {
    Canvas a = painted({"#.#..#.#.#"}, PixelFormat::Mono1);
    Canvas b = painted({"##..##..##"}, PixelFormat::Mono1);
    blit(*b.dc, {0, 0}, {10, 1}, *a.dc, {0, 0}, BlitOp::Xor);
    expectMap(b, {"#..#.##..#"});
}

TEST(Blit, WithinOneSurfaceReadsTheSourceBeforeWriting) {
    Canvas c = painted({"rgb..."});
    blit(*c.dc, {1, 0}, {3, 1}, *c.dc, {0, 0}, BlitOp::Copy);
    expectMap(c, {"rrgb.."});
    blit(*c.dc, {0, 0}, {5, 1}, *c.dc, {1, 0}, BlitOp::Copy);
    expectMap(c, {"rgb..."});
}

TEST(Blit, RefusesEmptySizesAndSurfaces) {
    Canvas a(2, 2), b(2, 2);
    EXPECT_FALSE(blit(*a.dc, {0, 0}, {0, 2}, *b.dc, {0, 0}, BlitOp::Copy));
    EXPECT_FALSE(blit(*a.dc, {0, 0}, {2, -1}, *b.dc, {0, 0}, BlitOp::Copy));
    auto bare = createMemoryDC(nullptr);  // only the stock bitmap
    EXPECT_FALSE(blit(*a.dc, {0, 0}, {2, 2}, *bare, {0, 0}, BlitOp::Copy));
    EXPECT_FALSE(blit(*bare, {0, 0}, {2, 2}, *a.dc, {0, 0}, BlitOp::Copy));
    EXPECT_TRUE(blit(*a.dc, {5, 5}, {2, 2}, *b.dc, {0, 0}, BlitOp::Copy));  // all clipped away
}

// ---------------------------------------------------------------------------------

struct ImageLibrary {
    ImageLibrary() : library(loadLibrary(kImageLibraryName)) {}
    ~ImageLibrary() {
        freeLibrary(library);
        setImageLibraryContents({});
    }
    KeyedCopyFunction keyed() const {
        return reinterpret_cast<KeyedCopyFunction>(
            findLibraryFunction(library, kKeyedCopyFunctionName));
    }
    BlendCopyFunction blend() const {
        return reinterpret_cast<BlendCopyFunction>(
            findLibraryFunction(library, kBlendCopyFunctionName));
    }
    Library* library;
};

TEST(ImageLibrary, OffersItsFunctionsByNameUnlessTheyAreAbsent) {
    {
        ImageLibrary lib;
        ASSERT_NE(lib.library, nullptr);
        EXPECT_NE(lib.keyed(), nullptr);
        EXPECT_NE(lib.blend(), nullptr);
        EXPECT_EQ(findLibraryFunction(lib.library, "noSuchFunction"), nullptr);
    }
    EXPECT_EQ(loadLibrary("noSuchLibrary"), nullptr);
    EXPECT_EQ(findLibraryFunction(nullptr, kKeyedCopyFunctionName), nullptr);

    setImageLibraryContents({.present = true, .keyedCopy = false, .blendCopy = true});
    {
        ImageLibrary lib;
        EXPECT_EQ(lib.keyed(), nullptr);
        EXPECT_NE(lib.blend(), nullptr);
    }
    setImageLibraryContents({.present = false});
    EXPECT_EQ(loadLibrary(kImageLibraryName), nullptr);
    setImageLibraryContents({});
}

TEST(ImageLibrary, KeyedCopyLeavesTheKeyColourOut) {
    ImageLibrary lib;
    Canvas source = painted({"r.g", ".b."});
    Canvas dest = painted({"###", "###"});
    EXPECT_TRUE(lib.keyed()(*dest.dc, {0, 0}, {3, 2}, *source.dc, {0, 0}, kPlatformWhite));
    expectMap(dest, {"r#g", "#b#"});
    EXPECT_TRUE(lib.keyed()(*dest.dc, {1, 0}, {2, 2}, *source.dc, {0, 0}, kRed));
    expectMap(dest, {"r#.", "#.b"});
}

TEST(ImageLibrary, BlendMixesByTheConstantOpacity) {
    ImageLibrary lib;
    Canvas source = painted({"r"});
    const PlatformColor grey = makePlatformColor(10, 100, 200);
    struct Case {
        std::uint8_t opacity;
        PlatformColor expected;
    } cases[] = {
        {255, kRed},
        {0, grey},
        // (255 * 128 + 10 * 127) / 255 = 133.0; (100 * 127) / 255 = 49.8; (200 * 127) / 255 = 99.6
        {128, makePlatformColor(133, 50, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.opacity));
        Canvas dest(1, 1, grey);
        EXPECT_TRUE(lib.blend()(*dest.dc, {0, 0}, {1, 1}, *source.dc, {0, 0}, c.opacity));
        EXPECT_EQ(dest.at(0, 0), c.expected);
    }
}

}  // namespace

namespace {

// Pixel by pixel, what a transfer must produce: the reference for the fast row paths.
std::uint32_t referenceValue(const Canvas& source, int sx, int sy, const Canvas& dest,
                             PixelFormat destFormat, PlatformColor sourceBackground,
                             PlatformColor destText, PlatformColor destBackground) {
    const PlatformColor s = source.at(sx, sy);
    if (source.surface().format == PixelFormat::Mono1 && destFormat == PixelFormat::Xrgb32)
        return toXrgb(s == kPlatformWhite ? destBackground : destText);
    if (source.surface().format == PixelFormat::Xrgb32 && destFormat == PixelFormat::Mono1)
        return s == sourceBackground ? 1u : 0u;
    return destFormat == PixelFormat::Xrgb32 ? toXrgb(s) : (s == kPlatformWhite ? 1u : 0u);
}

TEST(Blit, RowPathsMatchAPixelByPixelReferenceAtEveryAlignment) {
    const PixelFormat formats[] = {PixelFormat::Xrgb32, PixelFormat::Mono1};
    for (PixelFormat sourceFormat : formats)
        for (PixelFormat destFormat : formats)
            for (BlitOp op : {BlitOp::Copy, BlitOp::Xor, BlitOp::And})
                for (int destX : {0, 3, 8, 13})
                    for (int sourceX : {0, 5, 9}) {
                        SCOPED_TRACE(::testing::Message()
                                     << int(sourceFormat) << " -> " << int(destFormat) << " op "
                                     << int(op) << " at " << destX << " from " << sourceX);
                        Canvas source(40, 2, kPlatformBlack, sourceFormat);
                        Canvas dest(40, 2, kPlatformBlack, destFormat);
                        for (int y = 0; y < 2; ++y)
                            for (int x = 0; x < 40; ++x) {
                                const bool light = (x * 7 + y * 3) % 5 < 2;
                                source.dc->setPixel({x, y}, light ? kPlatformWhite : kRed);
                                dest.dc->setPixel({x, y}, (x + y) % 3 ? kBlue : kPlatformWhite);
                            }
                        source.dc->setBackgroundColor(kRed);
                        dest.dc->setTextColor(kGreen);
                        dest.dc->setBackgroundColor(kBlue);
                        const Canvas before = [&] {
                            Canvas copy(40, 2, kPlatformBlack, destFormat);
                            blit(*copy.dc, {0, 0}, {40, 2}, *dest.dc, {0, 0}, BlitOp::Copy);
                            return copy;
                        }();
                        const int width = 24;
                        blit(*dest.dc, {destX, 0}, {width, 2}, *source.dc, {sourceX, 0}, op);
                        for (int y = 0; y < 2; ++y)
                            for (int x = 0; x < 40; ++x) {
                                const std::uint32_t old =
                                    destFormat == PixelFormat::Xrgb32
                                        ? toXrgb(before.at(x, y))
                                        : (before.at(x, y) == kPlatformWhite ? 1u : 0u);
                                std::uint32_t expected = old;
                                if (x >= destX && x < destX + width) {
                                    const std::uint32_t s =
                                        referenceValue(source, x - destX + sourceX, y, dest,
                                                       destFormat, kRed, kGreen, kBlue);
                                    expected = op == BlitOp::Copy  ? s
                                               : op == BlitOp::Xor ? s ^ old
                                                                   : s & old;
                                }
                                const PlatformColor got = dest.at(x, y);
                                const std::uint32_t gotValue =
                                    destFormat == PixelFormat::Xrgb32
                                        ? toXrgb(got)
                                        : (got == kPlatformWhite ? 1u : 0u);
                                ASSERT_EQ(gotValue, expected) << x << "," << y;
                            }
                    }
}

TEST(ImageLibrary, KeyedCopyAndBlendRowsMatchThePerPixelRule) {
    ImageLibrary lib;
    Canvas source(37, 2), dest(37, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 37; ++x) {
            source.dc->setPixel({x, y}, x % 3 == 0 ? kPlatformWhite
                                                   : makePlatformColor(std::uint8_t(x * 7),
                                                                       std::uint8_t(y * 90), 33));
            dest.dc->setPixel({x, y}, makePlatformColor(10, std::uint8_t(x * 5), 250));
        }
    Canvas keyed(37, 2), blended(37, 2);
    blit(*keyed.dc, {0, 0}, {37, 2}, *dest.dc, {0, 0}, BlitOp::Copy);
    blit(*blended.dc, {0, 0}, {37, 2}, *dest.dc, {0, 0}, BlitOp::Copy);
    lib.keyed()(*keyed.dc, {1, 0}, {35, 2}, *source.dc, {0, 0}, kPlatformWhite);
    lib.blend()(*blended.dc, {1, 0}, {35, 2}, *source.dc, {0, 0}, 77);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 37; ++x) {
            const PlatformColor d = dest.at(x, y);
            const bool inside = x >= 1 && x < 36;
            const PlatformColor s = inside ? source.at(x - 1, y) : d;
            EXPECT_EQ(keyed.at(x, y), inside && s != kPlatformWhite ? s : d) << x;
            auto mixed = [&](int shift) {
                const int sv = (s >> shift) & 0xFF, dv = (d >> shift) & 0xFF;
                return std::uint32_t((sv * 77 + dv * 178 + 127) / 255) << shift;
            };
            EXPECT_EQ(blended.at(x, y), inside ? (mixed(0) | mixed(8) | mixed(16)) : d) << x;
        }
}

}  // namespace
