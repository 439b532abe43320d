// Inputs and values the plain loop has no answer for: the loop must stay inside its
// tables, raise no undefined behaviour (this runs under the sanitizers, with float to
// integer conversions checked too), and work normally again after a reset.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine_harness.h"
#include "reference_model.h"
#include "signal_kernel.h"
#include "signal_loop.h"
#include "programs.h"

namespace orbitone {
namespace {

using testing::Engine;
const auto& kPrograms = kFactoryPrograms;
using testing::LoopChoice;
using testing::Stereo;
using testing::Values;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Phases the loop leaves behind are ones it could read the table at.
void expectSaneRunningState(const EngineState& s) {
    for (const float phase : {s.lfoPhase, s.oscPhaseLeft, s.oscPhaseRight}) {
        EXPECT_GT(phase, -1.0f / kWaveLength);
        EXPECT_LE(phase, 1.0f);
    }
    for (const float v : {s.envLeft, s.envRight, s.rollLeft, s.rollRight})
        EXPECT_TRUE(std::isfinite(v)) << v;
}

// Processes `in` in blocks of 512 and returns the outputs.
Stereo processAll(Engine& engine, const Stereo& in) {
    Stereo out{std::vector<float>(in.size()), std::vector<float>(in.size())};
    for (std::size_t at = 0; at < in.size(); at += 512) {
        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(512, in.size() - at));
        engine.process(&in.left[at], &in.right[at], &out.left[at], &out.right[at], n,
                       OutputMode::overwriting);
        if (engine.choice.set == nullptr) expectSaneRunningState(engine.state);
    }
    return out;
}

// The reference's output for `in`, in the same blocks of 512.
Stereo modelAll(reference::Modulator& model, const Stereo& in) {
    Stereo out{std::vector<float>(in.size()), std::vector<float>(in.size())};
    for (std::size_t at = 0; at < in.size(); at += 512) {
        const int n = static_cast<int>(std::min<std::size_t>(512, in.size() - at));
        model.process(&in.left[at], &in.right[at], &out.left[at], &out.right[at], n, false);
    }
    return out;
}

// After a reset of the state and the values, the effect gives exactly what a fresh one
// gives (the offset's sign carried over).
void expectNormalAfterReset(Engine& engine, const Values& values) {
    resetRunningState(engine.state);
    engine.apply(values);
    reference::Modulator model;
    model.c = reference::derive(values, 44100.0f);
    model.antiDenormal = engine.antiDenormal;
    const Stereo in = testing::makeNoise(3000, 1.0f, 11);
    const Stereo expected = modelAll(model, in);
    const Stereo out = processAll(engine, in);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(out.right, expected.right);
}

class EveryVariant : public ::testing::TestWithParam<std::size_t> {
protected:
    LoopChoice choice() const { return testing::allLoopChoices()[GetParam()]; }
};

TEST_P(EveryVariant, NonFiniteInput) {
    for (const auto& program : kPrograms) {
        SCOPED_TRACE(program.name);
        Engine engine{choice()};
        engine.apply(program.values);
        Stereo in = testing::makeNoise(20000, 1.0f);
        in.left[100] = kNaN;                                      // a single bad sample
        in.right[2000] = kInf;                                    // an infinity on the right
        in.left[5000] = -kInf;
        for (std::size_t k = 8000; k < 9000; ++k) in.left[k] = kNaN;  // a long stretch
        for (std::size_t k = 12000; k < 12600; ++k) in.right[k] = (k % 2) ? kInf : kNaN;
        const Stereo out = processAll(engine, in);
        // Once the input is finite again, so is the output: the envelopes restarted.
        for (std::size_t k = 12700; k < in.size(); ++k) {
            ASSERT_TRUE(std::isfinite(out.left[k])) << k;
            ASSERT_TRUE(std::isfinite(out.right[k])) << k;
        }
        for (std::size_t k = 101; k < 2000; ++k) ASSERT_TRUE(std::isfinite(out.left[k])) << k;
        expectNormalAfterReset(engine, program.values);
    }
}

TEST_P(EveryVariant, StoredValuesFarOutsideTheRange) {
    const Stereo in = testing::makeNoise(10000, 1.0f, 3);
    const Values normal = kPrograms[0].values;
    for (const float bad : {-10.0f, 10.0f, kNaN, 1e30f, -1e30f, kInf}) {
        for (int index = 0; index < 17; ++index) {
            SCOPED_TRACE("parameter " + std::to_string(index) + " = " + std::to_string(bad));
            Engine engine{choice()};
            Values values = normal;
            values[index] = bad;
            engine.apply(values);
            processAll(engine, in);
            expectNormalAfterReset(engine, normal);
        }
        // and every parameter at once
        SCOPED_TRACE("all parameters = " + std::to_string(bad));
        Engine engine{choice()};
        Values values;
        values.fill(bad);
        engine.apply(values);
        processAll(engine, in);
        expectNormalAfterReset(engine, normal);
    }
}

TEST_P(EveryVariant, StepsOfACycleOrMoreKeepTheOscillatorRunning) {
    // top of the 1000 Hz range, full envelope and LFO modulation, a loud input: the
    // oscillator step reaches several cycles per frame
    Values v = kPrograms[7].values;
    v[2] = 1.0f;
    v[3] = 1.0f;
    v[4] = 1.0f;
    v[15] = 1.0f;
    v[14] = 0.6f;  // saw
    Engine engine{choice()};
    engine.apply(v);
    const Stereo in = testing::makeNoise(20000, 4.0f);
    const Stereo out = processAll(engine, in);
    expectSaneRunningState(engine.state);
    double energy = 0;
    for (std::size_t k = 0; k < in.size(); ++k) {
        ASSERT_TRUE(std::isfinite(out.left[k]));
        energy += out.left[k] * out.left[k];
    }
    EXPECT_GT(energy, 1.0);
    expectNormalAfterReset(engine, kPrograms[7].values);
}

TEST_P(EveryVariant, ASampleRateOfZero) {
    Engine engine{choice()};
    engine.apply(kPrograms[4].values, 0.0f);
    processAll(engine, testing::makeNoise(5000, 1.0f));
    expectNormalAfterReset(engine, kPrograms[4].values);
}

TEST_P(EveryVariant, NonFiniteOrStrayRunningState) {
    // however the state got there, a call starting from it stays inside the tables
    for (const float stray : {kNaN, kInf, -kInf, -3.5f, 1e20f, -1e-30f, 1.0f}) {
        Engine engine{choice()};
        engine.apply(kPrograms[1].values);
        engine.state.lfoPhase = engine.state.oscPhaseLeft = engine.state.oscPhaseRight = stray;
        engine.state.envLeft = engine.state.envRight = stray;
        engine.state.rollLeft = engine.state.rollRight = stray;
        processAll(engine, testing::makeNoise(2000, 1.0f));
        expectNormalAfterReset(engine, kPrograms[1].values);
    }
}

// Where the single wrap does suffice, though the bounds cannot prove it up front, the
// guards change nothing: the output is the plain loop's to the bit.
TEST_P(EveryVariant, GuardsDoNotTouchWhatThePlainLoopCanDo) {
    struct Case {
        const char* what;
        Values values;
        float rate;
    };
    Values inverted = kPrograms[7].values;  // "Flexible": triangle LFO at full depth
    inverted[12] = 1.0f;  // inverted, the right step runs slightly backwards at the peak
    Values fast = kPrograms[0].values;  // a step of 250/251 of a cycle per frame
    Values loud = kPrograms[4].values;  // deep envelope modulation under a loud input
    const Case cases[] = {{"inverted triangle", inverted, 44100.0f},
                          {"step just below a cycle", fast, 251.0f},
                          {"loud input", loud, 44100.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Engine engine{choice()};
        engine.apply(c.values, c.rate);
        reference::Modulator model;
        model.c = reference::derive(c.values, c.rate);
        const Stereo in = testing::makeNoise(30000, c.values == loud ? 2.5f : 1.0f, 5);
        const Stereo expected = modelAll(model, in);
        ASSERT_FALSE(model.readOutside);
        const Stereo out = processAll(engine, in);
        EXPECT_EQ(out.left, expected.left);
        EXPECT_EQ(out.right, expected.right);
    }
}

INSTANTIATE_TEST_SUITE_P(Robustness, EveryVariant,
                         ::testing::Range<std::size_t>(0, testing::allLoopChoices().size()),
                         [](const auto& info) {
                             return testing::allLoopChoices()[info.param].name();
                         });

// ---------------------------------------------------------------------------------
// When the unguarded loop is trusted.

struct PlainWrap : ::testing::Test {
    Engine engine;
    Stereo in = testing::makeNoise(512, 1.0f);
    bool suffices() const {
        const kernel::LoopIo io{in.left.data(), in.right.data(), nullptr, nullptr, 512};
        return kernel::plainWrapSuffices(engine.state, engine.antiDenormal, io);
    }
};

TEST_F(PlainWrap, HoldsForEveryFactoryProgramAtFullScale) {
    for (const auto& program : kPrograms) {
        for (const float rate : {44100.0f, 48000.0f, 96000.0f}) {
            engine.apply(program.values, rate);
            EXPECT_TRUE(suffices()) << program.name << " at " << rate;
        }
    }
}

TEST_F(PlainWrap, FailsWhereAStepCouldLeaveTheTable) {
    engine.apply(kPrograms[0].values);
    ASSERT_TRUE(suffices());
    struct Case {
        const char* what;
        void (*change)(PlainWrap&);
    };
    const Case cases[] = {
        {"NaN input", [](PlainWrap& t) { t.in.left[300] = kNaN; }},
        {"infinite input", [](PlainWrap& t) { t.in.right[0] = -kInf; }},
        {"phase outside", [](PlainWrap& t) { t.engine.state.oscPhaseRight = -0.01f; }},
        {"NaN phase", [](PlainWrap& t) { t.engine.state.lfoPhase = kNaN; }},
        {"negative envelope", [](PlainWrap& t) { t.engine.state.envLeft = -1.0f; }},
        {"negative increment", [](PlainWrap& t) { t.engine.state.oscIncrement = -1e-3f; }},
        {"huge increment", [](PlainWrap& t) { t.engine.state.lfoIncrement = 0.995f; }},
        {"LFO depth past -1",
         [](PlainWrap& t) { t.engine.state.oscLfoDepth = 1.001f; }},
        {"envelope coefficient 1", [](PlainWrap& t) { t.engine.state.decayCoef = 1.0f; }},
        {"negative gain", [](PlainWrap& t) { t.engine.state.attackGain = -0.1f; }},
        {"NaN depth", [](PlainWrap& t) { t.engine.state.oscEnvDepth = kNaN; }},
        {"loud with deep envelope pitch",
         [](PlainWrap& t) {
             t.engine.state.oscEnvDepth = 5.0f;
             t.engine.state.oscIncrement = 0.02f;
             for (float& x : t.in.left) x *= 1000.0f;
         }},
    };
    for (const Case& c : cases) {
        engine = Engine{};
        engine.apply(kPrograms[0].values);
        in = testing::makeNoise(512, 1.0f);
        c.change(*this);
        EXPECT_FALSE(suffices()) << c.what;
    }
}

}  // namespace
}  // namespace orbitone
