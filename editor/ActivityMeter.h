// ActivityMeter: what the panel shows of the sound as it plays, fed the
// largest magnitude since the last look at every refresh: a light that
// flashes while a sound plays, a level that falls back slowly (a bar over
// -60 to 0 dBFS), or an output's clip mark, held a while after the output
// passed 0 dBFS.
//
// UI thread only, like every toolkit control.
#pragma once

#include <cstdint>

#include "toolkit/Toolkit.h"

namespace tamrik {

class ActivityMeter : public tk::TCustomControl {
public:
    enum class Kind { Light, Level, Clip };
    // Below this a sound counts as silent (-80 dBFS).
    static constexpr float kSilence = 1e-4f;
    static constexpr double kFloorDb = -60.0;
    // How far the level falls per second, and how long the marks stay.
    static constexpr double kFallDbPerSecond = 30.0;
    static constexpr uint64_t kLightMs = 120;
    static constexpr uint64_t kClipHoldMs = 2000;

    ActivityMeter(tk::TWinControl* parent, Kind kind);

    // The largest magnitude since the last call, at a time on the form's clock.
    void Feed(float peak, uint64_t nowMs);
    bool Lit() const { return lit_; }
    // The level shown, in dBFS (kFloorDb when silent).
    double LevelDb() const { return levelDb_; }

protected:
    void Paint(tk::TCanvas& canvas) override;

private:
    Kind kind_;
    bool lit_ = false;
    double levelDb_ = kFloorDb;
    uint64_t litUntil_ = 0;
    uint64_t lastMs_ = 0;
    bool fed_ = false;
};

}  // namespace tamrik
