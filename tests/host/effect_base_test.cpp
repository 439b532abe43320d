// EffectBase and EffectBaseEx on their own: the record they fill, the setters, and the
// defaults every opcode answers before an effect overrides anything.
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>

#include "capabilities.h"
#include "effect_base_ex.h"

namespace {

using namespace zyl;
using orbitone::EffectBaseEx;

TEST(EffectBase, FillsTheRecordWithItsDefaults) {
    EffectBaseEx effect(nullptr, 3, 5);
    const EffectRecord& record = *effect.effectRecord();
    EXPECT_EQ(record.magicCode, fourCharCode("ZylP"));
    EXPECT_EQ(record.programCount, 3);
    EXPECT_EQ(record.parameterCount, 5);
    EXPECT_EQ(record.inputCount, 1);
    EXPECT_EQ(record.outputCount, 2);
    EXPECT_EQ(record.recordFlags, 0);
    EXPECT_EQ(record.ioRatio, 1.0f);
    EXPECT_EQ(record.effectObject, static_cast<void*>(static_cast<orbitone::EffectBase*>(&effect)));
    EXPECT_EQ(record.effectId, fourCharCode("NoEf"));
    EXPECT_EQ(record.effectVersion, 1);
    EXPECT_NE(record.dispatchProc, nullptr);
    EXPECT_NE(record.processAddingProc, nullptr);
    EXPECT_NE(record.processOverwritingProc, nullptr);
    EXPECT_NE(record.storeParameterProc, nullptr);
    EXPECT_NE(record.readParameterProc, nullptr);
    EXPECT_EQ(effect.sampleRate(), 44100.0f);
    EXPECT_EQ(effect.blockSize(), 1024);
    EXPECT_EQ(effect.currentProgram(), 0);
    EXPECT_EQ(effect.editor(), nullptr);
}

TEST(EffectBase, SettersWriteTheirRecordFieldAndMarksTouchOnlyTheirBit) {
    EffectBaseEx effect(nullptr, 1, 1);
    const EffectRecord& record = *effect.effectRecord();
    effect.setEffectId(fourCharCode("ABCD"));
    effect.setInputCount(4);
    effect.setOutputCount(6);
    effect.setLatencySamples(128);
    effect.setRealtimeQuality(3);
    effect.setOfflineQuality(9);
    EXPECT_EQ(record.effectId, fourCharCode("ABCD"));
    EXPECT_EQ(record.inputCount, 4);
    EXPECT_EQ(record.outputCount, 6);
    EXPECT_EQ(record.latencySamples, 128);
    EXPECT_EQ(record.realtimeQuality, 3);
    EXPECT_EQ(record.offlineQuality, 9);

    struct {
        void (EffectBaseEx::*mark)(bool);
        std::int32_t bit;
    } marks[] = {
        {&EffectBaseEx::markLevelMeter, flagLevelMeter},
        {&EffectBaseEx::markClipMeter, flagClipMeter},
        {&EffectBaseEx::markMonoInput, flagMonoInput},
        {&EffectBaseEx::markOverwriting, flagOverwriting},
        {&EffectBaseEx::markStateBlob, flagStateBlob},
        {&EffectBaseEx::markAsyncExtension, flagAsyncExtension},
        {&EffectBaseEx::markBufferExtension, flagBufferExtension},
        {&EffectBaseEx::markInstrument, flagInstrument},
        {&EffectBaseEx::markSilentWhenStopped, flagSilentWhenStopped},
    };
    for (const auto& m : marks) {
        SCOPED_TRACE(m.bit);
        effect.markMonoInput(true);  // a neighbour that must survive
        const std::int32_t before = record.recordFlags | flagMonoInput;
        (effect.*m.mark)(true);
        EXPECT_EQ(record.recordFlags, before | m.bit);
        (effect.*m.mark)(false);
        EXPECT_EQ(record.recordFlags, before & ~m.bit);
    }
}

TEST(EffectBase, KindFollowsTheInstrumentFlag) {
    EffectBaseEx effect(nullptr, 1, 1);
    EXPECT_EQ(effect.dispatch(plugOpKind, 0, 0, nullptr, 0), 0);
    effect.markInstrument(true);
    EXPECT_EQ(effect.dispatch(plugOpKind, 0, 0, nullptr, 0), 2);
}

TEST(EffectBase, BaseDefaultsOfTheProgramAndTextRequests) {
    EffectBaseEx effect(nullptr, 4, 2);
    char text[16];
    std::strcpy(text, "something");
    effect.dispatch(plugOpRenameProgram, 0, 0, text, 0);
    EXPECT_STREQ(text, "");
    for (std::int32_t opcode : {plugOpProgramName, plugOpParameterUnit, plugOpParameterText,
                                plugOpParameterName}) {
        std::strcpy(text, "something");
        EXPECT_EQ(effect.dispatch(opcode, 0, 0, text, 0), 0);
        EXPECT_STREQ(text, "") << opcode;
    }
    effect.dispatch(plugOpSelectProgram, 0, 3, nullptr, 0);
    EXPECT_EQ(effect.dispatch(plugOpCurrentProgram, 0, 0, nullptr, 0), 3);
    effect.dispatch(plugOpSelectProgram, 0, 4, nullptr, 0);
    effect.dispatch(plugOpSelectProgram, 0, std::intptr_t(1) << 32, nullptr, 0);  // not 0
    EXPECT_EQ(effect.currentProgram(), 3);
    EXPECT_EQ(effect.dispatch(plugOpVendorVersion, 0, 0, nullptr, 0), 0);
    std::strcpy(text, "kept");
    EXPECT_EQ(effect.dispatch(plugOpVendorName, 0, 0, text, 0), 0);
    EXPECT_STREQ(text, "kept");
}

TEST(EffectBase, SampleRateAndBlockSizeRequestsStoreTheirFields) {
    EffectBaseEx effect(nullptr, 1, 1);
    EXPECT_EQ(effect.dispatch(plugOpSampleRate, 0, 0, nullptr, 96000.0f), 0);
    EXPECT_EQ(effect.dispatch(plugOpBlockSize, 0, 333, nullptr, 0), 0);
    EXPECT_EQ(effect.sampleRate(), 96000.0f);
    EXPECT_EQ(effect.blockSize(), 333);
    EXPECT_EQ(effect.dispatch(plugOpBlockSizeAndRate, 0, 64, nullptr, 22050.0f), 1);
    EXPECT_EQ(effect.sampleRate(), 22050.0f);
    EXPECT_EQ(effect.blockSize(), 64);
}

TEST(Capabilities, ListTheInterfacesVocabulary) {
    EXPECT_EQ(orbitone::kEffectCapabilities.front(), "sendZylEvents");
    EXPECT_EQ(orbitone::kEffectCapabilities[13], "1in1out");
    EXPECT_EQ(orbitone::kEffectCapabilities.back(), "bypass");
    EXPECT_EQ(orbitone::kHostCapabilities[6], "reportConnectionChanges");
    EXPECT_EQ(orbitone::kHostCapabilities.back(), "shellCategory");
    for (auto list : {std::span<const std::string_view>(orbitone::kEffectCapabilities),
                      std::span<const std::string_view>(orbitone::kHostCapabilities)})
        for (std::size_t i = 0; i < list.size(); ++i)
            for (std::size_t j = i + 1; j < list.size(); ++j) EXPECT_NE(list[i], list[j]);
}

}  // namespace
