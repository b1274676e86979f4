// DrumTamrik.lv2's UI library: the values DrumTamrik's panel starts from.
#include "lv2/Lv2Editor.h"

namespace tamrik::lv2 {

std::vector<float> editorDefaults() {
    std::vector<float> values;
    for (const ParameterInfo& p : kParameterTable) values.push_back(p.defaultValue);
    return values;
}

}  // namespace tamrik::lv2
