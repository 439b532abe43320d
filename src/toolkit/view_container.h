// CViewContainer: a view that owns an ordered list of child views, paints a background
// (an image or a colour) under them, routes events to them and, unless told otherwise,
// composes its whole area in a back buffer before one copy to the screen.
//
// Children are placed in the container's own coordinates (its top-left is (0, 0)).
// They are painted first to last and offered events last to first, so the child added
// last is on top.
//
// [ui thread] Adding a child takes a reference; removing it with releaseIt gives back
// both the container's reference and the one the creator handed over with the view.
#pragma once

#include <cstdint>
#include <vector>

#include "color.h"
#include "view.h"

namespace orbitone {

class CBackBuffer;

// Refresh modes: how refresh repaints a dirty container.
inline constexpr std::int32_t kRefreshWhole = 0;          // the whole container
inline constexpr std::int32_t kRefreshDirtyChildren = 1;  // only its dirty children
// Any other mode: refresh never repaints the container.

class CViewContainer : public CView {
public:
    // `frame` is the owning frame (null until the container is added somewhere); the
    // background image, when given, gets a reference of the container's.
    CViewContainer(const Rect& size, CFrame* frame, CImage* backgroundImage = nullptr);

    // ---- overrides of CView ---------------------------------------------------------
    // Removes every child with release, then drops the back buffer.
    ~CViewContainer() override;
    // Background, then every child, through the back buffer when back-buffered.
    void paint(CPaintContext* context) override;
    // Only what lies in `rect` (the container's parent's coordinates).
    void paintRect(CPaintContext* context, const Rect& rect) override;
    // To the topmost mouse-active child under `where`.
    void onMouseDown(CPaintContext* context, Point where, std::int32_t buttons) override;
    // 1 for kMsgCheckIfViewContainer (by address), else 0.
    std::int32_t onMessage(CView* sender, const char* message) override;
    // Children last to first; the first answer other than -1 wins.
    std::int32_t onKeyPress(EditorKeyRecord& key) override;
    std::int32_t onKeyRelease(EditorKeyRecord& key) override;
    // To childAtPoint(where), in its coordinates.
    bool onWheelTurn(CPaintContext* context, Point where, float distance) override;
    // Drags go to the child under the mouse (childAtPoint); it hears when the drag
    // leaves it, also after a drop.
    bool onDropItems(CPaintContext* context, CDropPayload* payload, Point where) override;
    void onDragEntering(CPaintContext* context, CDropPayload* payload, Point where) override;
    void onDragLeaving(CPaintContext* context, CDropPayload* payload, Point where) override;
    void onDragMoving(CPaintContext* context, CDropPayload* payload, Point where) override;
    // Passed to every child, first to last.
    void onFocusLost(CPaintContext* context) override;
    void onFocusGained(CPaintContext* context) override;
    // Its own mark or any child's.
    bool needsRedraw() override;
    // Also renews an existing back buffer at the new size.
    void setBounds(const Rect& size) override;
    // Drops the back buffer.
    bool onRemovedFrom(CView* parent) override;
    // Makes the back buffer when back-buffered.
    bool onAddedTo(CView* parent) override;
    // `rect` is in the children's coordinates.
    void repaintRect(CPaintContext* context, const Rect& rect) override;
    bool isOfKind(const char* name) override;
    // By refresh mode, see kRefreshWhole.
    void refresh(CPaintContext* context) override;

    // ---- virtual operations added, in slot order --------------------------------------
    // Sets the view's mouse area and mouse activity, then addChild. A null view: nothing.
    virtual void addChildAt(CView* view, const Rect& mouseArea, bool mouseActive);
    // Appends the view (taking a reference), gives it the container's frame and the
    // container as parent, tells it (onAddedTo) and marks it for redraw. Null: nothing.
    virtual void addChild(CView* view);
    // Lets go of the first entry holding the view (nothing when there is none): tells
    // it (onRemovedFrom), releases it once more when releaseIt, then releases the
    // container's reference.
    virtual void removeChild(CView* view, bool releaseIt);
    virtual void removeAllChildren(bool releaseThem);
    // Direct children only.
    virtual bool hasChild(CView* view);
    virtual std::int32_t getChildCount();
    // 0-based from the first; null out of range.
    virtual CView* getChildAt(std::int32_t index);
    // Painted when there is no background image (and the container is not transparent).
    virtual void setBackgroundFill(Color color);
    virtual Color getBackgroundFill();
    // The pixel of the background image shown at the container's top-left.
    virtual void setBackgroundImageOffset(Point offset);
    virtual Point getBackgroundImageOffset();
    // The background under `rect` (the container's own coordinates).
    virtual void paintBackground(CPaintContext* context, const Rect& rect);
    virtual void setRefreshMode(std::int32_t mode);
    virtual std::int32_t getRefreshMode();
    // Unbuffered containers paint straight into the given context; switching to that
    // drops the back buffer.
    virtual void setBackBuffered(bool buffered);
    // ---------------------------------------------------------------------------------

    // The last child (in list order) whose mouseArea holds `where` (the container's
    // parent's coordinates), counting edges and without asking isMouseActive; null
    // without an owning frame.
    CView* childAtPoint(Point where);
    bool isBackBuffered() const { return backBuffered; }
    CBackBuffer* getBackBuffer() const { return backBuffer; }

protected:
    // The target of a paint: the back buffer, or the context shifted to the container's
    // own coordinates (and put back by finishPaint).
    struct PaintTarget {
        CPaintContext* context = nullptr;
        Point savedOrigin;
        Point savedOffset;
        Rect savedClip;  // the clip to leave in the target afterwards
        Rect clipLocal;  // the given context's clip, in the container's coordinates
    };
    PaintTarget beginPaint(CPaintContext& context);
    void finishPaint(CPaintContext& context, PaintTarget& target);
    void makeBackBuffer();
    void dropBackBuffer();
    // Shifts the context's windowOrigin and offset by the container's top-left for the
    // life of the object.
    class ShiftedContext;

    std::vector<CView*> children;  // each holds a reference of the container's
    std::int32_t refreshMode = kRefreshWhole;
    CBackBuffer* backBuffer = nullptr;  // owned
    Color backgroundFill = colorBlack;
    Point backgroundImageOffset;
    bool backBuffered = true;
    CView* dragOverChild = nullptr;  // not owned

private:
    // The entry of the view leaves the list; the view is told and released.
    void letGo(std::size_t index, bool releaseIt);
};

}  // namespace orbitone
