#include "render.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zylhost {
namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A whole decimal number below `limit`, or -1.
std::int64_t parseIndex(std::string_view text, std::int64_t limit) {
    std::int64_t value = -1;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size() || value < 0 ||
        value >= limit)
        return -1;
    return value;
}

std::int32_t findParameter(Plugin& plugin, std::string_view text) {
    const std::int32_t count = plugin.record()->parameterCount;
    if (const std::int64_t index = parseIndex(text, count); index >= 0)
        return static_cast<std::int32_t>(index);
    for (std::int32_t index = 0; index < count; ++index)
        if (equalIgnoringCase(plugin.text(zyl::plugOpParameterName, index), text)) return index;
    return -1;
}

// A value in 0..1 written as a plain number; false otherwise.
bool parseValue(const std::string& text, float& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

}  // namespace

bool parseBlockSize(std::string_view text, std::int32_t& block, std::string& error) {
    const std::int64_t value = parseIndex(text, kLargestBlock + 1);
    if (value < 1) {
        error = "--block " + std::string(text) + ": give a whole number of frames from 1 to " +
                std::to_string(kLargestBlock);
        return false;
    }
    block = static_cast<std::int32_t>(value);
    return true;
}

std::string programName(Plugin& plugin, std::int32_t index) {
    std::intptr_t answered = 0;
    std::string name = plugin.text(zyl::plugOpProgramNameAt, index, 0, &answered);
    if (answered != 0) return name;
    // a plug-in that does not name programs by index: select it and ask
    const auto current = plugin.dispatch(zyl::plugOpCurrentProgram);
    plugin.dispatch(zyl::plugOpSelectProgram, 0, index);
    name = plugin.text(zyl::plugOpProgramName);
    plugin.dispatch(zyl::plugOpSelectProgram, 0, current);
    return name;
}

std::int32_t findProgram(Plugin& plugin, std::string_view text) {
    const std::int32_t count = plugin.record()->programCount;
    if (const std::int64_t index = parseIndex(text, count); index >= 0)
        return static_cast<std::int32_t>(index);
    for (std::int32_t index = 0; index < count; ++index)
        if (equalIgnoringCase(programName(plugin, index), text)) return index;
    return -1;
}

bool prepareEffect(Plugin& plugin, float sampleRate, std::int32_t block,
                   const EffectSettings& settings, std::string& error) {
    // Everything is checked before the effect is touched.
    std::int32_t program = static_cast<std::int32_t>(plugin.dispatch(zyl::plugOpCurrentProgram));
    if (!settings.program.empty()) {
        program = findProgram(plugin, settings.program);
        if (program < 0) {
            error = "unknown program '" + settings.program +
                    "' (zylhost info lists the programs by index and name)";
            return false;
        }
    }
    std::vector<std::pair<std::int32_t, float>> stores;
    for (const std::string& assignment : settings.assignments) {
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos) {
            error = "--set " + assignment + ": write NAME=VALUE";
            return false;
        }
        const std::string name = assignment.substr(0, equals);
        const std::int32_t index = findParameter(plugin, name);
        if (index < 0) {
            error = "--set " + assignment + ": unknown parameter '" + name +
                    "' (zylhost info lists the parameters by index and name)";
            return false;
        }
        float value = 0.0f;
        if (!parseValue(assignment.substr(equals + 1), value)) {
            error = "--set " + assignment + ": the value is not a number";
            return false;
        }
        if (value < 0.0f || value > 1.0f) {
            error = "--set " + assignment + ": the value must lie between 0 and 1";
            return false;
        }
        stores.emplace_back(index, value);
    }

    plugin.start(sampleRate, block);
    plugin.dispatch(zyl::plugOpSelectProgram, 0, program);
    for (const auto& [index, value] : stores) plugin.storeParameter(index, value);
    return true;
}

void Levels::add(const float* left, const float* right, std::int64_t frames) {
    const float* channels[2] = {left, right};
    for (int c = 0; c < 2; ++c) {
        double peak = peaks[c], sum = 0.0;
        for (std::int64_t k = 0; k < frames; ++k) {
            const double v = channels[c][k];
            peak = std::max(peak, std::fabs(v));
            sum += v * v;
        }
        peaks[c] = peak;
        squares[c] += sum;
    }
    count += frames;
}

double Levels::rms(int channel) const {
    return count == 0 ? 0.0 : std::sqrt(squares[channel] / static_cast<double>(count));
}

std::string decibels(double amplitude) {
    if (!(amplitude > 0.0)) return std::isnan(amplitude) ? "nan dBFS" : "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(amplitude));
    return text;
}

void processBlock(Plugin& plugin, float* inLeft, float* inRight, float* outLeft,
                  float* outRight, std::int32_t frames, bool adding) {
    float* inputs[2] = {inLeft, inRight};
    float* outputs[2] = {outLeft, outRight};
    if (adding) {
        std::fill(outLeft, outLeft + frames, 0.0f);
        std::fill(outRight, outRight + frames, 0.0f);
        plugin.processAdding(inputs, outputs, frames);
    } else {
        plugin.processOverwriting(inputs, outputs, frames);
    }
}

}  // namespace zylhost
