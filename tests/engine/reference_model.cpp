#include "reference_model.h"

#include <cmath>

namespace orbitone::reference {

namespace {

Table makeTable(Wave wave) {
    const double s02 = 0.02f, s01 = 0.01f, s001 = 0.001f;
    const double r1 = 1.0f / 3800.0f, r2 = 2.0f / 19.0f;
    const double pi = 3.14159265358979323846;
    Table t{};
    for (int i = 0; i < kLength; ++i) {
        double v = 0;
        switch (wave) {
            case Wave::square:
                if (i <= 99) v = 1 - i * s02;
                else if (i <= 1999) v = -1.0;
                else if (i <= 2099) v = (i - 2000) * s02 - 1;
                else v = 1.0;
                break;
            case Wave::saw:
                if (i <= 199) v = 1 - i * s01;
                else v = ((i + i) * r1 - 1) - r2;
                break;
            case Wave::triangle:
                if (i <= 2000) v = i * s001 - 1;
                else v = 1 - (i - 2000) * s001;
                break;
            case Wave::sine:
                v = std::sin(i * pi * 0.0005);
                break;
        }
        t[i] = static_cast<float>(v);
    }
    return t;
}

}  // namespace

const Table& table(Wave wave) {
    static const Table square = makeTable(Wave::square), saw = makeTable(Wave::saw),
                       triangle = makeTable(Wave::triangle), sine = makeTable(Wave::sine);
    switch (wave) {
        case Wave::square: return square;
        case Wave::saw: return saw;
        case Wave::triangle: return triangle;
        case Wave::sine: return sine;
    }
    return triangle;
}

Wave selectedWave(float value) {
    const double scaled = 4.0 * value;
    if (!(std::fabs(scaled) < 100.0)) return Wave::triangle;
    switch (static_cast<int>(std::trunc(scaled))) {
        case 0: return Wave::square;
        case 1: return Wave::sine;
        case 2: return Wave::saw;
        default: return Wave::triangle;
    }
}

Coefficients derive(const std::array<float, 17>& p, float sampleRate) {
    const double ec = 0.99999988f, rc = 0.49751243f, g = 1.6f;
    Coefficients c{};
    const double attack = ec - std::pow(0.5 * double(p[0]), 6);
    c.attackCoef = static_cast<float>(attack);
    c.attackGain = static_cast<float>(1 - attack);
    const double decay = ec - std::pow(0.5 * double(p[1]), 6);
    c.decayCoef = static_cast<float>(decay);
    c.decayGain = static_cast<float>(1 - decay);
    c.envelopeLock = p[10] > 0.5;
    const double r = static_cast<float>(1.0 / sampleRate);
    c.lfoIncrement = static_cast<float>(std::pow(2.0, 6.0 * p[6] - 1.0) * r);
    c.lfoEnvDepth = static_cast<float>(10.0 * p[7]);
    c.lfoInvertRight = p[12] > 0.5;
    c.lfoWave = selectedWave(p[16]);
    c.oscEnvDepth = static_cast<float>((double(p[3]) - 0.5) * 10.0);
    c.oscLfoDepth = p[2];
    c.oscWave = selectedWave(p[14]);
    const double scaled = 4.0 * p[15];
    double range = 1000;
    if (std::fabs(scaled) < 100.0) {
        const int part = static_cast<int>(std::trunc(scaled));
        range = part == 0 ? 10 : part == 1 ? 60 : part == 2 ? 250 : 1000;
    }
    c.oscIncrement = static_cast<float>(std::pow(2.0, 4.0 * p[4] - 2.0) * range * r);
    const double roll = double(p[5]) * rc + 0.5;
    c.rollCoef = static_cast<float>(roll);
    c.rollGain = static_cast<float>(1 - roll);
    const double wet = double(p[8]) * p[9] * g;
    c.wetGain = static_cast<float>(wet);
    c.dryGain = static_cast<float>(double(p[9]) * g - wet);
    return c;
}

float Modulator::read(Wave wave, double phase) {
    const double scaled = 4000 * phase;
    if (!(scaled > -1 && scaled < 4000)) {
        readOutside = true;
        return 0;
    }
    return table(wave)[static_cast<int>(scaled)];
}

void Modulator::process(const float* inL, const float* inR, float* outL, float* outR,
                        int frames, bool adding) {
    // Envelopes and phases are kept in double within the call and rounded when stored.
    double envL = state.envLeft, envR = state.envRight, lfo = state.lfoPhase;
    double oscL = state.oscPhaseLeft, oscR = state.oscPhaseRight;
    float rollL = state.rollLeft, rollR = state.rollRight;
    for (int k = 0; k < frames; ++k) {
        const float d = antiDenormal;
        const float xL = static_cast<float>(double(inL[k]) + d);
        const float xR = static_cast<float>(double(inR[k]) + d);
        antiDenormal = -d;

        const double aL = std::fabs(xL);
        if (aL > envL) envL = envL * c.attackCoef + aL * c.attackGain;
        else envL = envL * c.decayCoef + aL * c.decayGain;

        double eR;
        if (c.envelopeLock) {
            eR = envL;
        } else {
            const double aR = static_cast<float>(std::fabs(xR));
            if (aR > envR) envR = envR * c.attackCoef + aR * c.attackGain;
            else envR = envR * c.decayCoef + aR * c.decayGain;
            eR = envR;
        }

        lfo += c.lfoIncrement * (1 + c.lfoEnvDepth * envL);
        if (lfo >= 1) lfo -= 1;

        const double lv = read(c.lfoWave, lfo);
        const float mL = static_cast<float>(c.oscLfoDepth * lv);
        const float mR = c.lfoInvertRight ? -mL : mL;

        const float limit = -0.99f;
        float eLm = static_cast<float>(c.oscEnvDepth * envL);
        if (eLm < limit) eLm = limit;
        float eRm = static_cast<float>(c.oscEnvDepth * eR);
        if (eRm < limit) eRm = limit;

        oscL += c.oscIncrement * (1 + double(mL)) * (1 + double(eLm));
        if (oscL >= 1) oscL -= 1;
        oscR += c.oscIncrement * (1 + double(mR)) * (1 + double(eRm));
        if (oscR >= 1) oscR -= 1;

        const double oR = read(c.oscWave, oscR);
        const double oL = read(c.oscWave, oscL);

        rollL = static_cast<float>(double(c.rollCoef) * rollL + double(c.rollGain) * oL);
        const double yL = double(c.wetGain) * rollL * xL + double(c.dryGain) * xL;
        outL[k] = static_cast<float>(adding ? yL + outL[k] : yL);

        rollR = static_cast<float>(double(c.rollCoef) * rollR + double(c.rollGain) * oR);
        const double yR = double(c.wetGain) * rollR * xR + double(c.dryGain) * xR;
        outR[k] = static_cast<float>(adding ? yR + outR[k] : yR);
    }
    state.envLeft = static_cast<float>(envL);
    state.envRight = static_cast<float>(envR);
    state.lfoPhase = static_cast<float>(lfo);
    state.oscPhaseLeft = static_cast<float>(oscL);
    state.oscPhaseRight = static_cast<float>(oscR);
    state.rollLeft = rollL;
    state.rollRight = rollR;
}

}  // namespace orbitone::reference
