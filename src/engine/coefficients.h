// Turning the 17 parameter values of a program into the engine's coefficients.
#pragma once

#include <span>

#include "engine_state.h"
#include "parameters.h"
#include "waveform_tables.h"

namespace orbitone {

// Writes the coefficient part of `state` (wetGain .. rollGain) from the values of one
// program row and the sample rate; the running state is not touched. Every expression is
// evaluated in double and rounded to float when it is stored. Values are used as they
// are, inside 0..1 or not: nothing here is guarded, and nothing here can fault (any
// float, a rate of 0 or a NaN gives IEEE results, possibly infinite or NaN).
void deriveCoefficients(std::span<const float, kParameterCount> values,
                        float sampleRate, const WaveformTables& tables, EngineState& state);

// The oscillator range in Hz a "Osc.Base" value selects: 10, 60, 250 or 1000 for an
// integer part of 4 * value of 0, 1, 2 or anything else.
double oscillatorRange(float value);

}  // namespace orbitone
