#include "kit/PadSettings.h"

#include <cmath>

#include "common/StringCopy.h"
#include "kit/SettingText.h"

namespace tamrik::kit {

namespace {

float unitValue(double v) { return static_cast<float>(v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v)); }

std::optional<float> stepValue(std::optional<int32_t> k, int32_t steps) {
    if (!k) return std::nullopt;
    return valueOfStep(*k, steps);
}

// Notes: the host sees "36 C1"; a file names keys by number, pitches by name.
void noteDisplay(float v, int32_t, char* text, size_t size) { copyString(text, noteLabel(noteOf(v)).c_str(), size); }
void noteNumberText(float v, int32_t, char* text, size_t size) {
    copyString(text, std::to_string(noteOf(v)).c_str(), size);
}
void noteNameText(float v, int32_t, char* text, size_t size) { noteName(noteOf(v), text, size); }
std::optional<float> readNote(std::string_view t) { return stepValue(parseNote(t), 127); }

// Level and Volume: gain (2v)^2, so v = sqrt(gain) / 2.
void levelText(float v, int32_t decimals, char* text, size_t size) {
    decibelText(levelGain(clampUnit(v)), decimals, text, size);
}
std::optional<float> readLevel(std::string_view t) {
    const auto gain = parseDecibels(t);
    if (!gain) return std::nullopt;
    return unitValue(std::sqrt(*gain) / 2.0);
}

// Pan: percent towards the left, 200 (0.5 - v).
void panDisplay(float v, int32_t decimals, char* text, size_t size) {
    panText((0.5 - static_cast<double>(clampUnit(v))) * 200.0, decimals, text, size);
}
std::optional<float> readPan(std::string_view t) {
    const auto left = parsePan(t);
    if (!left) return std::nullopt;
    return unitValue(0.5 - *left / 200.0);
}

void outputText(float v, int32_t, char* text, size_t size) { numberedText(eighthOf(v), "Main", "Aux ", text, size); }
std::optional<float> readOutput(std::string_view t) {
    return stepValue(parseNumbered(t, "Main", "Aux", kAuxPairs), kAuxPairs);
}

void chokeDisplay(float v, int32_t, char* text, size_t size) { numberedText(eighthOf(v), "None", "Group ", text, size); }
void chokeFileText(float v, int32_t, char* text, size_t size) { numberedText(eighthOf(v), "none", "", text, size); }
std::optional<float> readChoke(std::string_view t) {
    return stepValue(parseNumbered(t, "None", "Group", kChokeGroups), kChokeGroups);
}

void velocityText(float v, int32_t decimals, char* text, size_t size) {
    percentText(static_cast<double>(clampUnit(v)) * 100.0, decimals, text, size);
}
std::optional<float> readVelocity(std::string_view t) {
    const auto percent = parsePercent(t);
    if (!percent) return std::nullopt;
    return unitValue(*percent / 100.0);
}

void switchText(float v, int32_t, char* text, size_t size) { copyString(text, switchOn(v) ? "On" : "Off", size); }
std::optional<float> readSwitch(std::string_view t) {
    const auto on = parseSwitch(t);
    if (!on) return std::nullopt;
    return *on ? 1.0f : 0.0f;
}

void channelText(float v, int32_t, char* text, size_t size) { numberedText(channelOf(v), "Omni", "", text, size); }
std::optional<float> readChannel(std::string_view t) { return stepValue(parseNumbered(t, "Omni", "", 16), 16); }

float keyDefault(int32_t pad) { return valueOfStep(kDefaultKeys[size_t(pad)], 127); }
float pitchDefault(int32_t) { return valueOfStep(kDefaultPitch, 127); }
float chokeDefault(int32_t pad) { return valueOfStep(kDefaultChokeGroups[size_t(pad)], kChokeGroups); }
float zero(int32_t) { return 0.0f; }
float unity(int32_t) { return 0.5f; }  // 0 dB, or the centre
float whole(int32_t) { return 1.0f; }

}  // namespace

// clang-format off
const std::array<SettingInfo, kPadSettings> kPadSettingTable = {{
    //name       short   file key    symbol      steps         default       display       dec file text       parse         expects
    {"Key",      "Key",  "Key",      "key",      127,          keyDefault,   noteDisplay,  0, noteNumberText, readNote,     "a note: 36, C1 or 36 C1"},
    {"Pitch",    "Ptch", "Pitch",    "pitch",    127,          pitchDefault, noteDisplay,  0, noteNameText,   readNote,     "a note: C3, 60 or 60 C3"},
    {"Level",    "Lvl",  "Level",    "level",    0,            unity,        levelText,    1, levelText,      readLevel,    "decibels: -5.2dB, -5.2 dB or -inf dB"},
    {"Pan",      "Pan",  "Pan",      "pan",      0,            unity,        panDisplay,   0, panDisplay,     readPan,      "L, C or R: L26, C or R100"},
    {"Output",   "Out",  "Output",   "output",   kAuxPairs,    zero,         outputText,   0, outputText,     readOutput,   "Main or Aux 1 to Aux 8"},
    {"Choke",    "Chok", "Choke",    "choke",    kChokeGroups, chokeDefault, chokeDisplay, 0, chokeFileText,  readChoke,    "none or a group, 1 to 8"},
    {"Velocity", "Vel",  "Velocity", "velocity", 0,            whole,        velocityText, 0, velocityText,   readVelocity, "a percentage: 37%"},
    {"Mute",     "Mute", "Mute",     "mute",     1,            zero,         switchText,   0, switchText,     readSwitch,   "On or Off"},
}};

const std::array<SettingInfo, 2> kKitWideTable = {{
    {"MIDI Channel",  "Channel", "Channel", "channel", 16, zero,  channelText, 0, channelText, readChannel, "Omni or a channel, 1 to 16"},
    {"Master Volume", "Volume",  "Volume",  "volume",  0,  unity, levelText,   1, levelText,   readLevel,   "decibels: -5.2dB, -5.2 dB or -inf dB"},
}};
// clang-format on

const SettingInfo* settingOf(int32_t index) {
    if (!isKitParameter(index)) return nullptr;
    if (index >= kChannelIndex) return &kKitWideTable[size_t(index - kChannelIndex)];
    const int32_t slot = slotOf(index);
    return slot < kSoundParameters ? nullptr : &kPadSettingTable[size_t(slot - kSoundParameters)];
}

std::string exactFileText(const SettingInfo& setting, float value) {
    constexpr int32_t kMostDecimals = 12;
    char text[64];
    for (int32_t decimals = setting.decimals;; ++decimals) {
        setting.fileText(value, decimals, text, sizeof text);
        if (setting.steps > 0 || decimals == kMostDecimals || setting.parse(text) == value) return text;
    }
}

}  // namespace tamrik::kit
