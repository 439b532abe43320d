// The four single-cycle waveform tables the oscillator and the LFO read by phase.
#pragma once

namespace orbitone {

inline constexpr int kWaveLength = 4000;  // samples per cycle; sample i stands for phase i/4000

// The tables in their memory order. They are identical for every effect, so all effects
// share one read-only set (see sharedWaveformTables).
struct WaveformTables {
    float waveSquare[kWaveLength];
    float waveSaw[kWaveLength];
    float waveTriangle[kWaveLength];
    float waveSine[kWaveLength];
};

// Fills `tables` with the four waveforms: every sample is computed at double precision
// from its integer index and the single-precision constants, and rounded to float once.
void fillWaveformTables(WaveformTables& tables);

// The one set every effect reads, filled on first use (thread-safe); never changes after.
const WaveformTables& sharedWaveformTables();

// The table a waveform parameter value selects, by the integer part of 4 * value
// (truncated toward zero): 0 square, 1 sine, 2 saw, anything else (3, 4 for 1.0,
// negative, NaN) triangle. Note the selection order differs from the memory order.
const float* selectWaveform(const WaveformTables& tables, float value);

// The smallest and the largest sample of a table.
struct WaveformRange {
    float lowest;
    float highest;
};

// The range of one of the shared tables, precomputed; any other table is scanned.
WaveformRange waveformRange(const float* table);

}  // namespace orbitone
