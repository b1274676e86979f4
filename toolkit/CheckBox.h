// TCheckBox: a box and a caption. Checked changes fire OnClick, whether the
// user clicked or a program set it; setting the same state fires nothing.
#pragma once

#include "toolkit/ClickControl.h"

namespace tamrik::tk {

class TCheckBox : public TClickControl {
public:
    using TClickControl::TClickControl;
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    TNotifyEvent OnClick;

protected:
    void Click() override { SetChecked(!checked_); }
    void Paint(TCanvas& canvas) override;

private:
    bool checked_ = false;
};

}  // namespace tamrik::tk
