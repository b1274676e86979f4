// The two-way binding: every control sends its own parameter once per
// change of value; the 100 ms refresh moves the controls to values set
// elsewhere (host automation, programs, presets) without sending anything
// back, leaves alone what the user holds, and keeps out-of-range values
// from giving a control a state outside its range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "EditorHost.h"

namespace tamrik::test {
namespace {

using namespace tk;

TWinControl* FindControl(TWinControl* parent, const std::string& name) {
    for (TWinControl* c : parent->Controls()) {
        if (c->Name == name) return c;
        if (TWinControl* found = FindControl(c, name)) return found;
    }
    return nullptr;
}

// What each parameter's control shows, by parameter index: the control the
// parameter table names, found by that name.
std::vector<int> ControlStates(TForm1& f) {
    std::vector<int> states;
    for (const ParameterInfo& p : kParameterTable) {
        TWinControl* c = FindControl(&f, p.control);
        if (auto* knob = dynamic_cast<TTsumami*>(c))
            states.push_back(knob->Position());
        else if (auto* slider = dynamic_cast<TvTrackBar*>(c))
            states.push_back(slider->Position());
        else if (auto* list = dynamic_cast<TComboBox*>(c))
            states.push_back(list->ItemIndex());
        else if (auto* box = dynamic_cast<TCheckBox*>(c))
            states.push_back(box->Checked());
        else
            ADD_FAILURE() << p.name << ": no control named " << p.control;
    }
    return states;
}

const std::vector<int> kDefaultStates = {45, 45, 25, 0, 50, 0, 0, 50, 0, 0, 0, 50, 50, 50, 50, 25, 0, 0, 25, 0, 0, 2};
// "Metalic", Volume left at its default.
const std::vector<int> kMetalicStates = {50, 50, 31, 1, 100, 70, 2, 100, 2, 2, 0, 80, 20, 70, 10, 40, 1, 1, 25, 44, 1, 0};

struct OpenEditor : ::testing::Test {
    EditorHost host;
    TForm1* f = nullptr;
    void SetUp() override {
        ASSERT_EQ(host.openEditor(), 1);
        f = &host.form();
    }
    std::vector<Automation> sent() { return host.automations(); }
    // Chooses a list item with the arrow keys, as a user would.
    void Choose(TComboBox* list, int item) {
        list->SetFocus();
        while (list->ItemIndex() < item) host.screen().Key(TK_VK_DOWN, true);
        while (list->ItemIndex() > item) host.screen().Key(TK_VK_UP, true);
    }
};

using Controls = OpenEditor;
using Refresh = OpenEditor;
using Presets = OpenEditor;

TEST_F(Controls, EachSendsItsOwnParameterOncePerChange) {
    struct Move {
        std::function<void()> act;
        Automation expected;
    };
    const std::vector<Move> moves = {
        {[&] { f->TrackBar3->SetPosition(0); }, {0, 1.0f}},
        {[&] { f->TrackBar4->SetPosition(10); }, {1, 0.8f}},
        {[&] { f->TrackBar6->SetPosition(49); }, {2, 0.02f}},
        {[&] { Choose(f->ComboBox5, 1); }, {3, 0.5f}},
        {[&] { f->Tsumami3->SetPosition(73); }, {4, 0.73f}},
        {[&] { f->Tsumami4->SetPosition(1); }, {5, 0.01f}},
        {[&] { Choose(f->ComboBox3, 1); }, {6, 0.5f}},
        {[&] { f->Tsumami5->SetPosition(0); }, {7, 0.0f}},
        {[&] { Choose(f->ComboBox1, 1); }, {8, 0.25f}},
        {[&] { Choose(f->ComboBox2, 1); }, {9, 0.25f}},
        {[&] { Choose(f->ComboBox4, 1); }, {10, 0.5f}},
        {[&] { f->Tsumami1->SetPosition(100); }, {11, 1.0f}},
        {[&] { f->Tsumami2->SetPosition(99); }, {12, 0.99f}},
        {[&] { f->Tsumami6->SetPosition(7); }, {13, 0.07f}},
        {[&] { f->Tsumami7->SetPosition(51); }, {14, 0.51f}},
        {[&] { f->TrackBar1->SetPosition(0); }, {15, 0.0f}},
        {[&] { f->CheckBox1->SetChecked(true); }, {16, 1.0f}},
        {[&] { f->CheckBox2->SetChecked(true); }, {17, 1.0f}},
        {[&] { f->TrackBar2->SetPosition(0); }, {18, 1.0f}},
        {[&] { f->TrackBar5->SetPosition(50); }, {19, 0.0f}},
        {[&] { f->CheckBox3->SetChecked(true); }, {20, 1.0f}},
        {[&] { Choose(f->ComboBox7, 1); }, {21, 0.5f}},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(m.expected.index);
        host.clearAutomations();
        m.act();
        EXPECT_EQ(sent(), std::vector<Automation>{m.expected});
        EXPECT_EQ(host.getParameter(m.expected.index), m.expected.value) << "the engine has it too";
    }
    // Choosing the selected item again, with the mouse: ComboBox3 opens
    // downwards from the form's (24, 232).
    host.clearAutomations();
    const int row = f->Font().LineHeight() + 2;
    host.click(60, 242);
    ASSERT_TRUE(f->ComboBox3->DroppedDown());
    host.click(60, 252 + 1 + row + row / 2);
    EXPECT_FALSE(f->ComboBox3->DroppedDown());
    EXPECT_EQ(f->ComboBox3->Text(), "BandPass");
    f->Tsumami3->SetPosition(73);  // fires OnChange, same value
    f->TrackBar1->SetPosition(0);
    f->CheckBox1->SetChecked(true);
    EXPECT_TRUE(sent().empty()) << "no change of value, nothing sent";
}

TEST_F(Controls, AKnobDraggedWithTheMouseSendsEachNewValueOnce) {
    const TPoint centre{8 + 144 + 16, 200 + 32 + 16};  // Tsumami3 on the form
    host.screen().MoveMouse(centre.x, centre.y);
    host.screen().PressLeft();
    for (int dx : {1, 2, 3, 4, 4, 6, 8, 10, 9, 20})  host.screen().MoveMouse(centre.x + dx, centre.y);
    host.screen().ReleaseLeft();
    const std::vector<Automation> all = sent();
    ASSERT_FALSE(all.empty());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].index, 4);
        if (i > 0) {
            EXPECT_NE(all[i].value, all[i - 1].value) << "a repeated value was sent";
        }
    }
    EXPECT_EQ(all.back().value, float(f->Tsumami3->Position()) / 100.0f);
    EXPECT_GT(f->Tsumami3->Position(), 50);
}

// The same gesture on a scaled panel, at the scaled positions, sends the
// same values: input maps back to the panel's own pixels.
TEST(ScaledInput, DragsChangeParametersAsAtOneHundredPercent) {
    struct Gesture {
        TPoint from;
        std::vector<TPoint> path;
    };
    auto play = [](int percent, const Gesture& g) {
        EditorHost host;
        EXPECT_EQ(host.openEditor(), 1);
        host.form().SetScale(Scale(percent));
        const Scale s(percent);
        auto move = [&](TPoint p) { host.screen().MoveMouse(s.Dev(p.x), s.Dev(p.y)); };
        move(g.from);
        host.screen().PressLeft();
        for (TPoint step : g.path) move({g.from.x + step.x, g.from.y + step.y});
        host.screen().ReleaseLeft();
        return host.automations();
    };
    const Gesture knob{{168, 248}, {{3, 0}, {10, -4}, {30, -9}, {61, -20}, {-20, 7}}};  // Tsumami3
    const Gesture slider{{304, 126}, {{0, -5}, {0, -17}, {2, -40}, {0, -61}, {0, 9}}};  // TrackBar3's thumb
    for (const Gesture& g : {knob, slider}) {
        const std::vector<Automation> reference = play(100, g);
        ASSERT_GE(reference.size(), 3u);
        for (int percent : {150, 200, 300}) EXPECT_EQ(play(percent, g), reference) << percent << " %";
    }
}

TEST_F(Controls, CheckBoxesSendOnlyZeroOrOne) {
    const TPoint box{8 + 8 + 8 + 6, 16 + 16 + 88 + 8};  // CheckBox1's square
    for (int click = 0; click < 4; ++click) host.click(box.x, box.y);
    EXPECT_EQ(sent(), (std::vector<Automation>{{16, 1.0f}, {16, 0.0f}, {16, 1.0f}, {16, 0.0f}}));

    // FM at 0.10 reads as off: ticking the box sends 1.0, unticking 0.0.
    host.clearAutomations();
    host.setParameter(17, 0.1f);
    host.tick();
    EXPECT_FALSE(f->CheckBox2->Checked());
    f->CheckBox2->SetChecked(true);
    f->CheckBox2->SetChecked(false);
    EXPECT_EQ(sent(), (std::vector<Automation>{{17, 1.0f}, {17, 0.0f}}));
}

TEST_F(Refresh, FollowsTheHostWithoutSendingBack) {
    host.setParameter(0, 0.33f);
    host.setParameter(8, 0.3f);
    host.setParameter(16, 1.0f);
    host.tick();
    EXPECT_EQ(f->TrackBar3->Position(), 33) << "0.33 x 50 rounds to 17";
    EXPECT_EQ(f->Cached(0), 0.34f);
    EXPECT_EQ(host.getParameter(0), 0.33f) << "the engine keeps its value";
    EXPECT_EQ(f->ComboBox1->Text(), "Saw");
    EXPECT_EQ(f->Cached(8), 0.25f);
    EXPECT_TRUE(f->CheckBox1->Checked());
    host.setParameter(16, 0.5f);
    host.setParameter(0, 1.0f);
    host.tick();
    EXPECT_FALSE(f->CheckBox1->Checked()) << "0.5 rounds to 0";
    EXPECT_EQ(f->TrackBar3->Position(), 0);
    for (int i = 0; i < 5; ++i) host.tick();
    EXPECT_TRUE(sent().empty());
}

TEST_F(Refresh, WaitsForTheTimer) {
    host.setParameter(4, 0.9f);
    host.screen().Advance(99);
    host.dispatch(vst::effEditIdle);
    EXPECT_EQ(f->Tsumami3->Position(), 50);
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 90);
}

TEST_F(Refresh, LeavesAHeldKnobAndAnOpenListAlone) {
    const TPoint centre{8 + 144 + 16, 200 + 32 + 16};
    host.screen().MoveMouse(centre.x, centre.y);
    host.screen().PressLeft();
    ASSERT_TRUE(f->Tsumami3->Adjusting());
    f->ComboBox2->SetDroppedDown(true);
    host.setParameter(4, 0.9f);
    host.setParameter(9, 1.0f);
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 50);
    EXPECT_EQ(f->ComboBox2->ItemIndex(), 0);
    host.screen().ReleaseLeft();
    f->ComboBox2->SetDroppedDown(false);
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 90);
    EXPECT_EQ(f->ComboBox2->Text(), "Noise");
    EXPECT_TRUE(sent().empty());
}

TEST_F(Refresh, OutOfRangeValuesNeverGiveAControlAStateOutsideItsRange) {
    const int oscMixPosition = f->TrackBar1->Position();
    host.setParameter(4, 1.5f);   // knob
    host.setParameter(0, 2.0f);   // vertical slider, away from its top
    host.setParameter(8, 7.0f);   // list
    host.setParameter(21, -2.0f);
    host.setParameter(16, 2.0f);  // check box: rounds to 2, not 1
    host.setParameter(15, std::numeric_limits<float>::quiet_NaN());  // refused
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 100);
    EXPECT_EQ(f->TrackBar3->Position(), 0);
    EXPECT_EQ(f->ComboBox1->Text(), "Noise");
    EXPECT_EQ(f->ComboBox7->Text(), "Oct +1");
    EXPECT_FALSE(f->CheckBox1->Checked());
    EXPECT_EQ(f->TrackBar1->Position(), oscMixPosition);
    // A knob or slider that had to stop at its end sends that end, once.
    EXPECT_EQ(sent(), (std::vector<Automation>{{0, 1.0f}, {4, 1.0f}}));
    EXPECT_EQ(host.getParameter(4), 1.0f);

    // Already at the end: nothing is sent and the engine keeps the value.
    host.clearAutomations();
    host.setParameter(4, 1.7f);
    host.setParameter(0, 3.0f);
    host.setParameter(8, -1.0f);
    host.tick();
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 100);
    EXPECT_EQ(f->TrackBar3->Position(), 0);
    EXPECT_EQ(f->ComboBox1->Text(), "Sin");
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(host.getParameter(4), 1.7f);
    EXPECT_EQ(host.getParameter(0), 3.0f);
}

TEST_F(Refresh, AProgramChangeMovesEveryControlAndSendsNothing) {
    f->LoadPreset(13);  // "Metalic", into program 0
    host.tick();
    EXPECT_EQ(ControlStates(*f), kMetalicStates);
    host.clearAutomations();
    host.dispatch(vst::effSetProgram, 0, 1);
    host.tick();
    EXPECT_EQ(ControlStates(*f), kDefaultStates);
    host.dispatch(vst::effSetProgram, 0, 0);
    host.tick();
    EXPECT_EQ(ControlStates(*f), kMetalicStates);
    EXPECT_TRUE(sent().empty());
}

TEST_F(Presets, AllResetSendsEveryDefaultAndTheControlsFollowWithinOneTick) {
    f->LoadPreset(13);
    host.setParameter(18, 0.8f);
    host.tick();
    host.clearAutomations();
    f->LoadPreset(2);
    const std::vector<Automation> all = sent();
    ASSERT_EQ(all.size(), 22u);
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(all[size_t(i)].index, i) << "ascending order";
        EXPECT_EQ(all[size_t(i)].value, kParameterTable[i].defaultValue) << i;
    }
    std::vector<int> metalicLoud = kMetalicStates;
    metalicLoud[18] = 10;
    EXPECT_EQ(ControlStates(*f), metalicLoud) << "the controls wait for the timer";
    host.tick();
    EXPECT_EQ(ControlStates(*f), kDefaultStates);
    EXPECT_EQ(f->ComboBox7->Text(), "Oct -1");
    EXPECT_EQ(sent().size(), 22u) << "nothing sent back by the refresh";
}

TEST_F(Presets, OthersLeaveVolumeAndCHHSendsATenthForFM) {
    host.setParameter(18, 0.8f);
    f->LoadPreset(5);  // "Slash"
    std::vector<Automation> all = sent();
    ASSERT_EQ(all.size(), 21u);
    for (const Automation& a : all) EXPECT_NE(a.index, 18);
    EXPECT_EQ(host.getParameter(18), 0.8f);

    host.clearAutomations();
    f->LoadPreset(16);  // "CHH"
    EXPECT_EQ(sent().size(), 21u);
    EXPECT_EQ(host.getParameter(17), 0.1f);
    host.tick();
    EXPECT_FALSE(f->CheckBox2->Checked());
    EXPECT_EQ(sent().size(), 21u);

    host.clearAutomations();
    for (int position : {0, 1, 18, -1, 1000}) f->LoadPreset(position);
    EXPECT_TRUE(sent().empty()) << "title, separator, outside the list";
}

TEST_F(Presets, ChosenWithTheMouseFromTheList) {
    const int row = f->Font().LineHeight() + 2;
    host.click(440, 210);
    ASSERT_TRUE(f->ComboBox6->DroppedDown());
    const int top = 200 + 20;  // it opens downwards over the strip and the hit row, title first
    host.click(440, top + 1 + 5 * row + row / 2);
    EXPECT_FALSE(f->ComboBox6->DroppedDown());
    EXPECT_EQ(f->ComboBox6->Text(), "Slash") << "the list keeps the preset's name";
    EXPECT_EQ(sent().size(), 21u);
    EXPECT_EQ(host.getParameter(8), 1.0f) << "Slash: noise on Osc1";
    host.tick();
    EXPECT_EQ(f->ComboBox1->Text(), "Noise");
    EXPECT_EQ(f->ComboBox6->Text(), "Slash");
}

}  // namespace
}  // namespace tamrik::test
