// The layout is built in code, control by control, with the positions and
// sizes of the panel's design. A parameter's control is made from its row of
// the parameter table and bound there; the handlers, the refresh and the
// painting then read the same rows, so the conversions live in one place.
#include "editor/TForm1.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
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

}  // namespace

TForm1::TForm1(std::unique_ptr<Backend> backend, ParameterLink& synth, HitLink* sound)
    : TForm1(std::move(backend), synth, kFormHeight, sound, {1, 1, false}) {}

TForm1::TForm1(std::unique_ptr<Backend> backend, ParameterLink& synth, int height, HitLink* sound,
               HitRow::Activity activity)
    : TForm(std::move(backend), kWidth, height), Synth(synth) {
    Name = "Form1";
    BuildControls();
    Strip = new PresetStrip(this, kHeight, Synth, ComboBox6,
                            [this](int index, float value) { SendEdit(index, value); });
    Strip->OnScalePicked = [this](Scale scale) { ChooseScale(scale); };
    View = new HitRow(this, height - kRowHeight, sound, activity);
    View->HitName = [this] { return HitName(); };
    View->OnMessage = [this](std::string text) { Strip->ShowMessage(std::move(text)); };
    FormCreate(this);
    ComboBox6->OnChange = [this](TObject* sender) { ComboBox6Change(sender); };
    OnPaint = [this](TObject* sender) { FormPaint(sender); };
    OnInput = [this](TObject* sender) { FormInput(sender); };
    Strip->SetUserPresetDirectory(userPresetDirectory());
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
    Strip->Update();
    View->Refresh(HitSound(), HitValues());
    View->FeedMeters(GetBackend().NowMs());
    Repaint();
}

std::vector<float> TForm1::HitValues() {
    std::vector<float> values;
    for (int index = 0; index < kParameterCount; ++index) values.push_back(Synth.getParameter(index));
    return values;
}

std::string TForm1::HitName() { return Strip->SoundName().empty() ? "DrumTamrik" : Strip->SoundName(); }

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
    if (order >= 0 && order < Strip->PresetCount()) Strip->ChoosePreset(order);
}

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
    Strip->ShowReading(std::move(shown));
    Strip->Update();
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

// ---- another sound, another scale ----

void TForm1::ForgetSound() {
    for (int index = 0; index < kParameterCount; ++index) SyncParameter(index);
    Strip->Forget();
    Invalidate();
}

void TForm1::ChooseScale(Scale scale) {
    const Scale before = GetScale();
    if (scale == before) return;
    SetScale(scale);
    if (OnScaleChosen && !OnScaleChosen(scale)) {
        SetScale(before);
        Strip->ShowMessage("The host keeps the panel at " + std::to_string(before.Percent()) + " %");
    }
    Strip->Update();
}

}  // namespace tamrik
