// The opcodes of orbitone.so's dispatcher, through the record as a host calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "loaded_plugin.h"

namespace {

using namespace zyl;

using Dispatcher = orbitone::testing::LoadedPlugin;

TEST_F(Dispatcher, FixedAnswers) {
    int scratch[64] = {};
    struct {
        std::int32_t opcode;
        std::int32_t index;
        std::intptr_t value;
        float option;
        std::intptr_t answer;
    } cases[] = {
        {plugOpStartup, 0, 0, 0, 0},
        {plugOpCurrentProgram, 0, 0, 0, 0},
        {plugOpMeterLevel, 0, 0, 0, 0},
        {plugOpSampleRate, 0, 0, 48000.0f, 0},
        {plugOpBlockSize, 0, 256, 0, 0},
        {plugOpPowerState, 0, 0, 0, 0},
        {plugOpPowerState, 0, 1, 0, 0},
        {16, 0, 0, 0, 0},
        {17, 0, 0, 0, 0},
        {18, 0, 0, 0, 0},
        {20, 0, 0, 0, 0},
        {21, 0, 0, 0, 0},
        {plugOpIdentify, 0, 0, 0, fourCharCode("NvEf")},
        {plugOpGetStateBlob, 0, 0, 0, 0},
        {plugOpSetStateBlob, 0, 16, 0, 0},
        {plugOpTakeEvents, 0, 0, 0, 0},
        {plugOpIsAutomatable, 0, 0, 0, 1},
        {plugOpIsAutomatable, 16, 0, 0, 1},
        {plugOpCategoryCount, 0, 0, 0, 1},
        {plugOpDuplicateProgram, 3, 0, 0, 0},
        {plugOpInputConnection, 0, 1, 0, 1},
        {plugOpOutputConnection, 1, 0, 0, 1},
        {plugOpInputInfo, 0, 0, 0, 0},
        {plugOpOutputInfo, 0, 0, 0, 0},
        {plugOpKind, 0, 0, 0, 1},
        {plugOpPlayPosition, 0, 0, 0, 0},
        {plugOpOutputBuffer, 0, 0, 0, 0},
        {plugOpOfflineNotice, 1, 2, 0, 0},
        {plugOpOfflinePrepare, 0, 2, 0, 0},
        {plugOpOfflineRun, 0, 2, 0, 0},
        {plugOpVariableIo, 0, 0, 0, 0},
        {plugOpSetSpeakers, 0, 0, 0, 0},
        {plugOpBlockSizeAndRate, 0, 512, 44100.0f, 1},
        {plugOpBypass, 0, 1, 0, 0},
        {plugOpVendorVersion, 0, 0, 0, 1100},
        {plugOpVendorSpecific, 1, 2, 0.5f, 0},
        {plugOpTailLength, 0, 0, 0, 0},
        {plugOpIdleRequest, 0, 0, 0, 0},
        {plugOpIcon, 0, 0, 0, 0},
        {plugOpViewPosition, 10, 20, 0, 0},
        {plugOpParameterInfo, 0, 0, 0, 0},
        {plugOpKeysWanted, 0, 0, 0, 1},
        {plugOpInterfaceVersion, 0, 0, 0, 2300},
        {plugOpMidiProgramName, 0, 0, 0, 0},
        {plugOpMidiCurrentProgram, 0, 0, 0, -1},
        {plugOpMidiProgramCategory, 0, 0, 0, 0},
        {plugOpMidiProgramsChanged, 0, 0, 0, 0},
        {plugOpMidiKeyName, 0, 0, 0, 0},
        {plugOpProgramChangeBegin, 0, 0, 0, 0},
        {plugOpProgramChangeEnd, 0, 0, 0, 0},
        {plugOpNextShellPlugin, 0, 0, 0, 0},
        {plugOpProcessingStarts, 0, 0, 0, 0},
        {plugOpProcessingStops, 0, 0, 0, 0},
        {plugOpTotalSamples, 0, 123456, 0, 123456},
        {plugOpPanLaw, 0, 1, 0.5f, 0},
        {plugOpBankLoadBegin, 0, 0, 0, 0},
        {plugOpProgramLoadBegin, 0, 0, 0, 0},
        {77, 0, 0, 0, 0},
        {100, 0, 0, 0, 0},
        {-1, 0, 0, 0, 0},
        {std::numeric_limits<std::int32_t>::max(), 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opcode);
        EXPECT_EQ(dispatch(c.opcode, c.index, c.value, scratch, c.option), c.answer);
    }
    // None of these reached the host.
    EXPECT_EQ(host.calls().size(), 1u);  // the version request of main
}

TEST_F(Dispatcher, VendorAndProductNames) {
    char name[65];
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(dispatch(plugOpVendorName, 0, 0, name), 1);
    EXPECT_STREQ(name, "Tarvane");
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(dispatch(plugOpProductName, 0, 0, name), 1);
    EXPECT_STREQ(name, "Orbitone");
    std::strcpy(name, "kept");
    EXPECT_EQ(dispatch(plugOpEffectName, 0, 0, name), 0);
    EXPECT_EQ(dispatch(plugOpErrorText, 0, 0, name), 0);
    EXPECT_STREQ(name, "kept");
}

TEST_F(Dispatcher, CapabilitiesAreNeitherClaimedNorRefused) {
    for (const char* capability : {"bypass", "2in2out", "plugAsSend", "unknown", ""}) {
        SCOPED_TRACE(capability);
        EXPECT_EQ(dispatch(plugOpCapability, 0, 0, const_cast<char*>(capability)), 0);
    }
}

TEST_F(Dispatcher, GetSpeakersClearsBothPointersAndAnswersZero) {
    int a = 0, b = 0;
    auto* input = reinterpret_cast<SpeakerArrangement*>(&a);
    auto* output = reinterpret_cast<SpeakerArrangement*>(&b);
    EXPECT_EQ(dispatch(plugOpGetSpeakers, 0, reinterpret_cast<std::intptr_t>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    EXPECT_EQ(dispatch(plugOpGetSpeakers, 0, 0, nullptr), 0);  // no addresses: nothing written
}

TEST_F(Dispatcher, EditorRequestsWithoutAnEditorAnswerZero) {
    if (plugin->record()->recordFlags & flagEditorAttached) GTEST_SKIP() << "has an editor";
    EditorBounds marker{};
    EditorBounds* bounds = &marker;
    EXPECT_EQ(dispatch(plugOpEditorRect, 0, 0, &bounds), 0);
    EXPECT_EQ(bounds, &marker);
    for (std::int32_t opcode : {plugOpEditorOpen, plugOpEditorClose, plugOpEditorIdle,
                                plugOpEditorKeyDown, plugOpEditorKeyUp, plugOpKnobMode}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(dispatch(opcode, 'a', 1, nullptr, 1.0f), 0);
    }
    EXPECT_EQ(dispatch(plugOpVendorSpecific, fourCharCode("nrBX"), fourCharCode("Whee"), nullptr,
                       1.0f),
              0);
}

TEST_F(Dispatcher, SelectProgramForwardsOnlyValidIndices) {
    for (std::intptr_t value : {std::intptr_t(9), std::intptr_t(-1), std::intptr_t(100),
                                std::intptr_t(1) << 32}) {
        SCOPED_TRACE(value);
        dispatch(plugOpSelectProgram, 0, value);
        EXPECT_EQ(dispatch(plugOpCurrentProgram), 0);
    }
    dispatch(plugOpSelectProgram, 0, 8);
    EXPECT_EQ(dispatch(plugOpCurrentProgram), 8);
    EXPECT_EQ(plugin->text(plugOpProgramName), "Decrypted");
}

TEST_F(Dispatcher, TextRequestsWithANullBufferAnswerZero) {
    for (std::int32_t opcode : {plugOpRenameProgram, plugOpProgramName, plugOpParameterUnit,
                                plugOpParameterText, plugOpParameterName, plugOpProgramNameAt,
                                plugOpParseParameterText, plugOpEffectName, plugOpErrorText,
                                plugOpVendorName, plugOpProductName, plugOpCapability}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0);
    }
    EXPECT_EQ(plugin->text(plugOpProgramName), "Default");
}

TEST_F(Dispatcher, ParseParameterTextIsRefused) {
    char text[] = "50";
    EXPECT_EQ(dispatch(plugOpParseParameterText, 0, 0, text), 0);
    EXPECT_EQ(plugin->readParameter(0), 0.8f);
}

TEST_F(Dispatcher, ShutdownAnswersOne) {
    EXPECT_EQ(plugin->shutdown(), 1);
}

}  // namespace
