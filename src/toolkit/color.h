// Colours of the view toolkit and the constant colours.
#pragma once

#include <cstdint>

#include "surface.h"

namespace orbitone {

// Stored and passed by value: one 32-bit word, red in the lowest byte.
struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
    friend constexpr bool operator==(Color, Color) = default;
};
static_assert(sizeof(Color) == 4);

// The colour as drawing calls take it; the alpha byte is never passed on.
constexpr platform::PlatformColor toPlatformColor(Color c) {
    return platform::makePlatformColor(c.red, c.green, c.blue);
}

// The constant colours, in the order of the toolkit's colour table.
inline constexpr Color colorTransparent{255, 255, 255, 0};
inline constexpr Color colorBlack{0, 0, 0, 255};
inline constexpr Color colorWhite{255, 255, 255, 255};
inline constexpr Color colorGrey{127, 127, 127, 255};
inline constexpr Color colorRed{255, 0, 0, 255};
inline constexpr Color colorGreen{0, 255, 0, 255};
inline constexpr Color colorBlue{0, 0, 255, 255};
inline constexpr Color colorYellow{255, 255, 0, 255};
inline constexpr Color colorMagenta{255, 0, 255, 255};
inline constexpr Color colorCyan{0, 255, 255, 255};

}  // namespace orbitone
