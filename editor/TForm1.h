// TForm1: the editor's one window, a borderless 505 x 313 panel with a
// control for each of the instrument's 22 parameters, the factory preset
// list and the logo, and below it the strip (PresetStrip: presets, random,
// scale, readout) and the hit row (HitRow: one hit of the sound drawn, its
// note and velocity, the activity lights, the export), which the form
// makes and owns like its other controls.
//
// The widgets keep the names the panel's design gives them; what each is:
//
//   GroupBox1   the whole panel, captioned with the name and version
//   GroupBox7   "OSC": the two oscillators and their mix
//     GroupBox5   "Osc1": ComboBox1 its wave (Wave1), Tsumami1 its pitch
//                 sweep's time (W1Time), Tsumami6 the sweep's scale (W1Scale),
//                 CheckBox1 "Ring Osc2" (Ring); Label11 "Time", Label2 "Scale"
//     GroupBox6   "Osc2": ComboBox2 (Wave2), Tsumami2 (W2Time), Tsumami7
//                 (W2Scale), CheckBox2 "FM Osc1" (FM); Label12, Label10
//     TrackBar1   the mix of the two (OscMix, horizontal); Label1 "Mix"
//   GroupBox4   "Env": TrackBar3 attack (A), TrackBar4 hold (H), TrackBar6
//               release (R), vertical; Label6, Label7, Label9; ComboBox5 the
//               envelope's curve (Curve)
//   GroupBox8   "Amp": TrackBar2 volume (Volume), TrackBar5 the clip stage
//               (Clip); Label8 "Vol", Label13 "Clip"; CheckBox3 the clip's
//               Multi mode (Multi)
//   GroupBox3   "Filter": Tsumami3 cutoff (CutOff), Tsumami4 resonance (Q),
//               Tsumami5 the envelope's depth on the cutoff (Env); Label3,
//               Label4, Label5
//     GroupBox2   "Type": ComboBox3 low, band or high pass (Type), ComboBox4
//                 the filter's weight, light to heavy (Weight)
//   ComboBox7   the octave (Octave)
//   ComboBox6   the preset list: a title, a separator, the factory presets,
//               then the user's (filled by the strip)
//   Image1      the logo
//   Timer1      the 100 ms refresh (Timer1Timer); it also begins and renders
//               the hit row's hit whenever the values changed
//
// Handlers: FormCreate fills the cache with the defaults, FormPaint moves
// the controls the cache disagrees with, Timer1Timer reads every parameter
// back, ComboBox6Change loads the preset picked. Where the design names a
// handler per control (Tsumami3Change, TrackBar3Change, ComboBox3Change,
// CheckBox1Click, ...), one ParameterControlChange(index) serves them all,
// its index the parameter's; the parameter table names each control, so
// kParameterTable[index].control is the widget's name.
//
// Habits of every parameter control: a double-click (or Ctrl-click) sets
// the default, the wheel steps it, Shift makes a drag ten times finer. Each
// gesture is bracketed by beginEdit/endEdit of its parameter (a
// GestureTracker keeps count). Moving a control sends its value through
// setParameterAutomated at once; a 100 ms timer reads every parameter back
// with getParameter and moves the controls that disagree. Those two calls
// are all the form ever asks of the instrument.
//
// A per-parameter cache pivots the two-way binding: a control's handler
// sends only when its value differs from the cached copy, and the refresh
// writes the cached copy before it moves a control, so nothing the refresh
// moves is sent back. Which control shows which parameter, its captions,
// its conversion and the paint order are columns of the parameter table
// (synth/ParameterTable.h); the form only places the controls.
//
// UI thread only, like every toolkit form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "controls/Tsumami.h"
#include "controls/vTrackBar.h"
#include "editor/GestureTracker.h"
#include "editor/HitLink.h"
#include "editor/HitRow.h"
#include "editor/ParameterLink.h"
#include "editor/PresetStrip.h"
#include "synth/ParameterTable.h"
#include "toolkit/Toolkit.h"

namespace tamrik {

class TForm1 : public tk::TForm {
public:
    static constexpr int kWidth = 505;
    static constexpr int kHeight = 313;  // the panel
    static constexpr int kStripHeight = PresetStrip::kHeight;
    // The panel and the strip, as they always were; the hit row below.
    static constexpr int kSoundHeight = kHeight + kStripHeight;
    static constexpr int kRowHeight = HitRow::kHeight;
    static constexpr int kFormHeight = kSoundHeight + kRowHeight;
    static constexpr int kParameterCount = kNumParameters;

    // The form is hidden and not yet in any window: see CreateParented.
    // Without a hit link the hit row has nothing to show; the rest works.
    TForm1(std::unique_ptr<tk::Backend> backend, ParameterLink& synth, HitLink* sound = nullptr);
    ~TForm1() override;

    // The form's whole height (the panel, the strip, what a form made from
    // this one adds below them, and the hit row).
    virtual int FormHeight() const { return kFormHeight; }

    ParameterLink& Synth;

    // Asked for by the design, kept as settings only: an embedded child
    // window shows whatever its parent draws where it is transparent, and at
    // 50 of 255 the panel would be all but invisible, so they are not
    // applied to the window.
    bool AlphaBlend = true;
    int AlphaBlendValue = 50;
    bool TransparentColor = true;
    tk::TColor TransparentColorValue = tk::RgbColor(0, 0, 0);

    tk::TGroupBox* GroupBox1;
    tk::TGroupBox* GroupBox7;
    tk::TGroupBox* GroupBox5;
    tk::TComboBox* ComboBox1;
    TTsumami* Tsumami1;
    TTsumami* Tsumami6;
    tk::TLabel* Label11;
    tk::TLabel* Label2;
    tk::TCheckBox* CheckBox1;
    tk::TGroupBox* GroupBox6;
    tk::TComboBox* ComboBox2;
    TTsumami* Tsumami2;
    TTsumami* Tsumami7;
    tk::TLabel* Label12;
    tk::TLabel* Label10;
    tk::TCheckBox* CheckBox2;
    tk::TLabel* Label1;
    TvTrackBar* TrackBar1;
    tk::TGroupBox* GroupBox4;
    TvTrackBar* TrackBar3;
    TvTrackBar* TrackBar4;
    TvTrackBar* TrackBar6;
    tk::TLabel* Label6;
    tk::TLabel* Label7;
    tk::TLabel* Label9;
    tk::TComboBox* ComboBox5;
    tk::TGroupBox* GroupBox8;
    TvTrackBar* TrackBar2;
    TvTrackBar* TrackBar5;
    tk::TLabel* Label8;
    tk::TLabel* Label13;
    tk::TCheckBox* CheckBox3;
    tk::TGroupBox* GroupBox3;
    tk::TGroupBox* GroupBox2;
    tk::TComboBox* ComboBox3;
    tk::TComboBox* ComboBox4;
    TTsumami* Tsumami3;
    TTsumami* Tsumami4;
    TTsumami* Tsumami5;
    tk::TLabel* Label3;
    tk::TLabel* Label4;
    tk::TLabel* Label5;
    tk::TComboBox* ComboBox7;
    tk::TComboBox* ComboBox6;
    tk::TImage* Image1;
    std::unique_ptr<tk::TTimer> Timer1;

    // Below the panel: presets, random, scale, readout.
    PresetStrip* Strip;
    // At the bottom: the hit, its note and velocity, activity, export.
    HitRow* View;

    // The cached copy of a parameter, by parameter index (0 to 21).
    float Cached(int index) const { return cache_[size_t(index)]; }

    void FormCreate(tk::TObject* sender);
    void FormPaint(tk::TObject* sender);
    void Timer1Timer(tk::TObject* sender);
    void ComboBox6Change(tk::TObject* sender);
    // The OnChange / OnClick handler of every parameter control: converts
    // the control's state, compares it with the cached copy and sends.
    void ParameterControlChange(int index);
    // Reads one parameter and, when its control disagrees, rewrites the
    // cached copy; the control itself moves at the next paint.
    void SyncParameter(int index);
    // Sends the preset at a position of ComboBox6's list (factory presets,
    // then user presets); the title, the separator and anything outside the
    // list do nothing.
    void LoadPreset(int position);

    // Name, display and label of a parameter, as the host shows them.
    std::string ReadoutText(int index);

    // The user picked a display scale; the form is already drawn at it.
    // Answers whether the host gave the window the new size; if not the
    // form goes back to the scale it had.
    std::function<bool(tk::Scale)> OnScaleChosen;
    void ChooseScale(tk::Scale scale);

protected:
    // A host's parameter text buffer: the readout cuts a value's text alike.
    static constexpr size_t kDisplaySize = 8;
    // A readout line: "name: display label".
    static std::string ReadoutOf(const std::string& name, const std::string& display, const std::string& label);
    // The readout for the parameter control the user holds, and for the
    // one under the mouse (hot); empty for none. A form with parameter
    // controls of its own adds them.
    virtual std::string HeldReadout();
    virtual std::string PointedReadout(const tk::TWinControl* hot);

    // A form with more below the strip: height is the whole form's, the
    // hit row at its bottom showing the activity of what it plays.
    TForm1(std::unique_ptr<tk::Backend> backend, ParameterLink& synth, int height, HitLink* sound,
           HitRow::Activity activity);
    // The sound the hit row shows, and every value its hit depends on.
    virtual int HitSound() { return 0; }
    virtual std::vector<float> HitValues();
    // The name an exported hit is given.
    virtual std::string HitName();
    // The values now stand for another sound (the Kit's next pad): the
    // controls follow at once, and the preset they came from and the undo
    // of a randomize are forgotten.
    void ForgetSound();
    // Ends the edits the panel's held controls keep open, before the
    // parameters they edit stand for another sound's.
    void EndGestures() { gestures_.EndAll(); }

private:
    using Control = std::variant<TTsumami*, TvTrackBar*, tk::TComboBox*, tk::TCheckBox*>;

    // Where an oscillator group's controls are to be stored.
    struct OscillatorControls {
        tk::TGroupBox*& group;
        tk::TComboBox*& wave;
        TTsumami*& time;
        TTsumami*& scale;
        tk::TLabel*& timeLabel;
        tk::TLabel*& scaleLabel;
        tk::TCheckBox*& modulation;
    };
    // The parameters an oscillator group's controls show.
    struct OscillatorParameters {
        ParameterIndex wave, time, scale, modulation;
    };

    void BuildControls();
    void BuildOscillator(tk::TWinControl* parent, int left, const char* caption, OscillatorParameters parameters,
                         OscillatorControls controls);
    // A parameter's control, made as its row of the table says (kind, name,
    // captions, the default's state) and bound to it.
    TTsumami* Knob(tk::TWinControl* parent, ParameterIndex index, int left, int top);
    TvTrackBar* Slider(tk::TWinControl* parent, ParameterIndex index, int left, int top);
    tk::TComboBox* List(tk::TWinControl* parent, ParameterIndex index, int left, int top, int width);
    tk::TCheckBox* Switch(tk::TWinControl* parent, ParameterIndex index, int left, int top, int width);
    template <typename C>
    C* Bind(ParameterIndex index, ControlKind kind, C* control);

    void FormInput(tk::TObject* sender);
    // The parameter a control (or one of its parts) shows; -1 for none.
    int ParameterOf(const tk::TWinControl* control) const;
    bool IsHeld(int index) const;
    // A value the user set through a control: begins the parameter's edit if
    // none is open (FormInput ends it once the control is let go).
    void SendFromControl(int index, float value);
    // A value set at once (default, wheel, preset, random): a whole edit,
    // and the control follows at the next paint.
    void SendEdit(int index, float value);
    void CloseFinishedEdits();
    void ResetToDefault(int index);
    void Wheel(int index, int notches);

    std::array<Control, kParameterCount> bindings_{};
    std::array<float, kParameterCount> cache_{};
    // By parameter index: the edit a held control keeps open.
    GestureTracker gestures_{Synth, kParameterCount};
};

}  // namespace tamrik
