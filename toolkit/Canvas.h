// Drawing onto a window's part of the form surface, with the conventions of
// the Win32 device context: coordinates are client coordinates of the
// window, a line does not draw its end point, a shape does not draw the
// right and bottom edges of its bounding box, and nothing leaves the clip.
//
// Coordinates are the panel's logical pixels; the canvas draws them at its
// scale, re-rendered rather than stretched: fills cover the scaled area,
// lines keep one width everywhere (the scale's line width), shapes are
// rasterised at the scaled size and text comes from a face of the scaled
// size. A control that wants its shape at the scaled geometry itself draws
// on DevicePixels().
#pragma once

#include <string_view>

#include "toolkit/FontFace.h"
#include "toolkit/PixelBuffer.h"
#include "toolkit/Scale.h"

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
    // origin: where client (0, 0) lies on the surface, in logical pixels
    // (the surface is scale times larger); clip in surface pixels; font:
    // the face for this scale.
    TCanvas(PixelBuffer& surface, TPoint origin, TRect clip, const FontFace& font, Scale scale = Scale());

    TPen Pen;
    TBrush Brush;
    TColor FontColor = RgbColor(0, 0, 0);

    const Scale& GetScale() const { return scale_; }
    // Width in device pixels of every line this canvas draws.
    int LineWidth() const { return lineWidth_; }
    // This canvas addressed in device pixels, lines as wide as here.
    TCanvas DevicePixels() const;

    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);
    void Ellipse(int left, int top, int right, int bottom);
    // The arc of the ellipse in the box, anticlockwise from the ray through
    // (x1, y1) to the ray through (x2, y2), both rays from the box centre.
    void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(const TRect& r);
    // A frame of line width inside r, in the brush colour.
    void FrameRect(const TRect& r);
    // Fills the scaled area of one logical pixel.
    void SetPixel(int x, int y, TColor c);
    // Sunken or raised 3D edge of one or two lines, as Win32 DrawEdge draws it.
    void Edge(const TRect& r, bool sunken, bool doubleEdge);
    // The frame of an input field: sunken in 3D, a single dark line when flat.
    void FieldFrame(const TRect& r, bool ctl3D);
    void TextAt(int x, int y, std::string_view text);
    // Logical sizes, rounded up so that the text fits in them.
    int TextWidth(std::string_view text) const { return scale_.LogicalCeil(font_.TextWidth(text)); }
    int TextHeight() const { return scale_.LogicalCeil(font_.LineHeight()); }
    // A picture already at this canvas's scale, its corner at (x, y).
    void DrawPicture(int x, int y, const PixelBuffer& picture);

private:
    TCanvas(PixelBuffer& surface, TPoint origin, TRect clip, const FontFace& font, Scale scale, int lineWidth,
            int edgeWidth);

    // Logical client coordinates to surface pixels.
    int X(int x) const { return scale_.Dev(origin_.x + x); }
    int Y(int y) const { return scale_.Dev(origin_.y + y); }
    // Surface-pixel primitives, clipped.
    void Fill(const TRect& device, TColor c);
    void PlotPen(int x, int y);
    void ThinLine(TPoint from, TPoint to);
    void WideLine(TPoint from, TPoint to);
    TRect DeviceBox(int left, int top, int right, int bottom) const;
    // Whether device pixel (x, y) is part of the outline of the ellipse with
    // centre (cx, cy) and radii (rx, ry), given it lies inside.
    bool OnOutline(double cx, double cy, double rx, double ry, int x, int y) const;

    PixelBuffer& surface_;
    TPoint origin_;
    TRect clip_;
    const FontFace& font_;
    Scale scale_;
    int lineWidth_;
    int edgeWidth_;  // of a double 3D edge, both lines
    TPoint penPos_;
};

}  // namespace tamrik::tk
