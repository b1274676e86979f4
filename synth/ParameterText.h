// A parameter value as the user reads it: fixed point with two decimals and
// a full stop whatever the locale ("0.50"), cut to fit size bytes and always
// terminated, so hosts that parse it and saved sessions read the same text
// everywhere.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tamrik {

void formatParameterValue(float value, char* text, size_t size);

// The reading side, for texts a user types: blanks around the text and its
// unit are ignored, letters compare in any case, numbers take the full stop
// whatever the locale. Nothing is read that does not fill the whole text.
std::string_view trimmedText(std::string_view text);
bool sameTextIgnoringCase(std::string_view a, std::string_view b);
// A finite number, optionally followed by `unit` ("0.5", "0.50 /1", "-3dB").
std::optional<double> parseNumber(std::string_view text, std::string_view unit = {});

}  // namespace tamrik
