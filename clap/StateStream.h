// The host's state streams, read and written whole. A host may move any
// number of bytes per call, one included, so both directions loop until
// everything has gone or the stream says it cannot go on. What travels is
// the instrument's own state (saveState / loadState), byte for byte: one
// format for every plug-in format's sessions.
//
// Main thread, as the state extension's calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "clap/ClapApi.h"

namespace tamrik::clap {

// True once all size bytes are written; false at the first write that
// answers an error (below 0) or makes no progress (0), or answers more than
// it was given.
bool writeAll(const clap_ostream_t* stream, const uint8_t* data, size_t size);

// Every byte up to the end of the stream (a read answering 0); nothing when
// a read fails, answers more than it was given, or the stream runs past
// limit bytes (no state of ours is that long: garbage is not read forever).
std::optional<std::vector<uint8_t>> readAll(const clap_istream_t* stream, size_t limit);

}  // namespace tamrik::clap
