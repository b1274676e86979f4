// The one palette of system colours, a classic grey scheme. Controls ask for
// colours by their Win32 index so that a platform backend could answer with
// the user's scheme instead.
#pragma once

#include <cstdint>

namespace tamrik::tk {

// 0x00RRGGBB.
using TColor = uint32_t;

constexpr TColor RgbColor(uint8_t r, uint8_t g, uint8_t b) {
    return (TColor(r) << 16) | (TColor(g) << 8) | TColor(b);
}

enum SystemColor : int {
    TK_COLOR_WINDOW = 5,
    TK_COLOR_WINDOWFRAME = 6,
    TK_COLOR_WINDOWTEXT = 8,
    TK_COLOR_HIGHLIGHT = 13,
    TK_COLOR_HIGHLIGHTTEXT = 14,
    TK_COLOR_BTNFACE = 15,
    TK_COLOR_BTNSHADOW = 16,
    TK_COLOR_GRAYTEXT = 17,
    TK_COLOR_BTNTEXT = 18,
    TK_COLOR_BTNHIGHLIGHT = 20,
    TK_COLOR_3DDKSHADOW = 21,
    TK_COLOR_3DLIGHT = 22,
};

TColor GetSysColor(SystemColor index);

}  // namespace tamrik::tk
