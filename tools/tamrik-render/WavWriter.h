// Writes a rendered buffer as a stereo WAV file, or a one-shot as the
// panel's and the kit's exports write them (one channel where both are
// one): 24-bit integers by our own writer (common/WaveFile.h), 16-bit
// integers or 32-bit floats through libsndfile. Integer formats clip at
// full scale rather than wrap around.
#pragma once

#include <string>

#include "CommandLine.h"
#include "StereoBuffer.h"

namespace tamrik::render {

class WavWriter {
public:
    // Throws ToolError naming `shownPath`, the name the user knows the file by.
    static void write(const std::string& path, const std::string& shownPath,
                      const StereoBuffer& audio, SampleFormat format);
    static void writeOneShot(const std::string& path, const std::string& shownPath,
                             const StereoBuffer& audio, SampleFormat format);

private:
    static void write(const std::string& path, const std::string& shownPath, const StereoBuffer& audio,
                      SampleFormat format, int channels);
};

}  // namespace tamrik::render
