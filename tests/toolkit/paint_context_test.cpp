// CPaintContext: construction and destruction, attributes, the drawing vocabulary with
// its pixel conventions, text, clip and copies.
#include <gtest/gtest.h>

#include <vector>

#include "drawing_fixture.h"
#include "paint_context.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;

std::uint64_t created(pf::ObjectKind kind) { return pf::objectCounts().createdOf(kind); }
std::uint64_t live(pf::ObjectKind kind) { return pf::objectCounts().liveOf(kind); }

TEST(PaintContextLifecycle, AWindowWithoutDeviceContextGetsOneAndGivesItBack) {
    TestWindow window(10, 10, {30, 40});
    TestFrame frame;
    frame.bounds = {0, 0, 300, 200};
    const std::uint64_t contextsBefore = live(pf::ObjectKind::DeviceContext);
    {
        CPaintContext context(&frame, nullptr, &window);
        ASSERT_NE(context.getPlatformDC(), nullptr);
        EXPECT_EQ(context.getPlatformDC()->window(), &window);
        EXPECT_EQ(context.windowOrigin, (Point{30, 40}));
        EXPECT_EQ(context.offset, (Point{0, 0}));
        EXPECT_EQ(context.getClipRect(), (Rect{0, 0, 300, 200}));
        EXPECT_EQ(context.getPlatformDC()->clipSelectionCount(), 0u);  // only recorded
        EXPECT_EQ(context.getReferenceCount(), 1);
        EXPECT_EQ(live(pf::ObjectKind::DeviceContext), contextsBefore + 1);
    }
    EXPECT_EQ(window.releases, 1);
    EXPECT_EQ(live(pf::ObjectKind::DeviceContext), contextsBefore);
}

TEST(PaintContextLifecycle, AGivenDeviceContextIsKeptAndGetsItsObjectsBack) {
    Canvas canvas(4, 4);
    auto ownPen = pf::Pen::create({});
    canvas.dc->select(ownPen.get());
    pf::Brush* brushBefore = canvas.dc->brush();
    pf::Font* fontBefore = canvas.dc->font();
    const std::uint64_t pensBefore = live(pf::ObjectKind::Pen);
    {
        CPaintContext context(nullptr, canvas.dc.get(), nullptr);
        EXPECT_EQ(context.getClipRect(), kDefaultClipRect);
        EXPECT_EQ(context.windowOrigin, (Point{0, 0}));
        // The defaults reached the device context.
        pf::DeviceContext& dc = *canvas.dc;
        EXPECT_EQ(dc.backgroundMode(), pf::BackgroundMode::Transparent);
        EXPECT_EQ(dc.textColor(), pf::kPlatformWhite);
        EXPECT_EQ(dc.backgroundColor(), pf::kPlatformBlack);
        EXPECT_EQ(dc.pen()->desc(), (pf::PenDesc{pf::PenStyle::Solid, 1, pf::kPlatformWhite}));
        EXPECT_EQ(dc.brush()->desc().color, pf::kPlatformBlack);
        EXPECT_EQ(dc.font(), fontBefore);                      // no font until selectFont
        EXPECT_EQ(live(pf::ObjectKind::Pen), pensBefore + 1);  // one pen, not one per default
        context.selectFont(3);
        EXPECT_NE(dc.font(), fontBefore);
    }
    EXPECT_EQ(canvas.dc->pen(), ownPen.get());
    EXPECT_EQ(canvas.dc->brush(), brushBefore);
    EXPECT_EQ(canvas.dc->font(), fontBefore);
    EXPECT_EQ(live(pf::ObjectKind::Pen), pensBefore);
}

TEST(PaintContextLifecycle, AWindowsDeviceContextThatIsGivenStaysWithItsOwner) {
    TestWindow window(4, 4, {7, 8});
    pf::DeviceContext* dc = pf::getWindowDC(&window);
    {
        CPaintContext context(nullptr, dc, &window);
        EXPECT_EQ(context.getPlatformDC(), dc);
        EXPECT_EQ(context.windowOrigin, (Point{7, 8}));
    }
    EXPECT_EQ(window.releases, 0);
    EXPECT_TRUE(pf::releaseWindowDC(&window, dc));
}

TEST(PaintContextLifecycle, WithoutDeviceContextNothingIsDrawnAndNothingBreaks) {
    CPaintContext context(nullptr, nullptr, nullptr);
    context.setStrokeColor(colorRed);
    context.setPenMode(kPenModeNotXor);
    context.selectFont(2);
    context.strokeRect({0, 0, 5, 5});
    context.drawText("text", {0, 0, 50, 20});
    context.setClip({1, 1, 2, 2});
    EXPECT_EQ(context.getPixelAt({0, 0}), (Color{255, 255, 255, 255}));
    EXPECT_EQ(context.measureText("text"), 0);
    EXPECT_EQ(context.getPenMode(), kPenModeNotXor);
    EXPECT_EQ(context.getFontSize(), 14);
}

TEST(PaintContextDrawing, FillRectInteriorAndStrokeRectOfTenByTen) {
    WindowScene s(12, 12);
    s.context->setBrushColor(colorRed);
    s.context->fillRectInterior({0, 0, 10, 10});
    EXPECT_TRUE(s.looks({
        "............",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        ".rrrrrrrrr..",
        "............",
        "............",
    }));
    s.context->setStrokeColor(colorBlack);
    s.context->setPenMode(kPenModeNotXor);  // a corner drawn twice would show
    s.context->strokeRect({0, 0, 10, 10});
    s.context->setPenMode(kPenModeCopy);
    EXPECT_TRUE(s.looks({
        "###########.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "#rrrrrrrrr#.",
        "###########.",
        "............",
    }));
}

TEST(PaintContextDrawing, TheOffsetIsAddedToEveryCoordinate) {
    WindowScene s(8, 6);
    s.context->offset = {3, 2};
    s.context->setStrokeColor(colorBlack);
    s.context->setBrushColor(colorRed);
    s.context->movePenTo({0, 0});
    s.context->drawLineTo({3, 0});
    s.context->fillRectInterior({-1, 0, 2, 3});
    s.context->setPixelAt({4, 3}, colorBlue);
    EXPECT_EQ(s.context->getPixelAt({4, 3}), (Color{0, 0, 255, 255}));
    EXPECT_TRUE(s.looks({
        "........",
        "........",
        "...###..",
        "...rr...",
        "...rr...",
        ".......b",
    }));
}

TEST(PaintContextDrawing, LinesLeaveOutTheirEndAndPolylinesUseHeapForLongLists) {
    for (int count : {4, 30, 31, 64}) {
        SCOPED_TRACE(count);
        WindowScene s(70, 3);
        s.context->setStrokeColor(colorBlack);
        std::vector<Point> points;
        for (int i = 0; i < count; ++i) points.push_back({i, 1});
        s.context->strokePolyline(points.data(), count);
        for (int x = 0; x < 70; ++x) EXPECT_EQ(s.at(x, 1), x < count - 1 ? kBlack : kWhite) << x;
    }
    WindowScene s(4, 1);
    s.context->setStrokeColor(colorBlack);
    s.context->strokePolyline(nullptr, 3);
    s.context->strokePolyline(nullptr, -1);
    EXPECT_TRUE(s.looks({"...."}));
}

TEST(PaintContextDrawing, FillPolygonInteriorUsesNoPenAndKeepsTheCurrentOne) {
    WindowScene s(6, 5);
    s.context->setStrokeColor(colorBlack);
    s.context->setBrushColor(colorRed);
    pf::Pen* pen = s.context->getPlatformDC()->pen();
    const Point square[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    s.context->fillPolygonInterior(square, 4);
    EXPECT_TRUE(s.looks({"......", ".rrrr.", ".rrrr.", ".rrrr.", "......"}));
    EXPECT_EQ(s.context->getPlatformDC()->pen(), pen);
}

TEST(PaintContextDrawing, EllipseInteriorFillsExactlyInsideTheStrokedOutline) {
    for (Rect r : {Rect{0, 0, 10, 10}, Rect{2, 1, 17, 9}, Rect{0, 0, 3, 12}}) {
        SCOPED_TRACE(::testing::Message() << r.right << "x" << r.bottom);
        WindowScene s(20, 14);
        s.context->setStrokeColor(colorBlack);
        s.context->setBrushColor(colorRed);
        s.context->fillEllipseInterior(r);
        // Not-xor turns white black, and would turn red cyan where the outline overlaps.
        s.context->setPenMode(kPenModeNotXor);
        s.context->strokeEllipse(r);
        int outlineLeft = 99, outlineRight = -1, outlineTop = 99, outlineBottom = -1;
        for (int y = 0; y < 14; ++y) {
            int first = -1, last = -1, count = 0;
            for (int x = 0; x < 20; ++x) {
                const auto c = s.at(x, y);
                if (c == kWhite) continue;
                if (c == kBlack) {
                    outlineLeft = std::min(outlineLeft, x);
                    outlineRight = std::max(outlineRight, x);
                    outlineTop = std::min(outlineTop, y);
                    outlineBottom = std::max(outlineBottom, y);
                }
                if (first < 0) first = x;
                last = x;
                ++count;
                EXPECT_TRUE(c == kBlack || c == kRed) << x << "," << y;
            }
            if (count) {
                EXPECT_EQ(count, last - first + 1) << "row " << y;  // no gap, no overlap
                EXPECT_EQ(s.at(first, y), kBlack);
                EXPECT_EQ(s.at(last, y), kBlack);
            }
        }
        EXPECT_EQ(outlineLeft, r.left);
        EXPECT_EQ(outlineRight, r.right);
        EXPECT_EQ(outlineTop, r.top);
        EXPECT_EQ(outlineBottom, r.bottom);
    }
}

TEST(PaintContextDrawing, StrokeArcByAnglesRunsCounterClockwiseFromItsStartAngle) {
    WindowScene byAngles(12, 12), byPoints(12, 12);
    byAngles.context->setStrokeColor(colorBlack);
    byPoints.context->setStrokeColor(colorBlack);
    byAngles.context->strokeArcByAngles({0, 0, 10, 10}, 0.0f, 90.0f);
    // rx = ry = 5: 0 degrees is (10, 5), 90 degrees is (5, 0).
    byPoints.context->strokeArc({0, 0, 10, 10}, {10, 5}, {5, 0});
    EXPECT_TRUE(surfacesEqual(byAngles.window.surface(), byPoints.window.surface()));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            if (byAngles.at(x, y) == kBlack) {
                EXPECT_GE(x, 5);
                EXPECT_LE(y, 5);
            }
    EXPECT_EQ(byAngles.at(10, 5), kBlack);
    EXPECT_EQ(byAngles.at(5, 0), kBlack);
    // A half turn from 180 to 360 degrees is the lower half.
    WindowScene lower(12, 12);
    lower.context->setStrokeColor(colorBlack);
    lower.context->strokeArcByAngles({0, 0, 10, 10}, 180.0f, 360.0f);
    EXPECT_EQ(lower.at(5, 10), kBlack);
    EXPECT_EQ(lower.at(5, 0), kWhite);
}

TEST(PaintContextDrawing, FillPieUsesTheBoxShrunkOnTheLeftAndTop) {
    WindowScene pie(12, 12), ellipse(12, 12);
    pie.context->setBrushColor(colorRed);
    ellipse.context->setBrushColor(colorRed);
    pie.context->fillPie({0, 0, 10, 10}, {5, 0}, {5, 0});  // a full turn
    // The pie's box is (1, 1, 10, 10): the inside of the outline of (0, 0, 10, 10), one
    // pixel less on the right and bottom than fillEllipseInterior of the same rectangle.
    ellipse.context->fillEllipseInterior({0, 0, 9, 9});
    EXPECT_TRUE(surfacesEqual(pie.window.surface(), ellipse.window.surface()));
    WindowScene quarter(12, 12);
    quarter.context->setBrushColor(colorRed);
    quarter.context->fillPie({0, 0, 10, 10}, {10, 5}, {5, 0});
    int painted = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            if (quarter.at(x, y) == kRed) {
                ++painted;
                EXPECT_GE(x, 4);
                EXPECT_LE(y, 5);
            }
    EXPECT_GT(painted, 10);
}

TEST(PaintContextDrawing, FloodFillFillsTheAreaOfTheColourUnderThePoint) {
    WindowScene s(6, 4);
    s.context->setStrokeColor(colorBlack);
    s.context->strokeRect({0, 0, 4, 3});
    s.context->setBrushColor(colorBlue);
    s.context->offset = {1, 1};
    s.context->floodFillAt({0, 0});  // (1, 1) on the device
    EXPECT_TRUE(s.looks({"#####.", "#bbb#.", "#bbb#.", "#####."}));
    s.context->floodFillAt({100, 100});  // outside: nothing
}

TEST(PaintContextDrawing, GetPixelAtAlwaysAnswersOpaque) {
    WindowScene s(2, 1);
    s.context->setPixelAt({0, 0}, Color{10, 20, 30, 0});
    EXPECT_EQ(s.context->getPixelAt({0, 0}), (Color{10, 20, 30, 255}));
    EXPECT_EQ(s.context->getPixelAt({1, 0}).alpha, 255);
    EXPECT_EQ(s.context->getPixelAt({5, 5}).alpha, 255);
}

TEST(PaintContextAttributes, PenModesAndTheDottedPattern) {
    WindowScene s(8, 3);
    s.context->setStrokeColor(colorBlack);
    s.context->setLinePattern(kLinePatternDotted);
    s.context->movePenTo({0, 0});
    s.context->drawLineTo({8, 0});
    s.context->setLinePattern(7);  // anything else is solid
    s.context->movePenTo({0, 1});
    s.context->drawLineTo({8, 1});
    s.context->setStrokeColor(colorBlue);
    s.context->setPenMode(kPenModeMerge);
    s.context->movePenTo({0, 1});
    s.context->drawLineTo({2, 1});
    s.context->setPenMode(kPenModeNotXor);
    s.context->movePenTo({0, 2});
    s.context->drawLineTo({2, 2});
    s.context->setPenMode(42);  // copy
    EXPECT_EQ(s.context->getPlatformDC()->mixMode(), pf::MixMode::Copy);
    s.context->movePenTo({2, 2});
    s.context->drawLineTo({4, 2});
    EXPECT_TRUE(s.looks({"#.#.#.#.", "bb######", "bbbb...."}));
}

TEST(PaintContextAttributes, ObjectsAreMadeOnlyWhenSomethingChanges) {
    WindowScene s(4, 4);
    pf::DeviceContext& dc = *s.context->getPlatformDC();
    const std::uint64_t pens = created(pf::ObjectKind::Pen);
    const std::uint64_t brushes = created(pf::ObjectKind::Brush);
    const std::uint64_t fonts = created(pf::ObjectKind::Font);
    const std::uint64_t livePens = live(pf::ObjectKind::Pen);

    s.context->setStrokeColor(colorWhite);  // unchanged
    s.context->setPenWidth(1);
    s.context->setBrushColor(colorBlack);
    EXPECT_EQ(created(pf::ObjectKind::Pen), pens);
    EXPECT_EQ(created(pf::ObjectKind::Brush), brushes);

    s.context->setStrokeColor(colorRed);  // replaces and deletes the pen
    s.context->setPenWidth(2);
    s.context->setBrushColor(colorBlue);
    EXPECT_EQ(created(pf::ObjectKind::Pen), pens + 2);
    EXPECT_EQ(created(pf::ObjectKind::Brush), brushes + 1);
    EXPECT_EQ(live(pf::ObjectKind::Pen), livePens);
    EXPECT_EQ(dc.pen()->desc(),
              (pf::PenDesc{pf::PenStyle::Solid, 2, pf::makePlatformColor(255, 0, 0)}));
    EXPECT_EQ(dc.backgroundColor(), kBlue);

    s.context->selectFont(2);
    s.context->selectFont(2, 14, 0);  // the same font again
    EXPECT_EQ(created(pf::ObjectKind::Font), fonts + 1);
    s.context->selectFont(2, 15);
    EXPECT_EQ(created(pf::ObjectKind::Font), fonts + 2);

    const std::uint64_t selections = dc.clipSelectionCount();
    s.context->setPenMode(kPenModeCopy);  // unchanged: nothing
    s.context->setClip({0, 0, 3, 3});
    s.context->setClip({0, 0, 3, 3});
    EXPECT_EQ(dc.clipSelectionCount(), selections + 1);
}

TEST(PaintContextAttributes, AFailedBrushKeepsThePreviousOne) {
    WindowScene s(4, 4);
    s.context->setBrushColor(colorRed);
    pf::Brush* red = s.context->getPlatformDC()->brush();
    pf::setObjectLimit(0);
    s.context->setBrushColor(colorBlue);
    pf::setObjectLimit(pf::kDefaultObjectLimit);
    EXPECT_EQ(s.context->getPlatformDC()->brush(), red);
    EXPECT_EQ(s.context->getBrushColor(), colorBlue);
    s.context->fillRectInterior({0, 0, 3, 3});
    EXPECT_EQ(s.at(1, 1), kRed);
}

TEST(PaintContextAttributes, SelectFontFallsBackAndForcesWhatTheTableSays) {
    WindowScene s(4, 4);
    struct Case {
        std::int32_t id, size, style;
        const char* face;
        std::int32_t expectedId, height, weight;
        std::uint8_t pitchAndFamily;
        bool italic, underline;
    } cases[] = {
        {9, 0, 0, "Arial", 0, -12, 700, pf::kFamilySwiss | pf::kPitchVariable, false, false},
        {-1, 0, styleItalic, "Arial", 0, -12, 700, pf::kFamilySwiss | pf::kPitchVariable, true,
         false},
        {7, 0, styleBold, "Symbol", 7, -13, 700, pf::kFamilyDecorative | pf::kPitchDefault, false,
         false},
        {6, 0, 0, "Arial", 6, -9, 400, pf::kFamilySwiss | pf::kPitchVariable, false, false},
        {3, 20, styleBold | styleUnderline, "Arial", 3, -20, 700,
         pf::kFamilySwiss | pf::kPitchVariable, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        s.context->selectFont(c.id, c.size, c.style);
        const pf::FontDesc& d = s.context->getPlatformDC()->font()->desc();
        EXPECT_EQ(s.context->getFontId(), c.expectedId);
        EXPECT_EQ(s.context->getFontSize(), -c.height);
        EXPECT_EQ(d.faceName, c.face);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.weight, c.weight);
        EXPECT_EQ(d.pitchAndFamily, c.pitchAndFamily);
        EXPECT_EQ(d.italic, c.italic);
        EXPECT_EQ(d.underline, c.underline);
        EXPECT_EQ(d.charSet, pf::CharSet::Ansi);
    }
}

TEST(PaintContextText, LeftAlignmentStartsOnePixelInAndTheOthersUseTheRectangle) {
    const Rect r{5, 0, 75, 20};
    for (std::int32_t alignment : {alignLeft, alignCenter, alignRight, 9}) {
        SCOPED_TRACE(alignment);
        WindowScene toolkit(80, 20);
        toolkit.context->selectFont(3);
        toolkit.context->setTextColor(colorBlack);
        toolkit.context->drawText("Speed", r, false, alignment);

        Canvas direct(80, 20);
        CPaintContext plain(nullptr, direct.dc.get(), nullptr);
        plain.selectFont(3);
        plain.setTextColor(colorBlack);
        const auto align = alignment == alignCenter  ? pf::TextAlign::Center
                           : alignment == alignRight ? pf::TextAlign::Right
                                                     : pf::TextAlign::Left;
        const int shift = (alignment == alignCenter || alignment == alignRight) ? 0 : 1;
        direct.dc->drawText("Speed", {r.left + shift, r.top, r.right, r.bottom}, align);
        EXPECT_TRUE(surfacesEqual(toolkit.window.surface(), direct.surface()));
    }
}

TEST(PaintContextText, OpaqueTextIsDrawnOnTheBrushColourAndLeavesTheModeTransparent) {
    WindowScene s(60, 20);
    s.context->selectFont(6);
    s.context->setBrushColor(Color{0, 15, 67, 255});
    s.context->setTextColor(colorWhite);
    s.context->drawText("0.25", {0, 0, 60, 20}, true, alignLeft);
    EXPECT_EQ(s.context->getPlatformDC()->backgroundMode(), pf::BackgroundMode::Transparent);
    const std::int32_t width = s.context->measureText("0.25");
    const pf::PixelSize extent = s.context->getPlatformDC()->textExtent("0.25");
    const int top = (20 - extent.height) / 2;
    EXPECT_EQ(s.at(1, top), pf::makePlatformColor(0, 15, 67));  // one pixel in
    EXPECT_EQ(s.at(width, top), pf::makePlatformColor(0, 15, 67));
    EXPECT_EQ(s.at(0, top), kWhite);
    EXPECT_EQ(s.at(width + 1, top), kWhite);

    WindowScene t(60, 20);
    t.context->selectFont(6);
    t.context->setBrushColor(colorRed);
    t.context->setTextColor(colorBlack);
    t.context->drawText("0.25", {0, 0, 60, 20}, false, alignLeft);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) EXPECT_NE(t.at(x, y), kRed);
}

TEST(PaintContextText, NullTextDrawsAndMeasuresNothing) {
    WindowScene s(10, 10);
    s.context->selectFont(0);
    s.context->drawText(nullptr, {0, 0, 10, 10}, true);
    EXPECT_EQ(s.context->measureText(nullptr), 0);
    EXPECT_GT(s.context->measureText("a"), 0);
    EXPECT_TRUE(s.looks(std::vector<std::string>(10, "..........")));
}

TEST(PaintContextText, ExtentGrowsWithTextAndSizeAndBoldIsWider) {
    WindowScene s(10, 10);
    s.context->selectFont(3);
    const std::int32_t plain = s.context->measureText("Oscillator");
    EXPECT_GT(plain, s.context->measureText("Osc"));
    s.context->selectFont(3, 0, styleBold);
    EXPECT_GT(s.context->measureText("Oscillator"), plain);
    s.context->selectFont(1);
    EXPECT_GT(s.context->measureText("Oscillator"), plain);
}

TEST(PaintContextClip, SetClipWorksInTheContextsCoordinatesAndGetClipGivesThemBack) {
    WindowScene s(8, 6);
    s.context->offset = {2, 1};
    s.context->setClip({0, 0, 3, 2});
    EXPECT_EQ(s.context->getClipRect(), (Rect{2, 1, 5, 3}));
    Rect r;
    EXPECT_EQ(s.context->getClip(r), (Rect{0, 0, 3, 2}));
    s.context->setBrushColor(colorRed);
    s.context->fillRectInterior({-5, -5, 20, 20});
    EXPECT_TRUE(s.looks({"........", "..rrr...", "..rrr...", "........", "........", "........"}));
    s.context->offset = {0, 0};
    s.context->resetClip();
    EXPECT_EQ(s.context->getClipRect(), kDefaultClipRect);

    TestFrame frame;
    frame.bounds = {0, 0, 40, 30};
    WindowScene f(8, 6, &frame);
    EXPECT_EQ(f.context->getClipRect(), frame.bounds);
    f.context->setClip({1, 1, 2, 2});
    f.context->resetClip();
    EXPECT_EQ(f.context->getClipRect(), frame.bounds);
}

TEST(PaintContextCopies, UseDeviceCoordinatesOnTheSideTheyName) {
    WindowScene source(6, 4), dest(6, 4);
    source.context->setPixelAt({1, 1}, colorRed);
    source.context->setPixelAt({2, 1}, colorBlue);
    source.context->offset = {1, 0};
    dest.context->offset = {3, 3};  // not added: copyRectFrom takes device coordinates
    dest.context->copyRectFrom(*source.context, {0, 1, 2, 2}, 0, 2);
    EXPECT_TRUE(dest.looks({"......", "......", "rb....", "......"}));

    WindowScene back(6, 4);
    back.context->offset = {2, 1};
    source.context->copyRectTo(*back.context, {0, 0, 2, 1}, {1, 1});  // source offset not added
    EXPECT_TRUE(back.looks({"......", "..rb..", "......", "......"}));
}

}  // namespace
