// One period for an ALSA playback device: the instrument's period rendered
// into float channels made once, then Main (the first two channels) written
// interleaved in the device's sample format; a device with more channels
// gets silence on the rest. Apart from the device, so that the real-time
// test and the format checks can drive it without a sound card.
//
// Audio thread only, but for the constructor.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/AudioCycle.h"

namespace tamrik::app {

class AlsaPeriod {
public:
    enum class Format { Float32, Signed32, Signed16 };

    AlsaPeriod(Instrument& instrument, MidiRing* sequencer, uint32_t frames, uint32_t deviceChannels, Format format);

    uint32_t frames() const { return frames_; }
    AudioCycle& cycle() { return cycle_; }
    const AudioCycle& cycle() const { return cycle_; }
    size_t bytesPerFrame() const { return size_t(deviceChannels_) * sampleBytes(format_); }
    static size_t sampleBytes(Format format) { return format == Format::Signed16 ? 2 : 4; }

    // Renders the period into `interleaved` (frames() * bytesPerFrame() bytes).
    void render(void* interleaved);
    // Main's two channels (nullptr: silence) interleaved into `deviceChannels`
    // in `format`, the rest of the channels silent; integers clipped at full scale.
    static void write(const float* const* main, uint32_t frames, uint32_t deviceChannels, Format format,
                      void* interleaved);

private:
    AudioCycle cycle_;
    const uint32_t frames_;
    const uint32_t deviceChannels_;
    const Format format_;
    std::vector<float> memory_;
    std::array<float*, binding::BlockRunner::kMaxChannels> channels_{};
};

}  // namespace tamrik::app
