// The toolkit's fonts: the font table indexed by font id, style bits and alignments.
#pragma once

#include <cstdint>

#include "raster.h"

namespace orbitone {

inline constexpr std::int32_t styleBold = 1;
inline constexpr std::int32_t styleItalic = 2;
inline constexpr std::int32_t styleUnderline = 4;

// drawText alignments; any other value is treated as left.
inline constexpr std::int32_t alignLeft = 0;
inline constexpr std::int32_t alignCenter = 1;
inline constexpr std::int32_t alignRight = 2;

struct FontTableEntry {
    const char* faceName;
    std::int32_t defaultSize;  // character height in pixels
    std::uint8_t pitchAndFamily;
    bool alwaysBold;
};

inline constexpr std::int32_t kFontCount = 8;
inline constexpr std::int32_t kSymbolFontId = 7;

inline constexpr std::uint8_t kSwissVariable = platform::kFamilySwiss | platform::kPitchVariable;
inline constexpr std::uint8_t kDecorativeDefault =
    platform::kFamilyDecorative | platform::kPitchDefault;

inline constexpr FontTableEntry kFontTable[kFontCount] = {
    {"Arial", 12, kSwissVariable, true},  {"Arial", 18, kSwissVariable, false},
    {"Arial", 14, kSwissVariable, false}, {"Arial", 12, kSwissVariable, false},
    {"Arial", 11, kSwissVariable, false}, {"Arial", 10, kSwissVariable, false},
    {"Arial", 9, kSwissVariable, false},  {"Symbol", 13, kDecorativeDefault, false},
};

}  // namespace orbitone
