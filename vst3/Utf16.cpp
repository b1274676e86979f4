#include "vst3/Utf16.h"

namespace tamrik::vst3 {

namespace {

// The code point at `text`, and how many bytes it took; a byte that starts
// no valid sequence is Latin-1.
uint32_t decode(const unsigned char* text, size_t& length) {
    const unsigned char c = text[0];
    int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    if (c < 0x80 || extra == 0 || c >= 0xF5) {
        length = 1;
        return c;
    }
    uint32_t code = c & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((text[k] & 0xC0) != 0x80) {
            length = 1;
            return c;
        }
        code = (code << 6) | (text[k] & 0x3Fu);
    }
    length = size_t(extra) + 1;
    return code;
}

}  // namespace

void toUtf16(const char* text, int16_t* out, size_t size) {
    if (!out || size == 0) return;
    size_t n = 0;
    const auto* at = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*at != 0) {
        size_t length = 1;
        const uint32_t code = decode(at, length);
        const size_t units = code >= 0x10000 ? 2 : 1;
        if (n + units >= size) break;
        if (units == 2) {
            out[n++] = int16_t(0xD800 + ((code - 0x10000) >> 10));
            out[n++] = int16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out[n++] = int16_t(code);
        }
        at += length;
    }
    out[n] = 0;
}

void fromUtf16(const int16_t* text, char* out, size_t size) {
    if (!out || size == 0) return;
    size_t n = 0;
    for (size_t i = 0; text && text[i] != 0; ++i) {
        uint32_t code = uint16_t(text[i]);
        if (code >= 0xD800 && code < 0xDC00 && uint16_t(text[i + 1]) >= 0xDC00 && uint16_t(text[i + 1]) < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (uint16_t(text[++i]) - 0xDC00u);
        const size_t bytes = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (n + bytes >= size) break;
        if (bytes == 1) {
            out[n++] = char(code);
            continue;
        }
        static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        out[n++] = char(kLead[bytes] | (code >> (6 * (bytes - 1))));
        for (size_t k = bytes - 1; k-- > 0;) out[n++] = char(0x80 | ((code >> (6 * k)) & 0x3F));
    }
    out[n] = '\0';
}

}  // namespace tamrik::vst3
