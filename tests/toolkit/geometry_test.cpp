// Points, rectangles, colours and reference counts.
#include <gtest/gtest.h>

#include <cstring>

#include "color.h"
#include "geometry.h"
#include "ref_counted.h"

namespace {

using namespace orbitone;

TEST(Rect, SizeOffsetAndEmptiness) {
    Rect r{10, 20, 40, 25};
    EXPECT_EQ(r.getWidth(), 30);
    EXPECT_EQ(r.getHeight(), 5);
    EXPECT_EQ(r.offsetBy(-10, 5), (Rect{0, 25, 30, 30}));
    EXPECT_FALSE(r.isEmpty());
    EXPECT_TRUE((Rect{5, 0, 5, 10}).isEmpty());
    EXPECT_TRUE((Rect{0, 5, 10, 4}).isEmpty());
    EXPECT_NE((Rect{0, 0, 1, 1}), (Rect{0, 0, 1, 2}));
}

TEST(Rect, PointInsideIsHalfOpenAndLiesWithinIsInclusive) {
    const Rect r{0, 0, 10, 10};
    struct Case {
        Point p;
        bool inside, within;
    } cases[] = {
        {{0, 0}, true, true},    {{9, 9}, true, true},    {{10, 5}, false, true},
        {{5, 10}, false, true},  {{10, 10}, false, true}, {{-1, 5}, false, false},
        {{11, 5}, false, false}, {{5, 11}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.p.h << "," << c.p.v);
        EXPECT_EQ(r.pointInside(c.p), c.inside);
        EXPECT_EQ(c.p.liesWithin(r), c.within);
    }
}

TEST(Rect, ClipToNeverInvertsAndCollapsesAtTheClippedEdge) {
    struct Case {
        Rect a, b, expected;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {{0, 0, 10, 10}, {20, 0, 30, 10}, {20, 0, 20, 10}},    // disjoint to the right
        {{0, 0, 10, 10}, {0, 20, 10, 30}, {0, 20, 10, 20}},    // disjoint below
        {{20, 20, 30, 30}, {0, 0, 10, 10}, {20, 20, 20, 20}},  // disjoint both ways
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {10, 0, 10, 10}},    // touching edge
    };
    for (const Case& c : cases) {
        Rect r = c.a;
        r.clipTo(c.b);
        EXPECT_EQ(r, c.expected);
        EXPECT_LE(r.left, r.right);
        EXPECT_LE(r.top, r.bottom);
    }
}

TEST(Rect, OverlapsIncludesTouchingEdgesAndCorners) {
    const Rect r{0, 0, 10, 10};
    EXPECT_TRUE(r.overlaps({5, 5, 15, 15}));
    EXPECT_TRUE(r.overlaps({10, 0, 20, 10}));   // shares the right edge
    EXPECT_TRUE(r.overlaps({0, 10, 10, 20}));   // shares the bottom edge
    EXPECT_TRUE(r.overlaps({10, 10, 20, 20}));  // shares a corner
    EXPECT_TRUE(r.overlaps({2, 2, 3, 3}));
    EXPECT_FALSE(r.overlaps({11, 0, 20, 10}));
    EXPECT_FALSE(r.overlaps({0, 11, 10, 20}));
    EXPECT_FALSE(r.overlaps({-10, -10, -1, -1}));
}

TEST(Color, IsOneWordWithRedLowestAndKnowsItsPlatformValue) {
    const Color c{0x12, 0x34, 0x56, 0x78};
    std::uint32_t word;
    std::memcpy(&word, &c, 4);
    EXPECT_EQ(word, 0x78563412u);
    EXPECT_EQ(toPlatformColor(c), 0x563412u);  // alpha never reaches the platform
    EXPECT_EQ(toPlatformColor(colorTransparent), toPlatformColor(colorWhite));
    const Color table[] = {colorTransparent, colorBlack, colorWhite,  colorGrey,    colorRed,
                           colorGreen,       colorBlue,  colorYellow, colorMagenta, colorCyan};
    const Color expected[] = {{255, 255, 255, 0},   {0, 0, 0, 255},     {255, 255, 255, 255},
                              {127, 127, 127, 255}, {255, 0, 0, 255},   {0, 255, 0, 255},
                              {0, 0, 255, 255},     {255, 255, 0, 255}, {255, 0, 255, 255},
                              {0, 255, 255, 255}};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(table[i], expected[i]) << i;
}

TEST(CRefCounted, TheLastReleaseDestroys) {
    struct Probe : CRefCounted {
        explicit Probe(bool* destroyed) : destroyed(destroyed) {}
        ~Probe() override { *destroyed = true; }
        bool* destroyed;
    };
    bool destroyed = false;
    auto* probe = new Probe(&destroyed);
    EXPECT_EQ(probe->getReferenceCount(), 1);
    probe->retain();
    EXPECT_EQ(probe->getReferenceCount(), 2);
    probe->release();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(probe->getReferenceCount(), 1);
    probe->release();
    EXPECT_TRUE(destroyed);
}

}  // namespace
