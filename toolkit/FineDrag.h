// Shift held during a trackbar's drag makes it ten times finer. The
// toolkit's trackbar and the platform's (whose drag the Win32 backend takes
// over while Shift is down) place the thumb by this one rule, so a slider
// feels the same whichever draws it.
#pragma once

#include <cstdint>
#include <optional>

namespace tamrik::tk {

class FineDrag {
public:
    // A drag starts: the pointer along the bar, the thumb's position, and
    // whether Shift is down at the press.
    void Start(int along, int position, bool fine) {
        fine_ = fine;
        fromAlong_ = along;
        fromPosition_ = position;
    }

    // The pointer moved to along with Shift down or not. With Shift: the
    // position a tenth of the travel since Shift went down calls for, over
    // span pixels for range positions (not held to the range). Without it
    // (or on a bar with no length) nothing, and the bar's own rule places
    // the thumb.
    std::optional<int> Move(int along, bool fine, int position, int range, int span) {
        if (fine && !fine_) Start(along, position, true);
        fine_ = fine;
        if (!fine || span <= 0) return std::nullopt;
        const int64_t moved = int64_t(along - fromAlong_) * range;
        return fromPosition_ + int(moved / (10LL * span));
    }

private:
    bool fine_ = false;
    int fromAlong_ = 0;
    int fromPosition_ = 0;
};

}  // namespace tamrik::tk
