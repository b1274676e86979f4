// TCustomControl: a windowed control that draws itself on a canvas.
#pragma once

#include "toolkit/WinControl.h"

namespace tamrik::tk {

class TCustomControl : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    virtual void Paint(TCanvas& canvas) = 0;
    void PaintWindow(TCanvas& canvas) override { Paint(canvas); }
};

}  // namespace tamrik::tk
