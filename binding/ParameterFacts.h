// An instrument's parameters as a host's generic controls see them, the
// same for every format that has such controls (CLAP now, VST 3 next).
// Ids are the instrument's parameter indices. A continuous parameter's
// host value is the instrument's own, 0 to 1. A parameter that selects one
// of n + 1 choices (a list, a switch) is stepped, its host value the choice
// number 0 to n, which a host draws as a list or a toggle with the choices'
// names; the instrument gets k / n, what its own panel sends for that
// choice. Steps and choice names come from the instrument, never from how
// a panel draws the parameter.
//
// Texts: a continuous value reads as the instrument's display ("0.50",
// "-5.2dB", "L26"), a stepped one as its choice's name; every such text,
// and what a user types in its units, reads back (Instrument::valueFromText),
// and a stepped parameter also takes its choice number.
//
// Pure functions of the instrument's constants and the value passed in:
// any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "synth/Instrument.h"

namespace tamrik::binding {

class ParameterFacts {
public:
    explicit ParameterFacts(const Instrument& instrument) : instrument_(instrument) {}

    uint32_t count() const { return uint32_t(instrument_.parameterCount()); }
    bool has(uint32_t id) const { return id < count(); }
    // 0 for a continuous parameter, else the highest choice number.
    int32_t steps(uint32_t id) const { return has(id) ? instrument_.parameterSteps(int32_t(id)) : 0; }
    double maximum(uint32_t id) const { return steps(id) > 0 ? double(steps(id)) : 1.0; }
    double defaultValue(uint32_t id) const;

    // The instrument's value for a host value; nothing for an unknown id or
    // a value that is not finite (as a float). Beyond the range a value goes
    // on as the host sent it, as every format stores a host's value as given.
    std::optional<float> toInstrument(uint32_t id, double value) const;
    // The host value for the instrument's value: between choices, the
    // nearest, as the engine reads them.
    double fromInstrument(uint32_t id, float value) const;

    bool toText(uint32_t id, double value, char* text, size_t size) const;
    std::optional<double> fromText(uint32_t id, const char* text) const;

private:
    const Instrument& instrument_;
};

}  // namespace tamrik::binding
