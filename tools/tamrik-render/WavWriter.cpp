// The channels are interleaved in chunks so that a long render needs no
// second full-size copy. 16-bit and float files go through libsndfile.
#include "WavWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ToolError.h"
#include "common/WaveFile.h"

namespace tamrik::render {

namespace {

int subtypeOf(SampleFormat format) {
    switch (format) {
        case SampleFormat::Pcm16: return SF_FORMAT_PCM_16;
        case SampleFormat::Pcm24:  // our own writer's
        case SampleFormat::Float32: return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_FLOAT;
}

// 24-bit files by the system's own rule (common/WaveFile.h), the one the
// one-shots of a kit export use.
void writePcm24(const std::string& path, const std::string& shownPath, const StereoBuffer& audio, int channels) {
    uint8_t header[WaveFile::kHeaderBytes];
    if (!WaveFile::header(header, channels, audio.frames(), static_cast<float>(audio.sampleRate)))
        throw ToolError(shownPath + ": cannot write the WAV file (too long for the format)");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw ToolError(shownPath + ": cannot write the WAV file (" + std::strerror(errno) + ")");
    const float* samples[2] = {audio.left.data(), audio.right.data()};
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
              WaveFile::writeSamples(file, samples, channels, audio.frames());
    ok = std::fclose(file) == 0 && ok;
    if (!ok) throw ToolError(shownPath + ": cannot write the WAV file (" + std::strerror(errno) + ")");
}

}  // namespace

void WavWriter::write(const std::string& path, const std::string& shownPath,
                      const StereoBuffer& audio, SampleFormat format) {
    write(path, shownPath, audio, format, 2);
}

// The render already ends with its last sound, as a one-shot does.
void WavWriter::writeOneShot(const std::string& path, const std::string& shownPath, const StereoBuffer& audio,
                             SampleFormat format) {
    write(path, shownPath, audio, format, WaveFile::oneChannel(audio.left, audio.right) ? 1 : 2);
}

void WavWriter::write(const std::string& path, const std::string& shownPath, const StereoBuffer& audio,
                      SampleFormat format, int channels) {
    if (format == SampleFormat::Pcm24) return writePcm24(path, shownPath, audio, channels);
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.channels = channels;
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
            interleaved[static_cast<size_t>(channels) * i] = audio.left[start + i];
            if (channels == 2) interleaved[2 * i + 1] = audio.right[start + i];
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
