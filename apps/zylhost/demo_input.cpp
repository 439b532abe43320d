#include "demo_input.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zylhost {
namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 0.5;  // seconds per beat: 120 beats per minute
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 4;
constexpr double kTail = 0.6;  // seconds after the last bar, for the last notes to fade

double noteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// One note: a few harmonics with a quick attack and an exponential decay, added into the
// two channels with a pan position from -1 (left) to 1 (right).
void addNote(StereoSignal& s, int midiNote, double start, double length, double level,
             double pan, double brightness) {
    const double frequency = noteFrequency(midiNote);
    const int first = static_cast<int>(start * kRate);
    const int count = static_cast<int>((length + 0.4) * kRate);
    const double leftGain = level * std::sqrt(0.5 * (1.0 - pan));
    const double rightGain = level * std::sqrt(0.5 * (1.0 + pan));
    const double decay = 1.0 / (0.35 * length + 0.05);
    for (int i = 0; i < count && first + i < static_cast<int>(s.left.size()); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.008);
        const double release = t < length ? 1.0 : std::exp(-(t - length) * 12.0);
        const double envelope = attack * std::exp(-t * decay) * release;
        double v = 0.0;
        for (int h = 1; h <= 5; ++h)
            v += std::pow(brightness, h - 1) / h *
                 std::sin(2.0 * std::numbers::pi * frequency * h * t);
        s.left[first + i] += static_cast<float>(leftGain * envelope * v);
        s.right[first + i] += static_cast<float>(rightGain * envelope * v);
    }
}

}  // namespace

StereoSignal makeDemoInput() {
    StereoSignal s;
    s.sampleRate = kRate;
    const double bar = kBeat * kBeatsPerBar;
    const auto frames = static_cast<std::size_t>((kBars * bar + kTail) * kRate);
    s.left.assign(frames, 0.0f);
    s.right.assign(frames, 0.0f);

    // A minor, F major, C major, G major: bass note and chord notes (MIDI numbers)
    static constexpr int kBass[kBars] = {45, 41, 48, 43};
    static constexpr int kChords[kBars][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64},
                                              {55, 59, 62}};
    // the melody, eight eighth notes per bar (0 is a rest)
    static constexpr int kMelody[kBars][8] = {{76, 0, 72, 74, 76, 79, 76, 74},
                                              {72, 0, 69, 72, 77, 76, 74, 72},
                                              {76, 0, 79, 76, 72, 74, 76, 79},
                                              {74, 71, 67, 71, 74, 0, 79, 0}};
    for (int b = 0; b < kBars; ++b) {
        const double barStart = b * bar;
        addNote(s, kBass[b], barStart, bar * 0.9, 0.22, 0.0, 0.5);
        addNote(s, kBass[b], barStart + 2 * kBeat, bar * 0.4, 0.16, 0.0, 0.5);
        for (int n = 0; n < 3; ++n)
            for (int beat = 0; beat < kBeatsPerBar; beat += 2)
                addNote(s, kChords[b][n], barStart + beat * kBeat + 0.01 * n, kBeat * 1.6,
                        0.07, -0.6 + 0.6 * n, 0.35);
        for (int e = 0; e < 8; ++e)
            if (kMelody[b][e] != 0)
                addNote(s, kMelody[b][e], barStart + e * kBeat / 2, kBeat * 0.45, 0.16, 0.35,
                        0.6);
    }

    // peak at -6 dBFS
    float peak = 0.0f;
    for (std::size_t k = 0; k < frames; ++k)
        peak = std::max({peak, std::fabs(s.left[k]), std::fabs(s.right[k])});
    const float gain = peak > 0.0f ? 0.5f / peak : 1.0f;
    for (std::size_t k = 0; k < frames; ++k) {
        s.left[k] *= gain;
        s.right[k] *= gain;
    }
    return s;
}

}  // namespace zylhost
