#include <gtest/gtest.h>

#include "zyl_abi.h"

namespace {

TEST(FourCharCode, PacksTheFirstCharacterMostSignificant) {
    EXPECT_EQ(zyl::fourCharCode("ZylP"), 0x5A796C50);
    EXPECT_EQ(zyl::fourCharCode("ORBT"), 0x4F524254);
    EXPECT_EQ(zyl::fourCharCode("NvEf"), 0x4E764566);
    EXPECT_EQ(zyl::kMagicCode, zyl::fourCharCode("ZylP"));
}

TEST(FourCharCode, KeepsHighBitCharactersUnsigned) {
    EXPECT_EQ(static_cast<std::uint32_t>(zyl::fourCharCode("\xff\x01\x02\x03")), 0xFF010203u);
}

}  // namespace
