// What drawing needs of windows: a window's device context and its place on the screen.
//
// A window is something with pixels of its own (its client area) at a position on the
// screen. The window services (windowing.h: window creation, messages, input; a headless
// and an X11 backend) implement this interface for their windows and add what else they
// offer; a paint context needs no more than what is declared here.
//
// Thread: the user-interface thread only.
#pragma once

#include "raster.h"

namespace orbitone::platform {

class Window {
public:
    // The window's client-area pixels, which its device contexts draw into; null when
    // the window has none (yet). A device context asks for it anew for every operation,
    // so the window may replace it (on a resize) between any two of them.
    virtual Bitmap* clientBitmap() = 0;
    // The top-left corner of the window in screen coordinates.
    virtual PixelPoint screenOrigin() const = 0;
    // A device context of the window was released: what it drew may now be shown.
    virtual void deviceContextReleased() {}

protected:
    ~Window() = default;
};

// A device context that draws into the window's client area, with default attributes
// (as createMemoryDC). A null window gives a context of the screen, which is colour
// (Xrgb32) and has no pixels to draw into. Null when the object quota is used up.
// Each context is returned to releaseWindowDC.
[[nodiscard]] DeviceContext* getWindowDC(Window* window);

// Gives back a context from getWindowDC for the same window and destroys it. False
// (and nothing happens) when dc is null or not a context of that window.
bool releaseWindowDC(Window* window, DeviceContext* dc);

// The window's top-left corner on the screen; (0, 0) for a null window.
PixelPoint windowScreenOrigin(const Window* window);

}  // namespace orbitone::platform
