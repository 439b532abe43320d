// In-process doubles for the host and the editor. Both write into one shared event log,
// so a test sees the order in which the effect reached them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "editor_base.h"
#include "effect_base.h"
#include "zyl_abi.h"

namespace orbitone::testing {

// One host callback, as the effect made it.
struct HostCallRecord {
    zyl::EffectRecord* record;
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    void* pointer;
    float option;
};

// The callback of the one RecordingHost alive on this thread. Answers are per opcode
// (0 unless set).
class RecordingHost {
public:
    explicit RecordingHost(std::vector<std::string>* events = nullptr) : events(events) {
        active = this;
    }
    ~RecordingHost() { active = nullptr; }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    zyl::HostProc proc() const { return &RecordingHost::callback; }

    std::map<std::int32_t, std::intptr_t> answers;
    std::vector<HostCallRecord> calls;

private:
    static std::intptr_t callback(zyl::EffectRecord* record, std::int32_t opcode,
                                  std::int32_t index, std::intptr_t value, void* pointer,
                                  float option) {
        RecordingHost* host = active;
        if (host == nullptr) return 0;
        host->calls.push_back({record, opcode, index, value, pointer, option});
        if (host->events != nullptr) {
            char line[96];
            std::snprintf(line, sizeof line, "host %d index %d option %g", opcode, index,
                          static_cast<double>(option));
            host->events->push_back(line);
        }
        auto answer = host->answers.find(opcode);
        return answer != host->answers.end() ? answer->second : 0;
    }

    static inline thread_local RecordingHost* active = nullptr;
    std::vector<std::string>* events;
};

// An editor that records every request and answers as told.
class RecordingEditor : public EditorBase {
public:
    RecordingEditor(EffectBase* effect, std::vector<std::string>* events)
        : EditorBase(effect), events(events) {}

    bool getEditorBounds(zyl::EditorBounds** out) override {
        note("getEditorBounds");
        *out = &bounds;
        return true;
    }
    bool openEditor(void* parent) override {
        note("openEditor");
        EditorBase::openEditor(parent);
        return true;
    }
    void closeEditor() override {
        note("closeEditor");
        EditorBase::closeEditor();
    }
    void editorIdle() override { note("editorIdle"); }
    std::int32_t editorKeyDown(EditorKeyRecord* key) override {
        lastKey = *key;
        note("editorKeyDown");
        return keyAnswer;
    }
    std::int32_t editorKeyUp(EditorKeyRecord* key) override {
        lastKey = *key;
        note("editorKeyUp");
        return keyAnswer;
    }
    bool setKnobDragMode(std::int32_t mode) override {
        lastKnobMode = mode;
        note("setKnobDragMode");
        return true;
    }
    bool editorWheel(float distance) override {
        char line[48];
        std::snprintf(line, sizeof line, "editorWheel %g", static_cast<double>(distance));
        note(line);
        return wheelAnswer;
    }
    void parameterChanged(std::int32_t index, float value) override {
        // What the effect holds at that moment shows whether it stored first.
        char line[96];
        std::snprintf(line, sizeof line, "editor parameterChanged %d %g (stored %g)", index,
                      static_cast<double>(value), static_cast<double>(effect->readParameter(index)));
        note(line);
    }

    void* parent() const { return parentWindow; }

    zyl::EditorBounds bounds{0, 0, 262, 352};
    std::int32_t keyAnswer = 7;
    bool wheelAnswer = true;
    EditorKeyRecord lastKey{};
    std::int32_t lastKnobMode = -1;

private:
    void note(const std::string& line) {
        if (events != nullptr) events->push_back(line);
    }
    std::vector<std::string>* events;
};

}  // namespace orbitone::testing
