// Sized to the picture, so the picture is never scaled at 100 %.
#include "toolkit/Image.h"

namespace tamrik::tk {

void TImage::SetPicture(PixelBuffer picture) {
    picture_ = std::move(picture);
    source_ = nullptr;
    shown_ = picture_;
    shownScale_ = Scale();
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::SetPictureSource(PictureSource source) {
    SetPicture(source(Scale()));
    source_ = std::move(source);
}

void TImage::Paint(TCanvas& canvas) {
    const Scale scale = canvas.GetScale();
    if (scale != shownScale_) {
        if (source_) {
            shown_ = source_(scale);
        } else {
            shown_ = PixelBuffer(scale.Dev(picture_.Width()), scale.Dev(picture_.Height()));
            for (int y = 0; y < shown_.Height(); ++y)
                for (int x = 0; x < shown_.Width(); ++x)
                    shown_.Set(x, y, picture_.At(scale.Logical(x), scale.Logical(y)));
        }
        shownScale_ = scale;
    }
    canvas.DrawPicture(0, 0, shown_);
}

}  // namespace tamrik::tk
