// TGroupBox: a frame with its caption set into the top edge. Flat (Ctl3D
// off) draws a single dark line, 3D an etched one.
#pragma once

#include <string>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TGroupBox : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

protected:
    void Paint(TCanvas& canvas) override;

private:
    std::string caption_;
};

}  // namespace tamrik::tk
