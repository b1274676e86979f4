// The Kit's own settings as text, both ways: what its displays write
// (decibels, notes, pan, percent, numbered choices) and the reading of what a
// user types into a host's field or a kit file holds. A full stop whatever
// the locale; blanks around a text and its unit, and the case of letters, do
// not matter. Every reader takes back what the matching writer wrote, at any
// number of decimals.
//
// Writers fill the caller's buffer, cut to fit and always terminated; they
// neither allocate nor consult the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tamrik::kit {

// "-5.2dB" at `decimals` decimals (never "-0.0dB"), "-inf dB" for no gain.
void decibelText(double gain, int32_t decimals, char* text, size_t size);
// A gain from "-5.2dB", "-5.2 dB", "-5.2", "+3 dB"; 0 from "-inf dB", "-inf".
std::optional<double> parseDecibels(std::string_view text);

// "C1" for 36 (the General MIDI kick), "C-2" for 0, "G8" for 127.
void noteName(int32_t note, char* text, size_t size);
// A note from its number ("36"), its name ("C1", "c#1", "Db1") or both as
// the displays show them ("36 C1", which must agree); 0 to 127.
std::optional<int32_t> parseNote(std::string_view text);

// The balance as percent towards the left (negative: the right): "L26",
// "C" (within half the last decimal of the centre), "R100".
void panText(double towardsLeft, int32_t decimals, char* text, size_t size);
std::optional<double> parsePan(std::string_view text);

// "37%"; read back with or without the sign.
void percentText(double percent, int32_t decimals, char* text, size_t size);
std::optional<double> parsePercent(std::string_view text);

// Choice k of `none`, then `prefix` 1 to count ("Main", "Aux 3"; "None",
// "Group 2"): read by those names or by k itself.
void numberedText(int32_t k, const char* none, const char* prefix, char* text, size_t size);
std::optional<int32_t> parseNumbered(std::string_view text, std::string_view none, std::string_view prefix,
                                     int32_t count);

// "On" / "Off"; read back also as 1 / 0.
std::optional<bool> parseSwitch(std::string_view text);

}  // namespace tamrik::kit
