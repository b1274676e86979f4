// FreeType and fontconfig are only touched while the face is opened: every
// glyph of the 8-bit range is rendered then, so painting is plain blending
// and the library handles can be let go at once.
#include "toolkit/FreeTypeFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace tamrik::tk {
namespace {

std::string ResolveFontFile(const std::string& family, int pixelHeight) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return {};
    std::string path;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelHeight);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

}  // namespace

std::unique_ptr<FreeTypeFace> FreeTypeFace::Open(const std::string& family, int pixelHeight) {
    const std::string path = ResolveFontFile(family, pixelHeight);
    if (path.empty()) return nullptr;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    std::unique_ptr<FreeTypeFace> face(new FreeTypeFace());
    FT_Face ftFace = nullptr;
    bool ok = FT_New_Face(library, path.c_str(), 0, &ftFace) == 0 &&
              FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(pixelHeight)) == 0;
    if (ok) {
        face->filePath_ = path;
        face->ascent_ = int(ftFace->size->metrics.ascender >> 6);
        face->lineHeight_ = int((ftFace->size->metrics.ascender - ftFace->size->metrics.descender) >> 6);
        for (unsigned code = 32; code < 256; ++code) {
            if (FT_Load_Char(ftFace, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) continue;
            const FT_GlyphSlot slot = ftFace->glyph;
            Glyph& g = face->glyphs_[code];
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.advance = int((slot->advance.x + 32) >> 6);
            g.width = int(slot->bitmap.width);
            g.height = int(slot->bitmap.rows);
            g.coverage.resize(size_t(g.width) * size_t(g.height));
            for (int row = 0; row < g.height; ++row)
                for (int col = 0; col < g.width; ++col)
                    g.coverage[size_t(row) * size_t(g.width) + size_t(col)] =
                        slot->bitmap.buffer[row * slot->bitmap.pitch + col];
        }
    }
    if (ftFace) FT_Done_Face(ftFace);
    FT_Done_FreeType(library);
    if (!ok) return nullptr;
    return face;
}

FreeTypeFace::~FreeTypeFace() = default;

}  // namespace tamrik::tk
