#include "clap/ClapParameters.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "common/StringCopy.h"

namespace tamrik::clap {

namespace {

// The choice a stepped value names: CLAP takes the integer part.
int32_t choiceOf(double value, int32_t steps) {
    const double k = std::trunc(value);
    return k <= 0.0 ? 0 : k >= double(steps) ? steps : int32_t(k);
}

}  // namespace

bool ClapParameters::info(uint32_t index, clap_param_info_t& out) const {
    if (!has(index)) return false;
    const int32_t n = steps(index);
    out = {};
    out.id = index;
    out.flags = uint32_t(CLAP_PARAM_IS_AUTOMATABLE) | (n > 0 ? uint32_t(CLAP_PARAM_IS_STEPPED) : 0u);
    out.cookie = nullptr;
    instrument_.parameterName(int32_t(index), out.name, sizeof out.name);
    const int32_t group = instrument_.parameterGroup(int32_t(index));
    if (group >= 0) instrument_.groupName(group, out.module, sizeof out.module);
    out.min_value = 0.0;
    out.max_value = n > 0 ? double(n) : 1.0;
    out.default_value = fromInstrument(index, instrument_.parameterDefault(int32_t(index)));
    return true;
}

std::optional<float> ClapParameters::toInstrument(clap_id id, double value) const {
    if (!has(id) || !std::isfinite(value)) return std::nullopt;
    const int32_t n = steps(id);
    // Beyond the range the value goes on as the host sent it, as the other
    // formats store a host's value as given; only a non-finite one is refused.
    const auto v = static_cast<float>(n > 0 ? std::trunc(value) / double(n) : value);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

double ClapParameters::fromInstrument(clap_id id, float value) const {
    if (!has(id)) return 0.0;
    const int32_t n = steps(id);
    if (n == 0) return double(value);
    // The choice the instrument hears: values between choices round to the
    // nearest, as the engine reads them.
    const double k = std::nearbyint(double(value) * double(n));
    return !(k > 0.0) ? 0.0 : k >= double(n) ? double(n) : k;
}

bool ClapParameters::toText(clap_id id, double value, char* text, size_t size) const {
    if (!has(id) || !text || size == 0 || !std::isfinite(value)) return false;
    const int32_t n = steps(id);
    if (n > 0)
        instrument_.choiceName(int32_t(id), choiceOf(value, n), text, size);
    else
        instrument_.valueDisplay(int32_t(id), static_cast<float>(value), text, size);
    return true;
}

std::optional<double> ClapParameters::fromText(clap_id id, const char* text) const {
    if (!has(id) || !text) return std::nullopt;
    const int32_t n = steps(id);
    for (int32_t k = 0; k <= n && n > 0; ++k) {
        char name[64];
        instrument_.choiceName(int32_t(id), k, name, sizeof name);
        if (name[0] != '\0' && std::strcmp(name, text) == 0) return double(k);
    }
    const std::string_view s(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace tamrik::clap
