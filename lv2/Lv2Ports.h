// What the bundle's Turtle, its two libraries and the test hosts must agree
// on: the URIs, the port order and the port symbols.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>

#include "binding/Products.h"
#include "kit/KitMap.h"
#include "kit/PadSettings.h"
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
    const kit::SettingInfo* setting = kit::settingOf(index);
    if (index >= kit::kChannelIndex) return setting->symbol;
    return "p" + std::to_string(kit::padOf(index) + 1) + "_" +
           (setting ? std::string(setting->symbol) : portSymbol(kit::slotOf(index)));
}

}  // namespace tamrik::lv2
