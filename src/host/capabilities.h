// The capability vocabulary of the Zyl interface: the strings a host may ask an effect
// about (plugOpCapability), and those an effect may ask a host about (hostOpCapability).
#pragma once

#include <array>
#include <string_view>

namespace orbitone {

inline constexpr std::array<std::string_view, 26> kEffectCapabilities = {
    "sendZylEvents",    "sendZylMidiEvent",      "sendZylTimeInfo",     "receiveZylEvents",
    "receiveZylMidiEvent", "receiveZylTimeInfo", "offline",             "plugAsChannelInsert",
    "plugAsSend",       "mixDryWet",             "noRealTime",          "multipass",
    "metapass",         "1in1out",               "1in2out",             "2in1out",
    "2in2out",          "2in4out",               "4in2out",             "4in4out",
    "4in8out",          "8in4out",               "8in8out",             "midiProgramNames",
    "conformsToWindowRules", "bypass",
};

inline constexpr std::array<std::string_view, 18> kHostCapabilities = {
    "sendZylEvents",      "sendZylMidiEvent", "sendZylTimeInfo",  "receiveZylEvents",
    "receiveZylMidiEvent", "receiveZylTimeInfo", "reportConnectionChanges", "acceptIOChanges",
    "sizeWindow",         "asyncProcessing",  "offline",          "supplyIdle",
    "supportShell",       "openFileSelector", "editFile",         "closeFileSelector",
    "startStopProcess",   "shellCategory",
};

}  // namespace orbitone
