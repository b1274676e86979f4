// The knob: pointer tables, the 33 x 33 worked example (geometry and
// pixels), the setter and the drag law through injected mouse input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "controls/Tsumami.h"
#include "toolkit/Form.h"
#include "toolkit/OffscreenBackend.h"

namespace tamrik {
namespace {

using tk::TPoint;

constexpr tk::TColor kParentColor = tk::RgbColor(20, 160, 40);

// A 33 x 33 knob at (10, 10) of a form whose client origin is at screen
// (100, 100), so the knob's centre (16, 16) is at screen (126, 126).
struct KnobOnForm {
    tk::OffscreenBackend* screen = new tk::OffscreenBackend({100, 100});
    tk::TForm form{std::unique_ptr<tk::Backend>(screen), 80, 80};
    TTsumami* knob = new TTsumami(&form);
    std::vector<bool> adjustingAtChange;

    KnobOnForm() {
        form.SetColor(kParentColor);
        knob->SetBounds(10, 10, 33, 33);
        knob->OnChange = [this](tk::TObject*) { adjustingAtChange.push_back(knob->Adjusting()); };
        EXPECT_TRUE(form.CreateParented(0));
        form.ShowForm();
    }
    void Press(int x, int y) {
        screen->MoveMouse(x, y);
        screen->PressLeft();
    }
    int Drag(int x, int y) {
        screen->MoveMouse(x, y);
        return knob->Position();
    }
};

TEST(TsumamiTables, MatchTheSampleValuesAndAreSymmetric) {
    TTsumami knob;
    EXPECT_FLOAT_EQ(knob.PointerX(0), -0.6631227f);
    EXPECT_FLOAT_EQ(knob.PointerY(0), 0.7485108f);
    EXPECT_FLOAT_EQ(knob.PointerX(25), -0.9350162f);
    EXPECT_FLOAT_EQ(knob.PointerY(25), -0.3546049f);
    // cos(pi / 2) in extended precision is not exactly 0, and the centre
    // entry is then overwritten by its own negation.
    EXPECT_NEAR(knob.PointerX(50), 0.0f, 1e-19f);
    EXPECT_EQ(knob.PointerY(50), -1.0f);
    EXPECT_FLOAT_EQ(knob.PointerX(100), 0.6631227f);
    EXPECT_FLOAT_EQ(knob.PointerY(100), 0.7485108f);
    for (int i = 1; i <= 50; ++i) {
        EXPECT_EQ(knob.PointerX(50 - i), -knob.PointerX(50 + i)) << i;
        EXPECT_EQ(knob.PointerY(50 - i), knob.PointerY(50 + i)) << i;
        const double theta = (i * 3.14159265358979323846) / 65;
        EXPECT_NEAR(knob.PointerX(50 + i), std::sin(theta), 1e-7) << i;
        EXPECT_NEAR(knob.PointerY(50 + i), -std::cos(theta), 1e-7) << i;
    }
}

TEST(TsumamiGeometry, ReproducesTheWorkedExampleFor33By33) {
    TTsumami knob;
    knob.SetBounds(0, 0, 33, 33);
    using L = TTsumami::Line;
    auto same = [](const L& l, TPoint a, TPoint b) { return l.from == a && l.to == b; };

    knob.SetPosition(50);
    TTsumami::Geometry g = knob.PaintGeometry();
    EXPECT_EQ(g.body, (tk::TRect{2, 2, 29, 29}));
    EXPECT_EQ(g.arcBox, (tk::TRect{4, 4, 27, 27}));
    EXPECT_EQ(g.litFrom, (TPoint{24, 6}));
    EXPECT_EQ(g.litTo, (TPoint{6, 24}));
    EXPECT_TRUE(same(g.shadow, {16, 16}, {16, 0}));
    EXPECT_TRUE(same(g.highlight, {14, 14}, {14, -2}));
    EXPECT_TRUE(same(g.pointer, {15, 15}, {15, 1}));
    EXPECT_TRUE(same(g.ticks[0], {24, 26}, {27, 29}));
    EXPECT_TRUE(same(g.ticks[1], {15, 2}, {16, 0}));
    EXPECT_TRUE(same(g.ticks[2], {7, 26}, {6, 29}));

    knob.SetPosition(0);
    g = knob.PaintGeometry();
    EXPECT_TRUE(same(g.shadow, {16, 16}, {6, 28}));
    EXPECT_TRUE(same(g.highlight, {14, 14}, {4, 26}));
    EXPECT_TRUE(same(g.pointer, {15, 15}, {5, 26}));

    knob.SetPosition(100);
    g = knob.PaintGeometry();
    EXPECT_TRUE(same(g.shadow, {16, 16}, {26, 28}));
    EXPECT_TRUE(same(g.highlight, {14, 14}, {24, 26}));
    EXPECT_TRUE(same(g.pointer, {15, 15}, {25, 26}));
}

TEST(TsumamiGeometry, PositionsOutsideTheRangeShowTheNearestEnd) {
    TTsumami knob;
    knob.SetBounds(0, 0, 33, 33);
    knob.SetPosition(100);
    const TTsumami::Line top = knob.PaintGeometry().pointer;
    knob.SetPosition(1000000);
    EXPECT_EQ(knob.Position(), 1000000);
    EXPECT_EQ(knob.PaintGeometry().pointer.to, top.to);
    knob.SetPosition(0);
    const TTsumami::Line bottom = knob.PaintGeometry().pointer;
    knob.SetPosition(-7);
    EXPECT_EQ(knob.PaintGeometry().pointer.to, bottom.to);
}

TEST(TsumamiPaint, DrawsTheWorkedExamplePixels) {
    KnobOnForm f;
    const tk::TColor black = 0, white = tk::GetSysColor(tk::TK_COLOR_BTNHIGHLIGHT);
    const tk::TColor grey = tk::GetSysColor(tk::TK_COLOR_BTNSHADOW), face = tk::GetSysColor(tk::TK_COLOR_BTNFACE);
    tk::PixelBuffer px = f.form.Snapshot(*f.knob);
    ASSERT_EQ(px.Width(), 33);
    // Corners show the parent; the body's box excludes its right and bottom edges.
    EXPECT_EQ(px.At(0, 0), kParentColor);
    EXPECT_EQ(px.At(1, 18), kParentColor);
    EXPECT_EQ(px.At(2, 18), black);
    EXPECT_EQ(px.At(28, 18), black);
    EXPECT_EQ(px.At(29, 18), kParentColor);
    EXPECT_EQ(px.At(18, 28), black);
    EXPECT_EQ(px.At(18, 29), kParentColor);
    EXPECT_EQ(px.At(9, 19), face);
    // Lit upper-left arc, shaded lower-right arc.
    EXPECT_EQ(px.At(10, 5), white);
    EXPECT_EQ(px.At(4, 12), white);
    EXPECT_EQ(px.At(20, 25), grey);
    EXPECT_EQ(px.At(26, 18), grey);
    // The engraved pointer straight up: shadow, black, highlight columns.
    EXPECT_EQ(px.At(16, 8), grey);
    EXPECT_EQ(px.At(15, 8), black);
    EXPECT_EQ(px.At(14, 8), white);
    EXPECT_EQ(px.At(14, 0), white);
    // Line ends are not drawn: the black pointer stops above (15, 1), the
    // centre tick (15, 2)-(16, 0) covers (16, 1) but not (16, 0).
    EXPECT_EQ(px.At(15, 1), kParentColor);
    EXPECT_EQ(px.At(16, 1), black);
    EXPECT_EQ(px.At(16, 0), kParentColor);
    // The maximum tick from (24, 26) towards (27, 29).
    EXPECT_EQ(px.At(24, 26), black);
    EXPECT_EQ(px.At(26, 28), black);
    EXPECT_EQ(px.At(27, 29), kParentColor);

    f.knob->SetPosition(0);
    px = f.form.Snapshot(*f.knob);
    EXPECT_EQ(px.At(16, 16), grey);
    EXPECT_EQ(px.At(15, 15), black);
    EXPECT_EQ(px.At(14, 14), white);
    EXPECT_EQ(px.At(5, 25), white);  // last highlight pixel before (4, 26)
}

TEST(TsumamiPaint, OutOfRangePositionsPaintLikeTheNearestEnd) {
    KnobOnForm f;
    f.knob->SetPosition(100);
    const tk::PixelBuffer atMax = f.form.Snapshot(*f.knob);
    f.knob->SetPosition(250);
    const tk::PixelBuffer beyond = f.form.Snapshot(*f.knob);
    f.knob->SetPosition(-40);
    const tk::PixelBuffer below = f.form.Snapshot(*f.knob);
    f.knob->SetPosition(0);
    const tk::PixelBuffer atMin = f.form.Snapshot(*f.knob);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 33; ++x) {
            ASSERT_EQ(atMax.At(x, y), beyond.At(x, y));
            ASSERT_EQ(atMin.At(x, y), below.At(x, y));
        }
}

TEST(TsumamiSetter, StartsAt50AndFiresOnEveryAssignment) {
    KnobOnForm f;
    EXPECT_EQ(f.knob->Position(), 50);
    f.knob->SetPosition(50);
    f.knob->SetPosition(50);
    f.knob->SetPosition(120);
    EXPECT_EQ(f.adjustingAtChange.size(), 3u);
    EXPECT_EQ(f.knob->Position(), 120);
}

TEST(TsumamiDrag, FollowsTheHalfStepLawRelativeToThePress) {
    KnobOnForm f;
    f.Press(126, 126);
    EXPECT_TRUE(f.knob->Adjusting());
    EXPECT_TRUE(f.knob->HasCapture());
    EXPECT_TRUE(f.adjustingAtChange.empty()) << "the press itself changes nothing";
    EXPECT_EQ(f.Drag(127, 125), 50) << "1 px right and up: each half goes to 0";
    EXPECT_EQ(f.Drag(129, 126), 52) << "3 px: 1.5 goes to 2";
    EXPECT_EQ(f.Drag(131, 126), 52) << "5 px: 2.5 goes to 2";
    EXPECT_EQ(f.Drag(126, 120), 53) << "6 px up";
    EXPECT_EQ(f.Drag(136, 136), 50) << "10 right and 10 down cancel";
    EXPECT_EQ(f.Drag(120, 126), 47);
    EXPECT_EQ(f.Drag(326, 126), 100) << "200 px right clamps";
    EXPECT_EQ(f.Drag(126, 126), 50) << "absolute with respect to the press";
    EXPECT_EQ(f.adjustingAtChange.size(), 8u);
    for (bool adjusting : f.adjustingAtChange) EXPECT_TRUE(adjusting);
    f.screen->ReleaseLeft();
    EXPECT_FALSE(f.knob->Adjusting());
    EXPECT_FALSE(f.knob->HasCapture());
    EXPECT_EQ(f.Drag(200, 10), 50) << "moves after release are ignored";
    EXPECT_EQ(f.adjustingAtChange.size(), 8u);
}

TEST(TsumamiDrag, ClampsAtZeroAndStillReportsEveryMove) {
    KnobOnForm f;
    f.knob->SetPosition(0);
    f.adjustingAtChange.clear();
    f.Press(126, 126);
    EXPECT_EQ(f.Drag(126, 180), 0);
    EXPECT_EQ(f.Drag(126, 400), 0) << "far outside the form, the capture still holds";
    EXPECT_EQ(f.adjustingAtChange.size(), 2u);
    f.screen->ReleaseLeft();
}

TEST(TsumamiDrag, StartsFromAnOutOfRangePositionWithoutOverflow) {
    KnobOnForm f;
    f.knob->SetPosition(std::numeric_limits<int>::max());
    f.Press(126, 126);
    EXPECT_EQ(f.Drag(130, 126), 100);
    f.screen->ReleaseLeft();
    f.knob->SetPosition(std::numeric_limits<int>::min());
    f.Press(126, 126);
    EXPECT_EQ(f.Drag(120, 130), 0);
    f.screen->ReleaseLeft();
}

TEST(TsumamiDrag, ADoubleClickStartsADragToo) {
    KnobOnForm f;
    f.Press(126, 126);
    f.screen->ReleaseLeft();
    f.Press(126, 126);
    EXPECT_TRUE(f.knob->Adjusting());
    EXPECT_EQ(f.Drag(130, 126), 52);
    f.screen->ReleaseLeft();
    EXPECT_FALSE(f.knob->Adjusting());
}

}  // namespace
}  // namespace tamrik
