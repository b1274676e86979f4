// The layout is built in code, control by control, with the positions and
// sizes of the panel's design. Every parameter control is bound through one
// table (index, scale, control), which the handlers, the refresh and the
// painting all read, so the conversions live in one place.
#include "editor/TForm1.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/RoundEven.h"
#include "editor/FactoryPresets.h"
#include "editor/Logo.h"

namespace tamrik {

using namespace tk;

namespace {

// The order in which FormPaint visits the controls.
constexpr std::array<int, TForm1::kParameterCount> kPaintOrder = {
    kA, kH, kR, kCutOff, kQ, kEnv, kWave1, kWave2, kW1Time, kW2Time, kW1Scale,
    kW2Scale, kOscMix, kType, kWeight, kRing, kFM, kCurve, kVolume, kClip, kMulti, kOctave};

const std::vector<std::string> kWaves{"Sin", "Saw", "Sqr", "Tri", "Noise"};

TGroupBox* Group(TWinControl* parent, const char* caption, int left, int top, int width, int height) {
    auto* box = new TGroupBox(parent);
    box->SetBounds(left, top, width, height);
    box->SetCaption(caption);
    return box;
}

TLabel* Text(TWinControl* parent, const char* caption, int left, int top, int width, bool atBottom = false) {
    auto* label = new TLabel(parent);
    label->SetBounds(left, top, width, 12);
    label->SetTextAtBottom(atBottom);
    label->SetCaption(caption);
    return label;
}

TComboBox* List(TWinControl* parent, int left, int top, int width, std::vector<std::string> items) {
    auto* list = new TComboBox(parent);
    list->SetBounds(left, top, width, 20);
    list->SetItems(std::move(items));
    list->SetItemIndex(0);
    return list;
}

TTsumami* Knob(TWinControl* parent, int left, int top, int position) {
    auto* knob = new TTsumami(parent);
    knob->SetBounds(left, top, 33, 33);
    knob->SetPosition(position);
    return knob;
}

TvTrackBar* Slider(TWinControl* parent, bool vertical, int left, int top, int position) {
    auto* bar = new TvTrackBar(parent);
    if (vertical) {
        bar->SetOrientation(TvTrackBarOrientation::trVertical);
        bar->SetPageSize(1);
    }
    bar->SetBounds(left, top, vertical ? 33 : 201, vertical ? 113 : 33);
    bar->SetMax(50);
    bar->SetFrequency(5);
    bar->SetTickMarks(TvTickMark::tmBoth);
    bar->SetThumbLength(15);
    bar->SetPosition(position);
    return bar;
}

TCheckBox* Switch(TWinControl* parent, const char* caption, int left, int top, int width) {
    auto* box = new TCheckBox(parent);
    box->SetBounds(left, top, width, 17);
    box->SetCaption(caption);
    return box;
}

// Steps per unit of parameter value, and whether the top of the control
// (position 0) stands for 1.0.
struct Steps {
    int perUnit;
    bool inverted;
};

Steps StepsOf(TForm1::Scale scale) {
    // In the order of TForm1::Scale.
    static constexpr Steps kSteps[] = {{50, true}, {50, false}, {100, false}, {2, false}, {4, false}, {1, false}};
    return kSteps[size_t(scale)];
}

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

Reading Read(TForm1::Scale scale, float v) {
    const Steps steps = StepsOf(scale);
    const int64_t n = roundEven64(Tame(v) * steps.perUnit);
    const float cached = float(n) / float(steps.perUnit);
    if (steps.perUnit == 1) return {n == 1 ? 1 : 0, cached};
    const int64_t state = steps.inverted ? steps.perUnit - n : n;
    return {int(std::clamp<int64_t>(state, 0, steps.perUnit)), cached};
}

int StateOf(const TTsumami* c) { return c->Position(); }
int StateOf(const TvTrackBar* c) { return c->Position(); }
int StateOf(const TComboBox* c) { return c->ItemIndex(); }
int StateOf(const TCheckBox* c) { return c->Checked() ? 1 : 0; }

// Whether the user holds the control, so that the refresh leaves it alone.
bool Held(const TTsumami* c) { return c->Adjusting(); }
bool Held(const TvTrackBar* c) { return c->Adjusting(); }
bool Held(const TComboBox* c) { return c->DroppedDown(); }
bool Held(const TCheckBox*) { return false; }

void SetState(TTsumami* c, int state) { c->SetPosition(state); }
void SetState(TvTrackBar* c, int state) { c->SetPosition(state); }
void SetState(TComboBox* c, int state) { c->SetItemIndex(state); }
void SetState(TCheckBox* c, int state) { c->SetChecked(state == 1); }

void Listen(TTsumami* c, const TNotifyEvent& handler) { c->OnChange = handler; }
void Listen(TvTrackBar* c, const TNotifyEvent& handler) { c->OnChange = handler; }
void Listen(TComboBox* c, const TNotifyEvent& handler) { c->OnChange = handler; }
void Listen(TCheckBox* c, const TNotifyEvent& handler) { c->OnClick = handler; }

}  // namespace

TForm1::TForm1(std::unique_ptr<Backend> backend, ParameterLink& synth)
    : TForm(std::move(backend), kWidth, kHeight), Synth(synth) {
    Name = "Form1";
    BuildControls();
    FormCreate(this);
    Bind(kA, Scale::InvertedSlider, TrackBar3, &TForm1::TrackBar3Change);
    Bind(kH, Scale::InvertedSlider, TrackBar4, &TForm1::TrackBar4Change);
    Bind(kR, Scale::InvertedSlider, TrackBar6, &TForm1::TrackBar6Change);
    Bind(kCurve, Scale::ThreeItems, ComboBox5, &TForm1::ComboBox5Change);
    Bind(kCutOff, Scale::Knob, Tsumami3, &TForm1::Tsumami3Change);
    Bind(kQ, Scale::Knob, Tsumami4, &TForm1::Tsumami4Change);
    Bind(kType, Scale::ThreeItems, ComboBox3, &TForm1::ComboBox3Change);
    Bind(kEnv, Scale::Knob, Tsumami5, &TForm1::Tsumami5Change);
    Bind(kWave1, Scale::FiveItems, ComboBox1, &TForm1::ComboBox1Change);
    Bind(kWave2, Scale::FiveItems, ComboBox2, &TForm1::ComboBox2Change);
    Bind(kWeight, Scale::ThreeItems, ComboBox4, &TForm1::ComboBox4Change);
    Bind(kW1Time, Scale::Knob, Tsumami1, &TForm1::Tsumami1Change);
    Bind(kW2Time, Scale::Knob, Tsumami2, &TForm1::Tsumami2Change);
    Bind(kW1Scale, Scale::Knob, Tsumami6, &TForm1::Tsumami6Change);
    Bind(kW2Scale, Scale::Knob, Tsumami7, &TForm1::Tsumami7Change);
    Bind(kOscMix, Scale::Slider, TrackBar1, &TForm1::TrackBar1Change);
    Bind(kRing, Scale::Switch, CheckBox1, &TForm1::CheckBox1Click);
    Bind(kFM, Scale::Switch, CheckBox2, &TForm1::CheckBox2Click);
    Bind(kVolume, Scale::InvertedSlider, TrackBar2, &TForm1::TrackBar2Change);
    Bind(kClip, Scale::InvertedSlider, TrackBar5, &TForm1::TrackBar5Change);
    Bind(kMulti, Scale::Switch, CheckBox3, &TForm1::CheckBox3Click);
    Bind(kOctave, Scale::ThreeItems, ComboBox7, &TForm1::ComboBox7Change);
    ComboBox6->OnChange = [this](TObject* sender) { ComboBox6Change(sender); };
    OnPaint = [this](TObject* sender) { FormPaint(sender); };
    Timer1 = std::make_unique<TTimer>(*this);
    Timer1->SetInterval(100);
    Timer1->OnTimer = [this](TObject* sender) { Timer1Timer(sender); };
}

// The timer goes before the controls, which the base destructor deletes.
TForm1::~TForm1() = default;

void TForm1::BuildControls() {
    GroupBox1 = Group(this, "Drum Tamrik v1.02", 0, 0, 505, 313);
    GroupBox1->SetCtl3D(false);

    GroupBox7 = Group(GroupBox1, "OSC", 8, 16, 265, 177);
    BuildOscillator(GroupBox7, 8, "Osc1", "Ring Osc2", {GroupBox5, ComboBox1, Tsumami1, Tsumami6, Label11, Label2, CheckBox1});
    BuildOscillator(GroupBox7, 136, "Osc2", "FM Osc1", {GroupBox6, ComboBox2, Tsumami2, Tsumami7, Label12, Label10, CheckBox2});
    Label1 = Text(GroupBox7, "Mix", 16, 144, 18);
    TrackBar1 = Slider(GroupBox7, false, 56, 136, 25);

    GroupBox4 = Group(GroupBox1, "Env", 280, 16, 121, 177);
    TrackBar3 = Slider(GroupBox4, true, 8, 16, 45);
    TrackBar4 = Slider(GroupBox4, true, 40, 16, 45);
    TrackBar6 = Slider(GroupBox4, true, 72, 16, 25);
    Label6 = Text(GroupBox4, "A", 16, 128, 8);
    Label7 = Text(GroupBox4, "H", 48, 128, 8);
    Label9 = Text(GroupBox4, "R", 80, 128, 8);
    ComboBox5 = List(GroupBox4, 8, 144, 97, {"Linear", "sqr", "sqrt"});

    GroupBox8 = Group(GroupBox1, "Amp", 408, 16, 89, 177);
    TrackBar2 = Slider(GroupBox8, true, 8, 16, 25);
    TrackBar5 = Slider(GroupBox8, true, 40, 16, 0);
    Label8 = Text(GroupBox8, "Vol", 16, 128, 17);
    Label13 = Text(GroupBox8, "Clip", 48, 128, 20);
    CheckBox3 = Switch(GroupBox8, "Multi", 8, 152, 65);

    GroupBox3 = Group(GroupBox1, "Filter", 8, 200, 265, 105);
    GroupBox2 = Group(GroupBox3, "Type", 8, 16, 129, 81);
    ComboBox3 = List(GroupBox2, 8, 16, 113, {"LowPass", "BandPass", "HighPass"});
    ComboBox4 = List(GroupBox2, 8, 48, 113, {"Light", "Middle", "Heavy"});
    Tsumami3 = Knob(GroupBox3, 144, 32, 50);
    Tsumami4 = Knob(GroupBox3, 184, 32, 0);
    Tsumami5 = Knob(GroupBox3, 224, 32, 50);
    Label3 = Text(GroupBox3, "CutOff", 144, 72, 34, true);
    Label4 = Text(GroupBox3, "Q", 192, 72, 8, true);
    Label5 = Text(GroupBox3, "Env", 232, 72, 19, true);

    ComboBox7 = List(GroupBox1, 280, 200, 97, {"Oct +1", "Octave", "Oct -1"});
    ComboBox6 = List(GroupBox1, 400, 200, 97, std::vector<std::string>(kPresetListItems.begin(), kPresetListItems.end()));
    ComboBox6->SetDropDownCount(20);
    Image1 = new TImage(GroupBox1);
    Image1->SetBounds(280, 232, 217, 73);
    Image1->SetPicture(DrawLogo(GetBackend()));
}

// The two oscillator groups share one layout.
void TForm1::BuildOscillator(TWinControl* parent, int left, const char* caption, const char* switchCaption,
                             OscillatorControls c) {
    c.group = Group(parent, caption, left, 16, 121, 113);
    c.wave = List(c.group, 8, 16, 105, kWaves);
    c.time = Knob(c.group, 16, 40, 50);
    c.scale = Knob(c.group, 64, 40, 50);
    c.timeLabel = Text(c.group, "Time", 16, 72, 25);
    c.scaleLabel = Text(c.group, "Scale", 64, 72, 28);
    c.modulation = Switch(c.group, switchCaption, 8, 88, 97);
}

void TForm1::Bind(int index, Scale scale, Control control, Handler handler) {
    bindings_[size_t(index)] = {scale, control};
    const TNotifyEvent event = [this, handler](TObject* sender) { (this->*handler)(sender); };
    std::visit([&](auto* c) { Listen(c, event); }, control);
}

// The defaults of a new program, which the controls' initial states show
// (all but ComboBox7, which the first paint moves).
void TForm1::FormCreate(TObject*) {
    for (int index = 0; index < kParameterCount; ++index) cache_[size_t(index)] = kParameterTable[index].defaultValue;
}

void TForm1::ParameterControlChange(int index) {
    const Binding& b = bindings_[size_t(index)];
    float& cached = cache_[size_t(index)];
    const int state = std::visit([](auto* c) { return StateOf(c); }, b.control);
    float v;
    if (b.scale == Scale::Switch) {
        // Compared as switch states: a cached 0.10 is "off" like 0.0.
        if ((state == 1) == (roundEven64(double(cached)) == 1)) return;
        v = state == 1 ? 1.0f : 0.0f;
    } else {
        const Steps steps = StepsOf(b.scale);
        v = float(steps.inverted ? steps.perUnit - state : state) / float(steps.perUnit);
        if (v == cached) return;
    }
    cached = v;
    Synth.setParameterAutomated(index, v);
}

void TForm1::Timer1Timer(TObject*) {
    for (int index = 0; index < kParameterCount; ++index) SyncParameter(index);
    Repaint();
}

void TForm1::SyncParameter(int index) {
    const float v = Synth.getParameter(index);
    if (index < 0 || index >= kParameterCount) return;
    const Binding& b = bindings_[size_t(index)];
    const Reading wanted = Read(b.scale, v);
    if (wanted.state == std::visit([](auto* c) { return StateOf(c); }, b.control)) return;
    cache_[size_t(index)] = wanted.cached;
}

void TForm1::FormPaint(TObject*) {
    for (int index : kPaintOrder) {
        const Binding& b = bindings_[size_t(index)];
        const int state = Read(b.scale, cache_[size_t(index)]).state;
        std::visit([state](auto* c) {
            if (StateOf(c) != state && !Held(c)) SetState(c, state);
        }, b.control);
    }
}

void TForm1::ComboBox6Change(TObject*) { LoadPreset(ComboBox6->ItemIndex()); }

void TForm1::LoadPreset(int position) {
    const FactoryPreset* preset = factoryPresetAtListPosition(position);
    if (!preset) return;
    for (int index = 0; index < kParameterCount; ++index)
        if (const auto& value = preset->values[size_t(index)]) Synth.setParameterAutomated(index, *value);
}

}  // namespace tamrik
