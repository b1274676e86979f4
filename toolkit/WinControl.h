// TWinControl: a control with a window of its own, the unit of the control
// tree. A parent owns its children (deleting a control deletes its
// children; deleting a child detaches it first). A control's window exists
// while the control sits in a form; it is made from CreateParams, may carry
// a window class of the platform (the trackbar: the backend's native control
// where it has one, the toolkit's drawn stand-in otherwise), receives
// messages through WndProc with SendMessage semantics, and can be destroyed
// and recreated while the control keeps its settings. Every window has a
// handle, unique in the process, by which notifications name their sender. A control that overrides CreateWnd
// or CreateParams must be constructed without a parent and attached at the
// end of its own constructor, since a base constructor cannot reach them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Backend.h"
#include "toolkit/Canvas.h"
#include "toolkit/Messages.h"

namespace tamrik::tk {

class TForm;
class TWindowClass;

class TObject {
public:
    virtual ~TObject() = default;
};

// A method reference: called with the control that raised the event.
using TNotifyEvent = std::function<void(TObject* sender)>;

struct TCreateParams {
    std::string WinClassName;
    uint32_t Style = 0;
    uint32_t WindowClassStyle = 0;
};

enum class TDragMode { dmManual, dmAutomatic };

class TWinControl : public TObject {
public:
    explicit TWinControl(TWinControl* parent = nullptr);
    ~TWinControl() override;
    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;

    std::string Name;

    // Tree and z-order: later children lie above earlier ones.
    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    const std::vector<TWinControl*>& Controls() const { return children_; }
    virtual TForm* Form();
    void BringToFront();

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return bounds_; }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }
    // Where client (0, 0) lies in the form, and on the screen.
    TPoint FormOrigin() const;
    TPoint ClientToScreen(TPoint client) const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible together with every ancestor.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    bool Focused() const;
    void SetFocus();

    // The background colour; follows the parent's unless set.
    TColor Color() const;
    void SetColor(TColor color);
    // The 3D or flat look; follows the parent's unless set.
    bool Ctl3D() const;
    void SetCtl3D(bool ctl3D);

    // Component state of a control being read from a stored description.
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }

    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode mode) { dragMode_ = mode; }

    // The window.
    bool HandleAllocated() const { return handle_ != 0; }
    // The backend's handle for a native control, the toolkit's own otherwise;
    // 0 without a window.
    NativeWindow Handle() const { return handle_; }
    void RecreateWnd();
    intptr_t Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    uint32_t WindowStyle() const { return style_; }
    uint32_t WindowClassStyle() const { return classStyle_; }
    const std::string& WindowClassName() const { return className_; }
    // The toolkit's stand-in for a platform window class, if it runs one.
    TWindowClass* WindowClass() const { return windowClass_.get(); }
    // The backend's native control living in this window, if any.
    NativeControl* Native() const { return native_.get(); }

    void Invalidate();
    void Update();
    void Repaint();

    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;

    // Habits users expect of a control, offered by every control that sets
    // them (each takes the message before the control itself sees it):
    // a double-click, or a press with Ctrl held, and a turn of the wheel by
    // notches (positive away from the user) with the modifiers held.
    TNotifyEvent OnDblClick;
    std::function<void(TObject* sender, int notches, uint32_t keys)> OnMouseWheel;
    // Cursor position in screen coordinates.
    TPoint GetCursorPos() const;

protected:
    // Framework control style: whether double-clicks arrive as such.
    bool DoubleClicks = true;

    virtual void CreateParams(TCreateParams& params);
    // Creates the window; overrides push their settings after calling it.
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void WndProc(TMessage& message);
    // What a message gets when the control itself does not handle it: the
    // window class's procedure, or the framework's default.
    void DefaultHandler(TMessage& message);
    // The press of a control with automatic drag mode; drag-and-drop is not
    // offered, so by default it does nothing.
    virtual void BeginAutoDrag() {}
    virtual void PaintWindow(TCanvas& canvas);
    virtual void BoundsChanged() {}

private:
    friend class TForm;

    // Gives the message to OnDblClick or OnMouseWheel; true if one took it.
    bool Intercept(TMessage& message);
    void CreateHandle();
    void DestroyHandle();
    void Detach();
    // Keeps the native controls of this subtree on their controls' bounds
    // and visibility.
    void PlaceNativeControls();

    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> children_;
    TRect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    bool tabStop_ = false;
    bool hasColor_ = false;
    TColor color_ = 0;
    int ctl3D_ = -1;  // -1: the parent's
    bool loading_ = false;
    TDragMode dragMode_ = TDragMode::dmManual;
    NativeWindow handle_ = 0;
    uint32_t style_ = 0;
    uint32_t classStyle_ = 0;
    std::string className_;
    std::unique_ptr<TWindowClass> windowClass_;
    std::unique_ptr<NativeControl> native_;
};

// The procedure of a platform window class, living inside one window.
class TWindowClass {
public:
    virtual ~TWindowClass() = default;
    // Handles message and returns true, or returns false to leave it.
    virtual bool Handle(TMessage& message) = 0;
    virtual void Paint(TCanvas& canvas) = 0;
};

}  // namespace tamrik::tk
