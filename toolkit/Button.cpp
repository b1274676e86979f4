// Drawn raised, sunken while held, with the caption centred.
#include "toolkit/Button.h"

namespace tamrik::tk {

void TButton::Paint(TCanvas& canvas) {
    canvas.Brush.Color = GetSysColor(TK_COLOR_BTNFACE);
    canvas.FillRect(ClientRect());
    canvas.Edge(ClientRect(), Pressed(), true);
    canvas.FontColor = GetSysColor(Enabled() ? TK_COLOR_BTNTEXT : TK_COLOR_GRAYTEXT);
    const int shift = Pressed() ? 1 : 0;
    canvas.TextAt((Width() - canvas.TextWidth(Caption())) / 2 + shift, (Height() - canvas.TextHeight()) / 2 + shift,
                  Caption());
}

}  // namespace tamrik::tk
