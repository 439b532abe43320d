// The record's entry procedures route every host call to the effect object behind it,
// and plugOpShutdown ends the effect and its editor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_base_ex.h"
#include "recording_host.h"

namespace {

using namespace zyl;

std::vector<std::string> events;

class RecordingEffect : public orbitone::EffectBaseEx {
public:
    RecordingEffect() : EffectBaseEx(nullptr, 2, 3) {}
    ~RecordingEffect() override { events.push_back("destroyed"); }

    void storeParameter(std::int32_t index, float value) override {
        events.push_back("store " + std::to_string(index) + " " + std::to_string(value));
    }
    float readParameter(std::int32_t index) override { return 0.5f + index; }
    void processAdding(float** inputs, float** outputs, std::int32_t frames) override {
        lastInputs = inputs;
        lastOutputs = outputs;
        events.push_back("adding " + std::to_string(frames));
    }
    void processOverwriting(float** inputs, float** outputs, std::int32_t frames) override {
        lastInputs = inputs;
        lastOutputs = outputs;
        events.push_back("overwriting " + std::to_string(frames));
    }
    void onOpen() override { events.push_back("open"); }
    void onClose() override { events.push_back("close"); }
    void onSuspend() override { events.push_back("suspend"); }
    void onResume() override { events.push_back("resume"); }

    float** lastInputs = nullptr;
    float** lastOutputs = nullptr;
};

class DestroyedEditor : public orbitone::EditorBase {
public:
    using EditorBase::EditorBase;
    ~DestroyedEditor() override { events.push_back("editor destroyed"); }
};

class EntryProcedures : public ::testing::Test {
protected:
    void SetUp() override { events.clear(); }
};

TEST_F(EntryProcedures, ForwardToTheEffectBehindTheRecord) {
    auto* effect = new RecordingEffect;
    EffectRecord* record = effect->effectRecord();
    float left[4] = {}, right[4] = {};
    float* channels[2] = {left, right};

    record->storeParameterProc(record, 2, 0.25f);
    EXPECT_EQ(record->readParameterProc(record, 2), 2.5f);
    record->processAddingProc(record, channels, channels, 4);
    record->processOverwritingProc(record, channels, channels + 1, 3);
    EXPECT_EQ(effect->lastInputs, channels);
    EXPECT_EQ(effect->lastOutputs, channels + 1);
    record->dispatchProc(record, plugOpStartup, 0, 0, nullptr, 0.0f);
    record->dispatchProc(record, plugOpPowerState, 0, 0, nullptr, 0.0f);
    record->dispatchProc(record, plugOpPowerState, 0, 5, nullptr, 0.0f);
    record->dispatchProc(record, plugOpPowerState, 0, -1, nullptr, 0.0f);

    EXPECT_EQ(record->dispatchProc(record, plugOpShutdown, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"store 2 0.250000", "adding 4", "overwriting 3",
                                                "open", "suspend", "resume", "resume", "close",
                                                "destroyed"}));
}

TEST_F(EntryProcedures, ShutdownDestroysTheAttachedEditorAfterTheEffect) {
    auto* effect = new RecordingEffect;
    effect->attachEditor(new DestroyedEditor(effect));
    EffectRecord* record = effect->effectRecord();
    EXPECT_EQ(record->dispatchProc(record, plugOpShutdown, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"close", "destroyed", "editor destroyed"}));
}

}  // namespace
