// TTimer: a repeating timer of a form, fired from the form's Idle() on the
// user-interface thread. Late ticks are merged, never queued up.
#pragma once

#include <cstdint>

#include "toolkit/WinControl.h"

namespace tamrik::tk {

class TTimer : public TObject {
public:
    explicit TTimer(TForm& form);
    ~TTimer() override;
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    int Interval() const { return interval_; }
    void SetInterval(int ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TNotifyEvent OnTimer;

private:
    friend class TForm;
    // Fires once if due at now; returns whether it fired.
    bool FireIfDue(uint64_t now);
    void Rearm();

    TForm* form_;
    int interval_ = 1000;
    bool enabled_ = true;
    uint64_t due_ = 0;
};

}  // namespace tamrik::tk
