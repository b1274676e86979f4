// tamrik-gallery OUT.png: paints the controls as the editor uses them on an
// offscreen form and writes the sheet as a PNG, so that the look can be
// reviewed at a glance without a host or a display.
#include <cstdio>
#include <string>
#include <vector>

#include "controls/Tsumami.h"
#include "controls/vTrackBar.h"
#include "toolkit/Toolkit.h"

namespace {

using namespace tamrik;
using namespace tamrik::tk;

TGroupBox* Group(TWinControl* parent, const char* caption, int left, int top, int width, int height) {
    auto* box = new TGroupBox(parent);
    box->SetBounds(left, top, width, height);
    box->SetCaption(caption);
    return box;
}

void Caption(TWinControl* parent, const char* text, int left, int top, int width) {
    auto* label = new TLabel(parent);
    label->SetBounds(left, top, width, 12);
    label->SetCaption(text);
}

TvTrackBar* EditorTrackBar(TWinControl* parent, bool vertical, int left, int top, int position) {
    auto* bar = new TvTrackBar(parent);
    if (vertical) bar->SetOrientation(TvTrackBarOrientation::trVertical);
    bar->SetBounds(left, top, vertical ? 33 : 201, vertical ? 113 : 33);
    bar->SetMax(50);
    bar->SetFrequency(5);
    bar->SetThumbLength(15);
    bar->SetTickMarks(TvTickMark::tmBoth);
    if (vertical) bar->SetPageSize(1);
    bar->SetPosition(position);
    return bar;
}

void BuildSheet(TForm& form) {
    auto* sheet = Group(&form, "DrumTamrik controls", 0, 0, form.Width(), form.Height());
    sheet->SetCtl3D(false);

    auto* knobs = Group(sheet, "Knobs", 8, 16, 265, 81);
    const int positions[] = {0, 25, 50, 75, 100};
    for (int i = 0; i < 5; ++i) {
        auto* knob = new TTsumami(knobs);
        knob->SetBounds(16 + i * 48, 20, 33, 33);
        knob->SetPosition(positions[i]);
        Caption(knobs, std::to_string(positions[i]).c_str(), 24 + i * 48, 56, 25);
    }

    auto* sliders = Group(sheet, "Sliders", 8, 104, 265, 185);
    const int vertical[] = {45, 45, 25, 25, 0};
    const char* names[] = {"A", "H", "R", "Vol", "Clip"};
    for (int i = 0; i < 5; ++i) {
        EditorTrackBar(sliders, true, 8 + i * 40, 16, vertical[i]);
        Caption(sliders, names[i], 16 + i * 40, 128, 24);
    }
    Caption(sliders, "Mix", 16, 152, 24);
    EditorTrackBar(sliders, false, 56, 144, 25);

    auto* others = Group(sheet, "Lists and switches", 280, 16, 217, 273);
    const std::vector<std::string> waves{"Sin", "Saw", "Sqr", "Tri", "Noise"};
    auto* list = new TComboBox(others);
    list->SetBounds(8, 16, 105, 20);
    list->SetItems(waves);
    list->SetItemIndex(1);
    auto* open = new TComboBox(others);
    open->SetBounds(8, 48, 105, 20);
    open->SetItems({"LowPass", "BandPass", "HighPass"});
    open->SetItemIndex(0);
    auto* ring = new TCheckBox(others);
    ring->SetBounds(8, 144, 97, 17);
    ring->SetCaption("Ring Osc2");
    ring->SetChecked(true);
    auto* fm = new TCheckBox(others);
    fm->SetBounds(8, 168, 97, 17);
    fm->SetCaption("FM Osc1");
    auto* nested = Group(others, "Osc1", 120, 16, 89, 113);
    auto* knob = new TTsumami(nested);
    knob->SetBounds(28, 24, 33, 33);
    Caption(nested, "Time", 30, 60, 28);
    auto* bottom = new TLabel(nested);
    bottom->SetBounds(8, 76, 73, 28);
    bottom->SetTextAtBottom(true);
    bottom->SetCaption("text at bottom");
    open->SetDroppedDown(true);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tamrik-gallery OUT.png\n");
        return 2;
    }
    TForm form(std::make_unique<OffscreenBackend>(), 505, 297);
    BuildSheet(form);
    form.CreateParented(0);
    form.ShowForm();
    if (!form.Snapshot(form).SavePng(argv[1])) {
        std::fprintf(stderr, "tamrik-gallery: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
