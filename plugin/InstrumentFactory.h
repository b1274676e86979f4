// Which instrument a plug-in library makes: each library links the one file
// that defines this, beside the shared entry (VstEntry.cpp).
#pragma once

#include <memory>

#include "synth/Instrument.h"

namespace tamrik {

std::unique_ptr<Instrument> makeInstrument();

}  // namespace tamrik
