// The layout is built in code, control by control, with the positions and
// sizes of the panel's design. A parameter's control is made from its row of
// the parameter table and bound there; the handlers, the refresh and the
// painting then read the same rows, so the conversions live in one place.
#include "editor/TForm1.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "common/RoundEven.h"
#include "editor/ControlAccess.h"
#include "editor/ControlBuilders.h"
#include "editor/PresetList.h"
#include "editor/Logo.h"
#include "synth/ParameterText.h"

namespace tamrik {

using namespace tk;
using namespace builders;

namespace {

// The engine keeps host values as they come. Held to a span a little wider
// than 0..1 they still differ from every value a control can send, while
// the rounding below stays far from overflow and NaN reads as 0.
double Tame(float v) { return std::isnan(v) ? 0.0 : std::clamp(double(v), -1.0, 2.0); }

// The control state a parameter value calls for, held to the control's
// range, and the cached copy that stands for it.
struct Reading {
    int state;
    float cached;
};

Reading Read(int index, float v) {
    const ParameterInfo& p = kParameterTable[index];
    const ControlScale scale = controlScale(p);
    const int64_t n = roundEven64(Tame(v) * scale.steps);
    const float cached = float(n) / float(scale.steps);
    if (p.kind == ControlKind::CheckBox) return {n == 1 ? 1 : 0, cached};
    const int64_t state = scale.inverted ? scale.steps - n : n;
    return {int(std::clamp<int64_t>(state, 0, scale.steps)), cached};
}

int InitialState(ParameterIndex index) { return Read(index, kParameterTable[index].defaultValue).state; }

// As the instrument labels every parameter to the host.
constexpr const char* kParameterLabel = "/1";
constexpr const char* kGroupNames[kSoundGroupCount] = {"Osc", "Env", "Filter", "Amp"};

uint64_t FreshSeed() {
    return uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ 0x5DEECE66Dull;
}

}  // namespace

TForm1::TForm1(std::unique_ptr<Backend> backend, ParameterLink& synth) : TForm1(std::move(backend), synth, kFormHeight) {}

TForm1::TForm1(std::unique_ptr<Backend> backend, ParameterLink& synth, int height)
    : TForm(std::move(backend), kWidth, height), Synth(synth), random_(FreshSeed()) {
    Name = "Form1";
    BuildControls();
    BuildStrip();
    FormCreate(this);
    ComboBox6->OnChange = [this](TObject* sender) { ComboBox6Change(sender); };
    OnPaint = [this](TObject* sender) { FormPaint(sender); };
    OnInput = [this](TObject* sender) { FormInput(sender); };
    SetUserPresetDirectory(userPresetDirectory());
    Timer1 = std::make_unique<TTimer>(*this);
    Timer1->SetInterval(100);
    Timer1->OnTimer = [this](TObject* sender) { Timer1Timer(sender); };
}

// The timer goes before the controls, which the base destructor deletes;
// the gestures end an edit still open for the host.
TForm1::~TForm1() = default;

void TForm1::BuildControls() {
    GroupBox1 = Group(this, "Drum Tamrik v1.02", 0, 0, 505, 313);
    GroupBox1->SetCtl3D(false);

    GroupBox7 = Group(GroupBox1, "OSC", 8, 16, 265, 177);
    BuildOscillator(GroupBox7, 8, "Osc1", {kWave1, kW1Time, kW1Scale, kRing},
                    {GroupBox5, ComboBox1, Tsumami1, Tsumami6, Label11, Label2, CheckBox1});
    BuildOscillator(GroupBox7, 136, "Osc2", {kWave2, kW2Time, kW2Scale, kFM},
                    {GroupBox6, ComboBox2, Tsumami2, Tsumami7, Label12, Label10, CheckBox2});
    Label1 = Text(GroupBox7, "Mix", 16, 144, 18);
    TrackBar1 = Slider(GroupBox7, kOscMix, 56, 136);

    GroupBox4 = Group(GroupBox1, "Env", 280, 16, 121, 177);
    TrackBar3 = Slider(GroupBox4, kA, 8, 16);
    TrackBar4 = Slider(GroupBox4, kH, 40, 16);
    TrackBar6 = Slider(GroupBox4, kR, 72, 16);
    Label6 = Text(GroupBox4, "A", 16, 128, 8);
    Label7 = Text(GroupBox4, "H", 48, 128, 8);
    Label9 = Text(GroupBox4, "R", 80, 128, 8);
    ComboBox5 = List(GroupBox4, kCurve, 8, 144, 97);

    GroupBox8 = Group(GroupBox1, "Amp", 408, 16, 89, 177);
    TrackBar2 = Slider(GroupBox8, kVolume, 8, 16);
    TrackBar5 = Slider(GroupBox8, kClip, 40, 16);
    Label8 = Text(GroupBox8, "Vol", 16, 128, 17);
    Label13 = Text(GroupBox8, "Clip", 48, 128, 20);
    CheckBox3 = Switch(GroupBox8, kMulti, 8, 152, 65);

    GroupBox3 = Group(GroupBox1, "Filter", 8, 200, 265, 105);
    GroupBox2 = Group(GroupBox3, "Type", 8, 16, 129, 81);
    ComboBox3 = List(GroupBox2, kType, 8, 16, 113);
    ComboBox4 = List(GroupBox2, kWeight, 8, 48, 113);
    Tsumami3 = Knob(GroupBox3, kCutOff, 144, 32);
    Tsumami4 = Knob(GroupBox3, kQ, 184, 32);
    Tsumami5 = Knob(GroupBox3, kEnv, 224, 32);
    Label3 = Text(GroupBox3, "CutOff", 144, 72, 34, true);
    Label4 = Text(GroupBox3, "Q", 192, 72, 8, true);
    Label5 = Text(GroupBox3, "Env", 232, 72, 19, true);

    ComboBox7 = List(GroupBox1, kOctave, 280, 200, 97);
    ComboBox6 = builders::List(GroupBox1, 400, 200, 97,
                               std::vector<std::string>(kPresetListItems.begin(), kPresetListItems.end()));
    ComboBox6->SetDropDownCount(20);
    Image1 = new TImage(GroupBox1);
    Image1->SetBounds(280, 232, 217, 73);
    Image1->SetPictureSource([this](Scale scale) { return DrawLogo(GetBackend(), scale); });
}

// The two oscillator groups share one layout.
void TForm1::BuildOscillator(TWinControl* parent, int left, const char* caption, OscillatorParameters p,
                             OscillatorControls c) {
    c.group = Group(parent, caption, left, 16, 121, 113);
    c.wave = List(c.group, p.wave, 8, 16, 105);
    c.time = Knob(c.group, p.time, 16, 40);
    c.scale = Knob(c.group, p.scale, 64, 40);
    c.timeLabel = Text(c.group, "Time", 16, 72, 25);
    c.scaleLabel = Text(c.group, "Scale", 64, 72, 28);
    c.modulation = Switch(c.group, p.modulation, 8, 88, 97);
}

TTsumami* TForm1::Knob(TWinControl* parent, ParameterIndex index, int left, int top) {
    return Bind(index, ControlKind::Knob, builders::Knob(parent, left, top, InitialState(index)));
}

TvTrackBar* TForm1::Slider(TWinControl* parent, ParameterIndex index, int left, int top) {
    const bool vertical = kParameterTable[index].kind == ControlKind::VerticalSlider;
    return Bind(index, vertical ? ControlKind::VerticalSlider : ControlKind::HorizontalSlider,
                builders::Slider(parent, vertical, left, top, InitialState(index)));
}

TComboBox* TForm1::List(TWinControl* parent, ParameterIndex index, int left, int top, int width) {
    return Bind(index, ControlKind::List, builders::List(parent, left, top, width, kParameterTable[index].captions));
}

TCheckBox* TForm1::Switch(TWinControl* parent, ParameterIndex index, int left, int top, int width) {
    const auto& captions = kParameterTable[index].captions;
    return Bind(index, ControlKind::CheckBox,
                builders::Switch(parent, captions.empty() ? "" : captions[0], left, top, width));
}

template <typename C>
C* TForm1::Bind(ParameterIndex index, ControlKind kind, C* control) {
    const ParameterInfo& p = kParameterTable[index];
    // The layout and the table must agree on the kind of control.
    if (p.kind != kind) throw std::logic_error(std::string(p.name) + ": the table names another kind of control");
    control->Name = p.control;
    bindings_[size_t(index)] = control;
    Listen(control, [this, index](TObject*) { ParameterControlChange(index); });
    control->OnDblClick = [this, index](TObject*) { ResetToDefault(index); };
    control->OnMouseWheel = [this, index](TObject*, int notches, uint32_t) { Wheel(index, notches); };
    return control;
}

// The defaults of a new program, which the controls' initial states show
// (all but ComboBox7, which the first paint moves).
void TForm1::FormCreate(TObject*) {
    for (int index = 0; index < kParameterCount; ++index) cache_[size_t(index)] = kParameterTable[index].defaultValue;
}

void TForm1::ParameterControlChange(int index) {
    const ParameterInfo& p = kParameterTable[index];
    float& cached = cache_[size_t(index)];
    const int state = std::visit([](auto* c) { return StateOf(c); }, bindings_[size_t(index)]);
    float v;
    if (p.kind == ControlKind::CheckBox) {
        // Compared as switch states: a cached 0.10 is "off" like 0.0.
        if ((state == 1) == (roundEven64(double(cached)) == 1)) return;
        v = state == 1 ? 1.0f : 0.0f;
    } else {
        const ControlScale scale = controlScale(p);
        v = float(scale.inverted ? scale.steps - state : state) / float(scale.steps);
        if (v == cached) return;
    }
    cached = v;
    SendFromControl(index, v);
}

void TForm1::Timer1Timer(TObject*) {
    for (int index = 0; index < kParameterCount; ++index) SyncParameter(index);
    CloseFinishedEdits();
    UpdateStrip();
    Repaint();
}

void TForm1::SyncParameter(int index) {
    const float v = Synth.getParameter(index);
    if (index < 0 || index >= kParameterCount) return;
    const Reading wanted = Read(index, v);
    if (wanted.state == std::visit([](auto* c) { return StateOf(c); }, bindings_[size_t(index)])) return;
    cache_[size_t(index)] = wanted.cached;
}

void TForm1::FormPaint(TObject*) {
    for (int index : kPaintOrder) {
        const int state = Read(index, cache_[size_t(index)]).state;
        std::visit(
            [state](auto* c) {
                if (StateOf(c) != state && !Held(c)) SetState(c, state);
            },
            bindings_[size_t(index)]);
    }
}

void TForm1::ComboBox6Change(TObject*) { LoadPreset(ComboBox6->ItemIndex()); }

void TForm1::LoadPreset(int position) {
    const int order = position - kFirstPresetListPosition;
    if (order >= 0 && order < PresetCount()) ChoosePreset(order);
}

}  // namespace tamrik

namespace tamrik {

// ---- gestures and habits ----

int TForm1::ParameterOf(const TWinControl* control) const {
    for (const TWinControl* c = control; c; c = c->Parent())
        for (int index = 0; index < kParameterCount; ++index)
            if (std::visit([c](auto* bound) { return static_cast<const TWinControl*>(bound) == c; },
                           bindings_[size_t(index)]))
                return index;
    return -1;
}

bool TForm1::IsHeld(int index) const {
    return std::visit([](auto* c) { return Held(c); }, bindings_[size_t(index)]);
}

void TForm1::SendFromControl(int index, float value) { gestures_.Change(index, index, value); }

void TForm1::SendEdit(int index, float value) {
    gestures_.Set(index, index, value);
    cache_[size_t(index)] = Read(index, value).cached;
    Invalidate();
}

void TForm1::CloseFinishedEdits() {
    gestures_.EndReleased([this](int index) { return IsHeld(index); });
}

void TForm1::ResetToDefault(int index) { SendEdit(index, kParameterTable[index].defaultValue); }

void TForm1::Wheel(int index, int notches) {
    if (notches == 0) return;
    const ControlScale scale = controlScale(kParameterTable[index]);
    const Reading now = Read(index, Synth.getParameter(index));
    const int64_t n = std::clamp<int64_t>(roundEven64(double(now.cached) * scale.steps) + notches, 0, scale.steps);
    const float value = float(n) / float(scale.steps);
    if (value != now.cached) SendEdit(index, value);
}

void TForm1::FormInput(TObject*) {
    CloseFinishedEdits();
    std::string shown = HeldReadout();
    if (shown.empty()) shown = PointedReadout(HotControl());
    if (!shown.empty()) {
        messageShown_ = false;
        readout_ = std::move(shown);
    } else if (!messageShown_) {
        readout_.clear();
    }
    if (Readout->Caption() != readout_) Readout->SetCaption(readout_);
    UpdateStrip();
}

std::string TForm1::HeldReadout() {
    for (int index = 0; index < kParameterCount; ++index)
        if (IsHeld(index)) return ReadoutText(index);
    return {};
}

std::string TForm1::PointedReadout(const TWinControl* hot) {
    const int index = ParameterOf(hot);
    return index < 0 ? std::string() : ReadoutText(index);
}

std::string TForm1::ReadoutText(int index) {
    char display[kDisplaySize];
    formatParameterValue(Synth.getParameter(index), display, sizeof display);
    return ReadoutOf(kParameterTable[index].name, display, kParameterLabel);
}

std::string TForm1::ReadoutOf(const std::string& name, const std::string& display, const std::string& label) {
    return name + ": " + display + (label.empty() ? "" : " " + label);
}

void TForm1::ShowMessage(std::string text) {
    readout_ = std::move(text);
    messageShown_ = true;
    Readout->SetCaption(readout_);
}

// ---- the strip ----

void TForm1::BuildStrip() {
    Strip = new TWinControl(this);
    Strip->Name = "Strip";
    Strip->SetBounds(0, kHeight, kWidth, kStripHeight);
    Strip->SetCtl3D(false);
    auto button = [&](const char* caption, int left, int width, void (TForm1::*action)()) {
        auto* b = new TButton(Strip);
        b->SetBounds(left, 4, width, 20);
        b->SetCaption(caption);
        b->OnClick = [this, action](TObject*) { (this->*action)(); };
        return b;
    };
    PreviousButton = button("<", 8, 20, nullptr);
    PreviousButton->OnClick = [this](TObject*) { StepPreset(-1); };
    NextButton = button(">", 30, 20, nullptr);
    NextButton->OnClick = [this](TObject*) { StepPreset(1); };
    PresetTitle = Text(Strip, "", 56, 8, 172);
    SaveButton = button("Save", 232, 40, nullptr);
    SaveButton->OnClick = [this](TObject*) { SaveUserPreset(); };
    LoadButton = button("Load", 276, 40, nullptr);
    LoadButton->OnClick = [this](TObject*) { OpenLoadChooser(); };
    RandomButton = button("Random", 322, 54, &TForm1::Randomize);
    UndoButton = button("Undo", 380, 40, &TForm1::UndoRandomize);
    std::vector<std::string> scales;
    for (int percent : kScaleSteps) scales.push_back(std::to_string(percent) + " %");
    ScaleList = builders::List(Strip, 426, 4, 71, scales);
    ScaleList->Name = "ScaleList";
    ScaleList->OnChange = [this](TObject*) {
        if (ScaleList->ItemIndex() >= 0) ChooseScale(Scale(kScaleSteps[size_t(ScaleList->ItemIndex())]));
    };
    KeepLabel = Text(Strip, "Keep:", 8, 30, 30);
    const int keepLeft[kSoundGroupCount] = {40, 84, 128, 180}, keepWidth[kSoundGroupCount] = {42, 42, 50, 44};
    for (int g = 0; g < kSoundGroupCount; ++g) Keep[size_t(g)] = builders::Switch(Strip, kGroupNames[g], keepLeft[g], 28, keepWidth[g]);
    Readout = Text(Strip, "", 232, 30, 265);
    chooser_ = std::make_unique<FileChooser>(Strip, 232, 4, 265, kPresetExtension);
    FileList = chooser_->List();
    chooser_->OnChosen = [this](const std::filesystem::path& file) { LoadPresetFile(file); };
    chooser_->OnMessage = [this](std::string text) { ShowMessage(std::move(text)); };
    UpdateStrip();
}

std::string TForm1::PresetName(int order) const {
    if (order >= 0 && order < kFactoryCount) return std::string(kFactoryPresets[size_t(order)].name);
    if (order >= kFactoryCount && order < PresetCount()) return userPresets_[size_t(order - kFactoryCount)].preset.name;
    return {};
}

std::array<float, TForm1::kParameterCount> TForm1::CurrentValues() {
    std::array<float, kParameterCount> values{};
    for (int index = 0; index < kParameterCount; ++index) values[size_t(index)] = Synth.getParameter(index);
    return values;
}

void TForm1::ApplyValues(const std::array<float, kParameterCount>& values,
                         const std::array<bool, kParameterCount>& which) {
    for (int index = 0; index < kParameterCount; ++index)
        if (which[size_t(index)]) SendEdit(index, values[size_t(index)]);
}

void TForm1::ChoosePreset(int order) {
    if (order < 0 || order >= PresetCount()) return;
    std::array<float, kParameterCount> values{};
    std::array<bool, kParameterCount> which{};
    if (order < kFactoryCount) {
        const FactoryPreset& preset = kFactoryPresets[size_t(order)];
        for (int index = 0; index < kParameterCount; ++index)
            if (const auto& value = preset.values[size_t(index)]) {
                values[size_t(index)] = *value;
                which[size_t(index)] = true;
            }
    } else {
        values = userPresets_[size_t(order - kFactoryCount)].preset.values;
        which.fill(true);
    }
    ApplyValues(values, which);
    current_ = order;
    titleName_ = PresetName(order);
    hasReference_ = true;
    presetValues_ = CurrentValues();
    ComboBox6->SetItemIndex(kFirstPresetListPosition + order);
    UpdateStrip();
}

void TForm1::StepPreset(int delta) {
    const int count = PresetCount();
    if (count == 0) return;
    const int next = current_ < 0 ? (delta > 0 ? 0 : count - 1) : ((current_ + delta) % count + count) % count;
    ChoosePreset(next);
}

bool TForm1::PresetModified() { return hasReference_ && CurrentValues() != presetValues_; }

void TForm1::UpdateStrip() {
    const std::string title = hasReference_ ? titleName_ + (PresetModified() ? "  (changed)" : "") : "(no preset)";
    if (PresetTitle->Caption() != title) PresetTitle->SetCaption(title);
    if (UndoButton->Enabled() != beforeRandom_.has_value()) UndoButton->SetEnabled(beforeRandom_.has_value());
    const int scaleItem = int(std::find(kScaleSteps.begin(), kScaleSteps.end(), GetScale().Percent()) - kScaleSteps.begin());
    if (ScaleList->ItemIndex() != scaleItem && !ScaleList->DroppedDown()) ScaleList->SetItemIndex(scaleItem);
}

void TForm1::SetUserPresetDirectory(std::filesystem::path directory) {
    const std::filesystem::path currentPath =
        current_ >= kFactoryCount ? userPresets_[size_t(current_ - kFactoryCount)].path : std::filesystem::path();
    userDirectory_ = std::move(directory);
    ReadUserPresets();
    if (current_ >= kFactoryCount) {
        current_ = -1;
        for (size_t i = 0; i < userPresets_.size(); ++i)
            if (userPresets_[i].path == currentPath) current_ = kFactoryCount + int(i);
    }
}

void TForm1::ReadUserPresets() {
    userPresets_.clear();
    std::error_code ec;
    if (!userDirectory_.empty() && std::filesystem::is_directory(userDirectory_, ec))
        for (const auto& entry : std::filesystem::directory_iterator(userDirectory_, ec)) {
            if (entry.path().extension() != kPresetExtension) continue;
            PresetReading reading = readPresetFile(entry.path());
            if (reading.preset) userPresets_.push_back({entry.path(), std::move(*reading.preset)});
        }
    std::sort(userPresets_.begin(), userPresets_.end(), [](const UserPreset& a, const UserPreset& b) {
        return a.preset.name != b.preset.name ? a.preset.name < b.preset.name : a.path < b.path;
    });
    std::vector<std::string> items(kPresetListItems.begin(), kPresetListItems.end());
    for (const UserPreset& p : userPresets_) items.push_back(p.preset.name);
    const int selected = ComboBox6->ItemIndex();
    ComboBox6->SetItems(items);
    ComboBox6->SetItemIndex(selected < int(items.size()) ? selected : 0);
}

std::filesystem::path TForm1::SaveUserPreset() {
    if (userDirectory_.empty()) {
        ShowMessage("No folder for user presets (no home folder)");
        return {};
    }
    const std::string base = hasReference_ ? titleName_ : "My sound";
    PresetValues preset;
    preset.values = CurrentValues();
    std::filesystem::path path;
    std::error_code ec;
    for (int n = 1; n < 1000; ++n) {
        preset.name = (base.size() > kPresetNameMax - 4 ? base.substr(0, kPresetNameMax - 4) : base) + " " + std::to_string(n);
        path = userDirectory_ / presetFileName(preset.name);
        const bool taken = std::any_of(userPresets_.begin(), userPresets_.end(),
                                       [&](const UserPreset& p) { return p.preset.name == preset.name; });
        if (!taken && !std::filesystem::exists(path, ec)) break;
    }
    if (const std::string error = writePresetFile(path, preset); !error.empty()) {
        ShowMessage("Not saved: " + error);
        return {};
    }
    ReadUserPresets();
    for (size_t i = 0; i < userPresets_.size(); ++i)
        if (userPresets_[i].path == path) current_ = kFactoryCount + int(i);
    titleName_ = preset.name;
    hasReference_ = true;
    presetValues_ = preset.values;
    ComboBox6->SetItemIndex(kFirstPresetListPosition + current_);
    ShowMessage("Saved \"" + preset.name + "\"");
    UpdateStrip();
    return path;
}

bool TForm1::LoadPresetFile(const std::filesystem::path& path) {
    const PresetReading reading = readPresetFile(path);
    if (!reading.preset) {
        ShowMessage("Not loaded: " + path.filename().string() + ": " + reading.error);
        return false;
    }
    std::array<bool, kParameterCount> all{};
    all.fill(true);
    ApplyValues(reading.preset->values, all);
    current_ = -1;
    for (size_t i = 0; i < userPresets_.size(); ++i)
        if (userPresets_[i].path == path) current_ = kFactoryCount + int(i);
    ComboBox6->SetItemIndex(current_ >= 0 ? kFirstPresetListPosition + current_ : 0);
    titleName_ = reading.preset->name;
    hasReference_ = true;
    presetValues_ = CurrentValues();
    ShowMessage("Loaded \"" + reading.preset->name + "\"");
    UpdateStrip();
    return true;
}

void TForm1::OpenLoadChooser(std::filesystem::path folder) { chooser_->Open(folder, userDirectory_); }

void TForm1::Randomize() {
    std::array<bool, kSoundGroupCount> locked{};
    for (int g = 0; g < kSoundGroupCount; ++g) locked[size_t(g)] = Keep[size_t(g)]->Checked();
    const std::array<float, kParameterCount> before = CurrentValues();
    const std::array<float, kParameterCount> drawn = random_.Draw(before, locked);
    std::array<bool, kParameterCount> changed{};
    for (int index = 0; index < kParameterCount; ++index) changed[size_t(index)] = drawn[size_t(index)] != before[size_t(index)];
    beforeRandom_ = before;
    ApplyValues(drawn, changed);
    UpdateStrip();
}

void TForm1::UndoRandomize() {
    if (!beforeRandom_) return;
    const std::array<float, kParameterCount> now = CurrentValues();
    std::array<bool, kParameterCount> changed{};
    for (int index = 0; index < kParameterCount; ++index)
        changed[size_t(index)] = now[size_t(index)] != (*beforeRandom_)[size_t(index)];
    ApplyValues(*beforeRandom_, changed);
    beforeRandom_.reset();
    UpdateStrip();
}

void TForm1::ForgetSound() {
    for (int index = 0; index < kParameterCount; ++index) SyncParameter(index);
    current_ = -1;
    hasReference_ = false;
    beforeRandom_.reset();
    ComboBox6->SetItemIndex(0);
    UpdateStrip();
    Invalidate();
}

void TForm1::ChooseScale(Scale scale) {
    const Scale before = GetScale();
    if (scale == before) return;
    SetScale(scale);
    if (OnScaleChosen && !OnScaleChosen(scale)) {
        SetScale(before);
        ShowMessage("The host keeps the panel at " + std::to_string(before.Percent()) + " %");
    }
    UpdateStrip();
}

}  // namespace tamrik
