// Sized to the picture, so the picture is never scaled.
#include "toolkit/Image.h"

namespace tamrik::tk {

void TImage::SetPicture(PixelBuffer picture) {
    picture_ = std::move(picture);
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
    for (int y = 0; y < picture_.Height(); ++y)
        for (int x = 0; x < picture_.Width(); ++x) canvas.SetPixel(x, y, picture_.At(x, y));
}

}  // namespace tamrik::tk
