#include "synth/ParameterText.h"

#include <charconv>

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

}  // namespace tamrik
