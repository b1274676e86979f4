// A face of the Windows font system, its glyphs rendered once with GDI.
#pragma once

#include <memory>
#include <string>

#include "toolkit/GlyphFace.h"

namespace tamrik::tk {

class GdiFace final : public GlyphFace {
public:
    // Null if GDI cannot make the font or a device context to draw with.
    static std::unique_ptr<GdiFace> Open(const std::string& family, int pixelHeight);

private:
    GdiFace() = default;
};

}  // namespace tamrik::tk
