// The calls from an effect into its host: argument placement, answer conversion and the
// value each call gives when there is no host.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "effect_base_ex.h"
#include "modulator_effect.h"
#include "recording_host.h"

namespace {

using namespace zyl;
using orbitone::EffectBaseEx;
using orbitone::testing::RecordingEditor;
using orbitone::testing::RecordingHost;

int marker;  // an address to pass as a pointer argument
char text[] = "sizeWindow";

struct WrapperCase {
    const char* name;
    std::function<std::intptr_t(EffectBaseEx&)> call;  // the wrapper's result as a number
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    void* pointer;
    float option;
    std::intptr_t hostAnswer;
    std::intptr_t expected;  // result for that answer
    std::intptr_t noHost;    // result without a host
};

std::vector<WrapperCase> wrapperCases() {
    // clang-format off
    return {
        {"askHostVersion", [](EffectBaseEx& e) { return e.askHostVersion(); }, hostOpVersion, 0, 0, nullptr, 0, 2300, 2300, 1},
        {"askHostVersion answered 0", [](EffectBaseEx& e) { return e.askHostVersion(); }, hostOpVersion, 0, 0, nullptr, 0, 0, 1, 1},
        {"askHostCurrentId", [](EffectBaseEx& e) { return e.askHostCurrentId(); }, hostOpCurrentId, 0, 0, nullptr, 0, 77, 77, 0},
        {"letHostIdle", [](EffectBaseEx& e) { return e.letHostIdle(); }, hostOpIdle, 0, 0, nullptr, 0, 5, 5, 0},
        {"inputPinLinked answered 0", [](EffectBaseEx& e) { return std::intptr_t(e.inputPinLinked(3)); }, hostOpPinConnected, 3, 0, nullptr, 0, 0, 1, 1},
        {"inputPinLinked answered 1", [](EffectBaseEx& e) { return std::intptr_t(e.inputPinLinked(3)); }, hostOpPinConnected, 3, 0, nullptr, 0, 1, 0, 1},
        {"outputPinLinked", [](EffectBaseEx& e) { return std::intptr_t(e.outputPinLinked(1)); }, hostOpPinConnected, 1, 1, nullptr, 0, 0, 1, 1},
        {"askHostForEvents", [](EffectBaseEx& e) { return e.askHostForEvents(9); }, hostOpWantEvents, 0, 9, nullptr, 0, 4, 4, 0},
        {"askHostTimeInfo", [](EffectBaseEx& e) { return e.askHostTimeInfo(0x200); }, hostOpTimeInfo, 0, 0x200, nullptr, 0, 1234, 1234, 0},
        {"sendEventsToHost answered 1", [](EffectBaseEx& e) { return std::intptr_t(e.sendEventsToHost(&marker)); }, hostOpSendEvents, 0, 0, &marker, 0, 1, 1, 0},
        {"sendEventsToHost answered 2", [](EffectBaseEx& e) { return std::intptr_t(e.sendEventsToHost(&marker)); }, hostOpSendEvents, 0, 0, &marker, 0, 2, 0, 0},
        {"askHostTempoAt", [](EffectBaseEx& e) { return e.askHostTempoAt(4410); }, hostOpTempoAt, 0, 4410, nullptr, 0, 1200000, 1200000, 0},
        {"askHostAutomatableCount", [](EffectBaseEx& e) { return e.askHostAutomatableCount(); }, hostOpAutomatableCount, 0, 0, nullptr, 0, 17, 17, 0},
        {"askHostParameterQuantization", [](EffectBaseEx& e) { return e.askHostParameterQuantization(); }, hostOpParameterQuantization, 0, 0, nullptr, 0, 3, 3, 0},
        {"tellHostIoChanged", [](EffectBaseEx& e) { return std::intptr_t(e.tellHostIoChanged()); }, hostOpIoChanged, 0, 0, nullptr, 0, 5, 1, 0},
        {"askHostForIdle", [](EffectBaseEx& e) { return std::intptr_t(e.askHostForIdle()); }, hostOpNeedIdle, 0, 0, nullptr, 0, 0, 0, 0},
        {"askHostResizeWindow", [](EffectBaseEx& e) { return std::intptr_t(e.askHostResizeWindow(352, 262)); }, hostOpResizeWindow, 352, 262, nullptr, 0, 1, 1, 0},
        {"askHostInputLatency", [](EffectBaseEx& e) { return e.askHostInputLatency(); }, hostOpInputLatency, 0, 0, nullptr, 0, 64, 64, 0},
        {"askHostOutputLatency", [](EffectBaseEx& e) { return e.askHostOutputLatency(); }, hostOpOutputLatency, 0, 0, nullptr, 0, 32, 32, 0},
        {"askHostPreviousPlug", [](EffectBaseEx& e) { return e.askHostPreviousPlug(5); }, hostOpPreviousPlug, 0, 0, nullptr, 0, 11, 11, 0},
        {"askHostNextPlug", [](EffectBaseEx& e) { return e.askHostNextPlug(5); }, hostOpNextPlug, 0, 0, nullptr, 0, 12, 12, 0},
        {"askHostReplaceOrAccumulate", [](EffectBaseEx& e) { return e.askHostReplaceOrAccumulate(); }, hostOpReplaceOrAccumulate, 0, 0, nullptr, 0, 2, 2, 0},
        {"askHostProcessLevel", [](EffectBaseEx& e) { return e.askHostProcessLevel(); }, hostOpProcessLevel, 0, 0, nullptr, 0, 2, 2, 0},
        {"askHostAutomationState", [](EffectBaseEx& e) { return e.askHostAutomationState(); }, hostOpAutomationState, 0, 0, nullptr, 0, 3, 3, 0},
        {"askHostOfflineStart", [](EffectBaseEx& e) { return std::intptr_t(e.askHostOfflineStart(&marker, 4, 2)); }, hostOpOfflineStart, 2, 4, &marker, 0, 9, 1, 0},
        {"askHostOfflineRead", [](EffectBaseEx& e) { return std::intptr_t(e.askHostOfflineRead(&marker, 6, true)); }, hostOpOfflineRead, 1, 6, &marker, 0, 1, 1, 0},
        {"askHostOfflineWrite", [](EffectBaseEx& e) { return std::intptr_t(e.askHostOfflineWrite(&marker, 6)); }, hostOpOfflineWrite, 0, 6, &marker, 0, 0, 0, 0},
        {"askHostOfflinePass", [](EffectBaseEx& e) { return std::intptr_t(e.askHostOfflinePass()); }, hostOpOfflinePass, 0, 0, nullptr, 0, 1, 1, 0},
        {"askHostOfflineMetaPass", [](EffectBaseEx& e) { return std::intptr_t(e.askHostOfflineMetaPass()); }, hostOpOfflineMetaPass, 0, 0, nullptr, 0, 1, 1, 0},
        {"askHostOutputSampleRate", [](EffectBaseEx& e) { return e.askHostOutputSampleRate(48000.0f); }, hostOpOutputSampleRate, 0, 0, nullptr, 48000.0f, 1, 1, 0},
        {"askHostOutputSpeakers", [](EffectBaseEx& e) { return e.askHostOutputSpeakers(); }, hostOpOutputSpeakers, 0, 0, nullptr, 0, 4096, 4096, 0},
        {"askHostInputSpeakers", [](EffectBaseEx& e) { return e.askHostInputSpeakers(); }, hostOpInputSpeakers, 0, 0, nullptr, 0, 8192, 8192, 0},
        {"askHostVendorName", [](EffectBaseEx& e) { return std::intptr_t(e.askHostVendorName(text)); }, hostOpVendorName, 0, 0, text, 0, 1, 1, 0},
        {"askHostProductName", [](EffectBaseEx& e) { return std::intptr_t(e.askHostProductName(text)); }, hostOpProductName, 0, 0, text, 0, 0, 0, 0},
        {"askHostVendorVersion", [](EffectBaseEx& e) { return e.askHostVendorVersion(); }, hostOpVendorVersion, 0, 0, nullptr, 0, 900, 900, 0},
        {"askHostVendorSpecific", [](EffectBaseEx& e) { return e.askHostVendorSpecific(1, 2, &marker, 0.5f); }, hostOpVendorSpecific, 1, 2, &marker, 0.5f, 42, 42, 0},
        {"askHostForCapability", [](EffectBaseEx& e) { return std::intptr_t(e.askHostForCapability(text)); }, hostOpCapability, 0, 0, text, 0, 1, 1, 0},
        {"askHostLanguage", [](EffectBaseEx& e) { return e.askHostLanguage(); }, hostOpLanguage, 0, 0, nullptr, 0, 1, 1, 0},
        {"askHostOpenWindow", [](EffectBaseEx& e) { return e.askHostOpenWindow(&marker); }, hostOpOpenWindow, 0, 0, &marker, 0, 77, 77, 0},
        {"askHostCloseWindow", [](EffectBaseEx& e) { return std::intptr_t(e.askHostCloseWindow(&marker)); }, hostOpCloseWindow, 0, 0, &marker, 0, 1, 1, 0},
        {"askHostDirectory", [](EffectBaseEx& e) { return e.askHostDirectory(); }, hostOpDirectory, 0, 0, nullptr, 0, 5555, 5555, 0},
        {"askHostRefreshDisplay", [](EffectBaseEx& e) { return std::intptr_t(e.askHostRefreshDisplay()); }, hostOpRefreshDisplay, 0, 0, nullptr, 0, 1, 1, 0},
        {"gestureBegin", [](EffectBaseEx& e) { return std::intptr_t(e.gestureBegin(2)); }, hostOpGestureBegin, 2, 0, nullptr, 0, 1, 1, 0},
        {"gestureEnd", [](EffectBaseEx& e) { return std::intptr_t(e.gestureEnd(2)); }, hostOpGestureEnd, 2, 0, nullptr, 0, 0, 0, 0},
        {"askHostOpenFileSelector", [](EffectBaseEx& e) { return std::intptr_t(e.askHostOpenFileSelector(&marker)); }, hostOpOpenFileSelector, 0, 0, &marker, 0, 1, 1, 0},
        {"askHostCloseFileSelector", [](EffectBaseEx& e) { return std::intptr_t(e.askHostCloseFileSelector(&marker)); }, hostOpCloseFileSelector, 0, 0, &marker, 0, 1, 1, 0},
        {"askHostChunkFile", [](EffectBaseEx& e) { return std::intptr_t(e.askHostChunkFile(text)); }, hostOpChunkFile, 0, 0, text, 0, 1, 1, 0},
        {"refreshSampleRate", [](EffectBaseEx& e) { return std::intptr_t(e.refreshSampleRate()); }, hostOpSampleRate, 0, 0, nullptr, 0, 96000, 96000, 44100},
        {"refreshSampleRate answered 0", [](EffectBaseEx& e) { return std::intptr_t(e.refreshSampleRate()); }, hostOpSampleRate, 0, 0, nullptr, 0, 0, 44100, 44100},
        {"refreshBlockSize", [](EffectBaseEx& e) { return std::intptr_t(e.refreshBlockSize()); }, hostOpBlockSize, 0, 0, nullptr, 0, 256, 256, 1024},
        {"refreshBlockSize answered -5", [](EffectBaseEx& e) { return std::intptr_t(e.refreshBlockSize()); }, hostOpBlockSize, 0, 0, nullptr, 0, -5, 1024, 1024},
    };
    // clang-format on
}

TEST(HostCalls, PlaceTheirArgumentsAndConvertTheAnswer) {
    for (const WrapperCase& c : wrapperCases()) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        host.answers[c.opcode] = c.hostAnswer;
        EffectBaseEx effect(host.proc(), 1, 1);
        EXPECT_EQ(c.call(effect), c.expected);
        ASSERT_EQ(host.calls.size(), 1u);
        const auto& call = host.calls[0];
        EXPECT_EQ(call.record, effect.effectRecord());
        EXPECT_EQ(call.opcode, c.opcode);
        EXPECT_EQ(call.index, c.index);
        EXPECT_EQ(call.value, c.value);
        EXPECT_EQ(call.pointer, c.pointer);
        EXPECT_EQ(call.option, c.option);
    }
}

TEST(HostCalls, WithoutAHostCallNothingAndGiveTheirNoHostValue) {
    for (const WrapperCase& c : wrapperCases()) {
        SCOPED_TRACE(c.name);
        EffectBaseEx effect(nullptr, 1, 1);
        EXPECT_EQ(c.call(effect), c.noHost);
    }
}

TEST(HostCalls, FileSelectorsAndChunkFilesRefuseANullPointerWithoutAskingTheHost) {
    RecordingHost host;
    host.answers[hostOpOpenFileSelector] = 1;
    host.answers[hostOpCloseFileSelector] = 1;
    host.answers[hostOpChunkFile] = 1;
    EffectBaseEx effect(host.proc(), 1, 1);
    EXPECT_FALSE(effect.askHostOpenFileSelector(nullptr));
    EXPECT_FALSE(effect.askHostCloseFileSelector(nullptr));
    EXPECT_FALSE(effect.askHostChunkFile(nullptr));
    EXPECT_TRUE(host.calls.empty());
}

TEST(HostCalls, RefreshKeepsOnlyPositiveAnswersAndMarksNothingStale) {
    RecordingHost host;
    orbitone::ModulatorEffect effect(host.proc());
    host.answers[hostOpSampleRate] = 48000;
    host.answers[hostOpBlockSize] = 64;
    EXPECT_EQ(effect.refreshSampleRate(), 48000.0f);
    EXPECT_EQ(effect.refreshBlockSize(), 64);
    EXPECT_FALSE(effect.coefficientsAreStale());
    host.answers[hostOpSampleRate] = -1;
    host.answers[hostOpBlockSize] = 0;
    EXPECT_EQ(effect.refreshSampleRate(), 48000.0f);
    EXPECT_EQ(effect.refreshBlockSize(), 64);
    EXPECT_EQ(effect.sampleRate(), 48000.0f);
    EXPECT_EQ(effect.blockSize(), 64);
}

TEST(StoreParameterAndReport, StoresThenTellsTheEditorThenReportsToTheHost) {
    std::vector<std::string> events;
    RecordingHost host(&events);
    orbitone::ModulatorEffect effect(host.proc());
    effect.attachEditor(new RecordingEditor(&effect, &events));
    events.clear();
    host.calls.clear();

    effect.storeParameterAndReport(3, 0.25f);

    EXPECT_EQ(events, (std::vector<std::string>{"editor parameterChanged 3 0.25 (stored 0.25)",
                                                "host 0 index 3 option 0.25"}));
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].opcode, hostOpAutomate);
    EXPECT_EQ(host.calls[0].value, 0);
    EXPECT_EQ(host.calls[0].pointer, nullptr);
    EXPECT_EQ(effect.readParameter(3), 0.25f);
    EXPECT_TRUE(effect.coefficientsAreStale());
}

TEST(StoreParameterAndReport, HostStoresAreNeverEchoedBack) {
    RecordingHost host;
    orbitone::ModulatorEffect effect(host.proc());
    host.calls.clear();
    effect.effectRecord()->storeParameterProc(effect.effectRecord(), 3, 0.25f);
    effect.selectProgram(4);
    EXPECT_TRUE(host.calls.empty());
}

TEST(StoreParameterAndReport, WithoutAHostOnlyStores) {
    orbitone::ModulatorEffect effect(nullptr);
    effect.storeParameterAndReport(9, 0.125f);
    EXPECT_EQ(effect.readParameter(9), 0.125f);
}

}  // namespace
