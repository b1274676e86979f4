// Which parameters have a gesture open (a drag, a held wheel, a click under
// way): each gesture is begun once and ended once, whatever order a panel's
// calls come in, and none is left open when the panel goes. Hosts record a
// gesture as one touch of the parameter, and a touch that never ends keeps
// their automation in its write state.
//
// UI thread, as the panel that makes the gestures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamrik::binding {

class GestureBook {
public:
    explicit GestureBook(size_t parameters) : open_(parameters, false) {}

    // True when this opens a gesture (a known id, not open yet).
    bool begin(uint32_t id);
    // True when this closes one.
    bool end(uint32_t id);
    bool isOpen(uint32_t id) const { return id < open_.size() && open_[id]; }
    uint32_t openCount() const { return count_; }
    // Closes every open gesture, calling endOne(id) for each.
    template <typename EndOne>
    void endAll(EndOne&& endOne) {
        for (uint32_t id = 0; count_ > 0 && id < open_.size(); ++id)
            if (end(id)) endOne(id);
    }

private:
    std::vector<bool> open_;
    uint32_t count_ = 0;
};

}  // namespace tamrik::binding
