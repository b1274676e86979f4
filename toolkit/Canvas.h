// Drawing onto a window's part of the form surface, with the conventions of
// the Win32 device context: coordinates are client coordinates of the
// window, a line does not draw its end point, a shape does not draw the
// right and bottom edges of its bounding box, and nothing leaves the clip.
#pragma once

#include <string_view>

#include "toolkit/FontFace.h"
#include "toolkit/PixelBuffer.h"

namespace tamrik::tk {

struct TPen {
    TColor Color = RgbColor(0, 0, 0);
    bool Clear = false;  // no outline at all
};

struct TBrush {
    TColor Color = RgbColor(255, 255, 255);
    bool Clear = false;  // shapes are not filled
};

class TCanvas {
public:
    // origin: where client (0, 0) lies on the surface; clip in surface pixels.
    TCanvas(PixelBuffer& surface, TPoint origin, TRect clip, const FontFace& font);

    TPen Pen;
    TBrush Brush;
    TColor FontColor = RgbColor(0, 0, 0);

    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);
    void Ellipse(int left, int top, int right, int bottom);
    // The arc of the ellipse in the box, anticlockwise from the ray through
    // (x1, y1) to the ray through (x2, y2), both rays from the box centre.
    void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void SetPixel(int x, int y, TColor c);
    // Sunken or raised 3D edge of one or two pixels, as Win32 DrawEdge draws it.
    void Edge(const TRect& r, bool sunken, bool doubleEdge);
    // The frame of an input field: sunken in 3D, a single dark line when flat.
    void FieldFrame(const TRect& r, bool ctl3D);
    void TextAt(int x, int y, std::string_view text);
    int TextWidth(std::string_view text) const { return font_.TextWidth(text); }
    int TextHeight() const { return font_.LineHeight(); }

private:
    void PlotPen(int x, int y);
    bool InsideEllipse(double cx, double cy, double rx, double ry, int x, int y) const;
    // For a pixel inside the ellipse: whether a 4-neighbour lies outside.
    bool OnOutline(double cx, double cy, double rx, double ry, int x, int y) const;

    PixelBuffer& surface_;
    TPoint origin_;
    TRect clip_;
    const FontFace& font_;
    TPoint penPos_;
};

}  // namespace tamrik::tk
