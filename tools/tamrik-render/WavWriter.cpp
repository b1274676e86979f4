// The channels are interleaved in chunks so that a long render needs no
// second full-size copy.
#include "WavWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <vector>

#include "ToolError.h"

namespace tamrik::render {

namespace {

int subtypeOf(SampleFormat format) {
    switch (format) {
        case SampleFormat::Pcm16: return SF_FORMAT_PCM_16;
        case SampleFormat::Pcm24: return SF_FORMAT_PCM_24;
        case SampleFormat::Float32: return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_PCM_24;
}

}  // namespace

void WavWriter::write(const std::string& path, const std::string& shownPath,
                      const StereoBuffer& audio, SampleFormat format) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | subtypeOf(format);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        throw ToolError(shownPath + ": cannot write the WAV file (" + sf_strerror(nullptr) + ")");
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    constexpr size_t kChunk = 4096;
    std::vector<float> interleaved(2 * kChunk);
    bool ok = true;
    for (size_t start = 0; ok && start < audio.frames(); start += kChunk) {
        const size_t count = std::min(kChunk, audio.frames() - start);
        for (size_t i = 0; i < count; ++i) {
            interleaved[2 * i] = audio.left[start + i];
            interleaved[2 * i + 1] = audio.right[start + i];
        }
        const auto frames = static_cast<sf_count_t>(count);
        ok = sf_writef_float(file, interleaved.data(), frames) == frames;
    }
    const std::string problem = ok ? "" : sf_strerror(file);
    if (sf_close(file) != 0 || !ok)
        throw ToolError(shownPath + ": cannot write the WAV file (" +
                        (problem.empty() ? "closing failed" : problem) + ")");
}

}  // namespace tamrik::render
