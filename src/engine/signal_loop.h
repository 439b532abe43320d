// The per-sample loop of the ring modulator: both envelopes, the LFO, the two
// oscillators with their roll-off filters, and the mix.
#pragma once

#include <cstdint>

#include "engine_state.h"

namespace orbitone {

// How a processing call writes its output: added to what the buffer holds, or in place
// of it.
enum class OutputMode : std::uint8_t { adding, overwriting };

// The anti-denormal offset's value at construction (the float nearest to 1e-10). Its sign
// flips after every processed frame for the effect's whole life.
inline constexpr float kAntiDenormalStart = 1.0e-10f;

// [audio thread] Processes `frameCount` stereo frames from inputs[0..1] to outputs[0..1]
// with the coefficients in `state` (which must be up to date), working on local copies
// of the running state and writing it back once at the end. Each frame reads its two
// input samples before it writes its two output samples, so an input may be the same
// buffer as an output. A frame count of 0 or less, or a missing buffer, processes
// nothing and leaves everything unchanged.
//
// Table reads never leave the tables, whatever the input (NaN, infinities, any level)
// and whatever the coefficients: when a phase ends up where the plain single wrap cannot
// bring it back into 0..1 (a step of a cycle or more, a negative step, a non-finite
// value), it is taken modulo 1 (a non-finite phase restarts at 0), and a non-finite
// envelope restarts at 0. Where the single wrap suffices, the output is exactly that of
// the plain loop.
void runSignalLoop(EngineState& state, float& antiDenormal, const float* const* inputs,
                   float* const* outputs, std::int32_t frameCount, OutputMode mode);

// Sets the running state (envelopes, phases, roll-off filters) to zero; the
// coefficients and the anti-denormal offset are left alone.
void resetRunningState(EngineState& state);

}  // namespace orbitone
