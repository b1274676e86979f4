// How a UI reaches the hit its panel draws: rendered in the DSP library,
// whose wave tables the instance plays from (the UI library has copies of
// its own, never built, with other noise). Through instance-access and
// data-access, as the Kit's controls are (lv2/KitControlsAccess.h); the DSP
// library answers kHitLinkUri with this, for either product.
#pragma once

#include <lv2/core/lv2.h>

#include "editor/HitLink.h"

namespace tamrik::lv2 {

inline constexpr char kHitLinkUri[] = "urn:quenmar:drum-tamrik#hit";

struct HitLinkAccess {
    HitLink* (*sound)(LV2_Handle instance);
};

}  // namespace tamrik::lv2
