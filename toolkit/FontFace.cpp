// Picks the real face when the machine has one, the built-in one otherwise:
// FreeType and fontconfig on Linux.
#include "toolkit/FontFace.h"

#include "toolkit/FallbackFace.h"
#include "toolkit/FreeTypeFace.h"

namespace tamrik::tk {

std::unique_ptr<FontFace> OpenSystemFontFace(const std::string& family, int pixelHeight) {
    if (auto face = FreeTypeFace::Open(family, pixelHeight)) return face;
    return OpenBuiltInFontFace(Scale(pixelHeight * 100 / 12));
}

}  // namespace tamrik::tk
