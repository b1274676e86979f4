// The preset text is parsed line by line without exceptions: every way a
// file can be wrong ends in a message, never in a partial preset.
#include "editor/PresetFile.h"

#include "editor/UserSettings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tamrik {
namespace {

constexpr std::string_view kMagic = "DrumTamrik preset ";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool Printable(std::string_view s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

int ParameterNamed(std::string_view key) {
    for (int i = 0; i < kNumParameters; ++i)
        if (key == kParameterTable[i].name) return i;
    return -1;
}

PresetReading Refuse(size_t line, const std::string& why) {
    return {std::nullopt, line ? "line " + std::to_string(line) + ": " + why : why};
}

// DrumTamrik's folder of one kind among the user's data files.
std::filesystem::path UserDataFolder(const char* kind) {
    const std::filesystem::path folder = perUserFolder("XDG_DATA_HOME", ".local/share");
    return folder.empty() ? folder : folder / kind;
}

}  // namespace

PresetReading parsePreset(std::string_view text) {
    if (text.size() > kPresetFileMax) return Refuse(0, "too large for a preset");
    PresetValues preset;
    std::array<bool, kNumParameters> seen{};
    bool named = false;
    size_t lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const std::string_view line = Trim(raw);
        if (lineNumber == 1) {
            if (line.substr(0, kMagic.size()) != kMagic) return Refuse(1, "not a DrumTamrik preset");
            const std::string_view number = line.substr(kMagic.size());
            int version = 0;
            const auto [at, ec] = std::from_chars(number.data(), number.data() + number.size(), version);
            if (ec != std::errc() || at != number.data() + number.size() || version < 1)
                return Refuse(1, "not a DrumTamrik preset");
            if (version > kPresetFileVersion)
                return Refuse(1, "made by a newer DrumTamrik (format " + std::string(number) + ")");
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return Refuse(lineNumber, "not a \"name = value\" line");
        const std::string_view key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key == "name") {
            if (named) return Refuse(lineNumber, "a second name");
            if (value.empty() || value.size() > kPresetNameMax || !Printable(value))
                return Refuse(lineNumber, "the name must be 1 to 63 plain characters");
            preset.name = std::string(value);
            named = true;
            continue;
        }
        const int index = ParameterNamed(key);
        if (index < 0) return Refuse(lineNumber, "no parameter is called \"" + std::string(key.substr(0, 24)) + "\"");
        if (seen[size_t(index)]) return Refuse(lineNumber, std::string(key) + " is set twice");
        float v = 0.0f;
        const auto [at, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
        if (ec != std::errc() || at != value.data() + value.size() || !std::isfinite(v) || v < 0.0f || v > 1.0f)
            return Refuse(lineNumber, std::string(key) + " needs a number from 0 to 1");
        preset.values[size_t(index)] = v;
        seen[size_t(index)] = true;
    }
    if (!named) return Refuse(0, "the preset has no name");
    for (int i = 0; i < kNumParameters; ++i)
        if (!seen[size_t(i)]) return Refuse(0, std::string(kParameterTable[i].name) + " is missing");
    return {std::move(preset), {}};
}

std::string formatPreset(const PresetValues& preset) {
    std::string name = preset.name.substr(0, kPresetNameMax);
    for (char& c : name)
        if (!Printable({&c, 1})) c = '?';
    if (Trim(name).empty()) name = "Untitled";
    std::string text = std::string(kMagic) + std::to_string(kPresetFileVersion) + "\nname = " + std::string(Trim(name)) + "\n";
    for (int i = 0; i < kNumParameters; ++i) {
        char number[32];
        const auto [end, ec] = std::to_chars(number, number + sizeof number, preset.values[size_t(i)]);
        text += std::string(kParameterTable[i].name) + " = " + std::string(number, ec == std::errc() ? end : number) + "\n";
    }
    return text;
}

PresetReading readPresetFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Refuse(0, "the file cannot be read");
    std::string text;
    text.resize(kPresetFileMax + 1);
    file.read(text.data(), std::streamsize(text.size()));
    if (file.bad()) return Refuse(0, "the file cannot be read");
    text.resize(size_t(file.gcount()));
    return parsePreset(text);
}

std::string writePresetFile(const std::filesystem::path& path, const PresetValues& preset) {
    return writeTextFile(path, formatPreset(preset));
}

std::string writeTextFile(const std::filesystem::path& path, const std::string& text) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return "cannot make the folder " + path.parent_path().string();
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), std::streamsize(text.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            return "cannot write " + path.string();
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return "cannot write " + path.string();
    }
    return {};
}

std::filesystem::path userPresetDirectory() { return UserDataFolder("Presets"); }

std::filesystem::path userKitDirectory() { return UserDataFolder("Kits"); }

std::filesystem::path userExportDirectory() { return UserDataFolder("Exports"); }

std::string presetFileName(std::string_view name) { return fileNameFor(name, "Preset", kPresetExtension); }

std::string fileNameFor(std::string_view name, std::string_view fallback, std::string_view extension) {
    std::string file;
    for (char c : name)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
            c == '_')
            file += c;
    if (Trim(file).empty()) file = fallback;
    return std::string(Trim(file)) + std::string(extension);
}

std::filesystem::path unusedPathFor(const std::filesystem::path& folder, std::string_view name,
                                    std::string_view fallback, std::string_view extension) {
    std::error_code ec;
    std::filesystem::path path = folder / fileNameFor(name, fallback, extension);
    for (int n = 2; std::filesystem::exists(path, ec) && n < 1000; ++n)
        path = folder / fileNameFor(std::string(name) + " " + std::to_string(n), fallback, extension);
    return path;
}

}  // namespace tamrik
