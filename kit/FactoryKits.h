// The Kit's factory kits, its programs: "Init" (every pad at DrumTamrik's
// defaults on the General MIDI drum keys) and kits made of the factory
// sounds at pitches that suit them. Plain data.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "kit/KitMap.h"
#include "kit/KitSnapshot.h"

namespace tamrik::kit {

struct FactoryKitPad {
    std::string_view name;
    std::string_view sound;  // a factory preset's name; "" for the defaults
    int32_t key;
    int32_t pitch;
    float level = 0.5f;  // the defaults: unity gain, centre
    float pan = 0.5f;
    int32_t choke = 0;
    std::optional<float> release = std::nullopt;  // R, where the preset's is not what the pad needs
};

struct FactoryKit {
    std::string_view name;
    std::array<FactoryKitPad, kPads> pads;
};

constexpr int32_t kFactoryKitCount = 5;
extern const std::array<FactoryKit, kFactoryKitCount> kFactoryKits;

// Factory kit k (0 to kFactoryKitCount - 1) as the values a kit loads.
KitSnapshot factoryKitSnapshot(int32_t k);

// Where the pads sit by default: kick, snare, hats (closed, open, pedal:
// one choke group, so each cuts the others), clap, rim, crash, ride, six
// toms low to high, cowbell, on the General MIDI drum keys.
inline constexpr std::array<int32_t, kPads> kDefaultKeys = {36, 38, 42, 46, 39, 37, 44, 49,
                                                            51, 41, 43, 45, 47, 48, 50, 56};
inline constexpr std::array<std::string_view, kPads> kDefaultPadNames = {
    "Kick", "Snare", "Closed Hat", "Open Hat", "Clap",  "Rim",   "Pedal Hat", "Crash",
    "Ride", "Tom 1", "Tom 2",      "Tom 3",    "Tom 4", "Tom 5", "Tom 6",     "Cowbell"};
inline constexpr std::array<int32_t, kPads> kDefaultChokeGroups = {0, 0, 1, 1, 0, 0, 1, 0,
                                                                   0, 0, 0, 0, 0, 0, 0, 0};
inline constexpr int32_t kDefaultPitch = 60;

}  // namespace tamrik::kit
