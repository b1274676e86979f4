// The panel as laid out: every control's parent, bounds, caption or items
// and initial state, the slider settings, the form's own settings, and the
// rectangle and open/close protocol a host sees through the dispatcher.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorHost.h"
#include "editor/FactoryPresets.h"
#include "editor/Logo.h"

namespace tamrik::test {
namespace {

using namespace tk;

std::string CaptionOf(TWinControl* c) {
    if (auto* g = dynamic_cast<TGroupBox*>(c)) return g->Caption();
    if (auto* l = dynamic_cast<TLabel*>(c)) return l->Caption();
    if (auto* b = dynamic_cast<TCheckBox*>(c)) return b->Caption();
    return {};
}

struct Placement {
    const char* name;
    TWinControl* control;
    TWinControl* parent;
    TRect bounds;  // left, top, right, bottom
    std::string caption;
};

TRect At(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

TEST(Layout, EveryControlSitsWhereThePanelPutsIt) {
    EditorHost host;
    ASSERT_EQ(host.openEditor(), 1);
    TForm1& f = host.form();
    const std::vector<Placement> table = {
        {"GroupBox1", f.GroupBox1, &f, At(0, 0, 505, 313), "Drum Tamrik v1.02"},
        {"GroupBox7", f.GroupBox7, f.GroupBox1, At(8, 16, 265, 177), "OSC"},
        {"GroupBox5", f.GroupBox5, f.GroupBox7, At(8, 16, 121, 113), "Osc1"},
        {"ComboBox1", f.ComboBox1, f.GroupBox5, At(8, 16, 105, 20), ""},
        {"Tsumami1", f.Tsumami1, f.GroupBox5, At(16, 40, 33, 33), ""},
        {"Tsumami6", f.Tsumami6, f.GroupBox5, At(64, 40, 33, 33), ""},
        {"Label11", f.Label11, f.GroupBox5, At(16, 72, 25, 12), "Time"},
        {"Label2", f.Label2, f.GroupBox5, At(64, 72, 28, 12), "Scale"},
        {"CheckBox1", f.CheckBox1, f.GroupBox5, At(8, 88, 97, 17), "Ring Osc2"},
        {"GroupBox6", f.GroupBox6, f.GroupBox7, At(136, 16, 121, 113), "Osc2"},
        {"ComboBox2", f.ComboBox2, f.GroupBox6, At(8, 16, 105, 20), ""},
        {"Tsumami2", f.Tsumami2, f.GroupBox6, At(16, 40, 33, 33), ""},
        {"Tsumami7", f.Tsumami7, f.GroupBox6, At(64, 40, 33, 33), ""},
        {"Label12", f.Label12, f.GroupBox6, At(16, 72, 25, 12), "Time"},
        {"Label10", f.Label10, f.GroupBox6, At(64, 72, 28, 12), "Scale"},
        {"CheckBox2", f.CheckBox2, f.GroupBox6, At(8, 88, 97, 17), "FM Osc1"},
        {"Label1", f.Label1, f.GroupBox7, At(16, 144, 18, 12), "Mix"},
        {"TrackBar1", f.TrackBar1, f.GroupBox7, At(56, 136, 201, 33), ""},
        {"GroupBox4", f.GroupBox4, f.GroupBox1, At(280, 16, 121, 177), "Env"},
        {"TrackBar3", f.TrackBar3, f.GroupBox4, At(8, 16, 33, 113), ""},
        {"TrackBar4", f.TrackBar4, f.GroupBox4, At(40, 16, 33, 113), ""},
        {"TrackBar6", f.TrackBar6, f.GroupBox4, At(72, 16, 33, 113), ""},
        {"Label6", f.Label6, f.GroupBox4, At(16, 128, 8, 12), "A"},
        {"Label7", f.Label7, f.GroupBox4, At(48, 128, 8, 12), "H"},
        {"Label9", f.Label9, f.GroupBox4, At(80, 128, 8, 12), "R"},
        {"ComboBox5", f.ComboBox5, f.GroupBox4, At(8, 144, 97, 20), ""},
        {"GroupBox8", f.GroupBox8, f.GroupBox1, At(408, 16, 89, 177), "Amp"},
        {"TrackBar2", f.TrackBar2, f.GroupBox8, At(8, 16, 33, 113), ""},
        {"TrackBar5", f.TrackBar5, f.GroupBox8, At(40, 16, 33, 113), ""},
        {"Label8", f.Label8, f.GroupBox8, At(16, 128, 17, 12), "Vol"},
        {"Label13", f.Label13, f.GroupBox8, At(48, 128, 20, 12), "Clip"},
        {"CheckBox3", f.CheckBox3, f.GroupBox8, At(8, 152, 65, 17), "Multi"},
        {"GroupBox3", f.GroupBox3, f.GroupBox1, At(8, 200, 265, 105), "Filter"},
        {"GroupBox2", f.GroupBox2, f.GroupBox3, At(8, 16, 129, 81), "Type"},
        {"ComboBox3", f.ComboBox3, f.GroupBox2, At(8, 16, 113, 20), ""},
        {"ComboBox4", f.ComboBox4, f.GroupBox2, At(8, 48, 113, 20), ""},
        {"Tsumami3", f.Tsumami3, f.GroupBox3, At(144, 32, 33, 33), ""},
        {"Tsumami4", f.Tsumami4, f.GroupBox3, At(184, 32, 33, 33), ""},
        {"Tsumami5", f.Tsumami5, f.GroupBox3, At(224, 32, 33, 33), ""},
        {"Label3", f.Label3, f.GroupBox3, At(144, 72, 34, 12), "CutOff"},
        {"Label4", f.Label4, f.GroupBox3, At(192, 72, 8, 12), "Q"},
        {"Label5", f.Label5, f.GroupBox3, At(232, 72, 19, 12), "Env"},
        {"ComboBox7", f.ComboBox7, f.GroupBox1, At(280, 200, 97, 20), ""},
        {"ComboBox6", f.ComboBox6, f.GroupBox1, At(400, 200, 97, 20), ""},
        {"Image1", f.Image1, f.GroupBox1, At(280, 232, 217, 73), ""},
    };
    for (const Placement& p : table) {
        SCOPED_TRACE(p.name);
        ASSERT_NE(p.control, nullptr);
        EXPECT_EQ(p.control->Parent(), p.parent);
        EXPECT_EQ(p.control->BoundsRect(), p.bounds);
        EXPECT_EQ(CaptionOf(p.control), p.caption);
        EXPECT_TRUE(p.control->Showing());
    }
    EXPECT_EQ(f.Width(), 505);
    EXPECT_EQ(f.Height(), 313);
    EXPECT_FALSE(f.GroupBox1->Ctl3D());
    EXPECT_FALSE(f.Tsumami3->Ctl3D()) << "inherited from GroupBox1";
    EXPECT_TRUE(f.Label3->TextAtBottom() && f.Label4->TextAtBottom() && f.Label5->TextAtBottom());
    EXPECT_FALSE(f.Label1->TextAtBottom());
    EXPECT_EQ(f.Image1->Picture().Width(), kLogoWidth);
    EXPECT_EQ(f.Image1->Picture().Height(), kLogoHeight);
    EXPECT_EQ(f.Timer1->Interval(), 100);
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_EQ(f.AlphaBlendValue, 50);
    EXPECT_EQ(f.TransparentColorValue, RgbColor(0, 0, 0));
}

TEST(Layout, ListsSlidersKnobsAndBoxesStartAsDesigned) {
    EditorHost host;
    host.openEditor();
    TForm1& f = host.form();
    const std::vector<std::string> waves{"Sin", "Saw", "Sqr", "Tri", "Noise"};
    EXPECT_EQ(f.ComboBox1->Items(), waves);
    EXPECT_EQ(f.ComboBox2->Items(), waves);
    EXPECT_EQ(f.ComboBox3->Items(), (std::vector<std::string>{"LowPass", "BandPass", "HighPass"}));
    EXPECT_EQ(f.ComboBox4->Items(), (std::vector<std::string>{"Light", "Middle", "Heavy"}));
    EXPECT_EQ(f.ComboBox5->Items(), (std::vector<std::string>{"Linear", "sqr", "sqrt"}));
    EXPECT_EQ(f.ComboBox7->Items(), (std::vector<std::string>{"Oct +1", "Octave", "Oct -1"}));
    ASSERT_EQ(f.ComboBox6->Items().size(), 18u);
    for (size_t i = 0; i < 18; ++i) EXPECT_EQ(f.ComboBox6->Items()[i], kPresetListItems[i]);
    EXPECT_EQ(f.ComboBox6->Text(), "Preset");
    EXPECT_EQ(f.ComboBox6->DropDownCount(), 20);
    for (TComboBox* list : {f.ComboBox1, f.ComboBox2, f.ComboBox3, f.ComboBox4, f.ComboBox5})
        EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(f.ComboBox7->Text(), "Oct -1") << "the first paint applies the cached 1.0";

    struct Knob { TTsumami* knob; int position; };
    for (const Knob& k : {Knob{f.Tsumami1, 50}, Knob{f.Tsumami2, 50}, Knob{f.Tsumami3, 50}, Knob{f.Tsumami4, 0},
                          Knob{f.Tsumami5, 50}, Knob{f.Tsumami6, 50}, Knob{f.Tsumami7, 50}})
        EXPECT_EQ(k.knob->Position(), k.position) << k.knob->Left() << "," << k.knob->Top();
    struct Bar { TvTrackBar* bar; int position; bool vertical; };
    for (const Bar& b : {Bar{f.TrackBar1, 25, false}, Bar{f.TrackBar2, 25, true}, Bar{f.TrackBar3, 45, true},
                         Bar{f.TrackBar4, 45, true}, Bar{f.TrackBar5, 0, true}, Bar{f.TrackBar6, 25, true}}) {
        SCOPED_TRACE(b.bar->Left());
        EXPECT_EQ(b.bar->Position(), b.position);
        EXPECT_EQ(b.bar->Orientation() == TvTrackBarOrientation::trVertical, b.vertical);
        EXPECT_EQ(b.bar->Min(), 0);
        EXPECT_EQ(b.bar->Max(), 50);
        EXPECT_EQ(b.bar->Frequency(), 5);
        EXPECT_EQ(b.bar->ThumbLength(), 15);
        EXPECT_EQ(b.bar->TickMarks(), TvTickMark::tmBoth);
        EXPECT_EQ(b.bar->TickStyle(), TvTickStyle::tsAuto);
        EXPECT_EQ(b.bar->SelStart(), 0);
        EXPECT_EQ(b.bar->SelEnd(), 0);
        EXPECT_EQ(b.bar->PageSize(), b.vertical ? 1 : 2);
    }
    for (TCheckBox* box : {f.CheckBox1, f.CheckBox2, f.CheckBox3}) EXPECT_FALSE(box->Checked());
    EXPECT_TRUE(host.automations().empty()) << "opening sends nothing";
}

TEST(Bridge, TheRectangleIsThePanelsBeforeDuringAndAfterOpen) {
    EditorHost host;
    EXPECT_EQ(host.effect()->flags, vst::effFlagsHasEditor | vst::effFlagsCanReplacing | vst::effFlagsIsSynth);
    auto rect = [&] {
        vst::ERect* r = nullptr;
        EXPECT_EQ(host.dispatch(vst::effEditGetRect, 0, 0, &r), 1);
        return r ? std::vector<int>{r->top, r->left, r->bottom, r->right} : std::vector<int>{};
    };
    const std::vector<int> panel{0, 0, 313, 505};
    EXPECT_EQ(rect(), panel) << "before the first open";
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_EQ(rect(), panel);
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getForm(), nullptr);
    EXPECT_EQ(rect(), panel) << "after the last close";
    EXPECT_EQ(host.dispatch(vst::effEditGetRect, 0, 0, nullptr), 0) << "nil address";

    EXPECT_EQ(host.dispatch(vst::effEditKeyDown, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(host.dispatch(vst::effEditKeyUp, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(host.dispatch(vst::effSetEditKnobMode, 0, 2), 0);
    for (int32_t opcode : {vst::effEditDraw, vst::effEditMouse, vst::effEditKey, vst::effEditTop, vst::effEditSleep})
        EXPECT_EQ(host.dispatch(opcode), 0) << opcode;
}

TEST(Bridge, OpensAreCountedAndAStrayCloseIsIgnored) {
    EditorHost host;
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getOpenCount(), 0) << "a close without an open";
    ASSERT_EQ(host.openEditor(), 1);
    TForm1* first = host.editor().getForm();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(host.screen().Visible());
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_EQ(host.editor().getForm(), first) << "a second open keeps the form";
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getForm(), first);
    EXPECT_TRUE(host.screen().Visible());
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getForm(), nullptr);
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getOpenCount(), 0);
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_NE(host.editor().getForm(), nullptr);
}

TEST(Bridge, ClosingTheInstanceWithTheEditorOpenTakesTheFormFirst) {
    for (int opens : {1, 3}) {
        EditorHost host;
        for (int i = 0; i < opens; ++i) host.openEditor();
        host.tick();
        host.close();  // the sanitizers see any use of the instance after it went
    }
}

TEST(Bridge, AHundredOpenAndCloseCycles) {
    EditorHost host;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(host.openEditor(), 1);
        host.tick();
        host.dispatch(vst::effEditClose);
        ASSERT_EQ(host.editor().getForm(), nullptr);
    }
    EXPECT_TRUE(host.automations().empty());
}

}  // namespace
}  // namespace tamrik::test
