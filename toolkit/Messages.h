// The window messages, styles and notification codes the controls speak in.
// Values are those of the Win32 platform so that a Win32 backend can pass
// them through untouched; only what the toolkit implements is listed.
#pragma once

#include <cstdint>

namespace tamrik::tk {

struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

// Win32 packs client coordinates as two signed 16-bit halves.
inline intptr_t MakeLParam(int lo, int hi) {
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(lo)) |
                                 (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}
inline int LoWordSigned(intptr_t v) { return static_cast<int16_t>(v & 0xFFFF); }
inline int HiWordSigned(intptr_t v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }
inline unsigned LoWord(uintptr_t v) { return static_cast<unsigned>(v & 0xFFFF); }

enum : uint32_t {
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_MOUSEWHEEL = 0x020A,
    WM_CAPTURECHANGED = 0x0215,
    WM_USER = 0x0400,
    // Notifications the parent hands back to the control that sent them.
    CN_BASE = 0xBC00,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
};

enum : uintptr_t { MK_LBUTTON = 0x0001 };

enum : uint32_t {
    VK_RETURN = 0x0D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
};

enum : uint32_t {
    WS_CHILD = 0x40000000,
    WS_VISIBLE = 0x10000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_TABSTOP = 0x00010000,
    CS_VREDRAW = 0x0001,
    CS_HREDRAW = 0x0002,
    CS_DBLCLKS = 0x0008,
};

// Trackbar window class, its styles, messages and notification codes.
inline constexpr const char* TRACKBAR_CLASS = "msctls_trackbar32";
inline constexpr uint32_t ICC_BAR_CLASSES = 0x4;

enum : uint32_t {
    TBS_AUTOTICKS = 0x0001,
    TBS_VERT = 0x0002,
    TBS_HORZ = 0x0000,
    TBS_TOP = 0x0004,
    TBS_BOTTOM = 0x0000,
    TBS_LEFT = 0x0004,
    TBS_RIGHT = 0x0000,
    TBS_BOTH = 0x0008,
    TBS_NOTICKS = 0x0010,
    TBS_ENABLESELRANGE = 0x0020,
    TBS_FIXEDLENGTH = 0x0040,
    TBS_NOTHUMB = 0x0080,
};

enum : uint32_t {
    TBM_GETPOS = WM_USER,
    TBM_GETRANGEMIN = WM_USER + 1,
    TBM_GETRANGEMAX = WM_USER + 2,
    TBM_SETPOS = WM_USER + 5,
    TBM_SETRANGEMIN = WM_USER + 7,
    TBM_SETRANGEMAX = WM_USER + 8,
    TBM_SETSEL = WM_USER + 10,
    TBM_GETSELSTART = WM_USER + 17,
    TBM_GETSELEND = WM_USER + 18,
    TBM_CLEARSEL = WM_USER + 19,
    TBM_SETTICFREQ = WM_USER + 20,
    TBM_SETPAGESIZE = WM_USER + 21,
    TBM_GETPAGESIZE = WM_USER + 22,
    TBM_SETLINESIZE = WM_USER + 23,
    TBM_GETLINESIZE = WM_USER + 24,
    TBM_SETTHUMBLENGTH = WM_USER + 27,
    TBM_GETTHUMBLENGTH = WM_USER + 28,
};

enum : uint32_t {
    TB_LINEUP = 0,
    TB_LINEDOWN = 1,
    TB_PAGEUP = 2,
    TB_PAGEDOWN = 3,
    TB_THUMBPOSITION = 4,
    TB_THUMBTRACK = 5,
    TB_TOP = 6,
    TB_BOTTOM = 7,
    TB_ENDTRACK = 8,
};

}  // namespace tamrik::tk
