// TCheckBox: a box and a caption. Checked changes fire OnClick, whether the
// user clicked or a program set it; setting the same state fires nothing.
#pragma once

#include <string>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TCheckBox : public TCustomControl {
public:
    explicit TCheckBox(TWinControl* parent = nullptr);
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    TNotifyEvent OnClick;

protected:
    void Paint(TCanvas& canvas) override;
    void WndProc(TMessage& message) override;

private:
    std::string caption_;
    bool checked_ = false;
    bool pressed_ = false;
};

}  // namespace tamrik::tk
