// Sets one of a pad's own settings (key, level, pan, ...) by its slot after
// the pad's sound parameters, as a host would through the parameter index.
#pragma once

#include <cstdint>

#include "kit/KitInstrument.h"
#include "kit/KitMap.h"

namespace tamrik::test {

inline void setPad(kit::KitInstrument& kit, int32_t pad, int32_t setting, float value) {
    kit.setParameter(kit::padIndex(pad, kit::kSoundParameters + setting), value);
}

}  // namespace tamrik::test
