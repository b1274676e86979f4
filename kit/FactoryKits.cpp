// Pads that keep their defaults name no sound; the open hat is the closed
// hat's sound with a longer release.
#include "kit/FactoryKits.h"

#include "synth/FactoryPresets.h"
#include "synth/ParameterText.h"

namespace tamrik::kit {

namespace {

// Pad p on its default key, name and group, playing `sound` at `pitch`.
constexpr FactoryKitPad pad(int32_t p, std::string_view sound, int32_t pitch, float level = 0.5f,
                            float pan = 0.5f, std::optional<float> release = std::nullopt) {
    return {kDefaultPadNames[size_t(p)], sound, kDefaultKeys[size_t(p)], pitch, level, pan,
            kDefaultChokeGroups[size_t(p)], release};
}

constexpr FactoryKit initKit() {
    FactoryKit kit{"Init", {}};
    for (int32_t p = 0; p < kPads; ++p) kit.pads[size_t(p)] = pad(p, "", kDefaultPitch);
    return kit;
}

}  // namespace

const std::array<FactoryKit, kFactoryKitCount> kFactoryKits = {{
    initKit(),
    {"Standard",
     {pad(0, "StdBD1", 60), pad(1, "H_Snare", 60), pad(2, "CHH", 72, 0.45f, 0.6f),
      pad(3, "CHH", 70, 0.45f, 0.6f, 0.45f), pad(4, "Z_Snare", 64, 0.5f, 0.45f),
      pad(5, "Q_Snare", 79, 0.45f), pad(6, "CHH", 66, 0.4f, 0.6f), pad(7, "Metalic", 60, 0.4f, 0.35f),
      pad(8, "Metalic", 74, 0.35f, 0.65f), pad(9, "MoMoMon", 45, 0.5f, 0.35f),
      pad(10, "MoMoMon", 48, 0.5f, 0.4f), pad(11, "MoMoMon", 52, 0.5f, 0.45f),
      pad(12, "MoMoMon", 55, 0.5f, 0.55f), pad(13, "MoMoMon", 59, 0.5f, 0.6f),
      pad(14, "MoMoMon", 62, 0.5f, 0.65f), pad(15, "Computer", 76, 0.4f)}},
    {"Electro",
     {pad(0, "RezKick", 60), pad(1, "Z_Snare", 62), pad(2, "CHH", 76, 0.45f, 0.6f),
      pad(3, "CHH", 74, 0.45f, 0.6f, 0.5f), pad(4, "Slash", 60, 0.45f, 0.45f),
      pad(5, "Computer", 84, 0.4f), pad(6, "CHH", 70, 0.4f, 0.6f), pad(7, "RingFM", 60, 0.4f, 0.35f),
      pad(8, "kyuum", 72, 0.35f, 0.65f), pad(9, "BassLine", 36, 0.5f, 0.35f),
      pad(10, "BassLine", 40, 0.5f, 0.4f), pad(11, "BassLine", 43, 0.5f, 0.45f),
      pad(12, "BassLine", 47, 0.5f, 0.55f), pad(13, "BassLine", 50, 0.5f, 0.6f),
      pad(14, "BassLine", 55, 0.5f, 0.65f), pad(15, "RingFM", 79, 0.4f)}},
    {"Industrial",
     {pad(0, "P_Kick", 60), pad(1, "Slash", 58), pad(2, "Metalic", 84, 0.4f, 0.6f),
      pad(3, "Metalic", 80, 0.4f, 0.6f, 0.5f), pad(4, "Animal", 60, 0.45f, 0.45f),
      pad(5, "Computer", 72, 0.4f), pad(6, "Metalic", 76, 0.35f, 0.6f), pad(7, "RingFM", 55, 0.4f, 0.35f),
      pad(8, "RingFM", 67, 0.35f, 0.65f), pad(9, "kyuum", 43, 0.5f, 0.35f),
      pad(10, "kyuum", 46, 0.5f, 0.4f), pad(11, "kyuum", 50, 0.5f, 0.45f),
      pad(12, "kyuum", 53, 0.5f, 0.55f), pad(13, "kyuum", 57, 0.5f, 0.6f),
      pad(14, "kyuum", 60, 0.5f, 0.65f), pad(15, "Metalic", 90, 0.35f)}},
    {"Percussion",
     {pad(0, "MoMoMon", 40), pad(1, "Q_Snare", 67), pad(2, "CHH", 79, 0.4f, 0.65f),
      pad(3, "CHH", 77, 0.4f, 0.65f, 0.4f), pad(4, "Animal", 67, 0.45f, 0.4f),
      pad(5, "Computer", 88, 0.4f, 0.55f), pad(6, "CHH", 74, 0.35f, 0.65f),
      pad(7, "Metalic", 67, 0.35f, 0.3f), pad(8, "kyuum", 79, 0.35f, 0.7f),
      pad(9, "MoMoMon", 52, 0.5f, 0.25f), pad(10, "MoMoMon", 57, 0.5f, 0.35f),
      pad(11, "MoMoMon", 62, 0.5f, 0.45f), pad(12, "MoMoMon", 67, 0.5f, 0.55f),
      pad(13, "MoMoMon", 72, 0.5f, 0.65f), pad(14, "MoMoMon", 76, 0.5f, 0.75f),
      pad(15, "Computer", 81, 0.4f, 0.6f)}},
}};

}  // namespace tamrik::kit

namespace tamrik::kit {

KitSnapshot factoryKitSnapshot(int32_t k) {
    const FactoryKit& kit = kFactoryKits[size_t(k)];
    KitSnapshot snapshot;
    snapshot.name = kit.name;
    for (int32_t p = 0; p < kPads; ++p) {
        const FactoryKitPad& fp = kit.pads[size_t(p)];
        float* values = snapshot.values.data() + padIndex(p, 0);
        for (int32_t i = 0; i < kSoundParameters; ++i) values[i] = kParameterTable[i].defaultValue;
        if (const FactoryPreset* preset = findFactoryPreset(fp.sound))
            for (int32_t i = 0; i < kSoundParameters; ++i)
                if (preset->values[size_t(i)]) values[i] = *preset->values[size_t(i)];
        if (fp.release) values[kR] = *fp.release;
        float* settings = values + kSoundParameters;
        for (int32_t s = 0; s < kPadSettings; ++s) settings[s] = kPadSettingTable[size_t(s)].defaultOf(p);
        settings[kKey] = valueOfStep(fp.key, kPadSettingTable[kKey].steps);
        settings[kPitch] = valueOfStep(fp.pitch, kPadSettingTable[kPitch].steps);
        settings[kLevel] = fp.level;
        settings[kPan] = fp.pan;
        settings[kChoke] = valueOfStep(fp.choke, kPadSettingTable[kChoke].steps);
        snapshot.padNames[size_t(p)] = fp.name;
    }
    for (int32_t i = kChannelIndex; i < kKitParameters; ++i)
        snapshot.values[size_t(i)] = kKitWideTable[size_t(i - kChannelIndex)].defaultOf(-1);
    return snapshot;
}

std::optional<int32_t> factoryKitNamed(std::string_view name) {
    for (int32_t k = 0; k < kFactoryKitCount; ++k)
        if (sameTextIgnoringCase(name, kFactoryKits[size_t(k)].name)) return k;
    return std::nullopt;
}

}  // namespace tamrik::kit
