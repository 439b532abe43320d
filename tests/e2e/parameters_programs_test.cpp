// Parameters and programs of orbitone.so, through the record: names, units, value texts,
// the factory programs, renaming, names by index, and edits that stay with their program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "loaded_plugin.h"

namespace {

using namespace zyl;

const char* const kShortNames[17] = {
    "Env.Atk",  "Env.Dcy",  "Osc.LMod", "Osc.EMod", "Osc.Freq", "Osc.HiCt",
    "Lfo.Freq", "Lfo.EMod", "Mix.Bal",  "Mix.Gain", "Env.Lock", "Osc.PhIn",
    "Lfo.PhIn", "Lfo.ReTr", "Osc.Wave", "Osc.Base", "Lfo.Wave",
};

const char* const kProgramNames[9] = {"Default",     "Hoth",   "Sore Throat",
                                      "High Ring",   "L - R Move", "Stereo Ring",
                                      "Random",      "Flexible",   "Decrypted"};

// The factory table by parameter (rows) and program (columns).
const float kFactory[17][9] = {
    {0.8f, 0.215706f, 0.8f, 0.907345f, 0.185073f, 0.768424f, 1.0f, 0.288538f, 0.275399f},
    {0.5f, 0.281347f, 0.21307f, 0.0f, 0.424532f, 0.319207f, 0.833333f, 1.0f, 0.666667f},
    {0.0f, 0.561127f, 0.121871f, 0.0638572f, 1.0f, 0.0682776f, 1.0f, 1.0f, 0.714795f},
    {0.5f, 0.34746f, 0.397608f, 0.985874f, 1.0f, 0.67515f, 0.0f, 0.291445f, 0.0f},
    {0.5f, 0.303222f, 0.442736f, 0.639143f, 0.739459f, 1.0f, 0.431722f, 0.442503f, 0.864929f},
    {0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.592655f, 0.0f},
    {0.5f, 0.346579f, 0.395182f, 0.0f, 0.098389f, 0.806944f, 0.0192386f, 0.0f, 0.746721f},
    {0.0f, 0.28693f, 0.166667f, 0.191518f, 0.935381f, 0.138538f, 0.0f, 0.366565f, 0.23001f},
    {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
    {0.7f, 0.7f, 0.7f, 0.7f, 0.466667f, 0.466667f, 0.7f, 0.675f, 0.7f},
    {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},
    {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.27f, 0.8f, 0.27f, 0.27f, 0.1f, 0.3f, 0.3f, 0.8f, 0.27f},
    {0.5f, 0.75f, 0.25f, 0.5f, 0.5f, 0.25f, 0.75f, 0.75f, 0.75f},
    {0.52f, 0.52f, 0.3f, 0.3f, 0.1f, 0.8f, 0.3f, 0.8f, 0.52f},
};

class Parameters : public orbitone::testing::LoadedPlugin {
protected:
    void select(int program) { dispatch(plugOpSelectProgram, 0, program); }
    std::string valueText(int index, float value) {
        plugin->storeParameter(index, value);
        return plugin->text(plugOpParameterText, index);
    }
    // A buffer of exactly `size` bytes, marked, for "untouched" and "at most" checks.
    struct Buffer {
        char bytes[80];
        Buffer() { std::memset(bytes, '#', sizeof bytes); }
        std::size_t written() const {
            std::size_t n = 0;
            while (n < sizeof bytes && bytes[n] != '#') ++n;
            return n;
        }
    };
};

TEST_F(Parameters, NamesAndUnits) {
    for (int index = 0; index < 17; ++index) {
        SCOPED_TRACE(index);
        Buffer name;
        EXPECT_EQ(dispatch(plugOpParameterName, index, 0, name.bytes), 0);
        EXPECT_STREQ(name.bytes, kShortNames[index]);
        EXPECT_LE(name.written(), 9u);
        Buffer unit;
        dispatch(plugOpParameterUnit, index, 0, unit.bytes);
        EXPECT_STREQ(unit.bytes, "%");
        EXPECT_EQ(unit.written(), 2u);
    }
    EXPECT_EQ(plugin->text(plugOpParameterName, 15), "Osc.Base");
    for (int index : {17, -1, 1000}) {
        Buffer name;
        dispatch(plugOpParameterName, index, 0, name.bytes);
        EXPECT_EQ(name.written(), 0u) << index;
        Buffer text;
        dispatch(plugOpParameterText, index, 0, text.bytes);
        EXPECT_EQ(text.written(), 0u) << index;
    }
}

TEST_F(Parameters, ValueTexts) {
    struct {
        int index;
        float value;
        const char* text;
    } cases[] = {
        {0, 0.375f, "38"}, {3, 0.375f, "-25"}, {0, 0.125f, "13"},  {7, 0.125f, "-75"},
        {0, 0.005f, "0"},  {1, 0.5f, "50"},    {3, 0.5f, "0"},     {7, 0.0f, "-100"},
        {3, 0.0f, "-100"}, {5, 0.0f, "0"},     {16, 1.0f, "100"},  {7, 1.0f, "100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " " + std::to_string(c.value));
        EXPECT_EQ(valueText(c.index, c.value), c.text);
    }
}

TEST_F(Parameters, ValueTextsOfAnyStoredFloatFitNineBytes) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float value : {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f,
                        std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::denorm_min(), -2.5f, 12345.0f}) {
        for (int index : {0, 3}) {
            SCOPED_TRACE(std::to_string(index) + " " + std::to_string(value));
            plugin->storeParameter(index, value);
            Buffer text;
            dispatch(plugOpParameterText, index, 0, text.bytes);
            EXPECT_LE(text.written(), 9u);
            EXPECT_NE(std::memchr(text.bytes, '\0', 9), nullptr);
        }
    }
    EXPECT_EQ(valueText(0, 1e30f), "99999999");
    EXPECT_EQ(valueText(3, -1e30f), "-9999999");
    EXPECT_EQ(valueText(0, std::numeric_limits<float>::quiet_NaN()), "nan");
}

TEST_F(Parameters, ValuesAreStoredExactlyAsReceived) {
    for (float value : {-3.0f, 1.5f, 0.123456789f, 1e-40f}) {
        plugin->storeParameter(4, value);
        EXPECT_EQ(plugin->readParameter(4), value);
    }
    plugin->storeParameter(17, 0.5f);
    EXPECT_EQ(plugin->readParameter(17), 0.0f);
    EXPECT_EQ(plugin->readParameter(-1), 0.0f);
}

TEST_F(Parameters, TheNineFactoryProgramsAreAllThere) {
    for (int program = 0; program < 9; ++program) {
        SCOPED_TRACE(program);
        EXPECT_EQ(plugin->text(plugOpProgramNameAt, program), kProgramNames[program]);
        select(program);
        EXPECT_EQ(dispatch(plugOpCurrentProgram), program);
        EXPECT_EQ(plugin->text(plugOpProgramName), kProgramNames[program]);
        for (int index = 0; index < 17; ++index)
            EXPECT_EQ(plugin->readParameter(index), kFactory[index][program]) << index;
    }
}

TEST_F(Parameters, ProgramNamesByIndexRefuseIndicesOutOfRange) {
    for (int index : {9, -1, 100}) {
        Buffer name;
        EXPECT_EQ(dispatch(plugOpProgramNameAt, index, 0, name.bytes), 0) << index;
        EXPECT_EQ(name.written(), 0u);
    }
    std::intptr_t answer = 0;
    EXPECT_EQ(plugin->text(plugOpProgramNameAt, 4, 7, &answer), "L - R Move");  // any category
    EXPECT_EQ(answer, 1);
}

TEST_F(Parameters, RenameKeepsAtMost64Characters) {
    select(2);
    std::string seventy;
    for (int i = 0; i < 70; ++i) seventy += static_cast<char>('a' + i % 26);
    dispatch(plugOpRenameProgram, 0, 0, seventy.data());
    Buffer name;
    dispatch(plugOpProgramName, 0, 0, name.bytes);
    EXPECT_EQ(std::string(name.bytes), seventy.substr(0, 64));
    EXPECT_EQ(name.written(), 65u);
    EXPECT_EQ(plugin->text(plugOpProgramNameAt, 2), seventy.substr(0, 64));

    std::string sixtyFour = seventy.substr(3, 64);
    dispatch(plugOpRenameProgram, 0, 0, sixtyFour.data());
    EXPECT_EQ(plugin->text(plugOpProgramName), sixtyFour);
    // Only the current program was renamed.
    EXPECT_EQ(plugin->text(plugOpProgramNameAt, 1), "Hoth");
    EXPECT_EQ(plugin->text(plugOpProgramNameAt, 3), "High Ring");
}

TEST_F(Parameters, ProgramsNamedInitAreNumberedByIndex) {
    char init[] = "Init";
    select(2);
    dispatch(plugOpRenameProgram, 0, 0, init);
    EXPECT_EQ(plugin->text(plugOpProgramNameAt, 2), "Init 3");
    EXPECT_EQ(plugin->text(plugOpProgramName), "Init");
    select(8);
    dispatch(plugOpRenameProgram, 0, 0, init);
    EXPECT_EQ(plugin->text(plugOpProgramNameAt, 8), "Init 9");

    for (const char* name : {"Init2", "init", "Init ", "INIT", "Ini"}) {
        std::string copy = name;
        select(0);
        dispatch(plugOpRenameProgram, 0, 0, copy.data());
        EXPECT_EQ(plugin->text(plugOpProgramNameAt, 0), name);
    }
}

TEST_F(Parameters, EditsStayWithTheirProgram) {
    select(1);
    plugin->storeParameter(0, 0.9f);
    select(2);
    EXPECT_EQ(plugin->readParameter(0), 0.8f);
    select(1);
    EXPECT_EQ(plugin->readParameter(0), 0.9f);

    select(4);
    plugin->storeParameter(9, 0.3f);
    select(0);
    EXPECT_EQ(plugin->readParameter(9), 0.7f);  // program 0's own value
    select(4);
    EXPECT_EQ(plugin->readParameter(9), 0.3f);
    EXPECT_EQ(plugin->readParameter(12), 1.0f);
    select(5);
    EXPECT_EQ(plugin->readParameter(9), 0.466667f);  // untouched
}

TEST_F(Parameters, TheHostHearsNothingOfItsOwnChanges) {
    host.clearCalls();
    select(3);
    plugin->storeParameter(2, 0.5f);
    char name[] = "Mine";
    dispatch(plugOpRenameProgram, 0, 0, name);
    EXPECT_TRUE(host.calls().empty());
}

}  // namespace
