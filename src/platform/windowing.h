// The window services: window classes, windows inside other windows, window procedures
// and their messages, painting, geometry, the cursor, and the input and time the toolkit
// polls. This header is the whole contract; two backends implement it:
//
//   headless (headless.h)  windows are in-memory surfaces on a virtual screen, time is a
//                          virtual clock and input is a timeline that tests script;
//   X11 (Xlib)             windows are real X windows, children of the window id a host
//                          passes, on the plug-in's own display connection.
//
// The backend is chosen by the parent a window is created in: a window handle of a headless
// window of this process is headless; anything a host hands over that is not one is taken
// as an X window id (windowFromHandle). The process-wide services (cursor position, button
// state, tick count, sleep) answer from the X11 backend once an X11 window has been created
// in this process, and from the headless one before.
//
// Windows are `Window` objects (window.h): a handle is a `Window*`, valid until
// destroyWindow. A window destroyed from outside (an X window destroyed with its host
// parent) gets its Destroy message and answers every call as a dead window (isWindow
// false) until destroyWindow releases the handle, so a handle is never reused while its
// owner still holds it.
//
// Coordinates: screen coordinates for window rectangles, the cursor and the wheel; client
// coordinates (the top-left pixel of a window's client area is (0, 0)) for button-down
// positions, update rectangles and point mapping. Children are placed in their parent's
// client coordinates.
//
// Thread: the user-interface thread only. Nothing is locked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "raster.h"
#include "window.h"

namespace orbitone::platform {

// ---------------------------------------------------------------------------------
// Window classes

// A window procedure: what a window does with a message. `first` and `second` are the
// message's two parameters (their meaning per message is listed at Message); the answer
// means what the message says, 0 for most.
enum class Message : std::uint32_t;
using WindowProcedure = std::intptr_t (*)(Window* window, Message message, std::uintptr_t first,
                                          std::intptr_t second);

using ClassStyle = std::uint32_t;
// The class can be used by every module of the process (the only kind there is here;
// recorded for whoever asks).
inline constexpr ClassStyle kClassGlobal = 1u << 0;

enum class Cursor : std::uint8_t;

struct WindowClass {
    std::string name;
    WindowProcedure procedure = nullptr;
    // Recorded with the class; every window of ours shows the cursor in effect (getCursor),
    // which is the arrow until setCursor changes it.
    Cursor cursor{};
    ClassStyle style = 0;
};

// Registers a class under its name. False (nothing registered) for an empty name, a null
// procedure or a name that is registered already.
[[nodiscard]] bool registerWindowClass(const WindowClass& windowClass);
// False when no class has that name or windows of the class still exist.
bool unregisterWindowClass(std::string_view name);
bool isWindowClassRegistered(std::string_view name);

// How often classes were registered and unregistered in this process, and how many are
// registered now (classes of host windows made by tests do not count).
struct WindowClassCounts {
    std::uint64_t registrations = 0;
    std::uint64_t unregistrations = 0;
    std::size_t registered = 0;
};
WindowClassCounts windowClassCounts();

// ---------------------------------------------------------------------------------
// Windows

using WindowStyle = std::uint32_t;
inline constexpr WindowStyle kStyleChild = 1u << 0;    // lives in its parent's client area
inline constexpr WindowStyle kStyleVisible = 1u << 1;  // shown (and painted) once created
inline constexpr WindowStyle kStyleCaption = 1u << 2;  // a title bar: a window the user moves
inline constexpr WindowStyle kStyleDialogFrame = 1u << 3;  // a thick frame around the client
// The first bit free for the styles of the platform's own control classes.
inline constexpr WindowStyle kStyleFirstControlBit = 1u << 16;

struct WindowCreation {
    std::string_view className;  // a registered class
    std::string_view title;
    WindowStyle style = kStyleChild | kStyleVisible;
    PixelPoint position;  // top-left, in the parent's client coordinates
    PixelSize size;       // of the whole window, frame included; negatives are taken as 0
    Window* parent = nullptr;
};

// Creates a window of a registered class inside `parent`, with the parent's backend. Its
// procedure is the class's; its user data is null; a visible window's whole client area
// is waiting to be painted. Null when the class is not registered, the parent is missing
// or dead, a child is asked for without a parent, or the backend cannot make the window
// (no display, the X window does not exist).
[[nodiscard]] Window* createWindow(const WindowCreation& creation);

// Destroys the window and its children: each gets its Destroy message (the window before
// its children), its queued messages are dropped, it stops being a window, and its handle
// is released. False for a null handle or one that is not a window of this process (an X
// window of the host's is not ours to destroy; the headless screen's host windows are).
// A window that was destroyed from outside answers true once, releasing its handle.
bool destroyWindow(Window* window);

// True for a live window (ours or a host's).
bool isWindow(const Window* window);

// The window a host's opaque window handle names: a headless window of this process, or
// else the X window with that id (null when there is no display or no such window).
[[nodiscard]] Window* windowFromHandle(void* hostHandle);
// The inverse: the handle a host would use for the window (the X window id for X11
// windows), 0 for null.
std::uintptr_t nativeHandleOf(const Window* window);

// The slot a window keeps for its owner. Each setter answers the previous value.
void* setWindowUserData(Window* window, void* data);
void* windowUserData(const Window* window);
// Replaces the window's procedure and answers the previous one. Null procedures are
// refused and change nothing; so are windows of other processes, which have no procedure
// here (the answer is null).
WindowProcedure setWindowProcedure(Window* window, WindowProcedure procedure);
WindowProcedure windowProcedure(const Window* window);

// ---------------------------------------------------------------------------------
// Messages
//
// Values are in delivery-independent ranges: peeking asks for one range of values.

enum class Message : std::uint32_t {
    Null = 0,
    // The window is being destroyed; its children still exist. No parameters.
    Destroy = 1,
    // Part of the window waits to be painted (getUpdateRect, beginPaint). No parameters.
    // Never queued: peeking finds it for a window whose update rectangle is not empty as
    // long as it stays so, after the queued messages.
    Paint = 2,
    // first: the window gaining the focus (Window*, 0 for none).
    SetFocus = 3,
    // first: the window that loses the focus (Window*, 0 for none).
    KillFocus = 4,
    // A dialog asks which keys the window wants. first: the key code, 0 for none.
    // The answer: kDialogCode bits.
    GetDialogCode = 5,
    // first: the key code (KeyCode or a character, see KeyCode); second: repeat count.
    KeyDown = 0x10,
    KeyUp = 0x11,
    // The button presses: first: the held buttons and modifiers (kHeld bits); second:
    // the client position of the press, packPoint(x, y).
    LeftButtonDown = 0x20,
    MiddleButtonDown = 0x21,
    RightButtonDown = 0x22,
    // first: the held kHeld bits in the low 16 bits and the distance turned in the high 16
    // bits, signed, kWheelNotch a notch (positive away from the user); second: the screen
    // position of the cursor, packPoint(x, y) with signed 16-bit halves.
    MouseWheel = 0x28,
    // An owner-drawn item is to be drawn. first: the control's identifier; second: a
    // DrawItemRecord*. Answer 1 when drawn.
    DrawItem = 0x30,
    // An owner-drawn item is to be measured. first: the control's identifier; second: a
    // MeasureItemRecord* whose width and height the window fills. Answer 1 when measured.
    MeasureItem = 0x31,
    // A single-line edit child is about to draw. first: its DeviceContext*; second: the
    // edit window (Window*). The answer is a Brush* for its background (the caller does
    // not take it over), or 0 for the edit's default colours.
    EditColor = 0x32,
    // A menu choice or a control notification. first: identifier in the low 16 bits, the
    // notification code in the high 16 bits (0 for menus); second: the control window.
    Command = 0x38,
    // The first value free for messages private to a window class.
    User = 0x400,
};

// What the window wants of a dialog's keys (GetDialogCode).
using DialogCode = std::uint32_t;
inline constexpr DialogCode kDialogCodeWantAllKeys = 4;

// Held buttons and modifiers in button and wheel messages (`first`). Buttons are the
// user's: the primary one is kHeldLeft whatever swapping of buttons says.
inline constexpr std::uint32_t kHeldLeft = 1;
inline constexpr std::uint32_t kHeldMiddle = 2;
inline constexpr std::uint32_t kHeldRight = 4;
inline constexpr std::uint32_t kHeldShift = 8;
inline constexpr std::uint32_t kHeldControl = 16;
inline constexpr std::uint32_t kHeldAlt = 32;

// The wheel distance of one notch.
inline constexpr std::int32_t kWheelNotch = 120;

// Two 16-bit coordinates in one parameter: x in the low half, y in the high half.
constexpr std::intptr_t packPoint(std::int32_t x, std::int32_t y) {
    return static_cast<std::intptr_t>((std::uint32_t(x) & 0xFFFF) | (std::uint32_t(y) & 0xFFFF) << 16);
}
constexpr std::uint16_t lowWord(std::uintptr_t value) { return value & 0xFFFF; }
constexpr std::uint16_t highWord(std::uintptr_t value) { return (value >> 16) & 0xFFFF; }
constexpr std::int16_t signedLowWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(lowWord(value));
}
constexpr std::int16_t signedHighWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(highWord(value));
}
constexpr std::uintptr_t packWheel(std::int32_t distance, std::uint32_t held) {
    return (std::uintptr_t(std::uint32_t(distance) & 0xFFFF) << 16) | (held & 0xFFFF);
}
constexpr std::uintptr_t packCommand(std::uint32_t identifier, std::uint32_t notification) {
    return (std::uintptr_t(notification & 0xFFFF) << 16) | (identifier & 0xFFFF);
}

// Keys in KeyDown and KeyUp: letters are their upper-case character, digits and the other
// printable characters their ASCII code, the few control characters below theirs, and the
// other keys the codes from kKeyFirstNamed on.
enum class KeyCode : std::uint32_t {
    Backspace = 0x08,
    Tab = 0x09,
    Return = 0x0D,
    Escape = 0x1B,
    Space = 0x20,
    Delete = 0x7F,
    Left = 0x1000,
    Up,
    Right,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Insert,
    Shift,
    Control,
    Alt,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    Unknown = 0xFFFF,
};
inline constexpr std::uint32_t kKeyFirstNamed = 0x1000;

// Owner-drawn items, for DrawItem and MeasureItem.
enum class OwnerDrawType : std::uint32_t { Menu = 1, Button = 2, ListBox = 3, ComboBox = 4 };
inline constexpr std::uint32_t kItemChecked = 1u << 0;
inline constexpr std::uint32_t kItemDisabled = 1u << 1;
inline constexpr std::uint32_t kItemSelected = 1u << 2;

struct DrawItemRecord {
    OwnerDrawType controlType = OwnerDrawType::Menu;
    std::uint32_t controlId = 0;
    std::uint32_t itemId = 0;
    std::uint32_t itemState = 0;  // kItem bits
    Window* itemWindow = nullptr;
    DeviceContext* dc = nullptr;
    PixelRect itemRect;  // bottom and right are the first pixels outside
    std::uintptr_t itemData = 0;
};

struct MeasureItemRecord {
    OwnerDrawType controlType = OwnerDrawType::Menu;
    std::uint32_t controlId = 0;
    std::uint32_t itemId = 0;
    std::int32_t itemWidth = 0;
    std::int32_t itemHeight = 0;
    std::uintptr_t itemData = 0;
};

struct MessageRecord {
    Window* window = nullptr;
    Message message = Message::Null;
    std::uintptr_t first = 0;
    std::intptr_t second = 0;
    std::uint32_t time = 0;  // tickCount when it was posted or the input happened
    PixelPoint cursor;       // the cursor's screen position at that time
};

// The processing every message gets that a window's procedure does not handle itself:
// Paint validates the update rectangle; MouseWheel in a child window goes on to its parent
// (the answer is the parent's); everything else answers 0.
std::intptr_t defaultWindowProcedure(Window* window, Message message, std::uintptr_t first,
                                     std::intptr_t second);

// Calls the window's procedure at once and answers its answer; 0 for a dead window.
std::intptr_t sendMessage(Window* window, Message message, std::uintptr_t first = 0,
                          std::intptr_t second = 0);
// Queues a message for the window, stamped with the current tick count and cursor. False
// for a dead window or Paint (which is never queued: use invalidateRect).
bool postMessage(Window* window, Message message, std::uintptr_t first = 0,
                 std::intptr_t second = 0);

// Message values from `first` to `last`, both included.
struct MessageRange {
    Message first = Message::Null;
    Message last = Message::Null;
    static constexpr MessageRange all() {
        return {Message::Null, static_cast<Message>(0xFFFFFFFFu)};
    }
    static constexpr MessageRange only(Message message) { return {message, message}; }
    constexpr bool contains(Message m) const {
        return std::uint32_t(m) >= std::uint32_t(first) && std::uint32_t(m) <= std::uint32_t(last);
    }
};

enum class PeekMode : std::uint8_t { Keep, Remove };

// Looks for the oldest message in the range for `window` (null: for any window of this
// thread), first taking in what the backends have pending (input that is due, events of
// the display). A Paint found is not removed: it stays until the window is validated.
// Removing a message makes its time the message time. False when there is none; a peek
// that finds nothing takes a little time (the headless clock's empty-peek cost; up to a
// millisecond of waiting for the display), so a loop of peeks is no busy spin.
[[nodiscard]] bool peekMessage(MessageRecord& out, Window* window, MessageRange range,
                               PeekMode mode);
// Calls the procedure of the message's window with it; 0 for a dead window.
std::intptr_t dispatchMessage(const MessageRecord& message);
// One pass of a message loop: takes in what the backends have pending, then removes and
// dispatches every message queued so far and one Paint for each window waiting to be
// painted. The editor's idle runs it, standing in for the host's message loop. Answers
// how many messages were dispatched.
std::size_t dispatchPendingMessages();
// The time of the message removed last (by peekMessage or dispatchPendingMessages).
std::uint32_t messageTime();

// ---------------------------------------------------------------------------------
// Painting

// Adds a rectangle in client coordinates (null: the whole client area) to the window's
// update rectangle, which grows to hold every rectangle added since the last paint.
void invalidateRect(Window* window, const PixelRect* rect = nullptr);
// Clears the update rectangle without painting.
void validateWindow(Window* window);
// The update rectangle in client coordinates (clipped to the client area) in *rect when
// rect is not null. True when it is not empty.
bool getUpdateRect(Window* window, PixelRect* rect);

struct PaintRecord {
    DeviceContext* dc = nullptr;  // clipped to paintRect
    PixelRect paintRect;
};
// Starts painting the update rectangle: the record gets a device context of the window
// (clipped to it) and the rectangle, and the window counts as painted (its update
// rectangle is cleared). False, and no context, for a dead window or when the object
// quota is used up; the update rectangle is cleared all the same.
bool beginPaint(Window* window, PaintRecord& paint);
// Releases the record's device context, which shows what was drawn.
void endPaint(Window* window, PaintRecord& paint);

// Device contexts of a window outside painting: getWindowDC and releaseWindowDC
// (window.h). Releasing one shows what was drawn into the window.

// ---------------------------------------------------------------------------------
// Geometry and stacking

// The window's rectangle on the screen, frame and caption included. False for a dead
// window.
[[nodiscard]] bool getWindowRect(const Window* window, PixelRect& rect);
// The client area: (0, 0, width, height). False for a dead window.
[[nodiscard]] bool getClientRect(const Window* window, PixelRect& rect);
// The window that contains it, or null for a window on the screen itself (or a dead one).
Window* getParent(const Window* window);
// The class name; empty when the window has none (or is dead).
std::string getClassName(const Window* window);
// The window's style bits (for host windows: kStyleCaption on windows the user moves and
// kStyleChild on windows inside another).
WindowStyle getWindowStyle(const Window* window);
// Converts client points of `from` into client points of `to`; null stands for the
// screen. False (points unchanged) when either window is dead.
bool mapWindowPoints(const Window* from, const Window* to, std::span<PixelPoint> points);
// Gives the window a new size (frame included, as getWindowRect measures it), keeping its
// position and stacking; the whole new client area then waits to be painted. False for a
// dead window.
bool setWindowSize(Window* window, PixelSize size);
// Moves the window to a position in its parent's client coordinates.
bool setWindowPosition(Window* window, PixelPoint position);
// Puts the window above its siblings (and raises the windows that hold it).
bool bringWindowToTop(Window* window);

// The window that gets keys, or null. setFocus sends KillFocus to the window losing it and
// SetFocus to the window gaining it, and answers the previous one.
Window* setFocus(Window* window);
Window* getFocus();

// ---------------------------------------------------------------------------------
// Cursor

enum class Cursor : std::uint8_t {
    None,  // no cursor shown
    Arrow,
    Wait,
    ResizeHorizontal,       // west-east
    ResizeVertical,         // north-south
    ResizeDiagonalRising,   // north-east to south-west
    ResizeDiagonalFalling,  // north-west to south-east
    Move,
};
// The cursor in effect; Arrow at the start.
Cursor getCursor();
// Shows `cursor` over this process's windows; answers the one in effect before.
Cursor setCursor(Cursor cursor);

// ---------------------------------------------------------------------------------
// Input and time

// Keys whose state is read as it is at this moment, not as the queued messages say. The
// buttons are physical: with swapped buttons (SystemMetric::SwapButtons) the user's
// primary button is the physical right one.
enum class InputKey : std::uint8_t { LeftButton, MiddleButton, RightButton, Shift, Control, Alt };
bool isKeyDown(InputKey key);

struct InputState {
    PixelPoint cursor;  // screen position
    bool left = false, middle = false, right = false;  // physical buttons
    bool shift = false, control = false, alt = false;
};
// All of it at once (one round trip to the display).
InputState pollInput();
PixelPoint getCursorPosition();

// Milliseconds since an arbitrary start, wrapping at 2^32.
std::uint32_t tickCount();
// Waits; the headless clock advances by the time instead.
void sleepMilliseconds(std::uint32_t milliseconds);
// The most time between the clicks of a double click, in milliseconds.
std::uint32_t doubleClickTime();

enum class SystemMetric : std::uint8_t {
    SwapButtons,        // 1 when the physical right button is the user's primary one
    DialogFrameWidth,   // width of a dialog frame's vertical sides
    DialogFrameHeight,  // height of a dialog frame's horizontal sides
    CaptionHeight,      // height of a title bar
    ScreenWidth,
    ScreenHeight,
};
std::int32_t getSystemMetric(SystemMetric metric);

// The platform family: the image library's keyed copy is found from kPlatformFamilyCurrent
// on.
inline constexpr std::uint32_t kPlatformFamilyEarly = 1;
inline constexpr std::uint32_t kPlatformFamilyCurrent = 2;
struct PlatformVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t family = 0;
    std::string description;
};
// False when the version cannot be told.
[[nodiscard]] bool queryPlatformVersion(PlatformVersion& version);

}  // namespace orbitone::platform
