// The X server going away under a host with our window in it: the process goes on, our
// window is destroyed from outside, and nothing of X11 can be made any more. The test runs
// an X server of its own so that it can end it.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "windowing.h"

#include <X11/Xlib.h>

extern char** environ;

namespace {

namespace pf = orbitone::platform;

// The host's own connection dies with the server; Xlib must not be asked to close it
// then, so it stays reachable here until the process ends.
Display* hostDisplay = nullptr;

int destroys = 0;
std::intptr_t counting(pf::Window* w, pf::Message m, std::uintptr_t f, std::intptr_t s) {
    if (m == pf::Message::Destroy) ++destroys;
    return pf::defaultWindowProcedure(w, m, f, s);
}

// An X server on a display number it picks itself (-displayfd).
struct PrivateServer {
    pid_t pid = -1;
    std::string display;

    PrivateServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
        char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), const_cast<char*>("3"),
                        const_cast<char*>("-screen"), const_cast<char*>("0"),
                        const_cast<char*>("320x240x24"), const_cast<char*>("-nolisten"),
                        const_cast<char*>("tcp"), nullptr};
        if (posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        char number[16] = {};
        std::size_t used = 0;
        for (ssize_t n; used + 1 < sizeof number && (n = read(fds[0], number + used, 1)) > 0;) {
            if (number[used] == '\n') break;
            ++used;
        }
        number[used] = 0;
        close(fds[0]);
        if (used > 0) display = std::string(":") + number;
    }
    void end() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
    ~PrivateServer() { end(); }
};

TEST(X11LostDisplay, OurWindowIsDestroyedAndTheProcessGoesOn) {
    PrivateServer server;
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    ASSERT_EQ(setenv("DISPLAY", server.display.c_str(), 1), 0);
    hostDisplay = XOpenDisplay(nullptr);
    ASSERT_NE(hostDisplay, nullptr);
    const ::Window top = XCreateSimpleWindow(hostDisplay, DefaultRootWindow(hostDisplay), 0, 0, 200, 100, 0, 0, 0);
    XMapWindow(hostDisplay, top);
    XSync(hostDisplay, False);

    ASSERT_TRUE(pf::registerWindowClass({"LostDisplayClass", &counting}));
    pf::Window* host = pf::windowFromHandle(reinterpret_cast<void*>(top));
    ASSERT_NE(host, nullptr);
    pf::Window* window =
        pf::createWindow({"LostDisplayClass", "Window", pf::kStyleChild | pf::kStyleVisible, {}, {50, 40}, host});
    ASSERT_NE(window, nullptr);
    pf::dispatchPendingMessages();

    server.end();
    for (int pass = 0; pass < 500 && destroys == 0; ++pass) {
        pf::dispatchPendingMessages();
        pf::getCursorPosition();
        pf::sleepMilliseconds(2);
    }
    EXPECT_EQ(destroys, 1);
    EXPECT_FALSE(pf::isWindow(window));
    EXPECT_FALSE(pf::isWindow(host));
    EXPECT_EQ(pf::windowFromHandle(reinterpret_cast<void*>(top)), nullptr);
    pf::MessageRecord m;
    EXPECT_FALSE(pf::peekMessage(m, nullptr, pf::MessageRange::all(), pf::PeekMode::Remove));
    EXPECT_FALSE(pf::isKeyDown(pf::InputKey::LeftButton));
    pf::setCursor(pf::Cursor::Wait);
    EXPECT_TRUE(pf::destroyWindow(window));
    EXPECT_TRUE(pf::unregisterWindowClass("LostDisplayClass"));
}

}  // namespace
