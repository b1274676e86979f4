// DrumTamrik.lv2's UI library: DrumTamrik's panel behind the shared LV2 UI.
#include "lv2/Lv2Editor.h"
#include "lv2/Lv2Ports.h"

namespace tamrik::lv2 {

const char* const kEditorUri = kUiUri;
const char* const kEditorPluginUri = kPluginUri;

std::vector<float> editorDefaults() {
    std::vector<float> values;
    for (const ParameterInfo& p : kParameterTable) values.push_back(p.defaultValue);
    return values;
}

std::unique_ptr<TForm1> makeEditorForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link,
                                       const LV2_Feature* const*) {
    return std::make_unique<TForm1>(std::move(backend), link);
}

}  // namespace tamrik::lv2
