// What the bundle's Turtle, its two libraries and the test hosts must agree
// on: the URIs, the port order and the port symbols.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>

#include "binding/Products.h"
#include "kit/KitMap.h"
#include "synth/ParameterTable.h"

namespace tamrik::lv2 {

inline constexpr const char* kPluginUri = binding::kDrumTamrikLv2Uri;
inline constexpr const char* kUiUri = binding::kDrumTamrikLv2UiUri;
// DrumTamrik Kit: its parameters as control ports, MIDI, then 18 outputs in
// stereo groups (Main, Aux 1-8); its state as one chunk under kKitStateKey.
inline constexpr const char* kKitUri = binding::kKitLv2Uri;
inline constexpr char kKitStateKey[] = "urn:quenmar:drum-tamrik-kit#state";
inline constexpr const char* kKitUiUri = binding::kKitLv2UiUri;

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

// The Kit's port symbols: "p1_cutoff" .. "p16_mute", "channel", "volume".
inline std::string kitPortSymbol(int32_t index) {
    static constexpr const char* kSettings[kit::kPadSettings] = {"key",    "pitch", "level",    "pan",
                                                                 "output", "choke", "velocity", "mute"};
    if (index == kit::kChannelIndex) return "channel";
    if (index == kit::kVolumeIndex) return "volume";
    const int32_t slot = kit::slotOf(index);
    return "p" + std::to_string(kit::padOf(index) + 1) + "_" +
           (slot < kit::kSoundParameters ? portSymbol(slot) : kSettings[slot - kit::kSoundParameters]);
}

}  // namespace tamrik::lv2
