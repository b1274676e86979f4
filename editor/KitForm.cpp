// The kit area sits below the strip, inside a group of its own, so that
// the sound panel above stays pixel for pixel DrumTamrik's. Pad settings
// are sent as whole edits except a knob's drag, which stays one edit until
// the knob is let go.
#include "editor/KitForm.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "common/RoundEven.h"
#include "editor/ControlAccess.h"
#include "editor/ControlBuilders.h"
#include "editor/PresetFile.h"
#include "kit/FactoryKits.h"
#include "kit/KitFile.h"
#include "kit/PadSettings.h"

namespace tamrik {

using namespace tk;
using namespace kit;

namespace {

constexpr int kKnobSteps = 100;

// The steps of each pad setting's control: its states run from 0 to steps
// (a list's items, the check box's off and on, a knob's positions for the
// continuous ones).
int StepsOf(PadSetting s) {
    const int steps = kPadSettingTable[size_t(s)].steps;
    return steps > 0 ? steps : kKnobSteps;
}

int SettingState(PadSetting s, float v) {
    if (s == kMute) return switchOn(v) ? 1 : 0;
    return clampInt(roundEven(double(v) * StepsOf(s)), 0, StepsOf(s));
}

float ValueOf(PadSetting s, int state) { return valueOfStep(state, StepsOf(s)); }

// A list's items: what the instrument displays for each of its values.
std::vector<std::string> SettingItems(PadSetting s) {
    const SettingInfo& setting = kPadSettingTable[size_t(s)];
    std::vector<std::string> items;
    for (int k = 0; k <= setting.steps; ++k) {
        char text[32];
        setting.display(valueOfStep(k, setting.steps), setting.decimals, text, sizeof text);
        items.push_back(text);
    }
    return items;
}

}  // namespace

KitForm::KitForm(std::unique_ptr<Backend> backend, ParameterLink& kit, KitControls& controls, HitLink* sound)
    : PadLink(kit),
      TForm1(std::move(backend), static_cast<PadLink&>(*this), kKitFormHeight, sound, {kPads, 1 + kAuxPairs, true}),
      Kit(kit), Extras(controls) {
    BuildKitArea();
    View->KitName = [this] { return HitKitName(); };
    // A pad plays its own Pitch, whatever note strikes it: the row shows it.
    View->NoteList->SetEnabled(false);
    for (int p = 0; p < kPads; ++p) hitsSeen_[size_t(p)] = Extras.hitCount(p);
    SelectPad(0);
    KitTimer = std::make_unique<TTimer>(*this);
    KitTimer->SetInterval(40);
    KitTimer->OnTimer = [this](TObject* sender) { KitTimerTimer(sender); };
}

// The gestures end an edit still open for the host.
KitForm::~KitForm() = default;

void KitForm::BuildKitArea() {
    using builders::Text;
    KitBox = builders::Group(this, "Kit", 0, kKitTop, kWidth, kKitHeight);
    KitBox->SetCtl3D(false);
    for (int p = 0; p < kPads; ++p) {
        auto* pad = new PadButton(KitBox, p + 1);
        pad->SetBounds(8 + (p % 8) * 61, 16 + (p / 8) * 32, 57, 30);
        pad->OnSelect = [this, p](TObject*) { SelectPad(p); };
        pad->OnAudition = [this, p](TObject*) { AuditionPad(p); };
        pad->OnRename = [this, p](TObject*) {
            SelectPad(p);
            StartRename();
        };
        Pads[size_t(p)] = pad;
    }
    Text(KitBox, "Key", 8, 82, 60);
    KeyList = SettingList(kKey, 8, 62, SettingItems(kKey));
    LearnButton = new TButton(KitBox);
    LearnButton->SetBounds(72, 96, 40, 20);
    LearnButton->SetCaption("Learn");
    LearnButton->OnClick = [this](TObject*) { StartLearn(); };
    Text(KitBox, "Pitch", 118, 82, 60);
    PitchList = SettingList(kPitch, 118, 62, SettingItems(kPitch));
    Text(KitBox, "Output", 186, 82, 56);
    OutputList = SettingList(kOutput, 186, 56, SettingItems(kOutput));
    Text(KitBox, "Choke", 248, 82, 62);
    ChokeList = SettingList(kChoke, 248, 62, SettingItems(kChoke));
    LevelKnob = SettingKnob(kLevel, 318, "Level");
    PanKnob = SettingKnob(kPan, 360, "Pan");
    VelocityKnob = SettingKnob(kVelocity, 402, "Vel");
    MuteBox = BindSetting(kMute, builders::Switch(KitBox, "Mute", 446, 97, 54));

    PadTitle = Text(KitBox, "", 8, 126, 140);
    NameEdit = new TEdit(KitBox);
    NameEdit->SetBounds(8, 122, 140, 20);
    NameEdit->Hide();
    NameEdit->OnAccept = [this](TObject*) { FinishRename(true); };
    NameEdit->OnCancel = [this](TObject*) { FinishRename(false); };
    KitMenu = builders::List(KitBox, 152, 122, 150, std::vector<std::string>{""});
    KitMenu->SetDropDownCount(12);
    KitMenu->OnChange = [this](TObject*) { MenuChosen(KitMenu->ItemIndex()); };
    KitMessage = Text(KitBox, "", 308, 126, 189);
    kitChooser_ = std::make_unique<FileChooser>(KitBox, 152, 122, 345, kKitExtension);
    KitFileList = kitChooser_->List();
    kitChooser_->OnChosen = [this](const std::filesystem::path& file) { LoadKitFile(file); };
    kitChooser_->OnMessage = [this](std::string text) { ShowKitMessage(std::move(text)); };
    kitDirectory_ = userKitDirectory();
    RefreshNames();
}

TComboBox* KitForm::SettingList(PadSetting setting, int left, int width, std::vector<std::string> items) {
    TComboBox* list = builders::List(KitBox, left, 96, width, std::move(items));
    list->SetDropDownCount(16);
    return BindSetting(setting, list);
}

TTsumami* KitForm::SettingKnob(PadSetting setting, int left, const char* caption) {
    const float initial = Extras.parameterDefault(padIndex(0, kSoundParameters + setting));
    TTsumami* knob = builders::Knob(KitBox, left, 82, SettingState(setting, initial));
    builders::Text(KitBox, caption, left, 116, 40, true);
    return BindSetting(setting, knob);
}

template <typename C>
C* KitForm::BindSetting(PadSetting setting, C* control) {
    settings_[size_t(setting)] = control;
    Listen(control, [this, setting](TObject*) { SettingChanged(setting); });
    control->OnDblClick = [this, setting](TObject*) { ResetSetting(setting); };
    control->OnMouseWheel = [this, setting](TObject*, int notches, uint32_t) { WheelSetting(setting, notches); };
    return control;
}

int32_t KitForm::SettingIndex(PadSetting setting) const { return padIndex(Pad(), kSoundParameters + setting); }

bool KitForm::SettingHeld(PadSetting setting) const {
    return std::visit([](auto* c) { return Held(c); }, settings_[size_t(setting)]);
}

void KitForm::SendSetting(PadSetting setting, float value) {
    gestures_.Set(setting, SettingIndex(setting), value);
    RefreshSettings();
}

void KitForm::ResetSetting(PadSetting setting) { SendSetting(setting, Extras.parameterDefault(SettingIndex(setting))); }

void KitForm::WheelSetting(PadSetting setting, int notches) {
    const int now = SettingState(setting, Kit.getParameter(SettingIndex(setting)));
    const int state = std::clamp(now + notches, 0, StepsOf(setting));
    if (state != now) SendSetting(setting, ValueOf(setting, state));
}

std::string KitForm::SettingReadout(PadSetting setting) {
    const int32_t index = SettingIndex(setting);
    char name[64], display[kDisplaySize], label[kDisplaySize];
    Extras.parameterName(index, name, sizeof name);
    Extras.parameterDisplay(index, display, sizeof display);
    Extras.parameterLabel(index, label, sizeof label);
    return ReadoutOf(name, display, label);
}

std::string KitForm::HeldReadout() {
    std::string text = TForm1::HeldReadout();
    for (int s = 0; s < kPadSettings && text.empty(); ++s)
        if (SettingHeld(PadSetting(s))) text = SettingReadout(PadSetting(s));
    return text;
}

std::string KitForm::PointedReadout(const TWinControl* hot) {
    std::string text = TForm1::PointedReadout(hot);
    for (const TWinControl* c = hot; c && text.empty(); c = c->Parent())
        for (int s = 0; s < kPadSettings && text.empty(); ++s)
            if (std::visit([c](auto* setting) { return static_cast<const TWinControl*>(setting) == c; },
                           settings_[size_t(s)]))
                text = SettingReadout(PadSetting(s));
    return text;
}

void KitForm::SelectPad(int pad) {
    if (pad < 0 || pad >= kPads) return;
    EndGestures();
    gestures_.EndAll();
    if (NameEdit->Visible()) FinishRename(false);
    SetPad(pad);
    for (int p = 0; p < kPads; ++p) Pads[size_t(p)]->SetSelected(p == pad);
    learning_ = false;
    LearnButton->SetCaption("Learn");
    ForgetSound();
    RefreshSettings();
    RefreshNames();
    pitchShown_ = -1;
    FollowPitch();
}

void KitForm::FollowPitch() {
    const int pitch = noteOf(Kit.getParameter(SettingIndex(kPitch)));
    if (pitch == pitchShown_) return;
    pitchShown_ = pitch;
    View->SetNote(pitch);
}

std::vector<float> KitForm::HitValues() {
    std::vector<float> values = TForm1::HitValues();
    for (int s = kSoundParameters; s < kPadStride; ++s) values.push_back(Kit.getParameter(padIndex(Pad(), s)));
    return values;
}

std::string KitForm::HitName() {
    char name[64];
    Extras.padName(Pad(), name, sizeof name);
    return HitKitName() + " " + name;
}

std::string KitForm::HitKitName() {
    char name[64];
    Extras.kitName(name, sizeof name);
    return name;
}

void KitForm::AuditionPad(int pad) {
    if (pad >= 0 && pad < kPads) Extras.audition(pad);
}

void KitForm::StartLearn() {
    learning_ = !learning_;
    noteAtLearn_ = Extras.lastNote();
    LearnButton->SetCaption(learning_ ? "Play..." : "Learn");
    if (learning_) ShowKitMessage("Play the note for pad " + std::to_string(Pad() + 1));
}

void KitForm::SettingChanged(PadSetting setting) {
    const int state = std::visit([](auto* c) { return StateOf(c); }, settings_[size_t(setting)]);
    const int32_t index = SettingIndex(setting);
    if (state < 0 || state == SettingState(setting, Kit.getParameter(index))) return;
    const float value = ValueOf(setting, state);
    // A knob's drag is one edit, closed once the knob is let go; a list's
    // pick or a box's click is a whole edit.
    if (std::holds_alternative<TTsumami*>(settings_[size_t(setting)]))
        gestures_.Change(setting, index, value);
    else
        gestures_.Set(setting, index, value);
}

void KitForm::SendKit(int32_t index, float value) {
    Kit.beginEdit(index);
    Kit.setParameterAutomated(index, value);
    Kit.endEdit(index);
}

void KitForm::CloseFinishedEdits() {
    gestures_.EndReleased([this](int s) { return SettingHeld(PadSetting(s)); });
}

void KitForm::RefreshSettings() {
    for (int s = 0; s < kPadSettings; ++s) {
        const int state = SettingState(PadSetting(s), Kit.getParameter(SettingIndex(PadSetting(s))));
        std::visit(
            [state](auto* c) {
                if (StateOf(c) != state && !Held(c)) SetState(c, state);
            },
            settings_[size_t(s)]);
    }
}

void KitForm::RefreshNames() {
    char text[64];
    for (int p = 0; p < kPads; ++p) {
        Extras.padName(p, text, sizeof text);
        Pads[size_t(p)]->SetCaption(text);
    }
    Extras.padName(Pad(), text, sizeof text);
    const std::string title = "Pad " + std::to_string(Pad() + 1) + ": " + text;
    if (PadTitle->Caption() != title) PadTitle->SetCaption(title);
    Extras.kitName(text, sizeof text);
    if (kitName_ != text || KitMenu->Items().size() == 1) {
        kitName_ = text;
        std::vector<std::string> items{"Kit: " + kitName_};
        for (const FactoryKit& k : kFactoryKits) items.push_back("Load " + std::string(k.name));
        for (const char* item : {"Open kit file...", "Save kit file", "Copy pad", "Paste pad", "Rename pad"})
            items.push_back(item);
        if (!KitMenu->DroppedDown()) {
            KitMenu->SetItems(items);
            KitMenu->SetItemIndex(0);
        }
    }
}

void KitForm::KitTimerTimer(TObject*) {
    const uint64_t now = GetBackend().NowMs();
    for (int p = 0; p < kPads; ++p) {
        const uint32_t hits = Extras.hitCount(p);
        if (hits != hitsSeen_[size_t(p)]) {
            hitsSeen_[size_t(p)] = hits;
            litUntil_[size_t(p)] = now + kLightMs;
        }
        Pads[size_t(p)]->SetLit(now < litUntil_[size_t(p)]);
    }
    if (learning_ && Extras.lastNote() != noteAtLearn_) {
        const int note = int(Extras.lastNote() & 0x7F);
        learning_ = false;
        LearnButton->SetCaption("Learn");
        SendKit(SettingIndex(kKey), valueOfStep(note, 127));
        ShowKitMessage("Pad " + std::to_string(Pad() + 1) + " plays on " + noteLabel(note));
    }
    CloseFinishedEdits();
    RefreshSettings();
    RefreshNames();
    FollowPitch();
    View->FeedMeters(now);
}

void KitForm::ShowKitMessage(std::string text) { KitMessage->SetCaption(std::move(text)); }

// ---- the kit menu ----

void KitForm::MenuChosen(int item) {
    KitMenu->SetItemIndex(0);
    if (item >= kMenuFirstKit && item < kMenuFirstKit + kFactoryKitCount)
        LoadFactoryKit(item - kMenuFirstKit);
    else if (item == kMenuOpen)
        OpenKitChooser();
    else if (item == kMenuSave)
        SaveKitFile();
    else if (item == kMenuCopy)
        CopyPad();
    else if (item == kMenuPaste)
        PastePad();
    else if (item == kMenuRename)
        StartRename();
}

void KitForm::ApplyKit(const KitSnapshot& kit) {
    // As the instrument loads a kit, so that the derived values come out as
    // a loaded kit's.
    for (int index : kKitLoadOrder) SendKit(index, kit.values[size_t(index)]);
    for (int p = 0; p < kPads; ++p) Extras.setPadName(p, kit.padNames[size_t(p)].c_str());
    Extras.setKitName(kit.name.c_str());
    SelectPad(Pad());
}

void KitForm::LoadFactoryKit(int k) {
    if (k < 0 || k >= kFactoryKitCount) return;
    ApplyKit(factoryKitSnapshot(k));
    ShowKitMessage("Loaded the kit \"" + std::string(kFactoryKits[size_t(k)].name) + "\"");
}

KitSnapshot KitForm::CurrentKit() {
    KitSnapshot kit;
    char text[64];
    Extras.kitName(text, sizeof text);
    kit.name = text;
    for (int p = 0; p < kPads; ++p) {
        Extras.padName(p, text, sizeof text);
        kit.padNames[size_t(p)] = text;
    }
    for (int i = 0; i < kKitParameters; ++i) kit.values[size_t(i)] = Kit.getParameter(i);
    return kit;
}

bool KitForm::LoadKitFile(const std::filesystem::path& path) {
    const std::string file = path.filename().string();
    std::ifstream in(path, std::ios::binary);
    std::string text(kKitFileMax + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    if (!in && !in.eof()) {
        ShowKitMessage("Not loaded: " + file + ": the file cannot be read");
        return false;
    }
    text.resize(size_t(in.gcount()));
    if (text.size() > kKitFileMax) {
        ShowKitMessage("Not loaded: " + file + ": too large for a kit file");
        return false;
    }
    try {
        ApplyKit(KitFile::parse(text, factoryKitSnapshot(0)));
    } catch (const KitFileError& error) {
        ShowKitMessage("Not loaded: " + file + ": " + error.what());
        return false;
    }
    ShowKitMessage("Loaded " + file);
    return true;
}

std::filesystem::path KitForm::SaveKitFile() {
    if (kitDirectory_.empty()) {
        ShowKitMessage("No folder for kits (no home folder)");
        return {};
    }
    const KitSnapshot kit = CurrentKit();
    const std::filesystem::path path = unusedPathFor(kitDirectory_, kit.name, "Kit", kKitExtension);
    if (const std::string error = writeTextFile(path, KitFile::write(kit)); !error.empty()) {
        ShowKitMessage("Not saved: " + error);
        return {};
    }
    ShowKitMessage("Saved " + path.filename().string());
    return path;
}

void KitForm::OpenKitChooser(std::filesystem::path folder) { kitChooser_->Open(folder, kitDirectory_); }

// ---- copy, paste, rename ----

void KitForm::CopyPad() {
    PadCopy copy;
    for (int s = 0; s < kPadStride; ++s) copy.values[size_t(s)] = Kit.getParameter(padIndex(Pad(), s));
    char name[64];
    Extras.padName(Pad(), name, sizeof name);
    copy.name = name;
    copy_ = copy;
    ShowKitMessage("Copied pad " + std::to_string(Pad() + 1));
}

bool KitForm::PastePad() {
    if (!copy_) {
        ShowKitMessage("Nothing copied yet");
        return false;
    }
    for (int i : kProgramLoadOrder) SendKit(padIndex(Pad(), i), copy_->values[size_t(i)]);
    for (int s = kSoundParameters; s < kPadStride; ++s)
        if (s != kSoundParameters + kKey) SendKit(padIndex(Pad(), s), copy_->values[size_t(s)]);
    Extras.setPadName(Pad(), copy_->name.c_str());
    SelectPad(Pad());
    ShowKitMessage("Pasted into pad " + std::to_string(Pad() + 1));
    return true;
}

void KitForm::StartRename() {
    char name[64];
    Extras.padName(Pad(), name, sizeof name);
    NameEdit->SetText(name);
    PadTitle->Hide();
    NameEdit->Show();
    SetFocusedControl(NameEdit);
    ShowKitMessage("Type the name, Return to keep it");
}

void KitForm::FinishRename(bool accept) {
    if (accept) Extras.setPadName(Pad(), NameEdit->Text().c_str());
    NameEdit->Hide();
    PadTitle->Show();
    if (FocusedControl() == NameEdit) SetFocusedControl(nullptr);
    ShowKitMessage(accept ? "Renamed pad " + std::to_string(Pad() + 1) : "");
    RefreshNames();
}

}  // namespace tamrik
