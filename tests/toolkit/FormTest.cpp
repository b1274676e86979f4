// The form: the control tree, painting order, routing of mouse input with
// capture and double-clicks, reflected notifications and its timers.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/CustomControl.h"
#include "toolkit/Form.h"
#include "toolkit/OffscreenBackend.h"
#include "toolkit/Timer.h"

namespace tamrik::tk {
namespace {

// A flat block of colour that logs the messages it gets.
class Probe : public TCustomControl {
public:
    Probe(TWinControl* parent, TColor fill, int* deaths = nullptr)
        : TCustomControl(parent), fill_(fill), deaths_(deaths) {}
    ~Probe() override {
        if (deaths_) ++*deaths_;
    }
    std::vector<TMessage> got;
    bool doubleClicks = true;

protected:
    void Paint(TCanvas& canvas) override {
        canvas.Brush.Color = fill_;
        canvas.FillRect(ClientRect());
    }
    void WndProc(TMessage& m) override {
        got.push_back(m);
        TCustomControl::WndProc(m);
    }
    void CreateParams(TCreateParams& params) override {
        DoubleClicks = doubleClicks;
        TCustomControl::CreateParams(params);
    }

private:
    TColor fill_;
    int* deaths_;
};

struct OffscreenForm {
    OffscreenBackend* screen = new OffscreenBackend({100, 100});
    TForm form{std::unique_ptr<Backend>(screen), 120, 80};
    OffscreenForm() {
        EXPECT_TRUE(form.CreateParented(0));
        form.ShowForm();
    }
    void Click(int formX, int formY) {
        screen->MoveMouse(100 + formX, 100 + formY);
        screen->PressLeft();
        screen->ReleaseLeft();
    }
};

int Count(const std::vector<TMessage>& got, uint32_t msg) {
    int n = 0;
    for (const TMessage& m : got) n += m.Msg == msg;
    return n;
}

TEST(FormTree, DeletingAControlDeletesItsChildrenAndDetachesIt) {
    int deaths = 0;  // outlives the form, whose last child counts on it
    OffscreenForm f;
    auto* outer = new Probe(&f.form, 0, &deaths);
    auto* inner = new Probe(outer, 0, &deaths);
    new Probe(inner, 0, &deaths);
    auto* sibling = new Probe(&f.form, 0, &deaths);
    delete outer;
    EXPECT_EQ(deaths, 3);
    ASSERT_EQ(f.form.Controls().size(), 1u);
    EXPECT_EQ(f.form.Controls()[0], sibling);
    EXPECT_TRUE(sibling->HandleAllocated());
}

TEST(FormPainting, FollowsZOrderVisibilityAndClipping) {
    OffscreenForm f;
    auto* low = new Probe(&f.form, RgbColor(255, 0, 0));
    low->SetBounds(10, 10, 40, 40);
    auto* high = new Probe(&f.form, RgbColor(0, 255, 0));
    high->SetBounds(30, 30, 40, 40);
    auto* child = new Probe(low, RgbColor(0, 0, 255));
    child->SetBounds(30, 0, 40, 10);  // sticks out of its parent
    EXPECT_EQ(f.form.Snapshot(f.form).At(35, 35), RgbColor(0, 255, 0));
    EXPECT_EQ(f.form.Snapshot(f.form).At(45, 12), RgbColor(0, 0, 255));
    EXPECT_EQ(f.form.Snapshot(f.form).At(55, 12), GetSysColor(TK_COLOR_BTNFACE)) << "clipped to its parent";
    low->BringToFront();
    EXPECT_EQ(f.form.Snapshot(f.form).At(35, 35), RgbColor(255, 0, 0));
    low->Hide();
    EXPECT_EQ(f.form.Snapshot(f.form).At(35, 35), RgbColor(0, 255, 0));
    EXPECT_EQ(f.form.Snapshot(f.form).At(15, 15), GetSysColor(TK_COLOR_BTNFACE));
}

TEST(FormPainting, RunsOnPaintOnlyWhenTheFormItselfIsRepainted) {
    OffscreenForm f;
    auto* probe = new Probe(&f.form, 0);
    probe->SetBounds(0, 0, 10, 10);
    f.form.Update();
    int paints = 0;
    f.form.OnPaint = [&](TObject*) { ++paints; };
    probe->Repaint();
    EXPECT_EQ(paints, 0);
    f.form.Repaint();
    EXPECT_EQ(paints, 1) << "painted at once, not at the next idle";
    f.form.Idle();
    EXPECT_EQ(paints, 1);
}

TEST(FormInput, GoesToTheTopmostControlAndFollowsCapture) {
    OffscreenForm f;
    auto* low = new Probe(&f.form, 0);
    low->SetBounds(10, 10, 40, 40);
    auto* high = new Probe(&f.form, 0);
    high->SetBounds(30, 30, 40, 40);
    f.Click(35, 35);
    EXPECT_EQ(Count(high->got, TK_WM_LBUTTONDOWN), 1);
    EXPECT_EQ(Count(low->got, TK_WM_LBUTTONDOWN), 0);
    // Client coordinates of the receiving window.
    EXPECT_EQ(LoWordSigned(high->got.back().LParam), 5);

    low->SetCapture();
    f.screen->MoveMouse(100 + 110, 100 + 70);
    ASSERT_FALSE(low->got.empty());
    EXPECT_EQ(low->got.back().Msg, uint32_t(TK_WM_MOUSEMOVE));
    EXPECT_EQ(LoWordSigned(low->got.back().LParam), 100);
    EXPECT_EQ(low->GetCursorPos(), (TPoint{210, 170}));
    EXPECT_TRUE(f.screen->Captured());
    high->SetCapture();
    EXPECT_EQ(low->got.back().Msg, uint32_t(TK_WM_CAPTURECHANGED));
    delete high;
    EXPECT_EQ(f.form.CaptureControl(), nullptr) << "a deleted control gives capture back";
    EXPECT_FALSE(f.screen->Captured());
}

TEST(FormInput, DoubleClicksOnlyForWindowsThatAskForThem) {
    OffscreenForm f;
    auto* wants = new Probe(&f.form, 0);
    wants->SetBounds(0, 0, 20, 20);
    auto* plain = new Probe(nullptr, 0);
    plain->doubleClicks = false;
    plain->SetParent(&f.form);
    plain->SetBounds(40, 0, 20, 20);
    for (int i = 0; i < 3; ++i) f.Click(5, 5);
    f.Click(45, 5);
    f.Click(45, 5);
    EXPECT_EQ(Count(wants->got, TK_WM_LBUTTONDOWN), 2);
    EXPECT_EQ(Count(wants->got, TK_WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(Count(plain->got, TK_WM_LBUTTONDOWN), 2);
    EXPECT_EQ(Count(plain->got, TK_WM_LBUTTONDBLCLK), 0);
    f.screen->Advance(600);
    f.Click(5, 5);
    EXPECT_EQ(Count(wants->got, TK_WM_LBUTTONDBLCLK), 1) << "too late for a double-click";
}

TEST(FormMessages, ScrollNotificationsAreHandedBackToTheSender) {
    OffscreenForm f;
    auto* parent = new Probe(&f.form, 0);
    auto* sender = new Probe(parent, 0);
    parent->Perform(TK_WM_VSCROLL, 5, intptr_t(sender->Handle()));
    ASSERT_EQ(Count(sender->got, TK_CN_VSCROLL), 1);
    EXPECT_EQ(sender->got.back().WParam, 5u);
    parent->Perform(TK_WM_HSCROLL, 5, 12345);
    EXPECT_EQ(Count(sender->got, TK_CN_HSCROLL), 0) << "not a child: not reflected";
}

TEST(FormTimers, FireOnTheManualClockAndStopWithTheirOwner) {
    OffscreenForm f;
    auto timer = std::make_unique<TTimer>(f.form);
    timer->SetInterval(100);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) { ++ticks; };
    f.screen->Advance(99);
    f.form.Idle();
    EXPECT_EQ(ticks, 0);
    for (int i = 0; i < 10; ++i) {
        f.screen->Advance(i == 0 ? 1 : 100);
        f.form.Idle();
    }
    EXPECT_EQ(ticks, 10);
    f.screen->Advance(1000);
    f.form.Idle();
    EXPECT_EQ(ticks, 11) << "late ticks merge into one";
    timer->SetEnabled(false);
    f.screen->Advance(500);
    f.form.Idle();
    EXPECT_EQ(ticks, 11);
    timer->SetEnabled(true);
    timer.reset();
    f.screen->Advance(500);
    f.form.Idle();
    EXPECT_EQ(ticks, 11);
}

}  // namespace
}  // namespace tamrik::tk
