// Built on std::from_chars: no locale, no leading spaces or plus signs, and
// trailing text is an error rather than silently dropped.
#include "NumberParsing.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "ToolError.h"

namespace tamrik::render {

namespace {

template <typename T>
bool parseAll(std::string_view word, T& value) {
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

std::string quoted(std::string_view word) { return "'" + std::string(word) + "'"; }

}  // namespace

long parseWhole(std::string_view word, std::string_view what, long min, long max) {
    long value = 0;
    if (!parseAll(word, value) || value < min || value > max)
        throw ToolError(std::string(what) + ": " + quoted(word) + " is not a whole number from " +
                        std::to_string(min) + " to " + std::to_string(max));
    return value;
}

double parseReal(std::string_view word, std::string_view what, double min, double max) {
    double value = 0.0;
    if (!parseAll(word, value) || !std::isfinite(value) || value < min || value > max) {
        char range[64];
        std::snprintf(range, sizeof range, "%g to %g", min, max);
        throw ToolError(std::string(what) + ": " + quoted(word) + " is not a number from " +
                        range);
    }
    return value;
}

}  // namespace tamrik::render
