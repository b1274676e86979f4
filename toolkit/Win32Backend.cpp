// Win32: the form is a WS_CHILD window of the host's HWND at (0, 0). All of
// its life runs on the host's UI thread through the window procedure: input
// and WM_PAINT arrive from the host's message loop, and a SetTimer tick
// fires the form's timers, so the host's idle call has nothing to do here.
// The form's surface is copied into a DIB section and blitted on WM_PAINT;
// 0x00RRGGBB pixels are already the DIB's BGRX byte order.
//
// The window class is registered once per loaded module, under a name made
// from the module's address (two copies of the DLL in one process must not
// share a window procedure), and unregistered with the module's last form.
#include "toolkit/Win32Backend.h"

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "toolkit/FineDrag.h"
#include "toolkit/Messages.h"
#include "toolkit/PlatformBackend.h"
#include "toolkit/SystemColors.h"

namespace tamrik::tk {
namespace {

constexpr UINT_PTR kTimerId = 1;
// The form's timers are checked this often; Windows rounds it to its tick.
constexpr UINT kTimerTickMs = 10;

// The module this code is part of, found from the code's own address: the
// host's module handle would name the host, not us.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &module);
    return module;
}

LRESULT CALLBACK FormProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The form window class of this module, counted by the forms that use it.
class FormClass {
public:
    // The class name, registered on first use; null if registration failed.
    static const char* Acquire() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (users_ == 0) {
            std::snprintf(name_, sizeof name_, "DrumTamrikForm-%p", static_cast<void*>(OwnModule()));
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &FormProcedure;
            wc.hInstance = OwnModule();
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = name_;
            if (!RegisterClassExA(&wc)) return nullptr;
        }
        ++users_;
        return name_;
    }
    static void Release() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (users_ > 0 && --users_ == 0) UnregisterClassA(name_, OwnModule());
    }

private:
    static inline std::mutex mutex_;
    static inline int users_ = 0;
    static inline char name_[64] = {};
};

COLORREF ColorRefOf(TColor c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

bool IsToolkitKey(WPARAM vk) {
    switch (vk) {
        case TK_VK_RETURN: case TK_VK_ESCAPE: case TK_VK_SPACE: case TK_VK_PRIOR: case TK_VK_NEXT:
        case TK_VK_END: case TK_VK_HOME: case TK_VK_LEFT: case TK_VK_UP: case TK_VK_RIGHT: case TK_VK_DOWN:
            return true;
        default:
            return false;
    }
}

// A common control (the trackbar) as a child of the form's window. The
// platform draws it at whatever size it has; the one length its messages
// carry in pixels, the thumb's, is scaled here. It takes its own input, so
// the habits the toolkit's controls have are added here: a double-click (by
// the system's time and distance, the class may not report them) or a
// Ctrl-click goes to the toolkit's control instead, the pointer over it is
// reported to the form for its readout, and while Shift is down a drag of
// its thumb is placed by the toolkit's fine rule and reported as the class
// reports its own.
class Win32Control final : public NativeControl {
public:
    Win32Control(HWND hwnd, Scale scale, BackendEvents* events) : hwnd_(hwnd), scale_(scale), events_(events) {
        SetWindowSubclass(hwnd_, &Win32Control::Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~Win32Control() override {
        // Gone already when the host destroyed its window first.
        if (!IsWindow(hwnd_)) return;
        RemoveWindowSubclass(hwnd_, &Win32Control::Subclass, 1);
        DestroyWindow(hwnd_);
    }
    NativeWindow Handle() const override { return reinterpret_cast<NativeWindow>(hwnd_); }
    intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        if (msg == TK_TBM_SETTHUMBLENGTH) wParam = uintptr_t(scale_.Dev(int(wParam)));
        const intptr_t result = SendMessageA(hwnd_, msg, wParam, lParam);
        return msg == TK_TBM_GETTHUMBLENGTH ? intptr_t(scale_.LogicalCeil(int(result))) : result;
    }
    void Place(const TRect& area, bool visible) override {
        SetWindowPos(hwnd_, nullptr, area.Left, area.Top, area.Width(), area.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }

private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
        auto* control = reinterpret_cast<Win32Control*>(self);
        if (control->Take(msg, wParam, lParam)) return 0;
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &Win32Control::Subclass, 1);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    // True when the message went to the toolkit instead of the trackbar.
    bool Take(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (!events_) return false;
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (msg == WM_MOUSEMOVE && (wParam & MK_LBUTTON)) return dragging_ && FineMove(at, wParam & MK_SHIFT);
        if (msg == WM_MOUSEMOVE && !(wParam & MK_RBUTTON)) {
            POINT onForm = at;
            MapWindowPoints(hwnd_, GetParent(hwnd_), &onForm, 1);
            events_->BackendMouseMove({int(onForm.x), int(onForm.y)});
            return false;
        }
        if (msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED) dragging_ = false;
        if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK) return false;
        const LONG time = GetMessageTime();
        const bool twice = msg == WM_LBUTTONDBLCLK ||
                           (pressed_ && DWORD(time - lastPress_) <= GetDoubleClickTime() &&
                            std::abs(at.x - lastAt_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                            std::abs(at.y - lastAt_.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2);
        // A third press starts afresh.
        pressed_ = !twice;
        lastPress_ = time;
        lastAt_ = at;
        const uintptr_t keys = ((wParam & MK_SHIFT) ? uintptr_t(TK_MK_SHIFT) : 0u) | ((wParam & MK_CONTROL) ? uintptr_t(TK_MK_CONTROL) : 0u);
        const bool taken = (twice && events_->BackendControlPress(TK_WM_LBUTTONDBLCLK, keys, Handle())) ||
                           (!twice && (wParam & MK_CONTROL) &&
                            events_->BackendControlPress(TK_WM_LBUTTONDOWN, keys, Handle()));
        if (!taken) StartDrag(at, wParam & MK_SHIFT);
        return taken;
    }

    bool Vertical() const { return GetWindowLongA(hwnd_, GWL_STYLE) & TBS_VERT; }
    int Along(POINT at) const { return Vertical() ? at.y : at.x; }
    RECT ThumbRect() const {
        RECT thumb{};
        SendMessageA(hwnd_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        return thumb;
    }
    int Position() const { return int(SendMessageA(hwnd_, TBM_GETPOS, 0, 0)); }

    // The class drags the thumb only when the press is on it.
    void StartDrag(POINT at, bool fine) {
        const RECT thumb = ThumbRect();
        dragging_ = PtInRect(&thumb, at);
        if (dragging_) fine_.Start(Along(at), Position(), fine);
    }

    // True when Shift placed the thumb, which the class must then not move.
    bool FineMove(POINT at, bool fine) {
        RECT channel{};
        SendMessageA(hwnd_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        const RECT thumb = ThumbRect();
        // Some versions of the class give a vertical bar's channel turned
        // as a horizontal one's: its length is the longer side either way.
        const int length = std::max(channel.right - channel.left, channel.bottom - channel.top);
        const int breadth = Vertical() ? thumb.bottom - thumb.top : thumb.right - thumb.left;
        const int low = int(SendMessageA(hwnd_, TBM_GETRANGEMIN, 0, 0));
        const int high = int(SendMessageA(hwnd_, TBM_GETRANGEMAX, 0, 0));
        const int before = Position();
        const std::optional<int> wanted = fine_.Move(Along(at), fine, before, high - low, length - breadth - 1);
        if (!wanted) return false;
        const int position = std::clamp(*wanted, low, std::max(low, high));
        if (position != before) {
            SendMessageA(hwnd_, TBM_SETPOS, TRUE, position);
            SendMessageA(GetParent(hwnd_), Vertical() ? WM_VSCROLL : WM_HSCROLL,
                         MAKEWPARAM(TB_THUMBTRACK, WORD(position)), reinterpret_cast<LPARAM>(hwnd_));
        }
        return true;
    }

    HWND hwnd_;
    Scale scale_;
    BackendEvents* events_;
    bool pressed_ = false;
    LONG lastPress_ = 0;
    POINT lastAt_{};
    // The class is dragging the thumb (its own capture holds the mouse).
    bool dragging_ = false;
    FineDrag fine_;
};

class Win32Backend final : public Backend {
public:
    ~Win32Backend() override { Close(); }

    bool Open(NativeWindow parent, int width, int height, BackendEvents& events) override;
    void Close() override;
    bool IsOpen() const override { return hwnd_ != nullptr; }
    NativeWindow Window() const override { return reinterpret_cast<NativeWindow>(hwnd_); }
    void SetVisible(bool visible) override {
        if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    }
    void Resize(int width, int height) override;
    void Present(const PixelBuffer& surface, const TRect& area) override;
    TPoint ClientOrigin() const override;
    TPoint CursorPos() const override {
        POINT p{};
        GetCursorPos(&p);
        return {int(p.x), int(p.y)};
    }
    void CaptureMouse(bool capture) override;
    uint64_t NowMs() const override { return GetTickCount64(); }
    // The DPI of the host's window where the system knows it (Windows 10
    // 1607 and later): looked up at run time, and the process's DPI
    // awareness, which belongs to the host, is left alone.
    int PlatformScalePercent() const override {
        using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
        const HMODULE user32 = GetModuleHandleA("user32.dll");
        const auto getDpi = user32 ? reinterpret_cast<GetDpiForWindowFunction>(
                                         reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                                   : nullptr;
        const UINT dpi = getDpi && parent_ ? getDpi(parent_) : 0;
        return dpi ? int((dpi * 100 + 48) / 96) : 0;
    }
    uint32_t KeyModifiers() const override {
        return (GetKeyState(VK_SHIFT) < 0 ? uint32_t(TK_MK_SHIFT) : 0u) |
               (GetKeyState(VK_CONTROL) < 0 ? uint32_t(TK_MK_CONTROL) : 0u);
    }
    // The host's message loop delivers everything.
    void Pump() override {}
    std::unique_ptr<NativeControl> CreateNativeControl(const std::string& className, uint32_t style,
                                                       const TRect& formArea, Scale scale) override;

    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    bool MakeSurface(int width, int height);
    void FreeSurface();
    void Paint(HWND hwnd);

    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    bool classHeld_ = false;
    BackendEvents* events_ = nullptr;
    HDC memoryDc_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    HBRUSH background_ = nullptr;
};

LRESULT CALLBACK FormProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (!backend) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return backend->Handle(hwnd, msg, wParam, lParam);
}

bool Win32Backend::Open(NativeWindow parent, int width, int height, BackendEvents& events) {
    Close();
    const HWND parentWindow = reinterpret_cast<HWND>(parent);
    if (!parentWindow || !IsWindow(parentWindow)) return false;
    parent_ = parentWindow;
    const char* className = FormClass::Acquire();
    if (!className) return false;
    classHeld_ = true;
    background_ = CreateSolidBrush(ColorRefOf(GetSysColor(TK_COLOR_BTNFACE)));
    if (background_ && MakeSurface(width, height)) {
        // Child windows are clipped out, so painting never covers a trackbar.
        hwnd_ = CreateWindowExA(0, className, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                std::max(width, 1), std::max(height, 1), parentWindow, nullptr, OwnModule(),
                                this);
    }
    if (!hwnd_ || !SetTimer(hwnd_, kTimerId, kTimerTickMs, nullptr)) {
        Close();
        return false;
    }
    events_ = &events;
    return true;
}

void Win32Backend::Close() {
    events_ = nullptr;
    if (hwnd_) {
        // Destroyed, not only hidden: the host's window must not keep it. If
        // the host destroyed its window first, WM_NCDESTROY cleared hwnd_.
        KillTimer(hwnd_, kTimerId);
        if (GetCapture() == hwnd_) ReleaseCapture();
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    FreeSurface();
    if (background_) DeleteObject(background_);
    background_ = nullptr;
    if (classHeld_) FormClass::Release();
    classHeld_ = false;
}

bool Win32Backend::MakeSurface(int width, int height) {
    FreeSurface();
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    memoryDc_ = CreateCompatibleDC(nullptr);
    if (!memoryDc_) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down, as the surface's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib_ = CreateDIBSection(memoryDc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib_ || !bits) return false;
    bits_ = static_cast<uint32_t*>(bits);
    oldBitmap_ = SelectObject(memoryDc_, dib_);
    return true;
}

void Win32Backend::FreeSurface() {
    if (memoryDc_ && oldBitmap_) SelectObject(memoryDc_, oldBitmap_);
    if (dib_) DeleteObject(dib_);
    if (memoryDc_) DeleteDC(memoryDc_);
    memoryDc_ = nullptr;
    dib_ = nullptr;
    oldBitmap_ = nullptr;
    bits_ = nullptr;
}

void Win32Backend::Resize(int width, int height) {
    if (!hwnd_) return;
    MakeSurface(width, height);
    SetWindowPos(hwnd_, nullptr, 0, 0, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void Win32Backend::Present(const PixelBuffer& surface, const TRect& area) {
    const TRect r = area.Intersect(surface.Bounds()).Intersect({0, 0, width_, height_});
    if (!hwnd_ || !bits_ || r.IsEmpty()) return;
    GdiFlush();
    for (int y = r.Top; y < r.Bottom; ++y)
        std::memcpy(bits_ + size_t(y) * size_t(width_) + size_t(r.Left), surface.Row(y) + r.Left,
                    size_t(r.Width()) * sizeof(uint32_t));
    const RECT dirty{r.Left, r.Top, r.Right, r.Bottom};
    InvalidateRect(hwnd_, &dirty, FALSE);
}

void Win32Backend::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd, &ps);
    if (dc && memoryDc_) {
        const RECT& r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memoryDc_, r.left, r.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
}

TPoint Win32Backend::ClientOrigin() const {
    POINT p{0, 0};
    if (hwnd_) ClientToScreen(hwnd_, &p);
    return {int(p.x), int(p.y)};
}

void Win32Backend::CaptureMouse(bool capture) {
    if (!hwnd_) return;
    if (capture)
        SetCapture(hwnd_);
    else if (GetCapture() == hwnd_)
        ReleaseCapture();
}

std::unique_ptr<NativeControl> Win32Backend::CreateNativeControl(const std::string& className, uint32_t style,
                                                                 const TRect& formArea, Scale scale) {
    if (!hwnd_) return nullptr;
    if (className == TK_TRACKBAR_CLASS) {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        if (!InitCommonControlsEx(&init)) return nullptr;
    }
    // Shown by Place, once the control knows whether it is showing.
    const HWND control = CreateWindowExA(0, className.c_str(), "", (style | WS_CHILD) & ~DWORD(WS_VISIBLE),
                                         formArea.Left, formArea.Top, formArea.Width(), formArea.Height(),
                                         hwnd_, nullptr, OwnModule(), nullptr);
    if (!control) return nullptr;
    return std::make_unique<Win32Control>(control, scale, events_);
}

// hwnd rather than hwnd_: messages arrive while CreateWindowEx is still
// running, before hwnd_ is set.
LRESULT Win32Backend::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const TPoint at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // every pixel comes from the surface
        case WM_TIMER:
            if (wParam == kTimerId && events_) events_->BackendTimer();
            return 0;
        case WM_MOUSEMOVE:
            if (events_) events_->BackendMouseMove(at);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            if (events_) events_->BackendLeftButton(true, at);
            return 0;
        case WM_LBUTTONUP:
            if (events_) events_->BackendLeftButton(false, at);
            return 0;
        case WM_RBUTTONDOWN:
            if (events_) events_->BackendRightButton(at);
            return 0;
        case WM_CHAR:
            if (events_ && wParam < 0x100) events_->BackendChar(uint32_t(wParam));
            return 0;
        case WM_MOUSEWHEEL: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd, &p);
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            if (events_ && notches != 0) events_->BackendWheel({int(p.x), int(p.y)}, notches);
            return 0;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (events_ && IsToolkitKey(wParam)) {
                events_->BackendKey(msg == WM_KEYDOWN, uint32_t(wParam));
                return 0;
            }
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            // lParam is the trackbar that sent it; the form hands it back.
            if (events_ && lParam) {
                events_->BackendControlNotify(msg, wParam, NativeWindow(lParam));
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), ColorRefOf(GetSysColor(TK_COLOR_BTNFACE)));
            return reinterpret_cast<LRESULT>(background_);
        case WM_NCDESTROY:
            // The host destroyed its window (and so ours) before closing us.
            hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

std::unique_ptr<Backend> CreateWin32Backend() { return std::make_unique<Win32Backend>(); }

std::unique_ptr<Backend> CreatePlatformBackend() { return CreateWin32Backend(); }

}  // namespace tamrik::tk
