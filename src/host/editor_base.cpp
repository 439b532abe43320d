#include "editor_base.h"

namespace orbitone {

bool EditorBase::getEditorBounds(zyl::EditorBounds** out) {
    *out = nullptr;
    return false;
}

bool EditorBase::openEditor(void* parent) {
    parentWindow = parent;
    return false;
}

void EditorBase::closeEditor() { parentWindow = nullptr; }

void EditorBase::editorIdle() {
    if (refreshPending.exchange(0) != 0) refreshEditor();
}

}  // namespace orbitone
