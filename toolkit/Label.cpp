// Labels draw their text only; the background is the parent's.
#include "toolkit/Label.h"

namespace tamrik::tk {

void TLabel::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Invalidate();
}

void TLabel::SetTextAtBottom(bool atBottom) {
    textAtBottom_ = atBottom;
    Invalidate();
}

void TLabel::Paint(TCanvas& canvas) {
    canvas.TextAt(0, textAtBottom_ ? Height() - canvas.TextHeight() : 0, caption_);
}

}  // namespace tamrik::tk
