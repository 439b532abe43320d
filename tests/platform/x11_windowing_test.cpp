// The window services on a real X server: our window inside a host's top-level window,
// exposure, button presses and wheel notches made with XTEST (xdotool), polling, painting
// read back from the server, and the host destroying its window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "windowing.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace pf = orbitone::platform;

constexpr char kClassName[] = "X11TestWindow";

std::vector<pf::MessageRecord>& seen() {
    static std::vector<pf::MessageRecord> log;
    return log;
}

std::intptr_t recording(pf::Window* window, pf::Message message, std::uintptr_t first, std::intptr_t second) {
    if (message == pf::Message::Paint) {
        pf::PaintRecord paint;
        if (pf::beginPaint(window, paint)) {
            auto brush = pf::Brush::create({pf::BrushStyle::Solid, pf::makePlatformColor(200, 40, 10)});
            paint.dc->fillRect({0, 0, 1000, 1000}, *brush);
            pf::endPaint(window, paint);
        }
    }
    seen().push_back({window, message, first, second, 0, {}});
    return message == pf::Message::Paint ? 0 : pf::defaultWindowProcedure(window, message, first, second);
}

// Runs message-loop passes until the condition holds; the time limit only keeps a broken
// run from hanging.
template <typename Condition>
bool eventually(Condition condition) {
    for (int pass = 0; pass < 2500; ++pass) {
        pf::dispatchPendingMessages();
        if (condition()) return true;
        pf::sleepMilliseconds(2);
    }
    return false;
}

bool sawMessage(pf::Message message) {
    for (const auto& m : seen())
        if (m.message == message) return true;
    return false;
}

const pf::MessageRecord* lastOf(pf::Message message) {
    for (auto it = seen().rbegin(); it != seen().rend(); ++it)
        if (it->message == message) return &*it;
    return nullptr;
}

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

// The host: a top-level window of another connection, as a host program would have.
class X11Windowing : public ::testing::Test {
protected:
    void SetUp() override {
        hostDisplay = XOpenDisplay(nullptr);
        ASSERT_NE(hostDisplay, nullptr) << "no X display";
        const int screen = DefaultScreen(hostDisplay);
        hostWindow = XCreateSimpleWindow(hostDisplay, RootWindow(hostDisplay, screen), 40, 30, 400, 300, 0,
                                         BlackPixel(hostDisplay, screen), WhitePixel(hostDisplay, screen));
        XClassHint hint{const_cast<char*>("host"), const_cast<char*>("OrbitoneTestHost")};
        XSetClassHint(hostDisplay, hostWindow, &hint);
        XSelectInput(hostDisplay, hostWindow, StructureNotifyMask);
        XMapWindow(hostDisplay, hostWindow);
        for (XEvent e;;) {
            XNextEvent(hostDisplay, &e);
            if (e.type == MapNotify) break;
        }
        seen().clear();
        ASSERT_TRUE(pf::registerWindowClass({kClassName, &recording, pf::Cursor::Arrow, pf::kClassGlobal}));
        host = pf::windowFromHandle(reinterpret_cast<void*>(hostWindow));
        ASSERT_NE(host, nullptr);
        window = pf::createWindow({kClassName, "Window", pf::kStyleChild | pf::kStyleVisible, {10, 20}, {120, 80}, host});
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override {
        if (window) pf::destroyWindow(window);
        EXPECT_TRUE(pf::unregisterWindowClass(kClassName));
        if (hostDisplay) {
            if (hostWindow) XDestroyWindow(hostDisplay, hostWindow);
            XCloseDisplay(hostDisplay);
        }
    }

    pf::PixelPoint clientOnScreen(pf::PixelPoint p) {
        pf::PixelPoint points[] = {p};
        EXPECT_TRUE(pf::mapWindowPoints(window, nullptr, points));
        return points[0];
    }

    Display* hostDisplay = nullptr;
    ::Window hostWindow = 0;
    pf::Window* host = nullptr;
    pf::Window* window = nullptr;
};

TEST_F(X11Windowing, OurWindowIsARealChildOfTheHostWindow) {
    const auto id = static_cast<::Window>(pf::nativeHandleOf(window));
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(hostDisplay, id, &root, &parent, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(parent, hostWindow);
    EXPECT_EQ(pf::getParent(window), host);
    EXPECT_EQ(pf::getParent(host), nullptr);  // a top-level window
    EXPECT_EQ(pf::windowFromHandle(reinterpret_cast<void*>(id)), window);
    EXPECT_EQ(pf::getClassName(host), "OrbitoneTestHost");
    EXPECT_EQ(pf::getClassName(window), kClassName);
    EXPECT_TRUE(pf::getWindowStyle(host) & pf::kStyleCaption);
    EXPECT_FALSE(pf::getWindowStyle(host) & pf::kStyleChild);

    pf::PixelRect r;
    ASSERT_TRUE(pf::getWindowRect(window, r));
    EXPECT_EQ(r, (pf::PixelRect{50, 50, 170, 130}));
    ASSERT_TRUE(pf::getWindowRect(host, r));
    EXPECT_EQ(r, (pf::PixelRect{40, 30, 440, 330}));
    pf::PixelPoint points[] = {{0, 0}};
    ASSERT_TRUE(pf::mapWindowPoints(window, host, points));
    EXPECT_EQ(points[0], (pf::PixelPoint{10, 20}));

    ASSERT_TRUE(pf::setWindowSize(window, {150, 90}));
    XWindowAttributes attributes{};
    XSync(hostDisplay, False);
    ASSERT_TRUE(XGetWindowAttributes(hostDisplay, id, &attributes));
    EXPECT_EQ(attributes.width, 150);
    EXPECT_EQ(attributes.height, 90);
    ASSERT_TRUE(pf::getClientRect(window, r));
    EXPECT_EQ(r, (pf::PixelRect{0, 0, 150, 90}));
    EXPECT_EQ(pf::setCursor(pf::Cursor::Wait), pf::Cursor::Arrow);
    EXPECT_EQ(pf::setCursor(pf::Cursor::Arrow), pf::Cursor::Wait);
}

TEST_F(X11Windowing, ExposureIsPaintedAndThePixelsReachTheServer) {
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::Paint); }));
    const auto id = static_cast<::Window>(pf::nativeHandleOf(window));
    XSync(hostDisplay, False);
    XImage* image = XGetImage(hostDisplay, id, 0, 0, 120, 80, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0xC8280Au);
    EXPECT_EQ(XGetPixel(image, 119, 79) & 0xFFFFFF, 0xC8280Au);
    XDestroyImage(image);
}

TEST_F(X11Windowing, PressesAndWheelNotchesBecomeMessagesAndPollingSeesThePointer) {
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::Paint); }));
    const pf::PixelPoint target = clientOnScreen({30, 25});
    xdotool("mousemove " + std::to_string(target.x) + " " + std::to_string(target.y));
    ASSERT_TRUE(eventually([&] { return pf::getCursorPosition() == target; }));
    EXPECT_FALSE(pf::isKeyDown(pf::InputKey::LeftButton));

    xdotool("mousedown 1");
    ASSERT_TRUE(eventually([] { return pf::isKeyDown(pf::InputKey::LeftButton); }));
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::LeftButtonDown); }));
    const pf::MessageRecord* press = lastOf(pf::Message::LeftButtonDown);
    EXPECT_EQ(press->window, window);
    EXPECT_EQ(press->first, pf::kHeldLeft);
    EXPECT_EQ(pf::lowWord(std::uintptr_t(press->second)), 30);
    EXPECT_EQ(pf::highWord(std::uintptr_t(press->second)), 25);
    xdotool("mouseup 1");
    ASSERT_TRUE(eventually([] { return !pf::isKeyDown(pf::InputKey::LeftButton); }));

    xdotool("click 3");
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::RightButtonDown); }));
    xdotool("click 2");
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::MiddleButtonDown); }));

    xdotool("click 5");
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::MouseWheel); }));
    const pf::MessageRecord* wheel = lastOf(pf::Message::MouseWheel);
    EXPECT_EQ(pf::signedHighWord(wheel->first), -120);
    EXPECT_EQ(pf::signedLowWord(std::uintptr_t(wheel->second)), target.x);
    EXPECT_EQ(pf::signedHighWord(std::uintptr_t(wheel->second)), target.y);
    seen().clear();
    xdotool("click 4");
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::MouseWheel); }));
    EXPECT_EQ(pf::signedHighWord(lastOf(pf::Message::MouseWheel)->first), 120);
}

TEST_F(X11Windowing, TheHostDestroyingItsWindowDestroysOurs) {
    XDestroyWindow(hostDisplay, hostWindow);
    XSync(hostDisplay, False);
    hostWindow = 0;
    ASSERT_TRUE(eventually([] { return sawMessage(pf::Message::Destroy); }));
    EXPECT_FALSE(pf::isWindow(window));
    EXPECT_FALSE(pf::isWindow(host));
    pf::PixelRect r;
    EXPECT_FALSE(pf::getWindowRect(window, r));
    EXPECT_TRUE(pf::destroyWindow(window));  // releases the handle
    window = nullptr;
}

TEST_F(X11Windowing, HandlesThatNameNoWindowAreRefused) {
    EXPECT_EQ(pf::windowFromHandle(reinterpret_cast<void*>(std::uintptr_t(0x1FFFFF00))), nullptr);
    EXPECT_EQ(pf::createWindow({kClassName, "", pf::kStyleChild, {}, {5, 5},
                                pf::windowFromHandle(reinterpret_cast<void*>(std::uintptr_t(0x1FFFFF00)))}),
              nullptr);
}

}  // namespace
