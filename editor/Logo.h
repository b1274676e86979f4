// The picture in the panel's bottom-right corner: the product name beside a
// drum head, 217 x 73 pixels at 100 %, drawn with the toolkit's canvas when a
// form is made (at every scale afresh, so it stays sharp), so that no picture
// file has to ship inside the plug-in.
#pragma once

#include "toolkit/Backend.h"
#include "toolkit/PixelBuffer.h"

namespace tamrik {

constexpr int kLogoWidth = 217;
constexpr int kLogoHeight = 73;

// The faces come from fonts, the backend of the first form that asks for
// the scale.
tk::PixelBuffer DrawLogo(const tk::Backend& fonts, tk::Scale scale = tk::Scale());

}  // namespace tamrik
