// Software rasterisation for the few shapes the controls use. Ellipses are
// pixel-centre tests against the box's inscribed ellipse; their outline is
// the inside pixels that touch the outside, so outline and fill share one
// boundary and an arc is exactly the outline pixels within its sweep.
#include "toolkit/Canvas.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace tamrik::tk {

TCanvas::TCanvas(PixelBuffer& surface, TPoint origin, TRect clip, const FontFace& font)
    : surface_(surface), origin_(origin), clip_(clip.Intersect(surface.Bounds())), font_(font) {}

void TCanvas::SetPixel(int x, int y, TColor c) {
    const TPoint p{x + origin_.x, y + origin_.y};
    if (clip_.Contains(p)) surface_.Set(p.x, p.y, c);
}

void TCanvas::PlotPen(int x, int y) {
    if (!Pen.Clear) SetPixel(x, y, Pen.Color);
}

void TCanvas::LineTo(int x, int y) {
    // Bresenham from the current position; the loop stops before (x, y).
    int px = penPos_.x, py = penPos_.y;
    const int dx = std::abs(x - px), dy = -std::abs(y - py);
    const int sx = px < x ? 1 : -1, sy = py < y ? 1 : -1;
    int err = dx + dy;
    while (px != x || py != y) {
        PlotPen(px, py);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
    penPos_ = {x, y};
}

bool TCanvas::InsideEllipse(double cx, double cy, double rx, double ry, int x, int y) const {
    const double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
    return nx * nx + ny * ny <= 1.0;
}

bool TCanvas::OnOutline(double cx, double cy, double rx, double ry, int x, int y) const {
    return !InsideEllipse(cx, cy, rx, ry, x - 1, y) || !InsideEllipse(cx, cy, rx, ry, x + 1, y) ||
           !InsideEllipse(cx, cy, rx, ry, x, y - 1) || !InsideEllipse(cx, cy, rx, ry, x, y + 1);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) return;
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            if (!InsideEllipse(cx, cy, rx, ry, x, y)) continue;
            if (OnOutline(cx, cy, rx, ry, x, y))
                PlotPen(x, y);
            else if (!Brush.Clear)
                SetPixel(x, y, Brush.Color);
        }
}

void TCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
    if (right - left < 1 || bottom - top < 1) return;
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    constexpr double kTurn = 2 * std::numbers::pi;
    // Angles measured anticlockwise on screen (y grows downwards), taken at
    // pixel centres like the outline test itself.
    auto angleOf = [&](double px, double py) {
        const double a = std::atan2(-(py + 0.5 - cy), px + 0.5 - cx);
        return a < 0 ? a + kTurn : a;
    };
    const double start = angleOf(x1, y1);
    double sweep = angleOf(x2, y2) - start;
    if (sweep <= 0) sweep += kTurn;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            if (!InsideEllipse(cx, cy, rx, ry, x, y) || !OnOutline(cx, cy, rx, ry, x, y)) continue;
            double offset = angleOf(x, y) - start;
            if (offset < 0) offset += kTurn;
            if (offset <= sweep) PlotPen(x, y);
        }
}

void TCanvas::FillRect(const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) SetPixel(x, y, Brush.Color);
}

void TCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty()) return;
    for (int x = r.Left; x < r.Right; ++x) {
        SetPixel(x, r.Top, Brush.Color);
        SetPixel(x, r.Bottom - 1, Brush.Color);
    }
    for (int y = r.Top; y < r.Bottom; ++y) {
        SetPixel(r.Left, y, Brush.Color);
        SetPixel(r.Right - 1, y, Brush.Color);
    }
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!Brush.Clear) FillRect({left + 1, top + 1, right - 1, bottom - 1});
    if (Pen.Clear) return;
    const TColor fill = Brush.Color;
    Brush.Color = Pen.Color;
    FrameRect({left, top, right, bottom});
    Brush.Color = fill;
}

void TCanvas::Edge(const TRect& r, bool sunken, bool doubleEdge) {
    const TColor outerLight = sunken ? GetSysColor(TK_COLOR_BTNSHADOW) : GetSysColor(TK_COLOR_3DLIGHT);
    const TColor outerDark = sunken ? GetSysColor(TK_COLOR_BTNHIGHLIGHT) : GetSysColor(TK_COLOR_3DDKSHADOW);
    const TColor innerLight = sunken ? GetSysColor(TK_COLOR_3DDKSHADOW) : GetSysColor(TK_COLOR_BTNHIGHLIGHT);
    const TColor innerDark = sunken ? GetSysColor(TK_COLOR_3DLIGHT) : GetSysColor(TK_COLOR_BTNSHADOW);
    auto ring = [&](const TRect& b, TColor topLeft, TColor bottomRight) {
        for (int x = b.Left; x < b.Right; ++x) {
            SetPixel(x, b.Top, topLeft);
            SetPixel(x, b.Bottom - 1, bottomRight);
        }
        for (int y = b.Top; y < b.Bottom - 1; ++y) {
            SetPixel(b.Left, y, topLeft);
            SetPixel(b.Right - 1, y, bottomRight);
        }
        SetPixel(b.Right - 1, b.Top, bottomRight);
    };
    ring(r, outerLight, outerDark);
    if (doubleEdge) ring({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, innerLight, innerDark);
}

void TCanvas::FieldFrame(const TRect& r, bool ctl3D) {
    if (ctl3D) {
        Edge(r, true, true);
        return;
    }
    const TColor fill = Brush.Color;
    Brush.Color = GetSysColor(TK_COLOR_WINDOWFRAME);
    FrameRect(r);
    Brush.Color = fill;
}

void TCanvas::TextAt(int x, int y, std::string_view text) {
    font_.Draw(surface_, clip_, x + origin_.x, y + origin_.y, text, FontColor);
}

}  // namespace tamrik::tk
