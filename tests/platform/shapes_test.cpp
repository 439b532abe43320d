// Lines, shapes, pixels, flood fill and clipping of the raster.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "pixel_test.h"
#include "raster.h"

namespace {

using namespace orbitone::platform;
using orbitone::testing::Canvas;
using orbitone::testing::Legend;
using orbitone::testing::matchesPixelMap;

constexpr PlatformColor kRed = makePlatformColor(255, 0, 0);
constexpr PlatformColor kBlue = makePlatformColor(0, 0, 255);
const Legend kLegend = {{kPlatformWhite, '.'}, {kPlatformBlack, '#'}, {kRed, 'r'}, {kBlue, 'b'}};

// A canvas with a pen and a brush of its own selected.
struct Scene : Canvas {
    Scene(std::int32_t w, std::int32_t h, PenDesc penDesc = {PenStyle::Solid, 1, kPlatformBlack},
          BrushDesc brushDesc = {BrushStyle::Solid, kRed})
        : Canvas(w, h), pen(Pen::create(penDesc)), brush(Brush::create(brushDesc)) {
        dc->select(pen.get());
        dc->select(brush.get());
    }
    bool matches(const std::vector<std::string>& map) const {
        const auto result = matchesPixelMap(surface(), surface().bounds(), map, kLegend);
        if (!result) ADD_FAILURE() << result.message();
        return bool(result);
    }
    std::set<std::pair<int, int>> pixelsOf(PlatformColor c) const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < surface().height; ++y)
            for (int x = 0; x < surface().width; ++x)
                if (at(x, y) == c) out.insert({x, y});
        return out;
    }
    std::unique_ptr<Pen> pen;
    std::unique_ptr<Brush> brush;
};

TEST(Lines, LeaveOutTheirEndPixelInEveryDirection) {
    struct Case {
        PixelPoint from, to;
        std::vector<std::string> map;
    } cases[] = {
        {{0, 0}, {5, 0}, {"#####.", "......", "......"}},
        {{5, 2}, {0, 2}, {"......", "......", ".#####"}},
        {{1, 0}, {1, 3}, {".#....", ".#....", ".#....", "......"}},
        {{0, 0}, {3, 3}, {"#.....", ".#....", "..#...", "......"}},
        {{5, 0}, {0, 2}, {"....##", "..##..", ".#...."}},  // shallow: rounded to nearest
        {{2, 2}, {2, 2}, {"......", "......", "......"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y);
        Scene s(6, int(c.map.size()));
        s.dc->moveTo(c.from);
        s.dc->lineTo(c.to);
        s.matches(c.map);
        EXPECT_EQ(s.dc->position(), c.to);
    }
}

TEST(Lines, PolylineDrawsEveryVertexOnceAndLeavesOutTheLastPoint) {
    Scene s(5, 4);
    s.dc->setMixMode(MixMode::NotXor);  // a pixel drawn twice would come back white
    const PixelPoint path[] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0, 0}};
    s.dc->polyline(path);
    s.matches({"#####", "#...#", "#...#", "#####"});
}

TEST(Lines, DottedPenDrawsEveryOtherPixelAndFillsGapsWhenOpaque) {
    Scene s(9, 2, {PenStyle::Dotted, 1, kPlatformBlack});
    s.dc->setBackgroundColor(kBlue);
    s.dc->setBackgroundMode(BackgroundMode::Transparent);
    s.dc->moveTo({0, 0});
    s.dc->lineTo({9, 0});
    s.dc->setBackgroundMode(BackgroundMode::Opaque);
    s.dc->moveTo({0, 1});
    s.dc->lineTo({9, 1});
    s.matches({"#.#.#.#.#", "#b#b#b#b#"});
}

TEST(Lines, WideDottedPenDrawsSolid) {
    auto pen = Pen::create({PenStyle::Dotted, 2, kPlatformBlack});
    EXPECT_FALSE(pen->isDotted());
    EXPECT_TRUE(Pen::create({PenStyle::Dotted, 0, kPlatformBlack})->isDotted());
}

TEST(Lines, MixModesCombineWithThePixels) {
    Scene s(4, 1, {PenStyle::Solid, 1, makePlatformColor(0, 0, 255)});
    s.dc->setPixel({0, 0}, kRed);
    s.dc->setPixel({1, 0}, kRed);
    s.dc->setMixMode(MixMode::Merge);
    s.dc->moveTo({0, 0});
    s.dc->lineTo({1, 0});
    EXPECT_EQ(s.at(0, 0), makePlatformColor(255, 0, 255));  // red | blue
    s.dc->setMixMode(MixMode::NotXor);
    s.dc->moveTo({1, 0});
    s.dc->lineTo({3, 0});
    EXPECT_EQ(s.at(1, 0), makePlatformColor(0, 255, 0));  // ~(red ^ blue)
    EXPECT_EQ(s.at(2, 0), makePlatformColor(0, 0, 255));  // ~(white ^ blue)
    s.dc->moveTo({1, 0});
    s.dc->lineTo({3, 0});  // not-xor twice gives the pixels back
    EXPECT_EQ(s.at(1, 0), kRed);
    EXPECT_EQ(s.at(2, 0), kPlatformWhite);
}

TEST(Lines, WidePenCoversItsWidthAndEachPixelOnce) {
    Scene s(9, 5, {PenStyle::Solid, 3, kPlatformBlack});
    s.dc->setMixMode(MixMode::NotXor);
    const PixelPoint path[] = {{2, 2}, {6, 2}, {6, 3}};
    s.dc->polyline(path);
    s.matches({".........", ".#######.", ".#######.", ".#######.", ".....###."});
}

TEST(Lines, HugeCoordinatesDrawOnlyTheVisiblePart) {
    Scene s(8, 3);
    s.dc->moveTo({INT32_MIN, 1});
    s.dc->lineTo({INT32_MAX, 1});
    s.dc->moveTo({3, INT32_MIN});
    s.dc->lineTo({3, INT32_MAX});
    s.matches({"...#....", "########", "...#...."});
}

TEST(Lines, NullPenDrawsNothingButMovesThePen) {
    Scene s(3, 1, {PenStyle::Null, 1, kPlatformBlack});
    s.dc->lineTo({3, 0});
    s.matches({"..."});
    EXPECT_EQ(s.dc->position(), (PixelPoint{3, 0}));
}

TEST(Rectangles, FillRectCopiesTheBrushIntoTheHalfOpenRectangle) {
    Scene s(5, 4);
    s.dc->setMixMode(MixMode::NotXor);  // fills ignore the mix mode
    s.dc->fillRect({1, 1, 4, 3}, *s.brush);
    s.dc->fillRect({4, 3, 2, 2}, *s.brush);  // inverted: nothing
    s.matches({".....", ".rrr.", ".rrr.", "....."});
}

TEST(Clip, NothingIsDrawnOutsideTheClipRectangle) {
    Scene s(6, 4);
    s.dc->selectClipRect(PixelRect{4, 3, 1, 1});  // inverted: normalised to (1, 1, 4, 3)
    EXPECT_EQ(s.dc->clipRect(), (PixelRect{1, 1, 4, 3}));
    s.dc->fillRect({0, 0, 6, 4}, *s.brush);
    s.dc->moveTo({0, 0});
    s.dc->lineTo({6, 0});
    s.dc->ellipse({0, 0, 6, 4});
    EXPECT_EQ(s.dc->setPixel({0, 0}, kBlue), kInvalidColor);
    EXPECT_EQ(s.dc->getPixel({5, 3}), kInvalidColor);
    EXPECT_EQ(s.dc->getPixel({1, 1}), s.at(1, 1));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(s.at(x, y) != kPlatformWhite, inside) << x << "," << y;
        }
    s.dc->selectClipRect(std::nullopt);
    EXPECT_EQ(s.dc->clipSelectionCount(), 2u);
    EXPECT_NE(s.dc->setPixel({0, 0}, kBlue), kInvalidColor);
}

TEST(Pixels, SetAndGetWorkInBothFormats) {
    Canvas colour(2, 1);
    EXPECT_EQ(colour.dc->setPixel({1, 0}, makePlatformColor(1, 2, 3)), makePlatformColor(1, 2, 3));
    EXPECT_EQ(colour.dc->getPixel({1, 0}), makePlatformColor(1, 2, 3));
    EXPECT_EQ(colour.dc->getPixel({2, 0}), kInvalidColor);
    EXPECT_EQ(colour.dc->getPixel({-1, 0}), kInvalidColor);

    Canvas mono(9, 1, kPlatformBlack, PixelFormat::Mono1);
    EXPECT_EQ(mono.dc->setPixel({8, 0}, makePlatformColor(200, 200, 200)), kPlatformWhite);
    EXPECT_EQ(mono.dc->setPixel({7, 0}, makePlatformColor(100, 100, 100)), kPlatformBlack);
    EXPECT_EQ(mono.dc->getPixel({8, 0}), kPlatformWhite);
    EXPECT_EQ(mono.dc->getPixel({7, 0}), kPlatformBlack);
}

TEST(FloodFill, FillsTheFourConnectedAreaOfTheSurfaceColour) {
    Scene s(7, 5);
    const char* art[] = {"...#...", "...#...", "####...", "..#.#..", "...#..."};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            if (art[y][x] == '#') s.dc->setPixel({x, y}, kPlatformBlack);
    EXPECT_TRUE(s.dc->floodFill({0, 0}, kPlatformWhite));
    // The walls stop it; the diagonal gaps at (3,3) and (2,4) are not crossed.
    s.matches({"rrr#...", "rrr#...", "####...", "..#.#..", "...#..."});
    EXPECT_TRUE(s.dc->floodFill({6, 0}, kPlatformWhite));
    s.matches({"rrr#rrr", "rrr#rrr", "####rrr", "..#.#rr", "...#rrr"});
}

TEST(FloodFill, StaysInsideTheClipAndRefusesAWrongStart) {
    Scene s(4, 2);
    EXPECT_FALSE(s.dc->floodFill({0, 0}, kPlatformBlack));  // (0, 0) is white
    s.dc->selectClipRect(PixelRect{1, 0, 3, 2});
    EXPECT_FALSE(s.dc->floodFill({0, 0}, kPlatformWhite));  // outside the clip
    EXPECT_TRUE(s.dc->floodFill({1, 1}, kPlatformWhite));
    s.matches({".rr.", ".rr."});
    auto white = Brush::create({BrushStyle::Solid, kPlatformWhite});
    s.dc->select(white.get());
    s.dc->selectClipRect(std::nullopt);
    EXPECT_TRUE(s.dc->floodFill({0, 0}, kPlatformWhite));  // already the brush colour
    s.matches({".rr.", ".rr."});
}

TEST(Polygons, FillThePixelCentresInsideEvenOdd) {
    Scene s(6, 5, {PenStyle::Null, 1, 0});
    const PixelPoint square[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    s.dc->polygon(square);
    s.matches({"......", ".rrrr.", ".rrrr.", ".rrrr.", "......"});

    Scene t(7, 4, {PenStyle::Null, 1, 0});
    const PixelPoint triangle[] = {{0, 0}, {6, 0}, {0, 4}};
    t.dc->polygon(triangle);
    t.matches({"rrrrr..", "rrrr...", "rr.....", "r......"});

    // Two overlapping squares as one outline: the overlap is crossed twice and stays empty.
    Scene u(6, 3, {PenStyle::Null, 1, 0});
    const PixelPoint twice[] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0, 0},
                                {2, 0}, {6, 0}, {6, 3}, {2, 3}, {2, 0}};
    u.dc->polygon(twice);
    u.matches({"rr..rr", "rr..rr", "rr..rr"});
}

TEST(Polygons, WithAPenAreOutlinedOverTheirVertices) {
    Scene s(5, 4);
    const PixelPoint square[] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
    s.dc->polygon(square);
    s.matches({"#####", "#rrr#", "#rrr#", "#####"});
}

TEST(Ellipses, OutlineTouchesEveryEdgeOfItsBoxAndIsSymmetric) {
    Scene s(11, 11, {PenStyle::Solid, 1, kPlatformBlack}, {BrushStyle::Null, 0});
    s.dc->ellipse({0, 0, 11, 11});
    s.matches({
        "...#####...",
        "..#.....#..",
        ".#.......#.",
        "#.........#",
        "#.........#",
        "#.........#",
        "#.........#",
        "#.........#",
        ".#.......#.",
        "..#.....#..",
        "...#####...",
    });
}

TEST(Ellipses, NullPenInteriorExactlyFillsTheOutlineOfTheBoxGrownUpAndLeft) {
    for (PixelRect box : {PixelRect{0, 0, 11, 11}, PixelRect{0, 0, 12, 7}, PixelRect{0, 0, 3, 9},
                          PixelRect{0, 0, 20, 2}, PixelRect{0, 0, 16, 15}}) {
        SCOPED_TRACE(testing::Message() << box.right << "x" << box.bottom);
        Scene ring(box.right, box.bottom, {PenStyle::Solid, 1, kPlatformBlack},
                   {BrushStyle::Null, 0});
        ring.dc->ellipse(box);
        Scene fill(box.right, box.bottom, {PenStyle::Null, 1, 0});
        fill.dc->ellipse({box.left + 1, box.top + 1, box.right, box.bottom});
        const auto outline = ring.pixelsOf(kPlatformBlack);
        const auto inside = fill.pixelsOf(kRed);
        for (auto p : inside) EXPECT_FALSE(outline.count(p)) << p.first << "," << p.second;
        // Every row is one solid run: the outline's ends with the interior between.
        for (int y = 0; y < box.bottom; ++y) {
            int first = -1, last = -1, count = 0;
            for (int x = 0; x < box.right; ++x)
                if (outline.count({x, y}) || inside.count({x, y})) {
                    if (first < 0) first = x;
                    last = x;
                    ++count;
                }
            if (count) {
                EXPECT_EQ(count, last - first + 1) << "row " << y;
            }
        }
        // And the ring with a brush paints the same pixels.
        Scene both(box.right, box.bottom);
        both.dc->ellipse(box);
        EXPECT_EQ(both.pixelsOf(kPlatformBlack), outline);
        EXPECT_EQ(both.pixelsOf(kRed), inside);
    }
}

TEST(Ellipses, DegenerateBoxesDrawLinesOrNothing) {
    Scene s(5, 3, {PenStyle::Solid, 1, kPlatformBlack}, {BrushStyle::Null, 0});
    s.dc->ellipse({0, 1, 5, 2});
    s.dc->ellipse({2, 0, 2, 3});  // no width
    s.matches({".....", "#####", "....."});
    Scene huge(4, 4);
    huge.dc->ellipse({-(1 << 28), -(1 << 28), 1 << 28, 1 << 28});  // beyond the shape limit
    huge.matches({"....", "....", "....", "...."});
}

TEST(Ellipses, WidePenDrawsAThickerRingInsideTheBox) {
    Scene s(9, 9, {PenStyle::Solid, 2, kPlatformBlack});
    s.dc->ellipse({0, 0, 9, 9});
    s.matches({
        "..#####..",
        ".#######.",
        "###rrr###",
        "##rrrrr##",
        "##rrrrr##",
        "##rrrrr##",
        "###rrr###",
        ".#######.",
        "..#####..",
    });
}

TEST(Arcs, RunCounterClockwiseFromTheStartRayToTheEndRay) {
    Scene full(11, 11);
    full.dc->arc({0, 0, 11, 11}, {5, 0}, {5, 0});
    Scene ellipse(11, 11, {PenStyle::Solid, 1, kPlatformBlack}, {BrushStyle::Null, 0});
    ellipse.dc->ellipse({0, 0, 11, 11});
    EXPECT_EQ(full.pixelsOf(kPlatformBlack), ellipse.pixelsOf(kPlatformBlack));

    // From the right (east) to the top (north): the upper right quarter only.
    Scene quarter(11, 11);
    quarter.dc->arc({0, 0, 11, 11}, {10, 5}, {5, 0});
    const auto pixels = quarter.pixelsOf(kPlatformBlack);
    EXPECT_FALSE(pixels.empty());
    for (auto [x, y] : pixels) {
        EXPECT_GE(x, 5);
        EXPECT_LE(y, 5);
    }
    EXPECT_TRUE(pixels.count({10, 5}));
    EXPECT_TRUE(pixels.count({5, 0}));
    // The other way round it is the remaining three quarters.
    Scene rest(11, 11);
    rest.dc->arc({0, 0, 11, 11}, {5, 0}, {10, 5});
    for (auto p : ellipse.pixelsOf(kPlatformBlack)) {
        const bool inQuarter = p.first > 5 && p.second < 5;
        EXPECT_EQ(rest.pixelsOf(kPlatformBlack).count(p) == 1, !inQuarter)
            << p.first << "," << p.second;
    }
}

TEST(Pies, NullPenSliceIsTheEllipseInteriorWithinTheSweep) {
    Scene whole(11, 11, {PenStyle::Null, 1, 0});
    whole.dc->pie({1, 1, 11, 11}, {5, 0}, {5, 0});
    Scene ellipse(11, 11, {PenStyle::Null, 1, 0});
    ellipse.dc->ellipse({1, 1, 11, 11});
    EXPECT_EQ(whole.pixelsOf(kRed), ellipse.pixelsOf(kRed));

    Scene half(11, 11, {PenStyle::Null, 1, 0});
    half.dc->pie({1, 1, 11, 11}, {10, 5}, {0, 5});  // east to west over the top
    for (auto [x, y] : half.pixelsOf(kRed)) EXPECT_LE(y, 5);
    for (auto [x, y] : ellipse.pixelsOf(kRed))
        if (y < 5) {
            EXPECT_EQ(half.at(x, y), kRed) << x << "," << y;
        }
}

TEST(Pies, WithAPenOutlineTheArcAndBothRadii) {
    Scene s(11, 11, {PenStyle::Solid, 1, kPlatformBlack}, {BrushStyle::Null, 0});
    s.dc->pie({0, 0, 11, 11}, {10, 5}, {5, 0});
    for (int i = 5; i <= 10; ++i) {
        EXPECT_EQ(s.at(i, 5), kPlatformBlack) << i;       // east radius
        EXPECT_EQ(s.at(5, 10 - i), kPlatformBlack) << i;  // north radius
    }
    EXPECT_EQ(s.at(2, 8), kPlatformWhite);
}

TEST(MonochromeSurfaces, TakeTheNearerOfBlackAndWhite) {
    Canvas mono(8, 2, kPlatformBlack, PixelFormat::Mono1);
    auto light = Brush::create({BrushStyle::Solid, makePlatformColor(250, 240, 200)});
    mono.dc->fillRect({0, 0, 4, 2}, *light);
    auto pen = Pen::create({PenStyle::Solid, 1, kPlatformWhite});
    mono.dc->select(pen.get());
    mono.dc->moveTo({4, 1});
    mono.dc->lineTo({8, 1});
    EXPECT_TRUE(matchesPixelMap(mono.surface(), mono.surface().bounds(), {"....####", "........"},
                                kLegend));
}

}  // namespace
