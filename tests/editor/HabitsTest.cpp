// What people expect of a control: each gesture reaches the host between a
// begin and an end of its parameter's edit; a double-click or Ctrl-click
// sets the default, Shift makes a drag ten times finer, the wheel steps;
// and the readout says what the host would show for the parameter. The
// same of the Kit's own settings, whose texts are the Kit's.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "EditorHost.h"
#include "kit/KitInstrument.h"
#include "toolkit/Messages.h"

namespace tamrik::test {
namespace {

using namespace tk;
using namespace kit;

constexpr TPoint kCutOffKnob{168, 248};  // Tsumami3's centre on the form
constexpr TPoint kAttackThumb{304, 126};  // TrackBar3's thumb at position 45
constexpr TPoint kTypeList{60, 242};      // ComboBox3
constexpr TPoint kRingBox{30, 128};       // CheckBox1

template <Hosted hosted>
struct Driven : ::testing::Test {
    EditorHost host{OffscreenBackend::Faces::System, hosted};
    TForm1* f = nullptr;
    void SetUp() override {
        ASSERT_EQ(host.openEditor(), 1);
        f = &host.form();
        f->Strip->SetUserPresetDirectory({});
        host.clearAutomations();
    }
    OffscreenBackend& screen() { return host.screen(); }
    // A press of its own, not the second half of a double-click.
    void drag(TPoint from, std::vector<TPoint> path) {
        screen().Advance(1000);
        screen().MoveMouse(from.x, from.y);
        screen().PressLeft();
        for (TPoint p : path) screen().MoveMouse(from.x + p.x, from.y + p.y);
        screen().ReleaseLeft();
    }
    void doubleClick(TPoint at) {
        host.click(at.x, at.y);
        host.click(at.x, at.y);
    }
    float value(int index) { return host.getParameter(index); }
};

using Habits = Driven<Hosted::DrumTamrik>;

// Begin, then changes of that parameter only, then end; nothing else.
void ExpectOneEdit(const std::vector<HostCall>& calls, int index) {
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), (HostCall{vst::audioMasterBeginEdit, index, 0}));
    EXPECT_EQ(calls.back(), (HostCall{vst::audioMasterEndEdit, index, 0}));
    for (size_t i = 1; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i], (HostCall{vst::audioMasterAutomate, index, 0}));
}

TEST_F(Habits, ADragIsOneEditFromPressToRelease) {
    screen().MoveMouse(kCutOffKnob.x, kCutOffKnob.y);
    screen().PressLeft();
    for (int dx : {4, 10, 20}) screen().MoveMouse(kCutOffKnob.x + dx, kCutOffKnob.y);
    EXPECT_EQ(host.calls().back().opcode, vst::audioMasterAutomate) << "still held: the edit stays open";
    screen().ReleaseLeft();
    ExpectOneEdit(host.calls(), kCutOff);
    host.clearAutomations();
    drag(kAttackThumb, {{0, -4}, {0, -20}, {0, -40}});
    ExpectOneEdit(host.calls(), kA);
    EXPECT_GT(value(kA), 0.1f);
    host.clearAutomations();
    host.click(kCutOffKnob.x, kCutOffKnob.y - 40);  // a press that moves nothing sends nothing
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Habits, ClosingTheEditorMidDragEndsTheEditOnce) {
    screen().MoveMouse(kCutOffKnob.x, kCutOffKnob.y);
    screen().PressLeft();
    screen().MoveMouse(kCutOffKnob.x + 10, kCutOffKnob.y);
    host.dispatch(vst::effEditClose);
    ExpectOneEdit(host.calls(), kCutOff);
}

TEST_F(Habits, DoubleClickOrCtrlClickSetsTheDefault) {
    host.setParameter(kCutOff, 0.9f);
    host.setParameter(kA, 0.7f);
    host.setParameter(kType, 1.0f);
    host.setParameter(kRing, 1.0f);
    host.tick();
    host.clearAutomations();
    doubleClick(kCutOffKnob);
    EXPECT_EQ(value(kCutOff), 0.5f);
    ExpectOneEdit(host.calls(), kCutOff);
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 50) << "the knob follows";

    doubleClick(kAttackThumb);
    EXPECT_EQ(value(kA), 0.1f);
    doubleClick(kRingBox);
    EXPECT_EQ(value(kRing), 0.0f);
    screen().HoldKeys(TK_MK_CONTROL);
    host.clearAutomations();
    host.click(kTypeList.x, kTypeList.y);
    screen().HoldKeys(0);
    EXPECT_FALSE(f->ComboBox3->DroppedDown()) << "Ctrl-click does not open the list";
    EXPECT_EQ(value(kType), 0.0f);
    ExpectOneEdit(host.calls(), kType);
}

TEST_F(Habits, ShiftMakesADragTenTimesFiner) {
    screen().HoldKeys(TK_MK_SHIFT);
    drag(kCutOffKnob, {{20, 0}, {40, 0}});
    EXPECT_EQ(f->Tsumami3->Position(), 52) << "20 pixels a step";
    screen().HoldKeys(0);
    drag(kCutOffKnob, {{40, 0}});
    EXPECT_EQ(f->Tsumami3->Position(), 72) << "2 pixels a step";
    screen().HoldKeys(TK_MK_SHIFT);
    // The vertical bar runs 96 pixels over 50 positions; held with Shift,
    // 58 pixels up go 3 positions.
    drag(kAttackThumb, {{0, -58}});
    EXPECT_EQ(f->TrackBar3->Position(), 42);
    screen().HoldKeys(0);
}

TEST_F(Habits, TheWheelStepsEachKindOfControl) {
    screen().MoveMouse(kCutOffKnob.x, kCutOffKnob.y);
    screen().Wheel(3);
    EXPECT_FLOAT_EQ(value(kCutOff), 0.53f);
    screen().Wheel(-1);
    EXPECT_FLOAT_EQ(value(kCutOff), 0.52f);
    screen().MoveMouse(kAttackThumb.x, kAttackThumb.y);
    screen().Wheel(2);
    EXPECT_FLOAT_EQ(value(kA), 0.14f) << "a slider steps by its own steps, upwards raising the value";
    screen().MoveMouse(kTypeList.x, kTypeList.y);
    screen().Wheel(1);
    EXPECT_EQ(value(kType), 0.5f);
    screen().Wheel(5);
    EXPECT_EQ(value(kType), 1.0f) << "held at the last item";
    screen().MoveMouse(kRingBox.x, kRingBox.y);
    screen().Wheel(1);
    EXPECT_EQ(value(kRing), 1.0f);
    host.clearAutomations();
    screen().Wheel(1);
    EXPECT_TRUE(host.calls().empty()) << "nothing beyond the end";
    screen().Wheel(-1);
    ExpectOneEdit(host.calls(), kRing);
    host.tick();
    EXPECT_FALSE(f->CheckBox1->Checked());
}

TEST_F(Habits, TheReadoutSaysWhatTheHostShows) {
    auto hostText = [&](int index) {
        char name[64] = {}, display[64] = {}, label[64] = {};
        host.dispatch(vst::effGetParamName, index, 0, name);
        host.dispatch(vst::effGetParamDisplay, index, 0, display);
        host.dispatch(vst::effGetParamLabel, index, 0, label);
        return std::string(name) + ": " + display + " " + label;
    };
    EXPECT_EQ(f->Strip->ReadoutLine(), "");
    host.setParameter(kCutOff, 0.337f);
    screen().MoveMouse(kCutOffKnob.x, kCutOffKnob.y);
    EXPECT_EQ(f->Strip->ReadoutLine(), hostText(kCutOff));
    EXPECT_EQ(f->Strip->ReadoutLine(), "CutOff: 0.34 /1");
    screen().PressLeft();
    screen().MoveMouse(kCutOffKnob.x + 200, kCutOffKnob.y);
    EXPECT_EQ(f->Strip->ReadoutLine(), hostText(kCutOff)) << "while dragged, wherever the mouse is";
    EXPECT_EQ(f->Strip->ReadoutLine(), "CutOff: 1.00 /1");
    screen().ReleaseLeft();
    for (TPoint at : {kAttackThumb, kTypeList, kRingBox}) {
        screen().MoveMouse(at.x, at.y);
        const int index = at == kAttackThumb ? kA : at == kTypeList ? kType : kRing;
        EXPECT_EQ(f->Strip->ReadoutLine(), hostText(index));
    }
    screen().MoveMouse(2, 2);
    EXPECT_EQ(f->Strip->ReadoutLine(), "") << "nothing under the mouse, nothing to read";
}

// The Kit's settings, on pad 3. Each control's centre on the form and the
// steps its states run over.
struct KitSetting {
    PadSetting setting;
    TPoint at;
    int steps;
};
constexpr int kKitTop = KitForm::kKitTop;
constexpr KitSetting kKey_{kKey, {39, kKitTop + 106}, 127};
constexpr KitSetting kPitch_{kPitch, {149, kKitTop + 106}, 127};
constexpr KitSetting kOutput_{kOutput, {214, kKitTop + 106}, 8};
constexpr KitSetting kChoke_{kChoke, {279, kKitTop + 106}, 8};
constexpr KitSetting kLevel_{kLevel, {334, kKitTop + 98}, 100};
constexpr KitSetting kPan_{kPan, {376, kKitTop + 98}, 100};
constexpr KitSetting kVelocity_{kVelocity, {418, kKitTop + 98}, 100};
constexpr KitSetting kMute_{kMute, {452, kKitTop + 105}, 1};
constexpr KitSetting kAllSettings[] = {kKey_, kPitch_, kOutput_, kChoke_, kLevel_, kPan_, kVelocity_, kMute_};

struct KitHabits : Driven<Hosted::Kit> {
    void SetUp() override {
        Driven::SetUp();
        host.kitForm().SelectPad(2);
    }
    KitInstrument& kit() { return static_cast<KitInstrument&>(host.instrument()); }
    static int32_t index(const KitSetting& s) { return padIndex(2, kSoundParameters + s.setting); }
    float value(const KitSetting& s) { return host.getParameter(index(s)); }
    // 40 ms on the form's clock, then the host's idle call: the Kit's refresh.
    void step() {
        screen().Advance(40);
        host.dispatch(vst::effEditIdle);
    }
    std::string instrumentText(const KitSetting& s) {
        char name[64] = {}, display[8] = {}, label[8] = {};
        kit().parameterName(index(s), name, sizeof name);
        kit().parameterDisplay(index(s), display, sizeof display);
        kit().parameterLabel(index(s), label, sizeof label);
        return std::string(name) + ": " + display + (label[0] ? std::string(" ") + label : "");
    }
};

TEST_F(KitHabits, DoubleClickOrCtrlClickSetsEachSettingToTheInstrumentsDefault) {
    for (const KitSetting& s : kAllSettings)
        host.setParameter(index(s), kit().parameterDefault(index(s)) == 1.0f ? 0.0f : 1.0f);
    step();
    for (const KitSetting& s : kAllSettings) {
        SCOPED_TRACE(s.setting);
        host.clearAutomations();
        screen().Advance(1000);
        screen().HoldKeys(TK_MK_CONTROL);
        host.click(s.at.x, s.at.y);
        screen().HoldKeys(0);
        EXPECT_EQ(value(s), kit().parameterDefault(index(s)));
        ExpectOneEdit(host.calls(), index(s));
        EXPECT_TRUE(f->PopupArea().IsEmpty()) << "Ctrl-click opens no list";
    }
    EXPECT_EQ(host.kitForm().KeyList->ItemIndex(), noteOf(kit().parameterDefault(index(kKey_))))
        << "the list follows at once";

    for (const KitSetting& s : {kLevel_, kMute_}) {
        host.setParameter(index(s), 1.0f);
        step();
        host.clearAutomations();
        doubleClick(s.at);
        EXPECT_EQ(value(s), kit().parameterDefault(index(s))) << s.setting;
    }
    EXPECT_EQ(host.kitForm().LevelKnob->Position(), 50);
}

TEST_F(KitHabits, TheWheelStepsEachSettingOverItsOwnSteps) {
    for (const KitSetting& s : kAllSettings) host.setParameter(index(s), 0.0f);
    step();
    for (const KitSetting& s : kAllSettings) {
        SCOPED_TRACE(s.setting);
        screen().MoveMouse(s.at.x, s.at.y);
        screen().Wheel(2);
        EXPECT_EQ(value(s), valueOfStep(std::min(2, s.steps), s.steps));
        host.clearAutomations();
        screen().Wheel(-1);
        EXPECT_EQ(value(s), valueOfStep(std::min(2, s.steps) - 1, s.steps));
        ExpectOneEdit(host.calls(), index(s));
        screen().Wheel(-5);
        EXPECT_EQ(value(s), 0.0f) << "held at the first state";
        host.clearAutomations();
        screen().Wheel(-1);
        EXPECT_TRUE(host.calls().empty()) << "nothing beyond the end";
    }
    screen().MoveMouse(kKey_.at.x, kKey_.at.y);
    screen().Wheel(1);
    EXPECT_EQ(host.kitForm().KeyList->ItemIndex(), 1) << "the list follows at once";
}

TEST_F(KitHabits, ShiftMakesAKnobDragTenTimesFinerAndADragIsOneEdit) {
    screen().HoldKeys(TK_MK_SHIFT);
    drag(kLevel_.at, {{20, 0}, {40, 0}});
    screen().HoldKeys(0);
    EXPECT_EQ(value(kLevel_), 0.52f) << "20 pixels a step";
    step();
    ExpectOneEdit(host.calls(), index(kLevel_));
    drag(kLevel_.at, {{40, 0}});
    EXPECT_EQ(value(kLevel_), 0.72f) << "2 pixels a step";
}

// The panel's knob edits the pad's parameter through the pad link, the
// setting's knob the Kit's own: each ends once, on pad 3, as the form goes.
TEST_F(KitHabits, ClosingTheEditorMidDragEndsTheEditOnceOnThePadItBeganOn) {
    const struct {
        TPoint at;
        int32_t index;
    } knobs[] = {{kCutOffKnob, padIndex(2, kCutOff)}, {kLevel_.at, index(kLevel_)}};
    host.dispatch(vst::effEditClose);  // each case opens a panel of its own
    for (const auto& knob : knobs) {
        SCOPED_TRACE(knob.index);
        ASSERT_EQ(host.openEditor(), 1);
        host.kitForm().SelectPad(2);
        host.clearAutomations();
        screen().MoveMouse(knob.at.x, knob.at.y);
        screen().PressLeft();
        screen().MoveMouse(knob.at.x + 10, knob.at.y);
        host.dispatch(vst::effEditClose);
        ExpectOneEdit(host.calls(), knob.index);
    }
}

// Whichever knob is held, the edit it opened on pad 3 ends there; what
// the drag does after the switch is an edit of pad 6's.
TEST_F(KitHabits, AnotherPadChosenMidDragEndsTheEditOnThePadItBeganOn) {
    using Knob = std::pair<TPoint, int>;
    for (const auto& [at, parameter] : {Knob{kCutOffKnob, kCutOff}, Knob{kLevel_.at, kSoundParameters + kLevel}}) {
        SCOPED_TRACE(parameter);
        host.kitForm().SelectPad(2);
        host.clearAutomations();
        screen().Advance(1000);
        screen().MoveMouse(at.x, at.y);
        screen().PressLeft();
        screen().MoveMouse(at.x + 10, at.y);
        host.kitForm().SelectPad(5);
        const std::vector<HostCall> before = host.calls();
        ExpectOneEdit(before, padIndex(2, parameter));
        host.clearAutomations();
        screen().MoveMouse(at.x + 30, at.y);
        screen().ReleaseLeft();
        step();
        ExpectOneEdit(host.calls(), padIndex(5, parameter));
    }
}

TEST_F(KitHabits, TheReadoutNamesEachSettingAsTheInstrumentDoes) {
    for (const KitSetting& s : kAllSettings) {
        screen().MoveMouse(s.at.x, s.at.y);
        EXPECT_EQ(f->Strip->ReadoutLine(), instrumentText(s));
    }
    screen().MoveMouse(kLevel_.at.x, kLevel_.at.y);
    EXPECT_EQ(f->Strip->ReadoutLine(), "Pad 3 Level: 0.0dB");
    screen().PressLeft();
    screen().MoveMouse(kLevel_.at.x + 200, kLevel_.at.y);
    EXPECT_EQ(f->Strip->ReadoutLine(), "Pad 3 Level: 12.0dB") << "while dragged, wherever the mouse is";
    screen().ReleaseLeft();
    screen().MoveMouse(kPan_.at.x, kPan_.at.y);
    EXPECT_EQ(f->Strip->ReadoutLine(), "Pad 3 Pan: C");

    host.click(kChoke_.at.x, kChoke_.at.y);
    ASSERT_FALSE(f->PopupArea().IsEmpty());
    screen().MoveMouse(kChoke_.at.x, kChoke_.at.y + 60);
    EXPECT_EQ(f->Strip->ReadoutLine(), instrumentText(kChoke_)) << "an open list keeps its readout";
    screen().PressLeft();
    screen().ReleaseLeft();
    screen().MoveMouse(kLevel_.at.x, kKitTop + 4);
    EXPECT_EQ(f->Strip->ReadoutLine(), "") << "nothing under the mouse, nothing to read";
}

}  // namespace
}  // namespace tamrik::test
