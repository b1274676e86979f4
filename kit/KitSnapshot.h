// The whole kit as plain data: every parameter value, the pad names and the
// kit's name. What a session keeps (the state), what a kit file holds, and
// what loads into an instrument at once.
#pragma once

#include <array>
#include <string>

#include "kit/KitMap.h"

namespace tamrik::kit {

struct KitSnapshot {
    std::string name;
    std::array<std::string, kPads> padNames;
    std::array<float, kKitParameters> values{};
};

}  // namespace tamrik::kit
