// A small host for the X11 end-to-end test: it opens a top-level X window of its own, as a
// host program would, and puts a frame inside it with a background image, a view that
// changes colour when clicked and a view that follows a drag by polling the mouse. A
// stand-in for the editor gives the frame its idle while the mouse is held.
//
// It talks on its standard streams, one line at a time:
//   out  "window 0x<id>"           the frame's window, once it exists
//   out  "painted <colour>"        the colour view was painted (red, green and blue in hex)
//   out  "click <n> <h> <v>"       the colour view's n-th click, where it landed
//   out  "drag <h> <v>"            a mouse position the drag view polled
//   out  "drop <h> <v>"            the drag ended there
//   in   "dump <path>"             write the frame's back buffer as a PNG; "dumped <path>"
//   in   "quit"
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "back_buffer.h"
#include "frame.h"
#include "frame_editor.h"
#include "image.h"
#include "paint_context.h"
#include "png_writer.h"
#include "view.h"
#include "windowing.h"

#include <X11/Xlib.h>

namespace {

using namespace orbitone;
namespace pf = orbitone::platform;

constexpr std::int32_t kPanelWidth = 352;
constexpr std::int32_t kPanelHeight = 262;
constexpr Rect kColourView{40, 40, 120, 100};
constexpr Rect kDragArea{160, 40, 330, 240};
constexpr std::int32_t kDragSize = 24;
constexpr Color kColours[] = {{230, 40, 30, 255}, {30, 180, 60, 255}, {40, 70, 220, 255}};
constexpr Color kDragAreaColour{60, 60, 60, 255};
constexpr Color kDragColour{250, 210, 20, 255};
constexpr std::uint32_t kTrackingWait = 4;

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string hex(Color c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", c.red, c.green, c.blue);
    return text;
}

// Fills exactly the rectangle (fillRectInterior fills the inside of an outline).
void fillExactly(CPaintContext* context, const Rect& r, Color colour) {
    context->setBrushColor(colour);
    context->fillRectInterior({r.left - 1, r.top - 1, r.right, r.bottom});
}

// What the frame asks of its editor, done as the editor does it while the mouse is held:
// repaint what changed, dispatch one waiting paint, then give the host a moment.
class TestEditor final : public FrameEditor {
public:
    void idleWhileTracking() override {
        if (frame) frame->onIdle();
        pf::MessageRecord m;
        if (pf::peekMessage(m, nullptr, pf::MessageRange::only(pf::Message::Paint), pf::PeekMode::Remove))
            pf::dispatchMessage(m);
        pf::sleepMilliseconds(kTrackingWait);
    }
    void notifyEditBegin(std::int32_t) override {}
    void notifyEditEnd(std::int32_t) override {}
    EffectBaseEx* getFrameEffect() override { return nullptr; }
    CFrame* frame = nullptr;
};

class ColourView final : public CView {
public:
    ColourView() : CView(kColourView) {}
    void paint(CPaintContext* context) override {
        const Color colour = kColours[clicks % 3];
        fillExactly(context, bounds, colour);
        say("painted " + hex(colour));
        setNeedsRedraw(false);
    }
    void onMouseDown(CPaintContext*, Point where, std::int32_t) override {
        ++clicks;
        say("click " + std::to_string(clicks) + " " + std::to_string(where.h) + " " + std::to_string(where.v));
        setNeedsRedraw(true);
    }

private:
    int clicks = 0;
};

class DragView final : public CView {
public:
    DragView() : CView(kDragArea) {}
    void paint(CPaintContext* context) override {
        fillExactly(context, bounds, kDragAreaColour);
        fillExactly(context, square(), kDragColour);
        setNeedsRedraw(false);
    }
    // Follows the mouse while the button is held, by polling.
    void onMouseDown(CPaintContext* context, Point where, std::int32_t buttons) override {
        if (!(buttons & buttonLeft) || !square().pointInside(where)) return;
        const Point grab{where.h - topLeft.h, where.v - topLeft.v};
        Point last = where;
        while (context->getButtonState() & buttonLeft) {
            Point p;
            getMousePosition(context, p);
            if (p.h != last.h || p.v != last.v) {
                last = p;
                say("drag " + std::to_string(p.h) + " " + std::to_string(p.v));
                topLeft = {std::clamp(p.h - grab.h, bounds.left, bounds.right - kDragSize),
                           std::clamp(p.v - grab.v, bounds.top, bounds.bottom - kDragSize)};
                setNeedsRedraw(true);
            }
            getOwningFrame()->idleHost();
        }
        say("drop " + std::to_string(last.h) + " " + std::to_string(last.v));
    }

private:
    Rect square() const { return {topLeft.h, topLeft.v, topLeft.h + kDragSize, topLeft.v + kDragSize}; }
    Point topLeft{kDragArea.left, kDragArea.top};
};

// The background image: a gradient with a grid, drawn into an image of the panel's size.
CImage* makeBackground() {
    auto* image = new CImage(kPanelWidth, kPanelHeight);
    if (pf::Bitmap* bitmap = image->getPlatformBitmap()) {
        const pf::Surface s = bitmap->surface();
        for (std::int32_t y = 0; y < s.height; ++y)
            for (std::int32_t x = 0; x < s.width; ++x) {
                const bool grid = x % 16 == 0 || y % 16 == 0;
                s.row32(y)[x] = pf::toXrgb(grid ? pf::makePlatformColor(20, 20, 20)
                                                : pf::makePlatformColor(std::uint8_t(x * 255 / s.width),
                                                                        std::uint8_t(y * 255 / s.height), 128));
            }
    }
    return image;
}

bool handleCommand(CFrame& frame, const std::string& line) {
    if (line == "quit") return false;
    if (line.rfind("dump ", 0) == 0) {
        const std::string path = line.substr(5);
        CBackBuffer* buffer = frame.getBackBuffer();
        pf::Bitmap* bitmap = buffer ? buffer->getPlatformBitmap() : nullptr;
        say(bitmap && pf::writePng(bitmap->surface(), path) ? "dumped " + path : "failed " + path);
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

    TestEditor editor;
    auto* frame = new CFrame({0, 0, kPanelWidth, kPanelHeight}, reinterpret_cast<void*>(top), &editor);
    editor.frame = frame;
    if (frame->getWindow() == nullptr) {
        std::fputs("x11_frame_host: the frame has no window\n", stderr);
        return 1;
    }
    CImage* background = makeBackground();
    frame->setBackgroundImage(background);
    background->release();
    frame->addChild(new ColourView);
    frame->addChild(new DragView);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(pf::nativeHandleOf(frame->getWindow())));
    say(std::string("window ") + id);

    // The host's loop: its own events, our commands, the window's messages and the
    // editor's idle.
    std::string pending;
    for (bool running = true; running;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 5) > 0) {
            char chunk[256];
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0) break;
            pending.append(chunk, std::size_t(n));
            for (std::size_t end; running && (end = pending.find('\n')) != std::string::npos;) {
                running = handleCommand(*frame, pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
        }
        pf::dispatchPendingMessages();
        frame->onIdle();
    }

    frame->release();
    XDestroyWindow(display, top);
    XCloseDisplay(display);
    return 0;
}
