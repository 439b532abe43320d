// Without a display (the test empties DISPLAY before anything asks for one) nothing of X11 can be made, and
// nothing crashes: host handles name no window and windows in them are refused.
#include <gtest/gtest.h>

#include <cstdlib>

#include "headless.h"
#include "windowing.h"

namespace {

using namespace orbitone::platform;

std::intptr_t ignoring(Window* w, Message m, std::uintptr_t f, std::intptr_t s) {
    return defaultWindowProcedure(w, m, f, s);
}

TEST(NoDisplay, HostWindowIdsNameNoWindowAndTheHeadlessScreenStillWorks) {
    ASSERT_EQ(setenv("DISPLAY", "", 1), 0);
    ASSERT_TRUE(registerWindowClass({"NoDisplayClass", &ignoring}));
    for (std::uintptr_t id : {std::uintptr_t(0x400001), std::uintptr_t(1), std::uintptr_t(0x1FFFFFFF)}) {
        Window* host = windowFromHandle(reinterpret_cast<void*>(id));
        EXPECT_EQ(host, nullptr);
        EXPECT_EQ(createWindow({"NoDisplayClass", "Window", kStyleChild | kStyleVisible, {}, {10, 10}, host}),
                  nullptr);
    }
    Window* host = headless::createHostWindow({"Host", "", kStyleVisible, {0, 0, 50, 50}});
    Window* w = createWindow({"NoDisplayClass", "Window", kStyleChild | kStyleVisible, {}, {10, 10}, host});
    EXPECT_NE(w, nullptr);
    EXPECT_EQ(tickCount(), 0u);  // the headless clock answers
    EXPECT_TRUE(destroyWindow(w));
    EXPECT_TRUE(unregisterWindowClass("NoDisplayClass"));
    headless::reset();
}

}  // namespace
