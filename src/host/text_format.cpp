// The text formatting operations of EffectBase. Every text fits an 8-character display
// field: at most 8 characters and the terminating zero are written.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "effect_base.h"

namespace orbitone {
namespace {

constexpr std::size_t kFieldWidth = 8;

void copyField(const char* text, char* out) {
    std::size_t length = std::strlen(text);
    if (length > kFieldWidth) length = kFieldWidth;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

}  // namespace

void EffectBase::formatInteger(std::int32_t value, char* out) {
    if (value >= 100000000) {
        copyField("Huge!", out);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%7d", static_cast<int>(value));
    copyField(text, out);
}

void EffectBase::formatFloat(float value, char* out) {
    // Out of range, and NaN, which has no digits to show: the buffer is left as it is.
    // (Compared as doubles: 99999999 itself has no float, its nearest float is 1e8.)
    const double exact = value;
    if (!(exact <= 99999999.0 && exact >= -9999999.0)) return;

    // The float's exact decimal expansion (a float has at most 149 fractional digits),
    // so that the fractional digits below are truncated, never rounded.
    char digits[200];
    std::snprintf(digits, sizeof digits, "%.150f", std::fabs(exact));
    const char* point = std::strchr(digits, '.');

    char text[kFieldWidth + 1];
    std::size_t length = 0;
    if (value < 0.0f) text[length++] = '-';
    for (const char* digit = digits; digit != point && length < kFieldWidth; ++digit)
        text[length++] = *digit;
    // The point only where it still fits; an eight-digit integer part shows no point.
    if (length < kFieldWidth) {
        text[length++] = '.';
        for (const char* digit = point + 1; length < kFieldWidth; ++digit) text[length++] = *digit;
    }
    text[length] = '\0';
    copyField(text, out);
}

void EffectBase::formatDecibels(float value, char* out) {
    if (value <= 0.0f) {
        copyField("-oo", out);
        return;
    }
    formatFloat(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), out);
}

void EffectBase::formatHertz(float samples, char* out) {
    if (samples == 0.0f) {
        formatFloat(0.0f, out);
        return;
    }
    formatFloat(sampleRate() / samples, out);
}

void EffectBase::formatMilliseconds(float samples, char* out) {
    formatFloat(static_cast<float>(static_cast<double>(samples) * 1000.0 / sampleRate()), out);
}

}  // namespace orbitone
