// The demo's own input: a few seconds of music made on the spot, so the demo needs no
// file.
#pragma once

#include <vector>

namespace zylhost {

struct StereoSignal {
    int sampleRate = 0;
    std::vector<float> left, right;
};

// About eight seconds at 44100 Hz: four bars of a chord progression (A minor, F, C, G)
// with a plucked melody above it and a bass below, spread across the stereo field,
// peaking near -6 dBFS. Rich enough in level changes and harmonics to hear the
// envelope-driven modulation and the ring tones.
StereoSignal makeDemoInput();

}  // namespace zylhost
