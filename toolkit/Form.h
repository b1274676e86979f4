// TForm: the root of a control tree and the owner of its backend. It keeps
// the surface all its windows paint into, routes the backend's input to
// controls (capture, focus, double-clicks), runs its timers and repaints
// what was invalidated. The host drives it: Idle() does one round of work
// and returns; nothing here starts a thread.
//
// The form has a display scale. Its controls, their bounds and every input
// position they see are in logical pixels; the surface, the native window
// and the backend's input are in device pixels, scale times as many.
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
    // Hides the form's window; it keeps everything and ShowForm brings it back.
    void HideForm();
    // Runs pending native events, due timers and pending painting.
    void Idle();

    // Called whenever the form itself is painted, before its controls.
    TNotifyEvent OnPaint;
    // Called after each piece of input (mouse, wheel, key, a native
    // control's notification) has been handled.
    TNotifyEvent OnInput;
    // The control under the mouse (or holding it), null outside the form.
    TWinControl* HotControl() const { return hot_; }

    const Scale& GetScale() const { return scale_; }
    // Re-renders the whole form at scale and resizes its native window.
    void SetScale(Scale scale);
    // The logical form area in device pixels, and the form's device size.
    TRect DeviceRect(const TRect& formArea) const { return scale_.Dev(formArea); }
    int DeviceWidth() const { return scale_.Dev(Width()); }
    int DeviceHeight() const { return scale_.Dev(Height()); }

    // The face at the form's scale, and its line height in logical pixels.
    const FontFace& Font() const { return *font_; }
    int TextHeight() const { return scale_.LogicalCeil(font_->LineHeight()); }
    const PixelBuffer& Surface() const { return surface_; }
    // The pixels of one control (or of the form), painted up to date, at
    // the form's scale.
    PixelBuffer Snapshot(const TWinControl& control);

    // Screen positions in logical pixels: what the backend reports, divided
    // by the scale, so that a drag means the same at every scale.
    TPoint ScreenOrigin() const { return ToLogical(backend_->ClientOrigin()); }
    TPoint CursorPos() const { return ToLogical(backend_->CursorPos()); }
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

    TPoint ToLogical(TPoint device) const { return {scale_.Logical(device.x), scale_.Logical(device.y)}; }
    void Forget(TWinControl& control);
    TWinControl* ControlAt(TPoint formPoint);
    void SendMouse(TWinControl& target, uint32_t msg, TPoint formPoint);
    void InputDone();
    // origin in logical form pixels, clip in device pixels.
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
    void BackendRightButton(TPoint client) override;
    void BackendChar(uint32_t character) override;
    void BackendExpose(const TRect& area) override;
    void BackendControlNotify(uint32_t msg, uintptr_t wParam, NativeWindow sender) override;
    bool BackendControlPress(uint32_t msg, uintptr_t wParam, NativeWindow sender) override;
    void BackendTimer() override;

    std::unique_ptr<Backend> backend_;
    Scale scale_;
    std::unique_ptr<FontFace> font_;
    PixelBuffer surface_;
    TRect dirty_;  // device pixels
    bool formDirty_ = false;
    bool buttonDown_ = false;
    TWinControl* capture_ = nullptr;
    TWinControl* focus_ = nullptr;
    TWinControl* popup_ = nullptr;
    TWinControl* hot_ = nullptr;
    std::function<void()> dismissPopup_;
    TWinControl* lastPressTarget_ = nullptr;
    TPoint lastPressAt_;
    uint64_t lastPressMs_ = 0;
    std::vector<TTimer*> timers_;
};

}  // namespace tamrik::tk
