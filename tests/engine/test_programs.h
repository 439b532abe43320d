// The nine factory programs as the engine tests use them, so the engine can be checked
// on its own.
#pragma once

#include <array>

namespace orbitone::testing {

struct TestProgram {
    const char* name;
    std::array<float, 17> values;
};

inline const std::array<TestProgram, 9> kPrograms = {{
    {"Default", {0.8f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.7f, 0.0f, 0.0f, 0.0f,
                 0.0f, 0.27f, 0.5f, 0.52f}},
    {"Hoth", {0.215706f, 0.281347f, 0.561127f, 0.34746f, 0.303222f, 0.0f, 0.346579f,
              0.28693f, 1.0f, 0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.8f, 0.75f, 0.52f}},
    {"Sore Throat", {0.8f, 0.21307f, 0.121871f, 0.397608f, 0.442736f, 0.0f, 0.395182f,
                     0.166667f, 1.0f, 0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.27f, 0.25f, 0.3f}},
    {"High Ring", {0.907345f, 0.0f, 0.0638572f, 0.985874f, 0.639143f, 0.0f, 0.0f, 0.191518f,
                   1.0f, 0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.27f, 0.5f, 0.3f}},
    {"L - R Move", {0.185073f, 0.424532f, 1.0f, 1.0f, 0.739459f, 0.0f, 0.098389f, 0.935381f,
                    1.0f, 0.466667f, 0.0f, 0.0f, 1.0f, 0.0f, 0.1f, 0.5f, 0.1f}},
    {"Stereo Ring", {0.768424f, 0.319207f, 0.0682776f, 0.67515f, 1.0f, 0.0f, 0.806944f,
                     0.138538f, 1.0f, 0.466667f, 0.0f, 0.0f, 1.0f, 0.0f, 0.3f, 0.25f, 0.8f}},
    {"Random", {1.0f, 0.833333f, 1.0f, 0.0f, 0.431722f, 0.0f, 0.0192386f, 0.0f, 1.0f, 0.7f,
                1.0f, 0.0f, 0.0f, 0.0f, 0.3f, 0.75f, 0.3f}},
    {"Flexible", {0.288538f, 1.0f, 1.0f, 0.291445f, 0.442503f, 0.592655f, 0.0f, 0.366565f,
                  1.0f, 0.675f, 0.0f, 0.0f, 0.0f, 0.0f, 0.8f, 0.75f, 0.8f}},
    {"Decrypted", {0.275399f, 0.666667f, 0.714795f, 0.0f, 0.864929f, 0.0f, 0.746721f,
                   0.23001f, 1.0f, 0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.27f, 0.75f, 0.52f}},
}};

}  // namespace orbitone::testing
