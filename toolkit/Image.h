// TImage: shows a picture at its top-left corner and takes its size.
#pragma once

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TImage : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    const PixelBuffer& Picture() const { return picture_; }
    void SetPicture(PixelBuffer picture);

protected:
    void Paint(TCanvas& canvas) override;

private:
    PixelBuffer picture_;
};

}  // namespace tamrik::tk
