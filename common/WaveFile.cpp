#include "common/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/ReplacedFile.h"
#include "common/RoundEven.h"

namespace tamrik {

namespace {

void put16(uint8_t* at, uint32_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void put32(uint8_t* at, uint32_t v) {
    put16(at, v);
    put16(at + 2, v >> 16);
}

}  // namespace

int32_t WaveFile::pcm24(float x) {
    if (std::isnan(x)) return 0;
    // Held before rounding: a product beyond the int32 range has no integer.
    const double scaled = std::min(std::max(static_cast<double>(x) * 8388608.0, -8388608.0), 8388607.0);
    return roundEven(scaled);
}

bool WaveFile::header(uint8_t (&bytes)[kHeaderBytes], int32_t channels, uint64_t frames, float rate) {
    const uint64_t data = frames * uint64_t(channels) * 3;
    const uint64_t riff = 36 + data + (data & 1);
    if (channels < 1 || channels > 2 || frames > UINT32_MAX || riff > UINT32_MAX) return false;
    if (!(rate >= 1.0f && rate <= 7.0e8f)) return false;  // bytes per second fit 32 bits
    const auto hertz = static_cast<uint32_t>(std::nearbyint(static_cast<double>(rate)));
    std::memcpy(bytes, "RIFF", 4);
    put32(bytes + 4, uint32_t(riff));
    std::memcpy(bytes + 8, "WAVEfmt ", 8);
    put32(bytes + 16, 16);
    put16(bytes + 20, 1);  // integer PCM
    put16(bytes + 22, uint32_t(channels));
    put32(bytes + 24, hertz);
    put32(bytes + 28, hertz * uint32_t(channels) * 3);  // bytes per second
    put16(bytes + 32, uint32_t(channels) * 3);           // bytes per frame
    put16(bytes + 34, 24);
    std::memcpy(bytes + 36, "data", 4);
    put32(bytes + 40, uint32_t(data));
    return true;
}

bool WaveFile::writeSamples(std::FILE* file, const float* const* channels, int32_t count, size_t frames) {
    constexpr size_t kChunk = 4096;
    uint8_t bytes[kChunk * 2 * 3];
    for (size_t from = 0; from < frames; from += kChunk) {
        const size_t n = std::min(kChunk, frames - from);
        uint8_t* at = bytes;
        for (size_t i = from; i < from + n; ++i)
            for (int32_t c = 0; c < count; ++c) {
                const auto v = static_cast<uint32_t>(pcm24(channels[c][i]));
                *at++ = uint8_t(v);
                *at++ = uint8_t(v >> 8);
                *at++ = uint8_t(v >> 16);
            }
        if (std::fwrite(bytes, 1, size_t(at - bytes), file) != size_t(at - bytes)) return false;
    }
    const bool odd = (frames * size_t(count) * 3) & 1;
    return !odd || std::fputc(0, file) != EOF;
}

bool WaveFile::oneChannel(const std::vector<float>& left, const std::vector<float>& right) {
    return left.size() == right.size() &&
           (left.empty() || std::memcmp(left.data(), right.data(), left.size() * sizeof(float)) == 0);
}

bool WaveFile::writeOneShot(const std::string& path, const std::vector<float>& left,
                            const std::vector<float>& right, float rate, std::string& error) {
    size_t frames = std::min(left.size(), right.size());
    while (frames > 0 && left[frames - 1] == 0.0f && right[frames - 1] == 0.0f) --frames;
    const float* channels[2] = {left.data(), right.data()};
    const int32_t count = oneChannel(left, right) ? 1 : 2;
    uint8_t head[kHeaderBytes];
    if (!header(head, count, frames, rate)) {
        error = "too long for a WAV file, or no usable sample rate";
        return false;
    }
    ReplacedFile file(path);
    if (file.ok() && std::fwrite(head, 1, sizeof head, file.stream()) == sizeof head &&
        writeSamples(file.stream(), channels, count, frames) && file.commit())
        return true;
    error = file.error().empty() ? "cannot write the file" : file.error();
    return false;
}

}  // namespace tamrik
