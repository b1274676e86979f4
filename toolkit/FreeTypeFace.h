// A FreeType face found through fontconfig, with its glyphs rendered once.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/FontFace.h"

namespace tamrik::tk {

class FreeTypeFace final : public FontFace {
public:
    // Null if fontconfig resolves nothing or FreeType cannot open the file.
    static std::unique_ptr<FreeTypeFace> Open(const std::string& family, int pixelHeight);
    ~FreeTypeFace() override;

    int TextWidth(std::string_view text) const override;
    int LineHeight() const override { return lineHeight_; }
    void Draw(PixelBuffer& target, const TRect& clip, int x, int y, std::string_view text,
              TColor color) const override;
    bool IsScalable() const override { return true; }

    const std::string& FilePath() const { return filePath_; }

private:
    struct Glyph {
        int left = 0;
        int top = 0;
        int advance = 0;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> coverage;
    };

    FreeTypeFace() = default;

    std::string filePath_;
    int ascent_ = 0;
    int lineHeight_ = 0;
    // Latin-1 only: every caption of the editor is plain text.
    std::array<Glyph, 256> glyphs_{};
};

}  // namespace tamrik::tk
