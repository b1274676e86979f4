// Level measurement. RMS sums in double so that long renders lose nothing.
#include "StereoBuffer.h"

#include <algorithm>
#include <cmath>

namespace tamrik::render {

float StereoBuffer::peak() const {
    float result = 0.0f;
    for (const std::vector<float>* channel : {&left, &right})
        for (const float sample : *channel) result = std::max(result, std::fabs(sample));
    return result;
}

double StereoBuffer::rms() const {
    if (frames() == 0) return 0.0;
    double sum = 0.0;
    for (const std::vector<float>* channel : {&left, &right})
        for (const float sample : *channel) sum += static_cast<double>(sample) * sample;
    return std::sqrt(sum / (2.0 * static_cast<double>(frames())));
}

double toDecibels(double level) { return 20.0 * std::log10(level); }

}  // namespace tamrik::render
