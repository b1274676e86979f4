#include <cstdlib>

#include "plugin/InstrumentFactory.h"
#include "synth/DrumTamrikInstrument.h"

namespace tamrik {

std::unique_ptr<Instrument> makeInstrument() {
    return std::make_unique<DrumTamrikInstrument>(
        instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}

}  // namespace tamrik
