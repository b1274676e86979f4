// A FreeType face found through fontconfig, with its glyphs rendered once.
#pragma once

#include <memory>
#include <string>

#include "toolkit/GlyphFace.h"

namespace tamrik::tk {

class FreeTypeFace final : public GlyphFace {
public:
    // Null if fontconfig resolves nothing or FreeType cannot open the file.
    static std::unique_ptr<FreeTypeFace> Open(const std::string& family, int pixelHeight);
    ~FreeTypeFace() override;

    const std::string& FilePath() const { return filePath_; }

private:
    FreeTypeFace() = default;

    std::string filePath_;
};

}  // namespace tamrik::tk
