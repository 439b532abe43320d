// What a frame needs of the editor that owns it. The editor's base class implements
// this; the toolkit knows the editor only through it.
#pragma once

#include <cstdint>

namespace orbitone {

class EffectBaseEx;

class FrameEditor {
public:
    // Called on every pass of a loop that holds the mouse (a drag): lets the editor
    // repaint, dispatch a paint message and let the host idle, throttled. [ui thread]
    virtual void idleWhileTracking() = 0;
    // A user gesture on parameter `index` starts or ends. [ui thread]
    virtual void notifyEditBegin(std::int32_t index) = 0;
    virtual void notifyEditEnd(std::int32_t index) = 0;
    // The effect the editor belongs to, through which the frame makes its requests of
    // the host (window size, host-opened windows); null when there is none.
    virtual EffectBaseEx* getFrameEffect() = 0;

protected:
    ~FrameEditor() = default;
};

}  // namespace orbitone
