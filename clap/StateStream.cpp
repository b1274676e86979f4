#include "clap/StateStream.h"

namespace tamrik::clap {

bool writeAll(const clap_ostream_t* stream, const uint8_t* data, size_t size) {
    if (!stream || !stream->write) return false;
    size_t done = 0;
    while (done < size) {
        const uint64_t want = size - done;
        const int64_t n = stream->write(stream, data + done, want);
        if (n <= 0 || uint64_t(n) > want) return false;
        done += size_t(n);
    }
    return true;
}

std::optional<std::vector<uint8_t>> readAll(const clap_istream_t* stream, size_t limit) {
    if (!stream || !stream->read) return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    for (;;) {
        const int64_t n = stream->read(stream, chunk, sizeof chunk);
        if (n == 0) return bytes;
        if (n < 0 || uint64_t(n) > sizeof chunk || bytes.size() + size_t(n) > limit) return std::nullopt;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

}  // namespace tamrik::clap
