// orbitone.so as a host meets it: dlopen, `main` with a recording callback, the record.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "zyl_abi.h"

namespace {

using namespace zyl;

struct Call {
    EffectRecord* record;
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    void* pointer;
    float option;
};

// The recording host callback: what it was asked, and the version it answers.
std::vector<Call> calls;
std::intptr_t versionAnswer = 2300;

std::intptr_t recordingHost(EffectRecord* record, std::int32_t opcode, std::int32_t index,
                            std::intptr_t value, void* pointer, float option) {
    calls.push_back({record, opcode, index, value, pointer, option});
    return opcode == hostOpVersion ? versionAnswer : 0;
}

class PluginRecord : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        versionAnswer = 2300;
        library = dlopen(ORBITONE_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        pluginMain = reinterpret_cast<MainProc>(dlsym(library, "main"));
        ASSERT_NE(pluginMain, nullptr);
    }
    void TearDown() override {
        if (library != nullptr) dlclose(library);
    }
    static std::intptr_t shutdown(EffectRecord* record) {
        return record->dispatchProc(record, plugOpShutdown, 0, 0, nullptr, 0.0f);
    }

    void* library = nullptr;
    MainProc pluginMain = nullptr;
};

TEST_F(PluginRecord, MainAsksTheHostsVersionWithANullRecord) {
    EffectRecord* record = pluginMain(recordingHost);
    ASSERT_NE(record, nullptr);
    ASSERT_GE(calls.size(), 1u);
    EXPECT_EQ(calls[0].record, nullptr);
    EXPECT_EQ(calls[0].opcode, hostOpVersion);
    EXPECT_EQ(calls[0].index, 0);
    EXPECT_EQ(calls[0].value, 0);
    EXPECT_EQ(calls[0].pointer, nullptr);
    EXPECT_EQ(calls[0].option, 0.0f);
    EXPECT_EQ(shutdown(record), 1);
}

TEST_F(PluginRecord, ReadsAsSpecifiedRightAfterMain) {
    EffectRecord* record = pluginMain(recordingHost);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->magicCode, fourCharCode("ZylP"));
    EXPECT_NE(record->dispatchProc, nullptr);
    EXPECT_NE(record->processAddingProc, nullptr);
    EXPECT_NE(record->storeParameterProc, nullptr);
    EXPECT_NE(record->readParameterProc, nullptr);
    EXPECT_NE(record->processOverwritingProc, nullptr);
    EXPECT_EQ(record->programCount, 9);
    EXPECT_EQ(record->parameterCount, 17);
    EXPECT_EQ(record->inputCount, 2);
    EXPECT_EQ(record->outputCount, 2);
    // Mono input and overwriting always; editorAttached exactly when an editor answers.
    EXPECT_EQ(record->recordFlags & ~flagEditorAttached, flagMonoInput | flagOverwriting);
    EditorBounds* bounds = nullptr;
    const bool hasEditor =
        record->dispatchProc(record, plugOpEditorRect, 0, 0, &bounds, 0.0f) != 0;
    EXPECT_EQ((record->recordFlags & flagEditorAttached) != 0, hasEditor);
    EXPECT_EQ(record->reserved1, 0);
    EXPECT_EQ(record->reserved2, 0);
    EXPECT_EQ(record->latencySamples, 0);
    EXPECT_EQ(record->realtimeQuality, 0);
    EXPECT_EQ(record->offlineQuality, 0);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_NE(record->effectObject, nullptr);
    EXPECT_EQ(record->hostUserData, nullptr);
    EXPECT_EQ(record->effectId, fourCharCode("ORBT"));
    EXPECT_EQ(record->effectVersion, 1);
    const std::uint8_t zeros[kReservedTailSize] = {};
    EXPECT_EQ(std::memcmp(record->reservedTail, zeros, sizeof zeros), 0);
    EXPECT_EQ(shutdown(record), 1);
}

TEST_F(PluginRecord, AfterConstructionTheDefaultProgramIsCurrent) {
    EffectRecord* record = pluginMain(recordingHost);
    ASSERT_NE(record, nullptr);
    const float defaults[17] = {0.8f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f,
                                0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.27f, 0.5f, 0.52f};
    for (int index = 0; index < 17; ++index)
        EXPECT_EQ(record->readParameterProc(record, index), defaults[index]) << index;
    EXPECT_EQ(record->dispatchProc(record, plugOpCurrentProgram, 0, 0, nullptr, 0.0f), 0);
    // Construction reports nothing to the host: only the version request happened.
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(shutdown(record), 1);
}

TEST_F(PluginRecord, AHostAnsweringVersionZeroIsRefused) {
    versionAnswer = 0;
    EXPECT_EQ(pluginMain(recordingHost), nullptr);
    ASSERT_EQ(calls.size(), 1u);  // asked, and nothing else happened
    EXPECT_EQ(calls[0].opcode, hostOpVersion);
}

TEST_F(PluginRecord, ANullCallbackIsRefused) { EXPECT_EQ(pluginMain(nullptr), nullptr); }

TEST_F(PluginRecord, EveryMainMakesAnIndependentEffect) {
    EffectRecord* first = pluginMain(recordingHost);
    EffectRecord* second = pluginMain(recordingHost);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->effectObject, second->effectObject);

    first->storeParameterProc(first, 9, 0.25f);
    first->dispatchProc(first, plugOpSelectProgram, 0, 3, nullptr, 0.0f);
    EXPECT_EQ(second->readParameterProc(second, 9), 0.7f);
    EXPECT_EQ(second->dispatchProc(second, plugOpCurrentProgram, 0, 0, nullptr, 0.0f), 0);

    EXPECT_EQ(shutdown(first), 1);
    // The other one keeps working.
    second->storeParameterProc(second, 2, 0.125f);
    EXPECT_EQ(second->readParameterProc(second, 2), 0.125f);
    char name[65] = {};
    second->dispatchProc(second, plugOpProgramName, 0, 0, name, 0.0f);
    EXPECT_STREQ(name, "Default");
    EXPECT_EQ(shutdown(second), 1);
}

TEST_F(PluginRecord, ANullRecordReachesNothing) {
    EffectRecord* record = pluginMain(recordingHost);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->dispatchProc(nullptr, plugOpIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->readParameterProc(nullptr, 0), 0.0f);
    record->storeParameterProc(nullptr, 0, 0.5f);
    record->processOverwritingProc(nullptr, nullptr, nullptr, 16);
    EXPECT_EQ(shutdown(record), 1);
}

}  // namespace
