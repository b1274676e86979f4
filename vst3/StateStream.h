// The instrument's state bytes through a host's IBStream, in loops of
// whatever the host moves per call. A read ends at the stream's end (a read
// of 0 bytes); an error, a count beyond what was asked, or more than
// `limit` bytes fails. Main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "vst3/Vst3Api.h"

namespace tamrik::vst3 {

bool writeAll(v3_bstream** stream, const uint8_t* data, size_t size);
std::optional<std::vector<uint8_t>> readAll(v3_bstream** stream, size_t limit);

}  // namespace tamrik::vst3
