// Pixel storage, and its BMP snapshot (a format with no library to need).
#include "toolkit/PixelBuffer.h"

#include <algorithm>
#include <cstdio>
#include <memory>

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

bool PixelBuffer::SaveBmp(const std::string& path) const {
    if (width_ == 0 || height_ == 0) return false;
    const uint32_t rowBytes = (uint32_t(width_) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(height_);
    std::vector<uint8_t> file(54 + size_t(imageBytes), 0);
    auto put16 = [&](size_t at, uint32_t v) { file[at] = uint8_t(v), file[at + 1] = uint8_t(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
    file[0] = 'B', file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width_));
    put32(22, uint32_t(height_));  // rows bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(34, imageBytes);
    for (int y = 0; y < height_; ++y) {
        uint8_t* out = file.data() + 54 + size_t(height_ - 1 - y) * rowBytes;
        for (int x = 0; x < width_; ++x) {
            const TColor c = At(x, y);
            out[3 * x] = uint8_t(c), out[3 * x + 1] = uint8_t(c >> 8), out[3 * x + 2] = uint8_t(c >> 16);
        }
    }
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
    return std::fclose(out.release()) == 0 && written;
}

}  // namespace tamrik::tk
