// The box, its tick and the caption; a click toggles it (TClickControl).
#include "toolkit/CheckBox.h"

#include <algorithm>
#include <cmath>

namespace tamrik::tk {
namespace {
constexpr int kBox = 13;
}

void TCheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Invalidate();
    if (OnClick) OnClick(this);
}

void TCheckBox::Paint(TCanvas& canvas) {
    const int top = (Height() - kBox) / 2;
    const TRect box{0, top, kBox, top + kBox};
    canvas.Brush.Color = GetSysColor(Pressed() ? TK_COLOR_BTNFACE : TK_COLOR_WINDOW);
    canvas.FillRect(box);
    canvas.FieldFrame(box, Ctl3D());
    if (checked_) {
        // The classic tick: a 7-pixel check mark three pixels thick, its
        // upper edge falling to the fourth column and rising again. Drawn
        // column by device column, so that it stays a clean V at any scale.
        const Scale s = canvas.GetScale();
        TCanvas device = canvas.DevicePixels();
        device.Brush.Color = GetSysColor(TK_COLOR_WINDOWTEXT);
        const int thickness = s.Dev(3);
        for (int x = s.Dev(3); x < s.Dev(10); ++x) {
            const double column = (x + 0.5) * 100.0 / s.Percent() - 3.5;
            const double upper = top + 5 + std::min(column, 6 - column);
            const int y = int(std::floor(upper * s.Percent() / 100.0 + 0.5));
            device.FillRect({x, y, x + 1, y + thickness});
        }
    }
    canvas.TextAt(kBox + 4, (Height() - canvas.TextHeight()) / 2, Caption());
}

}  // namespace tamrik::tk
