#include "toolkit/ClickControl.h"

namespace tamrik::tk {

TClickControl::TClickControl(TWinControl* parent) : TCustomControl(parent) { SetTabStop(true); }

void TClickControl::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Invalidate();
}

void TClickControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case TK_WM_LBUTTONDOWN:
        case TK_WM_LBUTTONDBLCLK:
            pressed_ = true;
            SetCapture();
            Invalidate();
            return;
        case TK_WM_LBUTTONUP:
            if (!pressed_) break;
            pressed_ = false;
            ReleaseCapture();
            Invalidate();
            // Last: a click may change the whole form.
            if (ClientRect().Contains({LoWordSigned(m.LParam), HiWordSigned(m.LParam)})) Click();
            return;
        case TK_WM_CAPTURECHANGED:
            if (pressed_) {
                pressed_ = false;
                Invalidate();
            }
            return;
        case TK_WM_KEYUP:
            if (m.WParam == TK_VK_SPACE) Click();
            return;
        default:
            break;
    }
    TCustomControl::WndProc(m);
}

}  // namespace tamrik::tk
