// A strict reader of the 24-bit PCM WAV files our writer makes: every header
// field checked, the samples as integers, nothing past the data but RIFF's
// pad byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tamrik::test {

struct PcmWave {
    std::string problem;  // empty when the file is well formed
    int32_t channels = 0;
    uint32_t sampleRate = 0;
    std::vector<std::vector<int32_t>> samples;  // per channel
};

inline PcmWave readPcmWave(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    PcmWave wave;
    const auto u16 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; };
    const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    const auto is = [&](size_t at, const char* tag) { return std::memcmp(b.data() + at, tag, 4) == 0; };
    if (b.size() < 44 || !is(0, "RIFF") || !is(8, "WAVE") || !is(12, "fmt ") || !is(36, "data"))
        return wave.problem = "not a plain WAV header", wave;
    wave.channels = int32_t(u16(22));
    wave.sampleRate = u32(24);
    const uint32_t data = u32(40);
    const uint32_t frameBytes = 3 * uint32_t(wave.channels);
    if (u32(16) != 16 || u16(20) != 1 || u16(34) != 24 || wave.channels < 1 || u16(32) != frameBytes ||
        u32(28) != wave.sampleRate * frameBytes)
        return wave.problem = "not 24-bit integer PCM", wave;
    if (data % frameBytes != 0 || b.size() != 44 + data + (data & 1) || u32(4) != b.size() - 8)
        return wave.problem = "sizes disagree", wave;
    wave.samples.assign(size_t(wave.channels), {});
    for (size_t at = 44; at < 44 + data; at += 3) {
        const auto v = int32_t((u16(at) | uint32_t(b[at + 2]) << 16) << 8) >> 8;
        wave.samples[((at - 44) / 3) % size_t(wave.channels)].push_back(v);
    }
    return wave;
}

}  // namespace tamrik::test
