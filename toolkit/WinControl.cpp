// The control tree and the life of a control's window.
#include "toolkit/WinControl.h"

#include <algorithm>
#include <atomic>

#include "toolkit/Form.h"
#include "toolkit/TrackBarWindow.h"

namespace tamrik::tk {
namespace {

// Handles of the toolkit's own windows. Counted from the top of the range so
// that they stay clear of the small numbers platforms use for theirs.
NativeWindow NextToolkitHandle() {
    static std::atomic<NativeWindow> next{~NativeWindow(0)};
    return next.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

TWinControl::TWinControl(TWinControl* parent) {
    if (parent) SetParent(parent);
}

TWinControl::~TWinControl() {
    // Children delete themselves out of children_ as they go.
    while (!children_.empty()) delete children_.back();
    if (TForm* form = Form(); form && form != this) form->Forget(*this);
    Detach();
    native_.reset();
    windowClass_.reset();
}

void TWinControl::Detach() {
    if (!parent_) return;
    if (Showing()) parent_->Invalidate();
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (TForm* form = Form(); form && form != this) form->Forget(*this);
    if (HandleAllocated()) DestroyHandle();
    Detach();
    parent_ = parent;
    if (!parent_) return;
    parent_->children_.push_back(this);
    if (parent_->HandleAllocated()) CreateHandle();
    PlaceNativeControls();
    Invalidate();
}

TForm* TWinControl::Form() { return parent_ ? parent_->Form() : nullptr; }

void TWinControl::BringToFront() {
    if (!parent_) return;
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    siblings.push_back(this);
    Invalidate();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    const TRect next{left, top, left + std::max(width, 0), top + std::max(height, 0)};
    if (next == bounds_) return;
    if (parent_ && Showing()) parent_->Invalidate();
    bounds_ = next;
    Invalidate();
    PlaceNativeControls();
    BoundsChanged();
}

TPoint TWinControl::FormOrigin() const {
    if (!parent_) return {0, 0};
    const TPoint p = parent_->FormOrigin();
    return {p.x + bounds_.Left, p.y + bounds_.Top};
}

TPoint TWinControl::ClientToScreen(TPoint client) const {
    const TPoint origin = FormOrigin();
    const TForm* form = const_cast<TWinControl*>(this)->Form();
    const TPoint screen = form ? form->ScreenOrigin() : TPoint{};
    return {screen.x + origin.x + client.x, screen.y + origin.y + client.y};
}

void TWinControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    if (!visible && parent_) parent_->Invalidate();
    visible_ = visible;
    if (visible) Invalidate();
    PlaceNativeControls();
}

void TWinControl::PlaceNativeControls() {
    if (native_) {
        const TPoint o = FormOrigin();
        const TRect area{o.x, o.y, o.x + Width(), o.y + Height()};
        const TForm* form = Form();
        const bool underPopup = form && !form->PopupArea().Intersect(area).IsEmpty();
        native_->Place(form ? form->DeviceRect(area) : area, Showing() && !underPopup);
    }
    for (TWinControl* child : children_) child->PlaceNativeControls();
}

bool TWinControl::Showing() const {
    for (const TWinControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TWinControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Invalidate();
}

bool TWinControl::Focused() const {
    const TForm* form = const_cast<TWinControl*>(this)->Form();
    return form && form->FocusedControl() == this;
}

void TWinControl::SetFocus() {
    if (TForm* form = Form()) form->SetFocusedControl(this);
}

TColor TWinControl::Color() const {
    if (hasColor_) return color_;
    return parent_ ? parent_->Color() : GetSysColor(TK_COLOR_BTNFACE);
}

void TWinControl::SetColor(TColor color) {
    hasColor_ = true;
    color_ = color;
    Invalidate();
}

bool TWinControl::Ctl3D() const {
    if (ctl3D_ >= 0) return ctl3D_ == 1;
    return parent_ ? parent_->Ctl3D() : true;
}

void TWinControl::SetCtl3D(bool ctl3D) {
    ctl3D_ = ctl3D ? 1 : 0;
    Invalidate();
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Style = TK_WS_CHILD | TK_WS_CLIPSIBLINGS | (visible_ ? TK_WS_VISIBLE : 0u) | (tabStop_ ? TK_WS_TABSTOP : 0u);
    params.WindowClassStyle = TK_CS_HREDRAW | TK_CS_VREDRAW | (DoubleClicks ? TK_CS_DBLCLKS : 0u);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    style_ = params.Style;
    classStyle_ = params.WindowClassStyle;
    className_ = params.WinClassName;
    TForm* form = Form();
    if (!className_.empty() && form && form != this && form->GetBackend().IsOpen()) {
        const TPoint o = FormOrigin();
        native_ = form->GetBackend().CreateNativeControl(
            className_, style_, form->DeviceRect({o.x, o.y, o.x + Width(), o.y + Height()}), form->GetScale());
    }
    if (native_) {
        handle_ = native_->Handle();
        PlaceNativeControls();
        return;
    }
    if (className_ == TK_TRACKBAR_CLASS) windowClass_ = std::make_unique<TrackBarWindow>(*this, style_);
    handle_ = NextToolkitHandle();
}

void TWinControl::DestroyWnd() {
    if (TForm* form = Form(); form && form != this) form->Forget(*this);
    native_.reset();
    windowClass_.reset();
    handle_ = 0;
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    CreateWnd();
    for (TWinControl* child : children_) child->CreateHandle();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TWinControl* child : children_) child->DestroyHandle();
    DestroyWnd();
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    DestroyHandle();
    CreateHandle();
    Invalidate();
}

intptr_t TWinControl::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (!Intercept(message)) WndProc(message);
    return message.Result;
}

bool TWinControl::Intercept(TMessage& m) {
    if (m.Msg == TK_WM_MOUSEWHEEL && OnMouseWheel) {
        OnMouseWheel(this, HiWordSigned(intptr_t(m.WParam)) / 120, uint32_t(m.WParam & 0xFFFF));
        return true;
    }
    const bool controlClick = m.Msg == TK_WM_LBUTTONDOWN && (m.WParam & TK_MK_CONTROL);
    if (OnDblClick && (m.Msg == TK_WM_LBUTTONDBLCLK || controlClick)) {
        OnDblClick(this);
        return true;
    }
    return false;
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case TK_WM_LBUTTONDOWN:
        case TK_WM_LBUTTONDBLCLK:
            if (dragMode_ == TDragMode::dmAutomatic) {
                BeginAutoDrag();
                return;
            }
            break;
        case TK_WM_HSCROLL:
        case TK_WM_VSCROLL:
            // The parent hands a child's notification back to the child,
            // found by the window handle the notification carries.
            for (TWinControl* child : children_)
                if (child->handle_ != 0 && child->handle_ == NativeWindow(message.LParam)) {
                    message.Result = child->Perform(TK_CN_BASE + message.Msg, message.WParam, message.LParam);
                    return;
                }
            break;
        default:
            break;
    }
    DefaultHandler(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (native_)
        message.Result = native_->Send(message.Msg, message.WParam, message.LParam);
    else if (windowClass_)
        windowClass_->Handle(message);
}

void TWinControl::PaintWindow(TCanvas& canvas) {
    if (windowClass_) windowClass_->Paint(canvas);
}

void TWinControl::Invalidate() {
    TForm* form = Form();
    if (form && Showing()) form->InvalidateArea(TRect{0, 0, Width(), Height()}.Offset(FormOrigin().x, FormOrigin().y), form == this);
}

void TWinControl::Update() {
    if (TForm* form = Form()) form->Update();
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::SetCapture() {
    if (TForm* form = Form()) form->SetCaptureControl(this);
}

void TWinControl::ReleaseCapture() {
    if (TForm* form = Form()) form->SetCaptureControl(nullptr);
}

bool TWinControl::HasCapture() const {
    const TForm* form = const_cast<TWinControl*>(this)->Form();
    return form && form->CaptureControl() == this;
}

TPoint TWinControl::GetCursorPos() const {
    const TForm* form = const_cast<TWinControl*>(this)->Form();
    return form ? form->CursorPos() : TPoint{};
}

}  // namespace tamrik::tk
