// DrumTamrikKit.lv2's UI library: the Kit's panel behind the shared LV2 UI.
// Names, auditions, hit lights and Learn need the instrument itself, which
// the host hands over through instance-access and data-access; without
// them there is no panel (the Turtle asks for both).
#include <lv2/data-access/data-access.h>
#include <lv2/instance-access/instance-access.h>

#include "editor/KitForm.h"
#include "kit/FactoryKits.h"
#include "lv2/KitControlsAccess.h"
#include "lv2/Lv2Editor.h"
#include "lv2/Lv2Features.h"
#include "lv2/Lv2Ports.h"

namespace tamrik::lv2 {

const char* const kEditorUri = kKitUiUri;
const char* const kEditorPluginUri = kKitUri;

// The Init kit is every parameter at its default.
std::vector<float> editorDefaults() {
    const kit::KitSnapshot init = kit::factoryKitSnapshot(0);
    return std::vector<float>(init.values.begin(), init.values.end());
}

std::unique_ptr<TForm1> makeEditorForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link,
                                       const LV2_Feature* const* features) {
    const auto instance = static_cast<LV2_Handle>(const_cast<void*>(findFeature(features, LV2_INSTANCE_ACCESS_URI)));
    const auto* data = static_cast<const LV2_Extension_Data_Feature*>(findFeature(features, LV2_DATA_ACCESS_URI));
    if (!instance || !data || !data->data_access) return nullptr;
    const auto* access = static_cast<const KitControlsAccess*>(data->data_access(kKitControlsUri));
    kit::KitControls* controls = access && access->controls ? access->controls(instance) : nullptr;
    if (!controls) return nullptr;
    return std::make_unique<KitForm>(std::move(backend), link, *controls);
}

}  // namespace tamrik::lv2
