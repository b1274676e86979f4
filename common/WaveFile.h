// WAV files of 24-bit PCM, written by our own code so that every platform
// (the tools on Linux, the editor on Windows) writes the same bytes, and
// the one rule by which a sample becomes a 24-bit integer. A file appears
// only when complete: it is written to a temporary file beside the target
// and renamed over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tamrik {

class WaveFile {
public:
    static constexpr size_t kHeaderBytes = 44;

    // x * 8388608 held to [-8388608, 8388607] and rounded to the nearest
    // integer, halves to even. NaN gives 0.
    static int32_t pcm24(float x);

    // The header of a file of `channels` channels of 24-bit samples and
    // `frames` frames at `rate` Hz (rounded to a whole number); false where
    // the RIFF sizes cannot hold it.
    static bool header(uint8_t (&bytes)[kHeaderBytes], int32_t channels, uint64_t frames, float rate);
    // The samples of `frames` frames, interleaved, as 24-bit little-endian
    // integers (and the pad byte RIFF wants after odd-sized data); false
    // where writing failed.
    static bool writeSamples(std::FILE* file, const float* const* channels, int32_t count, size_t frames);

    // A one-shot: one channel when left and right are equal bit for bit,
    // else two, ending with the last frame that is not silent (0 in both
    // channels), so a hit rendered until its voice rests and a render that
    // runs on until silence end on the same frame. The path is UTF-8. False,
    // with the reason in `error`, where the file cannot be written; then
    // nothing is left behind.
    static bool writeOneShot(const std::string& path, const std::vector<float>& left,
                             const std::vector<float>& right, float rate, std::string& error);
    // Whether a one-shot of these channels is written as one.
    static bool oneChannel(const std::vector<float>& left, const std::vector<float>& right);
};

}  // namespace tamrik
