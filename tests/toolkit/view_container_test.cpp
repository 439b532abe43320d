// Views and containers: ownership, hit tests and event routing, redraw marks and refresh
// modes, painting with and without the back buffer, mouse positions.
#include <gtest/gtest.h>

#include <cstring>

#include "test_window.h"
#include "view_fixture.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;
namespace hl = orbitone::platform::headless;

constexpr pf::PlatformColor kRedPixel = pf::makePlatformColor(255, 0, 0);
constexpr pf::PlatformColor kGreenPixel = pf::makePlatformColor(0, 255, 0);
constexpr pf::PlatformColor kBluePixel = pf::makePlatformColor(0, 0, 255);
constexpr pf::PlatformColor kWhitePixel = pf::kPlatformWhite;
constexpr pf::PlatformColor kBlackPixel = pf::kPlatformBlack;
constexpr pf::PlatformColor kGreyPixel = pf::makePlatformColor(127, 127, 127);

// Views routed to in a frame without a window: routing needs an owning frame, nothing
// more.
class Routing : public ::testing::Test {
protected:
    void SetUp() override { hl::reset(); }
    void TearDown() override {
        frame.reset();
        hl::reset();
    }
    Probe* probe(const Rect& r, const char* name) { return new Probe(r, name, &log); }
    // A container at `where` in the frame.
    CViewContainer* box(const Rect& where) {
        auto* container = new CViewContainer(where, nullptr);
        frame->addChild(container);
        return container;
    }
    struct Releaser {
        void operator()(CFrame* f) const { f->release(); }
    };
    Log log;
    std::unique_ptr<CFrame, Releaser> frame{new CFrame(kPanel, nullptr, nullptr)};
};

// ---------------------------------------------------------------------------------
// Construction, ownership, reference counts

TEST_F(Routing, NewViewsStartMouseActiveOpaqueCleanAndUnattached) {
    CView view({1, 2, 30, 40});
    Rect r;
    EXPECT_EQ(view.getBounds(r), (Rect{1, 2, 30, 40}));
    EXPECT_EQ(view.getMouseArea(r), (Rect{1, 2, 30, 40}));
    EXPECT_TRUE(view.isMouseActive());
    EXPECT_FALSE(view.isTransparent());
    EXPECT_FALSE(view.needsRedraw());
    EXPECT_EQ(view.getReferenceCount(), 1);
    EXPECT_EQ(view.getOwningFrame(), nullptr);
    EXPECT_EQ(view.getParent(), nullptr);
    EXPECT_EQ(view.getOwningEditor(), nullptr);
    EditorKeyRecord key{'x', 0, 0};
    EXPECT_EQ(view.onKeyPress(key), -1);
    EXPECT_EQ(view.onKeyRelease(key), -1);
    EXPECT_FALSE(view.onWheelTurn(nullptr, {0, 0}, 1.0f));
    EXPECT_FALSE(view.onDropItems(nullptr, nullptr, {0, 0}));
}

TEST_F(Routing, SetBoundsMarksForRedrawAndLeavesTheMouseArea) {
    CView view({0, 0, 10, 10});
    view.setBounds({5, 5, 20, 20});
    Rect r;
    EXPECT_TRUE(view.needsRedraw());
    EXPECT_EQ(view.getBounds(r), (Rect{5, 5, 20, 20}));
    EXPECT_EQ(view.getMouseArea(r), (Rect{0, 0, 10, 10}));
}

TEST_F(Routing, AddingTakesAReferenceAndRemovingGivesBackOneOrBoth) {
    CViewContainer* container = box({0, 0, 100, 100});
    Probe* kept = probe({0, 0, 10, 10}, "kept");
    Probe* given = probe({0, 0, 10, 10}, "given");
    container->addChild(kept);
    container->addChild(given);
    EXPECT_EQ(kept->getReferenceCount(), 2);
    EXPECT_EQ(kept->getParent(), container);
    EXPECT_EQ(kept->getOwningFrame(), frame.get());
    EXPECT_TRUE(kept->needsRedraw());
    EXPECT_EQ(container->getChildCount(), 2);
    EXPECT_EQ(container->getChildAt(0), kept);
    EXPECT_EQ(container->getChildAt(1), given);
    EXPECT_EQ(container->getChildAt(2), nullptr);
    EXPECT_EQ(container->getChildAt(-1), nullptr);

    // Without release the creator keeps its reference; with it the view is gone.
    container->removeChild(kept, false);
    EXPECT_EQ(kept->getReferenceCount(), 1);
    EXPECT_FALSE(container->hasChild(kept));
    container->removeChild(given, true);
    EXPECT_EQ(log, (Log{"kept added", "given added", "kept removed", "given removed", "given destroyed"}));
    EXPECT_EQ(container->getChildCount(), 0);

    // Removing what is not a child, or null, changes nothing.
    container->removeChild(kept, true);
    container->removeChild(nullptr, true);
    EXPECT_EQ(kept->getReferenceCount(), 1);
    kept->release();
}

TEST_F(Routing, NullViewsAreIgnoredAndAddChildAtSetsAreaAndActivity) {
    CViewContainer* container = box({0, 0, 100, 100});
    container->addChild(nullptr);
    container->addChildAt(nullptr, {0, 0, 1, 1}, false);
    EXPECT_EQ(container->getChildCount(), 0);
    EXPECT_FALSE(container->hasChild(nullptr));
    Probe* p = probe({0, 0, 10, 10}, "p");
    container->addChildAt(p, {2, 2, 5, 5}, false);
    Rect r;
    EXPECT_EQ(p->getMouseArea(r), (Rect{2, 2, 5, 5}));
    EXPECT_FALSE(p->isMouseActive());
    EXPECT_TRUE(container->hasChild(p));
}

TEST_F(Routing, DestroyingAContainerReleasesEveryChildTwice) {
    auto* container = new CViewContainer({0, 0, 50, 50}, nullptr);
    Probe* a = probe({0, 0, 10, 10}, "a");
    Probe* b = probe({0, 0, 10, 10}, "b");
    container->addChild(a);
    container->addChild(b);
    b->retain();  // someone else holds b as well
    container->release();
    EXPECT_EQ(log, (Log{"a added", "b added", "a removed", "a destroyed", "b removed"}));
    EXPECT_EQ(b->getReferenceCount(), 1);
    b->release();
}

TEST_F(Routing, RemoveAllChildrenWithoutReleaseLeavesTheCreatorsReferences) {
    CViewContainer* container = box({0, 0, 50, 50});
    Probe* a = probe({0, 0, 10, 10}, "a");
    container->addChild(a);
    container->removeAllChildren(false);
    EXPECT_EQ(container->getChildCount(), 0);
    EXPECT_EQ(a->getReferenceCount(), 1);
    a->release();
}

TEST_F(Routing, BackgroundImageIsHeldWhileSetEvenWhenSetAgain) {
    auto* image = new CImage(4, 4);
    CView view({0, 0, 4, 4});
    view.setBackgroundImage(image);
    EXPECT_EQ(image->getReferenceCount(), 2);
    image->release();  // the view's reference alone keeps it
    view.setBackgroundImage(image);
    EXPECT_EQ(view.getBackgroundImage(), image);
    EXPECT_EQ(image->getReferenceCount(), 1);
    view.setBackgroundImage(nullptr);
    EXPECT_EQ(view.getBackgroundImage(), nullptr);

    auto* second = new CImage(2, 2);
    auto* container = new CViewContainer({0, 0, 4, 4}, nullptr, second);
    EXPECT_EQ(second->getReferenceCount(), 2);
    container->release();
    EXPECT_EQ(second->getReferenceCount(), 1);
    second->release();
}

TEST_F(Routing, ContainersAnswerTheirMessageOnlyByItsAddress) {
    CViewContainer* container = box({0, 0, 50, 50});
    CView plain({0, 0, 1, 1});
    char copy[sizeof kMsgCheckIfViewContainer];
    std::memcpy(copy, kMsgCheckIfViewContainer, sizeof copy);
    EXPECT_EQ(container->onMessage(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(frame->onMessage(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(container->onMessage(nullptr, copy), 0);
    EXPECT_EQ(plain.onMessage(nullptr, kMsgCheckIfViewContainer), 0);

    struct Kind {
        const char* name;
        bool view, container, frame;
    };
    for (const Kind& k : {Kind{"CView", true, true, true}, Kind{"CViewContainer", false, true, true},
                          Kind{"CFrame", false, false, true}, Kind{"CControl", false, false, false},
                          Kind{nullptr, false, false, false}}) {
        SCOPED_TRACE(k.name ? k.name : "null");
        EXPECT_EQ(plain.isOfKind(k.name), k.view);
        EXPECT_EQ(container->isOfKind(k.name), k.container);
        EXPECT_EQ(frame->isOfKind(k.name), k.frame);
    }
}

// ---------------------------------------------------------------------------------
// Hit tests and routing

TEST_F(Routing, ClicksCountTheMouseAreasRightAndBottomEdges) {
    CViewContainer* container = box({100, 50, 200, 150});
    container->addChild(probe({10, 10, 20, 20}, "p"));
    struct Case {
        Point where;  // in the frame
        bool hit;
    };
    for (const Case& c : {Case{{110, 60}, true}, Case{{120, 70}, true}, Case{{120, 60}, true},
                          Case{{121, 70}, false}, Case{{115, 71}, false}, Case{{109, 65}, false}}) {
        SCOPED_TRACE(pointText(c.where));
        log.clear();
        frame->onMouseDown(nullptr, c.where, buttonLeft);
        if (c.hit)
            EXPECT_EQ(log, (Log{"p down " + pointText({c.where.h - 100, c.where.v - 50}) + " buttons 1"}));
        else
            EXPECT_TRUE(log.empty());
    }
}

TEST_F(Routing, OfTwoOverlappingChildrenTheOneAddedLaterGetsTheClick) {
    frame->addChild(probe({0, 0, 50, 50}, "first"));
    frame->addChild(probe({25, 25, 75, 75}, "second"));
    log.clear();
    frame->onMouseDown(nullptr, {30, 30}, buttonLeft);
    frame->onMouseDown(nullptr, {10, 10}, buttonRight);
    EXPECT_EQ(log, (Log{"second down 30,30 buttons 1", "first down 10,10 buttons 4"}));
}

TEST_F(Routing, AMouseInactiveChildIsSkippedByClicksButReachedByWheelAndDrags) {
    Probe* below = probe({0, 0, 50, 50}, "below");
    Probe* inactive = probe({0, 0, 50, 50}, "inactive");
    frame->addChild(below);
    frame->addChild(inactive);
    inactive->setMouseActive(false);
    log.clear();
    frame->onMouseDown(nullptr, {5, 5}, buttonLeft);
    EXPECT_TRUE(frame->onWheelTurn(nullptr, {5, 5}, 1.0f));
    frame->onDragEntering(nullptr, nullptr, {5, 5});
    EXPECT_TRUE(frame->onDropItems(nullptr, nullptr, {6, 6}));
    EXPECT_EQ(log, (Log{"below down 5,5 buttons 1", "inactive wheel 5,5 1", "inactive enter 5,5",
                        "inactive drop 6,6", "inactive leave"}));
}

TEST_F(Routing, WheelAndDragsReachNestedChildrenInTheirCoordinates) {
    CViewContainer* container = box({100, 50, 200, 150});
    container->addChild(probe({10, 10, 30, 30}, "p"));
    TestWindow window(10, 10, {500, 400});
    CPaintContext context(frame.get(), nullptr, &window);
    context.offset = {3, 4};
    log.clear();
    EXPECT_TRUE(frame->onWheelTurn(&context, {115, 65}, -2.0f));
    EXPECT_FALSE(frame->onWheelTurn(&context, {131, 65}, 1.0f));
    container->onDragMoving(&context, nullptr, {112, 62});
    EXPECT_EQ(log, (Log{"p wheel 15,15 -2", "p enter 12,12"}));
    // The context is as it was.
    EXPECT_EQ(context.windowOrigin, (Point{500, 400}));
    EXPECT_EQ(context.offset, (Point{3, 4}));
}

TEST_F(Routing, DragsTellTheChildTheyLeaveAndADropEndsTheDragForIt) {
    Probe* a = probe({0, 0, 50, 50}, "a");
    Probe* b = probe({60, 0, 100, 50}, "b");
    frame->addChild(a);
    frame->addChild(b);
    log.clear();
    frame->onDragEntering(nullptr, nullptr, {5, 5});
    frame->onDragMoving(nullptr, nullptr, {6, 6});
    frame->onDragMoving(nullptr, nullptr, {70, 6});
    frame->onDragMoving(nullptr, nullptr, {55, 6});  // over no child
    frame->onDragMoving(nullptr, nullptr, {80, 6});
    EXPECT_EQ(log, (Log{"a enter 5,5", "a move 6,6", "a leave", "b enter 70,6", "b leave", "b enter 80,6"}));

    // A drop onto a: b hears it is left, a takes the drop and hears the drag leave it.
    // The drag entering afterwards does not tell a a second time.
    log.clear();
    EXPECT_TRUE(frame->onDropItems(nullptr, nullptr, {10, 10}));
    frame->onDragEntering(nullptr, nullptr, {10, 10});
    frame->onDragLeaving(nullptr, nullptr, {10, 10});
    frame->onDragLeaving(nullptr, nullptr, {10, 10});
    EXPECT_EQ(log, (Log{"b leave", "a drop 10,10", "a leave", "a enter 10,10", "a leave"}));
    EXPECT_FALSE(frame->onDropItems(nullptr, nullptr, {55, 10}));
}

TEST_F(Routing, ContainersWithoutAFrameRouteNoWheelOrDrag) {
    auto* loose = new CViewContainer({0, 0, 50, 50}, nullptr);
    loose->addChild(probe({0, 0, 50, 50}, "p"));
    log.clear();
    EXPECT_EQ(loose->childAtPoint({5, 5}), nullptr);
    EXPECT_FALSE(loose->onWheelTurn(nullptr, {5, 5}, 1.0f));
    loose->onDragEntering(nullptr, nullptr, {5, 5});
    EXPECT_FALSE(loose->onDropItems(nullptr, nullptr, {5, 5}));
    loose->onMouseDown(nullptr, {5, 5}, buttonLeft);  // clicks need no frame
    EXPECT_EQ(log, (Log{"p down 5,5 buttons 1"}));
    loose->release();
}

TEST_F(Routing, ARemovedChildIsNoLongerUnderTheDrag) {
    Probe* a = probe({0, 0, 50, 50}, "a");
    frame->addChild(a);
    frame->onDragEntering(nullptr, nullptr, {5, 5});
    frame->removeChild(a, true);
    log.clear();
    frame->onDragLeaving(nullptr, nullptr, {5, 5});
    EXPECT_TRUE(log.empty());
}

TEST_F(Routing, KeysGoLastToFirstUntilOneIsHandled) {
    Probe* a = probe({0, 0, 1, 1}, "a");
    Probe* b = probe({0, 0, 1, 1}, "b");
    Probe* c = probe({0, 0, 1, 1}, "c");
    CViewContainer* container = box({0, 0, 10, 10});
    container->addChild(a);
    container->addChild(b);
    container->addChild(c);
    b->keyAnswer = 5;
    log.clear();
    EditorKeyRecord key{'a', 0, 0};
    EXPECT_EQ(container->onKeyPress(key), 5);
    EXPECT_EQ(container->onKeyRelease(key), 5);
    b->keyAnswer = -1;
    EXPECT_EQ(container->onKeyPress(key), -1);
    EXPECT_EQ(log, (Log{"c key", "b key", "c keyUp", "b keyUp", "c key", "b key", "a key"}));
}

TEST_F(Routing, FocusChangesReachEveryChildFirstToLast) {
    CViewContainer* container = box({0, 0, 10, 10});
    container->addChild(probe({0, 0, 1, 1}, "a"));
    container->addChild(probe({0, 0, 1, 1}, "b"));
    log.clear();
    container->onFocusGained(nullptr);
    container->onFocusLost(nullptr);
    EXPECT_EQ(log, (Log{"a focusGained", "b focusGained", "a focusLost", "b focusLost"}));
}

TEST_F(Routing, NeedsRedrawAsksEveryChildAndPaintClearsOnlyOwnMarks) {
    CViewContainer* container = box({0, 0, 10, 10});
    Probe* p = probe({0, 0, 1, 1}, "p");
    container->addChild(p);
    container->setNeedsRedraw(false);
    EXPECT_TRUE(container->needsRedraw());  // p was marked when added
    p->setNeedsRedraw(false);
    EXPECT_FALSE(container->needsRedraw());
}

// ---------------------------------------------------------------------------------
// Mouse positions

TEST_F(Routing, MousePositionsAreInTheParentsCoordinatesThroughEveryContainer) {
    CViewContainer* container = box({100, 50, 300, 250});
    auto* inner = new CViewContainer({20, 10, 100, 100}, nullptr);
    container->addChild(inner);
    Probe* deep = probe({5, 5, 10, 10}, "deep");
    Probe* shallow = probe({0, 0, 10, 10}, "shallow");
    inner->addChild(deep);
    container->addChild(shallow);

    hl::script().moveTo({700, 400});
    pf::sleepMilliseconds(0);
    TestWindow window(10, 10, {500, 300});
    CPaintContext context(frame.get(), nullptr, &window);
    context.offset = {7, 7};
    Point p{-1, -1};
    shallow->getMousePosition(&context, p);
    EXPECT_EQ(p, (Point{700 - 500 - 100, 400 - 300 - 50}));
    deep->getMousePosition(&context, p);
    EXPECT_EQ(p, (Point{700 - 500 - 100 - 20, 400 - 300 - 50 - 10}));
    frame->getMousePosition(&context, p);
    EXPECT_EQ(p, (Point{200, 100}));
    EXPECT_EQ(context.windowOrigin, (Point{500, 300}));
    EXPECT_EQ(context.offset, (Point{7, 7}));

    Point unchanged{1, 2};
    deep->getMousePosition(nullptr, unchanged);
    EXPECT_EQ(unchanged, (Point{1, 2}));
    context.getMouseInContext(p);
    EXPECT_EQ(p, (Point{200, 100}));
}

TEST_F(Routing, FramePointsAddEveryTopLeftCornerOnTheWayUp) {
    CViewContainer* container = box({100, 50, 300, 250});
    auto* inner = new CViewContainer({20, 10, 100, 100}, nullptr);
    container->addChild(inner);
    Probe* deep = probe({5, 6, 10, 10}, "deep");
    inner->addChild(deep);
    Point p{1, 2};
    deep->toFramePoint(p);
    EXPECT_EQ(p, (Point{1 + 5 + 20 + 100, 2 + 6 + 10 + 50}));
    CView loose({3, 4, 5, 5});
    Point q{0, 0};
    loose.toFramePoint(q);
    EXPECT_EQ(q, (Point{3, 4}));
}

// ---------------------------------------------------------------------------------
// Painting and refresh, into a window of the headless screen

class Painting : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        frame = new CFrame(kPanel, host, &editor);
        frame->setBackgroundFill(Color{127, 127, 127, 255});
    }
    void TearDown() override {
        frame->release();
        HeadlessScreen::TearDown();
    }
    // The first paint of the window, then a fresh log.
    void show() {
        pump();
        log.clear();
    }
    pf::PlatformColor at(std::int32_t x, std::int32_t y) { return pixelOf(frame->getWindow(), x, y); }
    Probe* probe(const Rect& r, const char* name, Color fill) { return new Probe(r, name, &log, fill); }

    RecordingFrameEditor editor;
    CFrame* frame = nullptr;
    Log log;
};

TEST_F(Painting, ContainersPaintTheirFillAndChildrenThroughTheBackBufferOrWithout) {
    for (bool buffered : {true, false}) {
        SCOPED_TRACE(buffered ? "buffered" : "unbuffered");
        auto* container = new CViewContainer({100, 50, 200, 150}, nullptr);
        container->setBackBuffered(buffered);
        container->setBackgroundFill(Color{0, 0, 255, 255});
        container->addChild(probe({10, 10, 20, 20}, "p", colorRed));
        frame->addChild(container);
        EXPECT_EQ(container->getBackBuffer() != nullptr, buffered);
        pf::invalidateRect(frame->getWindow());
        pump();
        // The fill covers the inside of the container's outline, as fillRectInterior
        // does: the buffer's own black shows on its outline, else the frame's grey.
        EXPECT_EQ(at(100, 50), buffered ? kBlackPixel : kGreyPixel);
        EXPECT_EQ(at(101, 51), kBluePixel);
        EXPECT_EQ(at(199, 149), kBluePixel);
        EXPECT_EQ(at(110, 60), kRedPixel);
        EXPECT_EQ(at(119, 69), kRedPixel);
        EXPECT_EQ(at(120, 70), kBluePixel);
        EXPECT_EQ(at(200, 150), kGreyPixel);
        EXPECT_FALSE(frame->needsRedraw());
        frame->removeChild(container, true);
    }
}

TEST_F(Painting, APartialPaintTouchesOnlyTheRectangleAskedFor) {
    auto* container = new CViewContainer({100, 50, 200, 150}, nullptr);
    container->setBackgroundFill(Color{0, 0, 255, 255});
    Probe* left = probe({0, 0, 50, 100}, "left", colorRed);
    Probe* right = probe({50, 0, 100, 100}, "right", colorGreen);
    container->addChild(left);
    container->addChild(right);
    frame->addChild(container);
    show();
    EXPECT_EQ(at(160, 60), kGreenPixel);

    // Paint the right half green over a window drawn white: only that half comes back.
    right->fill = colorWhite;
    frame->paintRect(nullptr, {170, 60, 180, 70});
    EXPECT_EQ(log, (Log{"right paint"}));
    EXPECT_EQ(at(170, 60), kWhitePixel);
    EXPECT_EQ(at(179, 69), kWhitePixel);
    EXPECT_EQ(at(180, 70), kGreenPixel);
    EXPECT_EQ(at(169, 60), kGreenPixel);

    // An exposure of part of a nested buffered container repaints exactly that part.
    right->fill = colorBlue;
    pf::PixelRect exposed{190, 140, 220, 160};
    pf::invalidateRect(frame->getWindow(), &exposed);
    log.clear();
    pump();
    EXPECT_EQ(log, (Log{"right paint"}));
    EXPECT_EQ(at(190, 140), kBluePixel);
    EXPECT_EQ(at(189, 140), kGreenPixel);
    EXPECT_EQ(at(199, 140), kBluePixel);
    EXPECT_EQ(at(199, 139), kGreenPixel);
}

TEST_F(Painting, TransparentContainersShowTheirParentOrTheirImageKeyed) {
    // An image: white (the default key colour) with a black square in the middle.
    auto* picture = new CImage(20, 20);
    {
        CBackBuffer draw(nullptr, picture, true);
        draw.setBrushColor(colorWhite);
        draw.fillRectInterior({-1, -1, 20, 20});
        draw.setBrushColor(colorBlack);
        draw.fillRectInterior({4, 4, 15, 15});
    }
    auto* bare = new CViewContainer({10, 10, 30, 30}, nullptr);
    auto* pictured = new CViewContainer({40, 10, 60, 30}, nullptr, picture);
    auto* opaque = new CViewContainer({70, 10, 90, 30}, nullptr, picture);
    picture->release();
    for (CViewContainer* c : {bare, pictured}) c->setTransparent(true);
    bare->setBackgroundFill(Color{0, 0, 255, 255});
    for (CViewContainer* c : {bare, pictured, opaque}) {
        c->setBackBuffered(false);
        frame->addChild(c);
    }
    pump();
    // No background at all: the frame's grey shows.
    EXPECT_EQ(at(15, 15), kGreyPixel);
    // The image keyed: black inside, the frame's grey where it is white.
    EXPECT_EQ(at(40 + 10, 20), kBlackPixel);
    EXPECT_EQ(at(40 + 1, 11), kGreyPixel);
    // Opaque: the white shows.
    EXPECT_EQ(at(70 + 10, 20), kBlackPixel);
    EXPECT_EQ(at(70 + 1, 11), kWhitePixel);
}

TEST_F(Painting, RefreshModesDecideWhatADirtyContainerRepaints) {
    auto* container = new CViewContainer({100, 50, 200, 150}, nullptr);
    Probe* a = probe({0, 0, 40, 50}, "a", colorRed);
    Probe* b = probe({50, 0, 100, 50}, "b", colorGreen);
    container->addChild(a);
    container->addChild(b);
    frame->addChild(container);
    show();

    struct Case {
        std::int32_t mode;
        bool markContainer;
        Log painted;
    };
    const Case cases[] = {
        {kRefreshWhole, false, {"a paint", "b paint"}},
        {kRefreshDirtyChildren, false, {"b paint"}},
        {kRefreshDirtyChildren, true, {"a paint", "b paint"}},
        {2, false, {}},
        {-7, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        container->setRefreshMode(c.mode);
        EXPECT_EQ(container->getRefreshMode(), c.mode);
        b->setNeedsRedraw(true);
        if (c.markContainer) container->setNeedsRedraw(true);
        log.clear();
        frame->onIdle();
        EXPECT_EQ(log, c.painted);
        b->setNeedsRedraw(false);
        container->setNeedsRedraw(false);
    }
}

TEST_F(Painting, ContainerBackBuffersFollowAttachmentSizeAndBuffering) {
    auto* container = new CViewContainer({0, 0, 40, 30}, nullptr);
    EXPECT_EQ(container->getBackBuffer(), nullptr);
    frame->addChild(container);
    ASSERT_NE(container->getBackBuffer(), nullptr);
    EXPECT_EQ(container->getBackBuffer()->getWidth(), 40);
    container->setBounds({0, 0, 60, 50});
    ASSERT_NE(container->getBackBuffer(), nullptr);
    EXPECT_EQ(container->getBackBuffer()->getWidth(), 60);
    EXPECT_EQ(container->getBackBuffer()->getHeight(), 50);
    EXPECT_TRUE(container->needsRedraw());
    container->setBackBuffered(false);
    EXPECT_EQ(container->getBackBuffer(), nullptr);
    container->setBackBuffered(true);
    frame->removeChild(container, false);
    EXPECT_EQ(container->getBackBuffer(), nullptr);
    container->release();
}

TEST_F(Painting, AViewRefreshedWithoutAContextIsPaintedByTheFrameNow) {
    Probe* p = probe({10, 10, 20, 20}, "p", colorRed);
    frame->addChild(p);
    show();
    p->fill = colorBlue;
    p->refresh(nullptr);
    EXPECT_TRUE(log.empty());  // it was painted already and is clean
    p->setNeedsRedraw(true);
    p->refresh(nullptr);
    EXPECT_EQ(log, (Log{"p paint"}));
    EXPECT_EQ(at(10, 10), kBluePixel);
    EXPECT_FALSE(p->needsRedraw());
}

}  // namespace
