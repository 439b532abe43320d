// CFrame among the host's windows: where the outer window sits, the host's rectangle,
// resizing together with the windows that wrap the frame's own, and windows the host
// opens for the frame.
#include <cstdlib>
#include <cstring>

#include "effect_base_ex.h"
#include "frame.h"
#include "frame_editor.h"

namespace orbitone {
namespace {

namespace pf = platform;

// Host windows that differ from the frame's window by more than this in width or height
// are not decoration around it: the outer window search stops below them.
constexpr std::int64_t kOuterWindowSlack = 60;
// Growing windows by hand stops at once when the windows around the frame add more than
// this: they are the host's own, not a frame around the plug-in.
constexpr std::int64_t kLargestDecoration = 80;
constexpr std::string_view kMdiClientClass = "MDIClient";
constexpr const char kSizeWindowCapability[] = "sizeWindow";

pf::PixelSize sizeOf(std::int64_t width, std::int64_t height) {
    return {std::int32_t(width), std::int32_t(height)};
}

}  // namespace

EffectBaseEx* CFrame::effect() const { return editor != nullptr ? editor->getFrameEffect() : nullptr; }

pf::Window* CFrame::findOuterWindow() {
    if (window == nullptr) return nullptr;
    pf::PixelRect frameRect;
    if (!pf::getWindowRect(window, frameRect)) return window;
    pf::Window* current = window;
    for (;;) {
        pf::Window* parent = pf::getParent(current);
        if (parent == nullptr || (pf::getWindowStyle(current) & pf::kStyleCaption) != 0) break;
        pf::PixelRect parentRect;
        if (!pf::getWindowRect(parent, parentRect)) break;
        if (std::llabs(parentRect.width() - frameRect.width()) > kOuterWindowSlack ||
            std::llabs(parentRect.height() - frameRect.height()) > kOuterWindowSlack)
            break;
        current = parent;
    }
    return current;
}

bool CFrame::getWindowPosition(std::int32_t& x, std::int32_t& y) {
    if (!windowOpen) return false;
    pf::Window* outer = findOuterWindow();
    pf::PixelRect place;
    if (outer == nullptr || !pf::getWindowRect(outer, place)) return false;
    pf::PixelPoint corner{place.left, place.top};
    pf::mapWindowPoints(nullptr, pf::getParent(outer), {&corner, 1});
    x = corner.x;
    y = corner.y;
    return true;
}

bool CFrame::getHostRect(Rect* rect) { return rect != nullptr && getHostRect(*rect); }

bool CFrame::getHostRect(Rect& rect) {
    if (!windowOpen) return false;
    pf::Window* host = window != nullptr ? pf::getParent(window) : nullptr;
    pf::PixelRect place;
    if (host == nullptr || !pf::getWindowRect(host, place)) return false;
    pf::PixelPoint corner{place.left, place.top};
    pf::mapWindowPoints(nullptr, pf::getParent(pf::getParent(host)), {&corner, 1});
    rect = {corner.x, corner.y, corner.x + std::int32_t(place.width()), corner.y + std::int32_t(place.height())};
    return true;
}

bool CFrame::resizeWindow(std::int32_t width, std::int32_t height) {
    // 1.
    if (!windowOpen || (width == bounds.getWidth() && height == bounds.getHeight())) return false;
    // 2. A host that sizes its window itself.
    EffectBaseEx* hostEffect = effect();
    if (hostEffect != nullptr && hostEffect->askHostForCapability(kSizeWindowCapability) &&
        hostEffect->askHostResizeWindow(width, height)) {
        if (window != nullptr) pf::setWindowSize(window, {width, height});
        CViewContainer::setBounds({bounds.left, bounds.top, bounds.left + width, bounds.top + height});
        return true;
    }
    // 3. Any other host: grow the windows around ours by hand.
    bounds = {bounds.left, bounds.top, bounds.left + width, bounds.top + height};
    growWindowsByHand(width, height);
    return true;
}

void CFrame::growWindowsByHand(std::int32_t width, std::int32_t height) {
    // Each window from ours upwards gets the new size plus what the windows below it add
    // around theirs, until the walk has passed one dialog frame.
    const std::int64_t limit = 2 * std::int64_t(pf::getSystemMetric(pf::SystemMetric::DialogFrameHeight));
    std::int64_t extraWidth = 0;
    std::int64_t extraHeight = 0;
    pf::Window* w = window;
    while (limit != 0 && w != nullptr) {
        pf::Window* parent = pf::getParent(w);
        if (parent == nullptr || pf::getClassName(parent) == kMdiClientClass) break;
        pf::PixelRect own, around;
        if (!pf::getWindowRect(w, own) || !pf::getWindowRect(parent, around)) break;
        pf::setWindowSize(w, sizeOf(width + extraWidth, height + extraHeight));
        extraWidth += around.width() - own.width();
        extraHeight += around.height() - own.height();
        if (extraWidth > kLargestDecoration || extraHeight > kLargestDecoration) {
            CViewContainer::setBounds({0, 0, width, height});
            return;
        }
        extraWidth = std::max<std::int64_t>(extraWidth, 0);
        extraHeight = std::max<std::int64_t>(extraHeight, 0);
        // The parent is grown next; having passed a dialog frame, it is the last.
        w = parent;
        if (extraWidth == limit) break;
    }
    if (w != nullptr) pf::setWindowSize(w, sizeOf(width + extraWidth, height + extraHeight));
    CViewContainer::setBounds({0, 0, width, height});
}

// ---------------------------------------------------------------------------------
// Host-window mode

bool CFrame::openHostWindow(const Point* position) {
    if (!hostWindowMode) return false;
    if (windowOpen) {
        // Already open: show it instead.
        pf::Window* hostWindow = window != nullptr ? pf::getParent(pf::getParent(window)) : nullptr;
        if (hostWindow != nullptr) pf::bringWindowToTop(hostWindow);
        return false;
    }
    if (position != nullptr) {
        const std::int16_t place[] = {std::int16_t(position->h), std::int16_t(position->v)};
        std::memcpy(&(*descriptor)[kDescriptorX], place, sizeof place);
    }
    EffectBaseEx* hostEffect = effect();
    const std::intptr_t handle = hostEffect != nullptr ? hostEffect->askHostOpenWindow(descriptor.get()) : 0;
    pf::Window* parent = pf::windowFromHandle(reinterpret_cast<void*>(handle));
    if (parent != nullptr && createFrameWindow(parent)) {
        parentWindow = parent;
        setWindowOpen(true);
    }
    return isWindowOpen();
}

bool CFrame::closeHostWindow() {
    if (!hostWindowMode || !windowOpen || parentWindow == nullptr) return false;
    if (EffectBaseEx* hostEffect = effect()) hostEffect->askHostCloseWindow(descriptor.get());
    parentWindow = nullptr;
    return true;
}

}  // namespace orbitone
