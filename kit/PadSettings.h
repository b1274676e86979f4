// The Kit's own settings as data, one row each: a pad's eight (Key, Pitch,
// Level, Pan, Output, Choke, Velocity, Mute) and the two kit-wide ones
// (Channel, Volume). The instrument's names, steps, defaults and texts, the
// panel's controls, the kit files and the LV2 ports all read these rows
// instead of listing the settings again. What the values mean (a note, a
// gain) is kit/KitMap.h's.
//
// Every row's text reads back: parse(display(v)) displays as display(v) at
// any number of decimals, so a host's value -> text -> value round trip and
// a kit file keep what the text shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kit/KitMap.h"

namespace tamrik::kit {

// Where the pads sit by default: kick, snare, hats (closed, open, pedal:
// one choke group, so each cuts the others), clap, rim, crash, ride, six
// toms low to high, cowbell, on the General MIDI drum keys.
inline constexpr std::array<int32_t, kPads> kDefaultKeys = {36, 38, 42, 46, 39, 37, 44, 49,
                                                            51, 41, 43, 45, 47, 48, 50, 56};
inline constexpr std::array<int32_t, kPads> kDefaultChokeGroups = {0, 0, 1, 1, 0, 0, 1, 0,
                                                                   0, 0, 0, 0, 0, 0, 0, 0};
inline constexpr int32_t kDefaultPitch = 60;

// A value (0 to 1) as text at `decimals` decimals where the text has any.
using SettingWriter = void (*)(float value, int32_t decimals, char* text, size_t size);

struct SettingInfo {
    const char* name;       // "Velocity": after "Pad N " for a host
    const char* shortName;  // "Vel": after "N " in a host's 8 bytes
    const char* fileKey;    // "Velocity": the kit file's key
    const char* symbol;     // "velocity": the LV2 port's, after "pN_"
    int32_t steps;          // 0: continuous; else n, the value means k / n
    float (*defaultOf)(int32_t pad);
    SettingWriter display;  // what a host shows, at `decimals`
    int32_t decimals;
    SettingWriter fileText;  // what a kit file says
    // The value a text means (display's and fileText's, and more), held to
    // 0 to 1; none where it means nothing here. `expects` says what it takes.
    std::optional<float> (*parse)(std::string_view text);
    const char* expects;
};

// Indexed by PadSetting.
extern const std::array<SettingInfo, kPadSettings> kPadSettingTable;
// Channel, then Volume.
extern const std::array<SettingInfo, 2> kKitWideTable;

// The row of a kit parameter that is a pad's setting or kit-wide; none for
// a sound's parameter or an index out of range.
const SettingInfo* settingOf(int32_t index);

// The shortest text for a kit file that reads back as `value` exactly: the
// host's decimals, or more where the value lies between them (up to 9).
std::string exactFileText(const SettingInfo& setting, float value);

}  // namespace tamrik::kit
