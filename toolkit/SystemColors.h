// The one palette of system colours, a classic grey scheme. Controls ask for
// colours by their Win32 index so that a platform backend could answer with
// the user's scheme instead.
#pragma once

#include <cstdint>

namespace tamrik::tk {

// 0x00RRGGBB.
using TColor = uint32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return (TColor(r) << 16) | (TColor(g) << 8) | TColor(b);
}

enum SystemColor : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

TColor GetSysColor(SystemColor index);

}  // namespace tamrik::tk
