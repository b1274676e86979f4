#include <cstdlib>

#include "kit/KitInstrument.h"
#include "plugin/InstrumentFactory.h"

namespace tamrik {

std::unique_ptr<Instrument> makeInstrument() {
    return std::make_unique<kit::KitInstrument>(
        instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}

}  // namespace tamrik
