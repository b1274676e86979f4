// tamrik-gallery OUT.png: paints the controls as the editor uses them on an
// offscreen form and writes the sheet as a PNG, so that the look can be
// reviewed at a glance without a host or a display.
#include <cstdio>
#include <string>

#include "editor/ControlBuilders.h"
#include "synth/ParameterTable.h"

namespace {

using namespace tamrik;
using namespace tamrik::tk;
using namespace tamrik::builders;

void BuildSheet(TForm& form) {
    auto* sheet = Group(&form, "DrumTamrik controls", 0, 0, form.Width(), form.Height());
    sheet->SetCtl3D(false);

    auto* knobs = Group(sheet, "Knobs", 8, 16, 265, 81);
    const int positions[] = {0, 25, 50, 75, 100};
    for (int i = 0; i < 5; ++i) {
        Knob(knobs, 16 + i * 48, 20, positions[i]);
        Text(knobs, std::to_string(positions[i]).c_str(), 24 + i * 48, 56, 25);
    }

    auto* sliders = Group(sheet, "Sliders", 8, 104, 265, 185);
    const int vertical[] = {45, 45, 25, 25, 0};
    const char* names[] = {"A", "H", "R", "Vol", "Clip"};
    for (int i = 0; i < 5; ++i) {
        Slider(sliders, true, 8 + i * 40, 16, vertical[i]);
        Text(sliders, names[i], 16 + i * 40, 128, 24);
    }
    Text(sliders, "Mix", 16, 152, 24);
    Slider(sliders, false, 56, 144, 25);

    auto* others = Group(sheet, "Lists and switches", 280, 16, 217, 273);
    List(others, 8, 16, 105, kParameterTable[kWave1].captions)->SetItemIndex(1);
    auto* open = List(others, 8, 48, 105, kParameterTable[kType].captions);
    Switch(others, kParameterTable[kRing].captions[0], 8, 144, 97)->SetChecked(true);
    Switch(others, kParameterTable[kFM].captions[0], 8, 168, 97);
    auto* nested = Group(others, "Osc1", 120, 16, 89, 113);
    Knob(nested, 28, 24, 50);
    Text(nested, "Time", 30, 60, 28);
    Text(nested, "text at bottom", 8, 76, 73, true)->SetBounds(8, 76, 73, 28);
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
