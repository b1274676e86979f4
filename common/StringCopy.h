// Text into a fixed-size buffer someone else sized (a host's, a record's):
// cut to fit and always terminated.
#pragma once

#include <cstddef>
#include <cstring>

namespace tamrik {

// Copies at most size - 1 characters of text (nil reads as "") and a
// terminator into dest; a nil dest or a size of 0 writes nothing.
inline void copyString(char* dest, const char* text, size_t size) {
    if (!dest || size == 0) return;
    size_t n = 0;
    if (text)
        while (n + 1 < size && text[n] != '\0') ++n;
    std::memcpy(dest, text, n);
    dest[n] = '\0';
}

}  // namespace tamrik
