// The hit row's colours, shared by its plot and its meters so that the
// sound's green, the envelope's amber and the clip's red mean one thing.
#pragma once

#include "toolkit/SystemColors.h"

namespace tamrik::hit_palette {

constexpr tk::TColor kBackground = tk::RgbColor(16, 24, 32);
constexpr tk::TColor kSound = tk::RgbColor(96, 200, 128);
constexpr tk::TColor kAmber = tk::RgbColor(240, 200, 64);
constexpr tk::TColor kClip = tk::RgbColor(255, 48, 32);

}  // namespace tamrik::hit_palette
