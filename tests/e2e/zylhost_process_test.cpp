// zylhost process and demo as a user runs them, on audio files made here.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "reference_model.h"
#include "run_process.h"

namespace {

using orbitone::testing::ProcessResult;
using orbitone::testing::runProcess;

using orbitone::testing::contains;
using orbitone::testing::zylhost;

struct Audio {
    SF_INFO info{};
    std::vector<float> samples;  // interleaved
    std::vector<float> channel(int c) const {
        std::vector<float> out;
        for (std::size_t i = c; i < samples.size(); i += info.channels) out.push_back(samples[i]);
        return out;
    }
};

void writeAudio(const std::string& path, int format, int rate, int channels,
                const std::vector<float>& interleaved) {
    SF_INFO info{};
    info.format = format;
    info.samplerate = rate;
    info.channels = channels;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, interleaved.data(), interleaved.size() / channels);
    sf_close(file);
}

Audio readAudio(const std::string& path) {
    Audio audio;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file == nullptr) return audio;
    audio.samples.resize(audio.info.frames * audio.info.channels);
    sf_readf_float(file, audio.samples.data(), audio.info.frames);
    sf_close(file);
    return audio;
}

// A sweep-like tone with level changes, interleaved, in -0.8 .. 0.8.
std::vector<float> music(int frames, int channels) {
    std::vector<float> s(static_cast<std::size_t>(frames) * channels);
    for (int k = 0; k < frames; ++k)
        for (int c = 0; c < channels; ++c) {
            const double t = k / 48000.0;
            const double level = (k / 4000) % 2 ? 0.8 : 0.1;
            s[k * channels + c] =
                static_cast<float>(level * std::sin(2 * M_PI * (300 + 200 * c) * t * (1 + t)));
        }
    return s;
}

// The reference's output for a stereo input, in blocks of `block`, starting from a new
// effect's state.
std::array<std::vector<float>, 2> expected(const std::vector<float>& left,
                                           const std::vector<float>& right,
                                           const std::array<float, 17>& values, float rate,
                                           int block = 512) {
    orbitone::reference::Modulator model;
    model.c = orbitone::reference::derive(values, rate);
    std::array<std::vector<float>, 2> out{std::vector<float>(left.size()),
                                          std::vector<float>(left.size())};
    for (std::size_t at = 0; at < left.size(); at += block) {
        const int n = static_cast<int>(std::min<std::size_t>(block, left.size() - at));
        model.process(&left[at], &right[at], &out[0][at], &out[1][at], n, false);
    }
    return out;
}

constexpr std::array<float, 17> kDefault = {0.8f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f,  0.5f, 0.0f, 1.0f,
                                            0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.27f, 0.5f, 0.52f};
constexpr std::array<float, 17> kFlexible = {
    0.288538f, 1.0f, 1.0f, 0.291445f, 0.442503f, 0.592655f, 0.0f, 0.366565f, 1.0f,
    0.675f,    0.0f, 0.0f, 0.0f,      0.0f,      0.8f,      0.75f, 0.8f};

class Process : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zylhost-processXXXXXX";
        directory = mkdtemp(pattern);
    }
    void TearDown() override {
        for (const std::string& name : listing()) std::remove(path(name).c_str());
        rmdir(directory.c_str());
    }
    std::string path(const std::string& name) const { return directory + "/" + name; }
    std::set<std::string> listing() const {
        std::set<std::string> names;
        if (DIR* d = opendir(directory.c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    names.insert(e->d_name);
            closedir(d);
        }
        return names;
    }
    // A failure as the user sees it: the exit status, one line on stderr, and no file
    // left beyond the ones there before.
    void expectFailure(const std::vector<std::string>& arguments, int exitCode,
                       const std::string& part) {
        const std::set<std::string> before = listing();
        const ProcessResult r = zylhost(arguments);
        EXPECT_EQ(r.exitCode, exitCode) << r.err;
        EXPECT_EQ(r.err.rfind("zylhost: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(contains(r.err, part)) << r.err;
        EXPECT_EQ(listing(), before);
    }

    std::string directory;
};

TEST_F(Process, StereoFloatWavComesOutAsTheReferenceGivesIt) {
    const std::vector<float> in = music(20000, 2);
    writeAudio(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, in);
    const ProcessResult r =
        zylhost({"process", ORBITONE_PLUGIN, path("in.wav"), path("out.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // stderr is no terminal: no progress bar
    EXPECT_TRUE(contains(r.out, "out.wav: 20000 frames, 0.417 s, peak L ")) << r.out;
    EXPECT_TRUE(contains(r.out, "RMS L ")) << r.out;
    EXPECT_TRUE(contains(r.out, "x real time\n")) << r.out;

    const Audio out = readAudio(path("out.wav"));
    EXPECT_EQ(out.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(out.info.samplerate, 48000);
    ASSERT_EQ(out.info.channels, 2);
    const Audio read = readAudio(path("in.wav"));
    const auto want = expected(read.channel(0), read.channel(1), kDefault, 48000.0f);
    EXPECT_EQ(out.channel(0), want[0]);
    EXPECT_EQ(out.channel(1), want[1]);
    EXPECT_EQ(listing(), (std::set<std::string>{"in.wav", "out.wav"}));
}

TEST_F(Process, MonoFeedsBothInputsAndGivesStereo) {
    writeAudio(path("mono.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, music(9000, 1));
    const ProcessResult r =
        zylhost({"process", ORBITONE_PLUGIN, path("mono.wav"), path("out.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Audio out = readAudio(path("out.wav"));
    EXPECT_EQ(out.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(out.info.channels, 2);
    EXPECT_EQ(out.info.frames, 9000);
    EXPECT_EQ(out.channel(0), out.channel(1));
}

TEST_F(Process, FlacStaysFlacOrBecomesWhatTheExtensionSays) {
    writeAudio(path("in.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, music(7000, 2));
    ASSERT_EQ(zylhost({"process", ORBITONE_PLUGIN, path("in.flac"), path("out.flac")}).exitCode,
              0);
    Audio out = readAudio(path("out.flac"));
    EXPECT_EQ(out.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(out.info.frames, 7000);

    ASSERT_EQ(zylhost({"process", ORBITONE_PLUGIN, path("in.flac"), path("out.wav")}).exitCode,
              0);
    out = readAudio(path("out.wav"));
    EXPECT_EQ(out.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
    EXPECT_EQ(out.info.frames, 7000);

    // a float source into FLAC, which holds no floats: 24-bit
    writeAudio(path("float.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, music(3000, 2));
    ASSERT_EQ(zylhost({"process", ORBITONE_PLUGIN, path("float.wav"), path("f.flac")}).exitCode,
              0);
    EXPECT_EQ(readAudio(path("f.flac")).info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

TEST_F(Process, ProgramAndValuesByNameOrIndexAndTheAddingEntry) {
    const std::vector<float> in = music(12000, 2);
    writeAudio(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, in);
    std::array<float, 17> values = kFlexible;
    values[4] = 0.25f;
    values[9] = 0.5f;
    const Audio read = readAudio(path("in.wav"));
    const auto want = expected(read.channel(0), read.channel(1), values, 44100.0f, 300);

    const std::vector<std::vector<std::string>> ways = {
        {"--program", "flexible", "--set", "Osc.Freq=0.25", "--set", "9=0.5"},
        {"--program", "7", "--set", "osc.freq=0.25", "--set", "Mix.Gain=0.5", "--adding"},
    };
    int n = 0;
    for (std::vector<std::string> arguments : ways) {
        const std::string out = path("out" + std::to_string(n++) + ".wav");
        arguments.insert(arguments.begin(), "process");
        arguments.insert(arguments.end(),
                         {"--block", "300", ORBITONE_PLUGIN, path("in.wav"), out});
        const ProcessResult r = zylhost(arguments);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Audio got = readAudio(out);
        EXPECT_EQ(got.channel(0), want[0]);
        EXPECT_EQ(got.channel(1), want[1]);
    }
}

TEST_F(Process, ErrorsSayWhatIsWrongAndLeaveNoOutput) {
    writeAudio(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, music(2000, 2));
    writeAudio(path("six.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 6, music(100, 6));
    std::FILE* text = std::fopen(path("notes.txt").c_str(), "w");
    std::fputs("not audio\n", text);
    std::fclose(text);
    const std::string in = path("in.wav"), out = path("out.wav");
    const std::string plugin = ORBITONE_PLUGIN;

    expectFailure({"process", plugin, path("missing.wav"), out}, 1, "No such file");
    expectFailure({"process", plugin, path("notes.txt"), out}, 1, "cannot be read as audio");
    expectFailure({"process", plugin, path("six.wav"), out}, 1, "has 6 channels");
    expectFailure({"process", plugin, in, in}, 2, "is the input file");
    expectFailure({"process", plugin, in, directory + "/./in.wav"}, 2, "is the input file");
    expectFailure({"process", plugin, in, path("no/such/dir/out.wav")}, 1,
                  "cannot be written");
    expectFailure({"process", "--program", "Nope", plugin, in, out}, 2, "unknown program 'Nope'");
    expectFailure({"process", "--program", "9", plugin, in, out}, 2, "unknown program '9'");
    expectFailure({"process", "--set", "Osc.Nope=0.5", plugin, in, out}, 2,
                  "unknown parameter 'Osc.Nope'");
    expectFailure({"process", "--set", "17=0.5", plugin, in, out}, 2, "unknown parameter '17'");
    expectFailure({"process", "--set", "Osc.Freq=loud", plugin, in, out}, 2, "not a number");
    expectFailure({"process", "--set", "Osc.Freq=", plugin, in, out}, 2, "not a number");
    expectFailure({"process", "--set", "Osc.Freq=nan", plugin, in, out}, 2, "not a number");
    expectFailure({"process", "--set", "Osc.Freq=1.5", plugin, in, out}, 2, "between 0 and 1");
    expectFailure({"process", "--set", "Osc.Freq", plugin, in, out}, 2, "NAME=VALUE");
    expectFailure({"process", "--block", "0", plugin, in, out}, 2, "--block 0");
    expectFailure({"process", "--block", "many", plugin, in, out}, 2, "--block many");
    expectFailure({"process", "--block"}, 2, "needs a value");
    expectFailure({"process", "--loud", plugin, in, out}, 2, "unknown option '--loud'");
    expectFailure({"process", plugin, in}, 2, "give PLUGIN.so IN OUT");
    expectFailure({"process", path("notes.txt"), in, out}, 1, "notes.txt");
}

TEST_F(Process, HelpTellsTheOptions) {
    const ProcessResult r = zylhost({"process", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* part : {"PLUGIN.so IN OUT", "--program", "--set NAME=VALUE", "--block",
                             "--adding", "mono", "Exit status"})
        EXPECT_TRUE(contains(r.out, part)) << part;
    EXPECT_TRUE(contains(zylhost({"--help"}).out, "process"));
    EXPECT_TRUE(contains(zylhost({"--help"}).out, "demo"));
}

TEST_F(Process, DemoWritesOneSoundingFilePerProgram) {
    const std::string out = path("demo");
    const ProcessResult r = zylhost({"demo", "--plugin", ORBITONE_PLUGIN, out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const char* files[] = {"00-default.wav",    "01-hoth.wav",   "02-sore-throat.wav",
                           "03-high-ring.wav",  "04-l-r-move.wav", "05-stereo-ring.wav",
                           "06-random.wav",     "07-flexible.wav", "08-decrypted.wav"};
    std::set<std::string> written;
    if (DIR* d = opendir(out.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') written.insert(e->d_name);
        closedir(d);
    }
    EXPECT_EQ(written, std::set<std::string>(std::begin(files), std::end(files)));
    for (const char* name : files) {
        const Audio audio = readAudio(out + "/" + name);
        EXPECT_EQ(audio.info.channels, 2) << name;
        EXPECT_EQ(audio.info.samplerate, 44100) << name;
        EXPECT_GT(audio.info.frames, 44100 * 5) << name;
        float peak = 0.0f;
        for (float v : audio.samples) peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.05f) << name;  // sounding
        EXPECT_LT(peak, 0.99f) << name;  // and not clipping
        EXPECT_TRUE(contains(r.out, name)) << name;
        std::remove((out + "/" + name).c_str());
    }
    // the table: the input's levels, a header and one row per program
    EXPECT_TRUE(contains(r.out, "input: the demo's own music")) << r.out;
    EXPECT_TRUE(contains(r.out, "program")) << r.out;
    EXPECT_TRUE(contains(r.out, "  4  L - R Move ")) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 11) << r.out;
    EXPECT_FALSE(contains(r.out, "clipped")) << r.out;
    rmdir(out.c_str());
}

TEST_F(Process, DemoTakesAnInputFile) {
    writeAudio(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 32000, 1, music(6000, 1));
    const std::string out = path("d");
    const ProcessResult r =
        zylhost({"demo", "--plugin", ORBITONE_PLUGIN, "--input", path("in.wav"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("input: " + path("in.wav") + ", 0.19 s at 32000 Hz", 0), 0u) << r.out;
    int files = 0;
    if (DIR* d = opendir(out.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            const Audio audio = readAudio(out + "/" + e->d_name);
            EXPECT_EQ(audio.info.samplerate, 32000);
            EXPECT_EQ(audio.info.frames, 6000);
            std::remove((out + "/" + e->d_name).c_str());
            ++files;
        }
        closedir(d);
    }
    EXPECT_EQ(files, 9);
    rmdir(out.c_str());
}

TEST_F(Process, OggVorbisFromTheExtension) {
    writeAudio(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, music(8000, 2));
    ASSERT_EQ(zylhost({"process", ORBITONE_PLUGIN, path("in.wav"), path("out.ogg")}).exitCode,
              0);
    const Audio out = readAudio(path("out.ogg"));
    EXPECT_EQ(out.info.format, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(out.info.channels, 2);
}

TEST_F(Process, DemoRefusesAMissingPlugin) {
    expectFailure({"demo", "--plugin", path("none.so"), path("d")}, 1, "none.so");
}

}  // namespace
