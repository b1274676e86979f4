// The drawing conventions the knob relies on: line ends, box edges, arcs
// drawn anticlockwise between rays, and clipping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "toolkit/Canvas.h"
#include "toolkit/FallbackFace.h"

namespace tamrik::tk {
namespace {

constexpr TColor kPaper = RgbColor(1, 2, 3);
constexpr TColor kInk = RgbColor(200, 0, 0);

struct Sheet {
    PixelBuffer pixels{40, 40, kPaper};
    FallbackFace face;
    TCanvas canvas{pixels, {0, 0}, pixels.Bounds(), face};
    Sheet() {
        canvas.Pen.Color = kInk;
        canvas.Brush.Color = RgbColor(0, 0, 200);
    }
    int Count(TColor c) const {
        int n = 0;
        for (int y = 0; y < pixels.Height(); ++y)
            for (int x = 0; x < pixels.Width(); ++x) n += pixels.At(x, y) == c;
        return n;
    }
};

TEST(CanvasLines, DrawFromTheStartUpToButNotIncludingTheEnd) {
    const struct { int x0, y0, x1, y1; } lines[] = {
        {5, 5, 30, 5}, {30, 5, 5, 5}, {5, 5, 5, 30}, {5, 30, 5, 5}, {5, 5, 30, 30},
        {16, 16, 6, 28}, {15, 15, 25, 26}, {24, 26, 27, 29}, {15, 2, 16, 0}, {3, 20, 37, 9}};
    for (const auto& l : lines) {
        Sheet s;
        s.canvas.MoveTo(l.x0, l.y0);
        s.canvas.LineTo(l.x1, l.y1);
        const int dx = l.x1 - l.x0, dy = l.y1 - l.y0;
        const int steps = std::max(std::abs(dx), std::abs(dy));
        SCOPED_TRACE(testing::Message() << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1);
        EXPECT_EQ(s.pixels.At(l.x0, l.y0), kInk);
        EXPECT_EQ(s.pixels.At(l.x1, l.y1), kPaper);
        EXPECT_EQ(s.Count(kInk), steps) << "one pixel per step along the major axis";
        // Every pixel lies within half a pixel of the ideal line.
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                if (s.pixels.At(x, y) != kInk) continue;
                const double distance = std::abs(double(dy) * (x - l.x0) - double(dx) * (y - l.y0)) / steps;
                EXPECT_LE(distance, 0.5 + 1e-9) << x << "," << y;
            }
    }
}

TEST(CanvasShapes, LeaveOutTheRightAndBottomEdgesOfTheirBox) {
    Sheet s;
    s.canvas.Ellipse(10, 10, 21, 21);  // pixels 10 to 20
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inBox = x >= 10 && x < 21 && y >= 10 && y < 21;
            if (!inBox) {
                EXPECT_EQ(s.pixels.At(x, y), kPaper) << x << "," << y;
            }
        }
    // An 11-pixel-wide circle: outline at both ends of the middle row, fill inside.
    EXPECT_EQ(s.pixels.At(10, 15), kInk);
    EXPECT_EQ(s.pixels.At(20, 15), kInk);
    EXPECT_EQ(s.pixels.At(15, 20), kInk);
    EXPECT_EQ(s.pixels.At(15, 15), RgbColor(0, 0, 200));

    Sheet r;
    r.canvas.Rectangle(2, 2, 6, 5);
    EXPECT_EQ(r.pixels.At(5, 2), kInk);
    EXPECT_EQ(r.pixels.At(6, 2), kPaper);
    EXPECT_EQ(r.pixels.At(2, 4), kInk);
    EXPECT_EQ(r.pixels.At(2, 5), kPaper);
    EXPECT_EQ(r.pixels.At(3, 3), RgbColor(0, 0, 200));
}

TEST(CanvasShapes, ArcsRunAnticlockwiseFromTheFirstRayToTheSecond) {
    // Box centre (20, 20): from the ray to the right round to the ray upwards
    // is the upper-right quarter; the other way round the other three.
    Sheet quarter;
    quarter.canvas.Arc(4, 4, 37, 37, 39, 20, 20, 0);
    Sheet rest;
    rest.canvas.Arc(4, 4, 37, 37, 20, 0, 39, 20);
    Sheet whole;
    whole.canvas.Brush.Clear = true;
    whole.canvas.Ellipse(4, 4, 37, 37);
    int onQuarter = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool a = quarter.pixels.At(x, y) == kInk, b = rest.pixels.At(x, y) == kInk;
            if (a) {
                ++onQuarter;
                EXPECT_GE(x, 20);
                EXPECT_LE(y, 20);
            }
            EXPECT_EQ(a || b, whole.pixels.At(x, y) == kInk) << "together they make the outline";
        }
    EXPECT_GT(onQuarter, 10);
    EXPECT_GT(rest.Count(kInk), 2 * onQuarter);
}

TEST(CanvasClip, NothingIsDrawnOutsideTheClipOrTheSurface) {
    PixelBuffer pixels(20, 20, kPaper);
    FallbackFace face;
    TCanvas canvas(pixels, {5, 5}, {5, 5, 15, 15}, face);
    canvas.Pen.Color = kInk;
    canvas.Brush.Color = kInk;
    canvas.FontColor = kInk;
    canvas.MoveTo(-50, 4);
    canvas.LineTo(80, 4);
    canvas.Ellipse(-30, -30, 60, 60);
    canvas.FillRect({-100, -100, 100, 100});
    canvas.TextAt(-3, -3, "clip");
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 5 && y < 15;
            EXPECT_EQ(pixels.At(x, y) == kInk, inside) << x << "," << y;
        }
}

}  // namespace
}  // namespace tamrik::tk
