// The editor as the host sees it: rectangle, open, close, idle, keys, knob mode, wheel.
#pragma once

#include <cstdint>

#include "relaxed.h"
#include "zyl_abi.h"

namespace orbitone {

class EffectBase;

// The key record the dispatcher builds on its stack for plugOpEditorKeyDown and
// plugOpEditorKeyUp; the editor gets its address and passes it on unchanged.
struct EditorKeyRecord {
    std::int32_t character;    // the request's index
    std::uint8_t virtualKey;   // low byte of the request's value
    std::uint8_t modifiers;    // low byte of the request's option, truncated toward zero
};

// Every operation has a harmless default. All of them run on the host's user-interface
// thread, except parameterChanged, which runs on whichever thread stored the parameter.
//
// The effect owns its editor and deletes it through the virtual destructor.
class EditorBase {
public:
    explicit EditorBase(EffectBase* effect) : effect(effect) {}
    EditorBase(const EditorBase&) = delete;
    EditorBase& operator=(const EditorBase&) = delete;

    // slot 0
    virtual ~EditorBase() = default;

    // slot 1. [ui thread] Stores the address of the editor's rectangle in *out and
    // returns true, or stores null and returns false when the editor has none.
    virtual bool getEditorBounds(zyl::EditorBounds** out);

    // slot 2. [ui thread] Opens the editor inside the host's window `parent`; true when
    // a view exists afterwards.
    virtual bool openEditor(void* parent);

    // slot 3. [ui thread, editor open]
    virtual void closeEditor();

    // slot 4. [ui thread] The host's idle tick.
    virtual void editorIdle();

    // slot 5. [ui thread] Called by editorIdle after requestRefresh.
    virtual void refreshEditor() {}

    // slot 6. [any thread] Asks for a refreshEditor at the next idle tick.
    virtual void requestRefresh() { refreshPending = 1; }

    // slots 7, 8. [ui thread] The key's result for the host, -1 when not handled.
    virtual std::int32_t editorKeyDown(EditorKeyRecord* key) { return -1; }
    virtual std::int32_t editorKeyUp(EditorKeyRecord* key) { return -1; }

    // slot 9. [ui thread] Chooses how knobs follow the mouse; true when accepted.
    virtual bool setKnobDragMode(std::int32_t mode) { return false; }

    // slot 10. [ui thread] A turn of the mouse wheel by `distance`; true when consumed.
    virtual bool editorWheel(float distance) { return false; }

    // slot 11. [ui thread]
    virtual bool isEditorOpen() { return parentWindow != nullptr; }

    // slot 12. [thread of the store] Every parameter store of the effect ends here, with
    // the index and the value stored, whoever stored it. Declared in this base (doing
    // nothing) so that the effect, which only knows an EditorBase, can call it; editors
    // with a panel override it to move their controls.
    virtual void parameterChanged(std::int32_t index, float value) {}

protected:
    EffectBase* effect;           // the owning effect; not owned, never null
    void* parentWindow = nullptr; // the host's window of the last openEditor
    Relaxed<std::int32_t> refreshPending{0};  // set from any thread, cleared at idle
};

}  // namespace orbitone
