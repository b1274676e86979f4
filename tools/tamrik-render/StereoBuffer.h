// A rendered piece of audio, two channels at one sample rate, and the levels
// that the summary line reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamrik::render {

struct StereoBuffer {
    uint32_t sampleRate = 44100;
    std::vector<float> left, right;

    size_t frames() const { return left.size(); }
    double seconds() const { return static_cast<double>(frames()) / sampleRate; }
    // Largest magnitude of either channel; 0 for silence.
    float peak() const;
    // Over both channels together.
    double rms() const;
};

// Level in dBFS; silence gives -infinity.
double toDecibels(double level);

}  // namespace tamrik::render
