// The Kit's 482 parameters: the sounds' facts from synth/ParameterTable.h,
// the pads' settings and the kit-wide pair from kit/PadSettings.h, and their
// values, held by the pads and the instrument.
#include "kit/KitInstrument.h"

#include <cmath>
#include <cstdio>

#include "common/FloatingPointGuard.h"
#include "common/StringCopy.h"
#include "kit/PadSettings.h"
#include "synth/ParameterText.h"

namespace tamrik::kit {

namespace {

// Short enough that "16 " and the name fit a host's 8-byte name buffer.
constexpr const char* kSoundShortNames[kSoundParameters] = {
    "A",    "H",    "R",    "Crv", "Cut", "Q",    "Type", "Env",  "Wav1", "Wav2", "Wgt",
    "W1T",  "W2T",  "W1S", "W2S", "Mix",  "Ring", "FM",   "Vol",  "Clip", "Mult", "Oct"};

}  // namespace

float KitInstrument::parameterDefault(int32_t index) const {
    if (!isKitParameter(index)) return 0.0f;
    if (const SettingInfo* setting = settingOf(index)) return setting->defaultOf(padOf(index));
    return kParameterTable[slotOf(index)].defaultValue;
}

int32_t KitInstrument::parameterSteps(int32_t index) const {
    if (!isKitParameter(index)) return 0;
    if (const SettingInfo* setting = settingOf(index)) return setting->steps;
    const ParameterInfo& p = kParameterTable[slotOf(index)];
    return p.kind == ControlKind::List || p.kind == ControlKind::CheckBox ? controlScale(p).steps : 0;
}

void KitInstrument::parameterShortName(int32_t index, char* text, size_t size) const {
    if (!isKitParameter(index)) return copyString(text, "", size);
    const SettingInfo* setting = settingOf(index);
    if (index >= kChannelIndex) return copyString(text, setting->shortName, size);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d %s", static_cast<int>(padOf(index) + 1),
                  setting ? setting->shortName : kSoundShortNames[slotOf(index)]);
    copyString(text, buffer, size);
}

void KitInstrument::parameterName(int32_t index, char* text, size_t size) const {
    if (!isKitParameter(index)) return copyString(text, "", size);
    const SettingInfo* setting = settingOf(index);
    if (index >= kChannelIndex) return copyString(text, setting->name, size);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Pad %d %s", static_cast<int>(padOf(index) + 1),
                  setting ? setting->name : kParameterTable[slotOf(index)].name);
    copyString(text, buffer, size);
}

void KitInstrument::parameterLabel(int32_t index, char* text, size_t size) const {
    const bool sound = isKitParameter(index) && index < kChannelIndex && slotOf(index) < kSoundParameters;
    copyString(text, sound ? "/1" : "", size);
}

void KitInstrument::choiceName(int32_t index, int32_t k, char* text, size_t size) const {
    const int32_t steps = parameterSteps(index);
    if (steps == 0 || k < 0 || k > steps) return copyString(text, "", size);
    const int32_t slot = index < kChannelIndex ? slotOf(index) : -1;
    if (slot >= 0 && slot < kSoundParameters) {
        const ParameterInfo& p = kParameterTable[slot];
        return copyString(text, p.kind == ControlKind::List ? p.captions[size_t(k)] : k == 0 ? "Off" : "On", size);
    }
    // The pad's settings and the channel read as their displays do.
    valueDisplay(index, valueOfStep(k, steps), text, size);
}

int32_t KitInstrument::parameterGroup(int32_t index) const {
    if (!isKitParameter(index)) return -1;
    return index < kChannelIndex ? padOf(index) : kPads;
}

void KitInstrument::groupName(int32_t group, char* text, size_t size) const {
    if (group < 0 || group >= kGroupCount) return copyString(text, "", size);
    if (group == kPads) return copyString(text, "Kit", size);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "Pad %d", static_cast<int>(group + 1));
    copyString(text, buffer, size);
}

void KitInstrument::setParameter(int32_t index, float value) {
    // As DrumTamrik: NaN and infinities change nothing.
    if (!isKitParameter(index) || !std::isfinite(value)) return;
    const FloatingPointGuard fp;
    if (index == kChannelIndex)
        channel.set(value);
    else if (index == kVolumeIndex)
        volume.set(value);
    else
        pads[padOf(index)].set(slotOf(index), value);
}

float KitInstrument::getParameter(int32_t index) const {
    if (!isKitParameter(index)) return 0.0f;
    if (index == kChannelIndex) return channel.get();
    if (index == kVolumeIndex) return volume.get();
    return pads[padOf(index)].get(slotOf(index));
}

void KitInstrument::parameterDisplay(int32_t index, char* text, size_t size) const {
    valueDisplay(index, getParameter(index), text, size);
}

void KitInstrument::valueDisplay(int32_t index, float v, char* text, size_t size) const {
    if (!isKitParameter(index)) return copyString(text, "", size);
    if (const SettingInfo* setting = settingOf(index)) return setting->display(v, setting->decimals, text, size);
    formatParameterValue(v, text, size);
}

bool KitInstrument::valueFromText(int32_t index, const char* text, float& value) const {
    const SettingInfo* setting = settingOf(index);
    if (!setting || !text) return Instrument::valueFromText(index, text, value);
    const std::optional<float> v = setting->parse(text);
    if (v) value = *v;
    return v.has_value();
}

}  // namespace tamrik::kit
