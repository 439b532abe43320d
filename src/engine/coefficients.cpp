#include "coefficients.h"

#include <cmath>

namespace orbitone {
namespace {

constexpr float kEnvelopeCeiling = 0.99999988f;  // EC, exactly 1 - 2^-23
constexpr float kRollOffScale = 0.49751243f;      // RC, the float nearest to 100/201
constexpr float kOutputGain = 1.6f;               // G
constexpr double kSwitchThreshold = 0.5;          // a switch is on strictly above this

// An envelope coefficient and its gain: the gain is 1 minus the coefficient before the
// coefficient is rounded to float.
void envelopeCoefficient(float value, float& coef, float& gain) {
    const double c = double{kEnvelopeCeiling} - std::pow(0.5 * value, 6.0);
    coef = static_cast<float>(c);
    gain = static_cast<float>(1.0 - c);
}

}  // namespace

double oscillatorRange(float value) {
    const double scaled = 4.0 * value;  // compared, not converted: any float is safe
    if (scaled > -1.0 && scaled < 1.0) return 10.0;
    if (scaled >= 1.0 && scaled < 2.0) return 60.0;
    if (scaled >= 2.0 && scaled < 3.0) return 250.0;
    return 1000.0;
}

void deriveCoefficients(std::span<const float, kParameterCount> p, float sampleRate,
                        const WaveformTables& tables, EngineState& s) {
    // 1, 2. envelope follower
    envelopeCoefficient(p[paramEnvAttack], s.attackCoef, s.attackGain);
    envelopeCoefficient(p[paramEnvDecay], s.decayCoef, s.decayGain);
    // 3.
    s.envelopeLock = p[paramEnvLock] > kSwitchThreshold;
    // 4. seconds per sample
    const double r = static_cast<float>(1.0 / sampleRate);
    // 5 to 8. LFO: 0.5 Hz to 32 Hz before envelope modulation
    s.lfoIncrement = static_cast<float>(std::pow(2.0, 6.0 * p[paramLfoFrequency] - 1.0) * r);
    s.lfoEnvDepth = static_cast<float>(10.0 * p[paramLfoEnvAmount]);
    s.lfoInvertRight = p[paramLfoPhaseInvert] > kSwitchThreshold;
    s.lfoTable = selectWaveform(tables, p[paramLfoWave]);
    // 9 to 13. oscillator
    s.oscEnvDepth = static_cast<float>((p[paramOscEnvAmount] - 0.5) * 10.0);
    s.oscLfoDepth = p[paramOscLfoAmount];
    s.oscTable = selectWaveform(tables, p[paramOscWave]);
    const double range = oscillatorRange(p[paramOscBase]);
    s.oscIncrement =
        static_cast<float>(std::pow(2.0, 4.0 * p[paramOscFrequency] - 2.0) * range * r);
    // 14. roll-off
    const double roll = p[paramOscRollOff] * double{kRollOffScale} + 0.5;
    s.rollCoef = static_cast<float>(roll);
    s.rollGain = static_cast<float>(1.0 - roll);
    // 15. mix: the dry gain is taken from the wet gain before its rounding, so a full
    // balance leaves exactly no dry signal
    const double wet = double{p[paramMixBalance]} * p[paramMixGain] * kOutputGain;
    s.wetGain = static_cast<float>(wet);
    s.dryGain = static_cast<float>(double{p[paramMixGain]} * kOutputGain - wet);
}

}  // namespace orbitone
