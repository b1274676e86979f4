// Software rasterisation for the few shapes the controls use. Ellipses are
// pixel-centre tests against the box's inscribed ellipse; their outline is
// the inside pixels that touch the outside (a ring of line width when lines
// are wider than one pixel), so outline and fill share one boundary and an
// arc is exactly the outline pixels within its sweep. At 100 % with
// one-pixel lines every primitive draws the pixels it always drew.
#include "toolkit/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace tamrik::tk {
namespace {

bool Inside(double cx, double cy, double rx, double ry, int x, int y) {
    const double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
    return nx * nx + ny * ny <= 1.0;
}

}  // namespace

TCanvas::TCanvas(PixelBuffer& surface, TPoint origin, TRect clip, const FontFace& font, Scale scale)
    : TCanvas(surface, origin, clip, font, scale, scale.LineWidth(), scale.Dev(2)) {}

TCanvas::TCanvas(PixelBuffer& surface, TPoint origin, TRect clip, const FontFace& font, Scale scale, int lineWidth,
                 int edgeWidth)
    : surface_(surface), origin_(origin), clip_(clip.Intersect(surface.Bounds())), font_(font), scale_(scale),
      lineWidth_(lineWidth), edgeWidth_(edgeWidth) {}

TCanvas TCanvas::DevicePixels() const {
    TCanvas device(surface_, {scale_.Dev(origin_.x), scale_.Dev(origin_.y)}, clip_, font_, Scale(), lineWidth_,
                   edgeWidth_);
    device.Pen = Pen;
    device.Brush = Brush;
    device.FontColor = FontColor;
    return device;
}

void TCanvas::Fill(const TRect& device, TColor c) {
    const TRect r = device.Intersect(clip_);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) surface_.Set(x, y, c);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    Fill({X(x), Y(y), X(x + 1), Y(y + 1)}, c);
}

void TCanvas::PlotPen(int x, int y) {
    if (!Pen.Clear) Fill({x, y, x + lineWidth_, y + lineWidth_}, Pen.Color);
}

void TCanvas::ThinLine(TPoint from, TPoint to) {
    // Bresenham in device pixels; the loop stops before the end point.
    int px = from.x, py = from.y;
    const int dx = std::abs(to.x - px), dy = -std::abs(to.y - py);
    const int sx = px < to.x ? 1 : -1, sy = py < to.y ? 1 : -1;
    int err = dx + dy;
    while (px != to.x || py != to.y) {
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
}

void TCanvas::WideLine(TPoint from, TPoint to) {
    // Lines along an axis cover exactly the scaled pixels they stand for;
    // slanted ones are a Bresenham line of pen squares between the bands.
    const int w = lineWidth_;
    if (Pen.Clear) return;
    if (from.y == to.y && from.x != to.x) {
        const int a = std::min(from.x, to.x + 1), b = std::max(to.x, from.x + 1);
        const int band = scale_.Band(origin_.y + from.y, w);
        Fill({X(a), band, X(b), band + w}, Pen.Color);
    } else if (from.x == to.x && from.y != to.y) {
        const int a = std::min(from.y, to.y + 1), b = std::max(to.y, from.y + 1);
        const int band = scale_.Band(origin_.x + from.x, w);
        Fill({band, Y(a), band + w, Y(b)}, Pen.Color);
    } else {
        ThinLine({scale_.Band(origin_.x + from.x, w), scale_.Band(origin_.y + from.y, w)},
                 {scale_.Band(origin_.x + to.x, w), scale_.Band(origin_.y + to.y, w)});
    }
}

void TCanvas::LineTo(int x, int y) {
    const TPoint from = penPos_;
    penPos_ = {x, y};
    if (scale_.IsIdentity() && lineWidth_ == 1)
        ThinLine({origin_.x + from.x, origin_.y + from.y}, {origin_.x + x, origin_.y + y});
    else
        WideLine(from, penPos_);
}

TRect TCanvas::DeviceBox(int left, int top, int right, int bottom) const {
    return {X(left), Y(top), X(right), Y(bottom)};
}

bool TCanvas::OnOutline(double cx, double cy, double rx, double ry, int x, int y) const {
    if (lineWidth_ == 1)
        return !Inside(cx, cy, rx, ry, x - 1, y) || !Inside(cx, cy, rx, ry, x + 1, y) ||
               !Inside(cx, cy, rx, ry, x, y - 1) || !Inside(cx, cy, rx, ry, x, y + 1);
    const double irx = rx - lineWidth_, iry = ry - lineWidth_;
    return irx <= 0 || iry <= 0 || !Inside(cx, cy, irx, iry, x, y);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    const TRect box = DeviceBox(left, top, right, bottom);
    if (box.Width() < 1 || box.Height() < 1) return;
    const double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
    const double rx = box.Width() / 2.0, ry = box.Height() / 2.0;
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x) {
            if (!Inside(cx, cy, rx, ry, x, y)) continue;
            if (OnOutline(cx, cy, rx, ry, x, y)) {
                if (!Pen.Clear) Fill({x, y, x + 1, y + 1}, Pen.Color);
            } else if (!Brush.Clear) {
                Fill({x, y, x + 1, y + 1}, Brush.Color);
            }
        }
}

void TCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
    const TRect box = DeviceBox(left, top, right, bottom);
    if (box.Width() < 1 || box.Height() < 1 || Pen.Clear) return;
    const double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
    const double rx = box.Width() / 2.0, ry = box.Height() / 2.0;
    constexpr double kTurn = 2 * std::numbers::pi;
    // Angles measured anticlockwise on screen (y grows downwards), taken at
    // pixel centres like the outline test itself.
    auto angleOf = [&](double px, double py) {
        const double a = std::atan2(-(py + 0.5 - cy), px + 0.5 - cx);
        return a < 0 ? a + kTurn : a;
    };
    const double start = angleOf(X(x1), Y(y1));
    double sweep = angleOf(X(x2), Y(y2)) - start;
    if (sweep <= 0) sweep += kTurn;
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x) {
            if (!Inside(cx, cy, rx, ry, x, y) || !OnOutline(cx, cy, rx, ry, x, y)) continue;
            double offset = angleOf(x, y) - start;
            if (offset < 0) offset += kTurn;
            if (offset <= sweep) Fill({x, y, x + 1, y + 1}, Pen.Color);
        }
}

void TCanvas::FillRect(const TRect& r) { Fill(DeviceBox(r.Left, r.Top, r.Right, r.Bottom), Brush.Color); }

void TCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty()) return;
    const TRect d = DeviceBox(r.Left, r.Top, r.Right, r.Bottom);
    const int w = lineWidth_;
    Fill({d.Left, d.Top, d.Right, d.Top + w}, Brush.Color);
    Fill({d.Left, d.Bottom - w, d.Right, d.Bottom}, Brush.Color);
    Fill({d.Left, d.Top, d.Left + w, d.Bottom}, Brush.Color);
    Fill({d.Right - w, d.Top, d.Right, d.Bottom}, Brush.Color);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    const TRect d = DeviceBox(left, top, right, bottom);
    const int w = lineWidth_;
    if (!Brush.Clear) Fill({d.Left + w, d.Top + w, d.Right - w, d.Bottom - w}, Brush.Color);
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
    // The top-left colour stops short of the far corners, as DrawEdge's does.
    auto ring = [&](const TRect& b, int w, TColor topLeft, TColor bottomRight) {
        Fill({b.Left, b.Top, b.Right - w, b.Top + w}, topLeft);
        Fill({b.Left, b.Top, b.Left + w, b.Bottom - w}, topLeft);
        Fill({b.Left, b.Bottom - w, b.Right, b.Bottom}, bottomRight);
        Fill({b.Right - w, b.Top, b.Right, b.Bottom}, bottomRight);
    };
    const TRect d = DeviceBox(r.Left, r.Top, r.Right, r.Bottom);
    if (!doubleEdge) {
        ring(d, lineWidth_, outerLight, outerDark);
        return;
    }
    // Two lines share the scaled width of two pixels, so that no gap opens
    // between them at fractional scales.
    const int both = edgeWidth_, outer = both - both / 2;
    ring(d, outer, outerLight, outerDark);
    ring({d.Left + outer, d.Top + outer, d.Right - outer, d.Bottom - outer}, both / 2, innerLight, innerDark);
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
    font_.Draw(surface_, clip_, X(x), Y(y), text, FontColor);
}

void TCanvas::DrawPicture(int x, int y, const PixelBuffer& picture) {
    const TPoint at{X(x), Y(y)};
    const TRect r = TRect{at.x, at.y, at.x + picture.Width(), at.y + picture.Height()}.Intersect(clip_);
    for (int py = r.Top; py < r.Bottom; ++py)
        for (int px = r.Left; px < r.Right; ++px) surface_.Set(px, py, picture.At(px - at.x, py - at.y));
}

}  // namespace tamrik::tk
