// ModulatorEffect's parameter texts and the parameter-description document it carries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "modulator_effect.h"
#include "parameters.h"
#include "resources.h"

namespace {

using orbitone::formatParameterValue;

std::string valueText(std::int32_t index, float value) {
    char out[32];
    std::memset(out, '#', sizeof out);
    formatParameterValue(index, value, out);
    EXPECT_NE(std::memchr(out, '\0', 9), nullptr) << "longer than 8 characters";
    return out;
}

// The integer part of v·scale + 0.5 computed exactly from the float's bits, for
// 0 <= v <= 1: v = m·2^-s, so v·scale + 0.5 = (2·scale·m + 2^s) / 2^(s+1).
std::int64_t exactRounded(float v, std::int64_t scale) {
    if (v < std::ldexp(1.0f, -20)) return 0;  // v·scale + 0.5 < 1
    int exponent = 0;
    const float fraction = std::frexp(v, &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 24));
    const int shift = 24 - exponent;
    const std::uint64_t numerator = 2 * scale * mantissa + (std::uint64_t(1) << shift);
    return static_cast<std::int64_t>(numerator >> (shift + 1));
}

std::string expectedText(std::int32_t index, float v) {
    const bool bipolar = index == 3 || index == 7;
    return std::to_string(bipolar ? exactRounded(v, 200) - 100 : exactRounded(v, 100));
}

TEST(ParameterText, ShowsTheDocumentedExamples) {
    struct {
        std::int32_t index;
        float value;
        const char* text;
    } cases[] = {
        {0, 0.375f, "38"},  {3, 0.375f, "-25"}, {0, 0.125f, "13"}, {7, 0.125f, "-75"},
        {0, 0.005f, "0"},   {0, 0.5f, "50"},    {3, 0.5f, "0"},    {7, 0.5f, "0"},
        {0, 0.0f, "0"},     {3, 0.0f, "-100"},  {7, 0.0f, "-100"}, {16, 1.0f, "100"},
        {3, 1.0f, "100"},   {7, 1.0f, "100"},   {14, 0.27f, "27"}, {9, 0.7f, "70"},
        {0, -0.0f, "0"},    {0, -0.004f, "0"},  {0, -0.006f, "0"}, {0, -0.5f, "-49"},
        {0, -0.51f, "-50"}, {3, 1.5f, "200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " " + std::to_string(c.value));
        EXPECT_EQ(valueText(c.index, c.value), c.text);
    }
}

TEST(ParameterText, IsExactAtEveryRoundingThresholdInZeroToOne) {
    std::vector<float> values;
    for (int n = 0; n <= 200; ++n) {
        for (double scale : {100.0, 200.0}) {
            const float threshold = static_cast<float>((n - 0.5) / scale);
            float below = threshold, above = threshold;
            for (int step = 0; step < 3; ++step) {
                values.push_back(below);
                values.push_back(above);
                below = std::nextafter(below, 0.0f);
                above = std::nextafter(above, 2.0f);
            }
        }
    }
    std::uint32_t seed = 12345;  // and a spread of ordinary values
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        values.push_back(static_cast<float>(seed >> 8) / 16777216.0f);
    }
    for (float v : values) {
        if (!(v >= 0.0f && v <= 1.0f)) continue;
        for (std::int32_t index : {0, 3, 7, 16}) {
            ASSERT_EQ(valueText(index, v), expectedText(index, v))
                << "index " << index << " value " << std::hexfloat << v;
        }
    }
}

TEST(ParameterText, AnyFloatGivesAShortTextWithoutUndefinedBehaviour) {
    const float inf = std::numeric_limits<float>::infinity();
    struct {
        float value;
        const char* plain;    // index 0
        const char* bipolar;  // index 3
    } cases[] = {
        {std::numeric_limits<float>::quiet_NaN(), "nan", "nan"},
        {-std::numeric_limits<float>::quiet_NaN(), "nan", "nan"},
        {inf, "99999999", "99999999"},
        {-inf, "-9999999", "-9999999"},
        {1e30f, "99999999", "99999999"},
        {-1e30f, "-9999999", "-9999999"},
        {std::numeric_limits<float>::max(), "99999999", "99999999"},
        {1e6f, "99999999", "99999999"},
        {999999.0f, "99999900", "99999999"},  // 99999900.5; 199999800 - 100 is held
        {-99999.0f, "-9999899", "-9999999"},
        {std::numeric_limits<float>::denorm_min(), "0", "-100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(valueText(0, c.value), c.plain);
        EXPECT_EQ(valueText(3, c.value), c.bipolar);
    }
}

// The document hosts read, line by line: CRLF line ends, tab indentation, no final line
// end, attributes in the order name, shortName, label or type, id.
const char* const kDescriptionLines[] = {
    "<!-- ============================================================ -->",
    "<!-- XML definition of ZYL parameters for Orbitone -->",
    "<!-- Version 1.0 -->",
    "<!-- Date: 02.07.2004 -->",
    "<!-- ============================================================ -->",
    "<ZYLParametersStructure>",
    "\t<!-- ============================================================ -->",
    "\t<!-- Global -->",
    "\t<!-- ============================================================ -->",
    "\t<!-- Create Global Params -->",
    "\t<Param name=\"Mix.Bal\" shortName=\"MixBa,MixBal\" label=\"%\" id=\"8\"/>",
    "\t<Param name=\"Mix.Gain\" shortName=\"MixGa,MixGain\" label=\"%\" id=\"9\"/>",
    "\t<!-- Create Envelope Group -->",
    "\t<Group name=\"Env\">",
    "\t\t<Param name=\"Attack\" shortName=\"Att\" label=\"%\" id=\"0\"/>",
    "\t\t<Param name=\"Decay\" shortName=\"Dec\" label=\"%\" id=\"1\"/>",
    "\t\t<Param name=\"LockL-R\" type=\"switch\" id=\"10\"/>",
    "\t</Group>",
    "\t<!-- Create Oscillator Group -->",
    "\t<Group name=\"Oscillator\">",
    "\t\t<Param name=\"LFO Amount\" label=\"%\" id=\"2\"/>",
    "\t\t<Param name=\"Env Amount\" label=\"%\" id=\"3\"/>",
    "\t\t<Param name=\"Frequency\" label=\"%\" id=\"4\"/>",
    "\t\t<Param name=\"Roll-Off\" label=\"%\" id=\"5\"/>",
    "\t\t<Param name=\"Waveform\" id=\"14\"/>",
    "\t\t<Param name=\"Range\" label=\"Hz\" id=\"15\"/>",
    "\t</Group>",
    "\t<!-- Create LFO Group -->",
    "\t<Group name=\"LFO\">",
    "\t\t<Param name=\"Speed\" label=\"%\" id=\"6\"/>",
    "\t\t<Param name=\"Env Amount\" label=\"%\" id=\"7\"/>",
    "\t\t<Param name=\"InvertStereo\" type=\"switch\" id=\"12\"/>",
    "\t\t<Param name=\"Waveform\" id=\"16\"/>",
    "\t</Group>",
    "</ZYLParametersStructure>",
};

std::string expectedDescription() {
    std::string text;
    for (const char* line : kDescriptionLines) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

TEST(ParameterDescription, IsCompiledInByteForByteAndFoundByTypeAndId) {
    const auto bytes = orbitone::platform::findResource(
        orbitone::platform::moduleHandle(), zyl::kParameterDescriptionType,
        zyl::kParameterDescriptionId);
    const std::string document(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_EQ(document, expectedDescription());
    EXPECT_TRUE(orbitone::platform::findResource(nullptr, zyl::kParameterDescriptionType, 2)
                    .empty());
}

}  // namespace
