#include "coefficients.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_harness.h"
#include "reference_model.h"
#include "programs.h"

namespace orbitone {
namespace {

const auto& kPrograms = kFactoryPrograms;
using testing::Values;

constexpr double kEC = 0.99999988f;

EngineState derived(const Values& v, float rate = 44100.0f) {
    EngineState s;
    deriveCoefficients(v, rate, sharedWaveformTables(), s);
    return s;
}

TEST(Coefficients, DefaultProgramAt44100) {
    const EngineState s = derived(kPrograms[0].values);
    const WaveformTables& t = sharedWaveformTables();
    const double r = static_cast<float>(1.0 / 44100.0);
    EXPECT_EQ(s.oscIncrement, static_cast<float>(250.0 * r));
    EXPECT_NEAR(s.oscIncrement, 250.0 / 44100.0, 1e-9);
    EXPECT_EQ(s.lfoIncrement, static_cast<float>(4.0 * r));
    EXPECT_NEAR(s.lfoIncrement, 4.0 / 44100.0, 1e-10);
    EXPECT_EQ(s.oscTable, t.waveSine);
    EXPECT_EQ(s.lfoTable, t.waveSaw);
    EXPECT_EQ(s.wetGain, static_cast<float>(double{0.7f} * double{1.6f}));
    EXPECT_NEAR(s.wetGain, 1.12f, 1e-6f);
    EXPECT_EQ(s.dryGain, 0.0f);
    EXPECT_NEAR(s.rollCoef, 0.74876f, 1e-5f);
    EXPECT_EQ(s.rollGain, static_cast<float>(1.0 - (0.5 * double{0.49751243f} + 0.5)));
    EXPECT_EQ(s.oscEnvDepth, 0.0f);
    EXPECT_EQ(s.oscLfoDepth, 0.0f);
    EXPECT_EQ(s.lfoEnvDepth, 0.0f);
    EXPECT_EQ(s.attackCoef, static_cast<float>(kEC - std::pow(0.5 * double{0.8f}, 6)));
    EXPECT_EQ(s.decayCoef, static_cast<float>(kEC - std::pow(0.25, 6)));
    // gains come from the coefficient before its rounding
    EXPECT_EQ(s.attackGain, static_cast<float>(1.0 - (kEC - std::pow(0.5 * double{0.8f}, 6))));
    EXPECT_EQ(s.decayGain, static_cast<float>(1.0 - (kEC - std::pow(0.25, 6))));
    EXPECT_FALSE(s.envelopeLock);
    EXPECT_FALSE(s.lfoInvertRight);
}

TEST(Coefficients, EnvelopeCoefficientEnds) {
    Values v = kPrograms[0].values;
    v[0] = 0.0f;
    v[1] = 1.0f;
    const EngineState s = derived(v);
    EXPECT_EQ(s.attackCoef, 0.99999988f);
    EXPECT_EQ(s.attackGain, static_cast<float>(1.0 - kEC));
    EXPECT_EQ(s.decayCoef, static_cast<float>(kEC - 1.0 / 64));
    EXPECT_NEAR(s.decayCoef, 0.984375f, 1e-6f);
}

TEST(Coefficients, Thresholds) {
    const WaveformTables& t = sharedWaveformTables();
    const double r = static_cast<float>(1.0 / 44100.0);
    auto with = [](int index, float value) {
        Values v = kPrograms[0].values;
        v[index] = value;
        return derived(v);
    };
    EXPECT_FALSE(with(10, 0.5f).envelopeLock);
    EXPECT_TRUE(with(10, 0.5000001f).envelopeLock);
    EXPECT_FALSE(with(12, 0.5f).lfoInvertRight);
    EXPECT_TRUE(with(12, 0.5000001f).lfoInvertRight);
    // "Osc.Freq" 0.5: the range itself
    EXPECT_EQ(with(15, 0.75f).oscIncrement, static_cast<float>(1000.0 * r));
    EXPECT_EQ(with(15, 1.0f).oscIncrement, static_cast<float>(1000.0 * r));
    EXPECT_EQ(with(15, 0.7499f).oscIncrement, static_cast<float>(250.0 * r));
    EXPECT_EQ(with(15, 0.25f).oscIncrement, static_cast<float>(60.0 * r));
    EXPECT_EQ(with(15, 0.0f).oscIncrement, static_cast<float>(10.0 * r));
    EXPECT_EQ(with(15, -0.5f).oscIncrement, static_cast<float>(1000.0 * r));
    EXPECT_EQ(with(14, 0.25f).oscTable, t.waveSine);
    EXPECT_EQ(with(14, 0.2499f).oscTable, t.waveSquare);
    EXPECT_EQ(with(14, 1.0f).oscTable, t.waveTriangle);
    EXPECT_EQ(with(16, 0.25f).lfoTable, t.waveSine);
    EXPECT_EQ(with(16, 0.2499f).lfoTable, t.waveSquare);
    EXPECT_EQ(with(16, 1.0f).lfoTable, t.waveTriangle);
}

TEST(Coefficients, FrequencyEnds) {
    const double r = static_cast<float>(1.0 / 44100.0);
    Values v = kPrograms[0].values;
    v[4] = 0.0f;
    v[6] = 0.0f;
    EngineState s = derived(v);
    EXPECT_EQ(s.oscIncrement, static_cast<float>(0.25 * 250.0 * r));
    EXPECT_EQ(s.lfoIncrement, static_cast<float>(0.5 * r));
    v[4] = 1.0f;
    v[6] = 1.0f;
    s = derived(v);
    EXPECT_EQ(s.oscIncrement, static_cast<float>(4.0 * 250.0 * r));
    EXPECT_EQ(s.lfoIncrement, static_cast<float>(32.0 * r));
}

TEST(Coefficients, EveryFactoryProgramMatchesTheReferenceAtSeveralRates) {
    for (const float rate : {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        for (const FactoryProgram& program : kPrograms) {
            SCOPED_TRACE(std::string(program.name) + " at " + std::to_string(rate));
            const EngineState s = derived(program.values, rate);
            const reference::Coefficients c = reference::derive(program.values, rate);
            EXPECT_EQ(s.wetGain, c.wetGain);
            EXPECT_EQ(s.dryGain, c.dryGain);
            EXPECT_EQ(s.oscTable, testing::engineTable(c.oscWave));
            EXPECT_EQ(s.lfoTable, testing::engineTable(c.lfoWave));
            EXPECT_EQ(s.oscEnvDepth, c.oscEnvDepth);
            EXPECT_EQ(s.oscLfoDepth, c.oscLfoDepth);
            EXPECT_EQ(s.lfoEnvDepth, c.lfoEnvDepth);
            EXPECT_EQ(s.attackCoef, c.attackCoef);
            EXPECT_EQ(s.attackGain, c.attackGain);
            EXPECT_EQ(s.decayCoef, c.decayCoef);
            EXPECT_EQ(s.decayGain, c.decayGain);
            EXPECT_EQ(s.oscIncrement, c.oscIncrement);
            EXPECT_EQ(s.lfoIncrement, c.lfoIncrement);
            EXPECT_EQ(s.lfoInvertRight, c.lfoInvertRight);
            EXPECT_EQ(s.envelopeLock, c.envelopeLock);
            EXPECT_EQ(s.rollCoef, c.rollCoef);
            EXPECT_EQ(s.rollGain, c.rollGain);
        }
    }
}

TEST(Coefficients, MixBalanceAndGain) {
    Values v = kPrograms[0].values;
    v[8] = 0.0f;  // all dry
    EngineState s = derived(v);
    EXPECT_EQ(s.wetGain, 0.0f);
    EXPECT_EQ(s.dryGain, static_cast<float>(double{0.7f} * double{1.6f}));
    v[9] = 0.0f;  // silent
    s = derived(v);
    EXPECT_EQ(s.wetGain, 0.0f);
    EXPECT_EQ(s.dryGain, 0.0f);
}

TEST(Coefficients, RunningStateIsNotTouched) {
    EngineState s;
    s.envLeft = 0.5f;
    s.envRight = 0.25f;
    s.lfoPhase = 0.125f;
    s.oscPhaseLeft = 0.75f;
    s.oscPhaseRight = 0.375f;
    s.rollLeft = -0.5f;
    s.rollRight = 0.0625f;
    deriveCoefficients(kPrograms[7].values, 48000.0f, sharedWaveformTables(), s);
    EXPECT_EQ(s.envLeft, 0.5f);
    EXPECT_EQ(s.envRight, 0.25f);
    EXPECT_EQ(s.lfoPhase, 0.125f);
    EXPECT_EQ(s.oscPhaseLeft, 0.75f);
    EXPECT_EQ(s.oscPhaseRight, 0.375f);
    EXPECT_EQ(s.rollLeft, -0.5f);
    EXPECT_EQ(s.rollRight, 0.0625f);
}

TEST(Coefficients, ValuesOutsideTheRangeAreUsedAsTheyAre) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Values v = kPrograms[0].values;
    v[0] = 2.0f;  // (0.5 * 2)^6 = 1 reaches EC: a coefficient just below zero
    v[1] = -4.0f;
    EngineState s = derived(v);
    EXPECT_LT(s.attackCoef, 0.0f);
    EXPECT_LT(s.decayCoef, 0.0f);

    // a sample rate of 0 gives infinite increments
    s = derived(kPrograms[0].values, 0.0f);
    EXPECT_TRUE(std::isinf(s.oscIncrement));
    EXPECT_TRUE(std::isinf(s.lfoIncrement));

    // NaN everywhere: no switch is on, waveforms and range fall to triangle and 1000 Hz
    v.fill(nan);
    s = derived(v);
    EXPECT_FALSE(s.envelopeLock);
    EXPECT_FALSE(s.lfoInvertRight);
    EXPECT_EQ(s.oscTable, sharedWaveformTables().waveTriangle);
    EXPECT_EQ(s.lfoTable, sharedWaveformTables().waveTriangle);
    EXPECT_TRUE(std::isnan(s.wetGain));
    EXPECT_EQ(oscillatorRange(nan), 1000.0);
    EXPECT_EQ(oscillatorRange(1e30f), 1000.0);
    EXPECT_EQ(oscillatorRange(-0.2f), 10.0);
}

}  // namespace
}  // namespace orbitone
