// Whether the instrument's values changed since the last save, for a
// session manager's dirty flag: a copy of every value compared now and
// then (a few dozen floats, cheap enough to poll). Names (the kit's pads)
// change only with a loaded kit, which changes values as well.
//
// Main thread.
#pragma once

#include <cstdint>
#include <vector>

#include "synth/Instrument.h"

namespace tamrik::app {

class ValueWatch {
public:
    explicit ValueWatch(const Instrument& instrument) : instrument_(instrument) { markClean(); }

    void markClean() { clean_ = values(); }
    bool changed() const { return values() != clean_; }

private:
    std::vector<float> values() const {
        std::vector<float> out(size_t(instrument_.parameterCount()));
        for (size_t i = 0; i < out.size(); ++i) out[i] = instrument_.getParameter(int32_t(i));
        return out;
    }

    const Instrument& instrument_;
    std::vector<float> clean_;
};

}  // namespace tamrik::app
