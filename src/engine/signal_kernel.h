// Inside the signal loop: the compiled variants of the per-sample loop and how one is
// chosen. Used by signal_loop.cpp, and by the tests and benchmarks that run every
// variant this processor has.
#pragma once

#include <cstdint>
#include <span>

#include "engine_state.h"
#include "signal_loop.h"

namespace orbitone::kernel {

// One processing call's buffers; all four pointers valid, frameCount > 0.
struct LoopIo {
    const float* inLeft;
    const float* inRight;
    float* outLeft;
    float* outRight;
    std::int32_t frameCount;
};

// Runs the loop on local copies of `state` and writes the running state and the offset
// back once at the end.
using LoopKernel = void (*)(EngineState& state, float& antiDenormal, const LoopIo& io);

// False when no modulation reaches the oscillator pitch or the LFO speed (all three
// depths zero): every pitch factor is then exactly 1, and the loop can skip computing it.
inline bool isPitchModulated(const EngineState& s) {
    return !(s.oscLfoDepth == 0.0f && s.oscEnvDepth == 0.0f && s.lfoEnvDepth == 0.0f);
}

// The loop compiled for one instruction set, in every combination of the choices that
// are fixed for a whole call.
struct KernelSet {
    const char* name;
    LoopKernel kernels[2][2][2][2];  // [overwriting][envelopeLock][guarded][modulated]
    // The largest magnitude among both inputs, as float bits (so that NaN and the
    // infinities compare above every finite magnitude).
    std::uint32_t (*inputPeakBits)(const LoopIo& io);

    LoopKernel select(OutputMode mode, const EngineState& state, bool guarded) const {
        return kernels[mode == OutputMode::overwriting][state.envelopeLock][guarded]
                      [isPitchModulated(state)];
    }
};

// Plain C++ on two-lane structs: runs anywhere.
const KernelSet& portableKernels();
#if ORBITONE_X86_KERNELS
// 128-bit SSE2, the baseline of every x86-64 processor.
const KernelSet& sse2Kernels();
// The same loop with AVX2 encodings, blends and a fused multiply-add in the roll-off
// filter (exact there, since both of its products are exact in double).
const KernelSet& avx2Kernels();
#endif

// The sets this processor can run, fastest first; the first is the one processing uses.
std::span<const KernelSet* const> availableKernelSets();

// True when the plain single wrap provably keeps all three phases inside 0..1 for the
// whole call: every input sample finite, the envelope coefficients a convex pair, the
// phases starting in 0..1, and every step (bounded through the input's peak level)
// between 0 and a safe margin below one cycle. Then the unguarded loop runs; otherwise
// the guarded one, which checks every phase and every envelope as it goes.
// `peakBits` is the kernel set's inputPeakBits; the form without it uses the fastest set.
bool plainWrapSuffices(const EngineState& state, float antiDenormal, const LoopIo& io,
                       std::uint32_t peakBits);
bool plainWrapSuffices(const EngineState& state, float antiDenormal, const LoopIo& io);

}  // namespace orbitone::kernel
