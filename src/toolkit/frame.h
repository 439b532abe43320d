// CFrame: the top of the view tree, bound to a child window it creates inside the
// host's window. It turns the few messages its window handles (paint, button down,
// wheel, owner-drawn menu items, the edit window's colours, destroy) into view
// operations, holds the exclusive (modal) view and the key-focus view, repaints dirty
// views when the editor idles, passes gesture notices and idle requests to its editor,
// sets the mouse cursor, and places and resizes its window among the host's windows.
//
// Mouse tracking is not message-driven: the window delivers only button presses, and the
// view that gets one polls the mouse (getButtonState, getMousePosition) until the button
// goes up, calling idleHost on each pass.
//
// [ui thread] Everything, including the process-wide state below, runs on the thread
// that owns the frame's window, which is the host's editor thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "frame_drawing_services.h"
#include "library.h"
#include "view_container.h"
#include "windowing.h"

namespace orbitone {

class EffectBaseEx;
class FrameEditor;

// Mouse cursors of setMouseCursor; any other value puts back the cursor that was in
// effect before the first change.
inline constexpr std::int32_t kCursorDefault = 0;
inline constexpr std::int32_t kCursorWait = 1;
inline constexpr std::int32_t kCursorResizeHorizontal = 2;
inline constexpr std::int32_t kCursorResizeVertical = 3;
inline constexpr std::int32_t kCursorMove = 4;
inline constexpr std::int32_t kCursorResizeDiagonalRising = 5;
inline constexpr std::int32_t kCursorResizeDiagonalFalling = 6;

// The window description a frame in host-window mode hands to the host: 256 bytes, all
// values in the machine's byte order. The bytes from kDescriptorUnused on are the host's.
using HostWindowDescriptor = std::array<std::uint8_t, 256>;
inline constexpr std::size_t kDescriptorTitle = 0;    // zero-terminated text
inline constexpr std::size_t kDescriptorTitleSize = 128;
inline constexpr std::size_t kDescriptorX = 128;      // int16
inline constexpr std::size_t kDescriptorY = 130;      // int16
inline constexpr std::size_t kDescriptorWidth = 132;  // int16
inline constexpr std::size_t kDescriptorHeight = 134; // int16
inline constexpr std::size_t kDescriptorStyle = 136;  // int32, as given to the frame
inline constexpr std::size_t kDescriptorZeros = 140;  // three int32 zeros
inline constexpr std::size_t kDescriptorUnused = 152;

// The title of a frame's own window.
inline constexpr const char kFrameWindowTitle[] = "Window";

class CFrame : public CViewContainer, public FrameDrawingServices {
public:
    // The editor's frame: its window is made at once inside the host's window
    // (`parentWindow`, a handle as the host passes it; with null or an unknown handle
    // there is no window, and painting and idle do nothing).
    CFrame(const Rect& size, void* parentWindow, FrameEditor* editor);
    // Host-window mode: the window is made later, inside the window the host opens for
    // it (openHostWindow). `style` goes into the description handed to the host.
    CFrame(const Rect& size, const char* title, FrameEditor* editor, std::int32_t style);

    // ---- overrides of CViewContainer and CView --------------------------------------
    // Puts the cursor back, closes the window (and the host's window in host-window
    // mode), then lets go of every view.
    ~CFrame() override;
    void paint(CPaintContext* context) override;
    // `rect` in the window's coordinates; without a context the frame makes one.
    void paintRect(CPaintContext* context, const Rect& rect) override;
    // Ends the key focus, then to the exclusive view alone when there is one.
    void onMouseDown(CPaintContext* context, Point where, std::int32_t buttons) override;
    // The key-focus view, then the exclusive view, then the children.
    std::int32_t onKeyPress(EditorKeyRecord& key) override;
    std::int32_t onKeyRelease(EditorKeyRecord& key) override;
    // To the exclusive view, else to the child under `where`.
    bool onWheelTurn(CPaintContext* context, Point where, float distance) override;
    // Resizes the window (resizeWindow).
    void setBounds(const Rect& size) override;
    FrameEditor* getOwningEditor() override;
    bool isOfKind(const char* name) override;
    // Repaints what needs it. Called by onIdle.
    void refresh(CPaintContext* context) override;
    // A view the frame holds on to stops being its key-focus or exclusive view when it
    // is no longer a child.
    void removeChild(CView* view, bool releaseIt) override;

    // ---- virtual operations added, in slot order --------------------------------------
    // Host-window mode: asks the host for a window and makes the frame's window inside
    // it; `position` (optional) is where the host should put it. False outside host-window
    // mode, while open (the host's window is brought to the top instead) or when the host
    // gives no window.
    virtual bool openHostWindow(const Point* position);
    // Host-window mode, open: asks the host to close its window. The window's destroy
    // message then closes the frame.
    virtual bool closeHostWindow();
    virtual bool isWindowOpen();
    // Paints `view` (a direct child; anything else paints the whole frame) straight into
    // the window now.
    virtual void paintNow(CView* view);
    // The editor's idle: repaints dirty views once the window has been painted once.
    virtual void onIdle();
    // The editor's idleWhileTracking; for loops that hold the mouse.
    virtual void idleHost();
    // The tick count in milliseconds; 0 without an editor.
    virtual std::uint32_t getMilliseconds();
    virtual std::int32_t getKnobDragMode();
    // Where the host's outer window around the frame sits in its parent.
    virtual bool getWindowPosition(std::int32_t& x, std::int32_t& y);
    // Resizes the frame and its window, through the host when it can, else by growing
    // the windows around the frame's own. False when closed or when nothing changes.
    virtual bool resizeWindow(std::int32_t width, std::int32_t height);
    // The host's window rectangle (see getHostRect(Rect&)); false for null.
    virtual bool getHostRect(Rect* rect);
    // The rectangle of the window holding the frame's window, in the client coordinates
    // of the window two levels above that one. False when closed.
    virtual bool getHostRect(Rect& rect);
    // The modal view: it alone gets clicks and wheel turns, and it is also a child. A
    // second one is refused (false) until the first is cleared with null.
    virtual bool setExclusiveView(CView* view);
    virtual CView* getExclusiveView();
    virtual void notifyEditBegin(std::int32_t index);
    virtual void notifyEditEnd(std::int32_t index);
    // The cursor in the window's coordinates; true.
    virtual bool getMouseInWindow(Point& point);
    // One of the kCursor values.
    virtual void setMouseCursor(std::int32_t type);
    // The exclusive view, else the topmost child whose mouse area holds the cursor.
    virtual CView* getViewUnderMouse();
    // The previous key-focus view, if any, is told it lost the focus; the new one is not
    // told anything.
    virtual void setKeyFocusView(CView* view);
    virtual CView* getKeyFocusView();
    // Accepting drops on the window. False without a window.
    virtual bool setDropEnabled(bool enabled);
    virtual bool isDropEnabled();
    // Marks every direct child whose bounds overlap `rect` (edges count).
    virtual void markDirtyInRect(const Rect& rect);
    virtual void setWindowOpen(bool open);
    // The window-open flag, as isWindowOpen answers it.
    virtual bool getWindowOpen();
    // ---------------------------------------------------------------------------------

    // A context for drawing into the frame's window now (it gets the window's device
    // context and gives it back when released); the caller releases it.
    [[nodiscard]] CPaintContext* acquirePaintContext();

    // FrameDrawingServices
    Rect frameBounds() const override { return bounds; }
    platform::Window* frameWindow() const override { return window; }

    platform::Window* getWindow() const { return window; }
    platform::Window* getParentWindow() const { return parentWindow; }
    FrameEditor* getEditor() const { return editor; }
    bool isHostWindowMode() const { return hostWindowMode; }
    // Null outside host-window mode.
    const HostWindowDescriptor* getHostWindowDescriptor() const { return descriptor.get(); }

    // The procedure of every frame window. [ui thread]
    static std::intptr_t windowProcedure(platform::Window* window, platform::Message message,
                                         std::uintptr_t first, std::intptr_t second);

private:
    void initialise();
    // Makes the frame's window inside `parent` (registering the window class with the
    // first one). False when there is no parent or the window cannot be made.
    bool createFrameWindow(platform::Window* parent);
    void destroyFrameWindow();
    // The window where the host's decoration around the frame ends.
    platform::Window* findOuterWindow();
    // The host-side walk of resizeWindow, growing the windows around the frame's own.
    void growWindowsByHand(std::int32_t width, std::int32_t height);
    EffectBaseEx* effect() const;

    std::intptr_t handlePaint();
    std::intptr_t handleButtonDown(std::intptr_t position);
    std::intptr_t handleWheel(std::uintptr_t first, std::intptr_t second);
    std::intptr_t handleDrawItem(platform::DrawItemRecord& item);
    std::intptr_t handleMeasureItem(platform::MeasureItemRecord& item);
    std::intptr_t handleEditColor(platform::DeviceContext* dc);

    FrameEditor* editor = nullptr;             // not owned
    platform::Window* parentWindow = nullptr;  // the host's
    CView* exclusiveView = nullptr;            // also a child
    CView* keyFocusView = nullptr;             // not owned
    bool firstPaintPending = true;
    bool windowOpen = true;
    bool dropEnabled = false;
    platform::Window* window = nullptr;        // owned
    platform::Library* imageLibrary = nullptr; // owned
    bool hostWindowMode = false;
    std::unique_ptr<HostWindowDescriptor> descriptor;
    std::optional<platform::Cursor> savedCursor;
};

// Process-wide state of the frames of this module.

// The class name of the frames' windows: "Plugin" and the module handle in lower-case
// hexadecimal.
const std::string& frameWindowClassName();
// How many frame windows exist; the class is registered while there is one.
std::int32_t frameWindowCount();
// The knob drag mode of the whole process: the editor sets it, every frame answers it.
void setProcessKnobDragMode(std::int32_t mode);

}  // namespace orbitone
