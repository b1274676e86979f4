// The kit a render through DrumTamrik Kit plays, a factory kit by name or a
// kit file, as the values the tool sets on the Kit's library, and which of
// its output pairs a pad plays through (the stems worth writing).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "kit/KitSnapshot.h"

namespace tamrik::render {

using NamedValues = std::vector<std::pair<std::string, float>>;

class KitSource {
public:
    // Throws ToolError for a kit file that cannot be read or is refused
    // (its path, line and reason).
    static NamedValues values(const Options& options);
    // The kit itself; a kit file's missing values are those of `defaults`.
    static kit::KitSnapshot snapshot(const Options& options, const kit::KitSnapshot& defaults);
    // Bit k: pair k (0 Main, 1-8 Aux) has an unmuted pad on it, once `values`
    // are set in order (the last value for a name counts).
    static uint32_t pairsInUse(const NamedValues& values);
    // DrumTamrik Kit's library: beside DrumTamrik's.
    static std::string libraryPath(const std::string& pluginPath);
};

}  // namespace tamrik::render
