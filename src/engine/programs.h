// The nine factory programs every effect starts from.
#pragma once

#include <array>
#include <cstdint>

#include "parameters.h"

namespace orbitone {

inline constexpr std::int32_t kProgramCount = 9;
inline constexpr std::size_t kProgramNameLength = 64;  // characters, without the zero

struct FactoryProgram {
    const char* name;
    std::array<float, kParameterCount> values;  // by parameter index
};

extern const std::array<FactoryProgram, kProgramCount> kFactoryPrograms;

}  // namespace orbitone
