#include "binding/SessionState.h"

#include <new>

namespace tamrik::binding {

bool savesStateBytes(const Instrument& instrument, HostKeepsValues host) {
    return host == HostKeepsValues::No || instrument.identity().sessionAsState;
}

std::optional<std::vector<uint8_t>> saveState(const Instrument& instrument) {
    try {
        return instrument.saveState();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool loadState(Instrument& instrument, const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > kStateLimit) return false;
    try {
        return instrument.loadState(data, size);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace tamrik::binding
