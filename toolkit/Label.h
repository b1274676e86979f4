// TLabel: a line of text, at the top of its box or, with TextAtBottom, at
// the bottom.
#pragma once

#include <string>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TLabel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool TextAtBottom() const { return textAtBottom_; }
    void SetTextAtBottom(bool atBottom);

protected:
    void Paint(TCanvas& canvas) override;

private:
    std::string caption_;
    bool textAtBottom_ = false;
};

}  // namespace tamrik::tk
