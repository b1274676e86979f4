// Painting is one pass over the tree in z-order, clipped to the invalid
// area; the form's OnPaint runs first so that controls it moves are drawn
// in their new state in the same pass.
#include "toolkit/Form.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/Timer.h"

namespace tamrik::tk {
namespace {

constexpr uint64_t kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 4;
constexpr const char* kFontFamily = "Times New Roman";
constexpr int kFontPixelHeight = 12;

}  // namespace

TForm::TForm(std::unique_ptr<Backend> backend, int width, int height)
    : backend_(std::move(backend)),
      font_(backend_->OpenFont(kFontFamily, kFontPixelHeight, scale_)),
      surface_(width, height, GetSysColor(TK_COLOR_BTNFACE)) {
    SetVisible(false);
    SetBounds(0, 0, width, height);
    CreateHandle();
}

TForm::~TForm() {
    while (!Controls().empty()) delete Controls().back();
    for (TTimer* timer : timers_) timer->form_ = nullptr;
    backend_->Close();
}

bool TForm::CreateParented(NativeWindow parent) {
    ReleaseClassWindows(*this);
    backend_->Close();
    const bool opened = backend_->Open(parent, DeviceWidth(), DeviceHeight(), *this);
    MakeClassWindows(*this);
    if (!opened) return false;
    backend_->SetVisible(Visible());
    return true;
}

void TForm::ReleaseClassWindows(TWinControl& control) {
    for (TWinControl* child : control.Controls())
        if (!child->WindowClassName().empty())
            child->DestroyHandle();
        else
            ReleaseClassWindows(*child);
}

void TForm::MakeClassWindows(TWinControl& control) {
    for (TWinControl* child : control.Controls())
        if (!child->HandleAllocated()) {
            child->CreateHandle();
            child->Invalidate();
        } else {
            MakeClassWindows(*child);
        }
}

TWinControl* TForm::ControlWithHandle(TWinControl& control, NativeWindow handle) {
    for (TWinControl* child : control.Controls()) {
        if (child->Handle() == handle) return child;
        if (TWinControl* found = ControlWithHandle(*child, handle)) return found;
    }
    return nullptr;
}

void TForm::ShowForm() {
    SetVisible(true);
    backend_->SetVisible(true);
    InvalidateArea(ClientRect(), true);
    Update();
}

void TForm::HideForm() {
    SetVisible(false);
    backend_->SetVisible(false);
}

void TForm::Idle() {
    backend_->Pump();
    RunDueTimers();
    Update();
}

void TForm::RunDueTimers() {
    const uint64_t now = backend_->NowMs();
    const std::vector<TTimer*> timers = timers_;
    for (TTimer* timer : timers)
        if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) timer->FireIfDue(now);
}

void TForm::AddTimer(TTimer& timer) { timers_.push_back(&timer); }

void TForm::RemoveTimer(TTimer& timer) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), &timer), timers_.end());
}

void TForm::BoundsChanged() {
    PixelBuffer grown(DeviceWidth(), DeviceHeight(), GetSysColor(TK_COLOR_BTNFACE));
    grown.Blit(surface_, 0, 0);
    surface_ = std::move(grown);
    if (backend_->IsOpen()) backend_->Resize(DeviceWidth(), DeviceHeight());
    InvalidateArea(ClientRect(), true);
}

void TForm::SetScale(Scale scale) {
    if (scale == scale_) return;
    scale_ = scale;
    font_ = backend_->OpenFont(kFontFamily, kFontPixelHeight, scale_);
    surface_ = PixelBuffer(DeviceWidth(), DeviceHeight(), GetSysColor(TK_COLOR_BTNFACE));
    if (backend_->IsOpen()) {
        backend_->Resize(DeviceWidth(), DeviceHeight());
        // The platform's controls are made again at the new size.
        ReleaseClassWindows(*this);
        MakeClassWindows(*this);
    }
    PlaceNativeControls();
    InvalidateArea(ClientRect(), true);
}

void TForm::Forget(TWinControl& control) {
    if (capture_ == &control) SetCaptureControl(nullptr);
    if (focus_ == &control) focus_ = nullptr;
    if (lastPressTarget_ == &control) lastPressTarget_ = nullptr;
    if (hot_ == &control) hot_ = nullptr;
    if (popup_ == &control) {
        popup_ = nullptr;
        dismissPopup_ = nullptr;
        PlaceNativeControls();
    }
}

void TForm::SetCaptureControl(TWinControl* control) {
    if (control == capture_) return;
    TWinControl* previous = capture_;
    capture_ = control;
    backend_->CaptureMouse(control != nullptr);
    if (previous) previous->Perform(TK_WM_CAPTURECHANGED, 0, reinterpret_cast<intptr_t>(control));
}

void TForm::SetFocusedControl(TWinControl* control) {
    if (control == focus_) return;
    if (focus_) focus_->Invalidate();
    focus_ = control;
    if (focus_) focus_->Invalidate();
}

void TForm::SetPopup(TWinControl* popup, std::function<void()> dismiss) {
    popup_ = popup;
    dismissPopup_ = popup ? std::move(dismiss) : nullptr;
    PlaceNativeControls();
}

TRect TForm::PopupArea() const {
    if (!popup_) return {};
    const TPoint o = popup_->FormOrigin();
    return {o.x, o.y, o.x + popup_->Width(), o.y + popup_->Height()};
}

void TForm::InvalidateArea(const TRect& formArea, bool formItself) {
    const TRect area = scale_.Dev(formArea).Intersect(surface_.Bounds());
    if (area.IsEmpty()) return;
    dirty_ = dirty_.Union(area);
    formDirty_ = formDirty_ || formItself;
}

void TForm::Update() {
    if (dirty_.IsEmpty() || !Visible()) return;
    if (formDirty_) {
        formDirty_ = false;
        if (OnPaint) OnPaint(this);
    }
    const TRect area = dirty_;
    dirty_ = {};
    PaintControl(*this, {0, 0}, area);
    if (backend_->IsOpen()) backend_->Present(surface_, area);
}

void TForm::PaintControl(TWinControl& control, TPoint origin, const TRect& clip) {
    if (!control.Visible()) return;
    const TRect area =
        scale_.Dev(TRect{origin.x, origin.y, origin.x + control.Width(), origin.y + control.Height()}).Intersect(clip);
    if (area.IsEmpty()) return;
    TCanvas canvas(surface_, origin, area, *font_, scale_);
    canvas.Brush.Color = control.Color();
    canvas.FillRect(control.ClientRect());
    canvas.FontColor = GetSysColor(TK_COLOR_WINDOWTEXT);
    control.PaintWindow(canvas);
    for (TWinControl* child : control.Controls())
        PaintControl(*child, {origin.x + child->Left(), origin.y + child->Top()}, area);
}

PixelBuffer TForm::Snapshot(const TWinControl& control) {
    Update();
    const TPoint o = control.FormOrigin();
    return surface_.Crop(scale_.Dev(TRect{o.x, o.y, o.x + control.Width(), o.y + control.Height()}));
}

TWinControl* TForm::ControlAt(TPoint formPoint) {
    if (!ClientRect().Contains(formPoint)) return nullptr;
    TWinControl* hit = this;
    TPoint local = formPoint;
    for (bool descended = true; descended;) {
        descended = false;
        const auto& children = hit->Controls();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            TWinControl* child = *it;
            if (child->Visible() && child->Enabled() && child->BoundsRect().Contains(local)) {
                local = {local.x - child->Left(), local.y - child->Top()};
                hit = child;
                descended = true;
                break;
            }
        }
    }
    return hit;
}

void TForm::SendMouse(TWinControl& target, uint32_t msg, TPoint formPoint) {
    const TPoint origin = target.FormOrigin();
    target.Perform(msg, (buttonDown_ ? uintptr_t(TK_MK_LBUTTON) : uintptr_t(0)) | backend_->KeyModifiers(),
                   MakeLParam(formPoint.x - origin.x, formPoint.y - origin.y));
}

void TForm::InputDone() {
    if (OnInput) OnInput(this);
    Update();
}

void TForm::BackendMouseMove(TPoint device) {
    const TPoint client = ToLogical(device);
    TWinControl* target = capture_ ? capture_ : ControlAt(client);
    hot_ = target;
    if (target) SendMouse(*target, TK_WM_MOUSEMOVE, client);
    InputDone();
}

void TForm::BackendLeftButton(bool down, TPoint device) {
    const TPoint client = ToLogical(device);
    if (!down) {
        buttonDown_ = false;
        if (TWinControl* target = capture_ ? capture_ : ControlAt(client))
            SendMouse(*target, TK_WM_LBUTTONUP, client);
        InputDone();
        return;
    }
    buttonDown_ = true;
    if (popup_ && !capture_) {
        const TPoint o = popup_->FormOrigin();
        if (!TRect{o.x, o.y, o.x + popup_->Width(), o.y + popup_->Height()}.Contains(client)) {
            // Copied first: dismissing may destroy the popup and clear the hook.
            const std::function<void()> dismiss = dismissPopup_;
            if (dismiss) dismiss();
            InputDone();
            return;
        }
    }
    TWinControl* target = capture_ ? capture_ : ControlAt(client);
    if (!target) return;
    if (target->TabStop()) SetFocusedControl(target);
    const uint64_t now = backend_->NowMs();
    const bool doubleClick = target == lastPressTarget_ && now - lastPressMs_ <= kDoubleClickMs &&
                             std::abs(client.x - lastPressAt_.x) <= kDoubleClickSlop &&
                             std::abs(client.y - lastPressAt_.y) <= kDoubleClickSlop &&
                             (target->WindowClassStyle() & TK_CS_DBLCLKS);
    // A third press starts a new pair rather than making another double-click.
    lastPressTarget_ = doubleClick ? nullptr : target;
    lastPressAt_ = client;
    lastPressMs_ = now;
    SendMouse(*target, doubleClick ? TK_WM_LBUTTONDBLCLK : TK_WM_LBUTTONDOWN, client);
    InputDone();
}

void TForm::BackendWheel(TPoint device, int delta) {
    const TPoint client = ToLogical(device);
    TWinControl* target = popup_ ? popup_ : (capture_ ? capture_ : ControlAt(client));
    if (target)
        target->Perform(TK_WM_MOUSEWHEEL, (uintptr_t(uint16_t(delta * 120)) << 16) | backend_->KeyModifiers(),
                        MakeLParam(client.x, client.y));
    InputDone();
}

void TForm::BackendKey(bool down, uint32_t virtualKey) {
    TWinControl* target = popup_ ? popup_ : focus_;
    if (target) target->Perform(down ? TK_WM_KEYDOWN : TK_WM_KEYUP, virtualKey, 0);
    InputDone();
}

void TForm::BackendRightButton(TPoint device) {
    const TPoint client = ToLogical(device);
    // Only a press inside a dropped-down list would be meant for it; any
    // other goes nowhere while one is up.
    if (!popup_ && !capture_)
        if (TWinControl* target = ControlAt(client)) SendMouse(*target, TK_WM_RBUTTONDOWN, client);
    InputDone();
}

void TForm::BackendChar(uint32_t character) {
    if (!popup_ && focus_) focus_->Perform(TK_WM_CHAR, character, 0);
    InputDone();
}

void TForm::BackendExpose(const TRect& area) {
    const TRect device = area.Intersect(surface_.Bounds());
    if (!device.IsEmpty()) {
        dirty_ = dirty_.Union(device);
        formDirty_ = true;
    }
    Update();
}

void TForm::BackendTimer() {
    RunDueTimers();
    Update();
}

void TForm::BackendControlNotify(uint32_t msg, uintptr_t wParam, NativeWindow sender) {
    TWinControl* control = sender ? ControlWithHandle(*this, sender) : nullptr;
    if (!control || !control->Parent()) return;
    control->Parent()->Perform(msg, wParam, intptr_t(sender));
    InputDone();
}

bool TForm::BackendControlPress(uint32_t msg, uintptr_t wParam, NativeWindow sender) {
    TWinControl* control = sender ? ControlWithHandle(*this, sender) : nullptr;
    if (!control || !control->OnDblClick) return false;
    control->Perform(msg, wParam, 0);
    InputDone();
    return true;
}

}  // namespace tamrik::tk
