// A face whose glyphs were rendered once, when it was opened, into coverage
// maps of the 8-bit range: painting is then plain blending, the same for
// every font library a platform offers (FreeType, GDI).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "toolkit/FontFace.h"

namespace tamrik::tk {

class GlyphFace : public FontFace {
public:
    int TextWidth(std::string_view text) const override;
    int LineHeight() const override { return lineHeight_; }
    void Draw(PixelBuffer& target, const TRect& clip, int x, int y, std::string_view text,
              TColor color) const override;
    bool IsScalable() const override { return true; }

protected:
    // left/top: the coverage map's corner relative to the pen on the baseline
    // (top counts upwards).
    struct Glyph {
        int left = 0;
        int top = 0;
        int advance = 0;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> coverage;
    };

    int ascent_ = 0;
    int lineHeight_ = 0;
    // Latin-1 only: every caption of the editor is plain text.
    std::array<Glyph, 256> glyphs_{};
};

}  // namespace tamrik::tk
