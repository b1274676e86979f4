#include "common/SafeFileName.h"

#include <cstdint>
#include <cstring>

namespace tamrik {

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0.
size_t sequenceAt(const std::string& s, size_t at) {
    const auto byte = [&](size_t i) { return i < s.size() ? uint8_t(s[i]) : uint8_t(0); };
    const uint8_t lead = byte(at);
    if (lead < 0x80) return 1;
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

bool refused(char c) {
    return uint8_t(c) < 0x20 || c == 0x7F || std::strchr("/\\<>:\"|?*", c) != nullptr;
}

std::string folded(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9: Windows takes them for devices, with
// any extension.
bool reserved(const std::string& name) {
    const std::string stem = folded(name.substr(0, name.find('.')));
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

void trimEnd(std::string& s) {
    while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
}

}  // namespace

std::string SafeFileName::of(const std::string& name, const std::string& fallback) {
    std::string out;
    bool kept = false;  // anything of the name itself, not only stand-ins
    for (size_t at = 0; at < name.size();) {
        const size_t length = sequenceAt(name, at);
        const char c = name[at];
        at += length == 0 ? 1 : length;
        if (length == 0 || (length == 1 && refused(c))) {
            if (out.size() < kMaxBytes) out += '_';
            continue;
        }
        // No leading dots or spaces, and no "..".
        if (length == 1 && ((out.empty() && (c == '.' || c == ' ')) || (c == '.' && out.back() == '.')))
            continue;
        if (out.size() + length > kMaxBytes) break;
        out.append(name, at - length, length);
        kept = true;
    }
    trimEnd(out);
    if (!kept || out.empty()) return fallback;
    if (reserved(out)) out.insert(0, "_");
    return out;
}

std::string SafeFileName::take(const std::string& name, const std::string& fallback) {
    const std::string base = of(name, fallback);
    std::string candidate = base;
    for (int n = 2; taken.count(folded(candidate)) != 0; ++n) candidate = base + " " + std::to_string(n);
    taken.insert(folded(candidate));
    return candidate;
}

}  // namespace tamrik
