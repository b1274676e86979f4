// Texts between the instrument (UTF-8, and Latin-1 where a byte is no
// UTF-8) and VST 3's fixed UTF-16 fields. Both directions cut to fit and
// always terminate.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamrik::vst3 {

void toUtf16(const char* text, int16_t* out, size_t size);
void fromUtf16(const int16_t* text, char* out, size_t size);

}  // namespace tamrik::vst3
