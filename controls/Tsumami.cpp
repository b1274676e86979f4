// The knob's drawing and drag arithmetic are fixed to the pixel: products of
// a float table entry and an integer are formed in double and rounded with
// roundEven, in the order written, so that every knob looks the same.
#include "controls/Tsumami.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "common/RoundEven.h"

namespace tamrik {

using tk::TPoint;

TTsumami::TTsumami(tk::TWinControl* parent) : tk::TCustomControl(nullptr) {
    SetDragMode(tk::TDragMode::dmAutomatic);
    SetPosition(50);
    FillPointerTables();
    if (parent) SetParent(parent);
}

void TTsumami::FillPointerTables() {
    // Once per knob, in extended precision, so painting never computes a sine.
    constexpr long double pi = std::numbers::pi_v<long double>;
    for (int i = 0; i <= 50; ++i) {
        const long double a = pi / 2 - i * pi / 65;
        pointerY_[size_t(50 + i)] = static_cast<float>(-std::sin(a));
        pointerX_[size_t(50 + i)] = static_cast<float>(std::cos(a));
        pointerY_[size_t(50 - i)] = pointerY_[size_t(50 + i)];
        pointerX_[size_t(50 - i)] = -pointerX_[size_t(50 + i)];
    }
}

void TTsumami::SetPosition(int position) {
    position_ = position;
    Invalidate();
    if (OnChange) OnChange(this);
}

TTsumami::Geometry TTsumami::PaintGeometry(tk::Scale scale) const {
    const int w = scale.Dev(Width()), h = scale.Dev(Height());
    // The construction's fixed insets, at the scale (k(n) = n at 100 %).
    auto k = [&](int n) { return scale.Dev(n); };
    const size_t p = size_t(std::clamp(position_, 0, kSteps - 1));
    const double px = pointerX_[p], py = pointerY_[p];
    const int cx = roundEven(w / 2.0), cy = roundEven(h / 2.0);
    Geometry g;
    g.body = {k(2), k(2), w - k(4), h - k(4)};
    g.arcBox = {k(4), k(4), w - k(6), h - k(6)};
    g.litFrom = {4 * (w / 5), h / 5};
    g.litTo = {w / 5, 4 * (h / 5)};
    const TPoint reach{roundEven((w - k(2)) * px / 2), roundEven((h - k(2)) * py / 2)};
    g.shadow = {{cx, cy}, {cx + reach.x, cy + reach.y}};
    g.highlight = {{cx - k(2), cy - k(2)}, {cx - k(2) + reach.x, cy - k(2) + reach.y}};
    g.pointer = {{cx - k(1), cy - k(1)},
                 {cx - k(1) + roundEven((w - k(4)) * px / 2), cy - k(1) + roundEven((h - k(4)) * py / 2)}};
    const size_t marks[3] = {100, 50, 0};
    for (size_t i = 0; i < 3; ++i) {
        const double kx = pointerX_[marks[i]], ky = pointerY_[marks[i]];
        g.ticks[i] = {{roundEven((w - k(6)) * kx / 2 + w / 2.0) - k(1), roundEven((h - k(6)) * ky / 2 + h / 2.0) - k(1)},
                      {roundEven(w * kx / 2 + w / 2.0), roundEven(h * ky / 2 + h / 2.0)}};
    }
    return g;
}

void TTsumami::Paint(tk::TCanvas& logical) {
    const Geometry g = PaintGeometry(logical.GetScale());
    tk::TCanvas canvas = logical.DevicePixels();
    const tk::TColor black = tk::RgbColor(0, 0, 0);
    const tk::TColor lit = tk::GetSysColor(tk::TK_COLOR_BTNHIGHLIGHT);
    const tk::TColor shade = tk::GetSysColor(tk::TK_COLOR_BTNSHADOW);
    auto line = [&](const Line& l, tk::TColor color) {
        canvas.Pen.Color = color;
        canvas.MoveTo(l.from.x, l.from.y);
        canvas.LineTo(l.to.x, l.to.y);
    };
    canvas.Pen.Color = black;
    canvas.Brush.Color = tk::GetSysColor(tk::TK_COLOR_BTNFACE);
    canvas.Ellipse(g.body.Left, g.body.Top, g.body.Right, g.body.Bottom);
    const tk::TRect& a = g.arcBox;
    canvas.Pen.Color = lit;
    canvas.Arc(a.Left, a.Top, a.Right, a.Bottom, g.litFrom.x, g.litFrom.y, g.litTo.x, g.litTo.y);
    canvas.Pen.Color = shade;
    canvas.Arc(a.Left, a.Top, a.Right, a.Bottom, g.litTo.x, g.litTo.y, g.litFrom.x, g.litFrom.y);
    line(g.shadow, shade);
    line(g.highlight, lit);
    line(g.pointer, black);
    for (const Line& tick : g.ticks) line(tick, black);
}

void TTsumami::BeginAutoDrag() {
    ReleaseCapture();
    SetCapture();
    adjusting_ = true;
    fine_ = fineAtPress_;
    dragOrigin_ = GetCursorPos();
    dragBase_ = position_;
}

void TTsumami::WndProc(tk::TMessage& message) {
    switch (message.Msg) {
        case tk::TK_WM_MOUSEMOVE: {
            if (!adjusting_) return;
            // The screen position, not the message's: the knob may have moved.
            dragLast_ = GetCursorPos();
            // Shift turns it ten times finer; the drag starts afresh from
            // here whenever Shift is pressed or let go.
            const bool fine = message.WParam & tk::TK_MK_SHIFT;
            if (fine != fine_) {
                fine_ = fine;
                dragOrigin_ = dragLast_;
                dragBase_ = std::clamp(position_, 0, 100);
            }
            const double pixelsPerStep = fine_ ? 20.0 : 2.0;
            const int dx = roundEven((dragLast_.x - dragOrigin_.x) / pixelsPerStep);
            const int dy = roundEven((dragOrigin_.y - dragLast_.y) / pixelsPerStep);
            // In 64 bits: a Position assigned from code may be near the int limits.
            const int64_t p = int64_t(dragBase_) + dx + dy;
            SetPosition(int(std::max<int64_t>(std::min<int64_t>(p, 100), 0)));
            return;
        }
        case tk::TK_WM_LBUTTONUP:
            ReleaseCapture();
            adjusting_ = false;
            return;
        case tk::TK_WM_LBUTTONDOWN:
        case tk::TK_WM_LBUTTONDBLCLK:
            // The press itself goes on to the automatic drag.
            fineAtPress_ = message.WParam & tk::TK_MK_SHIFT;
            tk::TCustomControl::WndProc(message);
            return;
        default:
            tk::TCustomControl::WndProc(message);
    }
}

}  // namespace tamrik
