// The per-sample loop, written once against a two-lane vocabulary `V` (lane 0 left,
// lane 1 right) and compiled by each kernel source for its instruction set.
//
// Include only from a kernel source: everything here has internal linkage, so the
// copies compiled with different instruction sets never meet at link time.
#pragma once

#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "signal_kernel.h"
#include "waveform_tables.h"

namespace orbitone::kernel {
namespace {

constexpr double kTableLength = kWaveLength;
constexpr float kEnvModFloor = -0.99f;  // lower limit of the envelope's pitch term

// True for a finite value (an infinity minus itself is NaN). Kept local rather than
// std::isfinite, so that no shared inline function is compiled for two instruction sets.
inline bool finite(double v) { return v - v == 0.0; }

// True when the table read of a phase that gives this scaled index is the plain one:
// its integer part (toward zero) lies in 0 .. kWaveLength - 1.
inline bool indexable(double scaledIndex) {
    return scaledIndex > -1.0 && scaledIndex < kTableLength;
}

// A phase the single wrap could not bring back, taken modulo 1; a non-finite phase (and
// the 1.0 that a tiny negative phase can round to) restarts at 0.
[[gnu::noinline, gnu::cold]] double rewrapPhase(double phase) {
    const double wrapped = phase - std::floor(phase);
    return (wrapped >= 0.0 && wrapped < 1.0) ? wrapped : 0.0;
}

// The loop runs as four stages, software-pipelined: in one iteration, the envelopes and
// the LFO phase of frame t (the modulation's recurrences), the oscillator steps of frame
// t - lag, the oscillator phases and table reads of frame t - 2 lag, and the roll-off and
// mix of frame t - 3 lag. A frame's path from input to output is far longer than any of
// the loop's recurrences; run frame by frame, the processor cannot overlap enough frames
// to hide it, while independent stages keep all of its chains busy at once. Values pass
// from stage to stage through a small ring.
constexpr std::int32_t kStageLag = 4;
constexpr std::int32_t kRingSize = 16;  // a power of two above 3 lag
static_assert(kRingSize > 3 * kStageLag && (kRingSize & (kRingSize - 1)) == 0);

// True when an output range overlaps an input range without being the very same buffer.
// Only then could a later frame's input be an earlier frame's output: the stages must then
// run frame after frame, to keep the plain order of reads and writes.
inline bool outputsOverlapInputs(const LoopIo& io) {
    // compared as addresses: the buffers are separate objects
    const auto bytes = static_cast<std::uintptr_t>(io.frameCount) * sizeof(float);
    auto partial = [bytes](const float* outBuffer, const float* inBuffer) {
        const auto out = reinterpret_cast<std::uintptr_t>(outBuffer);
        const auto in = reinterpret_cast<std::uintptr_t>(inBuffer);
        return out != in && out < in + bytes && in < out + bytes;
    };
    return partial(io.outLeft, io.inLeft) || partial(io.outLeft, io.inRight) ||
           partial(io.outRight, io.inLeft) || partial(io.outRight, io.inRight);
}

template <class V, bool Overwriting, bool EnvelopeLock, bool Guarded, bool Modulated>
void runLoop(EngineState& s, float& antiDenormal, const LoopIo& io) {
    using D2 = typename V::D2;
    using F2 = typename V::F2;

    // 2. working copies of the whole state
    const D2 attackCoef = V::splat(s.attackCoef);
    const D2 attackGain = V::splat(s.attackGain);
    const D2 decayCoef = V::splat(s.decayCoef);
    const D2 decayGain = V::splat(s.decayGain);
    const double lfoIncrement = s.lfoIncrement;
    const double lfoEnvDepth = s.lfoEnvDepth;
    const float* const lfoTable = s.lfoTable;
    const float oscLfoDepth = s.oscLfoDepth;
    const F2 lfoSigns = V::signsF(false, s.lfoInvertRight);
    const D2 oscEnvDepth = V::splat(s.oscEnvDepth);
    const F2 envModFloor = V::splatF(kEnvModFloor);
    const D2 oscIncrement = V::splat(s.oscIncrement);
    const float* const oscTable = s.oscTable;
    const D2 rollCoef = V::splat(s.rollCoef);
    const D2 rollGain = V::splat(s.rollGain);
    const D2 wetGain = V::splat(s.wetGain);
    const D2 dryGain = V::splat(s.dryGain);
    const D2 one = V::splat(1.0);
    const D2 tableLength = V::splat(kTableLength);

    // Locked, both lanes carry the left envelope (so the right lane is eR) and the
    // stored right envelope stays as it is.
    D2 env = V::pair(s.envLeft, EnvelopeLock ? s.envLeft : s.envRight);
    double lfoPhase = s.lfoPhase;
    D2 oscPhase = V::pair(s.oscPhaseLeft, s.oscPhaseRight);
    D2 roll = V::pair(s.rollLeft, s.rollRight);  // float values, kept widened
    F2 offset = V::splatF(antiDenormal);

    const float* const inLeft = io.inLeft;
    const float* const inRight = io.inRight;
    float* const outLeft = io.outLeft;
    float* const outRight = io.outRight;
    const std::int32_t frameCount = io.frameCount;

    // Per frame in flight, handed from stage to stage: the offset inputs, the envelopes,
    // the LFO's table index, the oscillator steps and the oscillator values.
    struct Ring {
        typename V::D2Store input[kRingSize];
        typename V::D2Store envelope[kRingSize];
        std::int32_t lfoIndex[kRingSize];
        typename V::D2Store step[kRingSize];
        typename V::D2Store osc[kRingSize];
    } ring;
    constexpr std::int32_t kMask = kRingSize - 1;

    // Stage 1: steps 4.1 to 4.4, the recurrences of the modulation.
    auto modulate = [&](std::int32_t k) {
        // 4.1 both inputs plus the offset, whose sign alternates frame by frame
        const D2 x = V::widen(V::addF(V::load(inLeft + k, inRight + k), offset));
        offset = V::negateF(offset);
        V::put(ring.input[k & kMask], x);

        // 4.2, 4.3 envelopes: both candidates are computed and one is selected, so the
        // data-dependent direction costs no branch
        D2 level = V::abs(x);
        if constexpr (EnvelopeLock) level = V::duplicateLeft(level);
        const D2 rising = V::add(V::mul(env, attackCoef), V::mul(level, attackGain));
        const D2 falling = V::add(V::mul(env, decayCoef), V::mul(level, decayGain));
        env = V::selectGreater(level, env, rising, falling);
        if constexpr (Guarded) {
            if (!V::allFinite(env)) [[unlikely]]
                env = V::pair(finite(V::left(env)) ? V::left(env) : 0.0,
                              finite(V::right(env)) ? V::right(env) : 0.0);
        }
        if constexpr (Modulated) V::put(ring.envelope[k & kMask], env);

        // 4.4 LFO, its speed following the left envelope (unmodulated, its depth is 0 and
        // the envelope finite, so the factor is exactly 1)
        if constexpr (Modulated)
            lfoPhase += lfoIncrement * (1.0 + lfoEnvDepth * V::left(env));
        else
            lfoPhase += lfoIncrement;
        if (lfoPhase >= 1.0) lfoPhase -= 1.0;
        double lfoIndex = lfoPhase * kTableLength;
        if constexpr (Guarded) {
            if (!indexable(lfoIndex)) [[unlikely]] {
                lfoPhase = rewrapPhase(lfoPhase);
                lfoIndex = lfoPhase * kTableLength;
            }
        }
        assert(indexable(lfoIndex));
        if constexpr (Modulated) ring.lfoIndex[k & kMask] = static_cast<std::int32_t>(lfoIndex);
    };

    // Stage 2: steps 4.5, 4.6 and the oscillator steps of 4.7, 4.8; no recurrence.
    auto step = [&](std::int32_t k) {
        // 4.5 LFO pitch term, negated for the right lane when inverted
        const float lfoMod = oscLfoDepth * lfoTable[ring.lfoIndex[k & kMask]];
        const D2 lfoPitch = V::add(one, V::widen(V::withSigns(lfoMod, lfoSigns)));

        // 4.6 envelope pitch term, limited below
        const D2 e = V::get(ring.envelope[k & kMask]);
        const F2 envMod = V::raiseTo(envModFloor, V::narrow(V::mul(oscEnvDepth, e)));
        const D2 envPitch = V::add(one, V::widen(envMod));

        V::put(ring.step[k & kMask], V::mul(V::mul(oscIncrement, lfoPitch), envPitch));
    };

    // Stage 3: steps 4.7 to 4.9, the oscillator phases and their table reads.
    auto oscillate = [&](std::int32_t k, D2 oscStep) {
        oscPhase = V::wrapOnce(V::add(oscPhase, oscStep), one);
        D2 oscIndex = V::mul(oscPhase, tableLength);
        if constexpr (Guarded) {
            if (!V::allIndexable(oscIndex, kTableLength)) [[unlikely]] {
                const double l = V::left(oscPhase), r = V::right(oscPhase);
                oscPhase = V::pair(indexable(l * kTableLength) ? l : rewrapPhase(l),
                                   indexable(r * kTableLength) ? r : rewrapPhase(r));
                oscIndex = V::mul(oscPhase, tableLength);
            }
        }
        assert(indexable(V::left(oscIndex)) && indexable(V::right(oscIndex)));
        V::put(ring.osc[k & kMask], V::widen(V::lookup(oscTable, oscIndex)));
    };

    // Stage 4: steps 4.10, 4.11, the roll-off (rounded to float every frame) and the mix.
    auto mix = [&](std::int32_t k) {
        const D2 osc = V::get(ring.osc[k & kMask]);
        roll = V::widen(V::narrow(V::mulAddExact(rollCoef, roll, V::mul(rollGain, osc))));
        const D2 x = V::get(ring.input[k & kMask]);
        const D2 y = V::add(V::mul(V::mul(wetGain, roll), x), V::mul(dryGain, x));
        if constexpr (Overwriting)
            V::store(outLeft + k, outRight + k, V::narrow(y));
        else
            V::storeAdded(outLeft + k, outRight + k, y);
    };

    // All four stages of frame k. Without pitch modulation every step is exactly
    // oscIncrement: both pitch factors are exactly 1.
    auto wholeFrame = [&](std::int32_t k) {
        modulate(k);
        if constexpr (Modulated) {
            step(k);
            oscillate(k, V::get(ring.step[k & kMask]));
        } else {
            oscillate(k, oscIncrement);
        }
        mix(k);
    };

    if (outputsOverlapInputs(io)) {
        for (std::int32_t k = 0; k < frameCount; ++k) wholeFrame(k);
    } else {
        // Iteration t runs stage n of frame t - n lag, where that frame exists. Within
        // the first and the last 3 lag iterations some stages have no frame; in between
        // all four run unchecked.
        constexpr std::int32_t kDepth = 3 * kStageLag;
        auto stages = [&](std::int32_t t, auto exists) {
            if (exists(t)) modulate(t);
            const std::int32_t b = t - kStageLag, c = b - kStageLag, d = c - kStageLag;
            if constexpr (Modulated) {
                if (exists(b)) step(b);
                if (exists(c)) oscillate(c, V::get(ring.step[c & kMask]));
            } else {
                if (exists(c)) oscillate(c, oscIncrement);
            }
            if (exists(d)) mix(d);
        };
        auto inCall = [frameCount](std::int32_t k) { return k >= 0 && k < frameCount; };
        auto always = [](std::int32_t) { return true; };
        std::int32_t t = 0;
        for (; t < kDepth && t < frameCount; ++t) stages(t, inCall);
        for (; t < frameCount; ++t) stages(t, always);
        for (; t < frameCount + kDepth; ++t) stages(t, inCall);
    }

    // 5. write the running state back
    antiDenormal = V::leftF(offset);
    s.envLeft = static_cast<float>(V::left(env));
    if constexpr (!EnvelopeLock) s.envRight = static_cast<float>(V::right(env));
    s.lfoPhase = static_cast<float>(lfoPhase);
    s.oscPhaseLeft = static_cast<float>(V::left(oscPhase));
    s.oscPhaseRight = static_cast<float>(V::right(oscPhase));
    s.rollLeft = static_cast<float>(V::left(roll));
    s.rollRight = static_cast<float>(V::right(roll));
}

// Written so that the compiler vectorises it for the kernel's instruction set.
std::uint32_t inputPeakBits(const LoopIo& io) {
    constexpr std::uint32_t kMagnitude = 0x7fffffffu;
    std::uint32_t left = 0, right = 0;
    for (std::int32_t k = 0; k < io.frameCount; ++k) {
        std::uint32_t a, b;
        std::memcpy(&a, io.inLeft + k, sizeof a);
        std::memcpy(&b, io.inRight + k, sizeof b);
        a &= kMagnitude;
        b &= kMagnitude;
        left = a > left ? a : left;
        right = b > right ? b : right;
    }
    return left > right ? left : right;
}

template <class V, bool Overwriting, bool EnvelopeLock, bool Guarded>
constexpr LoopKernel kernelFor(bool modulated) {
    return modulated ? runLoop<V, Overwriting, EnvelopeLock, Guarded, true>
                     : runLoop<V, Overwriting, EnvelopeLock, Guarded, false>;
}

template <class V, bool Overwriting, bool EnvelopeLock>
constexpr auto guardedPair(bool modulated) {
    return std::array<LoopKernel, 2>{kernelFor<V, Overwriting, EnvelopeLock, false>(modulated),
                                     kernelFor<V, Overwriting, EnvelopeLock, true>(modulated)};
}

template <class V>
constexpr KernelSet makeKernelSet(const char* name) {
    KernelSet set{name, {}, inputPeakBits};
    for (int m = 0; m < 2; ++m) {
        const auto a = guardedPair<V, false, false>(m), b = guardedPair<V, false, true>(m);
        const auto c = guardedPair<V, true, false>(m), d = guardedPair<V, true, true>(m);
        for (int g = 0; g < 2; ++g) {
            set.kernels[0][0][g][m] = a[g];
            set.kernels[0][1][g][m] = b[g];
            set.kernels[1][0][g][m] = c[g];
            set.kernels[1][1][g][m] = d[g];
        }
    }
    return set;
}

}  // namespace
}  // namespace orbitone::kernel
