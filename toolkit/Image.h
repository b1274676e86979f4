// TImage: shows a picture at its top-left corner and takes its size. A
// picture that can be drawn afresh at every scale comes from a source; a
// plain one is enlarged pixel by pixel at scales above 100 %.
#pragma once

#include <functional>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TImage : public TCustomControl {
public:
    // The picture at a scale; at 100 % it gives the control its size.
    using PictureSource = std::function<PixelBuffer(Scale)>;

    using TCustomControl::TCustomControl;
    const PixelBuffer& Picture() const { return picture_; }
    void SetPicture(PixelBuffer picture);
    void SetPictureSource(PictureSource source);

protected:
    void Paint(TCanvas& canvas) override;

private:
    PixelBuffer picture_;
    PictureSource source_;
    // The picture as last painted, and its scale.
    PixelBuffer shown_;
    Scale shownScale_;
};

}  // namespace tamrik::tk
