// The trackbar on a backend that hosts the platform's own control: the
// window is made by the backend once the form is parented, gets every
// setting again, follows the control's bounds and visibility, and the
// backend's notifications come back to it by window handle.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "controls/vTrackBar.h"
#include "toolkit/Form.h"

namespace tamrik {
namespace {

using namespace tk;

struct FakeNative;

// Everything the backend's native controls saw, kept after they are gone.
struct NativeLog {
    std::vector<FakeNative*> live;
    int made = 0;
    std::string className;
    uint32_t style = 0;
    TRect madeAt;
};

struct FakeNative final : NativeControl {
    FakeNative(NativeLog& into, NativeWindow h) : log(into), handle(h) { log.live.push_back(this); }
    ~FakeNative() override { std::erase(log.live, this); }
    NativeWindow Handle() const override { return handle; }
    intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        messages.push_back(msg);
        if (msg == TK_TBM_SETPOS) pos = int(lParam);
        if (msg == TK_TBM_SETRANGEMAX) max = int(lParam);
        if (msg == TK_TBM_GETPOS) return pos;
        (void)wParam;
        return 0;
    }
    void Place(const TRect& formArea, bool isVisible) override {
        area = formArea;
        visible = isVisible;
    }

    NativeLog& log;
    NativeWindow handle;
    std::vector<uint32_t> messages;
    int pos = 0;
    int max = 0;
    TRect area;
    bool visible = false;
};

class NativeBackend final : public Backend {
public:
    explicit NativeBackend(NativeLog& log) : log_(log) {}
    bool Open(NativeWindow parent, int, int, BackendEvents& events) override {
        if (parent == 0) return false;
        events_ = &events;
        return true;
    }
    void Close() override { events_ = nullptr; }
    bool IsOpen() const override { return events_ != nullptr; }
    NativeWindow Window() const override { return 7; }
    void SetVisible(bool) override {}
    void Resize(int, int) override {}
    void Present(const PixelBuffer&, const TRect&) override {}
    TPoint ClientOrigin() const override { return {}; }
    TPoint CursorPos() const override { return {}; }
    void CaptureMouse(bool) override {}
    uint64_t NowMs() const override { return 0; }
    void Pump() override {}
    std::unique_ptr<FontFace> OpenFont(const std::string&, int, Scale) const override { return OpenBuiltInFontFace(); }
    std::unique_ptr<NativeControl> CreateNativeControl(const std::string& className, uint32_t style,
                                                       const TRect& formArea, Scale) override {
        ++log_.made;
        log_.className = className;
        log_.style = style;
        log_.madeAt = formArea;
        return std::make_unique<FakeNative>(log_, NativeWindow(0x1000 + log_.made));
    }
    // What the platform's window procedure does with a scroll notification.
    void Notify(uint32_t msg, uintptr_t wParam, NativeWindow sender) { events_->BackendControlNotify(msg, wParam, sender); }

private:
    NativeLog& log_;
    BackendEvents* events_ = nullptr;
};

struct NativeForm {
    NativeLog log;
    NativeBackend* backend = new NativeBackend(log);
    TForm form{std::unique_ptr<Backend>(backend), 300, 200};
    TWinControl* box = new TWinControl(&form);
    TvTrackBar* bar = new TvTrackBar(box);

    NativeForm() {
        box->SetBounds(20, 30, 200, 150);
        bar->SetOrientation(TvTrackBarOrientation::trVertical);
        bar->SetBounds(5, 6, 33, 113);
        bar->SetMax(50);
        bar->SetPosition(12);
    }
    FakeNative& Native() { return *log.live.at(0); }
};

TEST(NativeTrackBar, IsMadeByTheBackendWhenTheFormIsParentedWithEverySetting) {
    NativeForm f;
    EXPECT_EQ(f.log.made, 0) << "no native window before the backend is open";
    ASSERT_TRUE(f.form.CreateParented(99));
    ASSERT_EQ(f.log.live.size(), 1u);
    EXPECT_EQ(f.log.className, "msctls_trackbar32");
    EXPECT_TRUE(f.log.style & TK_TBS_VERT);
    EXPECT_EQ(f.log.madeAt, (TRect{25, 36, 58, 149})) << "placed in form coordinates";
    EXPECT_EQ(f.bar->Handle(), f.Native().Handle());
    EXPECT_EQ(f.bar->WindowClass(), nullptr) << "no drawn stand-in beside the native control";
    EXPECT_EQ(f.Native().pos, 12);
    EXPECT_EQ(f.Native().max, 50);
    EXPECT_FALSE(f.Native().visible) << "the form is still hidden";
    f.form.ShowForm();
    EXPECT_TRUE(f.Native().visible);
    f.box->SetLeft(40);
    EXPECT_EQ(f.Native().area, (TRect{45, 36, 78, 149})) << "follows a moving ancestor";
    f.bar->Hide();
    EXPECT_FALSE(f.Native().visible);
}

TEST(NativeTrackBar, HidesWhileAPopupOfTheFormOverlapsIt) {
    NativeForm f;
    ASSERT_TRUE(f.form.CreateParented(99));
    f.form.ShowForm();
    auto* list = new TWinControl(&f.form);
    list->SetBounds(200, 0, 50, 50);
    f.form.SetPopup(list, [] {});
    EXPECT_TRUE(f.Native().visible) << "not overlapped";
    list->SetBounds(30, 100, 50, 50);
    f.form.SetPopup(list, [] {});
    EXPECT_FALSE(f.Native().visible) << "it would cover the list drawn on the form";
    delete list;
    EXPECT_TRUE(f.Native().visible) << "back when the popup goes";
}

TEST(NativeTrackBar, NotificationsReachTheSenderByHandle) {
    NativeForm f;
    ASSERT_TRUE(f.form.CreateParented(99));
    f.form.ShowForm();
    std::vector<int> changes;
    f.bar->OnChange = [&](TObject*) { changes.push_back(f.bar->Position()); };
    f.Native().pos = 30;
    f.backend->Notify(TK_WM_VSCROLL, TK_TB_THUMBTRACK, f.bar->Handle());
    EXPECT_TRUE(f.bar->Adjusting());
    f.backend->Notify(TK_WM_VSCROLL, TK_TB_ENDTRACK, f.bar->Handle());
    EXPECT_FALSE(f.bar->Adjusting());
    EXPECT_EQ(changes, (std::vector<int>{30, 30}));
    f.backend->Notify(TK_WM_VSCROLL, TK_TB_ENDTRACK, 0x4242);
    f.backend->Notify(TK_WM_VSCROLL, TK_TB_ENDTRACK, 0);
    EXPECT_EQ(changes.size(), 2u) << "unknown senders are dropped";
}

TEST(NativeTrackBar, AStyleChangeOrAFailedParentingLeavesOneOrNoNativeWindow) {
    NativeForm f;
    ASSERT_TRUE(f.form.CreateParented(99));
    f.bar->SetTickMarks(TvTickMark::tmBoth);
    EXPECT_EQ(f.log.made, 2);
    ASSERT_EQ(f.log.live.size(), 1u);
    EXPECT_EQ(f.Native().pos, 12) << "the new window gets the settings again";
    EXPECT_FALSE(f.form.CreateParented(0));
    EXPECT_TRUE(f.log.live.empty());
    EXPECT_NE(f.bar->WindowClass(), nullptr) << "the drawn stand-in keeps the settings meanwhile";
    ASSERT_TRUE(f.form.CreateParented(99));
    EXPECT_EQ(f.log.live.size(), 1u);
}

}  // namespace
}  // namespace tamrik
