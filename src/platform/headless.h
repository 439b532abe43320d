// The headless screen: what tests (and pictures taken without a display) see of and do to
// the headless backend of the window services (windowing.h).
//
// Windows are in-memory surfaces on a virtual screen. Time is a virtual clock that starts
// at 0 and moves only when the program sleeps (sleepMilliseconds), when a peek finds no
// message (a busy poll costs emptyPeekCost, 1 ms unless a test says otherwise) or when a
// test moves it. Input is a timeline the test scripts ahead: pointer moves, physical
// button presses and releases, modifiers, keys and wheel notches at given virtual times.
// Input becomes real when the clock reaches its time: polling then reads it, and a button
// press or a wheel notch is queued as a message for the window under the pointer (keys for
// the window with the focus), stamped with the input's time. So loops that sleep or idle
// see scripted input at exactly the scripted moments. Input scripted for a time already
// past happens at the next poll, peek or sleep.
//
// Window geometry: a window's rectangle is in its parent's client coordinates (on the
// screen for windows without a parent). kStyleDialogFrame puts a frame of the dialog-frame
// metrics around the client area, and kStyleCaption a title bar of the caption height
// above it; without them the client area is the whole window.
//
// Thread: the user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "windowing.h"

namespace orbitone::platform::headless {

// A fresh virtual screen: releases every headless window (whoever held one must be done
// with it), forgets queued messages, the timeline and the focus, and sets the clock to 0,
// the pointer to (0, 0) with nothing held, the cursor to the arrow and every setting
// below to its default.
void reset();

// A window of the host's: any class name (registered or not, "MDIClient" included), the
// given style and rectangle, the procedure given or else the default procedure. Like any
// visible window it waits for its first paint.
struct HostWindowOptions {
    std::string className;
    std::string title;
    WindowStyle style = kStyleVisible;
    PixelRect rect;  // the whole window, in the parent's client coordinates
    Window* parent = nullptr;
    WindowProcedure procedure = nullptr;
};
// Null when the parent is given but is not a live headless window.
[[nodiscard]] Window* createHostWindow(const HostWindowOptions& options);
bool isHeadlessWindow(const Window* window);

// ---------------------------------------------------------------------------------
// Clock

std::uint32_t now();
// Moves the clock forward, making due input happen (as sleepMilliseconds does).
void advanceClock(std::uint32_t milliseconds);
// Sets the clock (for tests of the 32-bit wrap-around); scripted input keeps its times.
void setClock(std::uint32_t time);
// The virtual time a peek that finds nothing takes; 1 ms at the start.
void setEmptyPeekCost(std::uint32_t milliseconds);

// ---------------------------------------------------------------------------------
// Input

enum class Button : std::uint8_t { Left, Middle, Right };  // physical buttons
enum class Modifier : std::uint8_t { Shift, Control, Alt };

// Scripted input, appended to the timeline as it is written. Steps written after the same
// at() or after() happen at the same time, in the order written.
class InputScript {
public:
    explicit InputScript(std::uint32_t start) : time_(start) {}
    InputScript& at(std::uint32_t time);
    InputScript& after(std::uint32_t milliseconds);
    InputScript& moveTo(PixelPoint screen);
    InputScript& press(Button button);
    InputScript& release(Button button);
    InputScript& hold(Modifier modifier);
    InputScript& letGo(Modifier modifier);
    // A key pressed and let go: KeyDown and KeyUp for the window with the focus.
    InputScript& key(std::uint32_t code);
    InputScript& key(KeyCode code) { return key(std::uint32_t(code)); }
    // Notches of the wheel: positive away from the user, negative towards.
    InputScript& wheel(std::int32_t notches);
    // Moves there, presses and releases at once.
    InputScript& click(PixelPoint screen, Button button = Button::Left);
    std::uint32_t time() const { return time_; }

private:
    std::uint32_t time_;
};
// A script starting at the current time.
InputScript script();
// Scripted input that has not happened yet.
std::size_t pendingInput();

// ---------------------------------------------------------------------------------
// Settings (each with its default)

void setScreenSize(PixelSize size);                         // 1920 x 1080
void setSwapButtons(bool swapped);                          // false
void setDialogFrame(std::int32_t width, std::int32_t height);  // 3, 3
void setCaptionHeight(std::int32_t height);                 // 18
void setDoubleClickTime(std::uint32_t milliseconds);        // 500
// What queryPlatformVersion answers; nullopt makes it fail. Default: version 1.1 of
// family kPlatformFamilyCurrent.
void setPlatformVersion(std::optional<PlatformVersion> version);

// ---------------------------------------------------------------------------------
// Looking at the screen

// The deepest visible window whose rectangle holds the screen point, or null.
Window* windowAt(PixelPoint screen);
// How often the window's pixels were shown (a device context of it released).
std::uint64_t presentCount(const Window* window);
// The cursor shown over the headless windows.
Cursor shownCursor();

// Writes the window's client pixels as a PNG. False for a dead window or a failed write.
[[nodiscard]] bool writeWindowPng(const Window* window, const std::string& path);
// Writes the whole virtual screen as a PNG: every visible window in stacking order, its
// frame grey, its title bar dark blue, its client area as drawn, children clipped to their
// parent's client area.
[[nodiscard]] bool writeScreenPng(const std::string& path);

}  // namespace orbitone::platform::headless
