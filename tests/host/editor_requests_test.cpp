// The dispatcher's editor requests and the mouse-wheel hook, against an attached
// recording editor; EditorBase's own defaults; attaching and detaching.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "editor_base.h"
#include "modulator_effect.h"
#include "recording_host.h"

namespace {

using namespace zyl;
using orbitone::EditorBase;
using orbitone::ModulatorEffect;
using orbitone::testing::RecordingEditor;
using orbitone::testing::RecordingHost;

class EditorRequests : public ::testing::Test {
protected:
    EditorRequests() {
        editor = new RecordingEditor(&effect, &events);
        effect.attachEditor(editor);
        events.clear();
    }
    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* pointer = nullptr, float option = 0.0f) {
        return record()->dispatchProc(record(), opcode, index, value, pointer, option);
    }
    EffectRecord* record() { return effect.effectRecord(); }

    std::vector<std::string> events;
    RecordingHost host;
    ModulatorEffect effect{host.proc()};
    RecordingEditor* editor;
};

TEST_F(EditorRequests, AttachingSetsTheFlagAndDetachingClearsIt) {
    EXPECT_EQ(record()->recordFlags, flagEditorAttached | flagMonoInput | flagOverwriting);
    EXPECT_EQ(effect.editor(), editor);
    effect.attachEditor(nullptr);
    EXPECT_EQ(record()->recordFlags, flagMonoInput | flagOverwriting);
    EXPECT_EQ(effect.editor(), nullptr);
    delete editor;
}

TEST_F(EditorRequests, RectOpenCloseIdleReachTheEditor) {
    EditorBounds* bounds = nullptr;
    EXPECT_EQ(dispatch(plugOpEditorRect, 0, 0, &bounds), 1);
    ASSERT_EQ(bounds, &editor->bounds);
    EXPECT_EQ(bounds->bottom, 262);
    EXPECT_EQ(bounds->right, 352);

    int window = 0;
    EXPECT_EQ(dispatch(plugOpEditorOpen, 0, 0, &window), 1);
    EXPECT_EQ(editor->parent(), &window);
    EXPECT_EQ(dispatch(plugOpEditorIdle), 0);
    EXPECT_EQ(dispatch(plugOpEditorClose), 0);
    EXPECT_EQ(editor->parent(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"getEditorBounds", "openEditor", "editorIdle",
                                                "closeEditor"}));
}

TEST_F(EditorRequests, TheRectRequestWithoutABufferAnswersZero) {
    EXPECT_EQ(dispatch(plugOpEditorRect, 0, 0, nullptr), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(EditorRequests, KeysArriveAsAKeyRecordAndAnswerTheEditorsResult) {
    struct {
        std::int32_t opcode;
        std::int32_t character;
        std::intptr_t value;
        float option;
        std::uint8_t virtualKey;
        std::uint8_t modifiers;
    } cases[] = {
        {plugOpEditorKeyDown, 'a', 0x41, 8.0f, 0x41, 8},
        {plugOpEditorKeyUp, 'b', 0x1234, 3.9f, 0x34, 3},       // low bytes, truncated option
        {plugOpEditorKeyDown, -1, -1, -1.5f, 0xff, 0xff},      // -1 truncates to -1
        {plugOpEditorKeyDown, 0, 7, 300.0f, 7, 300 & 0xff},
        {plugOpEditorKeyUp, 0, 7, std::numeric_limits<float>::quiet_NaN(), 7, 0},
        {plugOpEditorKeyUp, 0, 7, 1e30f, 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.character);
        EXPECT_EQ(dispatch(c.opcode, c.character, c.value, nullptr, c.option), 7);
        EXPECT_EQ(editor->lastKey.character, c.character);
        EXPECT_EQ(editor->lastKey.virtualKey, c.virtualKey);
        EXPECT_EQ(editor->lastKey.modifiers, c.modifiers);
    }
    editor->keyAnswer = -1;
    EXPECT_EQ(dispatch(plugOpEditorKeyDown, 'x'), -1);
}

TEST_F(EditorRequests, KnobModeReachesTheEditor) {
    EXPECT_EQ(dispatch(plugOpKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->lastKnobMode, 2);
}

TEST_F(EditorRequests, TheWheelHookAnswersWhatTheEditorDid) {
    const std::int32_t nrBX = fourCharCode("nrBX");
    const std::intptr_t whee = fourCharCode("Whee");
    EXPECT_EQ(dispatch(plugOpVendorSpecific, nrBX, whee, nullptr, 1.0f), 1);
    EXPECT_EQ(events.back(), "editorWheel 1");
    editor->wheelAnswer = false;
    EXPECT_EQ(dispatch(plugOpVendorSpecific, nrBX, whee, nullptr, -2.0f), 0);
    EXPECT_EQ(events.back(), "editorWheel -2");

    events.clear();
    editor->wheelAnswer = true;
    EXPECT_EQ(effect.vendorRequest(nrBX, fourCharCode("Wheo"), nullptr, 1.0f), 0);
    EXPECT_EQ(effect.vendorRequest(fourCharCode("nrBx"), whee, nullptr, 1.0f), 0);
    EXPECT_EQ(effect.vendorRequest(0, 0, nullptr, 1.0f), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(EditorRequests, EveryStoreReachesTheEditorOnce) {
    dispatch(plugOpSelectProgram, 0, 4);
    ASSERT_EQ(events.size(), 17u);
    for (int index = 0; index < 17; ++index)
        EXPECT_EQ(events[index].rfind("editor parameterChanged " + std::to_string(index) + " ", 0),
                  0u)
            << events[index];
    events.clear();
    record()->storeParameterProc(record(), 9, 0.7f);
    record()->storeParameterProc(record(), 9, 0.7f);
    EXPECT_EQ(events, (std::vector<std::string>(
                          2, "editor parameterChanged 9 0.7 (stored 0.7)")));
    record()->storeParameterProc(record(), 17, 0.7f);  // no such parameter: nothing at all
    EXPECT_EQ(events.size(), 2u);
}

TEST(EditorRequestsWithoutEditor, AnswerZeroAndTouchNothing) {
    ModulatorEffect effect(nullptr);
    EffectRecord* record = effect.effectRecord();
    EditorBounds marker{};
    EditorBounds* bounds = &marker;
    for (std::int32_t opcode : {plugOpEditorRect, plugOpEditorOpen, plugOpEditorClose,
                                plugOpEditorIdle, plugOpEditorKeyDown, plugOpEditorKeyUp,
                                plugOpKnobMode}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(record->dispatchProc(record, opcode, 1, 1, &bounds, 1.0f), 0);
    }
    EXPECT_EQ(bounds, &marker);
    EXPECT_EQ(record->dispatchProc(record, plugOpVendorSpecific, fourCharCode("nrBX"),
                                   fourCharCode("Whee"), nullptr, 1.0f),
              0);
}

TEST(EditorBaseDefaults, AreHarmless) {
    ModulatorEffect effect(nullptr);
    EditorBase editor(&effect);
    EditorBounds marker{};
    EditorBounds* bounds = &marker;
    EXPECT_FALSE(editor.getEditorBounds(&bounds));
    EXPECT_EQ(bounds, nullptr);
    EXPECT_FALSE(editor.isEditorOpen());
    int window = 0;
    EXPECT_FALSE(editor.openEditor(&window));
    EXPECT_TRUE(editor.isEditorOpen());
    editor.closeEditor();
    EXPECT_FALSE(editor.isEditorOpen());
    orbitone::EditorKeyRecord key{'a', 1, 0};
    EXPECT_EQ(editor.editorKeyDown(&key), -1);
    EXPECT_EQ(editor.editorKeyUp(&key), -1);
    EXPECT_FALSE(editor.setKnobDragMode(1));
    EXPECT_FALSE(editor.editorWheel(1.0f));
    editor.parameterChanged(0, 0.5f);
}

// The refresh hook runs once per requestRefresh, at the next idle tick.
TEST(EditorBaseDefaults, IdleRunsTheRefreshHookOncePerRequest) {
    struct Counting : EditorBase {
        using EditorBase::EditorBase;
        void refreshEditor() override { ++refreshes; }
        int refreshes = 0;
    };
    ModulatorEffect effect(nullptr);
    Counting editor(&effect);
    editor.editorIdle();
    EXPECT_EQ(editor.refreshes, 0);
    editor.requestRefresh();
    editor.requestRefresh();
    editor.editorIdle();
    editor.editorIdle();
    EXPECT_EQ(editor.refreshes, 1);
}

}  // namespace
