#include "signal_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "engine_harness.h"
#include "reference_model.h"
#include "programs.h"

namespace orbitone {
namespace {

using testing::Engine;
const auto& kPrograms = kFactoryPrograms;
using testing::LoopChoice;
using testing::SignalKind;
using testing::Stereo;
using testing::Values;

void expectSameRunningState(const EngineState& s, const reference::Modulator& m) {
    EXPECT_EQ(s.envLeft, m.state.envLeft);
    EXPECT_EQ(s.envRight, m.state.envRight);
    EXPECT_EQ(s.lfoPhase, m.state.lfoPhase);
    EXPECT_EQ(s.oscPhaseLeft, m.state.oscPhaseLeft);
    EXPECT_EQ(s.oscPhaseRight, m.state.oscPhaseRight);
    EXPECT_EQ(s.rollLeft, m.state.rollLeft);
    EXPECT_EQ(s.rollRight, m.state.rollRight);
}

// ---------------------------------------------------------------------------------
// Every loop variant against the reference model, sample by sample, for every factory
// program over varied input, in varying block sizes, with stores and program switches
// between blocks and both output modes.

class AgainstReference : public ::testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(AgainstReference, SampleBySample) {
    const LoopChoice choice = testing::allLoopChoices()[std::get<0>(GetParam())];
    const int first = std::get<1>(GetParam());
    const std::size_t blocks[] = {1, 2, 3, 64, 127, 512, 1000, 5, 4096, 31, 700, 256};

    for (const SignalKind kind : {SignalKind::noise, SignalKind::silence,
                                  SignalKind::stepToOne, SignalKind::loudAndQuiet}) {
        SCOPED_TRACE(testing::signalName(kind));
        std::size_t total = 0;
        for (std::size_t b : blocks) total += b;
        const Stereo in = testing::makeSignal(kind, total, 7 + first);
        // outputs start with something in them, for the adding blocks
        Stereo engineOut = testing::makeNoise(total, 0.5f, 99);
        Stereo modelOut = engineOut;

        Engine engine{choice};
        reference::Modulator model;
        Values values = kPrograms[first].values;
        engine.apply(values);
        model.c = reference::derive(values, 44100.0f);

        std::size_t at = 0;
        int blockNumber = 0;
        for (const std::size_t n : blocks) {
            const bool adding = blockNumber % 3 == 1;
            engine.process(&in.left[at], &in.right[at], &engineOut.left[at],
                           &engineOut.right[at], static_cast<std::int32_t>(n),
                           adding ? OutputMode::adding : OutputMode::overwriting);
            model.process(&in.left[at], &in.right[at], &modelOut.left[at],
                          &modelOut.right[at], static_cast<int>(n), adding);
            ASSERT_FALSE(model.readOutside) << "the case leaves the plain loop's domain";
            for (std::size_t k = at; k < at + n; ++k) {
                ASSERT_EQ(engineOut.left[k], modelOut.left[k]) << "left, frame " << k;
                ASSERT_EQ(engineOut.right[k], modelOut.right[k]) << "right, frame " << k;
            }
            expectSameRunningState(engine.state, model);
            ASSERT_EQ(engine.antiDenormal, model.antiDenormal);
            at += n;

            // between blocks: a store into the current values, or a program switch
            ++blockNumber;
            if (blockNumber % 4 == 0) {
                values = kPrograms[(first + blockNumber / 4) % kPrograms.size()].values;
            } else if (blockNumber % 4 == 2) {
                const int index = (blockNumber * 5) % 17;
                values[index] = static_cast<float>((blockNumber * 37) % 101) / 100.0f;
            }
            engine.apply(values);
            model.c = reference::derive(values, 44100.0f);
        }
    }
}

// Buffers that overlap without being the same (an output one sample behind or ahead of an
// input, both outputs in one buffer): the frame-by-frame order of reads and writes holds.
TEST_P(AgainstReference, OverlappingBuffers) {
    const LoopChoice choice = testing::allLoopChoices()[std::get<0>(GetParam())];
    const int program = std::get<1>(GetParam());
    constexpr int kFrames = 300;
    for (const int shift : {1, -1, 3}) {
        for (const bool adding : {false, true}) {
            SCOPED_TRACE("shift " + std::to_string(shift) + (adding ? " adding" : ""));
            const Stereo noise = testing::makeNoise(kFrames + 8, 0.8f, 21);
            Stereo engineBuffers = noise, modelBuffers = noise;
            auto run = [&](Stereo& b, auto&& process) {
                float* inL = b.left.data() + 4;
                float* inR = b.right.data() + 4;
                process(inL, inR, inL + shift, shift == 3 ? inL + shift : inR + shift);
            };
            Engine engine{choice};
            engine.apply(kPrograms[program].values);
            run(engineBuffers, [&](float* inL, float* inR, float* outL, float* outR) {
                engine.process(inL, inR, outL, outR, kFrames,
                               adding ? OutputMode::adding : OutputMode::overwriting);
            });
            reference::Modulator model;
            model.c = reference::derive(kPrograms[program].values, 44100.0f);
            run(modelBuffers, [&](float* inL, float* inR, float* outL, float* outR) {
                model.process(inL, inR, outL, outR, kFrames, adding);
            });
            ASSERT_FALSE(model.readOutside);
            EXPECT_EQ(engineBuffers.left, modelBuffers.left);
            EXPECT_EQ(engineBuffers.right, modelBuffers.right);
            expectSameRunningState(engine.state, model);
        }
    }
}

std::string againstReferenceName(
    const ::testing::TestParamInfo<std::tuple<std::size_t, int>>& info) {
    std::string name = testing::allLoopChoices()[std::get<0>(info.param)].name() + "_" +
                       kPrograms[std::get<1>(info.param)].name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryVariantAndProgram, AgainstReference,
    ::testing::Combine(::testing::Range<std::size_t>(0, testing::allLoopChoices().size()),
                       ::testing::Range(0, 9)),
    againstReferenceName);

// ---------------------------------------------------------------------------------
// The loop's own edge cases, through runSignalLoop.

struct Fixture : ::testing::Test {
    Engine engine;
    void apply(const Values& v) { engine.apply(v); }
    std::vector<float> outL, outR;
    void run(const Stereo& in, OutputMode mode = OutputMode::overwriting,
             std::size_t from = 0, std::size_t count = 0) {
        if (count == 0) count = in.size() - from;
        outL.resize(in.size());
        outR.resize(in.size());
        engine.process(&in.left[from], &in.right[from], &outL[from], &outR[from],
                       static_cast<std::int32_t>(count), mode);
    }
};

TEST_F(Fixture, AddingOnZeroEqualsOverwritingAndAddingAddsToWhatIsThere) {
    const Stereo in = testing::makeNoise(2000, 0.8f);
    apply(kPrograms[4].values);
    const EngineState start = engine.state;
    run(in, OutputMode::overwriting);
    const std::vector<float> written = outL, writtenR = outR;

    engine.state = start;
    engine.antiDenormal = kAntiDenormalStart;
    outL.assign(in.size(), 0.0f);
    outR.assign(in.size(), 0.0f);
    engine.process(in.left.data(), in.right.data(), outL.data(), outR.data(), 2000,
                   OutputMode::adding);
    EXPECT_EQ(outL, written);
    EXPECT_EQ(outR, writtenR);

    engine.state = start;
    engine.antiDenormal = kAntiDenormalStart;
    const Stereo base = testing::makeNoise(2000, 0.25f, 5);
    outL = base.left;
    outR = base.right;
    engine.process(in.left.data(), in.right.data(), outL.data(), outR.data(), 2000,
                   OutputMode::adding);
    for (std::size_t k = 0; k < in.size(); ++k) {
        EXPECT_NEAR(outL[k], base.left[k] + written[k], 1e-6f);
        EXPECT_NEAR(outR[k], base.right[k] + writtenR[k], 1e-6f);
    }
}

TEST_F(Fixture, BalanceZeroIsAPlainGainAndGainZeroIsSilence) {
    const Stereo in = testing::makeNoise(1500, 1.0f);
    Values v = kPrograms[1].values;
    v[8] = 0.0f;
    apply(v);
    const float dry = engine.state.dryGain;
    EXPECT_NEAR(dry, 1.6f * 0.7f, 1e-6f);
    run(in);
    float d = kAntiDenormalStart;
    for (std::size_t k = 0; k < in.size(); ++k, d = -d) {
        const float xl = in.left[k] + d, xr = in.right[k] + d;
        ASSERT_EQ(outL[k], static_cast<float>(double{dry} * xl)) << k;
        ASSERT_EQ(outR[k], static_cast<float>(double{dry} * xr)) << k;
    }

    v[8] = 0.6f;
    v[9] = 0.0f;
    apply(v);
    run(in);
    for (std::size_t k = 0; k < in.size(); ++k) {
        ASSERT_EQ(outL[k], 0.0f);
        ASSERT_EQ(outR[k], 0.0f);
    }
}

TEST_F(Fixture, FullAttackReachesOnePercentOfAStepInAbout300Frames) {
    Values v = kPrograms[0].values;
    v[0] = 1.0f;
    apply(v);
    EXPECT_NEAR(engine.state.attackCoef, 0.984f, 0.001f);
    std::vector<float> one(1, 1.0f), out(1);
    int frames = 0;
    while (engine.state.envLeft < 0.99f && frames < 1000) {
        engine.process(one.data(), one.data(), out.data(), out.data(), 1,
                       OutputMode::overwriting);
        ++frames;
    }
    EXPECT_GE(frames, 280);
    EXPECT_LE(frames, 310);
    EXPECT_EQ(engine.state.envLeft, engine.state.envRight);
}

TEST_F(Fixture, LockFreezesTheRightEnvelopeAndUnlockingResumesFromIt) {
    const Stereo in = testing::makeNoise(3000, 0.9f);
    Values v = kPrograms[3].values;
    apply(v);
    run(in, OutputMode::overwriting, 0, 1000);
    const float frozen = engine.state.envRight;
    ASSERT_GT(frozen, 0.0f);

    v[10] = 1.0f;
    apply(v);
    ASSERT_TRUE(engine.state.envelopeLock);
    run(in, OutputMode::overwriting, 1000, 1000);
    EXPECT_EQ(engine.state.envRight, frozen);

    // unlocked again, the right envelope continues from the frozen value
    v[10] = 0.0f;
    apply(v);
    reference::Modulator model;
    model.c = reference::derive(v, 44100.0f);
    model.state = {engine.state.envLeft, engine.state.envRight, engine.state.lfoPhase,
                   engine.state.oscPhaseLeft, engine.state.oscPhaseRight,
                   engine.state.rollLeft, engine.state.rollRight};
    model.antiDenormal = engine.antiDenormal;
    std::vector<float> ml(1000), mr(1000);
    model.process(&in.left[2000], &in.right[2000], ml.data(), mr.data(), 1000, false);
    run(in, OutputMode::overwriting, 2000, 1000);
    EXPECT_EQ(engine.state.envRight, model.state.envRight);
    EXPECT_EQ(std::vector<float>(outR.begin() + 2000, outR.end()), mr);
}

TEST_F(Fixture, LockedRightChannelFollowsTheLeftEnvelope) {
    // with the same oscillator start on both sides and no inversion, a locked right
    // channel fed anything at all runs the very same oscillator as the left one
    Values v = kPrograms[6].values;  // "Random": lock on
    v[3] = 1.0f;                     // strong envelope pitch modulation
    apply(v);
    ASSERT_TRUE(engine.state.envelopeLock);
    Stereo in = testing::makeNoise(2000, 1.0f);
    for (float& x : in.right) x *= 0.01f;
    run(in);
    EXPECT_EQ(engine.state.oscPhaseLeft, engine.state.oscPhaseRight);
    EXPECT_EQ(engine.state.rollLeft, engine.state.rollRight);
    EXPECT_EQ(engine.state.envRight, 0.0f);
}

TEST_F(Fixture, InvertedLfoDrivesTheChannelsApart) {
    Values v = kPrograms[0].values;
    v[2] = 1.0f;   // full LFO depth
    v[6] = 0.0f;   // 0.5 Hz
    v[12] = 1.0f;  // invert
    v[16] = 0.0f;  // square LFO
    apply(v);
    const double inc = engine.state.oscIncrement;
    const Stereo in = testing::makeNoise(22050 + 40, 0.5f);

    // phase advance over 40 frames (less than a cycle at twice the speed)
    auto advance = [&](std::size_t from) {
        const float l = engine.state.oscPhaseLeft, r = engine.state.oscPhaseRight;
        run(in, OutputMode::overwriting, from, 40);
        return std::pair{engine.state.oscPhaseLeft - l, engine.state.oscPhaseRight - r};
    };
    // LFO near the square's top: the left runs at twice the speed, the right nearly stands
    auto [left, right] = advance(0);
    EXPECT_NEAR(left, 80 * inc, 2 * inc);
    EXPECT_NEAR(right, 0.0, 2 * inc);
    // a quarter LFO cycle later the square is at its bottom: the reverse
    run(in, OutputMode::overwriting, 40, 22050 - 40);
    std::tie(left, right) = advance(22050);
    EXPECT_EQ(left, 0.0);
    EXPECT_NEAR(right, 80 * inc, 1e-5);
}

TEST_F(Fixture, ZeroOrNegativeFramesOrMissingBuffersChangeNothing) {
    apply(kPrograms[2].values);
    const Stereo in = testing::makeNoise(100, 1.0f);
    run(in);
    const EngineState before = engine.state;
    const float offset = engine.antiDenormal;
    std::vector<float> out(100, 3.0f);
    const float* inputs[2] = {in.left.data(), in.right.data()};
    float* outputs[2] = {out.data(), out.data()};
    const float* noInputs[2] = {in.left.data(), nullptr};
    for (const std::int32_t frames : {0, -1, -100000}) {
        runSignalLoop(engine.state, engine.antiDenormal, inputs, outputs, frames,
                      OutputMode::overwriting);
    }
    runSignalLoop(engine.state, engine.antiDenormal, nullptr, outputs, 100,
                  OutputMode::overwriting);
    runSignalLoop(engine.state, engine.antiDenormal, inputs, nullptr, 100,
                  OutputMode::adding);
    runSignalLoop(engine.state, engine.antiDenormal, noInputs, outputs, 100,
                  OutputMode::adding);
    EXPECT_TRUE(testing::sameEngineState(before, engine.state));
    EXPECT_EQ(engine.antiDenormal, offset);
    EXPECT_EQ(out, std::vector<float>(100, 3.0f));
}

TEST_F(Fixture, InPlaceGivesTheSameAsSeparateBuffers) {
    for (const OutputMode mode : {OutputMode::overwriting, OutputMode::adding}) {
        const Stereo in = testing::makeNoise(3000, 0.7f);
        apply(kPrograms[5].values);
        const EngineState start = engine.state;
        const Stereo base = testing::makeNoise(3000, 0.3f, 3);
        outL = base.left;
        outR = base.right;
        engine.antiDenormal = kAntiDenormalStart;
        engine.process(in.left.data(), in.right.data(), outL.data(), outR.data(), 3000, mode);

        engine.state = start;
        engine.antiDenormal = kAntiDenormalStart;
        Stereo buffer = in;
        if (mode == OutputMode::adding) {
            // adding in place adds the output to the input it came from
            for (std::size_t k = 0; k < 3000; ++k) {
                outL[k] -= base.left[k];
                outR[k] -= base.right[k];
            }
        }
        engine.process(buffer.left.data(), buffer.right.data(), buffer.left.data(),
                       buffer.right.data(), 3000, mode);
        for (std::size_t k = 0; k < 3000; ++k) {
            if (mode == OutputMode::overwriting) {
                ASSERT_EQ(buffer.left[k], outL[k]);
                ASSERT_EQ(buffer.right[k], outR[k]);
            } else {
                ASSERT_NEAR(buffer.left[k] - in.left[k], outL[k], 1e-6f);
                ASSERT_NEAR(buffer.right[k] - in.right[k], outR[k], 1e-6f);
            }
        }
    }
}

TEST_F(Fixture, TwoBlocksOf64AreOneOf128ApartFromTheStoredPrecision) {
    for (const auto& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const Stereo in = testing::makeNoise(128, 0.9f);
        engine = Engine{};
        apply(program.values);
        run(in);
        const std::vector<float> whole = outL, wholeR = outR;

        engine = Engine{};
        apply(program.values);
        run(in, OutputMode::overwriting, 0, 64);
        run(in, OutputMode::overwriting, 64, 64);
        for (std::size_t k = 0; k < 128; ++k) {
            if (k < 64) {
                ASSERT_EQ(outL[k], whole[k]);
            }
            ASSERT_NEAR(outL[k], whole[k], 1e-4f) << k;
            ASSERT_NEAR(outR[k], wholeR[k], 1e-4f) << k;
        }
    }
}

TEST_F(Fixture, SilenceGivesATinyAlternatingOutput) {
    apply(kPrograms[8].values);
    const Stereo in = testing::makeSignal(SignalKind::silence, 1001);
    run(in);
    // the oscillator's sign changes slowly, the offset's every frame
    int alternations = 0;
    for (std::size_t k = 0; k < in.size(); ++k) {
        ASSERT_LT(std::fabs(outL[k]), 2e-10f);
        if (k > 0 && outL[k] * outL[k - 1] < 0.0f) ++alternations;
    }
    EXPECT_GT(alternations, 900);
    // one offset per frame, its sign alternating for the effect's whole life
    EXPECT_EQ(engine.antiDenormal, -kAntiDenormalStart);
    run(in, OutputMode::overwriting, 0, 1);
    EXPECT_EQ(engine.antiDenormal, kAntiDenormalStart);
    resetRunningState(engine.state);
    EXPECT_EQ(engine.antiDenormal, kAntiDenormalStart);
}

TEST(RunningState, ResetZeroesRunningStateAndKeepsCoefficients) {
    Engine engine;
    engine.apply(kPrograms[7].values);
    const Stereo in = testing::makeNoise(777, 1.0f);
    std::vector<float> l(777), r(777);
    engine.process(in.left.data(), in.right.data(), l.data(), r.data(), 777,
                   OutputMode::overwriting);
    EngineState expected = engine.state;
    resetRunningState(engine.state);
    expected.envLeft = expected.envRight = expected.lfoPhase = 0.0f;
    expected.oscPhaseLeft = expected.oscPhaseRight = 0.0f;
    expected.rollLeft = expected.rollRight = 0.0f;
    EXPECT_TRUE(testing::sameEngineState(expected, engine.state));
}

}  // namespace
}  // namespace orbitone
