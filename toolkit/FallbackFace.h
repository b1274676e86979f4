// The built-in face used when no font can be found: a 3 x 5 pixel alphabet
// drawn at twice its size (at 100 %), so that captions stay readable on any
// machine; at other scales each of its pixels is a whole number of pixels.
#pragma once

#include "toolkit/FontFace.h"

namespace tamrik::tk {

class FallbackFace final : public FontFace {
public:
    explicit FallbackFace(int pixelSize = 2) : size_(pixelSize) {}
    int TextWidth(std::string_view text) const override;
    int LineHeight() const override;
    void Draw(PixelBuffer& target, const TRect& clip, int x, int y, std::string_view text,
              TColor color) const override;
    bool IsScalable() const override { return false; }

private:
    int size_;
};

}  // namespace tamrik::tk
