#include "signal_loop.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "signal_kernel.h"
#include "waveform_tables.h"

namespace orbitone {

// Narrowing a double outside the float range gives an infinity, and float arithmetic on
// any value gives a value (no traps): the loop relies on IEEE arithmetic throughout.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

namespace kernel {
namespace {

// The largest per-frame step the unguarded loop is trusted with. The bounds below are
// conservative; any margin below one cycle would do, and this one leaves room for
// every rounding of the step's products.
constexpr double kLargestPlainStep = 0.99;
// Relative slack for the roundings between a bound and the loop's own arithmetic.
constexpr double kBoundSlack = 1.0 + 1e-6;

constexpr std::uint32_t kInfinityBits = 0x7f800000u;

bool isFinite(float v) { return std::isfinite(v); }
bool isPhaseStart(float phase) { return phase >= 0.0f && phase <= 1.0f; }

// An upper bound of the envelopes during the call, or infinity when none can be given:
// with coefficients c in 0..1 and gains g >= 0, an envelope below B stays below B as long
// as B >= level * g / (1 - c), apart from a relative rounding of 2^-52 per frame, which
// the slack covers for any frame count.
double envelopeBound(const EngineState& s, double level) {
    constexpr double kNoBound = std::numeric_limits<double>::infinity();
    double ratio = 1.0;
    for (const auto& [coef, gain] : {std::pair{s.attackCoef, s.attackGain},
                                    std::pair{s.decayCoef, s.decayGain}}) {
        if (!(coef >= 0.0f && coef < 1.0f && gain >= 0.0f && isFinite(gain))) return kNoBound;
        ratio = std::max(ratio, gain / (1.0 - coef));
    }
    if (!(s.envLeft >= 0.0f && isFinite(s.envLeft) && s.envRight >= 0.0f &&
          isFinite(s.envRight)))
        return kNoBound;
    return std::max({double{s.envLeft}, double{s.envRight}, level * ratio}) * kBoundSlack;
}

}  // namespace

bool plainWrapSuffices(const EngineState& s, float antiDenormal, const LoopIo& io) {
    return plainWrapSuffices(s, antiDenormal, io,
                             availableKernelSets().front()->inputPeakBits(io));
}

bool plainWrapSuffices(const EngineState& s, float antiDenormal, const LoopIo& io,
                       std::uint32_t peak) {
    // Input level, offset included; any non-finite sample needs the guards.
    if (peak >= kInfinityBits || !isFinite(antiDenormal)) return false;
    const double level =
        (double{std::bit_cast<float>(peak)} + std::fabs(antiDenormal)) * kBoundSlack;
    const double envelope = envelopeBound(s, level);
    if (!std::isfinite(envelope)) return false;

    if (!(isPhaseStart(s.lfoPhase) && isPhaseStart(s.oscPhaseLeft) &&
          isPhaseStart(s.oscPhaseRight)))
        return false;
    for (const float c : {s.lfoIncrement, s.lfoEnvDepth, s.oscIncrement, s.oscLfoDepth,
                          s.oscEnvDepth})
        if (!isFinite(c)) return false;

    // LFO: a step between 0 and the margin.
    if (!(s.lfoIncrement >= 0.0f && s.lfoEnvDepth >= 0.0f)) return false;
    const double lfoStep = s.lfoIncrement * (1.0 + s.lfoEnvDepth * envelope) * kBoundSlack;
    if (!(lfoStep < kLargestPlainStep)) return false;

    // Oscillators. The LFO term of either lane lies between the products of the depth
    // with the table's extremes (rounded as the loop rounds them), negated on the right
    // when inverted; it must not reach below -1, or a step could run backwards.
    const WaveformRange lfoRange = waveformRange(s.lfoTable);
    const float a = s.oscLfoDepth * lfoRange.lowest;
    const float b = s.oscLfoDepth * lfoRange.highest;
    float lfoModLow = std::min(a, b);
    float lfoModHigh = std::max(a, b);
    if (s.lfoInvertRight) {
        const float low = lfoModLow;
        lfoModLow = std::min(lfoModLow, -lfoModHigh);
        lfoModHigh = std::max(lfoModHigh, -low);
    }
    if (!(1.0 + lfoModLow >= 0.0)) return false;
    // The envelope term is at least -0.99, so it never turns a step backwards.
    const double envModHigh = std::max(0.0, s.oscEnvDepth * envelope) * kBoundSlack;
    if (!(s.oscIncrement >= 0.0f)) return false;
    const double oscStep =
        s.oscIncrement * (1.0 + lfoModHigh) * (1.0 + envModHigh) * kBoundSlack;
    return oscStep < kLargestPlainStep;
}

std::span<const KernelSet* const> availableKernelSets() {
    static const auto sets = [] {
        struct List {
            const KernelSet* sets[3];
            std::size_t count = 0;
        } list{};
#if ORBITONE_X86_KERNELS
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
            list.sets[list.count++] = &avx2Kernels();
        list.sets[list.count++] = &sse2Kernels();
#endif
        list.sets[list.count++] = &portableKernels();
        return list;
    }();
    return {sets.sets, sets.count};
}

}  // namespace kernel

namespace {

// A non-finite value left in the running state (from a non-finite input or from
// coefficients outside any sensible range) would otherwise stay there until the next
// resume; it restarts at 0 instead.
void restartNonFinite(float& v) {
    if (!std::isfinite(v)) v = 0.0f;
}

}  // namespace

void runSignalLoop(EngineState& state, float& antiDenormal, const float* const* inputs,
                   float* const* outputs, std::int32_t frameCount, OutputMode mode) {
    if (frameCount <= 0 || inputs == nullptr || outputs == nullptr) return;
    const kernel::LoopIo io{inputs[0], inputs[1], outputs[0], outputs[1], frameCount};
    if (!io.inLeft || !io.inRight || !io.outLeft || !io.outRight) return;

    static const kernel::KernelSet& kernels = *kernel::availableKernelSets().front();
    const bool guarded =
        !kernel::plainWrapSuffices(state, antiDenormal, io, kernels.inputPeakBits(io));
    kernels.select(mode, state, guarded)(state, antiDenormal, io);

    for (float* v : {&state.envLeft, &state.envRight, &state.lfoPhase, &state.oscPhaseLeft,
                     &state.oscPhaseRight, &state.rollLeft, &state.rollRight})
        restartNonFinite(*v);
}

void resetRunningState(EngineState& state) {
    state.envLeft = 0.0f;
    state.envRight = 0.0f;
    state.lfoPhase = 0.0f;
    state.oscPhaseLeft = 0.0f;
    state.oscPhaseRight = 0.0f;
    state.rollLeft = 0.0f;
    state.rollRight = 0.0f;
}

}  // namespace orbitone
