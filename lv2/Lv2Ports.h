// What the bundle's Turtle, its two libraries and the test hosts must agree
// on: the URIs, the port order and the port symbols.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>

#include "synth/ParameterTable.h"

namespace tamrik::lv2 {

inline constexpr char kPluginUri[] = "urn:quenmar:drum-tamrik";
inline constexpr char kUiUri[] = "urn:quenmar:drum-tamrik#ui";

// Port index = parameter index for the 22 controls, then MIDI and audio.
enum Port : uint32_t {
    kMidiPort = kNumParameters,
    kLeftPort,
    kRightPort,
    kPortCount
};

// The parameter's name in lower case: "CutOff" is "cutoff".
inline std::string portSymbol(int32_t parameter) {
    std::string symbol = kParameterTable[parameter].name;
    for (char& c : symbol) c = char(std::tolower(static_cast<unsigned char>(c)));
    return symbol;
}

}  // namespace tamrik::lv2
