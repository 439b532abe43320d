#include "view_container.h"

#include <algorithm>
#include <cstring>

#include "back_buffer.h"
#include "frame.h"
#include "image.h"
#include "paint_context.h"

namespace orbitone {

class CViewContainer::ShiftedContext {
public:
    ShiftedContext(CPaintContext* context, Point by) : context_(context) {
        if (context_ == nullptr) return;
        savedOrigin_ = context_->windowOrigin;
        savedOffset_ = context_->offset;
        context_->windowOrigin.h += by.h;
        context_->windowOrigin.v += by.v;
        context_->offset.h += by.h;
        context_->offset.v += by.v;
    }
    ~ShiftedContext() {
        if (context_ == nullptr) return;
        context_->windowOrigin = savedOrigin_;
        context_->offset = savedOffset_;
    }
    ShiftedContext(const ShiftedContext&) = delete;
    ShiftedContext& operator=(const ShiftedContext&) = delete;

private:
    CPaintContext* context_;
    Point savedOrigin_;
    Point savedOffset_;
};

namespace {

Rect clipped(Rect r, const Rect& to) { return r.clipTo(to); }

Rect moved(Rect r, std::int32_t dx, std::int32_t dy) { return r.offsetBy(dx, dy); }

}  // namespace

CViewContainer::CViewContainer(const Rect& size, CFrame* frame, CImage* image) : CView(size) {
    owningFrame = frame;
    if (image != nullptr) {
        image->retain();
        backgroundImage = image;
    }
}

CViewContainer::~CViewContainer() {
    removeAllChildren(true);
    dropBackBuffer();
}

// ---------------------------------------------------------------------------------
// Children

void CViewContainer::addChildAt(CView* view, const Rect& area, bool active) {
    if (view == nullptr) return;
    view->setMouseActive(active);
    view->setMouseArea(area);
    addChild(view);
}

void CViewContainer::addChild(CView* view) {
    if (view == nullptr) return;
    children.push_back(view);
    view->retain();
    view->setOwningFrame(owningFrame);
    view->setParent(this);
    view->onAddedTo(this);
    view->setNeedsRedraw(true);
}

void CViewContainer::letGo(std::size_t index, bool releaseIt) {
    CView* view = children[index];
    children.erase(children.begin() + std::ptrdiff_t(index));
    // A drag cannot stay over a view that is gone.
    if (view == dragOverChild && !hasChild(view)) dragOverChild = nullptr;
    view->onRemovedFrom(this);
    if (releaseIt) view->release();
    view->release();
}

void CViewContainer::removeChild(CView* view, bool releaseIt) {
    const auto entry = std::find(children.begin(), children.end(), view);
    if (view == nullptr || entry == children.end()) return;
    letGo(std::size_t(entry - children.begin()), releaseIt);
}

void CViewContainer::removeAllChildren(bool releaseThem) {
    // One at a time from the front: a child let go of may still change the list.
    while (!children.empty()) letGo(0, releaseThem);
}

bool CViewContainer::hasChild(CView* view) {
    return view != nullptr && std::find(children.begin(), children.end(), view) != children.end();
}

std::int32_t CViewContainer::getChildCount() { return std::int32_t(children.size()); }

CView* CViewContainer::getChildAt(std::int32_t index) {
    if (index < 0 || std::size_t(index) >= children.size()) return nullptr;
    return children[std::size_t(index)];
}

CView* CViewContainer::childAtPoint(Point where) {
    if (owningFrame == nullptr) return nullptr;
    const Point local{where.h - bounds.left, where.v - bounds.top};
    for (std::size_t i = children.size(); i-- > 0;) {
        Rect area;
        if (local.liesWithin(children[i]->getMouseArea(area))) return children[i];
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------
// Settings

void CViewContainer::setBackgroundFill(Color color) { backgroundFill = color; }

Color CViewContainer::getBackgroundFill() { return backgroundFill; }

void CViewContainer::setBackgroundImageOffset(Point offset) { backgroundImageOffset = offset; }

Point CViewContainer::getBackgroundImageOffset() { return backgroundImageOffset; }

void CViewContainer::setRefreshMode(std::int32_t mode) { refreshMode = mode; }

std::int32_t CViewContainer::getRefreshMode() { return refreshMode; }

void CViewContainer::setBackBuffered(bool buffered) {
    backBuffered = buffered;
    if (!buffered) dropBackBuffer();
}

void CViewContainer::makeBackBuffer() {
    backBuffer = new CBackBuffer(owningFrame, bounds.getWidth(), bounds.getHeight(), colorBlack);
}

void CViewContainer::dropBackBuffer() {
    if (backBuffer == nullptr) return;
    backBuffer->release();
    backBuffer = nullptr;
}

void CViewContainer::setBounds(const Rect& size) {
    bounds = size;
    setNeedsRedraw(true);
    if (backBuffer != nullptr && backBuffered) {
        dropBackBuffer();
        makeBackBuffer();
    }
}

bool CViewContainer::onRemovedFrom(CView*) {
    dropBackBuffer();
    return true;
}

bool CViewContainer::onAddedTo(CView*) {
    if (backBuffered && backBuffer == nullptr) makeBackBuffer();
    return true;
}

std::int32_t CViewContainer::onMessage(CView*, const char* message) {
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

bool CViewContainer::isOfKind(const char* name) {
    return name != nullptr && (std::strcmp(name, "CViewContainer") == 0 || CView::isOfKind(name));
}

bool CViewContainer::needsRedraw() {
    if (redrawNeeded) return true;
    return std::any_of(children.begin(), children.end(), [](CView* v) { return v->needsRedraw(); });
}

// ---------------------------------------------------------------------------------
// Painting

CViewContainer::PaintTarget CViewContainer::beginPaint(CPaintContext& context) {
    PaintTarget target;
    // 1. The back buffer is made on demand.
    if (backBuffered && backBuffer == nullptr) makeBackBuffer();
    // 2. Draw into the back buffer, or into the context moved to our own coordinates.
    if (backBuffered) {
        target.context = backBuffer;
    } else {
        target.context = &context;
        target.savedOrigin = context.windowOrigin;
        target.savedOffset = context.offset;
        context.windowOrigin.h += bounds.left;
        context.windowOrigin.v += bounds.top;
        context.offset.h += bounds.left;
        context.offset.v += bounds.top;
    }
    // 3. The given context's clip in our coordinates. Unbuffered, the shift above did
    //    that; buffered, the context still has our parent's coordinates. (The frame is
    //    its own parent's coordinates: its top-left is the window's.)
    Rect clip;
    context.getClip(clip);
    target.savedClip = clip;
    if (backBuffered && static_cast<CView*>(owningFrame) != this)
        clip.offsetBy(-bounds.left, -bounds.top);
    target.clipLocal = clip;
    return target;
}

void CViewContainer::finishPaint(CPaintContext& context, PaintTarget& target) {
    target.context->setClip(target.savedClip);
    if (!backBuffered) {
        context.windowOrigin = target.savedOrigin;
        context.offset = target.savedOffset;
    }
}

void CViewContainer::paint(CPaintContext* context) {
    if (context == nullptr) return;
    PaintTarget target = beginPaint(*context);
    CPaintContext& into = *target.context;
    // 4. Our own area, within the clip.
    const Rect local{0, 0, bounds.getWidth(), bounds.getHeight()};
    into.setClip(clipped(local, target.clipLocal));
    // 5. The background: the image (keyed when transparent), else the fill colour.
    if (backgroundImage != nullptr) {
        if (transparent)
            backgroundImage->drawImageKeyed(into, local, backgroundImageOffset);
        else
            backgroundImage->drawImage(into, local, backgroundImageOffset);
    } else if (!transparent) {
        into.setBrushColor(backgroundFill);
        into.fillRectInterior(local);
    }
    // 6. The children, first to last, each clipped to its bounds.
    for (std::size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        Rect childBounds;
        into.setClip(clipped(child->getBounds(childBounds), target.clipLocal));
        child->paint(&into);
    }
    // 7., 8. Restore the clip; show the buffer in one copy.
    finishPaint(*context, target);
    if (backBuffered)
        backBuffer->copyRectTo(*context, moved(local, bounds.left, bounds.top), {0, 0});
    // 9.
    setNeedsRedraw(false);
}

void CViewContainer::paintRect(CPaintContext* context, const Rect& rect) {
    if (context == nullptr) return;
    PaintTarget target = beginPaint(*context);
    CPaintContext& into = *target.context;
    // 2. What is asked for, in our parent's and in our own coordinates.
    const Rect update = clipped(rect, bounds);
    const Rect localUpdate = moved(update, -bounds.left, -bounds.top);
    // 4., 5. The background under it.
    const Rect drawClip = clipped(localUpdate, target.clipLocal);
    into.setClip(drawClip);
    paintBackground(&into, localUpdate);
    // 6. The children it touches, first to last.
    for (std::size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        if (!child->intersectsRect(localUpdate)) continue;
        Rect childBounds;
        into.setClip(clipped(child->getBounds(childBounds), drawClip));
        child->paintRect(&into, localUpdate);
    }
    // 7., 8. Restore the clip; show what was asked for in one copy.
    finishPaint(*context, target);
    if (backBuffered) backBuffer->copyRectTo(*context, update, {localUpdate.left, localUpdate.top});
    // 9.
    setNeedsRedraw(false);
}

void CViewContainer::paintBackground(CPaintContext* context, const Rect& rect) {
    if (context == nullptr) return;
    if (backgroundImage != nullptr) {
        Rect clipLocal;
        context->getClip(clipLocal);
        context->setClip(clipped(rect, clipLocal));
        const Rect whole{0, 0, backgroundImage->getPixelWidth(), backgroundImage->getPixelHeight()};
        if (transparent)
            backgroundImage->drawImageKeyed(*context, whole, backgroundImageOffset);
        else
            backgroundImage->drawImage(*context, whole, backgroundImageOffset);
        context->setClip(clipLocal);
    } else if (!transparent) {
        context->setBrushColor(backgroundFill);
        context->fillRectInterior(rect);
    }
}

void CViewContainer::repaintRect(CPaintContext* context, const Rect& rect) {
    const Rect r = moved(rect, bounds.left, bounds.top);
    if (!transparent)
        paintRect(context, r);
    else if (parent != nullptr)
        parent->repaintRect(context, r);
    else if (owningFrame != nullptr)
        owningFrame->paintRect(context, r);
}

void CViewContainer::refresh(CPaintContext* context) {
    const Rect local{0, 0, bounds.getWidth(), bounds.getHeight()};
    switch (refreshMode) {
        case kRefreshWhole:
            if (!needsRedraw()) return;
            repaintRect(context, local);
            setNeedsRedraw(false);
            return;
        case kRefreshDirtyChildren:
            if (redrawNeeded) {
                repaintRect(context, local);
                setNeedsRedraw(false);
                return;
            }
            for (std::size_t i = 0; i < children.size(); ++i) {
                CView* child = children[i];
                if (!child->needsRedraw() || !child->intersectsRect(local)) continue;
                if (child->onMessage(this, kMsgCheckIfViewContainer) != 0) {
                    child->refresh(context);
                } else {
                    Rect childBounds;
                    child->repaintRect(context, clipped(child->getBounds(childBounds), local));
                }
            }
            setNeedsRedraw(false);
            return;
        default:
            return;
    }
}

// ---------------------------------------------------------------------------------
// Events

void CViewContainer::onMouseDown(CPaintContext* context, Point where, std::int32_t buttons) {
    const Point local{where.h - bounds.left, where.v - bounds.top};
    if (buttons == kPollButtonState && context != nullptr) buttons = context->getButtonState();
    // Topmost first. The context is passed on as it is: views ask getMousePosition.
    for (std::size_t i = children.size(); i-- > 0;) {
        CView* child = children[i];
        if (child->isMouseActive() && child->containsMousePoint(local, buttons)) {
            child->onMouseDown(context, local, buttons);
            return;
        }
    }
}

std::int32_t CViewContainer::onKeyPress(EditorKeyRecord& key) {
    for (std::size_t i = children.size(); i-- > 0;) {
        if (i >= children.size()) continue;  // a handler took children away
        const std::int32_t answer = children[i]->onKeyPress(key);
        if (answer != -1) return answer;
    }
    return -1;
}

std::int32_t CViewContainer::onKeyRelease(EditorKeyRecord& key) {
    for (std::size_t i = children.size(); i-- > 0;) {
        if (i >= children.size()) continue;
        const std::int32_t answer = children[i]->onKeyRelease(key);
        if (answer != -1) return answer;
    }
    return -1;
}

bool CViewContainer::onWheelTurn(CPaintContext* context, Point where, float distance) {
    CView* child = childAtPoint(where);
    if (child == nullptr) return false;
    ShiftedContext shifted(context, {bounds.left, bounds.top});
    return child->onWheelTurn(context, {where.h - bounds.left, where.v - bounds.top}, distance);
}

void CViewContainer::onDragEntering(CPaintContext* context, CDropPayload* payload, Point where) {
    if (owningFrame == nullptr) return;
    CView* under = childAtPoint(where);
    ShiftedContext shifted(context, {bounds.left, bounds.top});
    const Point local{where.h - bounds.left, where.v - bounds.top};
    if (dragOverChild != nullptr) dragOverChild->onDragLeaving(context, payload, local);
    dragOverChild = under;
    if (dragOverChild != nullptr) dragOverChild->onDragEntering(context, payload, local);
}

void CViewContainer::onDragMoving(CPaintContext* context, CDropPayload* payload, Point where) {
    if (owningFrame == nullptr) return;
    CView* under = childAtPoint(where);
    ShiftedContext shifted(context, {bounds.left, bounds.top});
    const Point local{where.h - bounds.left, where.v - bounds.top};
    if (under != dragOverChild) {
        if (dragOverChild != nullptr) dragOverChild->onDragLeaving(context, payload, local);
        if (under != nullptr) under->onDragEntering(context, payload, local);
        dragOverChild = under;
    } else if (dragOverChild != nullptr) {
        dragOverChild->onDragMoving(context, payload, local);
    }
}

void CViewContainer::onDragLeaving(CPaintContext* context, CDropPayload* payload, Point where) {
    if (owningFrame == nullptr) return;
    ShiftedContext shifted(context, {bounds.left, bounds.top});
    const Point local{where.h - bounds.left, where.v - bounds.top};
    if (dragOverChild != nullptr) dragOverChild->onDragLeaving(context, payload, local);
    dragOverChild = nullptr;
}

bool CViewContainer::onDropItems(CPaintContext* context, CDropPayload* payload, Point where) {
    if (owningFrame == nullptr) return false;
    CView* under = childAtPoint(where);
    ShiftedContext shifted(context, {bounds.left, bounds.top});
    const Point local{where.h - bounds.left, where.v - bounds.top};
    if (under != dragOverChild) {
        if (dragOverChild != nullptr) dragOverChild->onDragLeaving(context, payload, local);
        dragOverChild = under;
    }
    if (dragOverChild == nullptr) return false;
    const bool taken = dragOverChild->onDropItems(context, payload, local);
    // The drag is over for the child; a later drag entering must not tell it again.
    CView* leaving = dragOverChild;
    dragOverChild = nullptr;
    leaving->onDragLeaving(context, payload, local);
    return taken;
}

void CViewContainer::onFocusLost(CPaintContext* context) {
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->onFocusLost(context);
}

void CViewContainer::onFocusGained(CPaintContext* context) {
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->onFocusGained(context);
}

}  // namespace orbitone
