// The effect's 17 automatable parameters. Values are floats treated as 0..1 outside the
// engine; the editor's control tags are the same numbers.
#pragma once

#include <array>
#include <cstdint>

namespace orbitone {

enum ParameterIndex : std::int32_t {
    paramEnvAttack = 0,   // "Env.Atk"
    paramEnvDecay,        // "Env.Dcy"
    paramOscLfoAmount,    // "Osc.LMod"
    paramOscEnvAmount,    // "Osc.EMod", shown -100..100
    paramOscFrequency,    // "Osc.Freq"
    paramOscRollOff,      // "Osc.HiCt"
    paramLfoFrequency,    // "Lfo.Freq"
    paramLfoEnvAmount,    // "Lfo.EMod", shown -100..100
    paramMixBalance,      // "Mix.Bal"
    paramMixGain,         // "Mix.Gain"
    paramEnvLock,         // "Env.Lock", switch
    paramOscPhaseInvert,  // "Osc.PhIn", stored only
    paramLfoPhaseInvert,  // "Lfo.PhIn", switch
    paramLfoRetrigger,    // "Lfo.ReTr", stored only
    paramOscWave,         // "Osc.Wave"
    paramOscBase,         // "Osc.Base"
    paramLfoWave,         // "Lfo.Wave"
};

inline constexpr std::int32_t kParameterCount = 17;

// Short names as copyParameterName writes them: at most 8 characters.
inline constexpr std::array<const char*, kParameterCount> kParameterShortNames = {
    "Env.Atk",  "Env.Dcy",  "Osc.LMod", "Osc.EMod", "Osc.Freq", "Osc.HiCt",
    "Lfo.Freq", "Lfo.EMod", "Mix.Bal",  "Mix.Gain", "Env.Lock", "Osc.PhIn",
    "Lfo.PhIn", "Lfo.ReTr", "Osc.Wave", "Osc.Base", "Lfo.Wave",
};

inline constexpr bool isParameterIndex(std::int32_t index) {
    return index >= 0 && index < kParameterCount;
}

// The value text of a parameter: a decimal integer, 0..100 (or -100..100 for the two
// bipolar-looking indices 3 and 7) for values in 0..1. Any float gives a text of at most
// 8 characters plus the terminating zero (out-of-range values show the nearest number
// that fits, NaN shows "nan"). `out` needs 9 bytes.
void formatParameterValue(std::int32_t index, float value, char* out);

}  // namespace orbitone
