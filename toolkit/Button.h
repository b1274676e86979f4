// TButton: a push button with a caption; OnClick fires on each click.
#pragma once

#include "toolkit/ClickControl.h"

namespace tamrik::tk {

class TButton : public TClickControl {
public:
    using TClickControl::TClickControl;
    TNotifyEvent OnClick;

protected:
    void Click() override {
        if (OnClick) OnClick(this);
    }
    void Paint(TCanvas& canvas) override;
};

}  // namespace tamrik::tk
