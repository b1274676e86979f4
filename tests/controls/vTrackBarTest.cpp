// The trackbar: setting rules and clamping, the TBM_ traffic to its window,
// the creation parameters, scroll notifications and Adjusting, recreation on
// style changes, and real drags, clicks and keys through the toolkit.
#include <gtest/gtest.h>

#include <vector>

#include "controls/vTrackBar.h"
#include "toolkit/Form.h"
#include "toolkit/OffscreenBackend.h"
#include "toolkit/TrackBarWindow.h"

namespace tamrik {
namespace {

using namespace tk;

struct Sent {
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
    friend bool operator==(const Sent&, const Sent&) = default;
};

// Records every TBM_ message the wrapper sends to its window.
class RecordingTrackBar : public TvTrackBar {
public:
    using TvTrackBar::TvTrackBar;
    std::vector<Sent> sent;

protected:
    void WndProc(TMessage& m) override {
        if (m.Msg >= TK_WM_USER && m.Msg < TK_WM_USER + 100) sent.push_back({m.Msg, m.WParam, m.LParam});
        TvTrackBar::WndProc(m);
    }
};

struct BarOnForm {
    OffscreenBackend* screen = new OffscreenBackend({100, 100});
    TForm form{std::unique_ptr<Backend>(screen), 300, 200};
    RecordingTrackBar* bar = new RecordingTrackBar(&form);
    std::vector<bool> adjustingAtChange;

    BarOnForm() {
        bar->OnChange = [this](TObject*) { adjustingAtChange.push_back(bar->Adjusting()); };
        EXPECT_TRUE(form.CreateParented(0));
        form.ShowForm();
    }
    // The editor's vertical bar: 33 x 113, 0 to 50, ticks every 5 both sides.
    void MakeEditorBar(bool vertical) {
        if (vertical) bar->SetOrientation(TvTrackBarOrientation::trVertical);
        bar->SetBounds(10, 10, vertical ? 33 : 201, vertical ? 113 : 33);
        bar->SetMax(50);
        bar->SetFrequency(5);
        bar->SetThumbLength(15);
        bar->SetTickMarks(TvTickMark::tmBoth);
        if (vertical) bar->SetPageSize(1);
        bar->sent.clear();
        adjustingAtChange.clear();
    }
    TrackBarWindow& Window() { return *dynamic_cast<TrackBarWindow*>(bar->WindowClass()); }
    void Scroll(uint32_t code) {
        form.Perform(bar->Orientation() == TvTrackBarOrientation::trVertical ? TK_WM_VSCROLL : TK_WM_HSCROLL, code,
                     intptr_t(bar->Handle()));
    }
};

TEST(TvTrackBarSettings, StartWithTheDocumentedInitialValues) {
    TvTrackBar bar;
    EXPECT_EQ(bar.Width(), 150);
    EXPECT_EQ(bar.Height(), 45);
    EXPECT_TRUE(bar.TabStop());
    EXPECT_EQ(bar.Orientation(), TvTrackBarOrientation::trHorizontal);
    EXPECT_EQ(bar.TickMarks(), TvTickMark::tmBottomRight);
    EXPECT_EQ(bar.TickStyle(), TvTickStyle::tsAuto);
    EXPECT_EQ(bar.LineSize(), 1);
    EXPECT_EQ(bar.PageSize(), 2);
    EXPECT_EQ(bar.ThumbLength(), 20);
    EXPECT_TRUE(bar.SliderVisible());
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 10);
    EXPECT_EQ(bar.Frequency(), 1);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_FALSE(bar.Adjusting());
    EXPECT_FALSE(bar.HandleAllocated());
}

TEST(TvTrackBarSettings, ClampPositionAndIgnoreAnInvertedRange) {
    BarOnForm f;
    f.MakeEditorBar(true);
    f.bar->SetPosition(60);
    EXPECT_EQ(f.bar->Position(), 50);
    EXPECT_EQ(f.adjustingAtChange.size(), 1u);
    f.bar->SetPosition(50);
    EXPECT_EQ(f.adjustingAtChange.size(), 1u) << "no change, no OnChange";
    f.bar->SetPosition(-3);
    EXPECT_EQ(f.bar->Position(), 0);
    f.bar->sent.clear();
    f.bar->SetMin(60);
    f.bar->SetMax(-1);
    EXPECT_EQ(f.bar->Min(), 0);
    EXPECT_EQ(f.bar->Max(), 50);
    EXPECT_TRUE(f.bar->sent.empty());
    EXPECT_EQ(f.adjustingAtChange.size(), 2u);
}

TEST(TvTrackBarSettings, ANarrowerRangeClampsPositionThroughTheWindow) {
    BarOnForm f;
    f.MakeEditorBar(true);
    f.bar->SetPosition(45);
    f.bar->sent.clear();
    f.adjustingAtChange.clear();
    f.bar->SetMax(5);
    EXPECT_EQ(f.bar->sent, (std::vector<Sent>{{TK_TBM_SETRANGEMAX, 1, 5}, {TK_TBM_SETPOS, 1, 5}}));
    EXPECT_EQ(f.bar->Position(), 5);
    EXPECT_EQ(f.adjustingAtChange.size(), 1u);
    EXPECT_EQ(f.bar->Perform(TK_TBM_GETPOS, 0, 0), 5);
    EXPECT_EQ(f.bar->Perform(TK_TBM_GETRANGEMAX, 0, 0), 5);
}

TEST(TvTrackBarSettings, ChangedValuesAreSentOnceAndEqualOnesNotAtAll) {
    BarOnForm f;
    f.MakeEditorBar(false);
    f.bar->SetLineSize(3);
    f.bar->SetLineSize(3);
    f.bar->SetPageSize(7);
    f.bar->SetFrequency(10);
    f.bar->SetThumbLength(18);
    f.bar->SetSelStart(3);
    f.bar->SetSelEnd(7);
    f.bar->SetSelStart(0);
    f.bar->SetSelEnd(0);
    const uintptr_t packed = 3u | (7u << 16);
    EXPECT_EQ(f.bar->sent, (std::vector<Sent>{{TK_TBM_SETLINESIZE, 0, 3},
                                              {TK_TBM_SETPAGESIZE, 0, 7},
                                              {TK_TBM_SETTICFREQ, 10, 1},
                                              {TK_TBM_SETTHUMBLENGTH, 18, 0},
                                              {TK_TBM_SETSEL, 1, 3},
                                              {TK_TBM_SETSEL, 1, intptr_t(packed)},
                                              {TK_TBM_SETSEL, 1, intptr_t(7u << 16)},
                                              {TK_TBM_CLEARSEL, 1, 0}}));
    f.bar->sent.clear();
    EXPECT_EQ(f.bar->ThumbLength(), 18);
    EXPECT_EQ(f.bar->sent, (std::vector<Sent>{{TK_TBM_GETTHUMBLENGTH, 0, 0}})) << "read from the window";
}

TEST(TvTrackBarWindow, IsCreatedWithTheStylesAndGetsEverySettingInOrder) {
    BarOnForm f;
    auto* bar = new RecordingTrackBar();
    bar->SetOrientation(TvTrackBarOrientation::trVertical);
    bar->SetMax(50);
    bar->SetPosition(45);
    bar->SetFrequency(5);
    bar->SetThumbLength(15);
    bar->SetPageSize(1);
    bar->SetTickMarks(TvTickMark::tmBoth);
    EXPECT_TRUE(bar->sent.empty()) << "no window yet: only stored";
    EXPECT_EQ(bar->ThumbLength(), 15);
    bar->SetParent(&f.form);
    ASSERT_TRUE(bar->HandleAllocated());
    EXPECT_EQ(bar->sent, (std::vector<Sent>{{TK_TBM_SETTHUMBLENGTH, 15, 0},
                                            {TK_TBM_SETLINESIZE, 0, 1},
                                            {TK_TBM_SETPAGESIZE, 0, 1},
                                            {TK_TBM_SETRANGEMIN, 0, 0},
                                            {TK_TBM_SETRANGEMAX, 0, 50},
                                            {TK_TBM_CLEARSEL, 1, 0},
                                            {TK_TBM_SETPOS, 1, 45},
                                            {TK_TBM_SETTICFREQ, 5, 1}}));
    EXPECT_EQ(bar->WindowClassName(), TK_TRACKBAR_CLASS);
    EXPECT_EQ(bar->WindowStyle() & 0xFFFF, 0x6Bu);
    EXPECT_EQ(bar->WindowClassStyle() & (TK_CS_HREDRAW | TK_CS_VREDRAW | TK_CS_DBLCLKS), uint32_t(TK_CS_DBLCLKS));
    bar->SetOrientation(TvTrackBarOrientation::trHorizontal);
    EXPECT_EQ(bar->WindowStyle() & 0xFFFF, 0x69u);
    bar->SetSliderVisible(false);
    EXPECT_EQ(bar->WindowStyle() & 0xFFFF, 0xE9u);
    bar->SetTickStyle(TvTickStyle::tsNone);
    bar->SetTickMarks(TvTickMark::tmTopLeft);
    EXPECT_EQ(bar->WindowStyle() & 0xFFFF, 0xF4u);
}

TEST(TvTrackBarWindow, OrientationSwapsTheSizeAtRunTimeButNotWhenLoading) {
    BarOnForm f;
    f.bar->SetBounds(8, 16, 33, 113);
    f.bar->SetPosition(7);
    f.bar->sent.clear();
    f.bar->SetOrientation(TvTrackBarOrientation::trVertical);
    EXPECT_EQ(f.bar->BoundsRect(), (TRect{8, 16, 8 + 113, 16 + 33}));
    EXPECT_TRUE(f.bar->WindowStyle() & TK_TBS_VERT);
    ASSERT_FALSE(f.bar->sent.empty());
    EXPECT_EQ(f.bar->sent.front(), (Sent{TK_TBM_SETTHUMBLENGTH, 20, 0})) << "recreated: settings pushed again";
    EXPECT_EQ(f.bar->Perform(TK_TBM_GETPOS, 0, 0), 7);

    auto* stored = new TvTrackBar();
    stored->SetLoading(true);
    stored->SetBounds(8, 16, 33, 113);
    stored->SetOrientation(TvTrackBarOrientation::trVertical);
    stored->SetLoading(false);
    stored->SetParent(&f.form);
    EXPECT_EQ(stored->BoundsRect(), (TRect{8, 16, 8 + 33, 16 + 113}));
    EXPECT_TRUE(stored->WindowStyle() & TK_TBS_VERT);
}

TEST(TvTrackBarNotifications, DriveOnChangeAndAdjusting) {
    BarOnForm f;
    f.MakeEditorBar(true);
    f.Scroll(TK_TB_THUMBTRACK);
    f.Scroll(TK_TB_THUMBTRACK);
    f.Scroll(TK_TB_ENDTRACK);
    EXPECT_EQ(f.adjustingAtChange, (std::vector<bool>{false, true, true}));
    EXPECT_FALSE(f.bar->Adjusting());

    f.adjustingAtChange.clear();
    f.Scroll(TK_TB_THUMBTRACK);
    f.Scroll(TK_TB_LINEDOWN);
    EXPECT_TRUE(f.bar->Adjusting()) << "other codes leave Adjusting";
    f.Scroll(TK_TB_ENDTRACK);
    f.Scroll(TK_TB_PAGEUP);
    EXPECT_FALSE(f.bar->Adjusting());
    EXPECT_EQ(f.adjustingAtChange.size(), 4u) << "every notification fires, changed or not";
}

TEST(TvTrackBarNotifications, TakeThePositionFromTheWindow) {
    BarOnForm f;
    f.MakeEditorBar(true);
    f.bar->Perform(TK_TBM_SETPOS, 1, 33);
    f.Scroll(TK_TB_THUMBPOSITION);
    EXPECT_EQ(f.bar->Position(), 33);
    EXPECT_EQ(f.adjustingAtChange.size(), 1u);
}

TEST(TvTrackBarInput, ThumbDragTracksWithTheMinimumAtTheTop) {
    BarOnForm f;
    f.MakeEditorBar(true);
    f.bar->SetPosition(25);
    f.adjustingAtChange.clear();
    const TRect thumb = f.Window().ThumbRect();
    const int x = 100 + 10 + (thumb.Left + thumb.Right) / 2, y = 100 + 10 + (thumb.Top + thumb.Bottom) / 2;
    f.screen->MoveMouse(x, y);
    f.screen->PressLeft();
    EXPECT_TRUE(f.bar->Adjusting()) << "holding the thumb counts as adjusting";
    f.screen->MoveMouse(x, y - 200);
    EXPECT_EQ(f.bar->Position(), 0);
    EXPECT_TRUE(f.bar->Adjusting());
    f.screen->MoveMouse(x, y + 400);
    EXPECT_EQ(f.bar->Position(), 50);
    f.screen->ReleaseLeft();
    EXPECT_FALSE(f.bar->Adjusting());
    EXPECT_EQ(f.bar->Position(), 50);
    ASSERT_GE(f.adjustingAtChange.size(), 4u);
    EXPECT_FALSE(f.adjustingAtChange.front());
    EXPECT_TRUE(f.adjustingAtChange.back()) << "end-track is reported while still adjusting";
}

TEST(TvTrackBarInput, ChannelClicksAndKeysStepByPageAndLine) {
    BarOnForm f;
    f.MakeEditorBar(false);
    f.bar->SetPageSize(5);
    f.bar->SetPosition(25);
    const TRect thumb = f.Window().ThumbRect();
    const int y = 100 + 10 + (thumb.Top + thumb.Bottom) / 2;
    f.screen->MoveMouse(100 + 10 + thumb.Right + 20, y);
    f.screen->PressLeft();
    f.screen->ReleaseLeft();
    EXPECT_EQ(f.bar->Position(), 30);
    f.screen->MoveMouse(100 + 10 + 5, y);
    f.screen->PressLeft();
    f.screen->ReleaseLeft();
    EXPECT_EQ(f.bar->Position(), 25);
    EXPECT_TRUE(f.bar->Focused());
    f.screen->Key(TK_VK_RIGHT, true);
    f.screen->Key(TK_VK_RIGHT, false);
    EXPECT_EQ(f.bar->Position(), 26);
    f.screen->Key(TK_VK_PRIOR, true);
    EXPECT_EQ(f.bar->Position(), 21);
    f.screen->Key(TK_VK_END, true);
    EXPECT_EQ(f.bar->Position(), 50);
    f.screen->Key(TK_VK_HOME, true);
    EXPECT_EQ(f.bar->Position(), 0);
    EXPECT_FALSE(f.bar->Adjusting());
}

}  // namespace
}  // namespace tamrik
