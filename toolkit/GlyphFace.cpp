// Coverage is blended per channel with rounding, over what is already there.
#include "toolkit/GlyphFace.h"

namespace tamrik::tk {

int GlyphFace::TextWidth(std::string_view text) const {
    int width = 0;
    for (unsigned char c : text) width += glyphs_[c].advance;
    return width;
}

void GlyphFace::Draw(PixelBuffer& target, const TRect& clip, int x, int y, std::string_view text,
                     TColor color) const {
    const TRect area = clip.Intersect(target.Bounds());
    const int baseline = y + ascent_;
    for (unsigned char c : text) {
        const Glyph& g = glyphs_[c];
        for (int row = 0; row < g.height; ++row) {
            const int py = baseline - g.top + row;
            for (int col = 0; col < g.width; ++col) {
                const int px = x + g.left + col;
                const unsigned a = g.coverage[size_t(row) * size_t(g.width) + size_t(col)];
                if (a == 0 || !area.Contains({px, py})) continue;
                const TColor under = target.At(px, py);
                auto mix = [&](int shift) {
                    const unsigned fg = (color >> shift) & 0xFF, bg = (under >> shift) & 0xFF;
                    return TColor((fg * a + bg * (255 - a) + 127) / 255) << shift;
                };
                target.Set(px, py, mix(16) | mix(8) | mix(0));
            }
        }
        x += g.advance;
    }
}

}  // namespace tamrik::tk
