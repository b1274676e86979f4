// A text face of one pixel size. Faces come from the form's backend
// (Backend::OpenFont); OpenSystemFontFace is the platform's lookup that
// backends use by default. It never fails: when the system finds nothing
// usable it hands out the built-in fallback face.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "toolkit/PixelBuffer.h"
#include "toolkit/Scale.h"

namespace tamrik::tk {

class FontFace {
public:
    virtual ~FontFace() = default;
    virtual int TextWidth(std::string_view text) const = 0;
    // Height of a line of text; TextAt's y is the top of that line.
    virtual int LineHeight() const = 0;
    virtual void Draw(PixelBuffer& target, const TRect& clip, int x, int y,
                      std::string_view text, TColor color) const = 0;
    // Whether this is a real font rather than the built-in stand-in.
    virtual bool IsScalable() const = 0;
};

// family as the system's font lookup understands it; pixelHeight is the
// character height (the em size, internal leading excluded) in device pixels.
std::unique_ptr<FontFace> OpenSystemFontFace(const std::string& family, int pixelHeight);
// The built-in face for a display scale: its glyphs grow in whole pixels.
std::unique_ptr<FontFace> OpenBuiltInFontFace(Scale scale = Scale());

}  // namespace tamrik::tk
