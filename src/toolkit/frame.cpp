#include "frame.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "back_buffer.h"
#include "frame_editor.h"
#include "image.h"
#include "key_focus_services.h"
#include "module.h"
#include "paint_context.h"

namespace orbitone {
namespace {

namespace pf = platform;

// One notch of the wheel (kWheelNotch units) turns by 1.0.
constexpr float kWheelDistancePerUnit = 0.008333334f;

// Process-wide: one class for the windows of every frame of this module.
std::int32_t frameWindows = 0;
std::int32_t knobDragMode = 0;

Rect toRect(const pf::PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

const std::string& frameWindowClassName() {
    static const std::string name = [] {
        char text[32];
        std::snprintf(text, sizeof text, "Plugin%" PRIxPTR,
                      reinterpret_cast<std::uintptr_t>(pf::moduleHandle()));
        return std::string(text);
    }();
    return name;
}

std::int32_t frameWindowCount() { return frameWindows; }

void setProcessKnobDragMode(std::int32_t mode) { knobDragMode = mode; }

// ---------------------------------------------------------------------------------
// Life

CFrame::CFrame(const Rect& size, void* parentHandle, FrameEditor* frameEditor)
    : CViewContainer(size, nullptr), editor(frameEditor) {
    initialise();
    parentWindow = pf::windowFromHandle(parentHandle);
    createFrameWindow(parentWindow);
}

CFrame::CFrame(const Rect& size, const char* title, FrameEditor* frameEditor, std::int32_t style)
    : CViewContainer(size, nullptr), editor(frameEditor) {
    initialise();
    windowOpen = false;
    hostWindowMode = true;
    // The description the host opens its window from; the tail stays zero.
    descriptor = std::make_unique<HostWindowDescriptor>();
    HostWindowDescriptor& d = *descriptor;
    if (title != nullptr)
        std::memcpy(&d[kDescriptorTitle], title, std::min(std::strlen(title), kDescriptorTitleSize - 1));
    const std::int16_t place[] = {std::int16_t(bounds.left), std::int16_t(bounds.top),
                                  std::int16_t(bounds.getWidth()), std::int16_t(bounds.getHeight())};
    std::memcpy(&d[kDescriptorX], place, sizeof place);
    std::memcpy(&d[kDescriptorStyle], &style, sizeof style);
}

void CFrame::initialise() {
    // The frame is its own owning frame.
    owningFrame = this;
    // Keyed and blended drawing find their functions in the image library, if any.
    imageLibrary = lookUpOptionalBlendFunctions();
}

CFrame::~CFrame() {
    // 1. The exclusive view stays its creator's.
    if (exclusiveView != nullptr) {
        CView* modal = exclusiveView;
        exclusiveView = nullptr;
        removeChild(modal, false);
    }
    // 2. The cursor that was in effect before the frame changed it.
    pf::setCursor(savedCursor.value_or(pf::getCursor()));
    // 3. No more drops.
    if (dropEnabled && window != nullptr) dropEnabled = false;
    // 4.
    if (imageLibrary != nullptr) pf::freeLibrary(imageLibrary);
    imageLibrary = nullptr;
    // 5. The window goes without telling this frame.
    if (window != nullptr) destroyFrameWindow();
    // 6. The host's window, in host-window mode.
    if (hostWindowMode) {
        closeHostWindow();
        descriptor.reset();
    }
    // 7. Every view, while the frame is still whole for them.
    keyFocusView = nullptr;
    removeAllChildren(true);
    dropBackBuffer();
}

bool CFrame::createFrameWindow(pf::Window* parent) {
    if (parent == nullptr) return false;
    // A window its host destroyed is dead but still ours to release.
    if (window != nullptr) destroyFrameWindow();
    const std::string& className = frameWindowClassName();
    if (frameWindows == 0) {
        if (!pf::registerWindowClass({className, &CFrame::windowProcedure, pf::Cursor::Arrow, pf::kClassGlobal}) &&
            !pf::isWindowClassRegistered(className))
            return false;
        swapButtons = pf::getSystemMetric(pf::SystemMetric::SwapButtons) > 0;
    }
    window = pf::createWindow({className, kFrameWindowTitle, pf::kStyleChild | pf::kStyleVisible, {0, 0},
                               {bounds.getWidth(), bounds.getHeight()}, parent});
    if (window == nullptr) {
        if (frameWindows == 0) pf::unregisterWindowClass(className);
        return false;
    }
    ++frameWindows;
    pf::setWindowUserData(window, this);
    setDropEnabled(true);
    return true;
}

void CFrame::destroyFrameWindow() {
    pf::setWindowUserData(window, nullptr);
    pf::destroyWindow(window);
    window = nullptr;
    if (--frameWindows == 0) pf::unregisterWindowClass(frameWindowClassName());
}

// ---------------------------------------------------------------------------------
// The window procedure

std::intptr_t CFrame::windowProcedure(pf::Window* w, pf::Message message, std::uintptr_t first,
                                      std::intptr_t second) {
    auto* frame = static_cast<CFrame*>(pf::windowUserData(w));
    if (frame == nullptr) return pf::defaultWindowProcedure(w, message, first, second);
    switch (message) {
        case pf::Message::Paint:
            if (!pf::getUpdateRect(w, nullptr)) break;
            return frame->handlePaint();
        case pf::Message::LeftButtonDown:
        case pf::Message::MiddleButtonDown:
        case pf::Message::RightButtonDown:
            return frame->handleButtonDown(second);
        case pf::Message::MouseWheel:
            frame->handleWheel(first, second);
            break;  // the host hears of the wheel as well
        case pf::Message::DrawItem:
            if (second != 0 && frame->handleDrawItem(*reinterpret_cast<pf::DrawItemRecord*>(second)))
                return 1;
            break;
        case pf::Message::MeasureItem:
            if (second != 0 && frame->handleMeasureItem(*reinterpret_cast<pf::MeasureItemRecord*>(second)))
                return 1;
            break;
        case pf::Message::EditColor:
            if (const std::intptr_t brush = frame->handleEditColor(reinterpret_cast<pf::DeviceContext*>(first)))
                return brush;
            break;
        case pf::Message::Destroy:
            frame->setWindowOpen(false);
            frame->parentWindow = nullptr;
            break;
        default:
            break;
    }
    return pf::defaultWindowProcedure(w, message, first, second);
}

std::intptr_t CFrame::handlePaint() {
    pf::PaintRecord record;
    if (!pf::beginPaint(window, record)) return 0;
    {
        // The context lets go of the device context's objects before painting ends.
        CPaintContext context(this, record.dc, window);
        paintRect(&context, toRect(record.paintRect));
    }
    pf::endPaint(window, record);
    return 0;
}

std::intptr_t CFrame::handleButtonDown(std::intptr_t position) {
    CPaintContext context(this, nullptr, window);
    const auto packed = static_cast<std::uintptr_t>(position);
    onMouseDown(&context, {pf::lowWord(packed), pf::highWord(packed)}, kPollButtonState);
    return 0;
}

std::intptr_t CFrame::handleWheel(std::uintptr_t first, std::intptr_t second) {
    CPaintContext context(this, nullptr, window);
    const auto packed = static_cast<std::uintptr_t>(second);
    pf::PixelPoint where{pf::signedLowWord(packed), pf::signedHighWord(packed)};
    pf::mapWindowPoints(nullptr, window, {&where, 1});
    const float distance = float(pf::signedHighWord(first)) * kWheelDistancePerUnit;
    onWheelTurn(&context, {where.x, where.y}, distance);
    return 0;
}

std::intptr_t CFrame::handleDrawItem(pf::DrawItemRecord& item) {
    if (item.controlType != pf::OwnerDrawType::Menu || item.itemData == 0) return 0;
    auto* source = dynamic_cast<MenuItemRendererSource*>(keyFocusView);
    MenuItemRenderer* renderer = source != nullptr ? source->getMenuItemRenderer() : nullptr;
    if (renderer == nullptr) return 0;
    std::int32_t state = 0;
    if (item.itemState & pf::kItemChecked) state |= kMenuItemChecked;
    if (item.itemState & pf::kItemDisabled) state |= kMenuItemDisabled;
    if (item.itemState & pf::kItemSelected) state |= kMenuItemSelected;
    Rect rect = toRect(item.itemRect);
    rect.bottom += 1;
    CPaintContext context(this, item.dc, nullptr);
    renderer->drawItem(reinterpret_cast<const char*>(item.itemData), std::int32_t(item.itemId), state,
                       &context, rect);
    return 1;
}

std::intptr_t CFrame::handleMeasureItem(pf::MeasureItemRecord& item) {
    if (item.controlType != pf::OwnerDrawType::Menu || item.itemData == 0) return 0;
    auto* source = dynamic_cast<MenuItemRendererSource*>(keyFocusView);
    MenuItemRenderer* renderer = source != nullptr ? source->getMenuItemRenderer() : nullptr;
    if (renderer == nullptr) return 0;
    CPaintContext context(this, nullptr, window);
    Point size{item.itemWidth, item.itemHeight};
    renderer->measureItem(reinterpret_cast<const char*>(item.itemData), &context, size);
    item.itemWidth = size.h;
    item.itemHeight = size.v;
    return 1;
}

std::intptr_t CFrame::handleEditColor(pf::DeviceContext* dc) {
    auto* source = dynamic_cast<EditColorSource*>(keyFocusView);
    if (source == nullptr) return 0;
    const Color box = source->getBoxColor();
    if (dc != nullptr) {
        dc->setTextColor(toPlatformColor(source->getValueTextColor()));
        dc->setBackgroundColor(toPlatformColor(box));
    }
    std::unique_ptr<pf::Brush>& slot = source->editBrush();
    slot = pf::Brush::create({pf::BrushStyle::Solid, toPlatformColor(box)});
    return reinterpret_cast<std::intptr_t>(slot.get());
}

// ---------------------------------------------------------------------------------
// Painting

CPaintContext* CFrame::acquirePaintContext() { return new CPaintContext(this, nullptr, window); }

void CFrame::paint(CPaintContext* context) {
    firstPaintPending = false;
    CViewContainer::paint(context);
}

void CFrame::paintRect(CPaintContext* context, const Rect& rect) {
    firstPaintPending = false;
    CPaintContext* acquired = context == nullptr ? acquirePaintContext() : nullptr;
    if (acquired != nullptr) context = acquired;
    Rect localClip;
    context->getClip(localClip);
    Rect clip = rect;
    context->setClip(clip.clipTo(localClip));
    CViewContainer::paintRect(context, rect);
    context->setClip(localClip);
    if (acquired != nullptr) acquired->release();
}

void CFrame::refresh(CPaintContext* context) {
    // 1.
    if (!windowOpen) return;
    CPaintContext* acquired = context == nullptr ? acquirePaintContext() : nullptr;
    if (acquired != nullptr) context = acquired;
    if (redrawNeeded) {
        // 2. The whole frame.
        paint(context);
        setNeedsRedraw(false);
    } else {
        // 3.-6. Each child that needs it, within its bounds.
        Rect localClip;
        context->getClip(localClip);
        if (exclusiveView != nullptr && exclusiveView->needsRedraw()) exclusiveView->refresh(context);
        for (std::size_t i = 0; i < children.size(); ++i) {
            CView* child = children[i];
            Rect clip;
            child->getBounds(clip);
            context->setClip(clip.clipTo(localClip));
            child->refresh(context);
        }
        context->setClip(localClip);
    }
    if (acquired != nullptr) acquired->release();
}

void CFrame::onIdle() {
    if (!windowOpen || firstPaintPending || !needsRedraw()) return;
    CPaintContext* context = acquirePaintContext();
    refresh(context);
    context->release();
}

void CFrame::paintNow(CView* view) {
    if (view != nullptr && !hasChild(view)) view = nullptr;
    CPaintContext* context = acquirePaintContext();
    if (context->getPlatformDC() != nullptr) {
        if (view != nullptr)
            view->paint(context);
        else
            paint(context);
    }
    context->release();
}

void CFrame::markDirtyInRect(const Rect& rect) {
    for (CView* child : children) {
        Rect childBounds;
        if (child->getBounds(childBounds).overlaps(rect)) child->setNeedsRedraw(true);
    }
}

// ---------------------------------------------------------------------------------
// Events

void CFrame::onMouseDown(CPaintContext* context, Point where, std::int32_t buttons) {
    // 1. Any click in the frame ends the key focus.
    if (keyFocusView != nullptr) {
        keyFocusView->onFocusLost(nullptr);
        keyFocusView = nullptr;
    }
    // 2.
    if (buttons == kPollButtonState && context != nullptr) buttons = context->getButtonState();
    // 3. The exclusive view takes its clicks and drops every other.
    if (exclusiveView != nullptr) {
        if (exclusiveView->containsMousePoint(where, buttons))
            exclusiveView->onMouseDown(context, where, buttons);
        return;
    }
    // 4.
    CViewContainer::onMouseDown(context, where, buttons);
}

std::int32_t CFrame::onKeyPress(EditorKeyRecord& key) {
    if (keyFocusView != nullptr) {
        const std::int32_t answer = keyFocusView->onKeyPress(key);
        if (answer != -1) return answer;
    }
    if (exclusiveView != nullptr) {
        const std::int32_t answer = exclusiveView->onKeyPress(key);
        if (answer != -1) return answer;
    }
    return CViewContainer::onKeyPress(key);
}

std::int32_t CFrame::onKeyRelease(EditorKeyRecord& key) {
    if (keyFocusView != nullptr) {
        const std::int32_t answer = keyFocusView->onKeyRelease(key);
        if (answer != -1) return answer;
    }
    if (exclusiveView != nullptr) {
        const std::int32_t answer = exclusiveView->onKeyRelease(key);
        if (answer != -1) return answer;
    }
    return CViewContainer::onKeyRelease(key);
}

bool CFrame::onWheelTurn(CPaintContext* context, Point where, float distance) {
    CView* target = exclusiveView != nullptr ? exclusiveView : childAtPoint(where);
    if (target == nullptr) return false;
    CPaintContext* acquired = context == nullptr ? acquirePaintContext() : nullptr;
    const bool handled = target->onWheelTurn(acquired != nullptr ? acquired : context, where, distance);
    if (acquired != nullptr) acquired->release();
    return handled;
}

// ---------------------------------------------------------------------------------
// Views the frame holds on to

void CFrame::removeChild(CView* view, bool releaseIt) {
    CViewContainer::removeChild(view, releaseIt);
    // Only the address is compared: the view may be gone.
    if (view == nullptr || hasChild(view)) return;
    if (keyFocusView == view) keyFocusView = nullptr;
    if (exclusiveView == view) exclusiveView = nullptr;
}

bool CFrame::setExclusiveView(CView* view) {
    if (view != nullptr && exclusiveView != nullptr) return false;
    if (exclusiveView != nullptr) {
        CView* previous = exclusiveView;
        exclusiveView = nullptr;
        removeChild(previous, false);
    }
    exclusiveView = view;
    if (view != nullptr) addChild(view);
    return true;
}

CView* CFrame::getExclusiveView() { return exclusiveView; }

void CFrame::setKeyFocusView(CView* view) {
    CView* previous = keyFocusView;
    keyFocusView = view;
    if (previous != nullptr) previous->onFocusLost(nullptr);
}

CView* CFrame::getKeyFocusView() { return keyFocusView; }

CView* CFrame::getViewUnderMouse() {
    if (exclusiveView != nullptr) return exclusiveView;
    Point where;
    getMouseInWindow(where);
    where.h -= bounds.left;
    where.v -= bounds.top;
    for (std::size_t i = children.size(); i-- > 0;) {
        Rect area;
        if (where.liesWithin(children[i]->getMouseArea(area))) return children[i];
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------
// The editor, the window and the mouse

FrameEditor* CFrame::getOwningEditor() { return editor; }

bool CFrame::isOfKind(const char* name) {
    return name != nullptr && (std::strcmp(name, "CFrame") == 0 || CViewContainer::isOfKind(name));
}

void CFrame::setBounds(const Rect& size) { resizeWindow(size.getWidth(), size.getHeight()); }

bool CFrame::isWindowOpen() { return windowOpen; }

bool CFrame::getWindowOpen() { return windowOpen; }

void CFrame::setWindowOpen(bool open) { windowOpen = open; }

void CFrame::idleHost() {
    if (editor != nullptr) editor->idleWhileTracking();
}

std::uint32_t CFrame::getMilliseconds() { return editor != nullptr ? pf::tickCount() : 0; }

std::int32_t CFrame::getKnobDragMode() { return knobDragMode; }

void CFrame::notifyEditBegin(std::int32_t index) {
    if (editor != nullptr) editor->notifyEditBegin(index);
}

void CFrame::notifyEditEnd(std::int32_t index) {
    if (editor != nullptr) editor->notifyEditEnd(index);
}

bool CFrame::getMouseInWindow(Point& point) {
    const pf::PixelPoint cursor = pf::getCursorPosition();
    point = {cursor.x, cursor.y};
    pf::PixelRect place;
    if (window != nullptr && pf::getWindowRect(window, place)) {
        point.h -= place.left;
        point.v -= place.top;
    }
    return true;
}

void CFrame::setMouseCursor(std::int32_t type) {
    if (!savedCursor) savedCursor = pf::getCursor();
    switch (type) {
        case kCursorWait: pf::setCursor(pf::Cursor::Wait); break;
        case kCursorResizeHorizontal: pf::setCursor(pf::Cursor::ResizeHorizontal); break;
        case kCursorResizeVertical: pf::setCursor(pf::Cursor::ResizeVertical); break;
        case kCursorMove: pf::setCursor(pf::Cursor::Move); break;
        case kCursorResizeDiagonalRising: pf::setCursor(pf::Cursor::ResizeDiagonalRising); break;
        case kCursorResizeDiagonalFalling: pf::setCursor(pf::Cursor::ResizeDiagonalFalling); break;
        default: pf::setCursor(*savedCursor); break;
    }
}

bool CFrame::setDropEnabled(bool enabled) {
    if (!dropEnabled && !enabled) return true;
    if (window == nullptr) return false;
    dropEnabled = enabled;
    return true;
}

bool CFrame::isDropEnabled() { return dropEnabled; }

}  // namespace orbitone
