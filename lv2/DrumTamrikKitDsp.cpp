// DrumTamrikKit.lv2's DSP library: the Kit behind the shared LV2 binding,
// and its KitControls for the UI.
#include <cstdlib>
#include <cstring>

#include "kit/KitInstrument.h"
#include "lv2/KitControlsAccess.h"
#include "lv2/Lv2Instrument.h"
#include "lv2/Lv2Ports.h"

namespace tamrik::lv2 {

namespace {

kit::KitControls* controlsOf(LV2_Handle instance) {
    if (!instance) return nullptr;
    return &static_cast<kit::KitInstrument&>(static_cast<Lv2Instrument*>(instance)->instrument());
}

const KitControlsAccess kAccess = {controlsOf};

}  // namespace

const char* const kDspUri = kKitUri;

std::unique_ptr<Instrument> makeDspInstrument() {
    return std::make_unique<kit::KitInstrument>(
        instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}

const void* dspExtension(const char* uri) { return std::strcmp(uri, kKitControlsUri) == 0 ? &kAccess : nullptr; }

}  // namespace tamrik::lv2
