// Geometry: the thumb is centred across the bar with ticks outside it on the
// chosen sides; along the bar its centre runs between two margins, the
// minimum at the left or top end. It is worked out in logical pixels for
// the mouse and in device pixels for painting, so that a scaled bar is drawn
// at its own size rather than enlarged.
#include "toolkit/TrackBarWindow.h"

#include <algorithm>

namespace tamrik::tk {
namespace {

constexpr int kMargin = 4;
constexpr int kTickGap = 2;
constexpr int kTickLength = 3;

int ThumbBreadth(int thumbLength) { return std::max(thumbLength / 2 + 1, 5); }

// Rounded a * b / c for non-negative a, b and positive c.
int MulDivRounded(int a, int b, int c) { return int((2LL * a * b + c) / (2LL * c)); }

}  // namespace

bool TK_InitCommonControlsEx(const TK_INITCOMMONCONTROLSEX* init) {
    return init && init->dwSize == sizeof(TK_INITCOMMONCONTROLSEX);
}

void TK_InitCommonControls() {}

TrackBarWindow::TrackBarWindow(TWinControl& window, uint32_t style) : window_(window), style_(style) {}

int TrackBarWindow::AlongStart(Scale s) const { return s.Dev(ThumbBreadth(thumbLength_)) / 2 + s.Dev(kMargin); }

int TrackBarWindow::AlongEnd(Scale s) const {
    return std::max(AlongStart(s), Length(s) - s.Dev(1) - AlongStart(s));
}

int TrackBarWindow::CentreOf(int position, Scale s) const {
    if (max_ <= min_) return AlongStart(s);
    const int p = std::clamp(position, min_, max_) - min_;
    return AlongStart(s) + MulDivRounded(p, AlongEnd(s) - AlongStart(s), max_ - min_);
}

int TrackBarWindow::PositionAt(int along) const {
    const Scale logical;
    const int span = AlongEnd(logical) - AlongStart(logical);
    if (span <= 0) return min_;
    const int offset = std::clamp(along - AlongStart(logical), 0, span);
    return min_ + MulDivRounded(offset, max_ - min_, span);
}

TRect TrackBarWindow::ThumbRect(Scale s) const {
    const int thumbLength = s.Dev(thumbLength_);
    const int a0 = (Across(s) - thumbLength) / 2;
    const int breadth = s.Dev(ThumbBreadth(thumbLength_));
    const int b0 = CentreOf(pos_, s) - breadth / 2;
    return Vertical() ? TRect{a0, b0, a0 + thumbLength, b0 + breadth}
                      : TRect{b0, a0, b0 + breadth, a0 + thumbLength};
}

TRect TrackBarWindow::ChannelRect(Scale s) const {
    const int a0 = Across(s) / 2 - s.Dev(2);
    const int b0 = AlongStart(s) - s.Dev(2), b1 = AlongEnd(s) + s.Dev(3);
    return Vertical() ? TRect{a0, b0, a0 + s.Dev(4), b1} : TRect{b0, a0, b1, a0 + s.Dev(4)};
}

void TrackBarWindow::SetPos(int position) {
    const int clamped = std::clamp(position, min_, std::max(min_, max_));
    if (clamped == pos_) return;
    pos_ = clamped;
    window_.Invalidate();
}

void TrackBarWindow::Notify(uint32_t code) {
    TWinControl* parent = window_.Parent();
    if (!parent) return;
    const bool carriesPos = code == TK_TB_THUMBTRACK || code == TK_TB_THUMBPOSITION;
    const uintptr_t wParam = code | (carriesPos ? (uintptr_t(uint16_t(pos_)) << 16) : 0);
    parent->Perform(Vertical() ? TK_WM_VSCROLL : TK_WM_HSCROLL, wParam, intptr_t(window_.Handle()));
}

void TrackBarWindow::StepBy(int delta, uint32_t code) {
    SetPos(pos_ + delta);
    Notify(code);
}

void TrackBarWindow::OnPress(TPoint at, bool fine) {
    window_.SetFocus();
    const TRect thumb = ThumbRect();
    const int along = Vertical() ? at.y : at.x;
    if (!(style_ & TK_TBS_NOTHUMB) && thumb.Contains(at)) {
        dragging_ = true;
        grabOffset_ = along - CentreOf(pos_);
        fine_.Start(CentreOf(pos_), pos_, fine);
        window_.SetCapture();
        // Reported at once so that the owner knows the thumb is held.
        Notify(TK_TB_THUMBTRACK);
        return;
    }
    paging_ = true;
    window_.SetCapture();
    if (along < CentreOf(pos_))
        StepBy(-pageSize_, TK_TB_PAGEUP);
    else
        StepBy(pageSize_, TK_TB_PAGEDOWN);
}

void TrackBarWindow::OnMove(TPoint at, bool fine) {
    if (!dragging_) return;
    const int before = pos_;
    const int along = (Vertical() ? at.y : at.x) - grabOffset_;
    const Scale logical;
    const int span = AlongEnd(logical) - AlongStart(logical);
    if (const std::optional<int> finePosition = fine_.Move(along, fine, pos_, max_ - min_, span))
        SetPos(*finePosition);
    else
        SetPos(PositionAt(along));
    if (pos_ != before) Notify(TK_TB_THUMBTRACK);
}

void TrackBarWindow::FinishTracking() {
    const bool wasDragging = dragging_;
    if (!dragging_ && !paging_) return;
    dragging_ = paging_ = false;
    if (window_.HasCapture()) window_.ReleaseCapture();
    if (wasDragging) Notify(TK_TB_THUMBPOSITION);
    Notify(TK_TB_ENDTRACK);
}

bool TrackBarWindow::Handle(TMessage& m) {
    switch (m.Msg) {
        case TK_TBM_GETPOS: m.Result = pos_; return true;
        case TK_TBM_GETRANGEMIN: m.Result = min_; return true;
        case TK_TBM_GETRANGEMAX: m.Result = max_; return true;
        case TK_TBM_GETSELSTART: m.Result = selStart_; return true;
        case TK_TBM_GETSELEND: m.Result = selEnd_; return true;
        case TK_TBM_GETPAGESIZE: m.Result = pageSize_; return true;
        case TK_TBM_GETLINESIZE: m.Result = lineSize_; return true;
        case TK_TBM_GETTHUMBLENGTH: m.Result = thumbLength_; return true;
        case TK_TBM_SETPOS:
            pos_ = std::clamp(int(m.LParam), min_, std::max(min_, max_));
            window_.Invalidate();
            return true;
        case TK_TBM_SETRANGEMIN:
        case TK_TBM_SETRANGEMAX:
            (m.Msg == TK_TBM_SETRANGEMIN ? min_ : max_) = int(m.LParam);
            pos_ = std::clamp(pos_, min_, std::max(min_, max_));
            window_.Invalidate();
            return true;
        case TK_TBM_SETSEL:
            selStart_ = LoWordSigned(m.LParam);
            selEnd_ = HiWordSigned(m.LParam);
            window_.Invalidate();
            return true;
        case TK_TBM_CLEARSEL:
            selStart_ = selEnd_ = 0;
            window_.Invalidate();
            return true;
        case TK_TBM_SETTICFREQ:
            ticFrequency_ = int(m.WParam);
            window_.Invalidate();
            return true;
        case TK_TBM_SETPAGESIZE:
            m.Result = pageSize_;
            pageSize_ = int(m.LParam);
            return true;
        case TK_TBM_SETLINESIZE:
            m.Result = lineSize_;
            lineSize_ = int(m.LParam);
            return true;
        case TK_TBM_SETTHUMBLENGTH:
            thumbLength_ = std::max(int(m.WParam), 1);
            window_.Invalidate();
            return true;
        case TK_WM_LBUTTONDOWN:
        case TK_WM_LBUTTONDBLCLK:
            OnPress({LoWordSigned(m.LParam), HiWordSigned(m.LParam)}, m.WParam & TK_MK_SHIFT);
            return true;
        case TK_WM_MOUSEMOVE:
            OnMove({LoWordSigned(m.LParam), HiWordSigned(m.LParam)}, m.WParam & TK_MK_SHIFT);
            return true;
        case TK_WM_LBUTTONUP:
        case TK_WM_CAPTURECHANGED:
            FinishTracking();
            return true;
        case TK_WM_KEYDOWN:
            switch (m.WParam) {
                case TK_VK_LEFT: case TK_VK_UP: StepBy(-lineSize_, TK_TB_LINEUP); return true;
                case TK_VK_RIGHT: case TK_VK_DOWN: StepBy(lineSize_, TK_TB_LINEDOWN); return true;
                case TK_VK_PRIOR: StepBy(-pageSize_, TK_TB_PAGEUP); return true;
                case TK_VK_NEXT: StepBy(pageSize_, TK_TB_PAGEDOWN); return true;
                case TK_VK_HOME: SetPos(min_); Notify(TK_TB_TOP); return true;
                case TK_VK_END: SetPos(max_); Notify(TK_TB_BOTTOM); return true;
                default: return false;
            }
        case TK_WM_KEYUP:
            switch (m.WParam) {
                case TK_VK_LEFT: case TK_VK_UP: case TK_VK_RIGHT: case TK_VK_DOWN:
                case TK_VK_PRIOR: case TK_VK_NEXT: case TK_VK_HOME: case TK_VK_END:
                    Notify(TK_TB_ENDTRACK);
                    return true;
                default: return false;
            }
        default:
            return false;
    }
}

void TrackBarWindow::PaintTicks(TCanvas& canvas, Scale s) const {
    if (style_ & TK_TBS_NOTICKS) return;
    const int thumbLength = s.Dev(thumbLength_);
    const int a0 = (Across(s) - thumbLength) / 2;
    const int gap = s.Dev(kTickGap);
    const bool both = style_ & TK_TBS_BOTH;
    const bool before = both || (style_ & TK_TBS_TOP);
    const bool after = both || !(style_ & TK_TBS_TOP);
    canvas.Pen.Color = GetSysColor(TK_COLOR_WINDOWTEXT);
    auto tick = [&](int value, int extra) {
        const int c = CentreOf(value, s);
        const int length = s.Dev(kTickLength + extra);
        auto line = [&](int from, int to) {
            if (Vertical()) {
                canvas.MoveTo(from, c);
                canvas.LineTo(to, c);
            } else {
                canvas.MoveTo(c, from);
                canvas.LineTo(c, to);
            }
        };
        if (before) line(a0 - gap - length, a0 - gap);
        if (after) line(a0 + thumbLength + gap, a0 + thumbLength + gap + length);
    };
    // The ends get longer ticks, as the platform control draws them.
    tick(min_, 1);
    tick(max_, 1);
    if ((style_ & TK_TBS_AUTOTICKS) && ticFrequency_ > 0)
        for (int v = min_ + ticFrequency_; v < max_; v += ticFrequency_) tick(v, 0);
}

void TrackBarWindow::Paint(TCanvas& logical) {
    const Scale s = logical.GetScale();
    TCanvas canvas = logical.DevicePixels();
    const TRect channel = ChannelRect(s);
    canvas.Edge(channel, true, true);
    if ((style_ & TK_TBS_ENABLESELRANGE) && selEnd_ > selStart_) {
        canvas.Brush.Color = GetSysColor(TK_COLOR_HIGHLIGHT);
        const int s0 = CentreOf(selStart_, s), s1 = CentreOf(selEnd_, s) + s.Dev(1);
        const int inset = s.Dev(2);
        canvas.FillRect(Vertical() ? TRect{channel.Left + inset, s0, channel.Right - inset, s1}
                                   : TRect{s0, channel.Top + inset, s1, channel.Bottom - inset});
    }
    PaintTicks(canvas, s);
    if (style_ & TK_TBS_NOTHUMB) return;
    const TRect thumb = ThumbRect(s);
    canvas.Brush.Color = GetSysColor(TK_COLOR_BTNFACE);
    canvas.FillRect(thumb);
    canvas.Edge(thumb, false, true);
}

}  // namespace tamrik::tk
