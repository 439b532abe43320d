// The text formatting operations: exact texts, the 8-character field, and the values
// that leave the buffer alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "effect_base.h"

namespace {

using orbitone::EffectBase;

// A buffer pre-filled with a marker, so "left untouched" and overruns show.
struct Field {
    char bytes[32];
    Field() { std::memset(bytes, '#', sizeof bytes); bytes[sizeof bytes - 1] = '\0'; }
    std::string text() const { return bytes; }
    bool untouched() const {
        for (std::size_t i = 0; i + 1 < sizeof bytes; ++i)
            if (bytes[i] != '#') return false;
        return true;
    }
    bool withinField() const { return std::memchr(bytes, '\0', 9) != nullptr; }
};

class TextFormat : public ::testing::Test {
protected:
    EffectBase effect{nullptr, 1, 1};
};

TEST_F(TextFormat, IntegersAreRightAlignedInSevenColumnsAndCutToEight) {
    struct {
        std::int32_t value;
        const char* text;
    } cases[] = {
        {42, "     42"},
        {0, "      0"},
        {-5, "     -5"},
        {1234567, "1234567"},
        {99999999, "99999999"},
        {100000000, "Huge!"},
        {2147483647, "Huge!"},
        {-12345678, "-1234567"},
        {std::numeric_limits<std::int32_t>::min(), "-2147483"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Field out;
        effect.formatInteger(c.value, out.bytes);
        EXPECT_EQ(out.text(), c.text);
    }
}

TEST_F(TextFormat, FloatsFillEightCharactersWithTruncatedFractionDigits) {
    struct {
        float value;
        const char* text;
    } cases[] = {
        {1.5f, "1.500000"},
        {-3.5f, "-3.50000"},
        {0.25f, "0.250000"},
        {0.0f, "0.000000"},
        {-0.0f, "0.000000"},
        {2.0f / 3.0f, "0.666666"},   // truncated, not rounded
        {0.1f, "0.100000"},          // 0.100000001490116...
        {0.3f, "0.300000"},          // 0.300000011920929...
        {0.7f, "0.699999"},          // 0.699999988079071...
        {123.456f, "123.4560"},      // 123.456001281738...
        {-1e-30f, "-0.00000"},
        {1234567.0f, "1234567."},
        {-1234567.0f, "-1234567"},   // no room left for the point
        {12345678.0f, "12345678"},
        {-9999999.0f, "-9999999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Field out;
        effect.formatFloat(c.value, out.bytes);
        EXPECT_EQ(out.text(), c.text);
    }
}

TEST_F(TextFormat, FloatsOutOfRangeOrNotANumberLeaveTheBufferUntouched) {
    for (float value : {1e8f, 100000000.0f, -10000000.0f, 1e30f, -1e30f,
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        SCOPED_TRACE(value);
        Field out;
        effect.formatFloat(value, out.bytes);
        EXPECT_TRUE(out.untouched());
    }
}

TEST_F(TextFormat, DecibelsHertzAndMilliseconds) {
    Field out;
    effect.formatDecibels(0.0f, out.bytes);
    EXPECT_EQ(out.text(), "-oo");
    effect.formatDecibels(-1.0f, out.bytes);
    EXPECT_EQ(out.text(), "-oo");
    effect.formatDecibels(1.0f, out.bytes);
    EXPECT_EQ(out.text(), "0.000000");
    effect.formatDecibels(10.0f, out.bytes);
    EXPECT_EQ(out.text(), "20.00000");
    effect.formatDecibels(0.5f, out.bytes);
    EXPECT_EQ(out.text(), "-6.02059");  // 20·log10(0.5) = -6.0205999...

    effect.formatHertz(0.0f, out.bytes);
    EXPECT_EQ(out.text(), "0.000000");
    effect.formatHertz(100.0f, out.bytes);  // 44100 / 100 samples
    EXPECT_EQ(out.text(), "441.0000");

    effect.formatMilliseconds(441.0f, out.bytes);  // 441 samples at 44100
    EXPECT_EQ(out.text(), "10.00000");
    effect.changeSampleRate(48000.0f);
    effect.formatMilliseconds(48.0f, out.bytes);
    EXPECT_EQ(out.text(), "1.000000");
}

TEST_F(TextFormat, NoValueEverWritesPastTheEightCharacterField) {
    const float values[] = {0.0f, 1e-45f, 1e-10f, 0.5f, 1.0f, 99.99f, 1e4f, 1e7f, 9.99e7f,
                            -9.99e6f, 1e8f, 1e30f, -1e30f,
                            std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min()};
    for (float value : values) {
        SCOPED_TRACE(value);
        for (auto format : {&EffectBase::formatFloat, &EffectBase::formatDecibels,
                            &EffectBase::formatHertz, &EffectBase::formatMilliseconds}) {
            Field out;
            (effect.*format)(value, out.bytes);
            EXPECT_TRUE(out.untouched() || out.withinField()) << out.text();
        }
    }
}

}  // namespace
