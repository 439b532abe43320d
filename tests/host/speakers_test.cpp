// The speaker arrangement operations: allocate, release, copy one speaker, match.
#include <gtest/gtest.h>

#include <cstring>

#include "effect_base_ex.h"

namespace {

using orbitone::EffectBaseEx;
using zyl::SpeakerArrangement;
using zyl::SpeakerInfo;

SpeakerInfo* speaker(SpeakerArrangement* arrangement, int channel) {
    return arrangement->speakers + channel;
}

class Speakers : public ::testing::Test {
protected:
    ~Speakers() override {
        effect.releaseSpeakers(&first);
        effect.releaseSpeakers(&second);
    }
    EffectBaseEx effect{nullptr, 1, 1};
    SpeakerArrangement* first = nullptr;
    SpeakerArrangement* second = nullptr;
};

TEST_F(Speakers, AllocationGivesAZeroedBlockWithTheChannelCount) {
    ASSERT_TRUE(effect.allocateSpeakers(&first, 3));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->channelCount, 3);
    EXPECT_EQ(first->arrangementType, 0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(speaker(first, 0));
    for (std::size_t i = 0; i < 3 * sizeof(SpeakerInfo); ++i) ASSERT_EQ(bytes[i], 0) << i;

    // A second allocation replaces (and frees) the first block.
    ASSERT_TRUE(effect.allocateSpeakers(&first, 0));
    EXPECT_EQ(first->channelCount, 0);
}

TEST_F(Speakers, ReleaseFreesAndClearsAndAlwaysSucceeds) {
    ASSERT_TRUE(effect.allocateSpeakers(&first, 2));
    EXPECT_TRUE(effect.releaseSpeakers(&first));
    EXPECT_EQ(first, nullptr);
    EXPECT_TRUE(effect.releaseSpeakers(&first));
    EXPECT_TRUE(effect.releaseSpeakers(nullptr));
}

TEST_F(Speakers, BadRequestsFailWithoutTouchingMemory) {
    EXPECT_FALSE(effect.allocateSpeakers(nullptr, 2));
    EXPECT_FALSE(effect.allocateSpeakers(&first, -1));
    EXPECT_EQ(first, nullptr);
    SpeakerInfo info{};
    EXPECT_FALSE(effect.duplicateSpeaker(nullptr, &info));
    EXPECT_FALSE(effect.duplicateSpeaker(&info, nullptr));
    EXPECT_FALSE(effect.matchSpeakers(&first, nullptr));
}

TEST_F(Speakers, DuplicateCopiesEveryField) {
    SpeakerInfo from{};
    for (int i = 0; i < 4; ++i) from.position[i] = 100 + i;
    std::strcpy(from.name, "Left surround");
    from.speakerType = 5;
    for (int i = 0; i < 28; ++i) from.reserved[i] = static_cast<std::uint8_t>(i + 1);
    SpeakerInfo to;
    std::memset(&to, 0xAB, sizeof to);
    ASSERT_TRUE(effect.duplicateSpeaker(&to, &from));
    EXPECT_EQ(std::memcmp(&to, &from, sizeof to), 0);
}

TEST_F(Speakers, MatchMakesAnIndependentCopy) {
    ASSERT_TRUE(effect.allocateSpeakers(&first, 2));
    first->arrangementType = 7;
    std::strcpy(speaker(first, 0)->name, "L");
    std::strcpy(speaker(first, 1)->name, "R");
    speaker(first, 1)->speakerType = 2;
    speaker(first, 1)->position[3] = 9;

    ASSERT_TRUE(effect.allocateSpeakers(&second, 5));  // replaced by the match
    ASSERT_TRUE(effect.matchSpeakers(&second, first));
    ASSERT_NE(second, first);
    EXPECT_EQ(second->arrangementType, 7);
    EXPECT_EQ(second->channelCount, 2);
    EXPECT_EQ(std::memcmp(speaker(second, 0), speaker(first, 0), 2 * sizeof(SpeakerInfo)), 0);
    std::strcpy(speaker(first, 0)->name, "C");
    EXPECT_STREQ(speaker(second, 0)->name, "L");
}

}  // namespace
