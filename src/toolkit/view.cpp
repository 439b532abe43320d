#include "view.h"

#include <cstring>

#include "frame.h"
#include "image.h"
#include "paint_context.h"
#include "windowing.h"

namespace orbitone {

CView::CView(const Rect& size) : bounds(size), mouseArea(size) {}

CView::~CView() {
    if (backgroundImage != nullptr) backgroundImage->release();
}

void CView::paint(CPaintContext*) { setNeedsRedraw(false); }

void CView::paintRect(CPaintContext* context, const Rect&) { paint(context); }

bool CView::intersectsRect(const Rect& rect) { return bounds.overlaps(rect); }

void CView::onMouseDown(CPaintContext*, Point, std::int32_t) {}

std::int32_t CView::onMessage(CView*, const char*) { return 0; }

void CView::setBackgroundImage(CImage* image) {
    // Take the new reference first, so setting the image already held keeps it alive.
    if (image != nullptr) image->retain();
    if (backgroundImage != nullptr) backgroundImage->release();
    backgroundImage = image;
}

CImage* CView::getBackgroundImage() { return backgroundImage; }

std::int32_t CView::onKeyPress(EditorKeyRecord&) { return -1; }

std::int32_t CView::onKeyRelease(EditorKeyRecord&) { return -1; }

bool CView::onWheelTurn(CPaintContext*, Point, float) { return false; }

bool CView::onDropItems(CPaintContext*, CDropPayload*, Point) { return false; }

void CView::onDragEntering(CPaintContext*, CDropPayload*, Point) {}

void CView::onDragLeaving(CPaintContext*, CDropPayload*, Point) {}

void CView::onDragMoving(CPaintContext*, CDropPayload*, Point) {}

void CView::onFocusLost(CPaintContext*) {}

void CView::onFocusGained(CPaintContext*) {}

bool CView::needsRedraw() { return redrawNeeded; }

void CView::setNeedsRedraw(bool needed) { redrawNeeded = needed; }

void CView::setMouseActive(bool active) { mouseActive = active; }

bool CView::isMouseActive() { return mouseActive; }

void CView::setMouseArea(const Rect& area) { mouseArea = area; }

Rect& CView::getMouseArea(Rect& area) {
    area = mouseArea;
    return area;
}

bool CView::containsMousePoint(Point where, std::int32_t) { return where.liesWithin(mouseArea); }

void CView::setTransparent(bool isTransparent) { transparent = isTransparent; }

bool CView::isTransparent() { return transparent; }

void CView::setBounds(const Rect& size) {
    bounds = size;
    setNeedsRedraw(true);
}

Rect& CView::getBounds(Rect& size) {
    size = bounds;
    return size;
}

void CView::setParent(CView* newParent) { parent = newParent; }

void CView::setOwningFrame(CFrame* frame) { owningFrame = frame; }

FrameEditor* CView::getOwningEditor() {
    return owningFrame != nullptr ? owningFrame->getOwningEditor() : nullptr;
}

bool CView::onRemovedFrom(CView*) { return true; }

bool CView::onAddedTo(CView*) { return true; }

bool CView::parentIsContainer() {
    return parent != nullptr && parent->onMessage(this, kMsgCheckIfViewContainer) == 1;
}

void CView::getMousePosition(CPaintContext* context, Point& point) {
    if (context == nullptr) return;
    if (parentIsContainer()) {
        // The parent answers in its own parent's coordinates; seen from here its origin
        // is where the window's would be.
        const Point savedOrigin = context->windowOrigin;
        const Point savedOffset = context->offset;
        Rect parentBounds;
        parent->getBounds(parentBounds);
        context->windowOrigin.h += parentBounds.left;
        context->windowOrigin.v += parentBounds.top;
        context->offset.h += parentBounds.left;
        context->offset.v += parentBounds.top;
        parent->getMousePosition(context, point);
        context->windowOrigin = savedOrigin;
        context->offset = savedOffset;
        return;
    }
    const platform::PixelPoint cursor = platform::getCursorPosition();
    point = {cursor.x - context->windowOrigin.h, cursor.y - context->windowOrigin.v};
}

void CView::toFramePoint(Point& point) {
    point.h += bounds.left;
    point.v += bounds.top;
    if (parentIsContainer()) parent->toFramePoint(point);
}

void CView::repaintRect(CPaintContext* context, const Rect& rect) {
    if (parent != nullptr)
        parent->repaintRect(context, rect);
    else if (owningFrame != nullptr)
        owningFrame->paintRect(context, rect);
}

bool CView::isOfKind(const char* name) { return name != nullptr && std::strcmp(name, "CView") == 0; }

void CView::refresh(CPaintContext* context) {
    if (!needsRedraw()) return;
    if (context != nullptr)
        repaintRect(context, bounds);
    else if (owningFrame != nullptr)
        owningFrame->paintNow(this);
    setNeedsRedraw(false);
}

}  // namespace orbitone
