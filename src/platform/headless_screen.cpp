// The headless backend of the window services: a virtual screen of in-memory windows, a
// virtual clock and a scripted input timeline (headless.h).
#include <algorithm>
#include <cstring>
#include <deque>

#include "headless.h"
#include "png_writer.h"
#include "window_backend.h"

namespace orbitone::platform {
namespace headless {
namespace {

constexpr PixelSize kDefaultScreenSize{1920, 1080};
constexpr std::int32_t kDefaultDialogFrame = 3;
constexpr std::int32_t kDefaultCaptionHeight = 18;
constexpr std::uint32_t kDefaultDoubleClickTime = 500;
constexpr std::uint32_t kDefaultEmptyPeekCost = 1;
constexpr PlatformColor kFrameColor = makePlatformColor(160, 160, 160);
constexpr PlatformColor kCaptionColor = makePlatformColor(40, 60, 110);
constexpr PlatformColor kDesktopColor = makePlatformColor(58, 110, 165);

PlatformVersion defaultVersion() { return {1, 1, 0, kPlatformFamilyCurrent, "headless screen"}; }

struct TimedInput {
    enum class Kind : std::uint8_t { Move, Press, Release, Hold, LetGo, Key, Wheel };
    std::uint64_t time;  // on the 64-bit clock
    std::uint64_t order;
    Kind kind;
    PixelPoint point;
    std::int32_t value;  // button, modifier, key code or notches
};

struct Insets {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class HeadlessWindow;

struct Screen {
    PixelSize size = kDefaultScreenSize;
    std::uint64_t clock = 0;  // the tick count is its low 32 bits
    std::uint32_t emptyPeekCost = kDefaultEmptyPeekCost;
    std::deque<TimedInput> timeline;  // sorted by (time, order)
    std::uint64_t nextOrder = 0;
    PixelPoint pointer;
    bool buttons[3] = {};
    bool modifiers[3] = {};
    bool swapButtons = false;
    std::int32_t dialogFrameWidth = kDefaultDialogFrame;
    std::int32_t dialogFrameHeight = kDefaultDialogFrame;
    std::int32_t captionHeight = kDefaultCaptionHeight;
    std::uint32_t doubleClickTime = kDefaultDoubleClickTime;
    std::optional<PlatformVersion> version = defaultVersion();
    Cursor cursor = Cursor::Arrow;
    std::vector<HeadlessWindow*> topLevel;  // bottom to top
};

Screen& screen() {
    static Screen& s = *new Screen;
    return s;
}

class HeadlessWindow : public detail::WindowObject {
public:
    HeadlessWindow(detail::WindowBackend& backend, PixelRect rect, HeadlessWindow* treeParent)
        : WindowObject(backend, true), rect(rect), treeParent(treeParent) {}
    PixelRect rect;  // in the parent's client coordinates
    HeadlessWindow* treeParent;
    std::vector<HeadlessWindow*> children;  // bottom to top
    std::uint64_t presents = 0;
};

Insets insetsOf(WindowStyle style) {
    const Screen& s = screen();
    Insets in;
    if (style & kStyleDialogFrame) {
        in.left = in.right = s.dialogFrameWidth;
        in.top = in.bottom = s.dialogFrameHeight;
    }
    if (style & kStyleCaption) in.top += s.captionHeight;
    return in;
}

PixelPoint clientOrigin(const HeadlessWindow& w);

PixelRect screenRect(const HeadlessWindow& w) {
    PixelPoint base{};
    if (w.treeParent) base = clientOrigin(*w.treeParent);
    return {w.rect.left + base.x, w.rect.top + base.y, w.rect.right + base.x, w.rect.bottom + base.y};
}

PixelPoint clientOrigin(const HeadlessWindow& w) {
    const PixelRect r = screenRect(w);
    const Insets in = insetsOf(w.style);
    return {r.left + in.left, r.top + in.top};
}

PixelSize clientSize(const HeadlessWindow& w) {
    const Insets in = insetsOf(w.style);
    return {std::max<std::int32_t>(0, std::int32_t(w.rect.width()) - in.left - in.right),
            std::max<std::int32_t>(0, std::int32_t(w.rect.height()) - in.top - in.bottom)};
}

std::vector<HeadlessWindow*>& siblingsOf(HeadlessWindow& w) {
    return w.treeParent ? w.treeParent->children : screen().topLevel;
}

void unlink(HeadlessWindow& w) {
    auto& siblings = siblingsOf(w);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), &w), siblings.end());
}

// The held-button bits of messages: the user's buttons, as swapping says.
std::uint32_t heldBits() {
    const Screen& s = screen();
    const bool primary = s.swapButtons ? s.buttons[2] : s.buttons[0];
    const bool secondary = s.swapButtons ? s.buttons[0] : s.buttons[2];
    return (primary ? kHeldLeft : 0) | (s.buttons[1] ? kHeldMiddle : 0) | (secondary ? kHeldRight : 0) |
           (s.modifiers[0] ? kHeldShift : 0) | (s.modifiers[1] ? kHeldControl : 0) |
           (s.modifiers[2] ? kHeldAlt : 0);
}

HeadlessWindow* deepestAt(std::vector<HeadlessWindow*>& windows, PixelPoint p) {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        HeadlessWindow* w = *it;
        if (!w->alive() || !(w->style & kStyleVisible) || !screenRect(*w).contains(p)) continue;
        const PixelPoint origin = clientOrigin(*w);
        const PixelSize size = clientSize(*w);
        const PixelRect client{origin.x, origin.y, origin.x + size.width, origin.y + size.height};
        if (client.contains(p))
            if (HeadlessWindow* inner = deepestAt(w->children, p)) return inner;
        return w;
    }
    return nullptr;
}

// The window under the pointer when its client area holds the point.
HeadlessWindow* clientUnderPointer(PixelPoint& local) {
    const Screen& s = screen();
    HeadlessWindow* w = deepestAt(screen().topLevel, s.pointer);
    if (w == nullptr) return nullptr;
    const PixelPoint origin = clientOrigin(*w);
    const PixelSize size = clientSize(*w);
    local = {s.pointer.x - origin.x, s.pointer.y - origin.y};
    if (local.x < 0 || local.y < 0 || local.x >= size.width || local.y >= size.height) return nullptr;
    return w;
}

void post(Window* window, Message message, std::uintptr_t first, std::intptr_t second,
          std::uint64_t time) {
    detail::postInput({window, message, first, second, std::uint32_t(time), screen().pointer});
}

void pressed(std::int32_t physical, std::uint64_t time) {
    Screen& s = screen();
    s.buttons[physical] = true;
    PixelPoint local;
    HeadlessWindow* target = clientUnderPointer(local);
    if (target == nullptr) return;
    Message message = Message::MiddleButtonDown;
    if (physical != 1) {
        const bool primary = (physical == 0) != s.swapButtons;
        message = primary ? Message::LeftButtonDown : Message::RightButtonDown;
    }
    post(target, message, heldBits(), packPoint(local.x, local.y), time);
}

void keyToFocus(Message message, std::uint32_t code, std::uint64_t time) {
    if (Window* focus = getFocus())
        if (isHeadlessWindow(focus)) post(focus, message, code, 1, time);
}

KeyCode modifierKey(std::int32_t modifier) {
    constexpr KeyCode keys[] = {KeyCode::Shift, KeyCode::Control, KeyCode::Alt};
    return keys[modifier];
}

void apply(const TimedInput& input) {
    Screen& s = screen();
    switch (input.kind) {
        case TimedInput::Kind::Move: s.pointer = input.point; break;
        case TimedInput::Kind::Press: pressed(input.value, input.time); break;
        case TimedInput::Kind::Release: s.buttons[input.value] = false; break;
        case TimedInput::Kind::Hold:
            s.modifiers[input.value] = true;
            keyToFocus(Message::KeyDown, std::uint32_t(modifierKey(input.value)), input.time);
            break;
        case TimedInput::Kind::LetGo:
            s.modifiers[input.value] = false;
            keyToFocus(Message::KeyUp, std::uint32_t(modifierKey(input.value)), input.time);
            break;
        case TimedInput::Kind::Key:
            keyToFocus(Message::KeyDown, std::uint32_t(input.value), input.time);
            keyToFocus(Message::KeyUp, std::uint32_t(input.value), input.time);
            break;
        case TimedInput::Kind::Wheel: {
            PixelPoint local;
            if (HeadlessWindow* target = clientUnderPointer(local))
                post(target, Message::MouseWheel, packWheel(input.value * kWheelNotch, heldBits()),
                     packPoint(s.pointer.x, s.pointer.y), input.time);
            break;
        }
    }
}

void applyDueInput() {
    Screen& s = screen();
    while (!s.timeline.empty() && s.timeline.front().time <= s.clock) {
        const TimedInput input = s.timeline.front();
        s.timeline.pop_front();
        apply(input);
    }
}

// A 32-bit time of a script as a time on the 64-bit clock: the nearest one, so that times
// a little before the wrap and a little after it keep their order.
std::uint64_t onClock(std::uint32_t time) {
    const std::uint64_t clock = screen().clock;
    const auto delta = static_cast<std::int32_t>(time - static_cast<std::uint32_t>(clock));
    const std::int64_t at = static_cast<std::int64_t>(clock) + delta;
    return at < 0 ? 0 : static_cast<std::uint64_t>(at);
}

void schedule(std::uint32_t time, TimedInput::Kind kind, PixelPoint point, std::int32_t value) {
    Screen& s = screen();
    const TimedInput input{onClock(time), s.nextOrder++, kind, point, value};
    auto it = std::upper_bound(s.timeline.begin(), s.timeline.end(), input,
                               [](const TimedInput& a, const TimedInput& b) {
                                   return a.time != b.time ? a.time < b.time : a.order < b.order;
                               });
    s.timeline.insert(it, input);
}

class HeadlessBackend final : public detail::WindowBackend {
public:
    std::unique_ptr<detail::WindowObject> createWindow(const WindowCreation& creation,
                                                       detail::WindowObject* parent) override {
        auto* treeParent = static_cast<HeadlessWindow*>(parent);
        const PixelRect rect{creation.position.x, creation.position.y,
                             creation.position.x + creation.size.width,
                             creation.position.y + creation.size.height};
        auto window = std::make_unique<HeadlessWindow>(*this, rect, treeParent);
        window->style = creation.style;  // the client size depends on it
        siblingsOf(*window).push_back(window.get());
        return window;
    }

    void destroyNative(detail::WindowObject& window) override {
        auto& w = static_cast<HeadlessWindow&>(window);
        unlink(w);
        w.children.clear();
    }

    void released(detail::WindowObject& window) override {
        auto& w = static_cast<HeadlessWindow&>(window);
        if (w.alive()) unlink(w);  // a host window released by a reset
    }

    detail::WindowObject* parentOf(const detail::WindowObject& window) override {
        return static_cast<const HeadlessWindow&>(window).treeParent;
    }

    bool windowRect(const detail::WindowObject& window, PixelRect& rect) override {
        rect = screenRect(static_cast<const HeadlessWindow&>(window));
        return true;
    }

    bool clientArea(const detail::WindowObject& window, PixelPoint& origin, PixelSize& size) override {
        const auto& w = static_cast<const HeadlessWindow&>(window);
        origin = clientOrigin(w);
        size = clientSize(w);
        return true;
    }

    bool resize(detail::WindowObject& window, PixelSize size) override {
        auto& w = static_cast<HeadlessWindow&>(window);
        w.rect.right = w.rect.left + size.width;
        w.rect.bottom = w.rect.top + size.height;
        return true;
    }

    bool move(detail::WindowObject& window, PixelPoint position) override {
        auto& w = static_cast<HeadlessWindow&>(window);
        w.rect = {position.x, position.y, position.x + std::int32_t(w.rect.width()),
                  position.y + std::int32_t(w.rect.height())};
        return true;
    }

    bool raise(detail::WindowObject& window) override {
        for (auto* w = static_cast<HeadlessWindow*>(&window); w != nullptr; w = w->treeParent) {
            unlink(*w);
            siblingsOf(*w).push_back(w);
        }
        return true;
    }

    std::string foreignClassName(const detail::WindowObject& window) override {
        return window.className;
    }
    WindowStyle foreignStyle(const detail::WindowObject& window) override { return window.style; }
    std::uintptr_t nativeHandle(const detail::WindowObject& window) override {
        return reinterpret_cast<std::uintptr_t>(&window);
    }
    detail::WindowObject* windowForNativeHandle(std::uintptr_t) override { return nullptr; }

    void present(detail::WindowObject& window) override {
        ++static_cast<HeadlessWindow&>(window).presents;
    }
    void focusChanged(detail::WindowObject*) override {}
    void showCursor(Cursor cursor) override { screen().cursor = cursor; }

    void collectPending() override { applyDueInput(); }
    void peekFoundNothing() override { sleep(screen().emptyPeekCost); }

    InputState pollInput() override {
        applyDueInput();
        const Screen& s = screen();
        InputState state;
        state.cursor = s.pointer;
        state.left = s.buttons[0];
        state.middle = s.buttons[1];
        state.right = s.buttons[2];
        state.shift = s.modifiers[0];
        state.control = s.modifiers[1];
        state.alt = s.modifiers[2];
        return state;
    }

    std::uint32_t tickCount() override { return static_cast<std::uint32_t>(screen().clock); }

    void sleep(std::uint32_t milliseconds) override {
        screen().clock += milliseconds;
        applyDueInput();
    }

    std::uint32_t doubleClickTime() override { return screen().doubleClickTime; }

    std::int32_t systemMetric(SystemMetric metric) override {
        const Screen& s = screen();
        switch (metric) {
            case SystemMetric::SwapButtons: return s.swapButtons ? 1 : 0;
            case SystemMetric::DialogFrameWidth: return s.dialogFrameWidth;
            case SystemMetric::DialogFrameHeight: return s.dialogFrameHeight;
            case SystemMetric::CaptionHeight: return s.captionHeight;
            case SystemMetric::ScreenWidth: return s.size.width;
            case SystemMetric::ScreenHeight: return s.size.height;
        }
        return 0;
    }

    bool platformVersion(PlatformVersion& version) override {
        if (!screen().version) return false;
        version = *screen().version;
        return true;
    }
};

HeadlessWindow* liveHeadless(const Window* window) {
    detail::WindowObject* w = detail::liveWindow(window);
    return w && &w->backend() == &detail::headlessBackend() ? static_cast<HeadlessWindow*>(w) : nullptr;
}

// ---------------------------------------------------------------------------------
// Pictures of the screen

void fill(const Surface& target, PixelRect r, PlatformColor color) {
    r = r.intersect(target.bounds());
    if (r.isEmpty()) return;
    for (std::int32_t y = r.top; y < r.bottom; ++y) std::fill(target.row32(y) + r.left, target.row32(y) + r.right, toXrgb(color));
}

void compose(const Surface& target, HeadlessWindow& w, PixelRect clip) {
    if (!w.alive() || !(w.style & kStyleVisible)) return;
    const PixelRect outer = screenRect(w).intersect(clip);
    if (outer.isEmpty()) return;
    const PixelPoint origin = clientOrigin(w);
    const PixelSize size = clientSize(w);
    const PixelRect client = PixelRect{origin.x, origin.y, origin.x + size.width, origin.y + size.height}.intersect(clip);
    fill(target, outer, kFrameColor);
    if (w.style & kStyleCaption) {
        const Insets in = insetsOf(w.style);
        const PixelRect r = screenRect(w);
        fill(target, PixelRect{r.left + in.left, r.top + in.top - screen().captionHeight, r.right - in.right, r.top + in.top}.intersect(clip), kCaptionColor);
    }
    if (Bitmap* bitmap = w.clientBitmap()) {
        const Surface& from = bitmap->surface();
        const PixelRect r = client.intersect(target.bounds());
        for (std::int32_t y = r.top; y < r.bottom; ++y)
            for (std::int32_t x = r.left; x < r.right; ++x)
                if (x - origin.x < from.width && y - origin.y < from.height)
                    target.row32(y)[x] = from.row32(y - origin.y)[x - origin.x];
    }
    for (HeadlessWindow* child : w.children) compose(target, *child, client);
}

}  // namespace

void reset() {
    detail::resetHeadlessWindows();
    Screen& s = screen();
    s.topLevel.clear();
    s = Screen{};
}

Window* createHostWindow(const HostWindowOptions& options) {
    HeadlessWindow* parent = nullptr;
    if (options.parent != nullptr) {
        parent = liveHeadless(options.parent);
        if (parent == nullptr) return nullptr;
    }
    auto window = std::make_unique<HeadlessWindow>(detail::headlessBackend(), options.rect.normalized(), parent);
    window->className = options.className;
    window->title = options.title;
    window->style = options.style;
    window->procedure = options.procedure ? options.procedure : &defaultWindowProcedure;
    window->parent = parent;
    window->resizeClientBitmap(clientSize(*window));
    siblingsOf(*window).push_back(window.get());
    return detail::adoptHostWindow(std::move(window));
}

bool isHeadlessWindow(const Window* window) { return liveHeadless(window) != nullptr; }

std::uint32_t now() { return static_cast<std::uint32_t>(screen().clock); }
void advanceClock(std::uint32_t milliseconds) { detail::headlessBackend().sleep(milliseconds); }

void setClock(std::uint32_t time) {
    Screen& s = screen();
    // Scripted times keep their 32-bit values: re-anchor them around the new clock.
    std::vector<std::pair<std::uint32_t, TimedInput>> kept;
    for (const TimedInput& input : s.timeline) kept.push_back({std::uint32_t(input.time), input});
    s.clock = time;
    s.timeline.clear();
    for (auto& [at, input] : kept) {
        input.time = onClock(at);
        s.timeline.push_back(input);
    }
    std::stable_sort(s.timeline.begin(), s.timeline.end(), [](const TimedInput& a, const TimedInput& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });
    applyDueInput();
}

void setEmptyPeekCost(std::uint32_t milliseconds) { screen().emptyPeekCost = milliseconds; }

InputScript& InputScript::at(std::uint32_t time) {
    time_ = time;
    return *this;
}
InputScript& InputScript::after(std::uint32_t milliseconds) {
    time_ += milliseconds;
    return *this;
}
InputScript& InputScript::moveTo(PixelPoint screenPoint) {
    schedule(time_, TimedInput::Kind::Move, screenPoint, 0);
    return *this;
}
InputScript& InputScript::press(Button button) {
    schedule(time_, TimedInput::Kind::Press, {}, std::int32_t(button));
    return *this;
}
InputScript& InputScript::release(Button button) {
    schedule(time_, TimedInput::Kind::Release, {}, std::int32_t(button));
    return *this;
}
InputScript& InputScript::hold(Modifier modifier) {
    schedule(time_, TimedInput::Kind::Hold, {}, std::int32_t(modifier));
    return *this;
}
InputScript& InputScript::letGo(Modifier modifier) {
    schedule(time_, TimedInput::Kind::LetGo, {}, std::int32_t(modifier));
    return *this;
}
InputScript& InputScript::key(std::uint32_t code) {
    schedule(time_, TimedInput::Kind::Key, {}, std::int32_t(code));
    return *this;
}
InputScript& InputScript::wheel(std::int32_t notches) {
    schedule(time_, TimedInput::Kind::Wheel, {}, notches);
    return *this;
}
InputScript& InputScript::click(PixelPoint screenPoint, Button button) {
    return moveTo(screenPoint).press(button).release(button);
}

InputScript script() { return InputScript(now()); }
std::size_t pendingInput() { return screen().timeline.size(); }

void setScreenSize(PixelSize size) { screen().size = size; }
void setSwapButtons(bool swapped) { screen().swapButtons = swapped; }
void setDialogFrame(std::int32_t width, std::int32_t height) {
    screen().dialogFrameWidth = width;
    screen().dialogFrameHeight = height;
}
void setCaptionHeight(std::int32_t height) { screen().captionHeight = height; }
void setDoubleClickTime(std::uint32_t milliseconds) { screen().doubleClickTime = milliseconds; }
void setPlatformVersion(std::optional<PlatformVersion> version) { screen().version = std::move(version); }

Window* windowAt(PixelPoint screenPoint) { return deepestAt(screen().topLevel, screenPoint); }

std::uint64_t presentCount(const Window* window) {
    const HeadlessWindow* w = liveHeadless(window);
    return w ? w->presents : 0;
}

Cursor shownCursor() { return screen().cursor; }

bool writeWindowPng(const Window* window, const std::string& path) {
    HeadlessWindow* w = liveHeadless(window);
    if (w == nullptr || w->clientBitmap() == nullptr) return false;
    return writePng(w->clientBitmap()->surface(), path);
}

bool writeScreenPng(const std::string& path) {
    const Screen& s = screen();
    std::unique_ptr<Bitmap> picture = Bitmap::create(s.size.width, s.size.height, PixelFormat::Xrgb32);
    if (!picture) return false;
    const Surface& target = picture->surface();
    fill(target, target.bounds(), kDesktopColor);
    for (HeadlessWindow* w : s.topLevel) compose(target, *w, target.bounds());
    return writePng(target, path);
}

}  // namespace headless

namespace detail {
WindowBackend& headlessBackend() {
    static WindowBackend& backend = *new headless::HeadlessBackend;
    return backend;
}
}  // namespace detail

}  // namespace orbitone::platform
