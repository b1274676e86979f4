#include "editor/ControlBuilders.h"

namespace tamrik::builders {

using namespace tk;

TGroupBox* Group(TWinControl* parent, const char* caption, int left, int top, int width, int height) {
    auto* box = new TGroupBox(parent);
    box->SetBounds(left, top, width, height);
    box->SetCaption(caption);
    return box;
}

TLabel* Text(TWinControl* parent, const char* caption, int left, int top, int width, bool atBottom) {
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

TComboBox* List(TWinControl* parent, int left, int top, int width, std::span<const char* const> items) {
    return List(parent, left, top, width, std::vector<std::string>(items.begin(), items.end()));
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
    bar->SetMax(kSliderSteps);
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

}  // namespace tamrik::builders
