// DrumTamrik.lv2's DSP library: DrumTamrik behind the shared LV2 binding.
#include <cstdlib>

#include "lv2/Lv2Instrument.h"
#include "lv2/Lv2Ports.h"
#include "synth/DrumTamrikInstrument.h"

namespace tamrik::lv2 {

const char* const kDspUri = kPluginUri;

std::unique_ptr<Instrument> makeDspInstrument() {
    return std::make_unique<DrumTamrikInstrument>(
        instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}

const void* dspExtension(const char*) { return nullptr; }

}  // namespace tamrik::lv2
