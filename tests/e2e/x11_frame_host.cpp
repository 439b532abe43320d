// A small host for the X11 end-to-end test: it opens a top-level X window of its own, as a
// host program would, and puts the plug-in side inside it: a window of the window services
// showing a background picture, a view that changes colour when clicked and a view that
// follows a drag by polling the pointer.
//
// It talks on its standard streams, one line at a time:
//   out  "window 0x<id>"           the plug-in's window, once it exists
//   out  "painted <colour>"        the colour view was painted (red, green and blue in hex)
//   out  "click <n> <h> <v>"       the colour view's n-th click, where it landed
//   out  "drag <h> <v>"            a pointer position the drag view polled
//   out  "drop <h> <v>"            the drag ended there
//   in   "dump <path>"             write the back buffer as a PNG; answers "dumped <path>"
//   in   "quit"
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "png_writer.h"
#include "windowing.h"

#include <X11/Xlib.h>

namespace {

namespace pf = orbitone::platform;

constexpr std::int32_t kPanelWidth = 352;
constexpr std::int32_t kPanelHeight = 262;
constexpr pf::PixelRect kColourView{40, 40, 120, 100};
constexpr std::int32_t kDragSize = 24;
constexpr pf::PixelRect kDragArea{160, 40, 330, 240};
constexpr pf::PlatformColor kColours[] = {pf::makePlatformColor(230, 40, 30), pf::makePlatformColor(30, 180, 60),
                                          pf::makePlatformColor(40, 70, 220)};
constexpr pf::PlatformColor kDragColour = pf::makePlatformColor(250, 210, 20);
constexpr std::uint32_t kPollInterval = 4;

struct Panel {
    pf::Window* window = nullptr;
    std::unique_ptr<pf::Bitmap> backBuffer;
    std::unique_ptr<pf::DeviceContext> backDc;
    int clicks = 0;
    pf::PixelPoint dragTopLeft{kDragArea.left, kDragArea.top};
};
Panel panel;

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string hex(pf::PlatformColor c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", pf::redOf(c), pf::greenOf(c), pf::blueOf(c));
    return text;
}

void fill(const pf::PixelRect& r, pf::PlatformColor colour) {
    auto brush = pf::Brush::create({pf::BrushStyle::Solid, colour});
    if (brush) panel.backDc->fillRect(r, *brush);
}

// The whole panel into the back buffer: a background picture (a gradient with a grid),
// the colour view and the drag view's square.
void compose() {
    const pf::Surface s = panel.backBuffer->surface();
    for (std::int32_t y = 0; y < s.height; ++y)
        for (std::int32_t x = 0; x < s.width; ++x) {
            const bool grid = x % 16 == 0 || y % 16 == 0;
            s.row32(y)[x] = pf::toXrgb(grid ? pf::makePlatformColor(20, 20, 20)
                                            : pf::makePlatformColor(std::uint8_t(x * 255 / s.width),
                                                                    std::uint8_t(y * 255 / s.height), 128));
        }
    const pf::PlatformColor colour = kColours[panel.clicks % 3];
    fill(kColourView, colour);
    say("painted " + hex(colour));
    fill({kDragArea.left, kDragArea.top, kDragArea.right, kDragArea.bottom}, pf::makePlatformColor(60, 60, 60));
    fill({panel.dragTopLeft.x, panel.dragTopLeft.y, panel.dragTopLeft.x + kDragSize,
          panel.dragTopLeft.y + kDragSize},
         kDragColour);
}

void show(pf::DeviceContext& dc, const pf::PixelRect& r) {
    pf::blit(dc, {r.left, r.top}, {std::int32_t(r.width()), std::int32_t(r.height())}, *panel.backDc,
             {r.left, r.top}, pf::BlitOp::Copy);
}

void repaintNow() {
    compose();
    if (pf::DeviceContext* dc = pf::getWindowDC(panel.window)) {
        show(*dc, {0, 0, kPanelWidth, kPanelHeight});
        pf::releaseWindowDC(panel.window, dc);
    }
}

pf::PixelPoint pointerInWindow() {
    const pf::PixelPoint cursor = pf::getCursorPosition();
    const pf::PixelPoint origin = pf::windowScreenOrigin(panel.window);
    return {cursor.x - origin.x, cursor.y - origin.y};
}

// Follows the pointer while the button is held, by polling, as the toolkit's controls do.
void trackDrag(pf::PixelPoint start) {
    const pf::PixelPoint grab{start.x - panel.dragTopLeft.x, start.y - panel.dragTopLeft.y};
    pf::PixelPoint last = start;
    while (pf::isKeyDown(pf::InputKey::LeftButton)) {
        const pf::PixelPoint p = pointerInWindow();
        if (!(p == last)) {
            last = p;
            say("drag " + std::to_string(p.x) + " " + std::to_string(p.y));
            panel.dragTopLeft = {std::clamp(p.x - grab.x, kDragArea.left, kDragArea.right - kDragSize),
                                 std::clamp(p.y - grab.y, kDragArea.top, kDragArea.bottom - kDragSize)};
            repaintNow();
        }
        pf::sleepMilliseconds(kPollInterval);
    }
    say("drop " + std::to_string(last.x) + " " + std::to_string(last.y));
}

std::intptr_t panelProcedure(pf::Window* window, pf::Message message, std::uintptr_t first, std::intptr_t second) {
    switch (message) {
        case pf::Message::Paint: {
            pf::PaintRecord paint;
            if (!pf::getUpdateRect(window, nullptr)) break;
            if (pf::beginPaint(window, paint)) {
                compose();
                show(*paint.dc, paint.paintRect);
                pf::endPaint(window, paint);
            }
            return 0;
        }
        case pf::Message::LeftButtonDown: {
            const pf::PixelPoint where{pf::lowWord(std::uintptr_t(second)), pf::highWord(std::uintptr_t(second))};
            if (kColourView.contains(where)) {
                ++panel.clicks;
                say("click " + std::to_string(panel.clicks) + " " + std::to_string(where.x) + " " +
                    std::to_string(where.y));
                repaintNow();
            } else if (pf::PixelRect{panel.dragTopLeft.x, panel.dragTopLeft.y, panel.dragTopLeft.x + kDragSize,
                                     panel.dragTopLeft.y + kDragSize}
                           .contains(where)) {
                trackDrag(where);
            }
            return 0;
        }
        default:
            break;
    }
    return pf::defaultWindowProcedure(window, message, first, second);
}

bool handleCommand(const std::string& line) {
    if (line == "quit") return false;
    if (line.rfind("dump ", 0) == 0) {
        const std::string path = line.substr(5);
        say(pf::writePng(panel.backBuffer->surface(), path) ? "dumped " + path : "failed " + path);
    }
    return true;
}

}  // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("x11_frame_host: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    const ::Window top = XCreateSimpleWindow(display, RootWindow(display, screen), 60, 40, kPanelWidth,
                                             kPanelHeight, 0, BlackPixel(display, screen),
                                             WhitePixel(display, screen));
    XStoreName(display, top, "Orbitone test host");
    XSelectInput(display, top, StructureNotifyMask);
    XMapWindow(display, top);
    for (XEvent e;;) {
        XNextEvent(display, &e);
        if (e.type == MapNotify) break;
    }

    if (!pf::registerWindowClass({"OrbitoneTestPanel", &panelProcedure, pf::Cursor::Arrow, pf::kClassGlobal})) return 1;
    pf::Window* parent = pf::windowFromHandle(reinterpret_cast<void*>(top));
    panel.window = pf::createWindow({"OrbitoneTestPanel", "Window", pf::kStyleChild | pf::kStyleVisible, {0, 0},
                                     {kPanelWidth, kPanelHeight}, parent});
    panel.backBuffer = pf::Bitmap::create(kPanelWidth, kPanelHeight, pf::PixelFormat::Xrgb32);
    panel.backDc = pf::createMemoryDC(nullptr);
    if (panel.window == nullptr || !panel.backBuffer || !panel.backDc) {
        std::fputs("x11_frame_host: cannot make the panel's window\n", stderr);
        return 1;
    }
    panel.backDc->select(panel.backBuffer.get());
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(pf::nativeHandleOf(panel.window)));
    say(std::string("window ") + id);

    // The host's loop: its own events, our commands, and the plug-in's idle.
    std::string pending;
    for (bool running = true; running;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 5) > 0) {
            char chunk[256];
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0) break;
            pending.append(chunk, std::size_t(n));
            for (std::size_t end; running && (end = pending.find('\n')) != std::string::npos;) {
                running = handleCommand(pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
        }
        pf::dispatchPendingMessages();
    }

    pf::destroyWindow(panel.window);
    pf::unregisterWindowClass("OrbitoneTestPanel");
    panel.backDc.reset();
    panel.backBuffer.reset();
    XDestroyWindow(display, top);
    XCloseDisplay(display);
    return 0;
}
