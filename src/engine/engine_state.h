// The signal engine's block of coefficients and running state.
#pragma once

namespace orbitone {

// Coefficients come first and are written only by the coefficient update; the running
// state follows and is written only by the processing loop and by the resets.
struct EngineState {
    // coefficients
    float wetGain = 0.0f;
    float dryGain = 0.0f;
    const float* oscTable = nullptr;
    const float* lfoTable = nullptr;
    float oscEnvDepth = 0.0f;
    float oscLfoDepth = 0.0f;
    float lfoEnvDepth = 0.0f;
    float attackCoef = 0.0f;
    float attackGain = 0.0f;
    float decayCoef = 0.0f;
    float decayGain = 0.0f;
    float oscIncrement = 0.0f;
    float lfoIncrement = 0.0f;
    bool lfoInvertRight = false;
    bool envelopeLock = false;
    float rollCoef = 0.0f;
    float rollGain = 0.0f;

    // running state
    float envLeft = 0.0f;
    float envRight = 0.0f;
    float lfoPhase = 0.0f;
    float oscPhaseLeft = 0.0f;
    float oscPhaseRight = 0.0f;
    float rollLeft = 0.0f;
    float rollRight = 0.0f;
};

}  // namespace orbitone
