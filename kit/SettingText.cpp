#include "kit/SettingText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/RoundEven.h"
#include "common/StringCopy.h"
#include "synth/ParameterText.h"

namespace tamrik::kit {

namespace {

constexpr const char* kPitchClasses[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// x at `decimals` decimals after `prefix`, then `suffix`; a value that
// prints as zero prints without its minus sign. False when it is all zero.
bool fixedText(double x, int32_t decimals, const char* prefix, const char* suffix, char* text, size_t size) {
    char buffer[64];
    const size_t lead = std::strlen(prefix);
    std::memcpy(buffer, prefix, lead);
    char* const from = buffer + lead;
    auto result = std::to_chars(from, buffer + 48, x, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) result.ptr = from;
    bool nonzero = false;
    for (const char* c = from; c < result.ptr; ++c) nonzero = nonzero || (*c >= '1' && *c <= '9');
    if (!nonzero && *from == '-') {
        std::memmove(from, from + 1, size_t(result.ptr - from - 1));
        --result.ptr;
    }
    const size_t tail = std::strlen(suffix);
    std::memcpy(result.ptr, suffix, tail + 1);
    copyString(text, buffer, size);
    return nonzero;
}

std::optional<int32_t> wholeNumber(std::string_view text, int32_t low, int32_t high) {
    const auto n = parseNumber(text);
    if (!n || *n != std::floor(*n) || *n < low || *n > high) return std::nullopt;
    return static_cast<int32_t>(*n);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::optional<int32_t> parseNoteName(std::string_view text) {
    static constexpr int32_t kLetters[7] = {9, 11, 0, 2, 4, 5, 7};  // A to G
    if (text.empty()) return std::nullopt;
    const char letter = char(text[0] | 0x20);
    if (letter < 'a' || letter > 'g') return std::nullopt;
    int32_t pitch = kLetters[letter - 'a'];
    text.remove_prefix(1);
    if (!text.empty() && text[0] == '#') {
        ++pitch;
        text.remove_prefix(1);
    } else if (!text.empty() && (text[0] | 0x20) == 'b') {
        --pitch;
        text.remove_prefix(1);
    }
    if (text.empty() || text[0] == ' ' || text[0] == '+') return std::nullopt;  // the octave, right after
    const auto octave = wholeNumber(text, -2, 8);
    if (!octave) return std::nullopt;
    const int32_t note = 12 * (*octave + 2) + pitch;
    if (note < 0 || note > 127) return std::nullopt;
    return note;
}

}  // namespace

void decibelText(double gain, int32_t decimals, char* text, size_t size) {
    if (!(gain > 0.0)) return copyString(text, "-inf dB", size);
    fixedText(20.0 * std::log10(gain), decimals, "", "dB", text, size);
}

std::optional<double> parseDecibels(std::string_view text) {
    text = trimmedText(text);
    if (startsWithIgnoringCase(text, "-inf")) {
        const std::string_view rest = trimmedText(text.substr(4));
        if (rest.empty() || sameTextIgnoringCase(rest, "dB")) return 0.0;
        return std::nullopt;
    }
    const auto db = parseNumber(text, "dB");
    if (!db) return std::nullopt;
    return std::pow(10.0, *db / 20.0);
}

void noteName(int32_t note, char* text, size_t size) {
    char buffer[8];
    const int32_t n = note < 0 ? 0 : (note > 127 ? 127 : note);
    std::snprintf(buffer, sizeof buffer, "%s%d", kPitchClasses[n % 12], static_cast<int>(n / 12 - 2));
    copyString(text, buffer, size);
}

std::optional<int32_t> parseNote(std::string_view text) {
    text = trimmedText(text);
    const size_t space = text.find(' ');
    if (space != std::string_view::npos) {
        const auto number = wholeNumber(text.substr(0, space), 0, 127);
        const auto name = parseNoteName(trimmedText(text.substr(space)));
        if (number && name && *number == *name) return number;
        return std::nullopt;
    }
    if (const auto number = wholeNumber(text, 0, 127)) return number;
    return parseNoteName(text);
}

void panText(double towardsLeft, int32_t decimals, char* text, size_t size) {
    if (!fixedText(std::abs(towardsLeft), decimals, towardsLeft > 0.0 ? "L" : "R", "", text, size))
        copyString(text, "C", size);
}

std::optional<double> parsePan(std::string_view text) {
    text = trimmedText(text);
    if (sameTextIgnoringCase(text, "C")) return 0.0;
    if (text.empty()) return std::nullopt;
    const char side = char(text[0] | 0x20);
    if (side != 'l' && side != 'r') return std::nullopt;
    const std::string_view amount = trimmedText(text.substr(1));
    if (amount.empty() || amount[0] == '+' || amount[0] == '-') return std::nullopt;
    const auto percent = parseNumber(amount);
    if (!percent) return std::nullopt;
    return side == 'l' ? *percent : -*percent;
}

void percentText(double percent, int32_t decimals, char* text, size_t size) {
    fixedText(percent, decimals, "", "%", text, size);
}

std::optional<double> parsePercent(std::string_view text) { return parseNumber(text, "%"); }

void numberedText(int32_t k, const char* none, const char* prefix, char* text, size_t size) {
    if (k == 0) return copyString(text, none, size);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%d", prefix, static_cast<int>(k));
    copyString(text, buffer, size);
}

std::optional<int32_t> parseNumbered(std::string_view text, std::string_view none, std::string_view prefix,
                                     int32_t count) {
    text = trimmedText(text);
    if (sameTextIgnoringCase(text, none)) return 0;
    prefix = trimmedText(prefix);
    if (startsWithIgnoringCase(text, prefix))
        if (const auto k = wholeNumber(text.substr(prefix.size()), 1, count)) return k;
    return wholeNumber(text, 0, count);
}

std::optional<bool> parseSwitch(std::string_view text) {
    text = trimmedText(text);
    if (sameTextIgnoringCase(text, "On") || text == "1") return true;
    if (sameTextIgnoringCase(text, "Off") || text == "0") return false;
    return std::nullopt;
}

}  // namespace tamrik::kit
