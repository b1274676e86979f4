// The 22 parameters as data, one row each: every fact that differs from one
// parameter to the next lives here, and the engine, the programs, the editor,
// other plug-in bindings and the tests read it instead of listing the
// parameters again. The orders (program load, editor paint) are columns too;
// the sequences are derived from them, as is each control's conversion
// between a value and its state.
//
// The engine reads nothing of the editor columns; they are plain data, so
// the engine still depends on no GUI code.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tamrik {

// The enumerations and the table are laid out by hand, as tables.
// clang-format off
enum ParameterIndex : int32_t {
    kA, kH, kR, kCurve, kCutOff, kQ, kType, kEnv, kWave1, kWave2, kWeight, kW1Time,
    kW2Time, kW1Scale, kW2Scale, kOscMix, kRing, kFM, kVolume, kClip, kMulti, kOctave,
    kNumParameters
};

constexpr bool isParameterIndex(int32_t index) { return index >= 0 && index < kNumParameters; }

// The derived values a parameter recomputes when it is set. Parameters that
// share derived values share a group, so either of them recomputes both.
enum class DerivedGroup : int32_t {
    Attack, Hold, Release, Curve, Cutoff, Damping, FilterType, CutoffAndEnvDepth, Osc1Wave,
    Osc2Wave, FilterWeight, Sweep1, Sweep2, Mix, Ring, FM, Volume, Clip, Octave,
    None  // Multi: the renderer reads the value itself
};

// The kind of editor control that shows a parameter.
enum class ControlKind : int32_t { VerticalSlider, HorizontalSlider, Knob, List, CheckBox };

struct ParameterInfo {
    const char* name;      // as the host shows it
    float defaultValue;    // every program's value after construction
    int32_t programSlot;   // position in a program record (CutOff first, Octave last)
    int32_t loadStep;      // position in the order a program's values are set
    DerivedGroup updates;
    const char* control;   // the editor control that shows it
    ControlKind kind;
    int32_t paintStep;     // position in the order the editor's paint visits the controls
    // The captions the editor shows: a list's items (item i stands for the
    // value i / (count - 1)), a check box's caption; none for the others.
    std::span<const char* const> captions;
};

namespace captions {
inline constexpr const char* kCurve[] = {"Linear", "sqr", "sqrt"};
inline constexpr const char* kType[] = {"LowPass", "BandPass", "HighPass"};
inline constexpr const char* kWave[] = {"Sin", "Saw", "Sqr", "Tri", "Noise"};
inline constexpr const char* kWeight[] = {"Light", "Middle", "Heavy"};
inline constexpr const char* kRing[] = {"Ring Osc2"};
inline constexpr const char* kFM[] = {"FM Osc1"};
inline constexpr const char* kMulti[] = {"Multi"};
inline constexpr const char* kOctave[] = {"Oct +1", "Octave", "Oct -1"};
}  // namespace captions

// Indexed by ParameterIndex.
inline constexpr ParameterInfo kParameterTable[kNumParameters] = {
    //name      default slot load  updates                           control      kind                          paint captions
    {"A",       0.1f,   3,   4,    DerivedGroup::Attack,             "TrackBar3", ControlKind::VerticalSlider,   0,   {}},
    {"H",       0.1f,   4,   5,    DerivedGroup::Hold,               "TrackBar4", ControlKind::VerticalSlider,   1,   {}},
    {"R",       0.5f,   5,   7,    DerivedGroup::Release,            "TrackBar6", ControlKind::VerticalSlider,   2,   {}},
    {"Curve",   0.0f,   17,  6,    DerivedGroup::Curve,              "ComboBox5", ControlKind::List,             17,  captions::kCurve},
    {"CutOff",  0.5f,   0,   0,    DerivedGroup::Cutoff,             "Tsumami3",  ControlKind::Knob,             3,   {}},
    {"Q",       0.0f,   1,   1,    DerivedGroup::Damping,            "Tsumami4",  ControlKind::Knob,             4,   {}},
    {"Type",    0.0f,   2,   2,    DerivedGroup::FilterType,         "ComboBox3", ControlKind::List,             13,  captions::kType},
    {"Env",     0.5f,   6,   3,    DerivedGroup::CutoffAndEnvDepth,  "Tsumami5",  ControlKind::Knob,             5,   {}},
    {"Wave1",   0.0f,   7,   8,    DerivedGroup::Osc1Wave,           "ComboBox1", ControlKind::List,             6,   captions::kWave},
    {"Wave2",   0.0f,   8,   9,    DerivedGroup::Osc2Wave,           "ComboBox2", ControlKind::List,             7,   captions::kWave},
    {"Weight",  0.0f,   14,  15,   DerivedGroup::FilterWeight,       "ComboBox4", ControlKind::List,             14,  captions::kWeight},
    {"W1Time",  0.5f,   9,   10,   DerivedGroup::Sweep1,             "Tsumami1",  ControlKind::Knob,             8,   {}},
    {"W2Time",  0.5f,   10,  11,   DerivedGroup::Sweep2,             "Tsumami2",  ControlKind::Knob,             9,   {}},
    {"W1Scale", 0.5f,   11,  12,   DerivedGroup::Sweep1,             "Tsumami6",  ControlKind::Knob,             10,  {}},
    {"W2Scale", 0.5f,   12,  13,   DerivedGroup::Sweep2,             "Tsumami7",  ControlKind::Knob,             11,  {}},
    {"OscMix",  0.5f,   13,  14,   DerivedGroup::Mix,                "TrackBar1", ControlKind::HorizontalSlider, 12,  {}},
    {"Ring",    0.0f,   15,  16,   DerivedGroup::Ring,               "CheckBox1", ControlKind::CheckBox,         15,  captions::kRing},
    {"FM",      0.0f,   16,  17,   DerivedGroup::FM,                 "CheckBox2", ControlKind::CheckBox,         16,  captions::kFM},
    {"Volume",  0.5f,   18,  18,   DerivedGroup::Volume,             "TrackBar2", ControlKind::VerticalSlider,   18,  {}},
    {"Clip",    1.0f,   19,  19,   DerivedGroup::Clip,               "TrackBar5", ControlKind::VerticalSlider,   19,  {}},
    {"Multi",   0.0f,   20,  20,   DerivedGroup::None,               "CheckBox3", ControlKind::CheckBox,         20,  captions::kMulti},
    {"Octave",  1.0f,   21,  21,   DerivedGroup::Octave,             "ComboBox7", ControlKind::List,             21,  captions::kOctave},
};
// clang-format on

// The parameter indices sorted by one of the position columns. A column
// that holds some position twice, or one outside 0 to 21, does not compile.
constexpr std::array<int32_t, kNumParameters> parametersBy(int32_t ParameterInfo::*position) {
    std::array<int32_t, kNumParameters> order{};
    order.fill(-1);
    for (int32_t i = 0; i < kNumParameters; ++i) {
        const int32_t at = kParameterTable[i].*position;
        if (at < 0 || at >= kNumParameters || order[at] != -1)
            throw "every position column holds each position once";
        order[at] = i;
    }
    return order;
}

// CutOff before Env and the sweep times before their scales.
inline constexpr auto kProgramLoadOrder = parametersBy(&ParameterInfo::loadStep);
inline constexpr auto kPaintOrder = parametersBy(&ParameterInfo::paintStep);
static_assert(parametersBy(&ParameterInfo::programSlot).size() == kNumParameters);

// A control's state stands for the value state / steps (or 1 - state / steps
// where inverted: a vertical slider's top is 1.0); a check box is checked
// exactly when the value rounds to 1.
struct ControlScale {
    int32_t steps;
    bool inverted;
};

// A slider's positions run from 0 to 50, a knob's from 0 to 100.
inline constexpr int32_t kSliderSteps = 50;
inline constexpr int32_t kKnobSteps = 100;

constexpr ControlScale controlScale(const ParameterInfo& p) {
    switch (p.kind) {
        case ControlKind::VerticalSlider:
            return {kSliderSteps, true};
        case ControlKind::HorizontalSlider:
            return {kSliderSteps, false};
        case ControlKind::Knob:
            return {kKnobSteps, false};
        case ControlKind::List:
            return {static_cast<int32_t>(p.captions.size()) - 1, false};
        case ControlKind::CheckBox:
            return {1, false};
    }
    return {1, false};
}

}  // namespace tamrik
