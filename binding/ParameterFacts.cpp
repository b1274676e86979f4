#include "binding/ParameterFacts.h"

#include <cmath>

#include "synth/ParameterText.h"

namespace tamrik::binding {

namespace {

// The choice a stepped host value names: its whole part, within the range.
int32_t choiceOf(double value, int32_t steps) {
    const double k = std::trunc(value);
    return k <= 0.0 ? 0 : k >= double(steps) ? steps : int32_t(k);
}

}  // namespace

double ParameterFacts::defaultValue(uint32_t id) const {
    return has(id) ? fromInstrument(id, instrument_.parameterDefault(int32_t(id))) : 0.0;
}

std::optional<float> ParameterFacts::toInstrument(uint32_t id, double value) const {
    if (!has(id) || !std::isfinite(value)) return std::nullopt;
    const int32_t n = steps(id);
    const auto v = static_cast<float>(n > 0 ? std::trunc(value) / double(n) : value);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

double ParameterFacts::fromInstrument(uint32_t id, float value) const {
    if (!has(id)) return 0.0;
    const int32_t n = steps(id);
    if (n == 0) return double(value);
    const double k = std::nearbyint(double(value) * double(n));
    return !(k > 0.0) ? 0.0 : k >= double(n) ? double(n) : k;
}

bool ParameterFacts::toText(uint32_t id, double value, char* text, size_t size) const {
    if (!has(id) || !text || size == 0 || !std::isfinite(value)) return false;
    const int32_t n = steps(id);
    if (n > 0)
        instrument_.choiceName(int32_t(id), choiceOf(value, n), text, size);
    else
        instrument_.valueDisplay(int32_t(id), static_cast<float>(value), text, size);
    return true;
}

std::optional<double> ParameterFacts::fromText(uint32_t id, const char* text) const {
    if (!has(id) || !text) return std::nullopt;
    if (const int32_t n = steps(id); n > 0) {
        // A choice's number, as the host's own value reads.
        if (const auto k = parseNumber(text); k && *k == std::trunc(*k) && *k >= 0.0 && *k <= double(n))
            return *k;
    }
    float value = 0.0f;
    if (!instrument_.valueFromText(int32_t(id), text, value)) return std::nullopt;
    return fromInstrument(id, value);
}

}  // namespace tamrik::binding
