// A block of 0x00RRGGBB pixels in memory: the surface every window of a form
// is painted into, and what a backend shows or a test inspects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Geometry.h"
#include "toolkit/SystemColors.h"

namespace tamrik::tk {

class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(int width, int height, TColor fill = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    TRect Bounds() const { return {0, 0, width_, height_}; }
    TColor At(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
    void Set(int x, int y, TColor c) { pixels_[size_t(y) * size_t(width_) + size_t(x)] = c; }
    const uint32_t* Row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }

    // Copies the part of this buffer at area into a buffer of its own.
    PixelBuffer Crop(const TRect& area) const;
    // Draws other with its top-left corner at (x, y), clipped to this buffer.
    void Blit(const PixelBuffer& other, int x, int y);

    // Writes an 8-bit RGB PNG; false (and no file left half-written) on
    // failure. Only where libpng is built (not for Windows).
    bool SavePng(const std::string& path) const;
    // Writes a 24-bit BMP, on every platform; false on failure.
    bool SaveBmp(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

}  // namespace tamrik::tk
