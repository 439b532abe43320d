// The signal engine through orbitone.so, as a host drives it: the record's processing
// entries, program and parameter stores, sample rate and power state through the
// dispatcher, every output compared sample by sample with the reference model.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "loaded_plugin.h"
#include "reference_model.h"

namespace {

using namespace orbitone;

constexpr int kParameters = 17;
constexpr int kPrograms = 9;

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames, float amplitude = 0.0f, std::uint32_t seed = 1)
        : left(frames), right(frames) {
        std::uint32_t state = seed * 2654435761u + 7;
        auto next = [&] {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return amplitude * (static_cast<float>(state) / 2147483648.0f - 1.0f);
        };
        for (std::size_t k = 0; k < frames; ++k) {
            left[k] = next();
            right[k] = next();
        }
    }
    float** channels() {
        pointers = {left.data(), right.data()};
        return pointers.data();
    }

private:
    std::array<float*, 2> pointers{};
};

class Processing : public orbitone::testing::LoadedPlugin {
protected:

    // The current program's values as the plug-in reports them.
    std::array<float, kParameters> values() {
        std::array<float, kParameters> v{};
        for (int i = 0; i < kParameters; ++i) v[i] = plugin->readParameter(i);
        return v;
    }
    void modelFollows(float rate) { model.c = reference::derive(values(), rate); }

    // One block through the plug-in's entry and through the model; both outputs start
    // from the same contents.
    void block(const Stereo& in, bool adding, std::size_t frames) {
        Stereo input = in, pluginOut(frames, 0.3f, 9), modelOut = pluginOut;
        if (adding)
            plugin->processAdding(input.channels(), pluginOut.channels(),
                                  static_cast<std::int32_t>(frames));
        else
            plugin->processOverwriting(input.channels(), pluginOut.channels(),
                                       static_cast<std::int32_t>(frames));
        model.process(in.left.data(), in.right.data(), modelOut.left.data(),
                      modelOut.right.data(), static_cast<int>(frames), adding);
        ASSERT_FALSE(model.readOutside);
        ASSERT_EQ(pluginOut.left, modelOut.left);
        ASSERT_EQ(pluginOut.right, modelOut.right);
    }

    reference::Modulator model;
};

TEST_F(Processing, EveryProgramThroughTheRecordMatchesTheReference) {
    plugin->start(44100.0f, 512);
    modelFollows(44100.0f);
    const std::size_t sizes[] = {512, 1, 100, 4096, 77};
    for (int program = 0; program < kPrograms; ++program) {
        SCOPED_TRACE("program " + std::to_string(program));
        plugin->dispatch(zyl::plugOpSelectProgram, 0, program);
        modelFollows(44100.0f);
        for (std::size_t n : sizes) {
            block(Stereo(n, 0.9f, static_cast<std::uint32_t>(program * 31 + n)), n % 2 == 0, n);
        }
        // a store between blocks takes effect at the next one
        plugin->storeParameter(program % kParameters, 0.37f);
        modelFollows(44100.0f);
        block(Stereo(300, 0.5f, 3), false, 300);
    }
}

TEST_F(Processing, ANewSampleRateWaitsForTheNextParameterStore) {
    plugin->start(44100.0f, 512);
    modelFollows(44100.0f);
    block(Stereo(256, 0.8f), false, 256);

    // the rate changes, nothing is stored: the 44100 Hz increments stay
    plugin->dispatch(zyl::plugOpSampleRate, 0, 0, nullptr, 96000.0f);
    block(Stereo(256, 0.8f, 2), false, 256);

    // storing any value, even the current one, brings the new rate in
    plugin->storeParameter(5, plugin->readParameter(5));
    modelFollows(96000.0f);
    block(Stereo(256, 0.8f, 3), false, 256);
}

TEST_F(Processing, AnEmptyCallStillUpdatesTheCoefficients) {
    plugin->start(44100.0f, 512);
    plugin->storeParameter(4, 0.9f);
    plugin->dispatch(zyl::plugOpSampleRate, 0, 0, nullptr, 48000.0f);
    Stereo nothing(0);
    plugin->processOverwriting(nothing.channels(), nothing.channels(), 0);
    // the update ran at 48000 Hz; a later rate change alone does not show
    plugin->dispatch(zyl::plugOpSampleRate, 0, 0, nullptr, 22050.0f);
    modelFollows(48000.0f);
    block(Stereo(512, 1.0f), true, 512);
}

TEST_F(Processing, ResumeRestartsTheSignalAndSuspendDoesNot) {
    plugin->start(44100.0f, 512);
    plugin->dispatch(zyl::plugOpSelectProgram, 0, 4);
    modelFollows(44100.0f);
    block(Stereo(1000, 1.0f), false, 1000);

    plugin->suspend();  // power state 0: nothing changes
    block(Stereo(500, 1.0f, 2), false, 500);

    // power state 5: the running state restarts, the offset's sign goes on
    plugin->dispatch(zyl::plugOpPowerState, 0, 5);
    model.state = {};
    block(Stereo(700, 1.0f, 3), false, 700);
}

TEST_F(Processing, InPlaceBuffersGiveTheSameAsSeparateOnes) {
    plugin->start(44100.0f, 512);
    plugin->dispatch(zyl::plugOpSelectProgram, 0, 7);
    modelFollows(44100.0f);
    Stereo buffer(2048, 0.7f, 5);
    const Stereo original = buffer;
    plugin->processOverwriting(buffer.channels(), buffer.channels(), 2048);
    Stereo expected(2048);
    model.process(original.left.data(), original.right.data(), expected.left.data(),
                  expected.right.data(), 2048, false);
    EXPECT_EQ(buffer.left, expected.left);
    EXPECT_EQ(buffer.right, expected.right);
}

TEST_F(Processing, TwoEffectsRunIndependently) {
    std::string error;
    auto other = host.load(ORBITONE_PLUGIN, error);
    ASSERT_NE(other, nullptr) << error;
    plugin->start(44100.0f, 512);
    other->start(44100.0f, 512);
    other->dispatch(zyl::plugOpSelectProgram, 0, 8);
    modelFollows(44100.0f);
    for (int i = 0; i < 4; ++i) {
        Stereo scratch(512, 1.0f, 40 + i), out(512);
        other->processOverwriting(scratch.channels(), out.channels(), 512);
        block(Stereo(512, 0.6f, 10 + i), false, 512);
    }
}

}  // namespace
