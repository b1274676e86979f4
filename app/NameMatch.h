// How a user names a port or a MIDI source on the command line: a part of
// its name, in any case.
#pragma once

#include <string_view>

#include "synth/ParameterText.h"

namespace tamrik::app {

inline bool containsIgnoringCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (sameTextIgnoringCase(text.substr(at, part.size()), part)) return true;
    return false;
}

}  // namespace tamrik::app
