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
#include "kit/PadSettings.h"

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
// The number of the factory kit of that name, in any case; none for a name
// no factory kit has.
std::optional<int32_t> factoryKitNamed(std::string_view name);

// The default pads' names, by where they sit (kDefaultKeys).
inline constexpr std::array<std::string_view, kPads> kDefaultPadNames = {
    "Kick", "Snare", "Closed Hat", "Open Hat", "Clap",  "Rim",   "Pedal Hat", "Crash",
    "Ride", "Tom 1", "Tom 2",      "Tom 3",    "Tom 4", "Tom 5", "Tom 6",     "Cowbell"};

}  // namespace tamrik::kit
