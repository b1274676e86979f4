// Every setting lives in a field first; the window is only ever told. That
// is what lets the window be destroyed and recreated (a change of style)
// without losing anything: CreateWnd pushes all settings again, in an order
// where the range is known before the position.
#include "controls/vTrackBar.h"

#include "toolkit/TrackBarWindow.h"

namespace tamrik {

using namespace tk;

TvTrackBar::TvTrackBar(TWinControl* parent) : TWinControl(nullptr) {
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
    DoubleClicks = false;
    // Attached last: the window must be made by this class's CreateWnd.
    if (parent) SetParent(parent);
}

bool TvTrackBar::EnsureBarClasses(uint32_t classes) {
    const TK_INITCOMMONCONTROLSEX init{sizeof(TK_INITCOMMONCONTROLSEX), classes};
    const bool ok = TK_InitCommonControlsEx(&init);
    if (!ok) TK_InitCommonControls();
    return ok;
}

void TvTrackBar::CreateParams(TCreateParams& params) {
    EnsureBarClasses(TK_ICC_BAR_CLASSES);
    TWinControl::CreateParams(params);
    params.WinClassName = TK_TRACKBAR_CLASS;
    static constexpr uint32_t kOrientation[] = {TK_TBS_HORZ, TK_TBS_VERT};
    static constexpr uint32_t kTickStyle[] = {TK_TBS_NOTICKS, TK_TBS_AUTOTICKS, 0};
    static constexpr uint32_t kTickMarks[] = {TK_TBS_BOTTOM, TK_TBS_TOP, TK_TBS_BOTH};
    params.Style |= kOrientation[size_t(orientation_)] | kTickStyle[size_t(tickStyle_)] |
                    kTickMarks[size_t(tickMarks_)] | TK_TBS_FIXEDLENGTH | TK_TBS_ENABLESELRANGE;
    params.WindowClassStyle = (params.WindowClassStyle & ~uint32_t(TK_CS_HREDRAW | TK_CS_VREDRAW)) | TK_CS_DBLCLKS;
    if (!sliderVisible_) params.Style |= TK_TBS_NOTHUMB;
}

void TvTrackBar::CreateWnd() {
    TWinControl::CreateWnd();
    if (!HandleAllocated()) return;
    Perform(TK_TBM_SETTHUMBLENGTH, uintptr_t(thumbLength_), 0);
    Perform(TK_TBM_SETLINESIZE, 0, lineSize_);
    Perform(TK_TBM_SETPAGESIZE, 0, pageSize_);
    Perform(TK_TBM_SETRANGEMIN, 0, min_);
    Perform(TK_TBM_SETRANGEMAX, 0, max_);
    ApplySelection();
    Perform(TK_TBM_SETPOS, 1, position_);
    Perform(TK_TBM_SETTICFREQ, uintptr_t(frequency_), 1);
}

void TvTrackBar::SetOrientation(TvTrackBarOrientation orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    // A stored description already carries the bounds for its orientation.
    if (!Loading()) SetBounds(Left(), Top(), Height(), Width());
    RecreateWnd();
}

void TvTrackBar::SetTickMarks(TvTickMark marks) {
    if (marks == tickMarks_) return;
    tickMarks_ = marks;
    RecreateWnd();
}

void TvTrackBar::SetTickStyle(TvTickStyle style) {
    if (style == tickStyle_) return;
    tickStyle_ = style;
    RecreateWnd();
}

void TvTrackBar::SetSliderVisible(bool visible) {
    if (visible == sliderVisible_) return;
    sliderVisible_ = visible;
    RecreateWnd();
}

void TvTrackBar::SetLineSize(int size) {
    if (size == lineSize_) return;
    lineSize_ = size;
    if (HandleAllocated()) Perform(TK_TBM_SETLINESIZE, 0, size);
}

void TvTrackBar::SetPageSize(int size) {
    if (size == pageSize_) return;
    pageSize_ = size;
    if (HandleAllocated()) Perform(TK_TBM_SETPAGESIZE, 0, size);
}

int TvTrackBar::ThumbLength() {
    return HandleAllocated() ? int(Perform(TK_TBM_GETTHUMBLENGTH, 0, 0)) : thumbLength_;
}

void TvTrackBar::SetThumbLength(int length) {
    if (length == thumbLength_) return;
    thumbLength_ = length;
    if (HandleAllocated()) Perform(TK_TBM_SETTHUMBLENGTH, uintptr_t(length), 0);
}

void TvTrackBar::SetFrequency(int value) {
    if (value == frequency_) return;
    frequency_ = value;
    if (HandleAllocated()) Perform(TK_TBM_SETTICFREQ, uintptr_t(value), 1);
}

void TvTrackBar::SetMin(int value) {
    if (value > max_) return;
    ApplyRange(position_, value, max_);
}

void TvTrackBar::SetMax(int value) {
    if (value < min_) return;
    ApplyRange(position_, min_, value);
}

void TvTrackBar::SetPosition(int value) { ApplyRange(value, min_, max_); }

void TvTrackBar::SetSelStart(int value) {
    if (value == selStart_) return;
    selStart_ = value;
    ApplySelection();
}

void TvTrackBar::SetSelEnd(int value) {
    if (value == selEnd_) return;
    selEnd_ = value;
    ApplySelection();
}

void TvTrackBar::ApplyRange(int position, int minimum, int maximum) {
    if (position < minimum) position = minimum;
    if (position > maximum) position = maximum;
    if (minimum != min_) {
        min_ = minimum;
        if (HandleAllocated()) Perform(TK_TBM_SETRANGEMIN, 1, minimum);
    }
    if (maximum != max_) {
        max_ = maximum;
        if (HandleAllocated()) Perform(TK_TBM_SETRANGEMAX, 1, maximum);
    }
    if (position != position_) {
        position_ = position;
        if (HandleAllocated()) Perform(TK_TBM_SETPOS, 1, position);
        NotifyChange();
    }
}

void TvTrackBar::ApplySelection() {
    if (!HandleAllocated()) return;
    if (selStart_ == 0 && selEnd_ == 0) {
        Perform(TK_TBM_CLEARSEL, 1, 0);
        return;
    }
    const uint32_t packed = (uint32_t(selStart_) & 0xFFFF) | ((uint32_t(selEnd_) & 0xFFFF) << 16);
    Perform(TK_TBM_SETSEL, 1, intptr_t(packed));
}

void TvTrackBar::NotifyChange() {
    if (OnChange) OnChange(this);
}

void TvTrackBar::ScrollNotification(TMessage& message) {
    TWinControl::WndProc(message);
    // Taken as the window reports it: the window keeps its own range.
    position_ = int(Perform(TK_TBM_GETPOS, 0, 0));
    NotifyChange();
    message.Result = 0;
}

void TvTrackBar::WndProc(TMessage& message) {
    const bool scroll = message.Msg == TK_CN_HSCROLL || message.Msg == TK_CN_VSCROLL;
    if (scroll)
        ScrollNotification(message);
    else
        TWinControl::WndProc(message);
    if (!scroll) return;
    // Looked at after OnChange has run, so the first thumb-track change is
    // reported with Adjusting still false and the end-track one with it true.
    const unsigned code = LoWord(message.WParam);
    if (code == TK_TB_THUMBTRACK) adjusting_ = true;
    if (code == TK_TB_ENDTRACK) adjusting_ = false;
}

}  // namespace tamrik
