// What the engine tests share: an engine (state, offset, chosen loop variant) driven
// side by side with the reference model, and the test signals.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "coefficients.h"
#include "engine_state.h"
#include "reference_model.h"
#include "signal_kernel.h"
#include "signal_loop.h"
#include "waveform_tables.h"

namespace orbitone::testing {

using Values = std::array<float, 17>;

// How a test runs the loop: through runSignalLoop, or through one variant of one kernel
// set, either guarded only when needed (as runSignalLoop does) or always guarded.
struct LoopChoice {
    const kernel::KernelSet* set = nullptr;  // null: runSignalLoop
    bool alwaysGuarded = false;

    std::string name() const;
};

// Every choice this processor can run.
std::vector<LoopChoice> allLoopChoices();

struct Engine {
    explicit Engine(LoopChoice loop = {}) : choice(loop) {}

    EngineState state;
    float antiDenormal = kAntiDenormalStart;
    LoopChoice choice;

    void apply(const Values& values, float sampleRate = 44100.0f) {
        deriveCoefficients(values, sampleRate, sharedWaveformTables(), state);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR,
                 std::int32_t frames, OutputMode mode);
};

// Field by field (NaN equal to NaN).
bool sameEngineState(const EngineState& a, const EngineState& b);

// The engine table a reference waveform stands for.
const float* engineTable(reference::Wave wave);

// Stereo test signals, deterministic.
struct Stereo {
    std::vector<float> left, right;
    std::size_t size() const { return left.size(); }
};

enum class SignalKind { noise, silence, stepToOne, loudAndQuiet };
std::string signalName(SignalKind kind);
Stereo makeSignal(SignalKind kind, std::size_t frames, std::uint32_t seed = 1);
Stereo makeNoise(std::size_t frames, float amplitude, std::uint32_t seed = 1);

}  // namespace orbitone::testing
