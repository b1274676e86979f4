#include "plugin/InstrumentFactory.h"
#include "synth/DrumTamrikInstrument.h"

namespace tamrik {

std::unique_ptr<Instrument> makeInstrument() { return std::make_unique<DrumTamrikInstrument>(); }

}  // namespace tamrik
