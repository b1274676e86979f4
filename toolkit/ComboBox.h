// TComboBox: a drop-down list with fixed items that cannot be typed into.
// ItemIndex set by a program fires nothing; OnChange fires only when the
// user chooses an item (with the mouse or the arrow keys). While the list
// is dropped down it floats above every control of the form.
#pragma once

#include <string>
#include <vector>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TComboBox : public TCustomControl {
public:
    explicit TComboBox(TWinControl* parent = nullptr);
    ~TComboBox() override;

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items);
    int ItemIndex() const { return itemIndex_; }
    // -1 for no selection; other values outside the items are ignored.
    void SetItemIndex(int index);
    std::string Text() const;
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count) { dropDownCount_ = count > 0 ? count : 1; }
    bool DroppedDown() const { return list_ != nullptr; }
    void SetDroppedDown(bool dropped);
    TNotifyEvent OnChange;

protected:
    void Paint(TCanvas& canvas) override;
    void WndProc(TMessage& message) override;

private:
    friend class TComboDropList;
    void Choose(int index);

    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int dropDownCount_ = 8;
    TWinControl* list_ = nullptr;
};

}  // namespace tamrik::tk
