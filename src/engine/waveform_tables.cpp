#include "waveform_tables.h"

#include <cmath>
#include <numbers>

namespace orbitone {
namespace {

// Single-precision constants of the waveforms; each formula widens them to double.
constexpr float kSquareSlope = 0.02f;      // S02
constexpr float kSawFallSlope = 0.01f;     // S01
constexpr float kTriangleSlope = 0.001f;   // S001
constexpr float kSawRiseSlope = 1.0f / 3800.0f;  // R1, the float 0.000263157883
constexpr float kSawRiseOffset = 2.0f / 19.0f;   // R2, the float 0.105263159
constexpr double kSineStep = 0.0005;       // radians per sample, divided by pi

constexpr int kSquareEdge = 100;     // samples per ramp edge of the square
constexpr int kHalfCycle = kWaveLength / 2;
constexpr int kSawFall = 200;        // samples of the saw's falling ramp

double squareSample(int i) {
    if (i < kSquareEdge) return 1.0 - i * double{kSquareSlope};
    if (i < kHalfCycle) return -1.0;
    if (i < kHalfCycle + kSquareEdge) return (i - kHalfCycle) * double{kSquareSlope} - 1.0;
    return 1.0;
}

double sawSample(int i) {
    if (i < kSawFall) return 1.0 - i * double{kSawFallSlope};
    return ((i + i) * double{kSawRiseSlope} - 1.0) - double{kSawRiseOffset};
}

double triangleSample(int i) {
    if (i <= kHalfCycle) return i * double{kTriangleSlope} - 1.0;
    return 1.0 - (i - kHalfCycle) * double{kTriangleSlope};
}

double sineSample(int i) { return std::sin(i * std::numbers::pi * kSineStep); }

WaveformRange scanRange(const float* table) {
    WaveformRange range{table[0], table[0]};
    for (int i = 1; i < kWaveLength; ++i) {
        if (table[i] < range.lowest) range.lowest = table[i];
        if (table[i] > range.highest) range.highest = table[i];
    }
    return range;
}

struct SharedTables {
    WaveformTables tables;
    WaveformRange square, saw, triangle, sine;

    SharedTables() {
        fillWaveformTables(tables);
        square = scanRange(tables.waveSquare);
        saw = scanRange(tables.waveSaw);
        triangle = scanRange(tables.waveTriangle);
        sine = scanRange(tables.waveSine);
    }
};

const SharedTables& shared() {
    static const SharedTables instance;
    return instance;
}

}  // namespace

void fillWaveformTables(WaveformTables& tables) {
    for (int i = 0; i < kWaveLength; ++i) {
        tables.waveSquare[i] = static_cast<float>(squareSample(i));
        tables.waveSaw[i] = static_cast<float>(sawSample(i));
        tables.waveTriangle[i] = static_cast<float>(triangleSample(i));
        tables.waveSine[i] = static_cast<float>(sineSample(i));
    }
}

const WaveformTables& sharedWaveformTables() { return shared().tables; }

const float* selectWaveform(const WaveformTables& tables, float value) {
    // Compared in the double domain rather than converted to an integer, so that any
    // float (huge, infinite, NaN) selects a table without an out-of-range conversion.
    const double scaled = 4.0 * value;
    if (scaled > -1.0 && scaled < 1.0) return tables.waveSquare;
    if (scaled >= 1.0 && scaled < 2.0) return tables.waveSine;
    if (scaled >= 2.0 && scaled < 3.0) return tables.waveSaw;
    return tables.waveTriangle;
}

WaveformRange waveformRange(const float* table) {
    const SharedTables& s = shared();
    if (table == s.tables.waveSquare) return s.square;
    if (table == s.tables.waveSaw) return s.saw;
    if (table == s.tables.waveTriangle) return s.triangle;
    if (table == s.tables.waveSine) return s.sine;
    return scanRange(table);
}

}  // namespace orbitone
