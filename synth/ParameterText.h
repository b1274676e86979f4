// A parameter value as the user reads it: fixed point with two decimals and
// a full stop whatever the locale ("0.50"), cut to fit size bytes and always
// terminated, so hosts that parse it and saved sessions read the same text
// everywhere.
#pragma once

#include <cstddef>

namespace tamrik {

void formatParameterValue(float value, char* text, size_t size);

}  // namespace tamrik
