// The X11 backend of the window services.
#include "window_backend.h"

namespace orbitone::platform::detail {

// X11 windows are not made yet: every host handle that is not a headless window is
// refused as if there were no display.
std::unique_ptr<WindowBackend> makeX11Backend() { return nullptr; }

}  // namespace orbitone::platform::detail
