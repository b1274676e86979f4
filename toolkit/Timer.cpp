// Timers count from their arming on the form's backend clock.
#include "toolkit/Timer.h"

#include "toolkit/Form.h"

namespace tamrik::tk {

TTimer::TTimer(TForm& form) : form_(&form) {
    form_->AddTimer(*this);
    Rearm();
}

TTimer::~TTimer() {
    if (form_) form_->RemoveTimer(*this);
}

void TTimer::Rearm() {
    if (form_) due_ = form_->GetBackend().NowMs() + uint64_t(interval_);
}

void TTimer::SetInterval(int ms) {
    interval_ = ms > 0 ? ms : 0;
    Rearm();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled && !enabled_) Rearm();
    enabled_ = enabled;
}

bool TTimer::FireIfDue(uint64_t now) {
    if (!enabled_ || interval_ == 0 || now < due_) return false;
    due_ += uint64_t(interval_);
    if (due_ <= now) due_ = now + uint64_t(interval_);
    if (OnTimer) OnTimer(this);
    return true;
}

}  // namespace tamrik::tk
