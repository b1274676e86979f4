#include "vst3/StateStream.h"

#include <algorithm>

namespace tamrik::vst3 {

bool writeAll(v3_bstream** stream, const uint8_t* data, size_t size) {
    if (!stream || !*stream) return false;
    size_t done = 0;
    while (done < size) {
        const int32_t want = int32_t(std::min<size_t>(size - done, 1u << 20));
        int32_t n = 0;
        if (v3_cpp_obj(stream)->write(stream, const_cast<uint8_t*>(data + done), want, &n) != V3_OK) return false;
        if (n <= 0 || n > want) return false;
        done += size_t(n);
    }
    return true;
}

std::optional<std::vector<uint8_t>> readAll(v3_bstream** stream, size_t limit) {
    if (!stream || !*stream) return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    for (;;) {
        int32_t n = 0;
        const v3_result result = v3_cpp_obj(stream)->read(stream, chunk, int32_t(sizeof chunk), &n);
        // Hosts differ at the end: some answer 0 bytes, some an error with 0.
        if (n == 0) return result == V3_OK || !bytes.empty() ? std::optional(bytes) : std::nullopt;
        if (result != V3_OK || n < 0 || size_t(n) > sizeof chunk || bytes.size() + size_t(n) > limit)
            return std::nullopt;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

}  // namespace tamrik::vst3
