// The instrument's session as a host saves it, the one policy every format
// follows. A format whose host keeps the parameter values itself (VST 2's
// programs, LV2's control ports) saves the instrument's state bytes only
// for an instrument that keeps its session as state (the Kit: its pad names
// live nowhere else); a format with nothing but a state stream (CLAP,
// VST 3) always saves them. Saving never throws into a host: with memory
// gone there are no bytes, and the host is told it failed. Loading refuses
// what is no state of ours (damaged, truncated, foreign, empty, or larger
// than any of ours) and then changes nothing.
//
// The UI (main) thread, as Instrument::saveState and loadState.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "synth/Instrument.h"

namespace tamrik::binding {

// No state of ours comes near this; a stream that goes on past it is not ours.
inline constexpr size_t kStateLimit = size_t(1) << 20;

enum class HostKeepsValues : bool { No, Yes };

bool savesStateBytes(const Instrument& instrument, HostKeepsValues host);
std::optional<std::vector<uint8_t>> saveState(const Instrument& instrument);
bool loadState(Instrument& instrument, const uint8_t* data, size_t size);

}  // namespace tamrik::binding
