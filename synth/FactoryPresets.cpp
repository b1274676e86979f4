// The factory preset table. Values are written as two-place decimals; the
// compiler turns each into the nearest float, which is what the presets send.
#include "synth/FactoryPresets.h"

namespace tamrik {

namespace {
constexpr std::optional<float> kUnchanged = std::nullopt;
}  // namespace

// Each row in parameter index order:
//   A, H, R, Curve, CutOff, Q, Type, Env, Wave1, Wave2, Weight,
//   W1Time, W2Time, W1Scale, W2Scale, OscMix, Ring, FM, Volume, Clip, Multi, Octave.
// "CHH" sends 0.10 for FM on purpose: it rounds to off.
const std::array<FactoryPreset, kFactoryPresetCount> kFactoryPresets = {{
    {"AllReset",
     {0.10f, 0.10f, 0.50f, 0.00f, 0.50f, 0.00f, 0.00f, 0.50f, 0.00f, 0.00f, 0.00f,
      0.50f, 0.50f, 0.50f, 0.50f, 0.50f, 0.00f, 0.00f, 0.50f, 1.00f, 0.00f, 1.00f}},
    {"RingFM",
     {0.00f, 0.00f, 0.34f, 0.50f, 0.40f, 0.00f, 1.00f, 1.00f, 0.00f, 0.75f, 1.00f,
      0.30f, 1.00f, 0.45f, 0.70f, 0.50f, 1.00f, 1.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"BassLine",
     {0.00f, 0.00f, 0.30f, 1.00f, 0.95f, 0.95f, 0.00f, 1.00f, 0.25f, 0.00f, 0.50f,
      0.10f, 1.00f, 0.40f, 0.00f, 0.40f, 0.00f, 1.00f, kUnchanged, 1.00f, 0.00f, 0.00f}},
    {"Slash",
     {0.26f, 0.36f, 0.38f, 0.50f, 0.80f, 0.95f, 0.50f, 1.00f, 1.00f, 0.00f, 0.00f,
      0.35f, 0.35f, 0.50f, 0.50f, 0.00f, 0.00f, 0.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"StdBD1",
     {0.00f, 0.30f, 0.32f, 0.50f, 0.60f, 0.00f, 0.00f, 0.00f, 0.00f, 0.00f, 1.00f,
      0.15f, 0.15f, 0.40f, 0.40f, 0.50f, 0.00f, 0.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"P_Kick",
     {0.08f, 0.32f, 0.48f, 0.00f, 0.10f, 0.60f, 0.00f, 0.60f, 0.00f, 0.00f, 1.00f,
      0.15f, 0.05f, 0.30f, 0.45f, 0.08f, 0.00f, 1.00f, kUnchanged, 0.68f, 0.00f, 0.50f}},
    {"H_Snare",
     {0.10f, 0.02f, 0.50f, 0.50f, 0.15f, 0.80f, 1.00f, 0.60f, 1.00f, 0.75f, 1.00f,
      0.05f, 0.70f, 0.30f, 0.20f, 0.70f, 0.00f, 1.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"Q_Snare",
     {0.00f, 0.00f, 0.46f, 0.50f, 0.45f, 0.95f, 1.00f, 0.00f, 0.00f, 1.00f, 0.00f,
      0.30f, 0.35f, 0.60f, 0.75f, 1.00f, 0.00f, 1.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"Z_Snare",
     {0.00f, 0.10f, 0.42f, 0.50f, 0.45f, 0.75f, 0.50f, 0.00f, 1.00f, 1.00f, 1.00f,
      1.00f, 0.30f, 0.80f, 1.00f, 0.50f, 1.00f, 1.00f, kUnchanged, 0.60f, 1.00f, 0.50f}},
    {"MoMoMon",
     {0.42f, 0.30f, 0.46f, 1.00f, 0.15f, 0.60f, 0.00f, 0.70f, 0.25f, 0.75f, 1.00f,
      0.90f, 0.10f, 0.50f, 0.30f, 0.50f, 1.00f, 0.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"RezKick",
     {0.00f, 0.30f, 0.30f, 0.50f, 0.40f, 0.95f, 0.00f, 0.00f, 0.50f, 0.00f, 0.50f,
      0.20f, 0.15f, 0.35f, 0.40f, 0.20f, 0.00f, 0.00f, kUnchanged, 1.00f, 0.00f, 0.50f}},
    {"Metalic",
     {0.00f, 0.00f, 0.38f, 0.50f, 1.00f, 0.70f, 1.00f, 1.00f, 0.50f, 0.50f, 0.00f,
      0.80f, 0.20f, 0.70f, 0.10f, 0.80f, 1.00f, 1.00f, kUnchanged, 0.12f, 1.00f, 0.00f}},
    {"kyuum",
     {0.00f, 0.24f, 0.66f, 0.50f, 1.00f, 0.95f, 1.00f, 0.40f, 0.50f, 1.00f, 1.00f,
      0.30f, 0.00f, 0.40f, 0.50f, 1.00f, 0.00f, 1.00f, kUnchanged, 0.76f, 1.00f, 0.50f}},
    {"Computer",
     {0.00f, 0.00f, 0.22f, 1.00f, 1.00f, 0.00f, 0.00f, 1.00f, 0.50f, 0.00f, 1.00f,
      0.85f, 0.25f, 0.75f, 0.30f, 0.50f, 1.00f, 1.00f, kUnchanged, 1.00f, 0.00f, 1.00f}},
    {"CHH",
     {0.00f, 0.00f, 0.28f, 0.50f, 1.00f, 0.00f, 1.00f, 0.00f, 1.00f, 1.00f, 1.00f,
      0.40f, 0.40f, 0.05f, 0.10f, 0.50f, 1.00f, 0.10f, kUnchanged, 0.68f, 0.00f, 0.00f}},
    {"Animal",
     {0.00f, 0.00f, 0.28f, 1.00f, 0.55f, 0.95f, 0.00f, 1.00f, 0.00f, 0.50f, 0.50f,
      0.15f, 0.50f, 0.45f, 0.40f, 1.00f, 0.00f, 1.00f, kUnchanged, 1.00f, 0.00f, 0.00f}},
}};

const FactoryPreset* findFactoryPreset(std::string_view name) {
    for (const FactoryPreset& preset : kFactoryPresets)
        if (preset.name == name) return &preset;
    return nullptr;
}

}  // namespace tamrik
