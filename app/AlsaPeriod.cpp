#include "app/AlsaPeriod.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tamrik::app {

namespace {

// Rounded, and clipped first: a float beyond full scale must not wrap round.
template <typename Sample>
Sample scaled(float value, float fullScale) {
    const float clipped = std::clamp(value, -1.0f, 1.0f);
    return Sample(std::lrint(double(clipped) * double(fullScale)));
}

}  // namespace

AlsaPeriod::AlsaPeriod(Instrument& instrument, MidiRing* sequencer, uint32_t frames, uint32_t deviceChannels,
                       Format format)
    : cycle_(instrument, sequencer), frames_(frames), deviceChannels_(deviceChannels), format_(format) {
    const size_t count = size_t(std::min(instrument.outputCount(), binding::BlockRunner::kMaxChannels));
    // Main at least, even for an instrument without outputs.
    memory_.assign(std::max<size_t>(count, 2) * frames, 0.0f);
    for (size_t c = 0; c < std::max<size_t>(count, 2); ++c) channels_[c] = memory_.data() + c * frames;
}

void AlsaPeriod::render(void* interleaved) {
    cycle_.run(channels_.data(), frames_);
    write(channels_.data(), frames_, deviceChannels_, format_, interleaved);
}

void AlsaPeriod::write(const float* const* main, uint32_t frames, uint32_t deviceChannels, Format format,
                       void* interleaved) {
    const uint32_t mainChannels = std::min<uint32_t>(deviceChannels, 2);
    std::memset(interleaved, 0, size_t(frames) * deviceChannels * sampleBytes(format));
    for (uint32_t c = 0; c < mainChannels; ++c) {
        const float* in = main[c];
        if (!in) continue;
        switch (format) {
        case Format::Float32: {
            auto* out = static_cast<float*>(interleaved) + c;
            for (uint32_t i = 0; i < frames; ++i) out[size_t(i) * deviceChannels] = in[i];
            break;
        }
        case Format::Signed32: {
            // 2^31 - 128: the largest float below 2^31, so +1.0 stays in range.
            auto* out = static_cast<int32_t*>(interleaved) + c;
            for (uint32_t i = 0; i < frames; ++i) out[size_t(i) * deviceChannels] = scaled<int32_t>(in[i], 2147483520.0f);
            break;
        }
        case Format::Signed16: {
            auto* out = static_cast<int16_t*>(interleaved) + c;
            for (uint32_t i = 0; i < frames; ++i) out[size_t(i) * deviceChannels] = scaled<int16_t>(in[i], 32767.0f);
            break;
        }
        }
    }
}

}  // namespace tamrik::app
