// The window services on the headless screen: classes, windows, messages, painting,
// geometry, focus, cursor, the virtual clock and scripted input.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

#include "headless.h"
#include "windowing.h"

namespace {

using namespace orbitone::platform;
namespace hl = orbitone::platform::headless;

constexpr char kClassName[] = "TestWindowClass";

// What window procedures saw, in order.
struct Seen {
    Window* window;
    Message message;
    std::uintptr_t first;
    std::intptr_t second;
};
std::vector<Seen>& seen() {
    static std::vector<Seen> log;
    return log;
}

std::intptr_t recordingProcedure(Window* window, Message message, std::uintptr_t first,
                                 std::intptr_t second) {
    seen().push_back({window, message, first, second});
    return defaultWindowProcedure(window, message, first, second);
}


class Windowing : public ::testing::Test {
protected:
    void SetUp() override {
        hl::reset();
        seen().clear();
        ASSERT_TRUE(registerWindowClass({kClassName, &recordingProcedure, Cursor::Arrow, kClassGlobal}));
        // A host window with a dialog frame and a title bar at (100, 50) on the screen.
        host = hl::createHostWindow({"HostClass", "Host", kStyleVisible | kStyleCaption | kStyleDialogFrame,
                                     {100, 50, 100 + 406, 50 + 327}, nullptr, &recordingProcedure});
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override {
        hl::reset();
        EXPECT_TRUE(unregisterWindowClass(kClassName));
    }

    Window* child(PixelPoint position, PixelSize size, Window* parent = nullptr) {
        return createWindow({kClassName, "Window", kStyleChild | kStyleVisible, position, size,
                             parent ? parent : host});
    }

    Window* host = nullptr;
};

// ---------------------------------------------------------------------------------
// Classes

TEST_F(Windowing, ClassesRegisterOnceAndUnregisterOnlyWithoutWindows) {
    const WindowClassCounts before = windowClassCounts();
    EXPECT_FALSE(registerWindowClass({kClassName, &recordingProcedure}));  // taken
    EXPECT_FALSE(registerWindowClass({"", &recordingProcedure}));
    EXPECT_FALSE(registerWindowClass({"NoProcedure", nullptr}));
    EXPECT_EQ(windowClassCounts().registrations, before.registrations);

    Window* w = child({0, 0}, {10, 10});
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(unregisterWindowClass(kClassName));  // a window of it exists
    EXPECT_TRUE(isWindowClassRegistered(kClassName));
    EXPECT_TRUE(destroyWindow(w));
    EXPECT_TRUE(unregisterWindowClass(kClassName));
    EXPECT_FALSE(isWindowClassRegistered(kClassName));
    EXPECT_FALSE(unregisterWindowClass(kClassName));
    EXPECT_EQ(windowClassCounts().unregistrations, before.unregistrations + 1);
    EXPECT_EQ(windowClassCounts().registered, before.registered - 1);
    ASSERT_TRUE(registerWindowClass({kClassName, &recordingProcedure}));
    EXPECT_EQ(windowClassCounts().registrations, before.registrations + 1);
}

TEST_F(Windowing, CreationFailsWithoutClassParentOrLiveParent) {
    EXPECT_EQ(createWindow({"Unregistered", "", kStyleChild, {}, {5, 5}, host}), nullptr);
    EXPECT_EQ(createWindow({kClassName, "", kStyleChild, {}, {5, 5}, nullptr}), nullptr);
    Window* gone = child({0, 0}, {5, 5});
    ASSERT_TRUE(destroyWindow(gone));
    int notAWindow = 0;
    EXPECT_EQ(createWindow({kClassName, "", kStyleChild, {}, {5, 5}, reinterpret_cast<Window*>(&notAWindow)}),
              nullptr);
    EXPECT_FALSE(destroyWindow(reinterpret_cast<Window*>(&notAWindow)));
    EXPECT_FALSE(destroyWindow(nullptr));
}

TEST_F(Windowing, ChildLivesInItsParentsClientArea) {
    Window* w = child({10, 20}, {352, 262});
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(isWindow(w));
    EXPECT_EQ(getParent(w), host);
    EXPECT_EQ(getParent(host), nullptr);
    EXPECT_EQ(getClassName(w), kClassName);
    EXPECT_EQ(getClassName(host), "HostClass");
    EXPECT_EQ(getWindowStyle(w), kStyleChild | kStyleVisible);
    EXPECT_EQ(getWindowStyle(host) & kStyleCaption, kStyleCaption);

    // The host's client area starts inside its frame (3) and below its title bar (18).
    PixelRect r;
    ASSERT_TRUE(getWindowRect(w, r));
    EXPECT_EQ(r, (PixelRect{100 + 3 + 10, 50 + 3 + 18 + 20, 100 + 3 + 10 + 352, 50 + 3 + 18 + 20 + 262}));
    ASSERT_TRUE(getClientRect(w, r));
    EXPECT_EQ(r, (PixelRect{0, 0, 352, 262}));
    ASSERT_TRUE(getClientRect(host, r));
    EXPECT_EQ(r, (PixelRect{0, 0, 400, 303}));
    ASSERT_NE(w->clientBitmap(), nullptr);
    EXPECT_EQ(w->clientBitmap()->width(), 352);
    EXPECT_EQ(w->screenOrigin(), (PixelPoint{113, 91}));
    EXPECT_EQ(windowScreenOrigin(w), (PixelPoint{113, 91}));
    EXPECT_EQ(hl::windowAt({113, 91}), w);
    EXPECT_EQ(hl::windowAt({112, 91}), host);
    EXPECT_EQ(hl::windowAt({0, 0}), nullptr);
}

TEST_F(Windowing, UserDataAndProcedureSlotsAnswerTheirPreviousValue) {
    Window* w = child({0, 0}, {5, 5});
    int a = 0, b = 0;
    EXPECT_EQ(windowUserData(w), nullptr);
    EXPECT_EQ(setWindowUserData(w, &a), nullptr);
    EXPECT_EQ(setWindowUserData(w, &b), &a);
    EXPECT_EQ(windowUserData(w), &b);

    static int subclassed = 0;
    subclassed = 0;
    const WindowProcedure replacement = [](Window* window, Message m, std::uintptr_t f, std::intptr_t s) {
        ++subclassed;
        return windowProcedure(window) == nullptr ? 0 : recordingProcedure(window, m, f, s);
    };
    EXPECT_EQ(setWindowProcedure(w, nullptr), nullptr);
    EXPECT_EQ(windowProcedure(w), &recordingProcedure);
    EXPECT_EQ(setWindowProcedure(w, replacement), &recordingProcedure);
    sendMessage(w, Message::KeyDown, 'A');
    EXPECT_EQ(subclassed, 1);
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].first, std::uintptr_t('A'));
}

// ---------------------------------------------------------------------------------
// Messages

TEST_F(Windowing, PeekFindsTheOldestMessageOfTheRangeAndRemovesOnlyWhenAsked) {
    hl::setEmptyPeekCost(0);
    Window* a = child({0, 0}, {5, 5});
    Window* b = child({10, 0}, {5, 5});
    validateWindow(a);
    validateWindow(b);
    validateWindow(host);
    hl::advanceClock(7);
    ASSERT_TRUE(postMessage(a, Message::KeyDown, 1));
    hl::advanceClock(5);
    ASSERT_TRUE(postMessage(b, Message::LeftButtonDown, 0, packPoint(3, 4)));
    ASSERT_TRUE(postMessage(a, Message::LeftButtonDown, 0, packPoint(1, 2)));
    EXPECT_FALSE(postMessage(a, Message::Paint));

    struct Case {
        Window* filter;
        MessageRange range;
        bool found;
        Window* window;
        Message message;
    };
    const Case cases[] = {
        {nullptr, MessageRange::all(), true, a, Message::KeyDown},
        {nullptr, MessageRange::only(Message::LeftButtonDown), true, b, Message::LeftButtonDown},
        {a, MessageRange::only(Message::LeftButtonDown), true, a, Message::LeftButtonDown},
        {b, MessageRange::only(Message::KeyDown), false, nullptr, Message::Null},
        {nullptr, {Message::LeftButtonDown, Message::RightButtonDown}, true, b, Message::LeftButtonDown},
        {nullptr, MessageRange::only(Message::Paint), false, nullptr, Message::Null},
    };
    for (const Case& c : cases) {
        MessageRecord m;
        EXPECT_EQ(peekMessage(m, c.filter, c.range, PeekMode::Keep), c.found);
        if (c.found) {
            EXPECT_EQ(m.window, c.window);
            EXPECT_EQ(m.message, c.message);
        }
    }

    MessageRecord m;
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::only(Message::LeftButtonDown), PeekMode::Remove));
    EXPECT_EQ(m.window, b);
    EXPECT_EQ(m.time, 12u);
    EXPECT_EQ(messageTime(), 12u);
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::only(Message::LeftButtonDown), PeekMode::Remove));
    EXPECT_EQ(m.window, a);
    EXPECT_EQ(lowWord(std::uintptr_t(m.second)), 1);
    EXPECT_EQ(highWord(std::uintptr_t(m.second)), 2);
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::only(Message::LeftButtonDown), PeekMode::Remove));
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(m.message, Message::KeyDown);
    EXPECT_EQ(m.time, 7u);
    EXPECT_EQ(messageTime(), 7u);
    EXPECT_EQ(dispatchMessage(m), 0);
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].window, a);
}

TEST_F(Windowing, PaintIsFoundAfterQueuedMessagesAndStaysUntilValidated) {
    Window* w = child({0, 0}, {40, 30});
    validateWindow(host);
    ASSERT_TRUE(postMessage(w, Message::KeyDown, 1));
    MessageRecord m;
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(m.message, Message::KeyDown);
    for (int i = 0; i < 2; ++i) {  // removing a paint leaves it waiting
        ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::only(Message::Paint), PeekMode::Remove));
        EXPECT_EQ(m.window, w);
        EXPECT_EQ(m.message, Message::Paint);
    }
    dispatchMessage(m);  // the default procedure validates
    EXPECT_FALSE(getUpdateRect(w, nullptr));
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::only(Message::Paint), PeekMode::Keep));
}

TEST_F(Windowing, UpdateRectangleAccumulatesAndBeginPaintClipsAndClearsIt) {
    Window* w = child({0, 0}, {40, 30});
    PixelRect r;
    ASSERT_TRUE(getUpdateRect(w, &r));
    EXPECT_EQ(r, (PixelRect{0, 0, 40, 30}));  // a new visible window waits for its first paint
    validateWindow(w);
    EXPECT_FALSE(getUpdateRect(w, &r));
    EXPECT_TRUE(r.isEmpty());

    const PixelRect first{2, 3, 5, 6}, second{10, 1, 12, 4}, outside{35, 25, 90, 90}, inverted{8, 8, 6, 6};
    invalidateRect(w, &first);
    invalidateRect(w, &second);
    ASSERT_TRUE(getUpdateRect(w, &r));
    EXPECT_EQ(r, (PixelRect{2, 1, 12, 6}));
    invalidateRect(w, &outside);
    invalidateRect(w, &inverted);
    ASSERT_TRUE(getUpdateRect(w, &r));
    EXPECT_EQ(r, (PixelRect{2, 1, 40, 30}));  // clipped to the client area

    validateWindow(w);
    invalidateRect(w, &first);
    const std::uint64_t presents = hl::presentCount(w);
    PaintRecord paint;
    ASSERT_TRUE(beginPaint(w, paint));
    EXPECT_EQ(paint.paintRect, first);
    EXPECT_FALSE(getUpdateRect(w, nullptr));
    ASSERT_NE(paint.dc, nullptr);
    auto brush = Brush::create({BrushStyle::Solid, makePlatformColor(255, 0, 0)});
    paint.dc->fillRect({0, 0, 40, 30}, *brush);
    endPaint(w, paint);
    EXPECT_EQ(paint.dc, nullptr);
    EXPECT_EQ(hl::presentCount(w), presents + 1);
    const Surface s = w->clientBitmap()->surface();
    EXPECT_EQ(fromXrgb(s.row32(3)[2]), makePlatformColor(255, 0, 0));
    EXPECT_EQ(fromXrgb(s.row32(5)[4]), makePlatformColor(255, 0, 0));
    EXPECT_EQ(fromXrgb(s.row32(6)[4]), kPlatformBlack);  // outside the update rectangle
    EXPECT_EQ(fromXrgb(s.row32(3)[5]), kPlatformBlack);

    DeviceContext* dc = getWindowDC(w);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(releaseWindowDC(w, dc));
    EXPECT_EQ(hl::presentCount(w), presents + 2);
}

TEST_F(Windowing, MessageLoopPassDispatchesQueuedMessagesThenPaints) {
    static Window* repost = nullptr;
    repost = nullptr;
    const WindowProcedure reposting = [](Window* window, Message m, std::uintptr_t f, std::intptr_t s) {
        if (m == Message::Command && window == repost) postMessage(window, Message::Command, f + 1);
        return recordingProcedure(window, m, f, s);
    };
    Window* w = child({0, 0}, {10, 10});
    setWindowProcedure(w, reposting);
    repost = w;
    ASSERT_TRUE(postMessage(w, Message::Command, 1));
    EXPECT_EQ(dispatchPendingMessages(), 3u);  // the command, the host's and the child's paint
    ASSERT_EQ(seen().size(), 3u);
    EXPECT_EQ(seen()[0].message, Message::Command);
    EXPECT_EQ(seen()[1].message, Message::Paint);
    EXPECT_EQ(seen()[2].message, Message::Paint);
    EXPECT_FALSE(getUpdateRect(w, nullptr));
    seen().clear();
    EXPECT_EQ(dispatchPendingMessages(), 1u);  // the command posted while handling the first
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].first, 2u);
    repost = nullptr;
}

TEST_F(Windowing, DefaultProcessingSendsTheWheelOnToTheParent) {
    Window* w = child({0, 0}, {10, 10});
    const auto distance = packWheel(-kWheelNotch, 0);
    EXPECT_EQ(sendMessage(w, Message::MouseWheel, distance, packPoint(5, 6)), 0);
    ASSERT_EQ(seen().size(), 2u);
    EXPECT_EQ(seen()[0].window, w);
    EXPECT_EQ(seen()[1].window, host);
    EXPECT_EQ(seen()[1].message, Message::MouseWheel);
    EXPECT_EQ(signedHighWord(seen()[1].first), -120);
}

TEST_F(Windowing, DestroyingSendsDestroyToTheWindowThenItsChildrenAndDropsTheirMessages) {
    Window* outer = child({0, 0}, {100, 100});
    Window* inner = child({5, 5}, {10, 10}, outer);
    validateWindow(host);
    ASSERT_TRUE(postMessage(inner, Message::KeyDown, 1));
    ASSERT_TRUE(setFocus(inner) == nullptr);
    seen().clear();
    EXPECT_TRUE(destroyWindow(outer));
    ASSERT_EQ(seen().size(), 2u);
    EXPECT_EQ(seen()[0].window, outer);
    EXPECT_EQ(seen()[0].message, Message::Destroy);
    EXPECT_EQ(seen()[1].window, inner);
    EXPECT_EQ(getFocus(), nullptr);
    EXPECT_FALSE(isWindow(outer));
    EXPECT_FALSE(isWindow(inner));
    MessageRecord m;
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Keep));
    EXPECT_EQ(sendMessage(inner, Message::KeyDown), 0);
    EXPECT_EQ(seen().size(), 2u);
    EXPECT_FALSE(getParent(inner));
    PixelRect r;
    EXPECT_FALSE(getWindowRect(inner, r));

    // The inner window's handle stays reserved until its owner destroys it.
    EXPECT_TRUE(destroyWindow(inner));
    EXPECT_FALSE(destroyWindow(inner));
    EXPECT_FALSE(destroyWindow(outer));
}

TEST_F(Windowing, DestroyingTheHostWindowDestroysTheWindowsInside) {
    Window* w = child({0, 0}, {10, 10});
    seen().clear();
    EXPECT_TRUE(destroyWindow(host));
    ASSERT_EQ(seen().size(), 2u);
    EXPECT_EQ(seen()[1].window, w);
    EXPECT_EQ(seen()[1].message, Message::Destroy);
    EXPECT_FALSE(isWindow(w));
    EXPECT_FALSE(unregisterWindowClass("HostClass"));  // host classes are not registered ones
    EXPECT_TRUE(destroyWindow(w));
}

TEST_F(Windowing, AnOwnerDestroyingItsWindowFromItsDestroyMessageIsSafe) {
    // Owners that destroy their window when told it is being destroyed, the outer one
    // by destroying it again, the inner one because its parent goes.
    static std::vector<Window*> destroyedFromInside;
    destroyedFromInside.clear();
    const WindowProcedure selfDestroying = [](Window* window, Message m, std::uintptr_t f, std::intptr_t s) {
        if (m == Message::Destroy) destroyedFromInside.push_back(destroyWindow(window) ? window : nullptr);
        return recordingProcedure(window, m, f, s);
    };
    Window* outer = child({0, 0}, {100, 100});
    Window* inner = child({5, 5}, {10, 10}, outer);
    setWindowProcedure(outer, selfDestroying);
    setWindowProcedure(inner, selfDestroying);
    EXPECT_TRUE(destroyWindow(outer));
    EXPECT_EQ(destroyedFromInside, (std::vector<Window*>{outer, inner}));
    EXPECT_EQ(seen().size(), 2u);  // one Destroy each
    EXPECT_FALSE(destroyWindow(inner));  // both handles are released already
    EXPECT_FALSE(destroyWindow(outer));
    // No window can be made inside a window that is being destroyed.
    static Window* madeInside = reinterpret_cast<Window*>(1);
    const WindowProcedure creating = [](Window* window, Message m, std::uintptr_t f, std::intptr_t s) {
        if (m == Message::Destroy)
            madeInside = createWindow({kClassName, "", kStyleChild | kStyleVisible, {}, {5, 5}, window});
        return recordingProcedure(window, m, f, s);
    };
    Window* parent = child({0, 0}, {50, 50});
    setWindowProcedure(parent, creating);
    EXPECT_TRUE(destroyWindow(parent));
    EXPECT_EQ(madeInside, nullptr);
}

TEST_F(Windowing, HostChainsMeasureTheirFramesAsAResizeWalkSeesThem) {
    // A dialog frame directly around the panel window, inside an MDI client area.
    Window* mdi = hl::createHostWindow({"MDIClient", "", kStyleVisible | kStyleChild, {0, 0, 380, 290}, host});
    Window* dialog = hl::createHostWindow({"Dialog", "Panel", kStyleVisible | kStyleChild | kStyleDialogFrame,
                                           {4, 4, 4 + 358, 4 + 268}, mdi});
    ASSERT_NE(mdi, nullptr);
    ASSERT_NE(dialog, nullptr);
    Window* panel = child({0, 0}, {352, 262}, dialog);
    PixelRect w, p;
    ASSERT_TRUE(getWindowRect(panel, w));
    ASSERT_TRUE(getWindowRect(getParent(panel), p));
    EXPECT_EQ(p.width() - w.width(), 2 * getSystemMetric(SystemMetric::DialogFrameHeight));
    EXPECT_EQ(p.height() - w.height(), 2 * getSystemMetric(SystemMetric::DialogFrameHeight));
    EXPECT_EQ(getClassName(getParent(getParent(panel))), "MDIClient");
    EXPECT_EQ(getParent(getParent(getParent(panel))), host);
    EXPECT_EQ(getWindowStyle(dialog) & kStyleCaption, 0u);
    ASSERT_TRUE(setWindowSize(dialog, {400 + 6, 300 + 6}));
    PixelRect client;
    ASSERT_TRUE(getClientRect(dialog, client));
    EXPECT_EQ(client, (PixelRect{0, 0, 400, 300}));
    int notAWindow = 0;
    EXPECT_EQ(hl::createHostWindow({"Orphan", "", kStyleVisible, {}, reinterpret_cast<Window*>(&notAWindow)}),
              nullptr);
}

TEST_F(Windowing, HostHandlesNameHeadlessWindowsAndNothingElse) {
    Window* w = child({0, 0}, {10, 10});
    EXPECT_EQ(windowFromHandle(w), w);
    EXPECT_EQ(windowFromHandle(host), host);
    EXPECT_EQ(nativeHandleOf(w), reinterpret_cast<std::uintptr_t>(w));
    EXPECT_EQ(windowFromHandle(nullptr), nullptr);
    EXPECT_EQ(nativeHandleOf(nullptr), 0u);
    ASSERT_TRUE(destroyWindow(w));
    // A released handle is not a headless window any more, nor a plausible X window id.
    EXPECT_EQ(windowFromHandle(w), nullptr);
    EXPECT_TRUE(hl::isHeadlessWindow(host));
    EXPECT_FALSE(hl::isHeadlessWindow(w));
}

// ---------------------------------------------------------------------------------
// Geometry

TEST_F(Windowing, PointsMapBetweenClientAreasAndTheScreen) {
    Window* a = child({10, 20}, {50, 50});
    Window* b = child({5, 5}, {10, 10}, a);
    PixelPoint points[] = {{0, 0}, {3, -4}};
    ASSERT_TRUE(mapWindowPoints(b, nullptr, points));
    EXPECT_EQ(points[0], (PixelPoint{100 + 3 + 10 + 5, 50 + 21 + 20 + 5}));
    EXPECT_EQ(points[1], (PixelPoint{121, 92}));
    ASSERT_TRUE(mapWindowPoints(nullptr, host, points));
    EXPECT_EQ(points[0], (PixelPoint{15, 25}));
    ASSERT_TRUE(mapWindowPoints(host, b, points));
    EXPECT_EQ(points[0], (PixelPoint{0, 0}));
    EXPECT_EQ(points[1], (PixelPoint{3, -4}));
    ASSERT_TRUE(destroyWindow(b));
    EXPECT_FALSE(mapWindowPoints(b, nullptr, points));
    EXPECT_EQ(points[0], (PixelPoint{0, 0}));
}

TEST_F(Windowing, ResizingKeepsThePositionAndThePixelsThatStillFit) {
    Window* w = child({10, 20}, {30, 20});
    validateWindow(w);
    w->clientBitmap()->surface().row32(5)[5] = toXrgb(makePlatformColor(1, 2, 3));
    ASSERT_TRUE(setWindowSize(w, {60, 10}));
    PixelRect r;
    ASSERT_TRUE(getWindowRect(w, r));
    EXPECT_EQ(r, (PixelRect{113, 91, 173, 101}));
    EXPECT_EQ(w->clientBitmap()->width(), 60);
    EXPECT_EQ(w->clientBitmap()->height(), 10);
    EXPECT_EQ(fromXrgb(w->clientBitmap()->surface().row32(5)[5]), makePlatformColor(1, 2, 3));
    ASSERT_TRUE(getUpdateRect(w, &r));
    EXPECT_EQ(r, (PixelRect{0, 0, 60, 10}));

    // A framed window's size is the whole window: its client area is what the frame leaves.
    ASSERT_TRUE(setWindowSize(host, {206, 124}));
    ASSERT_TRUE(getClientRect(host, r));
    EXPECT_EQ(r, (PixelRect{0, 0, 200, 100}));
    ASSERT_TRUE(setWindowPosition(w, {0, 0}));
    ASSERT_TRUE(getWindowRect(w, r));
    EXPECT_EQ(r.left, 103);
    EXPECT_EQ(r.width(), 60);
}

TEST_F(Windowing, BringingToTopDecidesWhichWindowGetsTheClick) {
    Window* lower = child({0, 0}, {50, 50});
    Window* upper = child({0, 0}, {50, 50});
    EXPECT_EQ(hl::windowAt({110, 80}), upper);
    ASSERT_TRUE(bringWindowToTop(lower));
    EXPECT_EQ(hl::windowAt({110, 80}), lower);
}

// ---------------------------------------------------------------------------------
// Focus and cursor

TEST_F(Windowing, FocusChangesAreAnnouncedToBothWindows) {
    Window* a = child({0, 0}, {5, 5});
    Window* b = child({10, 0}, {5, 5});
    EXPECT_EQ(setFocus(a), nullptr);
    EXPECT_EQ(setFocus(b), a);
    EXPECT_EQ(getFocus(), b);
    ASSERT_EQ(seen().size(), 3u);
    EXPECT_EQ(seen()[0].message, Message::SetFocus);
    EXPECT_EQ(seen()[0].first, 0u);
    EXPECT_EQ(seen()[1].window, a);
    EXPECT_EQ(seen()[1].message, Message::KillFocus);
    EXPECT_EQ(seen()[1].first, reinterpret_cast<std::uintptr_t>(b));
    EXPECT_EQ(seen()[2].window, b);
    EXPECT_EQ(seen()[2].first, reinterpret_cast<std::uintptr_t>(a));
    EXPECT_EQ(setFocus(nullptr), b);
    EXPECT_EQ(seen().back().message, Message::KillFocus);
    EXPECT_EQ(seen().back().first, 0u);
}

TEST_F(Windowing, CursorStartsAsTheArrowAndAnswersThePreviousOne) {
    EXPECT_EQ(getCursor(), Cursor::Arrow);
    EXPECT_EQ(setCursor(Cursor::Wait), Cursor::Arrow);
    EXPECT_EQ(setCursor(Cursor::ResizeDiagonalRising), Cursor::Wait);
    EXPECT_EQ(getCursor(), Cursor::ResizeDiagonalRising);
    EXPECT_EQ(hl::shownCursor(), Cursor::ResizeDiagonalRising);
    hl::reset();
    EXPECT_EQ(getCursor(), Cursor::Arrow);
}

// ---------------------------------------------------------------------------------
// Clock, input, metrics

TEST_F(Windowing, ClockMovesOnlyBySleepingAndEmptyPeeks) {
    EXPECT_EQ(tickCount(), 0u);
    EXPECT_EQ(tickCount(), 0u);
    sleepMilliseconds(46);
    EXPECT_EQ(tickCount(), 46u);
    validateWindow(host);
    MessageRecord m;
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(tickCount(), 47u);
    hl::setEmptyPeekCost(0);
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(tickCount(), 47u);
    hl::setClock(0xFFFFFFF0u);
    sleepMilliseconds(0x20);
    EXPECT_EQ(tickCount(), 0x10u);  // wraps at 2^32
}

TEST_F(Windowing, ScriptedPressBecomesAButtonDownAtItsTimeForTheWindowUnderThePointer) {
    Window* w = child({10, 20}, {352, 262});
    validateWindow(host);
    validateWindow(w);
    hl::script().at(100).moveTo({113 + 40, 91 + 30}).press(hl::Button::Left).at(180).release(hl::Button::Left);
    MessageRecord m;
    hl::setEmptyPeekCost(0);
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Keep));
    EXPECT_FALSE(isKeyDown(InputKey::LeftButton));
    sleepMilliseconds(99);
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Keep));
    EXPECT_EQ(getCursorPosition(), (PixelPoint{0, 0}));
    sleepMilliseconds(1);
    EXPECT_TRUE(isKeyDown(InputKey::LeftButton));
    EXPECT_EQ(getCursorPosition(), (PixelPoint{153, 121}));
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::only(Message::LeftButtonDown), PeekMode::Remove));
    EXPECT_EQ(m.window, w);
    EXPECT_EQ(m.time, 100u);
    EXPECT_EQ(m.first, kHeldLeft);
    EXPECT_EQ(lowWord(std::uintptr_t(m.second)), 40);
    EXPECT_EQ(highWord(std::uintptr_t(m.second)), 30);
    EXPECT_EQ(m.cursor, (PixelPoint{153, 121}));
    sleepMilliseconds(100);
    EXPECT_FALSE(isKeyDown(InputKey::LeftButton));
    EXPECT_EQ(hl::pendingInput(), 0u);
}

TEST_F(Windowing, ButtonsModifiersAndWheelReachTheRightWindowWithTheRightMessage) {
    Window* w = child({0, 0}, {100, 100});
    validateWindow(host);
    validateWindow(w);
    const PixelPoint inside{103 + 7, 71 + 9};
    struct Case {
        bool swapped;
        hl::Button button;
        Message expected;
        std::uint32_t held;
        InputKey physical;
    };
    const Case cases[] = {
        {false, hl::Button::Left, Message::LeftButtonDown, kHeldLeft, InputKey::LeftButton},
        {false, hl::Button::Middle, Message::MiddleButtonDown, kHeldMiddle, InputKey::MiddleButton},
        {false, hl::Button::Right, Message::RightButtonDown, kHeldRight, InputKey::RightButton},
        {true, hl::Button::Right, Message::LeftButtonDown, kHeldLeft, InputKey::RightButton},
        {true, hl::Button::Left, Message::RightButtonDown, kHeldRight, InputKey::LeftButton},
    };
    for (const Case& c : cases) {
        hl::setSwapButtons(c.swapped);
        EXPECT_EQ(getSystemMetric(SystemMetric::SwapButtons), c.swapped ? 1 : 0);
        hl::script().moveTo(inside).hold(hl::Modifier::Shift).press(c.button);
        EXPECT_TRUE(isKeyDown(c.physical));
        EXPECT_TRUE(isKeyDown(InputKey::Shift));
        MessageRecord m;
        ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
        EXPECT_EQ(m.window, w);
        EXPECT_EQ(m.message, c.expected);
        EXPECT_EQ(m.first, c.held | kHeldShift);
        hl::script().release(c.button).letGo(hl::Modifier::Shift);
        EXPECT_FALSE(isKeyDown(c.physical));
        EXPECT_FALSE(isKeyDown(InputKey::Shift));
    }

    hl::script().hold(hl::Modifier::Control).hold(hl::Modifier::Alt);
    const InputState state = pollInput();
    EXPECT_TRUE(state.control && state.alt && !state.shift && !state.left);
    hl::script().letGo(hl::Modifier::Control).letGo(hl::Modifier::Alt);

    // The wheel: towards the user is a negative distance, with the screen position.
    hl::script().wheel(-1).wheel(2);
    MessageRecord m;
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(m.window, w);
    EXPECT_EQ(m.message, Message::MouseWheel);
    EXPECT_EQ(signedHighWord(m.first), -120);
    EXPECT_EQ(signedLowWord(std::uintptr_t(m.second)), inside.x);
    EXPECT_EQ(signedHighWord(std::uintptr_t(m.second)), inside.y);
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(signedHighWord(m.first), 240);

    // No window under the pointer, or only a frame: nothing is queued.
    hl::script().moveTo({101, 51}).press(hl::Button::Left).release(hl::Button::Left).moveTo({5, 5}).wheel(1);
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Keep));
}

TEST_F(Windowing, KeysGoToTheWindowWithTheFocus) {
    Window* w = child({0, 0}, {10, 10});
    validateWindow(host);
    validateWindow(w);
    hl::script().key(KeyCode::Return);  // nobody has the focus: lost
    MessageRecord m;
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Keep));
    setFocus(w);
    hl::script().after(5).key('A');
    EXPECT_FALSE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Keep));
    sleepMilliseconds(5);
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(m.window, w);
    EXPECT_EQ(m.message, Message::KeyDown);
    EXPECT_EQ(m.first, std::uintptr_t('A'));
    ASSERT_TRUE(peekMessage(m, nullptr, MessageRange::all(), PeekMode::Remove));
    EXPECT_EQ(m.message, Message::KeyUp);
}

// A double-click wait as a control writes it: a busy loop that peeks for the second press
// until a deadline. On the virtual clock it ends exactly at the scripted moments.
bool waitForSecondPress(std::uint32_t deadline) {
    while (tickCount() < deadline) {
        MessageRecord m;
        if (peekMessage(m, nullptr, MessageRange::only(Message::LeftButtonDown), PeekMode::Remove)) return true;
    }
    return false;
}

TEST_F(Windowing, BusyPollingSeesTheSecondClickAtItsScriptedTime) {
    Window* w = child({0, 0}, {100, 100});
    validateWindow(host);
    validateWindow(w);
    hl::script().at(0).click({110, 80}).at(230).click({110, 80});
    MessageRecord first;
    ASSERT_TRUE(peekMessage(first, nullptr, MessageRange::only(Message::LeftButtonDown), PeekMode::Remove));
    EXPECT_TRUE(waitForSecondPress(messageTime() + doubleClickTime()));
    EXPECT_EQ(messageTime(), 230u);
    EXPECT_EQ(tickCount(), 230u);

    hl::script().at(tickCount() + 600).click({110, 80});
    const std::uint32_t start = tickCount();
    EXPECT_FALSE(waitForSecondPress(start + doubleClickTime()));
    EXPECT_EQ(tickCount(), start + 500);
}

TEST_F(Windowing, MetricsAndVersionHaveDefaultsThatTestsChange) {
    EXPECT_EQ(getSystemMetric(SystemMetric::DialogFrameHeight), 3);
    EXPECT_EQ(getSystemMetric(SystemMetric::DialogFrameWidth), 3);
    EXPECT_EQ(getSystemMetric(SystemMetric::CaptionHeight), 18);
    EXPECT_EQ(getSystemMetric(SystemMetric::ScreenWidth), 1920);
    EXPECT_EQ(doubleClickTime(), 500u);
    hl::setDialogFrame(4, 7);
    hl::setDoubleClickTime(250);
    EXPECT_EQ(getSystemMetric(SystemMetric::DialogFrameHeight), 7);
    EXPECT_EQ(doubleClickTime(), 250u);

    PlatformVersion version;
    ASSERT_TRUE(queryPlatformVersion(version));
    EXPECT_EQ(version.family, kPlatformFamilyCurrent);
    hl::setPlatformVersion(PlatformVersion{4, 0, 950, kPlatformFamilyEarly, "early"});
    ASSERT_TRUE(queryPlatformVersion(version));
    EXPECT_EQ(version.family, kPlatformFamilyEarly);
    hl::setPlatformVersion(std::nullopt);
    EXPECT_FALSE(queryPlatformVersion(version));
}

// ---------------------------------------------------------------------------------
// Pictures

std::vector<std::uint8_t> readRgb(const std::string& path, png_uint_32& width, png_uint_32& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = image.width;
    height = image.height;
    return rgb;
}

TEST_F(Windowing, WindowsAndTheWholeScreenAreWrittenAsPictures) {
    Window* w = child({10, 20}, {30, 20});
    auto brush = Brush::create({BrushStyle::Solid, makePlatformColor(200, 30, 40)});
    DeviceContext* dc = getWindowDC(w);
    dc->fillRect({0, 0, 30, 20}, *brush);
    releaseWindowDC(w, dc);

    const std::string dir = ::testing::TempDir();
    png_uint_32 width = 0, height = 0;
    ASSERT_TRUE(hl::writeWindowPng(w, dir + "/window.png"));
    auto rgb = readRgb(dir + "/window.png", width, height);
    ASSERT_EQ(width, 30u);
    ASSERT_EQ(height, 20u);
    EXPECT_EQ(rgb[0], 200);
    EXPECT_EQ(rgb[1], 30);

    ASSERT_TRUE(hl::writeScreenPng(dir + "/screen.png"));
    rgb = readRgb(dir + "/screen.png", width, height);
    ASSERT_EQ(width, 1920u);
    const auto at = [&](int x, int y) {
        const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
        return makePlatformColor(p[0], p[1], p[2]);
    };
    EXPECT_EQ(at(113, 91), makePlatformColor(200, 30, 40));  // the child's first pixel
    EXPECT_EQ(at(142, 110), makePlatformColor(200, 30, 40));
    EXPECT_EQ(at(143, 110), kPlatformBlack);                  // the host's client area
    EXPECT_EQ(at(100, 50), makePlatformColor(160, 160, 160)); // its frame
    EXPECT_EQ(at(110, 60), makePlatformColor(40, 60, 110));   // its title bar
    ASSERT_TRUE(destroyWindow(w));
    EXPECT_FALSE(hl::writeWindowPng(w, dir + "/gone.png"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/gone.png"));
}

}  // namespace
