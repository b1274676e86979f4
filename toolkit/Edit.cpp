#include "toolkit/Edit.h"

#include "toolkit/Canvas.h"
#include "toolkit/Messages.h"
#include "toolkit/SystemColors.h"

namespace tamrik::tk {

TEdit::TEdit(TWinControl* parent) : TCustomControl(parent) {
    SetTabStop(true);
    DoubleClicks = false;
}

void TEdit::SetText(std::string text) {
    text_ = std::move(text);
    if (text_.size() > MaxLength) text_.resize(MaxLength);
    Invalidate();
}

void TEdit::WndProc(TMessage& m) {
    switch (m.Msg) {
        case TK_WM_CHAR:
            if (m.WParam == TK_VK_BACK) {
                if (!text_.empty()) text_.pop_back();
            } else if (((m.WParam >= 0x20 && m.WParam < 0x7F) || (m.WParam >= 0xA0 && m.WParam <= 0xFF)) &&
                       text_.size() < MaxLength) {
                text_.push_back(char(m.WParam));
            }
            Invalidate();
            return;
        case TK_WM_KEYDOWN:
            // Handlers may delete the field: nothing of it is touched after.
            if (m.WParam == TK_VK_RETURN && OnAccept) OnAccept(this);
            else if (m.WParam == TK_VK_ESCAPE && OnCancel) OnCancel(this);
            return;
        default:
            TCustomControl::WndProc(m);
    }
}

void TEdit::Paint(TCanvas& canvas) {
    const TRect field = ClientRect();
    canvas.Brush.Color = GetSysColor(TK_COLOR_WINDOW);
    canvas.FillRect(field);
    canvas.FieldFrame(field, Ctl3D());
    canvas.FontColor = GetSysColor(TK_COLOR_WINDOWTEXT);
    const int top = (Height() - canvas.TextHeight()) / 2;
    canvas.TextAt(4, top, text_);
    if (Focused()) {
        canvas.Pen.Color = GetSysColor(TK_COLOR_WINDOWTEXT);
        const int x = 4 + canvas.TextWidth(text_) + 1;
        canvas.MoveTo(x, top);
        canvas.LineTo(x, top + canvas.TextHeight());
    }
}

}  // namespace tamrik::tk
