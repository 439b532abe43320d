// The X11 backend of the window services: our windows are real X windows inside the
// window ids hosts pass, on the plug-in's own display connection.
//
// The connection is opened the first time a host handle has to be looked up. Its events
// are read whenever the core takes in pending input (a peek, a message-loop pass), so the
// editor's idle and the controls' polling loops stand in for the host's message loop for
// our windows. When the connection breaks, our windows are destroyed from outside and no
// call reaches Xlib any more (some of it crashes on a broken connection). Windows of other clients (the host's) are known through proxies that ask
// the server; their errors are caught on our connection and never reach the host.
//
// Our headers come before Xlib's: Xlib defines macros (None, Bool, Status, ...) that would
// rewrite names in them.
#include <poll.h>
#include <time.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "window_backend.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

namespace orbitone::platform::detail {
namespace {

constexpr std::int32_t kDialogFrame = 3;
constexpr std::int32_t kCaptionHeight = 18;
constexpr std::uint32_t kDoubleClickTime = 500;
constexpr unsigned kButtonWheelAway = 4;
constexpr unsigned kButtonWheelToward = 5;
constexpr long kOurEvents = ExposureMask | ButtonPressMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask;
constexpr std::size_t kCursorShapes = 8;
constexpr int kBusyPollWait = 1;  // milliseconds

// Errors of our connection, recorded instead of ending the process; errors of any other
// connection of the process (a host's own) go to the handler that was there before.
Display* ourDisplay = nullptr;
int lastErrorCode = 0;
int (*previousErrorHandler)(Display*, XErrorEvent*) = nullptr;

int onXError(Display* display, XErrorEvent* error) {
    if (display == ourDisplay) {
        lastErrorCode = error->error_code;
        return 0;
    }
    return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

// A broken connection (the server went away) must not end the host's process, which is
// what Xlib does by default: for our connection the loss is only recorded, and our windows
// are then destroyed from outside. Other connections keep the handler they had.
bool connectionLost = false;
int (*previousIOErrorHandler)(Display*) = nullptr;

int onXIOError(Display* display) {
    if (display == ourDisplay) return 0;
    return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
}

void onConnectionLost(Display*, void*) { connectionLost = true; }

std::uint32_t monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u);
}

std::uint32_t heldBits(unsigned state) {
    return (state & Button1Mask ? kHeldLeft : 0) | (state & Button2Mask ? kHeldMiddle : 0) |
           (state & Button3Mask ? kHeldRight : 0) | (state & ShiftMask ? kHeldShift : 0) |
           (state & ControlMask ? kHeldControl : 0) | (state & Mod1Mask ? kHeldAlt : 0);
}

std::uint32_t keyCodeOf(KeySym sym) {
    struct Named {
        KeySym sym;
        KeyCode code;
    };
    static constexpr Named named[] = {
        {XK_BackSpace, KeyCode::Backspace}, {XK_Tab, KeyCode::Tab},          {XK_ISO_Left_Tab, KeyCode::Tab},
        {XK_Return, KeyCode::Return},       {XK_KP_Enter, KeyCode::Return},  {XK_Escape, KeyCode::Escape},
        {XK_Delete, KeyCode::Delete},       {XK_KP_Delete, KeyCode::Delete}, {XK_Left, KeyCode::Left},
        {XK_Up, KeyCode::Up},               {XK_Right, KeyCode::Right},      {XK_Down, KeyCode::Down},
        {XK_Page_Up, KeyCode::PageUp},      {XK_Page_Down, KeyCode::PageDown}, {XK_Home, KeyCode::Home},
        {XK_End, KeyCode::End},             {XK_Insert, KeyCode::Insert},    {XK_Shift_L, KeyCode::Shift},
        {XK_Shift_R, KeyCode::Shift},       {XK_Control_L, KeyCode::Control}, {XK_Control_R, KeyCode::Control},
        {XK_Alt_L, KeyCode::Alt},           {XK_Alt_R, KeyCode::Alt},        {XK_Meta_L, KeyCode::Alt},
    };
    for (const Named& n : named)
        if (n.sym == sym) return std::uint32_t(n.code);
    if (sym >= XK_F1 && sym <= XK_F12) return std::uint32_t(KeyCode::F1) + std::uint32_t(sym - XK_F1);
    if (sym >= XK_a && sym <= XK_z) return std::uint32_t('A' + (sym - XK_a));
    if (sym >= 0x20 && sym <= 0x7E) return std::uint32_t(sym);
    return std::uint32_t(KeyCode::Unknown);
}

unsigned fontCursorShape(Cursor cursor) {
    switch (cursor) {
        case Cursor::Wait: return XC_watch;
        case Cursor::ResizeHorizontal: return XC_sb_h_double_arrow;
        case Cursor::ResizeVertical: return XC_sb_v_double_arrow;
        case Cursor::ResizeDiagonalRising: return XC_bottom_left_corner;
        case Cursor::ResizeDiagonalFalling: return XC_bottom_right_corner;
        case Cursor::Move: return XC_fleur;
        default: return XC_left_ptr;
    }
}

// How client pixels (Xrgb32) become pixels of a visual.
struct PixelPacking {
    bool direct = false;  // the surface's words are the visual's pixels as they are
    unsigned long redMask = 0, greenMask = 0, blueMask = 0;
    unsigned long opaqueBits = 0;  // bits of the depth no colour uses (alpha), set to 1

    static unsigned shiftOf(unsigned long mask) {
        unsigned s = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++s;
        }
        return s;
    }
    static unsigned long scale(unsigned value, unsigned long mask) {
        const unsigned shift = shiftOf(mask);
        const unsigned long top = mask >> shift;
        return ((value * top + 127) / 255) << shift;
    }
    unsigned long pixelOf(std::uint32_t xrgb) const {
        return scale((xrgb >> 16) & 0xFF, redMask) | scale((xrgb >> 8) & 0xFF, greenMask) |
               scale(xrgb & 0xFF, blueMask) | opaqueBits;
    }
};

class X11Window final : public WindowObject {
public:
    X11Window(WindowBackend& backend, bool ours, ::Window id) : WindowObject(backend, ours), id(id) {}
    ::Window id;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    PixelPacking packing;
    PixelSize size;  // ours: the client size as we last set it
};

class X11Backend final : public WindowBackend {
public:
    explicit X11Backend(Display* display) : display_(display) {
        screen_ = DefaultScreen(display_);
        root_ = RootWindow(display_, screen_);
        wmState_ = XInternAtom(display_, "WM_STATE", False);
        readPointerMapping();
    }

    // Windows ---------------------------------------------------------------------

    std::unique_ptr<WindowObject> createWindow(const WindowCreation& creation,
                                               WindowObject* parentObject) override {
        if (connectionLost) return nullptr;
        const ::Window parent = parentObject ? asX11(*parentObject).id : root_;
        XWindowAttributes parentAttributes{};
        trapErrors();
        if (!XGetWindowAttributes(display_, parent, &parentAttributes) || trappedError()) return nullptr;
        Visual* visual = parentAttributes.visual;
        const int depth = parentAttributes.depth;
        PixelPacking packing;
        if (!packingFor(visual, depth, packing)) return nullptr;

        XSetWindowAttributes attributes{};
        attributes.event_mask = kOurEvents;
        attributes.background_pixmap = 0;  // no background: exposure shows what we paint
        attributes.border_pixel = 0;
        attributes.colormap = parentAttributes.colormap;
        const unsigned long valueMask = CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap;
        trapErrors();
        const ::Window id = XCreateWindow(display_, parent, creation.position.x, creation.position.y,
                                          unsigned(std::max(creation.size.width, 1)),
                                          unsigned(std::max(creation.size.height, 1)), 0, depth,
                                          InputOutput, visual, valueMask, &attributes);
        if (id == 0 || trappedError()) return nullptr;

        auto window = std::make_unique<X11Window>(*this, true, id);
        window->visual = visual;
        window->depth = depth;
        window->packing = packing;
        window->size = creation.size;
        window->gc = XCreateGC(display_, id, 0, nullptr);
        if (creation.style & kStyleVisible) XMapWindow(display_, id);
        XFlush(display_);
        byId_[id] = window.get();
        return window;
    }

    void destroyNative(WindowObject& object) override {
        if (connectionLost) return;
        XDestroyWindow(display_, asX11(object).id);
        XFlush(display_);
    }

    void released(WindowObject& object) override {
        X11Window& window = asX11(object);
        if (window.gc) XFreeGC(display_, window.gc);  // frees the client side too, lost or not
        window.gc = nullptr;
        if (auto it = byId_.find(window.id); it != byId_.end() && it->second == &window) byId_.erase(it);
    }

    WindowObject* parentOf(const WindowObject& object) override {
        const X11Window& window = asX11(object);
        if (window.ours()) return window.parent;
        if (connectionLost) return nullptr;
        ::Window rootReturn = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        trapErrors();
        const Status ok = XQueryTree(display_, window.id, &rootReturn, &parent, &children, &count);
        if (children) XFree(children);
        if (!ok || trappedError() || parent == 0 || parent == root_ || isTopLevel(window.id)) return nullptr;
        return windowForNativeHandle(parent);
    }

    bool windowRect(const WindowObject& object, PixelRect& rect) override {
        PixelPoint origin;
        PixelSize size;
        unsigned border = 0;
        if (!geometry(asX11(object), origin, size, border)) return false;
        const auto b = std::int32_t(border);
        rect = {origin.x - b, origin.y - b, origin.x + size.width + b, origin.y + size.height + b};
        return true;
    }

    bool clientArea(const WindowObject& object, PixelPoint& origin, PixelSize& size) override {
        unsigned border = 0;
        return geometry(asX11(object), origin, size, border);
    }

    bool resize(WindowObject& object, PixelSize size) override {
        if (connectionLost) return false;
        X11Window& window = asX11(object);
        trapErrors();
        XResizeWindow(display_, window.id, unsigned(std::max(size.width, 1)), unsigned(std::max(size.height, 1)));
        if (trappedError()) return false;
        if (window.ours()) window.size = size;
        return true;
    }

    bool move(WindowObject& object, PixelPoint position) override {
        if (connectionLost) return false;
        trapErrors();
        XMoveWindow(display_, asX11(object).id, position.x, position.y);
        return !trappedError();
    }

    bool raise(WindowObject& object) override {
        if (connectionLost) return false;
        trapErrors();
        XRaiseWindow(display_, asX11(object).id);
        return !trappedError();
    }

    std::string foreignClassName(const WindowObject& object) override {
        if (connectionLost) return {};
        XClassHint hint{};
        trapErrors();
        std::string name;
        if (XGetClassHint(display_, asX11(object).id, &hint)) {
            if (hint.res_class) name = hint.res_class;
            if (hint.res_name) XFree(hint.res_name);
            if (hint.res_class) XFree(hint.res_class);
        }
        trappedError();
        return name;
    }

    WindowStyle foreignStyle(const WindowObject& object) override {
        if (connectionLost) return 0;
        const X11Window& window = asX11(object);
        XWindowAttributes attributes{};
        trapErrors();
        if (!XGetWindowAttributes(display_, window.id, &attributes) || trappedError()) return 0;
        WindowStyle style = attributes.map_state != IsUnmapped ? kStyleVisible : 0;
        if (isTopLevel(window.id) || parentIsRoot(window.id)) {
            if (!attributes.override_redirect) style |= kStyleCaption;
        } else {
            style |= kStyleChild;
        }
        return style;
    }

    std::uintptr_t nativeHandle(const WindowObject& object) override { return asX11(object).id; }

    WindowObject* windowForNativeHandle(std::uintptr_t handle) override {
        if (connectionLost) return nullptr;
        const auto id = static_cast<::Window>(handle);
        if (auto it = byId_.find(id); it != byId_.end()) {
            if (it->second->alive()) return it->second;
            byId_.erase(it);  // the id of a destroyed window, perhaps given to a new one
        }
        XWindowAttributes attributes{};
        trapErrors();
        if (!XGetWindowAttributes(display_, id, &attributes) || trappedError()) return nullptr;
        // Told of its destruction, so that a dead host window stops being a window.
        XSelectInput(display_, id, StructureNotifyMask);
        auto proxy = std::make_unique<X11Window>(*this, false, id);
        proxy->visual = attributes.visual;
        proxy->depth = attributes.depth;
        X11Window* raw = proxy.get();
        byId_[id] = raw;
        adoptForeignWindow(std::move(proxy));
        return raw;
    }

    // Showing ---------------------------------------------------------------------

    void present(WindowObject& object) override {
        if (connectionLost) return;
        X11Window& window = asX11(object);
        Bitmap* bitmap = window.clientBitmap();
        if (!window.ours() || window.gc == nullptr || bitmap == nullptr) return;
        const Surface& s = bitmap->surface();
        if (s.isEmpty()) return;
        XImage* image = nullptr;
        std::vector<std::uint32_t> converted;
        if (window.packing.direct) {
            image = XCreateImage(display_, window.visual, unsigned(window.depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(s.pixels), unsigned(s.width), unsigned(s.height), 32,
                                 s.stride);
        } else {
            image = XCreateImage(display_, window.visual, unsigned(window.depth), ZPixmap, 0, nullptr,
                                 unsigned(s.width), unsigned(s.height), 32, 0);
            if (image != nullptr) {
                converted.resize(std::size_t(image->bytes_per_line) * unsigned(s.height) / 4 + 1);
                image->data = reinterpret_cast<char*>(converted.data());
                for (std::int32_t y = 0; y < s.height; ++y)
                    for (std::int32_t x = 0; x < s.width; ++x)
                        XPutPixel(image, x, y, window.packing.pixelOf(s.row32(y)[x]));
            }
        }
        if (image == nullptr) return;
        XPutImage(display_, window.id, window.gc, image, 0, 0, 0, 0, unsigned(s.width), unsigned(s.height));
        image->data = nullptr;  // the pixels are not the image's to free
        XDestroyImage(image);
        XFlush(display_);
    }

    void focusChanged(WindowObject* object) override {
        if (connectionLost) return;
        if (object == nullptr || !object->ours()) return;
        trapErrors();
        XSetInputFocus(display_, asX11(*object).id, RevertToParent, CurrentTime);
        trappedError();
    }

    void showCursor(Cursor cursor) override {
        if (connectionLost) return;
        const ::Cursor shape = cursorFor(cursor);
        for (auto& [id, window] : byId_)
            if (window->ours() && window->alive()) XDefineCursor(display_, id, shape);
        XFlush(display_);
    }

    // Events and input ------------------------------------------------------------

    void collectPending() override {
        if (connectionLost) {
            loseEveryWindow();
            return;
        }
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            translate(event);
        }
    }

    // A busy poll (a control waiting for a second click) waits up to a millisecond for
    // the display to say something instead of spinning the processor.
    void peekFoundNothing() override {
        if (connectionLost || XPending(display_) > 0) return;
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        poll(&connection, 1, kBusyPollWait);
    }

    InputState pollInput() override {
        if (connectionLost) return {};
        ::Window rootReturn = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned mask = 0;
        InputState state;
        if (!XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask)) return state;
        state.cursor = {rootX, rootY};
        // The server reports logical buttons; physical button p acts as logical map[p - 1].
        const auto down = [&](int physical) {
            const unsigned logical = pointerMap_[physical - 1];
            return logical >= 1 && logical <= 5 && (mask & (Button1Mask << (logical - 1))) != 0;
        };
        state.left = down(1);
        state.middle = down(2);
        state.right = down(3);
        state.shift = (mask & ShiftMask) != 0;
        state.control = (mask & ControlMask) != 0;
        state.alt = (mask & Mod1Mask) != 0;
        return state;
    }

    std::uint32_t tickCount() override { return monotonicMilliseconds(); }

    void sleep(std::uint32_t milliseconds) override {
        timespec wait{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
        while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
        }
    }

    std::uint32_t doubleClickTime() override { return kDoubleClickTime; }

    std::int32_t systemMetric(SystemMetric metric) override {
        switch (metric) {
            case SystemMetric::SwapButtons: return pointerMap_[0] == 3 && pointerMap_[2] == 1 ? 1 : 0;
            case SystemMetric::DialogFrameWidth:
            case SystemMetric::DialogFrameHeight: return kDialogFrame;
            case SystemMetric::CaptionHeight: return kCaptionHeight;
            case SystemMetric::ScreenWidth: return DisplayWidth(display_, screen_);
            case SystemMetric::ScreenHeight: return DisplayHeight(display_, screen_);
        }
        return 0;
    }

    bool platformVersion(PlatformVersion& version) override {
        utsname names{};
        if (uname(&names) != 0) return false;
        unsigned major = 0, minor = 0, build = 0;
        std::sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
        version = {major, minor, build, kPlatformFamilyCurrent,
                   std::string(names.sysname) + " " + names.release + ", X11 " + ServerVendor(display_)};
        return true;
    }

private:
    static X11Window& asX11(const WindowObject& object) {
        return static_cast<X11Window&>(const_cast<WindowObject&>(object));
    }

    void trapErrors() {
        XSync(display_, False);
        lastErrorCode = 0;
    }
    bool trappedError() {
        XSync(display_, False);
        const bool failed = lastErrorCode != 0;
        lastErrorCode = 0;
        return failed;
    }

    bool packingFor(Visual* visual, int depth, PixelPacking& packing) {
        XVisualInfo wanted{};
        wanted.visualid = XVisualIDFromVisual(visual);
        int count = 0;
        XVisualInfo* info = XGetVisualInfo(display_, VisualIDMask, &wanted, &count);
        if (info == nullptr) return false;
        const bool trueColor = info->c_class == TrueColor;
        packing.redMask = info->red_mask;
        packing.greenMask = info->green_mask;
        packing.blueMask = info->blue_mask;
        XFree(info);
        if (!trueColor) return false;
        const unsigned long depthBits = depth >= 32 ? 0xFFFFFFFFul : (1ul << depth) - 1;
        packing.opaqueBits = depthBits & ~(packing.redMask | packing.greenMask | packing.blueMask);
        // Our words are 0x00RRGGBB in the machine's byte order; the server takes them as
        // they are when its format for the depth is 32 bits a pixel in that order too.
        int formats = 0;
        XPixmapFormatValues* list = XListPixmapFormats(display_, &formats);
        int bitsPerPixel = 0;
        for (int i = 0; i < formats; ++i)
            if (list[i].depth == depth) bitsPerPixel = list[i].bits_per_pixel;
        if (list) XFree(list);
        const bool littleEndian = [] {
            const std::uint32_t one = 1;
            std::uint8_t first = 0;
            std::memcpy(&first, &one, 1);
            return first == 1;
        }();
        const int hostOrder = littleEndian ? LSBFirst : MSBFirst;
        packing.direct = bitsPerPixel == 32 && packing.redMask == 0xFF0000 && packing.greenMask == 0xFF00 &&
                         packing.blueMask == 0xFF && packing.opaqueBits == 0 &&
                         ImageByteOrder(display_) == hostOrder;
        return true;
    }

    // Both requests answer, so their status tells of a failure without a sync; our own
    // windows' size is known, which saves one of them.
    bool geometry(const X11Window& window, PixelPoint& origin, PixelSize& size, unsigned& border) {
        if (connectionLost) return false;
        ::Window rootReturn = 0, child = 0;
        int x = 0, y = 0;
        unsigned width = 0, height = 0, depth = 0;
        border = 0;
        if (window.ours()) {
            size = window.size;
        } else {
            if (!XGetGeometry(display_, window.id, &rootReturn, &x, &y, &width, &height, &border, &depth))
                return false;
            size = {std::int32_t(width), std::int32_t(height)};
        }
        if (!XTranslateCoordinates(display_, window.id, root_, 0, 0, &x, &y, &child)) return false;
        origin = {x, y};
        return true;
    }

    bool isTopLevel(::Window id) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        trapErrors();
        const int status = XGetWindowProperty(display_, id, wmState_, 0, 0, False, AnyPropertyType, &type,
                                              &format, &items, &after, &data);
        if (data) XFree(data);
        return !trappedError() && status == Success && type != 0;
    }

    bool parentIsRoot(::Window id) {
        ::Window rootReturn = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        trapErrors();
        const Status ok = XQueryTree(display_, id, &rootReturn, &parent, &children, &count);
        if (children) XFree(children);
        return !trappedError() && ok && parent == root_;
    }

    void readPointerMapping() {
        unsigned char map[32] = {};
        const int count = XGetPointerMapping(display_, map, 32);
        for (int i = 0; i < 3; ++i) pointerMap_[i] = i < count ? map[i] : static_cast<unsigned char>(i + 1);
    }

    ::Cursor cursorFor(Cursor cursor) {
        const auto index = std::size_t(cursor) < kCursorShapes ? std::size_t(cursor) : 1;
        if (cursors_[index] != 0) return cursors_[index];
        if (cursor == Cursor{}) {
            // No cursor: a cursor of one transparent pixel.
            const char blank = 0;
            Pixmap pixmap = XCreateBitmapFromData(display_, root_, &blank, 1, 1);
            XColor black{};
            cursors_[index] = XCreatePixmapCursor(display_, pixmap, pixmap, &black, &black, 0, 0);
            XFreePixmap(display_, pixmap);
        } else {
            cursors_[index] = XCreateFontCursor(display_, fontCursorShape(cursor));
        }
        return cursors_[index];
    }

    X11Window* ours(::Window id) {
        auto it = byId_.find(id);
        return it != byId_.end() && it->second->ours() && it->second->alive() ? it->second : nullptr;
    }

    // After the connection broke: every window of the display is gone.
    void loseEveryWindow() {
        while (!byId_.empty()) {
            X11Window* w = byId_.begin()->second;
            byId_.erase(byId_.begin());
            if (w->ours()) destroyedOutside(*w);
            else markDead(*w);
        }
    }

    void post(X11Window& window, Message message, std::uintptr_t first, std::intptr_t second,
              PixelPoint cursor) {
        postInput({&window, message, first, second, tickCount(), cursor});
    }

    void translate(XEvent& event) {
        switch (event.type) {
            case Expose: {
                if (X11Window* w = ours(event.xexpose.window)) {
                    const PixelRect r{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                      event.xexpose.y + event.xexpose.height};
                    invalidateRect(w, &r);
                }
                break;
            }
            case ButtonPress: {
                X11Window* w = ours(event.xbutton.window);
                if (w == nullptr) break;
                const XButtonEvent& b = event.xbutton;
                const PixelPoint screen{b.x_root, b.y_root};
                // The event's state is from before the press; the message counts it in.
                std::uint32_t held = heldBits(b.state);
                if (b.button >= Button1 && b.button <= Button3) {
                    const Message message = b.button == Button1   ? Message::LeftButtonDown
                                            : b.button == Button2 ? Message::MiddleButtonDown
                                                                  : Message::RightButtonDown;
                    held |= b.button == Button1 ? kHeldLeft : b.button == Button2 ? kHeldMiddle : kHeldRight;
                    post(*w, message, held, packPoint(b.x, b.y), screen);
                } else if (b.button == kButtonWheelAway || b.button == kButtonWheelToward) {
                    const std::int32_t distance = b.button == kButtonWheelAway ? kWheelNotch : -kWheelNotch;
                    post(*w, Message::MouseWheel, packWheel(distance, held), packPoint(screen.x, screen.y), screen);
                }
                break;
            }
            case KeyPress:
            case KeyRelease: {
                X11Window* w = ours(event.xkey.window);
                if (w == nullptr) break;
                const KeySym sym = XLookupKeysym(&event.xkey, 0);
                post(*w, event.type == KeyPress ? Message::KeyDown : Message::KeyUp, keyCodeOf(sym), 1,
                     {event.xkey.x_root, event.xkey.y_root});
                break;
            }
            case DestroyNotify: {
                auto it = byId_.find(event.xdestroywindow.window);
                if (it == byId_.end() || !it->second->alive()) break;
                X11Window* w = it->second;
                byId_.erase(it);  // the id may now be given to another window
                if (w->ours()) destroyedOutside(*w);
                else markDead(*w);
                break;
            }
            case MappingNotify:
                if (event.xmapping.request == MappingPointer) readPointerMapping();
                else XRefreshKeyboardMapping(&event.xmapping);
                break;
            default:
                break;
        }
    }

    Display* display_;
    int screen_ = 0;
    ::Window root_ = 0;
    Atom wmState_ = 0;
    unsigned char pointerMap_[3] = {1, 2, 3};
    ::Cursor cursors_[kCursorShapes] = {};
    std::unordered_map<::Window, X11Window*> byId_;  // live windows (ours and proxies)
};

}  // namespace

std::unique_ptr<WindowBackend> makeX11Backend() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    ourDisplay = display;
    previousErrorHandler = XSetErrorHandler(&onXError);
    previousIOErrorHandler = XSetIOErrorHandler(&onXIOError);
    XSetIOErrorExitHandler(display, &onConnectionLost, nullptr);
    return std::make_unique<X11Backend>(display);
}

}  // namespace orbitone::platform::detail
