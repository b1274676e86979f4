// The plot's side of the hit row at the bottom of a panel at 100 %. The plot
// draws a long hit in steps, one per refresh, so two panels captured a
// moment apart may show different amounts of it: comparisons of whole panels
// leave it out (the hit view's own tests draw it whole).
#pragma once

namespace tamrik::test {

struct HitPlotArea {
    int right, top, bottom;
    bool contains(int x, int y) const { return x < right && y >= top && y < bottom; }
};

inline HitPlotArea HitPlotAreaOf(int panelHeight) { return {314, panelHeight - 120, panelHeight}; }

}  // namespace tamrik::test
