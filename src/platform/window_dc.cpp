// Device contexts of windows and of the screen.
#include <algorithm>
#include <new>
#include <vector>

#include "window.h"

namespace orbitone::platform {
namespace detail {
bool quotaAllows();
}

namespace {

// Contexts handed out by getWindowDC and not yet released.
std::vector<DeviceContext*>& issuedContexts() {
    static std::vector<DeviceContext*> contexts;
    return contexts;
}

}  // namespace

DeviceContext* getWindowDC(Window* window) {
    if (!detail::quotaAllows()) return nullptr;
    const auto target = window ? DeviceContext::Target::Window : DeviceContext::Target::Screen;
    DeviceContext* dc = new (std::nothrow) DeviceContext(target, window);
    if (dc != nullptr) issuedContexts().push_back(dc);
    return dc;
}

bool releaseWindowDC(Window* window, DeviceContext* dc) {
    auto& issued = issuedContexts();
    auto it = std::find(issued.begin(), issued.end(), dc);
    if (dc == nullptr || it == issued.end() || dc->window() != window) return false;
    issued.erase(it);
    delete dc;
    if (window != nullptr) window->deviceContextReleased();
    return true;
}

PixelPoint windowScreenOrigin(const Window* window) {
    return window ? window->screenOrigin() : PixelPoint{};
}

}  // namespace orbitone::platform
