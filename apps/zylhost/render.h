// What `process` and `demo` share: setting an effect up the way a host does before it
// renders, and running audio through it in blocks while measuring the result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugin_host.h"

namespace zylhost {

inline constexpr std::int32_t kDefaultBlock = 512;
inline constexpr std::int32_t kLargestBlock = 1 << 16;

// The program and parameter values asked for on the command line.
struct EffectSettings {
    std::string program;                   // an index or a name; empty for the current one
    std::vector<std::string> assignments;  // NAME=VALUE, NAME a short name or an index
};

// Parses a block size (1 .. kLargestBlock); false with `error` otherwise.
[[nodiscard]] bool parseBlockSize(std::string_view text, std::int32_t& block,
                                  std::string& error);

// The host sequence up to the first block: startup, sample rate, block size, resume;
// then the program (selected again when none is named, so every value is stored after
// the rate is known and the coefficients are derived for it) and the assignments in
// order. False with a one-line `error` for an unknown program or parameter, or a value
// that is no number in 0..1.
[[nodiscard]] bool prepareEffect(Plugin& plugin, float sampleRate, std::int32_t block,
                                 const EffectSettings& settings, std::string& error);

// The program's index for an index or a name (case-insensitive), or -1.
std::int32_t findProgram(Plugin& plugin, std::string_view text);
std::string programName(Plugin& plugin, std::int32_t index);

// Peak and RMS of the two output channels.
class Levels {
public:
    void add(const float* left, const float* right, std::int64_t frames);
    std::int64_t frames() const { return count; }
    double peak(int channel) const { return peaks[channel]; }
    double rms(int channel) const;

private:
    double peaks[2] = {0.0, 0.0};
    double squares[2] = {0.0, 0.0};
    std::int64_t count = 0;
};

// "-3.1 dBFS" for an amplitude of 0.7, "-inf dBFS" for silence.
std::string decibels(double amplitude);

// Runs one block of stereo frames through the effect: overwriting, or adding onto zeroed
// outputs.
void processBlock(Plugin& plugin, float* inLeft, float* inRight, float* outLeft,
                  float* outRight, std::int32_t frames, bool adding);

}  // namespace zylhost
