// CView: the base of everything the editor shows. A rectangle in its parent's
// coordinates that paints itself, takes mouse, wheel, key and drag events, and can be
// marked for redraw.
//
// [ui thread] Views are reference counted: whoever creates one with `new` holds the
// first reference, and handing it to a container (addChild) hands that reference over
// too; the container releases both when it lets go of the view.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "ref_counted.h"

namespace orbitone {

class CFrame;
class CImage;
class CPaintContext;
class CDropPayload;
class FrameEditor;
struct EditorKeyRecord;

// Messages between views are text pointers compared by address, never by content. Every
// container (and so the frame) answers this one with 1, every plain view with 0.
inline constexpr const char kMsgCheckIfViewContainer[] = "kMsgCheckIfViewContainer";

class CView : public CRefCounted {
public:
    // bounds and mouseArea both become `size`; mouse active, not transparent, no
    // background image, no frame and no parent yet.
    explicit CView(const Rect& size);

    // ---- virtual operations, in slot order ------------------------------------------
    // Releases the background image.
    ~CView() override;
    // Draws the view; the default only clears the redraw mark.
    virtual void paint(CPaintContext* context);
    // Draws the part of the view in `rect` (the parent's coordinates); the default draws
    // all of it.
    virtual void paintRect(CPaintContext* context, const Rect& rect);
    // Whether bounds and rect overlap, counting shared edges.
    virtual bool intersectsRect(const Rect& rect);
    // A button went down at `where` (the parent's coordinates). `buttons` holds the
    // button-state bits, or kPollButtonState to poll them.
    virtual void onMouseDown(CPaintContext* context, Point where, std::int32_t buttons);
    // `message` is compared by address; 0 unless the view knows the message.
    virtual std::int32_t onMessage(CView* sender, const char* message);
    // Holds a reference to the new image (null allowed) and drops the old one.
    virtual void setBackgroundImage(CImage* image);
    virtual CImage* getBackgroundImage();
    // The host's key record, passed through unchanged; -1 when not handled.
    virtual std::int32_t onKeyPress(EditorKeyRecord& key);
    virtual std::int32_t onKeyRelease(EditorKeyRecord& key);
    // One notch is 1.0, positive away from the user. True when handled.
    virtual bool onWheelTurn(CPaintContext* context, Point where, float distance);
    virtual bool onDropItems(CPaintContext* context, CDropPayload* payload, Point where);
    virtual void onDragEntering(CPaintContext* context, CDropPayload* payload, Point where);
    virtual void onDragLeaving(CPaintContext* context, CDropPayload* payload, Point where);
    virtual void onDragMoving(CPaintContext* context, CDropPayload* payload, Point where);
    // The context may be null.
    virtual void onFocusLost(CPaintContext* context);
    virtual void onFocusGained(CPaintContext* context);
    virtual bool needsRedraw();
    virtual void setNeedsRedraw(bool needed);
    virtual void setMouseActive(bool active);
    virtual bool isMouseActive();
    virtual void setMouseArea(const Rect& area);
    virtual Rect& getMouseArea(Rect& area);
    // Inside mouseArea or on any of its edges; `buttons` is not consulted.
    virtual bool containsMousePoint(Point where, std::int32_t buttons);
    virtual void setTransparent(bool transparent);
    virtual bool isTransparent();
    // New bounds (mouseArea stays), marked for redraw.
    virtual void setBounds(const Rect& size);
    virtual Rect& getBounds(Rect& size);
    virtual void setParent(CView* parent);
    virtual void setOwningFrame(CFrame* frame);
    // The owning frame's editor; null without a frame.
    virtual FrameEditor* getOwningEditor();
    // Told when a container lets go of the view or takes it; true when accepted.
    virtual bool onRemovedFrom(CView* parent);
    virtual bool onAddedTo(CView* parent);
    // The cursor in the coordinates of the view's parent (those of its bounds), through
    // the context's windowOrigin and the containers above. Nothing for a null context.
    virtual void getMousePosition(CPaintContext* context, Point& point);
    // From the view's own coordinates (its top-left is (0, 0)) to the frame window's.
    virtual void toFramePoint(Point& point);
    // Asks the containers above to repaint `rect` (the parent's coordinates) now.
    virtual void repaintRect(CPaintContext* context, const Rect& rect);
    // Compared by content: "CView" here; subclasses add their own names.
    virtual bool isOfKind(const char* name);
    // Repaints the view when it needs it, through the context or else the frame.
    virtual void refresh(CPaintContext* context);
    // ---------------------------------------------------------------------------------

    CFrame* getOwningFrame() const { return owningFrame; }
    CView* getParent() const { return parent; }

protected:
    // Whether the parent is a container (answers kMsgCheckIfViewContainer).
    bool parentIsContainer();

    Rect bounds;
    Rect mouseArea;
    CFrame* owningFrame = nullptr;  // not owned
    CView* parent = nullptr;        // not owned
    bool redrawNeeded = false;
    bool mouseActive = true;
    bool transparent = false;
    CImage* backgroundImage = nullptr;  // retained while held
};

}  // namespace orbitone
