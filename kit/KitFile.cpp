#include "kit/KitFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "kit/PadSettings.h"
#include "kit/SharedName.h"

namespace tamrik::kit {

namespace {

constexpr size_t kMaxName = SharedName::kCapacity - 1;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string decimal(float v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

// The slot of a key inside a pad's section, or -1.
int32_t padSlot(std::string_view key) {
    for (int32_t i = 0; i < kSoundParameters; ++i)
        if (key == kParameterTable[i].name) return i;
    for (int32_t s = 0; s < kPadSettings; ++s)
        if (key == kPadSettingTable[size_t(s)].fileKey) return kSoundParameters + s;
    return -1;
}

float number(std::string_view text, int line, std::string_view key) {
    // strtof would accept "inf", "nan", hex and leading spaces; from_chars
    // takes plain decimals only, as we write them.
    float v = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        throw KitFileError(line, std::string(key) + ": expected a number, not '" + std::string(text) + "'");
    if (!std::isfinite(v)) throw KitFileError(line, std::string(key) + ": the value is not finite");
    if (v < 0.0f || v > 1.0f) throw KitFileError(line, std::string(key) + ": the value is outside 0 to 1");
    return v;
}

// A setting's value, from its text (version 2) or from a 0-1 number (version
// 1), as near as its text holds it, so that writing it again reads back the
// same: a key between two notes reads as the note it plays.
float settingValue(const SettingInfo& setting, std::string_view text, int version, int line) {
    const std::optional<float> v =
        version == 1 ? std::optional<float>(number(text, line, setting.fileKey)) : setting.parse(text);
    if (!v)
        throw KitFileError(line, std::string(setting.fileKey) + ": expected " + setting.expects + ", not '" +
                                     std::string(text) + "'");
    return *setting.parse(exactFileText(setting, *v));
}

}  // namespace

KitSnapshot KitFile::parse(std::string_view text, const KitSnapshot& defaults) {
    KitSnapshot kit = defaults;
    std::set<std::pair<int32_t, std::string>> seen;  // (section, key)
    int32_t pad = -1;  // the section: -1 before the first pad
    int line = 0;
    bool header = false;
    int version = kVersion;
    while (!text.empty()) {
        ++line;
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::string_view s = trim(raw);
        if (!header) {
            if (s == kFirstLine)
                version = kVersion;
            else if (s == kFirstLineOfVersion1)
                version = 1;
            else if (s.substr(0, 15) == "DrumTamrik Kit ")
                throw KitFileError(line, "a kit file of another version ('" + std::string(s) + "')");
            else
                throw KitFileError(line, "not a kit file: expected '" + std::string(kFirstLine) + "'");
            header = true;
            continue;
        }
        if (s.empty() || s.front() == '#') continue;
        if (s.front() == '[') {
            int number = 0;
            const std::string_view inner = s.substr(1, s.size() - 2);
            if (s.back() != ']' || inner.substr(0, 4) != "Pad ")
                throw KitFileError(line, "expected a section '[Pad N]', not '" + std::string(s) + "'");
            const std::string_view digits = inner.substr(4);
            const auto [at, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (error != std::errc() || at != digits.data() + digits.size() || number < 1 || number > kPads)
                throw KitFileError(line, "no such pad: '" + std::string(s) + "' (pads are 1 to 16)");
            pad = number - 1;
            if (!seen.insert({pad, "["}).second) throw KitFileError(line, "Pad " + std::to_string(number) + " twice");
            continue;
        }
        const size_t equals = s.find('=');
        if (equals == std::string_view::npos)
            throw KitFileError(line, "expected KEY = VALUE, not '" + std::string(s) + "'");
        const std::string key(trim(s.substr(0, equals)));
        const std::string_view value = trim(s.substr(equals + 1));
        if (!seen.insert({pad, key}).second) throw KitFileError(line, key + " given twice");
        if (key == "name") {
            if (value.size() > kMaxName)
                throw KitFileError(line, "the name is longer than " + std::to_string(kMaxName) + " characters");
            (pad < 0 ? kit.name : kit.padNames[size_t(pad)]) = std::string(value);
        } else if (pad < 0) {
            int32_t index = kChannelIndex;
            while (index < kKitParameters && key != settingOf(index)->fileKey) ++index;
            if (index == kKitParameters) throw KitFileError(line, "unknown key '" + key + "' before the first pad");
            kit.values[size_t(index)] = settingValue(*settingOf(index), value, version, line);
        } else {
            const int32_t slot = padSlot(key);
            if (slot < 0) throw KitFileError(line, "unknown key '" + key + "' in a pad");
            const int32_t index = padIndex(pad, slot);
            const SettingInfo* setting = settingOf(index);
            kit.values[size_t(index)] = setting ? settingValue(*setting, value, version, line) : number(value, line, key);
        }
    }
    if (!header) throw KitFileError(1, "the file is empty");
    return kit;
}

// A name on one line, as the reader will see it: control characters become
// spaces, and the spaces at either end go (the reader trims them), so that
// what is written reads back as the same name.
std::string oneLine(const std::string& name) {
    std::string s = name;
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return std::string(trim(s));
}

KitSnapshot KitFile::read(const std::string& path, const KitSnapshot& defaults) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw std::runtime_error(path + ": expected a kit file, but this is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": expected a kit file, but it cannot be read (" + std::strerror(errno) + ")");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        return parse(text, defaults);
    } catch (const KitFileError& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

std::string KitFile::write(const KitSnapshot& kit) {
    const auto line = [&](const char* key, int32_t index) {
        const SettingInfo* setting = settingOf(index);
        const float v = kit.values[size_t(index)];
        return std::string(key) + " = " + (setting ? exactFileText(*setting, v) : decimal(v)) + "\n";
    };
    std::string t = std::string(kFirstLine) + "\nname = " + oneLine(kit.name) + "\n";
    for (int32_t i = kChannelIndex; i < kKitParameters; ++i) t += line(settingOf(i)->fileKey, i);
    for (int32_t p = 0; p < kPads; ++p) {
        t += "\n[Pad " + std::to_string(p + 1) + "]\nname = " + oneLine(kit.padNames[size_t(p)]) + "\n";
        for (int32_t slot = 0; slot < kPadStride; ++slot) {
            const SettingInfo* setting = settingOf(padIndex(p, slot));
            t += line(setting ? setting->fileKey : kParameterTable[slot].name, padIndex(p, slot));
        }
    }
    return t;
}

}  // namespace tamrik::kit
