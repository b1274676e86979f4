// A Windows host's side of an editor test: its message loop, its windows
// (two top-level ones kept for the whole process), and counts of the
// windows and GDI objects a test may leave behind.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace tamrik::test {

// The host's message loop until done(): the deadline only catches a hang,
// however slow wine is on a busy machine (or under qemu).
inline bool PumpUntil(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

// Before asserting that something did NOT happen: the thread's queue
// handled to empty. A message posted to the thread comes back after
// everything queued before it; then paints, input and what handling caused,
// until nothing is pending.
inline bool Drain() {
    static const UINT marker = RegisterWindowMessageA("TamrikTestDrain");
    PostThreadMessageA(GetCurrentThreadId(), marker, 0, 0);
    bool back = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (back) return true;
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == marker) {
            back = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// SendInput queues its messages at once; this handles them, and what they
// caused, until the thread's queue holds no input or posted message.
inline bool Settle() {
    return PumpUntil([] { return GetQueueStatus(QS_INPUT | QS_POSTMESSAGE) == 0; });
}

inline HWND MakeWindow(HWND parent, int x, int y) {
    static const char* const kClass = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "TamrikTestHost";
        RegisterClassExA(&wc);
        return "TamrikTestHost";
    }();
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN
                               : WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN;
    return CreateWindowExA(0, kClass, "DrumTamrik test host", style, x, y, 600, 400, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Top-level windows take seconds to destroy under wine: the process keeps
// two for all its tests. A test program that cannot make them ends at once.
inline HWND HostWindow(int which = 0) {
    static HWND windows[2] = {};
    if (!windows[which]) {
        windows[which] = MakeWindow(nullptr, 10 + 620 * which, 10);
        if (!windows[which]) {
            std::fprintf(stderr, "cannot create a window (error %lu): no display?\n", GetLastError());
            std::exit(1);
        }
        RECT r{};
        GetWindowRect(windows[which], &r);
        const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        PumpUntil([&] { return GetAncestor(WindowFromPoint(middle), GA_ROOT) == windows[which]; });
    }
    return windows[which];
}

inline std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

inline BOOL CALLBACK CountChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

inline BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(hwnd, &CountChild, counter);
    return TRUE;
}

// Every window of this thread, children included.
inline int CountWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

// GetGuiResources answers 0 under wine: every live GDI object is found by
// trying each handle value (wine takes a handle with a zero upper half for
// any generation of its slot).
inline int CountGdiObjects() {
    int count = 0;
    for (uintptr_t h = 1; h < 0x10000; ++h)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0) ++count;
    return count;
}

}  // namespace tamrik::test
