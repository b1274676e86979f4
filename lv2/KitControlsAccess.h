// How the Kit's UI reaches the instrument's KitControls (names, auditions,
// hit counts, the last note): the host hands the UI the plug-in instance
// (instance-access) and its extension_data (data-access), and the DSP
// library answers kKitControlsUri with this. Both libraries run in the
// host's one process; the UI asks, the DSP library does the cast.
#pragma once

#include <lv2/core/lv2.h>

#include "kit/KitControls.h"

namespace tamrik::lv2 {

inline constexpr char kKitControlsUri[] = "urn:quenmar:drum-tamrik-kit#controls";

struct KitControlsAccess {
    kit::KitControls* (*controls)(LV2_Handle instance);
};

}  // namespace tamrik::lv2
