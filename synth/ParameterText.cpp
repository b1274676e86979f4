#include "synth/ParameterText.h"

#include <charconv>
#include <cmath>

#include "common/StringCopy.h"

namespace tamrik {

void formatParameterValue(float value, char* text, size_t size) {
    // to_chars never consults the locale; a value too long for the buffer
    // (12345.678, -1e30) keeps its leading characters.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::fixed, 2);
    *(result.ec == std::errc() ? result.ptr : buffer) = '\0';
    copyString(text, buffer, size);
}

std::string_view trimmedText(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool sameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::optional<double> parseNumber(std::string_view text, std::string_view unit) {
    text = trimmedText(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    const std::string_view rest = trimmedText(text.substr(size_t(result.ptr - text.data())));
    if (!rest.empty() && !(unit.size() && sameTextIgnoringCase(rest, trimmedText(unit)))) return std::nullopt;
    return value;
}

}  // namespace tamrik
