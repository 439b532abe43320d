#include "parameters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace orbitone {
namespace {

// The widest numbers an 8-character field holds.
constexpr long double kLargestShown = 99999999.0L;
constexpr long double kSmallestShown = -9999999.0L;

}  // namespace

void formatParameterValue(std::int32_t index, float value, char* out) {
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 4);
        return;
    }
    // Computed at extended precision from the stored float; the integer part truncates
    // toward zero.
    const bool bipolar = index == paramOscEnvAmount || index == paramLfoEnvAmount;
    const long double v = value;
    long double shown = bipolar ? std::trunc(v * 200.0L + 0.5L) - 100.0L
                                : std::trunc(v * 100.0L + 0.5L);
    // Far outside 0..1 (up to the infinities) the number is held to the field, so the
    // conversion below is always defined and the text never outgrows 8 characters.
    if (shown > kLargestShown) shown = kLargestShown;
    if (shown < kSmallestShown) shown = kSmallestShown;
    std::snprintf(out, 9, "%d", static_cast<int>(shown));
}

}  // namespace orbitone
