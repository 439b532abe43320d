// zylhost process: an audio file through a plug-in's effect, into another file.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "audio_file.h"
#include "command.h"
#include "plugin_host.h"
#include "render.h"

namespace zylhost {
namespace {

constexpr std::string_view kHelp =
    "usage: zylhost process [OPTIONS] PLUGIN.so IN OUT\n"
    "\n"
    "Runs the audio file IN through the plug-in's effect and writes the result to OUT:\n"
    "stereo, at IN's sample rate, in IN's format or in the one OUT's extension names\n"
    "(.wav, .flac, .aiff, .ogg, .opus, .au, .caf, .w64, .rf64). IN may be any file\n"
    "libsndfile reads, mono or stereo; a mono file feeds both inputs. OUT is written\n"
    "only when everything worked: on any error no OUT is left behind.\n"
    "\n"
    "The host sequence: startup, sample rate, block size, resume, the program and the\n"
    "parameter values, the blocks of audio, suspend, shutdown.\n"
    "\n"
    "  --program N|NAME   the program to use, by index or name (default: the current\n"
    "                     one, 0 for a new effect); `zylhost info` lists them\n"
    "  --set NAME=VALUE   store VALUE (0 to 1) into a parameter, by short name or\n"
    "                     index, after the program; repeatable, applied in order\n"
    "  --block N          frames per processing call (default 512)\n"
    "  --adding           use the adding entry on zeroed outputs instead of the\n"
    "                     overwriting one\n"
    "\n"
    "A progress bar appears on stderr when it is a terminal. The last line on stdout\n"
    "sums up: frames, seconds, peak and RMS of each output channel, and how many times\n"
    "faster than real time the run was.\n"
    "\n"
    "Exit status: 0 done, 1 a file or the plug-in could not be read or written, 2 usage\n"
    "error (unknown option, program or parameter, a value that is not a number).\n";

struct Options {
    EffectSettings settings;
    std::int32_t block = kDefaultBlock;
    bool adding = false;
    std::vector<std::string> files;
};

// false after reporting the error
bool parse(std::span<const std::string_view> arguments, Options& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view a = arguments[i];
        auto value = [&](std::string_view option, std::string& out) {
            if (i + 1 >= arguments.size()) {
                reportError(std::string(option) + " needs a value (zylhost process --help)");
                return false;
            }
            out = std::string(arguments[++i]);
            return true;
        };
        std::string text;
        if (a == "--program") {
            if (!value(a, options.settings.program)) return false;
        } else if (a == "--set") {
            if (!value(a, text)) return false;
            options.settings.assignments.push_back(text);
        } else if (a == "--block") {
            if (!value(a, text)) return false;
            std::string error;
            if (!parseBlockSize(text, options.block, error)) {
                reportError(error);
                return false;
            }
        } else if (a == "--adding") {
            options.adding = true;
        } else if (a == "--") {
            for (++i; i < arguments.size(); ++i) options.files.emplace_back(arguments[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            reportError("unknown option '" + std::string(a) + "' (zylhost process --help)");
            return false;
        } else {
            options.files.emplace_back(a);
        }
    }
    if (options.files.size() != 3) {
        reportError("give PLUGIN.so IN OUT (zylhost process --help)");
        return false;
    }
    return true;
}

class ProgressBar {
public:
    explicit ProgressBar(std::int64_t total) : total(total), shown(isatty(STDERR_FILENO) == 1) {}
    ~ProgressBar() { clear(); }
    // Removes the bar from the terminal line, before anything else is written there.
    void clear() {
        if (shown && drawn >= 0) std::fprintf(stderr, "\r%*s\r", kWidth + 8, "");
        drawn = -1;
    }
    void update(std::int64_t done) {
        if (!shown || total <= 0) return;
        const int percent = static_cast<int>(100 * done / total);
        if (percent == drawn) return;
        drawn = percent;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, kBar, kWidth - filled, "", percent);
        std::fflush(stderr);
    }

private:
    static constexpr int kWidth = 40;
    static constexpr const char* kBar = "########################################";
    std::int64_t total;
    bool shown;
    int drawn = -1;
};

int run(std::span<const std::string_view> arguments) {
    Options options;
    if (!parse(arguments, options)) return kExitUsage;
    const std::string& pluginPath = options.files[0];
    const std::string& inPath = options.files[1];
    const std::string& outPath = options.files[2];
    std::string error;

    if (sameFile(inPath, outPath) || inPath == outPath) {
        reportError(outPath + ": is the input file; give another OUT");
        return kExitUsage;
    }
    auto in = AudioReader::open(inPath, error);
    if (!in) {
        reportError(error);
        return kExitFailure;
    }
    const AudioFormat inFormat = in->format();
    if (inFormat.channels < 1 || inFormat.channels > 2) {
        reportError(inPath + ": has " + std::to_string(inFormat.channels) +
                    " channels; the effect takes mono or stereo");
        return kExitFailure;
    }
    const int outFormat = outputFormatFor(outPath, inFormat, 2);
    if (outFormat == 0) {
        reportError(outPath + ": cannot be written: no stereo file of that kind at " +
                    std::to_string(inFormat.sampleRate) + " Hz");
        return kExitFailure;
    }

    Host host;
    host.sampleRate = static_cast<float>(inFormat.sampleRate);
    host.blockSize = options.block;
    auto plugin = host.load(pluginPath, error);
    if (!plugin) {
        reportError(error);
        return kExitFailure;
    }
    if (plugin->record()->inputCount < 1 || plugin->record()->outputCount < 2) {
        reportError(pluginPath + ": the effect has no stereo output");
        return kExitFailure;
    }
    if (!prepareEffect(*plugin, host.sampleRate, options.block, options.settings, error)) {
        reportError(error);
        return kExitUsage;
    }
    auto out = AudioWriter::create(outPath, {outFormat, inFormat.sampleRate, 2}, error);
    if (!out) {
        reportError(error);
        return kExitFailure;
    }

    const auto block = static_cast<std::size_t>(options.block);
    std::vector<float> interleaved(block * inFormat.channels), result(block * 2);
    std::vector<float> inLeft(block), inRight(block), outLeft(block), outRight(block);
    Levels levels;
    ProgressBar progress(in->frames());
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        const std::int64_t frames = in->read(interleaved.data(), options.block);
        if (frames < 0) {
            progress.clear();
            reportError(inPath + ": read error");
            return kExitFailure;
        }
        if (frames == 0) break;
        const int channels = inFormat.channels;
        for (std::int64_t k = 0; k < frames; ++k) {
            inLeft[k] = interleaved[k * channels];
            inRight[k] = interleaved[k * channels + channels - 1];
        }
        processBlock(*plugin, inLeft.data(), inRight.data(), outLeft.data(), outRight.data(),
                     static_cast<std::int32_t>(frames), options.adding);
        for (std::int64_t k = 0; k < frames; ++k) {
            result[2 * k] = outLeft[k];
            result[2 * k + 1] = outRight[k];
        }
        levels.add(outLeft.data(), outRight.data(), frames);
        if (!out->write(result.data(), frames, error)) {
            progress.clear();
            reportError(error);
            return kExitFailure;
        }
        progress.update(levels.frames());
    }
    progress.clear();
    plugin->suspend();
    plugin.reset();  // shutdown
    if (!out->commit(error)) {
        reportError(error);
        return kExitFailure;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double seconds = static_cast<double>(levels.frames()) / inFormat.sampleRate;

    std::string summary = outPath + ": " + std::to_string(levels.frames()) + " frames, ";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    summary += text;
    summary += ", peak L " + decibels(levels.peak(0)) + " R " + decibels(levels.peak(1));
    summary += ", RMS L " + decibels(levels.rms(0)) + " R " + decibels(levels.rms(1));
    if (out->clippedSamples() > 0)
        summary += ", " + std::to_string(out->clippedSamples()) + " samples clipped";
    if (elapsed > 0.0) {
        std::snprintf(text, sizeof text, ", %.0fx real time", seconds / elapsed);
        summary += text;
    }
    std::printf("%s\n", summary.c_str());
    return kExitOk;
}

}  // namespace

extern const Command processCommand{"process", "render an audio file through the effect",
                                    kHelp, run};

}  // namespace zylhost
