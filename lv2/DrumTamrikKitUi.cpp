// DrumTamrikKit.lv2's UI library: the values the Kit's panel starts from,
// the Init kit's (every parameter at its default).
#include "kit/FactoryKits.h"
#include "lv2/Lv2Editor.h"

namespace tamrik::lv2 {

std::vector<float> editorDefaults() {
    const kit::KitSnapshot init = kit::factoryKitSnapshot(0);
    return std::vector<float>(init.values.begin(), init.values.end());
}

}  // namespace tamrik::lv2
