// Fonts: faces found through fontconfig, text measured and drawn antialiased.
#include <gtest/gtest.h>

#include "pixel_test.h"
#include "raster.h"

namespace {

using namespace orbitone::platform;
using orbitone::testing::Canvas;
using orbitone::testing::saveTestImage;

constexpr PlatformColor kNavy = makePlatformColor(0, 15, 67);

std::unique_ptr<Font> font(const char* face, std::int32_t pixels,
                           std::int32_t weight = kWeightNormal, bool italic = false,
                           bool underline = false) {
    FontDesc d;
    d.height = -pixels;
    d.weight = weight;
    d.italic = italic;
    d.underline = underline;
    d.faceName = face;
    return Font::create(d);
}

// The columns and rows holding pixels other than the background.
struct Ink {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;  // inclusive
    int partial = 0;  // pixels between background and text colour
    bool any() const { return right >= 0; }
};

Ink inkOf(const Canvas& c, PlatformColor background, PlatformColor text) {
    Ink ink;
    for (int y = 0; y < c.surface().height; ++y)
        for (int x = 0; x < c.surface().width; ++x) {
            const PlatformColor p = c.at(x, y);
            if (p == background) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            if (p != text) ++ink.partial;
        }
    return ink;
}

TEST(Fonts, ArialIsAnsweredByAConfiguredReplacementAndUnknownFacesByNothing) {
    EXPECT_TRUE(font("Arial", 12)->hasFace());
    EXPECT_TRUE(font("Symbol", 13)->hasFace());
    EXPECT_TRUE(stockFont().hasFace());
    auto missing = font("No Such Face Anywhere", 12);
    EXPECT_FALSE(missing->hasFace());

    Canvas c(40, 20);
    c.dc->select(missing.get());
    EXPECT_EQ(c.dc->textExtent("Hello"), (PixelSize{0, 0}));
    c.dc->drawText("Hello", {0, 0, 40, 20}, TextAlign::Left);
    EXPECT_FALSE(inkOf(c, kPlatformWhite, kPlatformBlack).any());
}

TEST(Fonts, ExtentGrowsWithTheTextAndTheSizeAndBoldIsWider) {
    auto dc = createMemoryDC(nullptr);
    auto small = font("Arial", 9), large = font("Arial", 18), bold = font("Arial", 12, kWeightBold),
         plain = font("Arial", 12);
    dc->select(small.get());
    const PixelSize shortSmall = dc->textExtent("Env");
    const PixelSize longSmall = dc->textExtent("Env.Amount");
    EXPECT_GT(shortSmall.width, 0);
    EXPECT_GT(longSmall.width, shortSmall.width);
    EXPECT_EQ(dc->textExtent("").width, 0);
    dc->select(large.get());
    EXPECT_GT(dc->textExtent("Env.Amount").width, longSmall.width);
    EXPECT_GT(dc->textExtent("Env.Amount").height, longSmall.height);
    dc->select(plain.get());
    const std::int32_t plainWidth = dc->textExtent("Oscillator 1000 Hz").width;
    dc->select(bold.get());
    EXPECT_GT(dc->textExtent("Oscillator 1000 Hz").width, plainWidth);
    // The character height is the em size: a 12 pixel font has a line of 14 pixels.
    dc->select(plain.get());
    EXPECT_EQ(dc->textExtent("x").height, 14);
}

TEST(Fonts, TextIsAntialiasedInTheTextColour) {
    Canvas c(60, 20, kNavy);
    auto f = font("Arial", 12);
    c.dc->select(f.get());
    c.dc->setTextColor(kPlatformWhite);
    c.dc->setBackgroundMode(BackgroundMode::Transparent);
    c.dc->drawText("Roll-Off", {0, 0, 60, 20}, TextAlign::Left);
    const Ink ink = inkOf(c, kNavy, kPlatformWhite);
    ASSERT_TRUE(ink.any());
    EXPECT_GT(ink.partial, 10);  // edges blend between navy and white
    EXPECT_EQ(c.at(ink.left, 0), kNavy);
}

TEST(Fonts, AlignmentPlacesTheLineInItsRectangle) {
    auto f = font("Arial", 12);
    const PixelRect rect{10, 0, 90, 20};
    Ink placed[3];
    for (TextAlign align : {TextAlign::Left, TextAlign::Center, TextAlign::Right}) {
        Canvas c(100, 20);
        c.dc->select(f.get());
        c.dc->drawText("Mix", rect, align);
        placed[int(align)] = inkOf(c, kPlatformWhite, kPlatformBlack);
        ASSERT_TRUE(placed[int(align)].any());
    }
    const int width = placed[0].right - placed[0].left;
    EXPECT_GE(placed[0].left, 10);
    EXPECT_LE(placed[0].left, 12);
    EXPECT_LE(placed[2].right, 89);
    EXPECT_GE(placed[2].right, 87);
    const int centreGap = (placed[1].left - 10) - (89 - placed[1].right);
    EXPECT_LE(std::abs(centreGap), 2);
    EXPECT_EQ(placed[1].right - placed[1].left, width);
    // Vertically centred: as much room above as below, within a pixel or two.
    EXPECT_LE(std::abs(placed[0].top - (19 - placed[0].bottom)), 3);
}

TEST(Fonts, OpaqueBackgroundPaintsBehindTheTextOnly) {
    Canvas c(80, 20);
    auto f = font("Arial", 12);
    c.dc->select(f.get());
    c.dc->setBackgroundColor(kNavy);
    c.dc->setBackgroundMode(BackgroundMode::Opaque);
    c.dc->setTextColor(kPlatformWhite);
    c.dc->drawText("0.50", {0, 0, 80, 20}, TextAlign::Left);
    const PixelSize extent = c.dc->textExtent("0.50");
    const int top = (20 - extent.height) / 2;
    EXPECT_EQ(c.at(0, top), kNavy);
    EXPECT_EQ(c.at(extent.width - 1, top + extent.height - 1), kNavy);
    EXPECT_EQ(c.at(extent.width, top), kPlatformWhite);
    EXPECT_EQ(c.at(0, top - 1), kPlatformWhite);
    EXPECT_EQ(c.at(0, top + extent.height), kPlatformWhite);
}

TEST(Fonts, TextIsClippedToItsRectangle) {
    Canvas c(40, 20);
    auto f = font("Arial", 18);
    c.dc->select(f.get());
    c.dc->drawText("WWWWWWWW", {5, 5, 25, 12}, TextAlign::Left);
    const Ink ink = inkOf(c, kPlatformWhite, kPlatformBlack);
    ASSERT_TRUE(ink.any());
    EXPECT_GE(ink.left, 5);
    EXPECT_LE(ink.right, 24);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.bottom, 11);
}

TEST(Fonts, UnderlineDrawsALineUnderTheText) {
    Canvas plain(60, 20), underlined(60, 20);
    auto a = font("Arial", 12), b = font("Arial", 12, kWeightNormal, false, true);
    plain.dc->select(a.get());
    underlined.dc->select(b.get());
    plain.dc->drawText("ab", {0, 0, 60, 20}, TextAlign::Left);
    underlined.dc->drawText("ab", {0, 0, 60, 20}, TextAlign::Left);
    const Ink p = inkOf(plain, kPlatformWhite, kPlatformBlack);
    const Ink u = inkOf(underlined, kPlatformWhite, kPlatformBlack);
    EXPECT_GT(u.bottom, p.bottom);
    EXPECT_EQ(underlined.at(0, u.bottom), kPlatformBlack);
}

TEST(Fonts, SceneOfFacesSizesAndStyles) {
    Canvas c(320, 150, makePlatformColor(200, 200, 200));
    struct Line {
        const char* face;
        int size;
        int weight;
        bool italic, underline;
        const char* text;
    } lines[] = {
        {"Arial", 9, kWeightNormal, false, false, "Arial 9: Env.Atk 12.5 ms  Osc.Freq 440 Hz"},
        {"Arial", 11, kWeightNormal, false, false, "Arial 11: Version 1.1.0"},
        {"Arial", 12, kWeightBold, false, false, "Arial 12 bold: Oscillator  LFO"},
        {"Arial", 14, kWeightNormal, true, false, "Arial 14 italic: Roll-Off"},
        {"Arial", 18, kWeightNormal, false, true, "Arial 18 underlined"},
        {"Symbol", 13, kWeightNormal, false, false, "abgdp"},
    };
    int y = 2;
    for (const Line& l : lines) {
        auto f = font(l.face, l.size, l.weight, l.italic, l.underline);
        c.dc->select(f.get());
        c.dc->setBackgroundMode(BackgroundMode::Transparent);
        const int h = c.dc->textExtent(l.text).height;
        c.dc->drawText(l.text, {4, y, 316, y + h}, TextAlign::Left);
        y += h + 2;
        c.dc->select(&stockFont());
    }
    EXPECT_FALSE(saveTestImage(c.surface(), "").empty());
}

}  // namespace
