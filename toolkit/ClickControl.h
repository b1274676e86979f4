// TClickControl: a control clicked like a platform button: a press holds it
// (drawn pressed, the mouse captured), a release inside clicks it, a release
// outside is a change of mind; Space clicks it while it has the focus.
#pragma once

#include <string>

#include "toolkit/CustomControl.h"

namespace tamrik::tk {

class TClickControl : public TCustomControl {
public:
    explicit TClickControl(TWinControl* parent = nullptr);
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

protected:
    virtual void Click() = 0;
    bool Pressed() const { return pressed_; }
    void WndProc(TMessage& message) override;

private:
    std::string caption_;
    bool pressed_ = false;
};

}  // namespace tamrik::tk
