// A user preset on disk: a small text file a person can read and edit, one
// "Name = value" line per parameter under a versioned first line:
//
//     DrumTamrik preset 1
//     name = Deep Kick
//     A = 0.1
//     ...
//
// Values are written in the shortest form that reads back to the very same
// float. Reading is strict: a file that is not exactly such a preset (an
// unknown or repeated key, a missing parameter, a value outside 0..1 or not
// a number, a newer version, anything too long) is refused with a line
// saying what is wrong, and nothing of it is used.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "synth/ParameterTable.h"

namespace tamrik {

struct PresetValues {
    std::string name;
    std::array<float, kNumParameters> values{};
    bool operator==(const PresetValues&) const = default;
};

// The preset, or why the text is not one.
struct PresetReading {
    std::optional<PresetValues> preset;
    std::string error;
};

inline constexpr int kPresetFileVersion = 1;
inline constexpr size_t kPresetNameMax = 63;
// Preset files are a few hundred bytes; anything much larger is not one.
inline constexpr size_t kPresetFileMax = 16 * 1024;
inline constexpr const char* kPresetExtension = ".dtpreset";

PresetReading parsePreset(std::string_view text);
// The file text of a preset whose name is printable and short enough.
std::string formatPreset(const PresetValues& preset);

PresetReading readPresetFile(const std::filesystem::path& path);
// Writes through a temporary file renamed into place, so a failed save
// leaves any earlier file whole. The error, or empty on success.
std::string writePresetFile(const std::filesystem::path& path, const PresetValues& preset);
// The same for any text.
std::string writeTextFile(const std::filesystem::path& path, const std::string& text);

// Where user presets live: $XDG_DATA_HOME/DrumTamrik/Presets (by default
// ~/.local/share/...), %APPDATA%\DrumTamrik\Presets on Windows. Empty when
// the environment names no home at all.
std::filesystem::path userPresetDirectory();
// The Kit's kit files beside them: .../DrumTamrik/Kits.
std::filesystem::path userKitDirectory();
// Where exported hits and kits go unless the user walks elsewhere: .../DrumTamrik/Exports.
std::filesystem::path userExportDirectory();
// A file name for a preset name: letters, digits, spaces, '-' and '_' kept.
std::string presetFileName(std::string_view name);
// The same rule for any name; fallback when nothing of it is kept.
std::string fileNameFor(std::string_view name, std::string_view fallback, std::string_view extension);
// A path in folder for that name that nothing uses yet: the name, else the
// name with a number added (2, 3, ...), rather than any file replaced.
std::filesystem::path unusedPathFor(const std::filesystem::path& folder, std::string_view name,
                                    std::string_view fallback, std::string_view extension);

}  // namespace tamrik
