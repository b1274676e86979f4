// Writing text into host buffers. A host sizes its buffers by the published
// limits (8 bytes for parameter texts, 24 for program names, ...), so every
// string we hand out is cut to fit and always terminated (tamrik::copyString
// in common/StringCopy.h).
#pragma once

#include <cstddef>

namespace vst {

// A parameter value as the host shows it: fixed point with two decimals and a
// full stop whatever the user's locale ("0.50"), cut to fit size bytes.
void formatParameterValue(float value, char* text, size_t size);

}  // namespace vst
