// DrumTamrikKit.lv2's DSP library: the Kit behind the shared LV2 binding.
#include "kit/KitInstrument.h"
#include "lv2/Lv2Instrument.h"
#include "lv2/Lv2Ports.h"

namespace tamrik::lv2 {

const char* const kDspUri = kKitUri;

std::unique_ptr<Instrument> makeDspInstrument() { return std::make_unique<kit::KitInstrument>(); }

}  // namespace tamrik::lv2
