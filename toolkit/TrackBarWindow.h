// The platform trackbar window class ("msctls_trackbar32") of the toolkit:
// a channel with a thumb and ticks that keeps its own range and position,
// answers the TBM_ messages, takes drags, clicks and keys, and reports each
// user action to its parent window as TK_WM_HSCROLL or TK_WM_VSCROLL.
#pragma once

#include "toolkit/FineDrag.h"
#include "toolkit/WinControl.h"

namespace tamrik::tk {

struct TK_INITCOMMONCONTROLSEX {
    uint32_t dwSize = 0;
    uint32_t dwICC = 0;
};

// The trackbar class is built into the toolkit; these only validate the
// request the way the platform calls do.
bool TK_InitCommonControlsEx(const TK_INITCOMMONCONTROLSEX* init);
void TK_InitCommonControls();

class TrackBarWindow final : public TWindowClass {
public:
    TrackBarWindow(TWinControl& window, uint32_t style);

    bool Handle(TMessage& message) override;
    void Paint(TCanvas& canvas) override;

    // Thumb and channel in client coordinates at a scale: logical ones (the
    // default) for hit tests, device ones for painting.
    TRect ThumbRect(Scale scale = Scale()) const;
    TRect ChannelRect(Scale scale = Scale()) const;

private:
    bool Vertical() const { return style_ & TK_TBS_VERT; }
    int Length(Scale scale) const { return scale.Dev(Vertical() ? window_.Height() : window_.Width()); }
    int Across(Scale scale) const { return scale.Dev(Vertical() ? window_.Width() : window_.Height()); }
    int AlongStart(Scale scale) const;
    int AlongEnd(Scale scale) const;
    int CentreOf(int position, Scale scale = Scale()) const;
    int PositionAt(int along) const;
    void SetPos(int position);
    void Notify(uint32_t code);
    void StepBy(int delta, uint32_t code);
    void OnPress(TPoint at, bool fine);
    void OnMove(TPoint at, bool fine);
    void FinishTracking();
    void PaintTicks(TCanvas& device, Scale scale) const;

    TWinControl& window_;
    uint32_t style_;
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    int lineSize_ = 1;
    int pageSize_ = 20;
    int thumbLength_ = 21;
    int ticFrequency_ = 1;
    int selStart_ = 0;
    int selEnd_ = 0;
    bool dragging_ = false;
    bool paging_ = false;
    int grabOffset_ = 0;
    FineDrag fine_;
};

}  // namespace tamrik::tk
