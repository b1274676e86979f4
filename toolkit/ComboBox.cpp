// The drop-down part is a control of its own, made a child of the form when
// the list opens and deleted when it closes, so it is painted above
// everything and hit first; it opens downwards unless it fits better above.
#include "toolkit/ComboBox.h"

#include <algorithm>

#include "toolkit/Form.h"

namespace tamrik::tk {

class TComboDropList final : public TCustomControl {
public:
    TComboDropList(TComboBox& owner, int itemHeight, int top, int visibleItems)
        : TCustomControl(owner.Form()), owner_(owner), itemHeight_(itemHeight),
          visible_(visibleItems), hot_(owner.ItemIndex()) {
        const TPoint o = owner.FormOrigin();
        SetBounds(o.x, top, owner.Width(), visibleItems * itemHeight + 2);
        topIndex_ = std::clamp(hot_ - visible_ + 1, 0, std::max(0, int(owner_.Items().size()) - visible_));
    }
    // The form may delete the list before its box (the form going away).
    ~TComboDropList() override {
        if (owner_.list_ == this) owner_.list_ = nullptr;
    }

protected:
    void Paint(TCanvas& canvas) override {
        canvas.Brush.Color = GetSysColor(TK_COLOR_WINDOW);
        canvas.FillRect(ClientRect());
        canvas.Brush.Color = GetSysColor(TK_COLOR_WINDOWFRAME);
        canvas.FrameRect(ClientRect());
        for (int row = 0; row < visible_; ++row) {
            const int index = topIndex_ + row;
            if (index >= int(owner_.Items().size())) break;
            const TRect r{1, 1 + row * itemHeight_, Width() - 1, 1 + (row + 1) * itemHeight_};
            const bool hot = index == hot_;
            canvas.Brush.Color = GetSysColor(hot ? TK_COLOR_HIGHLIGHT : TK_COLOR_WINDOW);
            canvas.FillRect(r);
            canvas.FontColor = GetSysColor(hot ? TK_COLOR_HIGHLIGHTTEXT : TK_COLOR_WINDOWTEXT);
            canvas.TextAt(r.Left + 2, r.Top + (itemHeight_ - canvas.TextHeight()) / 2, owner_.Items()[size_t(index)]);
        }
    }

    void WndProc(TMessage& m) override {
        switch (m.Msg) {
            case TK_WM_MOUSEMOVE:
                Hover(HiWordSigned(m.LParam));
                return;
            case TK_WM_LBUTTONUP:
                if (hot_ >= 0 && ClientRect().Contains({LoWordSigned(m.LParam), HiWordSigned(m.LParam)}))
                    owner_.Choose(hot_);  // deletes this
                return;
            case TK_WM_MOUSEWHEEL:
                Scroll(HiWordSigned(intptr_t(m.WParam)) > 0 ? -1 : 1);
                return;
            case TK_WM_KEYDOWN:
                if (m.WParam == TK_VK_UP || m.WParam == TK_VK_DOWN) {
                    hot_ = std::clamp(hot_ + (m.WParam == TK_VK_UP ? -1 : 1), 0, int(owner_.Items().size()) - 1);
                    topIndex_ = std::clamp(topIndex_, hot_ - visible_ + 1, hot_);
                    Invalidate();
                } else if (m.WParam == TK_VK_RETURN) {
                    owner_.Choose(hot_);  // deletes this
                } else if (m.WParam == TK_VK_ESCAPE) {
                    owner_.SetDroppedDown(false);  // deletes this
                }
                return;
            default:
                TCustomControl::WndProc(m);
        }
    }

private:
    void Hover(int y) {
        const int row = (y - 1) / itemHeight_;
        const int index = topIndex_ + row;
        if (y < 1 || row >= visible_ || index >= int(owner_.Items().size()) || index == hot_) return;
        hot_ = index;
        Invalidate();
    }

    void Scroll(int rows) {
        topIndex_ = std::clamp(topIndex_ + rows, 0, std::max(0, int(owner_.Items().size()) - visible_));
        Invalidate();
    }

    TComboBox& owner_;
    int itemHeight_;
    int visible_;
    int hot_;
    int topIndex_ = 0;
};

TComboBox::TComboBox(TWinControl* parent) : TCustomControl(parent) { SetTabStop(true); }

TComboBox::~TComboBox() { SetDroppedDown(false); }

void TComboBox::SetItems(std::vector<std::string> items) {
    SetDroppedDown(false);
    items_ = std::move(items);
    if (itemIndex_ >= int(items_.size())) itemIndex_ = -1;
    Invalidate();
}

void TComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= int(items_.size()) || index == itemIndex_) return;
    itemIndex_ = index;
    Invalidate();
}

std::string TComboBox::Text() const { return itemIndex_ >= 0 ? items_[size_t(itemIndex_)] : std::string(); }

void TComboBox::Choose(int index) {
    SetDroppedDown(false);
    if (index < 0 || index >= int(items_.size())) return;
    SetItemIndex(index);
    if (OnChange) OnChange(this);
}

void TComboBox::SetDroppedDown(bool dropped) {
    if (dropped == DroppedDown()) return;
    TForm* form = Form();
    if (!dropped) {
        TWinControl* list = list_;
        list_ = nullptr;
        if (form) form->SetPopup(nullptr, nullptr);
        delete list;
        return;
    }
    if (!form || items_.empty()) return;
    const int itemHeight = form->TextHeight() + 2;
    const TPoint o = FormOrigin();
    const int below = form->Height() - (o.y + Height()) - 2, above = o.y - 2;
    const int wanted = std::min(int(items_.size()), dropDownCount_);
    const bool down = below >= wanted * itemHeight || below >= above;
    const int rows = std::clamp((down ? below : above) / itemHeight, 1, wanted);
    const int top = down ? o.y + Height() : o.y - rows * itemHeight - 2;
    list_ = new TComboDropList(*this, itemHeight, top, rows);
    form->SetPopup(list_, [this] { SetDroppedDown(false); });
    form->SetCaptureControl(nullptr);
}

void TComboBox::WndProc(TMessage& m) {
    switch (m.Msg) {
        case TK_WM_LBUTTONDOWN:
        case TK_WM_LBUTTONDBLCLK:
            SetDroppedDown(!DroppedDown());
            return;
        case TK_WM_KEYDOWN:
            if (m.WParam == TK_VK_UP && itemIndex_ > 0) Choose(itemIndex_ - 1);
            else if (m.WParam == TK_VK_DOWN && itemIndex_ + 1 < int(items_.size())) Choose(itemIndex_ + 1);
            return;
        default:
            TCustomControl::WndProc(m);
    }
}

void TComboBox::Paint(TCanvas& canvas) {
    const TRect field = ClientRect();
    canvas.Brush.Color = GetSysColor(TK_COLOR_WINDOW);
    canvas.FillRect(field);
    canvas.FieldFrame(field, Ctl3D());
    const int inset = Ctl3D() ? 2 : 1;
    const int buttonWidth = 16;
    const TRect button{Width() - inset - buttonWidth, inset, Width() - inset, Height() - inset};
    canvas.Brush.Color = GetSysColor(TK_COLOR_BTNFACE);
    canvas.FillRect(button);
    canvas.Edge(button, false, true);
    // The down arrow: a 7-pixel-wide triangle of four rows, drawn at the
    // scaled size.
    const Scale s = canvas.GetScale();
    TCanvas device = canvas.DevicePixels();
    device.Brush.Color = GetSysColor(TK_COLOR_BTNTEXT);
    const int ax = s.Dev(button.Left + (buttonWidth - 7) / 2), ay = s.Dev(button.Top + (button.Height() - 4) / 2);
    const int rows = s.Dev(4);
    for (int row = 0; row < rows; ++row) device.FillRect({ax + row, ay + row, ax + 2 * rows - 1 - row, ay + row + 1});
    const TRect text{inset + 1, inset + 1, button.Left - 1, Height() - inset - 1};
    if (Focused()) {
        canvas.Brush.Color = GetSysColor(TK_COLOR_HIGHLIGHT);
        canvas.FillRect(text);
        canvas.FontColor = GetSysColor(TK_COLOR_HIGHLIGHTTEXT);
    }
    canvas.TextAt(text.Left + 1, (Height() - canvas.TextHeight()) / 2, Text());
}

}  // namespace tamrik::tk
