// How an instrument's parameters look to a CLAP host. Ids are the
// instrument's parameter indices. A continuous parameter is its value as
// the instrument stores it, 0 to 1. A parameter that selects one of n + 1
// choices (a list, a switch) is stepped, and its CLAP value is the choice
// number 0 to n: a host draws it as a list or a toggle with the choices'
// names. The instrument gets k / n, the value its own editor sends for that
// choice. (Stepped values in CLAP are whole numbers, so a stepped 0-1 range
// could only hold the first and the last choice.)
//
// Pure functions of the instrument's constants and the value passed in:
// any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "clap/ClapApi.h"
#include "synth/Instrument.h"

namespace tamrik::clap {

class ClapParameters {
public:
    explicit ClapParameters(const Instrument& instrument) : instrument_(instrument) {}

    uint32_t count() const { return uint32_t(instrument_.parameterCount()); }
    bool has(clap_id id) const { return id < count(); }
    bool info(uint32_t index, clap_param_info_t& info) const;

    // The instrument's value for a CLAP value; nothing for an unknown id or
    // a value that is not finite (as a float).
    std::optional<float> toInstrument(clap_id id, double value) const;
    // The CLAP value the host shows for the instrument's value.
    double fromInstrument(clap_id id, float value) const;

    // The instrument's display for a continuous value ("0.50", "-6.0 dB"),
    // the choice's name for a stepped one.
    bool toText(clap_id id, double value, char* text, size_t size) const;
    // A number, or for a stepped parameter also a choice's name.
    std::optional<double> fromText(clap_id id, const char* text) const;

private:
    int32_t steps(clap_id id) const { return instrument_.parameterSteps(int32_t(id)); }

    const Instrument& instrument_;
};

}  // namespace tamrik::clap
