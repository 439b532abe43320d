// The portable core of the window services: classes, the handle registry, the message
// queue and dispatch, painting state, focus and the cursor. Everything that differs
// between the headless screen and X11 is asked of the window's backend.
#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_set>
#include <utility>

#include "window_backend.h"

namespace orbitone::platform {
namespace detail {

std::unique_ptr<WindowBackend> makeX11Backend();

namespace {

struct ClassEntry {
    WindowClass windowClass;
    std::size_t liveWindows = 0;
};

struct State {
    std::vector<ClassEntry> classes;
    WindowClassCounts classCounts;
    std::vector<std::unique_ptr<WindowObject>> windows;  // creation order
    std::unordered_set<const Window*> handles;
    std::deque<MessageRecord> queue;
    WindowObject* focus = nullptr;
    Cursor cursor = Cursor::Arrow;
    std::uint32_t messageTime = 0;
    std::unique_ptr<WindowBackend> x11;
    bool x11Tried = false;
    bool x11Active = false;
};

// Never destroyed: windows may be released by other objects' destructors at exit.
State& state() {
    static State& s = *new State;
    return s;
}

ClassEntry* findClass(std::string_view name) {
    for (ClassEntry& entry : state().classes)
        if (entry.windowClass.name == name) return &entry;
    return nullptr;
}

void forEachBackend(void (*action)(WindowBackend&)) {
    action(headlessBackend());
    if (WindowBackend* x11 = x11Backend(false)) action(*x11);
}

void collectAllPending() {
    forEachBackend([](WindowBackend& b) { b.collectPending(); });
}

void dropQueuedFor(const WindowObject* window) {
    auto& q = state().queue;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [window](const MessageRecord& m) { return m.window == window; }),
            q.end());
}

// The windows made inside `window` (directly), in creation order.
std::vector<WindowObject*> childrenOf(const WindowObject* window) {
    std::vector<WindowObject*> children;
    for (auto& w : state().windows)
        if (w->parent == window && w->alive()) children.push_back(w.get());
    return children;
}

// The window and the live windows made inside it, each before the windows inside it.
void collectTree(WindowObject& window, std::vector<WindowObject*>& tree) {
    tree.push_back(&window);
    for (WindowObject* child : childrenOf(&window)) collectTree(*child, tree);
}

void releaseHandle(WindowObject* window);

// Sends Destroy to each window of the tree (a window before the windows inside it, all of
// them still alive meanwhile), then marks them dead. An owner that destroys one of them
// from inside a Destroy message has its handle released once the whole tree is done, so
// nothing is freed while it is still being walked. Answers the tree.
std::vector<WindowObject*> destroyTree(WindowObject& root) {
    std::vector<WindowObject*> tree;
    collectTree(root, tree);
    for (WindowObject* w : tree) w->destroying = true;
    for (WindowObject* w : tree) sendMessage(w, Message::Destroy);
    for (WindowObject* w : tree) markDead(*w);
    return tree;
}

// After destroyTree: releases the handles asked for meanwhile (and `also`); the others stay
// reserved for their owners.
void releaseRequested(const std::vector<WindowObject*>& tree, const WindowObject* also) {
    for (WindowObject* w : tree) {
        w->destroying = false;
        if (w == also || w->releaseRequested) releaseHandle(w);
    }
}

void releaseHandle(WindowObject* window) {
    State& s = state();
    window->backend().released(*window);
    s.handles.erase(window);
    auto it = std::find_if(s.windows.begin(), s.windows.end(),
                           [window](const auto& w) { return w.get() == window; });
    if (it != s.windows.end()) s.windows.erase(it);
}

WindowObject* addToRegistry(std::unique_ptr<WindowObject> window) {
    WindowObject* raw = window.get();
    state().handles.insert(raw);
    state().windows.push_back(std::move(window));
    return raw;
}

std::optional<PixelRect> clientBounds(const WindowObject& window) {
    PixelPoint origin;
    PixelSize size;
    if (!window.backend().clientArea(window, origin, size)) return std::nullopt;
    return PixelRect{0, 0, size.width, size.height};
}

PixelRect unite(const PixelRect& a, const PixelRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The update rectangle clipped to the client area; empty when there is none.
PixelRect pendingUpdate(const WindowObject& window) {
    if (!window.update) return {};
    const auto bounds = clientBounds(window);
    if (!bounds) return {};
    PixelRect r = window.update->intersect(*bounds);
    return r.isEmpty() ? PixelRect{} : r;
}

bool waitsForPaint(const WindowObject& window) {
    return window.alive() && (window.style & kStyleVisible) && !pendingUpdate(window).isEmpty();
}

}  // namespace

PixelPoint WindowObject::screenOrigin() const {
    PixelRect r;
    if (!backend_.windowRect(*this, r)) return {};
    return {r.left, r.top};
}

void WindowObject::deviceContextReleased() {
    if (alive_) backend_.present(*this);
}

void WindowObject::resizeClientBitmap(PixelSize size) {
    size.width = std::max(size.width, 0);
    size.height = std::max(size.height, 0);
    if (bitmap_ && bitmap_->width() == size.width && bitmap_->height() == size.height) return;
    std::unique_ptr<Bitmap> fresh = Bitmap::create(size.width, size.height, PixelFormat::Xrgb32);
    if (fresh && bitmap_) {
        const Surface& from = bitmap_->surface();
        const Surface& to = fresh->surface();
        const std::int32_t w = std::min(from.width, to.width);
        if (w > 0)
            for (std::int32_t y = 0; y < std::min(from.height, to.height); ++y)
                std::memcpy(to.row(y), from.row(y), std::size_t(w) * 4);
    }
    bitmap_ = std::move(fresh);
}

void markDead(WindowObject& window) {
    if (!window.alive_) return;
    State& s = state();
    window.alive_ = false;
    if (window.registeredClass)
        if (ClassEntry* entry = findClass(window.className)) --entry->liveWindows;
    if (s.focus == &window) s.focus = nullptr;
    dropQueuedFor(&window);
}

WindowBackend* x11Backend(bool create) {
    State& s = state();
    if (!s.x11 && create && !s.x11Tried) {
        s.x11Tried = true;
        s.x11 = makeX11Backend();
    }
    return s.x11.get();
}

WindowBackend& activeBackend() {
    State& s = state();
    if (s.x11Active && s.x11) return *s.x11;
    return headlessBackend();
}

WindowObject* findWindow(const Window* window) {
    if (window == nullptr || !state().handles.contains(window)) return nullptr;
    // The registry holds only WindowObjects, so the conversion is exact.
    return static_cast<WindowObject*>(const_cast<Window*>(window));
}

WindowObject* liveWindow(const Window* window) {
    WindowObject* w = findWindow(window);
    return w && w->alive() ? w : nullptr;
}

WindowObject* adoptForeignWindow(std::unique_ptr<WindowObject> window) {
    return addToRegistry(std::move(window));
}

WindowObject* adoptHostWindow(std::unique_ptr<WindowObject> window) {
    if (window->style & kStyleVisible) window->update = PixelRect{0, 0, 1 << 30, 1 << 30};
    return addToRegistry(std::move(window));
}

std::vector<WindowObject*> allWindows() {
    std::vector<WindowObject*> all;
    for (auto& w : state().windows) all.push_back(w.get());
    return all;
}

void postInput(const MessageRecord& message) {
    if (liveWindow(message.window)) state().queue.push_back(message);
}

void destroyedOutside(WindowObject& window) {
    if (!window.alive() || window.destroying) return;
    releaseRequested(destroyTree(window), nullptr);
}

void resetHeadlessWindows() {
    State& s = state();
    WindowBackend& headless = headlessBackend();
    std::vector<WindowObject*> doomed;
    for (auto& w : s.windows)
        if (&w->backend() == &headless) doomed.push_back(w.get());
    for (WindowObject* w : doomed) markDead(*w);
    for (WindowObject* w : doomed) releaseHandle(w);
    s.queue.clear();
    s.focus = nullptr;
    s.cursor = Cursor::Arrow;
    s.messageTime = 0;
}

}  // namespace detail

namespace {
constexpr std::uintptr_t kLargestWindowId = 0x1FFFFFFF;
}

using detail::findWindow;
using detail::liveWindow;
using detail::State;
using detail::state;
using detail::WindowObject;

// ---------------------------------------------------------------------------------
// Classes

bool registerWindowClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || windowClass.procedure == nullptr) return false;
    if (detail::findClass(windowClass.name)) return false;
    state().classes.push_back({windowClass, 0});
    ++state().classCounts.registrations;
    return true;
}

bool unregisterWindowClass(std::string_view name) {
    auto& classes = state().classes;
    auto it = std::find_if(classes.begin(), classes.end(),
                           [name](const detail::ClassEntry& e) { return e.windowClass.name == name; });
    if (it == classes.end() || it->liveWindows != 0) return false;
    classes.erase(it);
    ++state().classCounts.unregistrations;
    return true;
}

bool isWindowClassRegistered(std::string_view name) { return detail::findClass(name) != nullptr; }

WindowClassCounts windowClassCounts() {
    WindowClassCounts counts = state().classCounts;
    counts.registered = state().classes.size();
    return counts;
}

// ---------------------------------------------------------------------------------
// Windows

Window* createWindow(const WindowCreation& creation) {
    detail::ClassEntry* entry = detail::findClass(creation.className);
    if (entry == nullptr) return nullptr;
    WindowObject* parent = nullptr;
    if (creation.parent != nullptr) {
        parent = liveWindow(creation.parent);
        if (parent == nullptr || parent->destroying) return nullptr;
    } else if (creation.style & kStyleChild) {
        return nullptr;
    }
    detail::WindowBackend& backend = parent ? parent->backend() : detail::headlessBackend();
    WindowCreation adjusted = creation;
    adjusted.size = {std::max(creation.size.width, 0), std::max(creation.size.height, 0)};

    std::unique_ptr<WindowObject> made = backend.createWindow(adjusted, parent);
    if (!made) return nullptr;
    made->className = std::string(creation.className);
    made->title = std::string(creation.title);
    made->style = creation.style;
    made->procedure = entry->windowClass.procedure;
    made->parent = parent;
    made->registeredClass = true;
    PixelPoint origin;
    PixelSize client;
    if (backend.clientArea(*made, origin, client)) made->resizeClientBitmap(client);
    if (creation.style & kStyleVisible) made->update = PixelRect{0, 0, client.width, client.height};
    ++entry->liveWindows;
    if (&backend == detail::x11Backend(false)) state().x11Active = true;
    WindowObject* window = detail::addToRegistry(std::move(made));
    backend.showCursor(state().cursor);
    return window;
}

bool destroyWindow(Window* handle) {
    WindowObject* window = findWindow(handle);
    if (window == nullptr || !window->ours()) return false;
    if (window->destroying) {  // from inside its own destruction: released when that ends
        window->releaseRequested = true;
        return true;
    }
    if (!window->alive()) {
        detail::releaseHandle(window);
        return true;
    }
    const std::vector<WindowObject*> tree = detail::destroyTree(*window);
    window->backend().destroyNative(*window);
    detail::releaseRequested(tree, window);
    return true;
}

bool isWindow(const Window* window) { return liveWindow(window) != nullptr; }

Window* windowFromHandle(void* hostHandle) {
    if (hostHandle == nullptr) return nullptr;
    if (WindowObject* w = findWindow(static_cast<Window*>(hostHandle)))
        if (&w->backend() == &detail::headlessBackend()) return w->alive() ? w : nullptr;
    // X window ids have 29 bits; anything larger (a stale pointer, say) names nothing, and
    // is refused before a display is opened for it.
    const auto id = reinterpret_cast<std::uintptr_t>(hostHandle);
    if (id > kLargestWindowId) return nullptr;
    detail::WindowBackend* x11 = detail::x11Backend(true);
    return x11 ? x11->windowForNativeHandle(id) : nullptr;
}

std::uintptr_t nativeHandleOf(const Window* handle) {
    WindowObject* window = findWindow(handle);
    return window ? window->backend().nativeHandle(*window) : 0;
}

void* setWindowUserData(Window* handle, void* data) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return nullptr;
    return std::exchange(window->userData, data);
}

void* windowUserData(const Window* handle) {
    WindowObject* window = liveWindow(handle);
    return window ? window->userData : nullptr;
}

WindowProcedure setWindowProcedure(Window* handle, WindowProcedure procedure) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr || procedure == nullptr || window->procedure == nullptr) return nullptr;
    return std::exchange(window->procedure, procedure);
}

WindowProcedure windowProcedure(const Window* handle) {
    WindowObject* window = liveWindow(handle);
    return window ? window->procedure : nullptr;
}

// ---------------------------------------------------------------------------------
// Messages

std::intptr_t defaultWindowProcedure(Window* handle, Message message, std::uintptr_t first,
                                     std::intptr_t second) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return 0;
    switch (message) {
        case Message::Paint:
            validateWindow(window);
            return 0;
        case Message::MouseWheel:
            if (Window* parent = getParent(window)) return sendMessage(parent, message, first, second);
            return 0;
        default:
            return 0;
    }
}

std::intptr_t sendMessage(Window* handle, Message message, std::uintptr_t first, std::intptr_t second) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr || window->procedure == nullptr) return 0;
    return window->procedure(window, message, first, second);
}

bool postMessage(Window* handle, Message message, std::uintptr_t first, std::intptr_t second) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr || message == Message::Paint) return false;
    detail::WindowBackend& backend = window->backend();
    state().queue.push_back(
        {window, message, first, second, backend.tickCount(), backend.pollInput().cursor});
    return true;
}

bool peekMessage(MessageRecord& out, Window* filter, MessageRange range, PeekMode mode) {
    detail::collectAllPending();
    State& s = state();
    const auto matches = [&](const MessageRecord& m) {
        return (filter == nullptr || m.window == filter) && range.contains(m.message);
    };
    auto it = std::find_if(s.queue.begin(), s.queue.end(), matches);
    if (it != s.queue.end()) {
        out = *it;
        if (mode == PeekMode::Remove) {
            s.messageTime = it->time;
            s.queue.erase(it);
        }
        return true;
    }
    if (range.contains(Message::Paint)) {
        for (WindowObject* w : detail::allWindows()) {
            if ((filter != nullptr && w != filter) || !detail::waitsForPaint(*w)) continue;
            detail::WindowBackend& backend = w->backend();
            out = {w, Message::Paint, 0, 0, backend.tickCount(), backend.pollInput().cursor};
            if (mode == PeekMode::Remove) s.messageTime = out.time;
            return true;
        }
    }
    detail::activeBackend().peekFoundNothing();
    return false;
}

std::intptr_t dispatchMessage(const MessageRecord& message) {
    return sendMessage(message.window, message.message, message.first, message.second);
}

std::size_t dispatchPendingMessages() {
    detail::collectAllPending();
    State& s = state();
    std::size_t dispatched = 0;
    // Messages posted while these are handled wait for the next pass.
    for (std::size_t n = s.queue.size(); n > 0 && !s.queue.empty(); --n) {
        MessageRecord m = s.queue.front();
        s.queue.pop_front();
        s.messageTime = m.time;
        dispatchMessage(m);
        ++dispatched;
    }
    std::vector<Window*> painting;
    for (WindowObject* w : detail::allWindows())
        if (detail::waitsForPaint(*w)) painting.push_back(w);
    for (Window* w : painting) {
        WindowObject* window = liveWindow(w);
        if (window == nullptr || !detail::waitsForPaint(*window)) continue;
        s.messageTime = window->backend().tickCount();
        sendMessage(window, Message::Paint);
        ++dispatched;
    }
    return dispatched;
}

std::uint32_t messageTime() { return state().messageTime; }

// ---------------------------------------------------------------------------------
// Painting

void invalidateRect(Window* handle, const PixelRect* rect) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return;
    PixelRect add;
    if (rect == nullptr) {
        const auto bounds = detail::clientBounds(*window);
        if (!bounds) return;
        add = *bounds;
    } else {
        add = rect->normalized();
    }
    if (add.isEmpty()) return;
    window->update = window->update && !window->update->isEmpty() ? detail::unite(*window->update, add)
                                                                   : add;
}

void validateWindow(Window* handle) {
    if (WindowObject* window = liveWindow(handle)) window->update.reset();
}

bool getUpdateRect(Window* handle, PixelRect* rect) {
    WindowObject* window = liveWindow(handle);
    const PixelRect update = window ? detail::pendingUpdate(*window) : PixelRect{};
    if (rect != nullptr) *rect = update;
    return !update.isEmpty();
}

bool beginPaint(Window* handle, PaintRecord& paint) {
    paint = {};
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return false;
    paint.paintRect = detail::pendingUpdate(*window);
    window->update.reset();
    paint.dc = getWindowDC(window);
    if (paint.dc == nullptr) return false;
    paint.dc->selectClipRect(paint.paintRect);
    return true;
}

void endPaint(Window* handle, PaintRecord& paint) {
    if (paint.dc != nullptr) releaseWindowDC(handle, paint.dc);
    paint.dc = nullptr;
}

// ---------------------------------------------------------------------------------
// Geometry and stacking

bool getWindowRect(const Window* handle, PixelRect& rect) {
    WindowObject* window = liveWindow(handle);
    return window && window->backend().windowRect(*window, rect);
}

bool getClientRect(const Window* handle, PixelRect& rect) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return false;
    const auto bounds = detail::clientBounds(*window);
    if (!bounds) return false;
    rect = *bounds;
    return true;
}

Window* getParent(const Window* handle) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return nullptr;
    WindowObject* parent = window->backend().parentOf(*window);
    return parent && parent->alive() ? parent : nullptr;
}

std::string getClassName(const Window* handle) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return {};
    return window->ours() ? window->className : window->backend().foreignClassName(*window);
}

WindowStyle getWindowStyle(const Window* handle) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return 0;
    return window->ours() ? window->style : window->backend().foreignStyle(*window);
}

bool mapWindowPoints(const Window* from, const Window* to, std::span<PixelPoint> points) {
    const auto originOf = [](const Window* handle, PixelPoint& origin) {
        if (handle == nullptr) {
            origin = {};
            return true;
        }
        WindowObject* window = liveWindow(handle);
        PixelSize size;
        return window && window->backend().clientArea(*window, origin, size);
    };
    PixelPoint fromOrigin, toOrigin;
    if (!originOf(from, fromOrigin) || !originOf(to, toOrigin)) return false;
    for (PixelPoint& p : points) {
        p.x += fromOrigin.x - toOrigin.x;
        p.y += fromOrigin.y - toOrigin.y;
    }
    return true;
}

bool setWindowSize(Window* handle, PixelSize size) {
    WindowObject* window = liveWindow(handle);
    if (window == nullptr) return false;
    size = {std::max(size.width, 0), std::max(size.height, 0)};
    if (!window->backend().resize(*window, size)) return false;
    PixelPoint origin;
    PixelSize client;
    if (window->backend().clientArea(*window, origin, client)) {
        if (window->clientBitmap() != nullptr || window->ours()) window->resizeClientBitmap(client);
        invalidateRect(window, nullptr);
    }
    return true;
}

bool setWindowPosition(Window* handle, PixelPoint position) {
    WindowObject* window = liveWindow(handle);
    return window && window->backend().move(*window, position);
}

bool bringWindowToTop(Window* handle) {
    WindowObject* window = liveWindow(handle);
    return window && window->backend().raise(*window);
}

Window* setFocus(Window* handle) {
    State& s = state();
    WindowObject* window = liveWindow(handle);
    if (handle != nullptr && window == nullptr) return s.focus;
    WindowObject* previous = s.focus;
    if (previous == window) return previous;
    s.focus = window;
    if (previous) {
        previous->backend().focusChanged(nullptr);
        sendMessage(previous, Message::KillFocus, reinterpret_cast<std::uintptr_t>(window));
    }
    if (window && s.focus == window) {
        window->backend().focusChanged(window);
        sendMessage(window, Message::SetFocus, reinterpret_cast<std::uintptr_t>(previous));
    }
    return previous;
}

Window* getFocus() { return state().focus; }

// ---------------------------------------------------------------------------------
// Cursor, input and time

Cursor getCursor() { return state().cursor; }

Cursor setCursor(Cursor cursor) {
    const Cursor previous = std::exchange(state().cursor, cursor);
    detail::headlessBackend().showCursor(cursor);
    if (detail::WindowBackend* x11 = detail::x11Backend(false)) x11->showCursor(cursor);
    return previous;
}

bool isKeyDown(InputKey key) {
    const InputState input = pollInput();
    switch (key) {
        case InputKey::LeftButton: return input.left;
        case InputKey::MiddleButton: return input.middle;
        case InputKey::RightButton: return input.right;
        case InputKey::Shift: return input.shift;
        case InputKey::Control: return input.control;
        case InputKey::Alt: return input.alt;
    }
    return false;
}

InputState pollInput() { return detail::activeBackend().pollInput(); }
PixelPoint getCursorPosition() { return pollInput().cursor; }
std::uint32_t tickCount() { return detail::activeBackend().tickCount(); }
void sleepMilliseconds(std::uint32_t milliseconds) { detail::activeBackend().sleep(milliseconds); }
std::uint32_t doubleClickTime() { return detail::activeBackend().doubleClickTime(); }
std::int32_t getSystemMetric(SystemMetric metric) {
    return detail::activeBackend().systemMetric(metric);
}
bool queryPlatformVersion(PlatformVersion& version) {
    return detail::activeBackend().platformVersion(version);
}

}  // namespace orbitone::platform
