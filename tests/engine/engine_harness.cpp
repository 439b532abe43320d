#include "engine_harness.h"

#include <cstring>

namespace orbitone::testing {

std::string LoopChoice::name() const {
    if (set == nullptr) return "runSignalLoop";
    return std::string(set->name) + (alwaysGuarded ? "_guarded" : "_auto");
}

std::vector<LoopChoice> allLoopChoices() {
    std::vector<LoopChoice> choices{LoopChoice{}};
    for (const kernel::KernelSet* set : kernel::availableKernelSets()) {
        choices.push_back({set, false});
        choices.push_back({set, true});
    }
    return choices;
}

void Engine::process(const float* inL, const float* inR, float* outL, float* outR,
                     std::int32_t frames, OutputMode mode) {
    const float* inputs[2] = {inL, inR};
    float* outputs[2] = {outL, outR};
    if (choice.set == nullptr) {
        runSignalLoop(state, antiDenormal, inputs, outputs, frames, mode);
        return;
    }
    if (frames <= 0) return;
    const kernel::LoopIo io{inL, inR, outL, outR, frames};
    const bool guarded =
        choice.alwaysGuarded || !kernel::plainWrapSuffices(state, antiDenormal, io);
    choice.set->select(mode, state, guarded)(state, antiDenormal, io);
}

const float* engineTable(reference::Wave wave) {
    const WaveformTables& t = sharedWaveformTables();
    switch (wave) {
        case reference::Wave::square: return t.waveSquare;
        case reference::Wave::saw: return t.waveSaw;
        case reference::Wave::triangle: return t.waveTriangle;
        case reference::Wave::sine: return t.waveSine;
    }
    return nullptr;
}

bool sameEngineState(const EngineState& a, const EngineState& b) {
    auto same = [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return same(a.wetGain, b.wetGain) && same(a.dryGain, b.dryGain) &&
           a.oscTable == b.oscTable && a.lfoTable == b.lfoTable &&
           same(a.oscEnvDepth, b.oscEnvDepth) && same(a.oscLfoDepth, b.oscLfoDepth) &&
           same(a.lfoEnvDepth, b.lfoEnvDepth) && same(a.attackCoef, b.attackCoef) &&
           same(a.attackGain, b.attackGain) && same(a.decayCoef, b.decayCoef) &&
           same(a.decayGain, b.decayGain) && same(a.oscIncrement, b.oscIncrement) &&
           same(a.lfoIncrement, b.lfoIncrement) && a.lfoInvertRight == b.lfoInvertRight &&
           a.envelopeLock == b.envelopeLock && same(a.rollCoef, b.rollCoef) &&
           same(a.rollGain, b.rollGain) && same(a.envLeft, b.envLeft) &&
           same(a.envRight, b.envRight) && same(a.lfoPhase, b.lfoPhase) &&
           same(a.oscPhaseLeft, b.oscPhaseLeft) && same(a.oscPhaseRight, b.oscPhaseRight) &&
           same(a.rollLeft, b.rollLeft) && same(a.rollRight, b.rollRight);
}

namespace {

struct Random {
    std::uint32_t state;
    // uniform in -1 .. 1
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }
};

}  // namespace

std::string signalName(SignalKind kind) {
    switch (kind) {
        case SignalKind::noise: return "noise";
        case SignalKind::silence: return "silence";
        case SignalKind::stepToOne: return "stepToOne";
        case SignalKind::loudAndQuiet: return "loudAndQuiet";
    }
    return "?";
}

Stereo makeNoise(std::size_t frames, float amplitude, std::uint32_t seed) {
    Random random{seed * 2654435761u + 1};
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t k = 0; k < frames; ++k) {
        s.left[k] = amplitude * random.next();
        s.right[k] = amplitude * random.next();
    }
    return s;
}

Stereo makeSignal(SignalKind kind, std::size_t frames, std::uint32_t seed) {
    switch (kind) {
        case SignalKind::noise: return makeNoise(frames, 1.0f, seed);
        case SignalKind::silence:
            return {std::vector<float>(frames), std::vector<float>(frames)};
        case SignalKind::stepToOne: {
            Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
            for (std::size_t k = frames / 4; k < frames; ++k) s.left[k] = s.right[k] = 1.0f;
            return s;
        }
        case SignalKind::loudAndQuiet: {
            // stretches of 700 frames, alternately loud (beyond full scale) and quiet
            Stereo s = makeNoise(frames, 1.0f, seed);
            for (std::size_t k = 0; k < frames; ++k) {
                const float gain = (k / 700) % 2 == 0 ? 3.0f : 0.001f;
                s.left[k] *= gain;
                s.right[k] *= gain * 0.5f;
            }
            return s;
        }
    }
    return {};
}

}  // namespace orbitone::testing
