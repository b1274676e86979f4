#include "editor/ActivityMeter.h"

#include <algorithm>
#include <cmath>

#include "editor/HitPalette.h"

namespace tamrik {

using namespace tk;

namespace {

constexpr TColor kMeterDark = RgbColor(40, 24, 20);

}  // namespace

ActivityMeter::ActivityMeter(TWinControl* parent, Kind kind) : TCustomControl(parent), kind_(kind) {}

void ActivityMeter::Feed(float peak, uint64_t nowMs) {
    // NaN counts as nothing heard; the level is measured in decibels.
    const float heard = peak > 0.0f ? peak : 0.0f;
    const double elapsed = fed_ && nowMs > lastMs_ ? double(nowMs - lastMs_) / 1000.0 : 0.0;
    fed_ = true;
    lastMs_ = nowMs;
    const bool wasLit = lit_;
    const double wasLevel = levelDb_;
    if (kind_ == Kind::Level) {
        const double heardDb = heard > kSilence ? std::min(0.0, 20.0 * std::log10(double(heard))) : kFloorDb;
        levelDb_ = std::max({heardDb, levelDb_ - kFallDbPerSecond * elapsed, kFloorDb});
        lit_ = levelDb_ > kFloorDb;
    } else {
        const bool struck = kind_ == Kind::Light ? heard > kSilence : heard > 1.0f;
        if (struck) litUntil_ = nowMs + (kind_ == Kind::Light ? kLightMs : kClipHoldMs);
        lit_ = nowMs < litUntil_;
    }
    if (lit_ != wasLit || levelDb_ != wasLevel) Invalidate();
}

void ActivityMeter::Paint(TCanvas& canvas) {
    const TRect r = ClientRect();
    if (kind_ != Kind::Level) {
        canvas.Brush.Color = lit_ ? hit_palette::kClip : kMeterDark;
        canvas.FillRect(r);
        return;
    }
    canvas.Brush.Color = hit_palette::kBackground;
    canvas.FillRect(r);
    // The bar in device pixels, so it moves smoothly at every scale.
    TCanvas device = canvas.DevicePixels();
    const TRect d = canvas.GetScale().Dev(r);
    const double fraction = (levelDb_ - kFloorDb) / -kFloorDb;
    const int top = d.Bottom - int(std::lround(fraction * d.Height()));
    device.Brush.Color = levelDb_ > -6.0 ? hit_palette::kAmber : hit_palette::kSound;
    device.FillRect({d.Left, top, d.Right, d.Bottom});
}

}  // namespace tamrik
