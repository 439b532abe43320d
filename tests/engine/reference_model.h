// An independent, deliberately plain model of the ring modulator's tables, coefficients
// and per-sample loop: one channel at a time, double arithmetic, the float roundings
// where the loop has them. The engine is checked against it sample by sample.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orbitone::reference {

constexpr int kLength = 4000;
using Table = std::array<float, kLength>;

enum class Wave { square, saw, triangle, sine };
const Table& table(Wave wave);
Wave selectedWave(float value);

struct Coefficients {
    float wetGain, dryGain;
    Wave oscWave, lfoWave;
    float oscEnvDepth, oscLfoDepth, lfoEnvDepth;
    float attackCoef, attackGain, decayCoef, decayGain;
    float oscIncrement, lfoIncrement;
    bool lfoInvertRight, envelopeLock;
    float rollCoef, rollGain;
};

Coefficients derive(const std::array<float, 17>& p, float sampleRate);

struct Running {
    float envLeft = 0, envRight = 0, lfoPhase = 0, oscPhaseLeft = 0, oscPhaseRight = 0,
          rollLeft = 0, rollRight = 0;
};

class Modulator {
public:
    Coefficients c{};
    Running state;
    float antiDenormal = 1.0e-10f;
    // Set when a table index fell outside 0..3999: the plain loop has no defined result
    // then, and a comparison with it means nothing.
    bool readOutside = false;

    void process(const float* inL, const float* inR, float* outL, float* outR, int frames,
                 bool adding);

private:
    float read(Wave wave, double phase);
};

}  // namespace orbitone::reference
