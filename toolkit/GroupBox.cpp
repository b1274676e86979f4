// The frame's top runs through the middle of the caption line.
#include "toolkit/GroupBox.h"

namespace tamrik::tk {

void TGroupBox::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Invalidate();
}

void TGroupBox::Paint(TCanvas& canvas) {
    const int top = canvas.TextHeight() / 2;
    const TRect frame{0, top, Width(), Height()};
    if (Ctl3D()) {
        canvas.Brush.Color = GetSysColor(TK_COLOR_BTNHIGHLIGHT);
        canvas.FrameRect(frame.Offset(1, 1));
        canvas.Brush.Color = GetSysColor(TK_COLOR_BTNSHADOW);
        canvas.FrameRect({frame.Left, frame.Top, frame.Right - 1, frame.Bottom - 1});
    } else {
        canvas.Brush.Color = GetSysColor(TK_COLOR_WINDOWFRAME);
        canvas.FrameRect(frame);
    }
    if (caption_.empty()) return;
    canvas.Brush.Color = Color();
    canvas.FillRect({6, 0, 8 + canvas.TextWidth(caption_) + 2, canvas.TextHeight()});
    canvas.TextAt(8, 0, caption_);
}

}  // namespace tamrik::tk
