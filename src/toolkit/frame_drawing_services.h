// What paint contexts, images and back buffers need of the frame they belong to.
//
// The frame (CFrame) derives from this interface and answers from its own state. Paint
// contexts keep their frame as a pointer to it; code that needs the whole frame
// converts it with static_cast<CFrame*>, which is valid because every such pointer
// comes from a CFrame. Until the frame exists, tests use a stand-in.
#pragma once

#include "geometry.h"
#include "window.h"

namespace orbitone {

class FrameDrawingServices {
public:
    // The frame's bounds (its getBounds): the first clip of its contexts, and what
    // resetClip goes back to. [ui thread]
    virtual Rect frameBounds() const = 0;
    // The frame's window, or null while it has none; back buffers are made compatible
    // with its device context. [ui thread]
    virtual platform::Window* frameWindow() const = 0;

protected:
    ~FrameDrawingServices() = default;
};

}  // namespace orbitone
