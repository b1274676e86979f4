// TForm: the root of a control tree and the owner of its backend. It keeps
// the surface all its windows paint into, routes the backend's input to
// controls (capture, focus, double-clicks), runs its timers and repaints
// what was invalidated. The host drives it: Idle() does one round of work
// and returns; nothing here starts a thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Backend.h"
#include "toolkit/FontFace.h"
#include "toolkit/WinControl.h"

namespace tamrik::tk {

class TTimer;

class TForm : public TWinControl, private BackendEvents {
public:
    // The form starts hidden, with its own (toolkit) window; CreateParented
    // then gives it a native one.
    TForm(std::unique_ptr<Backend> backend, int width, int height);
    ~TForm() override;

    TForm* Form() override { return this; }

    // Makes the form a child of a foreign native window, at its (0, 0),
    // with the backend's native controls in it. False if the backend cannot
    // (no display, parent not a window).
    bool CreateParented(NativeWindow parent);
    NativeWindow NativeHandle() const { return backend_->Window(); }
    Backend& GetBackend() { return *backend_; }

    // Makes the form visible and its window the top of its siblings.
    void ShowForm();
    // Runs pending native events, due timers and pending painting.
    void Idle();

    // Called whenever the form itself is painted, before its controls.
    TNotifyEvent OnPaint;

    const FontFace& Font() const { return *font_; }
    const PixelBuffer& Surface() const { return surface_; }
    // The pixels of one control (or of the form), painted up to date.
    PixelBuffer Snapshot(const TWinControl& control);

    TPoint ScreenOrigin() const { return backend_->ClientOrigin(); }
    TPoint CursorPos() const { return backend_->CursorPos(); }
    TWinControl* CaptureControl() const { return capture_; }
    TWinControl* FocusedControl() const { return focus_; }
    void SetCaptureControl(TWinControl* control);
    void SetFocusedControl(TWinControl* control);
    // A control that takes every press while it is up (a dropped-down list);
    // a press outside it calls dismiss instead of reaching anything. Native
    // controls it overlaps are hidden meanwhile: they are windows above the
    // form's surface and would cover it.
    void SetPopup(TWinControl* popup, std::function<void()> dismiss);
    // Where the popup lies in the form; empty without one.
    TRect PopupArea() const;

    void InvalidateArea(const TRect& formArea, bool formItself);
    void Update();

    void AddTimer(TTimer& timer);
    void RemoveTimer(TTimer& timer);

protected:
    void BoundsChanged() override;

private:
    friend class TWinControl;

    void Forget(TWinControl& control);
    TWinControl* ControlAt(TPoint formPoint);
    void SendMouse(TWinControl& target, uint32_t msg, TPoint formPoint);
    void PaintControl(TWinControl& control, TPoint origin, const TRect& clip);
    void RunDueTimers();
    // Windows of a platform class are made by the backend once it is open:
    // released before it closes, made again after it opens.
    void ReleaseClassWindows(TWinControl& control);
    void MakeClassWindows(TWinControl& control);
    TWinControl* ControlWithHandle(TWinControl& control, NativeWindow handle);

    void BackendMouseMove(TPoint client) override;
    void BackendLeftButton(bool down, TPoint client) override;
    void BackendWheel(TPoint client, int delta) override;
    void BackendKey(bool down, uint32_t virtualKey) override;
    void BackendExpose(const TRect& area) override;
    void BackendControlNotify(uint32_t msg, uintptr_t wParam, NativeWindow sender) override;
    void BackendTimer() override;

    std::unique_ptr<Backend> backend_;
    std::unique_ptr<FontFace> font_;
    PixelBuffer surface_;
    TRect dirty_;
    bool formDirty_ = false;
    bool buttonDown_ = false;
    TWinControl* capture_ = nullptr;
    TWinControl* focus_ = nullptr;
    TWinControl* popup_ = nullptr;
    std::function<void()> dismissPopup_;
    TWinControl* lastPressTarget_ = nullptr;
    TPoint lastPressAt_;
    uint64_t lastPressMs_ = 0;
    std::vector<TTimer*> timers_;
};

}  // namespace tamrik::tk
