#include "waveform_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "engine_harness.h"
#include "reference_model.h"

namespace orbitone {
namespace {

using reference::Wave;

TEST(WaveformTables, EdgeSamples) {
    const WaveformTables& t = sharedWaveformTables();
    struct Case {
        const float* table;
        int index;
        float expected;
    };
    const Case cases[] = {
        {t.waveSquare, 0, 1.0f},
        {t.waveSquare, 100, -1.0f},   {t.waveSquare, 1999, -1.0f},
        {t.waveSquare, 2000, -1.0f},
        {t.waveSquare, 2100, 1.0f},   {t.waveSquare, 3999, 1.0f},
        {t.waveSaw, 0, 1.0f},
        {t.waveSaw, 200, -1.0f},      {t.waveTriangle, 0, -1.0f},
        {t.waveTriangle, 2001, 0.999f}, {t.waveSine, 0, 0.0f},
        {t.waveSine, 1000, 1.0f},     {t.waveSine, 3000, -1.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.table[c.index], c.expected) << "index " << c.index;

    // The ramp ends are what the formulas give from the float constants, which is within
    // a float step of the round decimals.
    EXPECT_EQ(t.waveSquare[99], static_cast<float>(1.0 - 99 * double{0.02f}));
    EXPECT_FLOAT_EQ(t.waveSquare[99], -0.98f);
    EXPECT_EQ(t.waveSquare[2099], static_cast<float>(99 * double{0.02f} - 1.0));
    EXPECT_FLOAT_EQ(t.waveSquare[2099], 0.98f);
    EXPECT_EQ(t.waveSaw[199], static_cast<float>(1.0 - 199 * double{0.01f}));
    EXPECT_FLOAT_EQ(t.waveSaw[199], -0.99f);
    EXPECT_NEAR(t.waveSaw[201], -0.999474f, 1e-6f);
    EXPECT_NEAR(t.waveSaw[3999], 0.999474f, 1e-6f);
    // 0.001f lies slightly above 0.001, so the peak overshoots 1 by one float step
    EXPECT_EQ(t.waveTriangle[2000], std::nextafter(1.0f, 2.0f));
    EXPECT_NEAR(t.waveTriangle[3999], -0.999f, 1e-6f);
    EXPECT_NEAR(t.waveSine[2000], 0.0f, 1e-7f);
}

TEST(WaveformTables, EverySampleMatchesTheIndependentFormulas) {
    const WaveformTables& t = sharedWaveformTables();
    for (const Wave wave : {Wave::square, Wave::saw, Wave::triangle, Wave::sine}) {
        const float* table = testing::engineTable(wave);
        const reference::Table& expected = reference::table(wave);
        for (int i = 0; i < kWaveLength; ++i)
            ASSERT_EQ(table[i], expected[i]) << "wave " << int(wave) << " index " << i;
    }
    // one block, in memory order
    EXPECT_EQ(t.waveSaw, t.waveSquare + kWaveLength);
    EXPECT_EQ(t.waveTriangle, t.waveSaw + kWaveLength);
    EXPECT_EQ(t.waveSine, t.waveTriangle + kWaveLength);
}

TEST(WaveformTables, FillingAnotherSetGivesTheSameSamples) {
    auto own = std::make_unique<WaveformTables>();
    fillWaveformTables(*own);
    const WaveformTables& shared = sharedWaveformTables();
    EXPECT_EQ(0, std::memcmp(own.get(), &shared, sizeof(WaveformTables)));
    EXPECT_EQ(&sharedWaveformTables(), &shared);
}

TEST(WaveformTables, SelectionByIntegerPartOfFourTimesTheValue) {
    const WaveformTables& t = sharedWaveformTables();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        const float* expected;
    };
    const Case cases[] = {
        {0.0f, t.waveSquare},    {0.1f, t.waveSquare},   {0.2499f, t.waveSquare},
        {-0.2f, t.waveSquare},   {0.25f, t.waveSine},    {0.27f, t.waveSine},
        {0.3f, t.waveSine},      {0.4999f, t.waveSine},  {0.5f, t.waveSaw},
        {0.52f, t.waveSaw},      {0.75f, t.waveTriangle}, {0.8f, t.waveTriangle},
        {1.0f, t.waveTriangle},  {-0.25f, t.waveTriangle}, {-10.0f, t.waveTriangle},
        {10.0f, t.waveTriangle}, {1e30f, t.waveTriangle}, {nan, t.waveTriangle},
        {inf, t.waveTriangle},   {-inf, t.waveTriangle},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(selectWaveform(t, c.value), c.expected) << c.value;
        EXPECT_EQ(testing::engineTable(reference::selectedWave(c.value)), c.expected)
            << "reference disagrees at " << c.value;
    }
}

TEST(WaveformTables, RangesOfTheSharedTablesAndOfOthers) {
    const WaveformTables& t = sharedWaveformTables();
    EXPECT_EQ(waveformRange(t.waveSquare).lowest, -1.0f);
    EXPECT_EQ(waveformRange(t.waveSquare).highest, 1.0f);
    EXPECT_EQ(waveformRange(t.waveTriangle).highest, t.waveTriangle[2000]);
    EXPECT_EQ(waveformRange(t.waveSine).lowest, -1.0f);
    EXPECT_EQ(waveformRange(t.waveSaw).lowest, -1.0f);
    EXPECT_EQ(waveformRange(t.waveSaw).highest, 1.0f);

    std::vector<float> other(kWaveLength, 0.5f);
    other[17] = -3.0f;
    other[3999] = 2.0f;
    EXPECT_EQ(waveformRange(other.data()).lowest, -3.0f);
    EXPECT_EQ(waveformRange(other.data()).highest, 2.0f);
}

}  // namespace
}  // namespace orbitone
