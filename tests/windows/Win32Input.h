// The user's mouse in a Windows host's editor tests: moves, presses, drags
// and clicks through the system's input queue (SendInput), each back once
// the messages are handled, and the panel's pixels on screen.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "Win32HostWindow.h"

namespace tamrik::test {

// The mouse, through the system's input queue, at screen coordinates; back
// once the cursor is there and the messages are handled. With shift, Shift
// goes down again first, as a held key repeats: wine takes the keys' state
// afresh from the display (where no key is down) when a press captures the
// mouse.
inline void MouseTo(POINT p, bool shift = false) {
    INPUT in[2]{};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = VK_SHIFT;
    in[1].type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // Rounded up, so that scaling back (rounding or truncating) lands on p.
    in[1].mi.dx = LONG((p.x * 65536LL + w - 1) / w);
    in[1].mi.dy = LONG((p.y * 65536LL + h - 1) / h);
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(shift ? 2 : 1, shift ? in : in + 1, sizeof in[0]);
    PumpUntil([&] {
        POINT at{};
        return GetCursorPos(&at) && at.x == p.x && at.y == p.y;
    });
    Settle();
}

// When the last press was handled, by the system's clock.
inline DWORD lastPress = 0;

inline void Button(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
    Settle();
    if (down) lastPress = GetTickCount();
}

// A press from now on is a first one, not the second of a double-click,
// whatever the distance: the system's double-click time has passed since
// the last press.
inline bool PastTheDoubleClickTime() {
    return PumpUntil([] { return GetTickCount() - lastPress > GetDoubleClickTime(); });
}

inline POINT OnScreen(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

// Presses at from, moves by (dx, dy) in 2-pixel steps, releases; with
// shift, Shift is held from before the press to after the release.
inline void Drag(HWND window, POINT from, int dx, int dy, bool shift = false) {
    MouseTo(OnScreen(window, from.x, from.y), shift);
    Button(true);
    const int steps = std::max(std::abs(dx), std::abs(dy)) / 2;
    for (int i = 1; i <= steps; ++i)
        MouseTo(OnScreen(window, from.x + dx * i / steps, from.y + dy * i / steps), shift);
    Button(false);
    if (shift) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = VK_SHIFT;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &up, sizeof up);
        Settle();
    }
}

inline void Click(HWND window, int x, int y, bool right = false) {
    MouseTo(OnScreen(window, x, y));
    if (right) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        SendInput(2, in, sizeof in[0]);
        Settle();
        lastPress = GetTickCount();
    } else {
        Button(true);
        Button(false);
    }
}

inline std::vector<uint32_t> Pixels(HWND window, RECT r) {
    const HDC screen = GetDC(nullptr);
    std::vector<uint32_t> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const POINT p = OnScreen(window, x, y);
            pixels.push_back(GetPixel(screen, p.x, p.y));
        }
    ReleaseDC(nullptr, screen);
    return pixels;
}

inline constexpr POINT kCutOffKnob{8 + 144 + 16, 200 + 32 + 16};

// The panel is on screen: its CutOff knob (at the panel's scale, times)
// shows more than one colour; then everything queued is handled.
inline bool WaitUntilDrawn(HWND form, int times = 1) {
    const RECT knob{(kCutOffKnob.x - 16) * times, (kCutOffKnob.y - 16) * times, (kCutOffKnob.x + 17) * times,
                    (kCutOffKnob.y + 17) * times};
    const bool drawn = PumpUntil([&] {
        const std::vector<uint32_t> pixels = Pixels(form, knob);
        return std::adjacent_find(pixels.begin(), pixels.end(), std::not_equal_to<>()) != pixels.end();
    });
    return Drain() && drawn;
}

}  // namespace tamrik::test
