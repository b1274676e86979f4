// TEdit: a one-line text field. A click gives it the focus; typed
// characters are added at the end, backspace takes the last one away,
// Return calls OnAccept and Escape OnCancel. Printable Latin-1 only, up to
// MaxLength characters: the names it edits are short and drawn by faces
// that have no more.
#pragma once

#include <string>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TEdit : public TCustomControl {
public:
    explicit TEdit(TWinControl* parent = nullptr);

    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    size_t MaxLength = 31;
    TNotifyEvent OnAccept;
    TNotifyEvent OnCancel;

protected:
    void WndProc(TMessage& message) override;
    void Paint(TCanvas& canvas) override;

private:
    std::string text_;
};

}  // namespace tamrik::tk
