#include "editor/PadButton.h"

namespace tamrik {

using namespace tk;

namespace {

constexpr TColor kLightOn = RgbColor(255, 48, 32);
constexpr TColor kLightOff = RgbColor(88, 16, 8);

// As much of text as fits width, whole characters.
std::string Fit(const TCanvas& canvas, std::string text, int width) {
    while (!text.empty() && canvas.TextWidth(text) > width) text.pop_back();
    return text;
}

}  // namespace

PadButton::PadButton(TWinControl* parent, int number) : TCustomControl(parent), number_(number) {}

void PadButton::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Invalidate();
}

void PadButton::SetSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    Invalidate();
}

void PadButton::SetLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    Invalidate();
}

void PadButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case TK_WM_LBUTTONDOWN:
            Fire(m.WParam & (TK_MK_SHIFT | TK_MK_CONTROL) ? OnAudition : OnSelect, this);
            return;
        case TK_WM_RBUTTONDOWN:
            Fire(OnAudition, this);
            return;
        case TK_WM_LBUTTONDBLCLK:
            Fire(m.WParam & (TK_MK_SHIFT | TK_MK_CONTROL) ? OnAudition : OnRename, this);
            return;
        default:
            TCustomControl::WndProc(m);
    }
}

void PadButton::Paint(TCanvas& canvas) {
    const TRect face = ClientRect();
    canvas.Brush.Color = GetSysColor(selected_ ? TK_COLOR_HIGHLIGHT : TK_COLOR_BTNFACE);
    canvas.FillRect(face);
    canvas.Edge(face, selected_, true);
    canvas.Brush.Color = lit_ ? kLightOn : kLightOff;
    canvas.FillRect({5, 5, 13, 11});
    canvas.FontColor = GetSysColor(selected_ ? TK_COLOR_HIGHLIGHTTEXT : TK_COLOR_BTNTEXT);
    canvas.TextAt(17, 2, std::to_string(number_));
    canvas.TextAt(4, 15, Fit(canvas, caption_, Width() - 7));
}

}  // namespace tamrik
