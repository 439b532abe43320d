// The frame on the headless screen: its window and class, the messages it handles, idle
// repaints, clicks with the key focus and the exclusive view, keys, the wheel, the cursor,
// the editor's requests, and what it leaves behind when destroyed.
#include <gtest/gtest.h>

#include <cstring>

#include "key_focus_services.h"
#include "module.h"
#include "view_fixture.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;
namespace hl = orbitone::platform::headless;

constexpr pf::PlatformColor kRedPixel = pf::makePlatformColor(255, 0, 0);
constexpr pf::PlatformColor kBluePixel = pf::makePlatformColor(0, 0, 255);

class Frame : public HeadlessScreen {
protected:
    void TearDown() override {
        for (CFrame* f : frames) f->release();
        HeadlessScreen::TearDown();
    }
    CFrame* makeFrame(FrameEditor* frameEditor = nullptr, pf::Window* parent = nullptr) {
        frames.push_back(new CFrame(kPanel, parent ? parent : host, frameEditor ? frameEditor : &editor));
        return frames.back();
    }
    void destroy(CFrame* f) {
        std::erase(frames, f);
        f->release();
    }
    Probe* probe(const Rect& r, const char* name, Color fill = colorRed) { return new Probe(r, name, &log, fill); }
    // The screen point of a point of the frame's window.
    static pf::PixelPoint onScreen(Point p) { return {kFrameOrigin.x + p.h, kFrameOrigin.y + p.v}; }

    Log log;
    RecordingFrameEditor editor{&log};
    std::vector<CFrame*> frames;
};

// ---------------------------------------------------------------------------------
// Window and class

TEST_F(Frame, ItsWindowIsAVisibleChildOfTheHostsWindowNamedAfterTheModule) {
    CFrame* frame = makeFrame();
    pf::Window* w = frame->getWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(pf::getParent(w), host);
    EXPECT_EQ(frame->getParentWindow(), host);
    EXPECT_EQ(pf::getClassName(w), frameWindowClassName());
    EXPECT_EQ(frameWindowClassName().rfind("Plugin", 0), 0u);
    char expected[32];
    std::snprintf(expected, sizeof expected, "Plugin%lx", reinterpret_cast<unsigned long>(pf::moduleHandle()));
    EXPECT_EQ(frameWindowClassName(), expected);
    EXPECT_EQ(pf::getWindowStyle(w), pf::kStyleChild | pf::kStyleVisible);
    EXPECT_EQ(pf::windowUserData(w), frame);
    pf::PixelRect r;
    ASSERT_TRUE(pf::getWindowRect(w, r));
    EXPECT_EQ(r, (pf::PixelRect{103, 71, 103 + 352, 71 + 262}));
    EXPECT_TRUE(frame->isWindowOpen());
    EXPECT_TRUE(frame->getWindowOpen());
    EXPECT_TRUE(frame->isDropEnabled());
    EXPECT_EQ(frame->getOwningFrame(), frame);
    EXPECT_EQ(frame->getOwningEditor(), &editor);
    EXPECT_FALSE(frame->isHostWindowMode());
    EXPECT_EQ(frame->getHostWindowDescriptor(), nullptr);
}

TEST_F(Frame, TwoFramesRegisterTheClassOnceAndTheSecondToGoUnregistersIt) {
    const pf::WindowClassCounts before = pf::windowClassCounts();
    CFrame* first = makeFrame();
    CFrame* second = makeFrame();
    EXPECT_EQ(pf::windowClassCounts().registrations, before.registrations + 1);
    EXPECT_EQ(frameWindowCount(), 2);
    destroy(first);
    EXPECT_TRUE(pf::isWindowClassRegistered(frameWindowClassName()));
    EXPECT_EQ(pf::windowClassCounts().unregistrations, before.unregistrations);
    destroy(second);
    EXPECT_FALSE(pf::isWindowClassRegistered(frameWindowClassName()));
    EXPECT_EQ(pf::windowClassCounts().unregistrations, before.unregistrations + 1);
    EXPECT_EQ(frameWindowCount(), 0);
    // And once more from the start.
    makeFrame();
    EXPECT_EQ(pf::windowClassCounts().registrations, before.registrations + 2);
}

TEST_F(Frame, WithoutAParentThereIsNoWindowAndNothingBreaks) {
    auto* frame = new CFrame(kPanel, nullptr, &editor);
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_TRUE(frame->isWindowOpen());
    EXPECT_FALSE(frame->isDropEnabled());
    EXPECT_FALSE(frame->setDropEnabled(true));
    EXPECT_TRUE(frame->setDropEnabled(false));
    frame->addChild(probe({0, 0, 10, 10}, "p"));
    frame->onIdle();
    frame->paintNow(nullptr);
    frame->paintRect(nullptr, kPanel);
    std::int32_t x = 0, y = 0;
    EXPECT_FALSE(frame->getWindowPosition(x, y));
    Rect r;
    EXPECT_FALSE(frame->getHostRect(r));
    EXPECT_EQ(frameWindowCount(), 0);
    frame->release();
    // A handle that names no window is no parent either.
    int notAWindow = 0;
    auto* lost = new CFrame(kPanel, &notAWindow, &editor);
    EXPECT_EQ(lost->getWindow(), nullptr);
    lost->release();
}

TEST_F(Frame, TheHostDestroyingItsWindowClosesTheFrame) {
    CFrame* frame = makeFrame();
    frame->addChild(probe({0, 0, 10, 10}, "p"));
    pump();
    EXPECT_TRUE(pf::destroyWindow(host));
    EXPECT_FALSE(frame->isWindowOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);
    log.clear();
    frame->setNeedsRedraw(true);
    frame->onIdle();
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(frame->resizeWindow(400, 300));
    destroy(frame);
    EXPECT_EQ(frameWindowCount(), 0);
    EXPECT_FALSE(pf::isWindowClassRegistered(frameWindowClassName()));
}

TEST_F(Frame, DestructionReleasesTheExclusiveViewToItsCreatorRestoresTheCursorThenLetsGoOfViews) {
    pf::setCursor(pf::Cursor::Move);
    CFrame* frame = makeFrame();
    Probe* modal = probe({0, 0, 10, 10}, "modal");
    frame->addChild(probe({0, 0, 10, 10}, "a"));
    ASSERT_TRUE(frame->setExclusiveView(modal));
    frame->setMouseCursor(kCursorWait);
    pf::Window* w = frame->getWindow();
    log.clear();
    destroy(frame);
    EXPECT_EQ(log, (Log{"modal removed", "a removed", "a destroyed"}));
    EXPECT_EQ(modal->getReferenceCount(), 1);
    EXPECT_EQ(pf::getCursor(), pf::Cursor::Move);
    EXPECT_FALSE(pf::isWindow(w));
    modal->release();
}

TEST_F(Frame, FramesLookUpTheImageLibrarysFunctionsForThePlatformTheyRunOn) {
    struct Case {
        std::optional<pf::PlatformVersion> version;
        bool keyedCopy;
    };
    const Case cases[] = {
        {pf::PlatformVersion{5, 1, 0, pf::kPlatformFamilyCurrent, "current"}, true},
        {pf::PlatformVersion{4, 0, 950, pf::kPlatformFamilyEarly, "early"}, false},
        {std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version->description : "unknown");
        hl::setPlatformVersion(c.version);
        CFrame* frame = makeFrame();
        EXPECT_NE(optionalBlendFunctions().blendCopy, nullptr);
        EXPECT_EQ(optionalBlendFunctions().keyedCopy != nullptr, c.keyedCopy);
        destroy(frame);
    }
    pf::setImageLibraryContents({false, false, false});
    CFrame* frame = makeFrame();
    EXPECT_EQ(optionalBlendFunctions().blendCopy, nullptr);
    EXPECT_EQ(optionalBlendFunctions().keyedCopy, nullptr);
    destroy(frame);
    pf::setImageLibraryContents({});
}

// ---------------------------------------------------------------------------------
// Painting and idle

TEST_F(Frame, IdleBeforeTheFirstPaintRepaintsNothingAndAfterItOnlyDirtyViews) {
    CFrame* frame = makeFrame();
    Probe* a = probe({10, 10, 20, 20}, "a");
    Probe* b = probe({30, 10, 40, 20}, "b");
    frame->addChild(a);
    frame->addChild(b);
    log.clear();
    frame->onIdle();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(hl::presentCount(frame->getWindow()), 0u);

    pump();  // the window's first paint
    EXPECT_EQ(log, (Log{"a paint", "b paint"}));
    log.clear();
    frame->onIdle();
    EXPECT_TRUE(log.empty());  // nothing is dirty
    b->fill = colorBlue;
    b->setNeedsRedraw(true);
    frame->onIdle();
    EXPECT_EQ(log, (Log{"b paint"}));
    EXPECT_EQ(pixelOf(frame->getWindow(), 30, 10), kBluePixel);
    EXPECT_EQ(pixelOf(frame->getWindow(), 10, 10), kRedPixel);

    // The frame's own mark repaints the whole frame.
    log.clear();
    frame->setNeedsRedraw(true);
    frame->onIdle();
    EXPECT_EQ(log, (Log{"a paint", "b paint"}));
    EXPECT_FALSE(frame->needsRedraw());
}

TEST_F(Frame, PaintNowPaintsADirectChildAloneAndAnythingElseAsTheWholeFrame) {
    CFrame* frame = makeFrame();
    Probe* a = probe({10, 10, 20, 20}, "a");
    auto* container = new CViewContainer({50, 50, 100, 100}, nullptr);
    Probe* nested = probe({0, 0, 5, 5}, "nested");
    container->addChild(nested);
    frame->addChild(a);
    frame->addChild(container);
    pump();
    log.clear();
    frame->paintNow(a);
    EXPECT_EQ(log, (Log{"a paint"}));
    log.clear();
    frame->paintNow(nested);
    EXPECT_EQ(log, (Log{"a paint", "nested paint"}));
}

TEST_F(Frame, MarkDirtyInRectMarksChildrenThatOnlyTouchTheRectangle) {
    CFrame* frame = makeFrame();
    Probe* inside = probe({0, 0, 10, 10}, "inside");
    Probe* touching = probe({20, 0, 30, 10}, "touching");
    Probe* corner = probe({15, 15, 18, 18}, "corner");
    Probe* away = probe({21, 11, 30, 20}, "away");
    for (Probe* p : {inside, touching, corner, away}) {
        frame->addChild(p);
        p->setNeedsRedraw(false);
    }
    frame->markDirtyInRect({5, 5, 20, 15});
    EXPECT_TRUE(inside->needsRedraw());
    EXPECT_TRUE(touching->needsRedraw());
    EXPECT_TRUE(corner->needsRedraw());
    EXPECT_FALSE(away->needsRedraw());
}

// A picture to look at: a frame with a background image and a few views, as painted into
// its window, which shows exactly the frame's back buffer.
TEST_F(Frame, APaintedFrameShowsItsBackgroundImageAndViewsAsItsBackBufferHolds) {
    auto* background = new CImage(352, 262);
    {
        CBackBuffer draw(nullptr, background, true);
        for (std::int32_t y = 0; y < 262; y += 2)
            for (std::int32_t x = 0; x < 352; x += 2) {
                const bool grid = x % 32 == 0 || y % 32 == 0;
                const Color c = grid ? Color{30, 30, 36, 255}
                                     : Color{std::uint8_t(60 + x / 4), std::uint8_t(70 + y / 4), 120, 255};
                draw.setBrushColor(c);
                draw.fillRectInterior({x - 1, y - 1, x + 2, y + 2});
            }
    }
    auto* badge = new CImage(40, 40);  // a disc on white, shown keyed
    {
        CBackBuffer draw(nullptr, badge, true);
        draw.setBrushColor(colorWhite);
        draw.fillRectInterior({-1, -1, 40, 40});
        draw.setBrushColor(colorYellow);
        draw.fillEllipseInterior({2, 2, 37, 37});
    }
    CFrame* frame = makeFrame();
    frame->setBackgroundImage(background);
    background->release();
    frame->addChild(probe({20, 20, 80, 60}, "red", colorRed));
    frame->addChild(probe({60, 40, 120, 90}, "blue", colorBlue));
    auto* group = new CViewContainer({150, 100, 330, 240}, nullptr);
    group->setBackgroundFill(Color{0, 15, 67, 255});
    group->addChild(probe({10, 10, 50, 50}, "green", colorGreen));
    auto* keyed = new CViewContainer({70, 30, 110, 70}, nullptr, badge);
    keyed->setTransparent(true);
    keyed->setBackBuffered(false);
    badge->release();
    group->addChild(keyed);
    frame->addChild(group);
    auto* floating = new CViewContainer({200, 20, 240, 60}, nullptr, badge);
    floating->setTransparent(true);
    floating->setBackBuffered(false);
    frame->addChild(floating);
    pump();

    const pf::Surface shown = frame->getWindow()->clientBitmap()->surface();
    ASSERT_NE(frame->getBackBuffer(), nullptr);
    const pf::Surface composed = frame->getBackBuffer()->getPlatformBitmap()->surface();
    EXPECT_TRUE(surfacesEqual(shown, composed));
    EXPECT_FALSE(saveTestImage(shown, "").empty());
    // The blue view over the red one; the disc keyed over the background and the group.
    EXPECT_EQ(pixelOf(frame->getWindow(), 70, 50), kBluePixel);
    EXPECT_EQ(pixelOf(frame->getWindow(), 220, 40), pf::makePlatformColor(255, 255, 0));
    const pf::Surface picture = frame->getBackgroundImage()->getPlatformBitmap()->surface();
    EXPECT_EQ(pixelOf(frame->getWindow(), 201, 21), pf::fromXrgb(picture.row32(21)[201]));
    EXPECT_EQ(pixelOf(frame->getWindow(), 150 + 70 + 1, 100 + 30 + 1), pf::makePlatformColor(0, 15, 67));
    EXPECT_EQ(pixelOf(frame->getWindow(), 150 + 90, 100 + 50), pf::makePlatformColor(255, 255, 0));
}

// ---------------------------------------------------------------------------------
// Clicks, key focus, exclusive view

TEST_F(Frame, AButtonPressReachesTheViewUnderItWithThePolledButtons) {
    CFrame* frame = makeFrame();
    frame->addChild(probe({10, 10, 60, 60}, "p"));
    pump();
    log.clear();
    struct Case {
        hl::Button button;
        bool shift;
        std::int32_t buttons;
    };
    for (const Case& c : {Case{hl::Button::Left, false, buttonLeft}, Case{hl::Button::Middle, false, buttonMiddle},
                          Case{hl::Button::Right, true, buttonRight | modShift}}) {
        hl::InputScript input = hl::script().moveTo(onScreen({20, 30}));
        if (c.shift) input.hold(hl::Modifier::Shift);
        input.press(c.button).after(50).release(c.button);
        if (c.shift) input.letGo(hl::Modifier::Shift);
        pump();
        EXPECT_EQ(log, (Log{"p down 20,30 buttons " + std::to_string(c.buttons)}));
        log.clear();
        pf::sleepMilliseconds(60);
    }
}

TEST_F(Frame, AClickEndsTheKeyFocusBeforeItIsRouted) {
    CFrame* frame = makeFrame();
    Probe* focused = probe({0, 0, 10, 10}, "focused");
    Probe* other = probe({20, 20, 30, 30}, "other");
    frame->addChild(focused);
    frame->addChild(other);
    frame->setKeyFocusView(focused);
    EXPECT_EQ(frame->getKeyFocusView(), focused);
    log.clear();
    frame->onMouseDown(nullptr, {25, 25}, buttonLeft);
    EXPECT_EQ(log, (Log{"focused focusLost", "other down 25,25 buttons 1"}));
    EXPECT_EQ(frame->getKeyFocusView(), nullptr);
    // A click on no view ends it all the same.
    frame->setKeyFocusView(focused);
    log.clear();
    frame->onMouseDown(nullptr, {200, 200}, buttonLeft);
    EXPECT_EQ(log, (Log{"focused focusLost"}));
}

TEST_F(Frame, AKeyFocusChangeTellsOnlyThePreviousView) {
    CFrame* frame = makeFrame();
    Probe* a = probe({0, 0, 10, 10}, "a");
    Probe* b = probe({0, 0, 10, 10}, "b");
    frame->addChild(a);
    frame->addChild(b);
    log.clear();
    frame->setKeyFocusView(a);
    frame->setKeyFocusView(b);
    frame->setKeyFocusView(nullptr);
    EXPECT_EQ(log, (Log{"a focusLost", "b focusLost"}));
    // A view that leaves the frame is its key focus no more.
    frame->setKeyFocusView(a);
    frame->removeChild(a, true);
    EXPECT_EQ(frame->getKeyFocusView(), nullptr);
}

TEST_F(Frame, TheExclusiveViewAloneTakesClicksAndASecondOneWaitsUntilItIsCleared) {
    CFrame* frame = makeFrame();
    Probe* under = probe({0, 0, 50, 50}, "under");
    Probe* modal = probe({100, 100, 150, 150}, "modal");
    Probe* next = probe({0, 0, 5, 5}, "next");
    frame->addChild(under);
    ASSERT_TRUE(frame->setExclusiveView(modal));
    EXPECT_EQ(frame->getExclusiveView(), modal);
    EXPECT_TRUE(frame->hasChild(modal));
    EXPECT_EQ(modal->getReferenceCount(), 2);
    log.clear();
    frame->onMouseDown(nullptr, {10, 10}, buttonLeft);  // outside the modal view: dropped
    frame->onMouseDown(nullptr, {150, 150}, buttonLeft);
    EXPECT_TRUE(frame->onWheelTurn(nullptr, {10, 10}, 1.0f));  // wherever the mouse is
    EXPECT_EQ(log, (Log{"modal down 150,150 buttons 1", "modal wheel 10,10 1"}));

    EXPECT_FALSE(frame->setExclusiveView(next));
    EXPECT_EQ(frame->getExclusiveView(), modal);
    EXPECT_FALSE(frame->hasChild(next));
    EXPECT_TRUE(frame->setExclusiveView(nullptr));
    EXPECT_FALSE(frame->hasChild(modal));
    EXPECT_EQ(modal->getReferenceCount(), 1);
    log.clear();
    frame->onMouseDown(nullptr, {10, 10}, buttonLeft);
    EXPECT_EQ(log, (Log{"under down 10,10 buttons 1"}));
    EXPECT_TRUE(frame->setExclusiveView(next));
    EXPECT_TRUE(frame->setExclusiveView(nullptr));
    modal->release();
    next->release();
}

TEST_F(Frame, KeysGoToTheKeyFocusViewThenTheExclusiveViewThenTheChildren) {
    CFrame* frame = makeFrame();
    Probe* child = probe({0, 0, 1, 1}, "child");
    Probe* focus = probe({0, 0, 1, 1}, "focus");
    Probe* modal = probe({0, 0, 1, 1}, "modal");
    frame->addChild(child);
    frame->addChild(focus);
    frame->setKeyFocusView(focus);
    ASSERT_TRUE(frame->setExclusiveView(modal));
    EditorKeyRecord key{'k', 0, 0};
    log.clear();
    EXPECT_EQ(frame->onKeyPress(key), -1);
    EXPECT_EQ(log, (Log{"focus key", "modal key", "modal key", "focus key", "child key"}));
    child->keyAnswer = 9;
    EXPECT_EQ(frame->onKeyRelease(key), 9);
    modal->keyAnswer = 4;
    log.clear();
    EXPECT_EQ(frame->onKeyPress(key), 4);
    EXPECT_EQ(log, (Log{"focus key", "modal key"}));
    frame->setExclusiveView(nullptr);
    modal->release();
}

// ---------------------------------------------------------------------------------
// Wheel, cursor, mouse

std::vector<pf::MessageRecord>& hostSaw() {
    static std::vector<pf::MessageRecord> seen;
    return seen;
}

std::intptr_t recordingHostProcedure(pf::Window* w, pf::Message m, std::uintptr_t first, std::intptr_t second) {
    hostSaw().push_back({w, m, first, second, 0, {}});
    return pf::defaultWindowProcedure(w, m, first, second);
}

TEST_F(Frame, AWheelNotchTowardsTheUserIsMinusOneAndTheHostHearsOfItToo) {
    hostSaw().clear();
    pf::Window* listening = hl::createHostWindow({"Listening", "", pf::kStyleVisible, {600, 100, 1000, 400},
                                                  nullptr, &recordingHostProcedure});
    CFrame* frame = makeFrame(nullptr, listening);
    frame->addChild(probe({10, 10, 100, 100}, "p"));
    pump();
    log.clear();
    hostSaw().clear();
    hl::script().moveTo({600 + 40, 100 + 30}).wheel(-1).after(10).wheel(2);
    pump();
    pf::sleepMilliseconds(10);
    pump();
    EXPECT_EQ(log, (Log{"p wheel 40,30 -1", "p wheel 40,30 2"}));
    ASSERT_EQ(hostSaw().size(), 2u);
    EXPECT_EQ(hostSaw()[0].message, pf::Message::MouseWheel);
    EXPECT_EQ(pf::signedHighWord(hostSaw()[0].first), -pf::kWheelNotch);
    // Outside every view: no view turns, the host still hears of it.
    log.clear();
    hl::script().moveTo({600 + 200, 100 + 200}).wheel(1);
    pump();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(hostSaw().size(), 3u);
}

TEST_F(Frame, CursorTypeZeroPutsBackTheCursorInEffectBeforeTheFirstChange) {
    CFrame* frame = makeFrame();
    pf::setCursor(pf::Cursor::Move);
    struct Case {
        std::int32_t type;
        pf::Cursor shown;
    };
    for (const Case& c : {Case{kCursorWait, pf::Cursor::Wait}, Case{kCursorResizeHorizontal, pf::Cursor::ResizeHorizontal},
                          Case{kCursorResizeVertical, pf::Cursor::ResizeVertical}, Case{kCursorMove, pf::Cursor::Move},
                          Case{kCursorResizeDiagonalRising, pf::Cursor::ResizeDiagonalRising},
                          Case{kCursorResizeDiagonalFalling, pf::Cursor::ResizeDiagonalFalling},
                          Case{kCursorDefault, pf::Cursor::Move}, Case{kCursorWait, pf::Cursor::Wait},
                          Case{17, pf::Cursor::Move}}) {
        frame->setMouseCursor(c.type);
        EXPECT_EQ(pf::getCursor(), c.shown) << c.type;
    }
    EXPECT_EQ(hl::shownCursor(), pf::Cursor::Move);
}

TEST_F(Frame, TheViewUnderTheMouseIsTheTopmostOneOrTheExclusiveView) {
    CFrame* frame = makeFrame();
    Probe* a = probe({0, 0, 50, 50}, "a");
    Probe* b = probe({40, 40, 90, 90}, "b");
    frame->addChild(a);
    frame->addChild(b);
    hl::script().moveTo(onScreen({45, 50}));
    Point p;
    EXPECT_TRUE(frame->getMouseInWindow(p));
    EXPECT_EQ(p, (Point{45, 50}));
    EXPECT_EQ(frame->getViewUnderMouse(), b);
    hl::script().moveTo(onScreen({10, 50}));
    EXPECT_EQ(frame->getViewUnderMouse(), a);
    hl::script().moveTo(onScreen({200, 50}));
    EXPECT_EQ(frame->getViewUnderMouse(), nullptr);
    Probe* modal = probe({300, 0, 310, 10}, "modal");
    frame->setExclusiveView(modal);
    EXPECT_EQ(frame->getViewUnderMouse(), modal);
    frame->setExclusiveView(nullptr);
    modal->release();
}

// ---------------------------------------------------------------------------------
// What the frame asks of its editor

TEST_F(Frame, GesturesIdleAndTimeGoThroughTheEditor) {
    CFrame* frame = makeFrame();
    log.clear();
    frame->notifyEditBegin(2);
    frame->idleHost();
    frame->notifyEditEnd(2);
    EXPECT_EQ(log, (Log{"editor editBegin 2", "editor idleWhileTracking", "editor editEnd 2"}));
    pf::sleepMilliseconds(1234);
    EXPECT_EQ(frame->getMilliseconds(), hl::now());
    setProcessKnobDragMode(2);
    EXPECT_EQ(frame->getKnobDragMode(), 2);
    setProcessKnobDragMode(0);

    auto* alone = new CFrame(kPanel, host, nullptr);
    alone->notifyEditBegin(1);
    alone->idleHost();
    alone->notifyEditEnd(1);
    EXPECT_EQ(alone->getMilliseconds(), 0u);
    EXPECT_EQ(alone->getOwningEditor(), nullptr);
    alone->release();
}

TEST_F(Frame, DropsAreEnabledWithTheWindowAndCanBeTurnedOff) {
    CFrame* frame = makeFrame();
    EXPECT_TRUE(frame->isDropEnabled());
    EXPECT_TRUE(frame->setDropEnabled(false));
    EXPECT_FALSE(frame->isDropEnabled());
    EXPECT_TRUE(frame->setDropEnabled(false));
    EXPECT_TRUE(frame->setDropEnabled(true));
    EXPECT_TRUE(frame->isDropEnabled());
}

// ---------------------------------------------------------------------------------
// Owner-drawn menu items and the edit window's colours

class FocusControl : public CView, public MenuItemRenderer, public MenuItemRendererSource, public EditColorSource {
public:
    FocusControl() : CView({0, 0, 10, 10}) {}
    void measureItem(const char* text, CPaintContext* context, Point& size) override {
        calls.push_back(std::string("measure ") + text + (context && context->getWindow() ? " window" : ""));
        size = {std::int32_t(std::strlen(text)) * 7, 18};
    }
    void drawItem(const char* text, std::int32_t itemId, std::int32_t state, CPaintContext* context,
                  const Rect& rect) override {
        calls.push_back(std::string("draw ") + text + " " + std::to_string(itemId) + " " + std::to_string(state) +
                        " " + std::to_string(rect.bottom) + (context && context->getPlatformDC() ? " dc" : ""));
    }
    MenuItemRenderer* getMenuItemRenderer() override { return owner ? this : nullptr; }
    Color getValueTextColor() override { return colorYellow; }
    Color getBoxColor() override { return Color{0, 15, 67, 255}; }
    std::unique_ptr<pf::Brush>& editBrush() override { return brush; }

    bool owner = true;
    std::vector<std::string> calls;
    std::unique_ptr<pf::Brush> brush;
};

TEST_F(Frame, OwnerDrawnMenuItemsAreDrawnAndMeasuredByTheKeyFocusViewsRenderer) {
    CFrame* frame = makeFrame();
    auto* control = new FocusControl;
    frame->addChild(control);
    static const char kEntry[] = "Sine";
    auto dc = pf::createMemoryDC(nullptr);
    pf::DrawItemRecord item{pf::OwnerDrawType::Menu, 0, 7, pf::kItemChecked | pf::kItemSelected, nullptr, dc.get(),
                            {0, 20, 100, 38}, reinterpret_cast<std::uintptr_t>(kEntry)};
    pf::MeasureItemRecord measure{pf::OwnerDrawType::Menu, 0, 7, 0, 0, reinterpret_cast<std::uintptr_t>(kEntry)};
    pf::Window* w = frame->getWindow();
    auto send = [&](pf::Message m, void* record) {
        return pf::sendMessage(w, m, 0, reinterpret_cast<std::intptr_t>(record));
    };

    // No key focus: not ours to draw.
    EXPECT_EQ(send(pf::Message::DrawItem, &item), 0);
    frame->setKeyFocusView(control);
    EXPECT_EQ(send(pf::Message::DrawItem, &item), 1);
    EXPECT_EQ(send(pf::Message::MeasureItem, &measure), 1);
    EXPECT_EQ(measure.itemWidth, 28);
    EXPECT_EQ(measure.itemHeight, 18);
    item.itemState = pf::kItemDisabled;
    EXPECT_EQ(send(pf::Message::DrawItem, &item), 1);
    EXPECT_EQ(control->calls, (std::vector<std::string>{"draw Sine 7 5 39 dc", "measure Sine window",
                                                        "draw Sine 7 2 39 dc"}));
    // Buttons, items without data and menus that are not owner-drawn are left alone.
    control->calls.clear();
    item.controlType = pf::OwnerDrawType::Button;
    EXPECT_EQ(send(pf::Message::DrawItem, &item), 0);
    item.controlType = pf::OwnerDrawType::Menu;
    item.itemData = 0;
    EXPECT_EQ(send(pf::Message::DrawItem, &item), 0);
    item.itemData = reinterpret_cast<std::uintptr_t>(kEntry);
    control->owner = false;
    EXPECT_EQ(send(pf::Message::DrawItem, &item), 0);
    EXPECT_EQ(send(pf::Message::MeasureItem, &measure), 0);
    EXPECT_TRUE(control->calls.empty());
    frame->setKeyFocusView(nullptr);
}

TEST_F(Frame, TheEditWindowGetsTheKeyFocusViewsColoursAndAFreshBrushEachTime) {
    CFrame* frame = makeFrame();
    auto* control = new FocusControl;
    frame->addChild(control);
    auto dc = pf::createMemoryDC(nullptr);
    pf::Window* w = frame->getWindow();
    EXPECT_EQ(pf::sendMessage(w, pf::Message::EditColor, reinterpret_cast<std::uintptr_t>(dc.get())), 0);

    frame->setKeyFocusView(control);
    const auto brushesBefore = pf::objectCounts();
    const std::intptr_t first = pf::sendMessage(w, pf::Message::EditColor, reinterpret_cast<std::uintptr_t>(dc.get()));
    ASSERT_NE(first, 0);
    EXPECT_EQ(first, reinterpret_cast<std::intptr_t>(control->brush.get()));
    EXPECT_EQ(control->brush->desc().color, pf::makePlatformColor(0, 15, 67));
    EXPECT_EQ(dc->textColor(), pf::makePlatformColor(255, 255, 0));
    EXPECT_EQ(dc->backgroundColor(), pf::makePlatformColor(0, 15, 67));
    const std::intptr_t second = pf::sendMessage(w, pf::Message::EditColor, reinterpret_cast<std::uintptr_t>(dc.get()));
    EXPECT_EQ(second, reinterpret_cast<std::intptr_t>(control->brush.get()));
    // The first brush was deleted when the second came.
    EXPECT_EQ(pf::objectCounts().liveOf(pf::ObjectKind::Brush), brushesBefore.liveOf(pf::ObjectKind::Brush) + 1);

    // A key-focus view without an edit window: the edit's own colours.
    Probe* plain = probe({0, 0, 1, 1}, "plain");
    frame->addChild(plain);
    frame->setKeyFocusView(plain);
    EXPECT_EQ(pf::sendMessage(w, pf::Message::EditColor, reinterpret_cast<std::uintptr_t>(dc.get())), 0);
    frame->setKeyFocusView(nullptr);
}

}  // namespace
