// Pixel storage.
#include "toolkit/PixelBuffer.h"

#include <algorithm>

namespace tamrik::tk {

PixelBuffer::PixelBuffer(int width, int height, TColor fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(size_t(width_) * size_t(height_), fill) {}

PixelBuffer PixelBuffer::Crop(const TRect& area) const {
    const TRect r = area.Intersect(Bounds());
    PixelBuffer out(area.Width(), area.Height());
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) out.Set(x - area.Left, y - area.Top, At(x, y));
    return out;
}

void PixelBuffer::Blit(const PixelBuffer& other, int x, int y) {
    const TRect r = TRect{x, y, x + other.Width(), y + other.Height()}.Intersect(Bounds());
    for (int yy = r.Top; yy < r.Bottom; ++yy)
        for (int xx = r.Left; xx < r.Right; ++xx) Set(xx, yy, other.At(xx - x, yy - y));
}

}  // namespace tamrik::tk
