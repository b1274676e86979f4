// The window messages, styles and notification codes the controls speak in.
// Values are those of the Win32 platform so that a Win32 backend can pass
// them through untouched; only what the toolkit implements is listed. Each
// name is the platform's with a TK_ prefix: <windows.h> defines the bare
// names as macros, which would rewrite ours in any file that includes both.
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
    TK_WM_KEYDOWN = 0x0100,
    TK_WM_KEYUP = 0x0101,
    TK_WM_CHAR = 0x0102,
    TK_WM_HSCROLL = 0x0114,
    TK_WM_VSCROLL = 0x0115,
    TK_WM_MOUSEMOVE = 0x0200,
    TK_WM_LBUTTONDOWN = 0x0201,
    TK_WM_LBUTTONUP = 0x0202,
    TK_WM_LBUTTONDBLCLK = 0x0203,
    TK_WM_RBUTTONDOWN = 0x0204,
    TK_WM_MOUSEWHEEL = 0x020A,
    TK_WM_CAPTURECHANGED = 0x0215,
    TK_WM_USER = 0x0400,
    // Notifications the parent hands back to the control that sent them.
    TK_CN_BASE = 0xBC00,
    TK_CN_HSCROLL = TK_CN_BASE + TK_WM_HSCROLL,
    TK_CN_VSCROLL = TK_CN_BASE + TK_WM_VSCROLL,
};

// Mouse message keys: the button and the modifiers held.
enum : uintptr_t { TK_MK_LBUTTON = 0x0001, TK_MK_SHIFT = 0x0004, TK_MK_CONTROL = 0x0008 };

enum : uint32_t {
    TK_VK_BACK = 0x08,
    TK_VK_RETURN = 0x0D,
    TK_VK_ESCAPE = 0x1B,
    TK_VK_SPACE = 0x20,
    TK_VK_PRIOR = 0x21,
    TK_VK_NEXT = 0x22,
    TK_VK_END = 0x23,
    TK_VK_HOME = 0x24,
    TK_VK_LEFT = 0x25,
    TK_VK_UP = 0x26,
    TK_VK_RIGHT = 0x27,
    TK_VK_DOWN = 0x28,
};

enum : uint32_t {
    TK_WS_CHILD = 0x40000000,
    TK_WS_VISIBLE = 0x10000000,
    TK_WS_CLIPSIBLINGS = 0x04000000,
    TK_WS_TABSTOP = 0x00010000,
    TK_CS_VREDRAW = 0x0001,
    TK_CS_HREDRAW = 0x0002,
    TK_CS_DBLCLKS = 0x0008,
};

// Trackbar window class, its styles, messages and notification codes.
inline constexpr const char* TK_TRACKBAR_CLASS = "msctls_trackbar32";
inline constexpr uint32_t TK_ICC_BAR_CLASSES = 0x4;

enum : uint32_t {
    TK_TBS_AUTOTICKS = 0x0001,
    TK_TBS_VERT = 0x0002,
    TK_TBS_HORZ = 0x0000,
    TK_TBS_TOP = 0x0004,
    TK_TBS_BOTTOM = 0x0000,
    TK_TBS_LEFT = 0x0004,
    TK_TBS_RIGHT = 0x0000,
    TK_TBS_BOTH = 0x0008,
    TK_TBS_NOTICKS = 0x0010,
    TK_TBS_ENABLESELRANGE = 0x0020,
    TK_TBS_FIXEDLENGTH = 0x0040,
    TK_TBS_NOTHUMB = 0x0080,
};

enum : uint32_t {
    TK_TBM_GETPOS = TK_WM_USER,
    TK_TBM_GETRANGEMIN = TK_WM_USER + 1,
    TK_TBM_GETRANGEMAX = TK_WM_USER + 2,
    TK_TBM_SETPOS = TK_WM_USER + 5,
    TK_TBM_SETRANGEMIN = TK_WM_USER + 7,
    TK_TBM_SETRANGEMAX = TK_WM_USER + 8,
    TK_TBM_SETSEL = TK_WM_USER + 10,
    TK_TBM_GETSELSTART = TK_WM_USER + 17,
    TK_TBM_GETSELEND = TK_WM_USER + 18,
    TK_TBM_CLEARSEL = TK_WM_USER + 19,
    TK_TBM_SETTICFREQ = TK_WM_USER + 20,
    TK_TBM_SETPAGESIZE = TK_WM_USER + 21,
    TK_TBM_GETPAGESIZE = TK_WM_USER + 22,
    TK_TBM_SETLINESIZE = TK_WM_USER + 23,
    TK_TBM_GETLINESIZE = TK_WM_USER + 24,
    TK_TBM_SETTHUMBLENGTH = TK_WM_USER + 27,
    TK_TBM_GETTHUMBLENGTH = TK_WM_USER + 28,
};

enum : uint32_t {
    TK_TB_LINEUP = 0,
    TK_TB_LINEDOWN = 1,
    TK_TB_PAGEUP = 2,
    TK_TB_PAGEDOWN = 3,
    TK_TB_THUMBPOSITION = 4,
    TK_TB_THUMBTRACK = 5,
    TK_TB_TOP = 6,
    TK_TB_BOTTOM = 7,
    TK_TB_ENDTRACK = 8,
};

}  // namespace tamrik::tk
