// The display scale of a form: how many device pixels stand for one of the
// panel's logical pixels, as a whole percent. Controls keep their layout in
// logical pixels; the canvas maps onto the device surface, and input comes
// back the other way. Percents are multiples of 25, so every mapping is
// exact integer arithmetic and 100 % is the identity.
#pragma once

#include <array>

#include "toolkit/Geometry.h"

namespace tamrik::tk {

// The steps a user can choose from.
inline constexpr std::array<int, 7> kScaleSteps{100, 125, 150, 175, 200, 250, 300};

class Scale {
public:
    constexpr Scale() = default;
    // Any percent is taken to the nearest step (ties to the smaller one).
    constexpr explicit Scale(int percent) : percent_(NearestStep(percent)) {}

    constexpr int Percent() const { return percent_; }
    constexpr bool IsIdentity() const { return percent_ == 100; }

    // Logical coordinate to device coordinate, halves rounded up.
    constexpr int Dev(int logical) const { return FloorDiv(logical * percent_ + 50, 100); }
    constexpr TRect Dev(const TRect& r) const { return {Dev(r.Left), Dev(r.Top), Dev(r.Right), Dev(r.Bottom)}; }
    // Device coordinate to the logical pixel whose scaled span holds it:
    // the largest x with Dev(x) <= device.
    constexpr int Logical(int device) const { return -FloorDiv(-(2 * device + 1) * 50, percent_) - 1; }
    // Device length to logical length, rounded up so the logical room holds it.
    constexpr int LogicalCeil(int device) const { return -FloorDiv(-device * 100, percent_); }

    // Thickness of a one-pixel line, the same everywhere at one scale
    // (1.5 stays one pixel, 1.75 becomes two).
    constexpr int LineWidth() const { return (percent_ + 49) / 100; }
    // First device pixel of a line of width device pixels drawn for logical
    // pixel x: the band centred on that pixel's centre.
    constexpr int Band(int x, int width) const { return FloorDiv((2 * x + 1) * percent_ - 100 * width + 100, 200); }

    static constexpr int NearestStep(int percent) {
        percent = percent < 0 ? 0 : (percent > 1000 ? 1000 : percent);
        int best = kScaleSteps[0];
        for (int step : kScaleSteps)
            if (Distance(step, percent) < Distance(best, percent)) best = step;
        return best;
    }

    friend constexpr bool operator==(const Scale&, const Scale&) = default;

private:
    static constexpr int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
    static constexpr int Distance(int a, int b) { return a > b ? a - b : b - a; }

    int percent_ = 100;
};

}  // namespace tamrik::tk
