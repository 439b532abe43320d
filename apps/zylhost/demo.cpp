// zylhost demo: one piece of music through every program of a plug-in, a file each.
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "audio_file.h"
#include "command.h"
#include "demo_input.h"
#include "plugin_host.h"
#include "render.h"

namespace zylhost {
namespace {

constexpr std::string_view kHelp =
    "usage: zylhost demo [OPTIONS] [OUTDIR]\n"
    "\n"
    "Renders a piece of music through each program of the plug-in, from a fresh start\n"
    "every time, into OUTDIR/NN-name.wav (NN the program's index), and prints a table of\n"
    "each file's peak and RMS levels. The music is made on the spot unless --input gives\n"
    "a file: about eight seconds of chords, bass and a plucked melody. OUTDIR\n"
    "(default: zylhost-demo) is made when it does not exist.\n"
    "\n"
    "  --plugin PLUGIN.so  the plug-in (default: orbitone.so beside zylhost)\n"
    "  --input FILE        render this mono or stereo audio file instead\n"
    "  --block N           frames per processing call (default 512)\n"
    "\n"
    "Exit status: 0 done, 1 the plug-in, the input or an output could not be used,\n"
    "2 usage error.\n";

std::string besideThisProgram(const std::string& name) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return name;
    return (self.parent_path() / name).string();
}

// "L - R Move" -> "l-r-move"
std::string fileNamePart(const std::string& name) {
    std::string part;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u))
            part += static_cast<char>(std::tolower(u));
        else if (!part.empty() && part.back() != '-')
            part += '-';
    }
    while (!part.empty() && part.back() == '-') part.pop_back();
    return part.empty() ? "program" : part;
}

[[nodiscard]] bool readInput(const std::string& path, StereoSignal& signal, std::string& error) {
    auto in = AudioReader::open(path, error);
    if (!in) return false;
    const int channels = in->format().channels;
    if (channels < 1 || channels > 2) {
        error = path + ": has " + std::to_string(channels) +
                " channels; the effect takes mono or stereo";
        return false;
    }
    signal.sampleRate = in->format().sampleRate;
    std::vector<float> block(4096 * channels);
    for (;;) {
        const std::int64_t frames = in->read(block.data(), 4096);
        if (frames < 0) {
            error = path + ": read error";
            return false;
        }
        if (frames == 0) return true;
        for (std::int64_t k = 0; k < frames; ++k) {
            signal.left.push_back(block[k * channels]);
            signal.right.push_back(block[k * channels + channels - 1]);
        }
    }
}

struct Rendered {
    Levels levels;
    std::int64_t clipped = 0;
};

// Renders the whole signal through the current program into `path`.
[[nodiscard]] bool render(Plugin& plugin, const StereoSignal& input, std::int32_t block,
                          const std::string& path, Rendered& result, std::string& error) {
    const AudioFormat format{SF_FORMAT_WAV | SF_FORMAT_PCM_16, input.sampleRate, 2};
    auto out = AudioWriter::create(path, format, error);
    if (!out) return false;
    std::vector<float> inLeft(block), inRight(block), outLeft(block), outRight(block);
    std::vector<float> interleaved(2 * static_cast<std::size_t>(block));
    const auto total = static_cast<std::int64_t>(input.left.size());
    for (std::int64_t at = 0; at < total; at += block) {
        const auto frames = static_cast<std::int32_t>(std::min<std::int64_t>(block, total - at));
        std::copy_n(input.left.begin() + at, frames, inLeft.begin());
        std::copy_n(input.right.begin() + at, frames, inRight.begin());
        processBlock(plugin, inLeft.data(), inRight.data(), outLeft.data(), outRight.data(),
                     frames, false);
        for (std::int32_t k = 0; k < frames; ++k) {
            interleaved[2 * k] = outLeft[k];
            interleaved[2 * k + 1] = outRight[k];
        }
        result.levels.add(outLeft.data(), outRight.data(), frames);
        if (!out->write(interleaved.data(), frames, error)) return false;
    }
    result.clipped = out->clippedSamples();
    return out->commit(error);
}

int run(std::span<const std::string_view> arguments) {
    std::string pluginPath = besideThisProgram("orbitone.so");
    std::string inputPath;
    std::string outDir;
    std::int32_t block = kDefaultBlock;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view a = arguments[i];
        const bool takesValue = a == "--plugin" || a == "--input" || a == "--block";
        if (takesValue && i + 1 >= arguments.size()) {
            reportError(std::string(a) + " needs a value (zylhost demo --help)");
            return kExitUsage;
        }
        std::string error;
        if (a == "--plugin") {
            pluginPath = arguments[++i];
        } else if (a == "--input") {
            inputPath = arguments[++i];
        } else if (a == "--block") {
            if (!parseBlockSize(arguments[++i], block, error)) {
                reportError(error);
                return kExitUsage;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            reportError("unknown option '" + std::string(a) + "' (zylhost demo --help)");
            return kExitUsage;
        } else if (outDir.empty()) {
            outDir = a;
        } else {
            reportError("give at most one OUTDIR (zylhost demo --help)");
            return kExitUsage;
        }
    }
    if (outDir.empty()) outDir = "zylhost-demo";

    std::string error;
    StereoSignal input;
    if (inputPath.empty()) {
        input = makeDemoInput();
    } else if (!readInput(inputPath, input, error)) {
        reportError(error);
        return kExitFailure;
    }

    Host host;
    host.sampleRate = static_cast<float>(input.sampleRate);
    host.blockSize = block;
    auto plugin = host.load(pluginPath, error);
    if (!plugin) {
        reportError(error);
        return kExitFailure;
    }
    if (!prepareEffect(*plugin, host.sampleRate, block, {}, error)) {
        reportError(error);
        return kExitFailure;
    }
    std::error_code made;
    std::filesystem::create_directories(outDir, made);
    if (made || !std::filesystem::is_directory(outDir)) {
        reportError(outDir + ": cannot be made as a directory" +
                    (made ? ": " + made.message() : std::string()));
        return kExitFailure;
    }

    Levels dry;
    dry.add(input.left.data(), input.right.data(), static_cast<std::int64_t>(input.left.size()));
    std::printf("input: %s, %.2f s at %d Hz, peak %s, RMS %s\n",
                inputPath.empty() ? "the demo's own music" : inputPath.c_str(),
                static_cast<double>(dry.frames()) / input.sampleRate, input.sampleRate,
                decibels(std::max(dry.peak(0), dry.peak(1))).c_str(),
                decibels(std::max(dry.rms(0), dry.rms(1))).c_str());
    std::printf("%3s  %-14s %11s %11s %11s %11s  %s\n", "#", "program", "peak L", "peak R",
                "RMS L", "RMS R", "file");
    const std::int32_t programs = plugin->record()->programCount;
    for (std::int32_t program = 0; program < programs; ++program) {
        const std::string name = programName(*plugin, program);
        char number[16];
        std::snprintf(number, sizeof number, "%02d", program);
        const std::string path = outDir + "/" + number + "-" + fileNamePart(name) + ".wav";
        // each program from a fresh start: its values, then the running state restarted
        plugin->dispatch(zyl::plugOpSelectProgram, 0, program);
        plugin->dispatch(zyl::plugOpPowerState, 0, 1);
        Rendered result;
        if (!render(*plugin, input, block, path, result, error)) {
            reportError(error);
            return kExitFailure;
        }
        const Levels& l = result.levels;
        std::printf("%3d  %-14s %11s %11s %11s %11s  %s", program, name.c_str(),
                    decibels(l.peak(0)).c_str(), decibels(l.peak(1)).c_str(),
                    decibels(l.rms(0)).c_str(), decibels(l.rms(1)).c_str(), path.c_str());
        if (result.clipped > 0)
            std::printf("  (%lld samples clipped)", static_cast<long long>(result.clipped));
        std::printf("\n");
    }
    plugin->suspend();
    return kExitOk;
}

}  // namespace

extern const Command demoCommand{"demo", "render a piece of music through every program",
                                 kHelp, run};

}  // namespace zylhost
