// Kit files (.tamrikkit): a kit as readable text, one pad per section, every
// value by its parameter's name, so a person can read, edit and compare one.
//
//   DrumTamrik Kit 2
//   name = Standard
//   Channel = Omni
//   Volume = 0.0dB
//
//   [Pad 1]
//   name = Kick
//   A = 0
//   CutOff = 0.6
//   ...
//   Key = 36
//   Pitch = C3
//   Level = -1.8dB
//   Pan = L20
//   Output = Main
//   Choke = none
//   Velocity = 100%
//   Mute = Off
//
// The first line names the format and its version. Keys are the sound's
// parameter names and the pad settings (kit/PadSettings.h) inside a pad's
// section; name, Channel and Volume before the first. A sound's values are
// its 0-1 values, written as the shortest decimal that reads back as the
// same float (0 to 1; anything else is refused). The settings are in their
// own units, as a host displays them: a key by number, a pitch by name (both
// read either way), an output by name, a choke group by number or "none",
// decibels, L/C/R pan, percent; a continuous one with as many decimals as it
// takes to read back the same value. Version 1 files, every value 0 to 1,
// still read. Blank lines and lines starting with '#' are skipped; a value
// left out keeps the "Init" kit's. Reading is strict: a line it cannot take
// makes the whole file refused, with the line's number and the reason.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "kit/KitSnapshot.h"

namespace tamrik::kit {

class KitFileError : public std::runtime_error {
public:
    KitFileError(int line, const std::string& reason)
        : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

class KitFile {
public:
    static constexpr int kVersion = 2;
    static constexpr std::string_view kFirstLine = "DrumTamrik Kit 2";
    static constexpr std::string_view kFirstLineOfVersion1 = "DrumTamrik Kit 1";

    // Throws KitFileError; `defaults` gives the values left out.
    static KitSnapshot parse(std::string_view text, const KitSnapshot& defaults);
    // The kit file at `path`. Throws std::runtime_error naming the path and
    // what is wrong: a folder, a file that cannot be read, or the line and
    // reason parse gives.
    static KitSnapshot read(const std::string& path, const KitSnapshot& defaults);
    static std::string write(const KitSnapshot& kit);
};

}  // namespace tamrik::kit
