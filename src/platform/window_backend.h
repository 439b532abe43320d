// Inside the window services: the window object every backend makes, what a backend must
// provide, and what the portable core (windowing.cpp) offers the backends in return.
//
// The core keeps what is the same everywhere: classes, the handle registry, the message
// queue, painting state, focus and the cursor in effect. A backend keeps where windows are
// and what the input is, and turns its own events into the core's messages.
//
// Thread: the user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "windowing.h"

namespace orbitone::platform::detail {

class WindowBackend;

// A window as the core knows it. Backends derive their own windows from it.
class WindowObject : public Window {
public:
    WindowObject(WindowBackend& backend, bool ours) : backend_(backend), ours_(ours) {}
    virtual ~WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    Bitmap* clientBitmap() override { return bitmap_.get(); }
    PixelPoint screenOrigin() const override;
    void deviceContextReleased() override;

    WindowBackend& backend() const { return backend_; }
    // Made by createWindow (or by a test as a host window) rather than found as a host's.
    bool ours() const { return ours_; }
    bool alive() const { return alive_; }

    // Core state.
    std::string className;
    std::string title;
    WindowStyle style = 0;
    WindowProcedure procedure = nullptr;  // null for host windows of another process
    void* userData = nullptr;
    WindowObject* parent = nullptr;       // the window it was made in (ours only)
    std::optional<PixelRect> update;      // client coordinates, not yet clipped
    bool registeredClass = false;         // its class is one of registerWindowClass's
    bool destroying = false;              // its Destroy messages are being sent
    bool releaseRequested = false;        // destroyed again meanwhile: release it after

    // Replaces the client pixels by a bitmap of the size, keeping what overlaps.
    void resizeClientBitmap(PixelSize size);

private:
    friend void markDead(WindowObject& window);
    WindowBackend& backend_;
    bool ours_;
    bool alive_ = true;
    std::unique_ptr<Bitmap> bitmap_;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // A new native window of ours for the creation (the class is registered, the parent
    // is null or a live window of this backend). The core fills in the core state
    // afterwards. Null when the backend cannot make it.
    virtual std::unique_ptr<WindowObject> createWindow(const WindowCreation& creation,
                                                       WindowObject* parent) = 0;
    // Removes the native window (and with it the native windows inside it).
    virtual void destroyNative(WindowObject& window) = 0;
    // The handle is about to be released: forget everything kept about the window.
    virtual void released(WindowObject& window) = 0;

    virtual WindowObject* parentOf(const WindowObject& window) = 0;
    virtual bool windowRect(const WindowObject& window, PixelRect& rect) = 0;  // screen
    // The screen position of the client area's top-left pixel, and the client size.
    virtual bool clientArea(const WindowObject& window, PixelPoint& origin, PixelSize& size) = 0;
    virtual bool resize(WindowObject& window, PixelSize size) = 0;  // frame included
    virtual bool move(WindowObject& window, PixelPoint position) = 0;
    virtual bool raise(WindowObject& window) = 0;
    // Class name and style of windows that are not ours; ours answer from the core state.
    virtual std::string foreignClassName(const WindowObject& window) = 0;
    virtual WindowStyle foreignStyle(const WindowObject& window) = 0;
    virtual std::uintptr_t nativeHandle(const WindowObject& window) = 0;
    // The live window a host's handle names (not one of the headless screen), or null.
    virtual WindowObject* windowForNativeHandle(std::uintptr_t handle) = 0;

    // Shows the client pixels (after a device context of the window was released).
    virtual void present(WindowObject& window) = 0;
    // The window got the focus (null: none of this backend's windows has it).
    virtual void focusChanged(WindowObject* window) = 0;
    // Shows the cursor over this backend's windows of ours.
    virtual void showCursor(Cursor cursor) = 0;

    // Turns pending events and due input into messages and window state.
    virtual void collectPending() = 0;
    // A peek found nothing: the time a busy poll takes.
    virtual void peekFoundNothing() = 0;

    virtual InputState pollInput() = 0;
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t doubleClickTime() = 0;
    virtual std::int32_t systemMetric(SystemMetric metric) = 0;
    virtual bool platformVersion(PlatformVersion& version) = 0;
};

// ---------------------------------------------------------------------------------
// What the core offers the backends

// The backend that answers the process-wide services.
WindowBackend& activeBackend();
WindowBackend& headlessBackend();
// The X11 backend, made (and its display opened) on first use; null without a display.
WindowBackend* x11Backend(bool create);

// The window object of a handle, or null when it is not one of the registry.
WindowObject* findWindow(const Window* window);
// A live window object of a handle, or null.
WindowObject* liveWindow(const Window* window);
// Adds a window that is not ours (a host's) to the registry, which owns it from then on.
WindowObject* adoptForeignWindow(std::unique_ptr<WindowObject> window);
// Adds a window made by a test as a host window of the headless screen.
WindowObject* adoptHostWindow(std::unique_ptr<WindowObject> window);
// Every registered window, in creation order (dead ones included).
std::vector<WindowObject*> allWindows();

// Queues an input message (stamped by the backend).
void postInput(const MessageRecord& message);
// The window was destroyed from outside (its native window is gone): it and the windows
// made inside it get their Destroy message and become dead.
void destroyedOutside(WindowObject& window);
// Releases every headless window and forgets the queue, the focus and the cursor: a fresh
// virtual screen for the next test.
void resetHeadlessWindows();

void markDead(WindowObject& window);

}  // namespace orbitone::platform::detail
