// Picks the real face when the machine has one, the built-in one otherwise.
#include "toolkit/FontFace.h"

#include "toolkit/FallbackFace.h"
#include "toolkit/FreeTypeFace.h"

namespace tamrik::tk {

std::unique_ptr<FontFace> OpenFontFace(const std::string& family, int pixelHeight) {
    if (auto face = FreeTypeFace::Open(family, pixelHeight)) return face;
    return std::make_unique<FallbackFace>();
}

}  // namespace tamrik::tk
