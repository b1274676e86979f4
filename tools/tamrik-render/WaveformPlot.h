// Draws a rendered buffer as a PNG through libpng: one lane per channel with
// the peak envelope of every pixel column (its lowest and highest sample), a
// zero line, and a time axis in seconds along the bottom.
#pragma once

#include <string>

#include "StereoBuffer.h"

namespace tamrik::render {

class WaveformPlot {
public:
    // Throws ToolError naming `shownPath`.
    static void write(const std::string& path, const std::string& shownPath,
                      const StereoBuffer& audio);
};

}  // namespace tamrik::render
