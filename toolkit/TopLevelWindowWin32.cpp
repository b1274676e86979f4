// The Windows top-level window: a plain top-level window whose messages pump()
// dispatches, the panel's among them. The screenshot is copied from the
// screen, since asking the window to print itself leaves out child windows
// under wine.
#include <windows.h>

#include <stdexcept>

#include "toolkit/TopLevelWindow.h"

namespace tamrik::tk {

namespace {

const char* const kClassName = "TamrikTopLevelWindow";

LRESULT CALLBACK HostProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND Hwnd(void* window) { return static_cast<HWND>(window); }

}  // namespace

TopLevelWindow::TopLevelWindow(int width, int height, const std::string& title) : width_(width), height_(height) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &HostProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    window_ = CreateWindowExA(0, kClassName, title.c_str(), style, 20, 20, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window_) throw std::runtime_error("cannot create a window (error " + std::to_string(GetLastError()) + ")");
    ShowWindow(Hwnd(window_), SW_SHOW);
    UpdateWindow(Hwnd(window_));
}

TopLevelWindow::~TopLevelWindow() {
    if (IsWindow(Hwnd(window_))) DestroyWindow(Hwnd(window_));
}

bool TopLevelWindow::pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return IsWindow(Hwnd(window_));
}

int TopLevelWindow::eventDescriptor() const { return -1; }

void TopLevelWindow::setShown(bool shown) { ShowWindow(Hwnd(window_), shown ? SW_SHOW : SW_HIDE); }

void TopLevelWindow::resize(int width, int height) {
    width_ = width;
    height_ = height;
    const HWND hwnd = Hwnd(window_);
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, DWORD(GetWindowLongPtrA(hwnd, GWL_STYLE)), FALSE);
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void* TopLevelWindow::addArea(int x, int y, int width, int height) {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                           Hwnd(window_), nullptr, GetModuleHandleA(nullptr), nullptr);
}

void TopLevelWindow::placeArea(void* area, int x, int y, int width, int height) {
    MoveWindow(Hwnd(area), x, y, width, height, TRUE);
}

void TopLevelWindow::raiseArea(void* area, bool above) {
    SetWindowPos(Hwnd(area), above ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TopLevelWindow::saveScreenshot(const std::string& path) {
    RedrawWindow(Hwnd(window_), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    POINT origin{0, 0};
    ClientToScreen(Hwnd(window_), &origin);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib && bits) {
        const HGDIOBJ old = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        PixelBuffer pixels(width_, height_);
        const auto* p = static_cast<const uint32_t*>(bits);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) pixels.Set(x, y, p[size_t(y) * size_t(width_) + size_t(x)] & 0xFFFFFF);
        SelectObject(memory, old);
        ok = ok && SaveImageFile(pixels, path);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace tamrik::tk
