// The classic grey palette, kept in this one place.
#include "toolkit/SystemColors.h"

namespace tamrik::tk {

TColor GetSysColor(SystemColor index) {
    switch (index) {
        case TK_COLOR_WINDOW: return RgbColor(255, 255, 255);
        case TK_COLOR_WINDOWFRAME: return RgbColor(0, 0, 0);
        case TK_COLOR_WINDOWTEXT: return RgbColor(0, 0, 0);
        case TK_COLOR_HIGHLIGHT: return RgbColor(0, 0, 128);
        case TK_COLOR_HIGHLIGHTTEXT: return RgbColor(255, 255, 255);
        case TK_COLOR_BTNFACE: return RgbColor(192, 192, 192);
        case TK_COLOR_BTNSHADOW: return RgbColor(128, 128, 128);
        case TK_COLOR_GRAYTEXT: return RgbColor(128, 128, 128);
        case TK_COLOR_BTNTEXT: return RgbColor(0, 0, 0);
        case TK_COLOR_BTNHIGHLIGHT: return RgbColor(255, 255, 255);
        case TK_COLOR_3DDKSHADOW: return RgbColor(0, 0, 0);
        case TK_COLOR_3DLIGHT: return RgbColor(223, 223, 223);
    }
    return RgbColor(0, 0, 0);
}

}  // namespace tamrik::tk
