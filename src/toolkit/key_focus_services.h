// What the frame's window asks of its key-focus view while that view shows a native
// control: a pop-up menu of owner-drawn items (the option menu) or a single-line edit
// window (the text edit). A view offers these by deriving from the interface; the frame
// finds them with dynamic_cast, so any other view simply does not answer.
#pragma once

#include <cstdint>
#include <memory>

#include "color.h"
#include "geometry.h"
#include "raster.h"

namespace orbitone {

class CPaintContext;

// Menu-item state bits passed to drawItem.
inline constexpr std::int32_t kMenuItemChecked = 1;
inline constexpr std::int32_t kMenuItemDisabled = 2;
inline constexpr std::int32_t kMenuItemSelected = 4;

// Draws and measures owner-drawn menu items. `text` is the item's data: the entry's
// text as the menu was built with it. [ui thread]
class MenuItemRenderer {
public:
    // Fills size.h with the item's width and size.v with its height.
    virtual void measureItem(const char* text, CPaintContext* context, Point& size) = 0;
    virtual void drawItem(const char* text, std::int32_t itemId, std::int32_t state,
                          CPaintContext* context, const Rect& rect) = 0;

protected:
    ~MenuItemRenderer() = default;
};

// A view whose pop-up menu may be owner-drawn.
class MenuItemRendererSource {
public:
    // The renderer of the menu shown now; null when its items are not owner-drawn.
    virtual MenuItemRenderer* getMenuItemRenderer() = 0;

protected:
    ~MenuItemRendererSource() = default;
};

// A view that shows a native edit window and chooses its colours.
class EditColorSource {
public:
    virtual Color getValueTextColor() = 0;
    virtual Color getBoxColor() = 0;
    // The brush the edit window's background is painted with: the frame puts a new one
    // here for every colour request; the view deletes it when editing ends.
    virtual std::unique_ptr<platform::Brush>& editBrush() = 0;

protected:
    ~EditColorSource() = default;
};

}  // namespace orbitone
