// The UI's descriptor and the editor behind it.
#include "lv2/Lv2Editor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include <lv2/atom/atom.h>
#include <lv2/data-access/data-access.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>

#include "lv2/HitLinkAccess.h"
#include "lv2/KitControlsAccess.h"
#include "lv2/Lv2Features.h"

namespace tamrik::lv2 {
namespace {

// The host's ui:scaleFactor among its options, or 0 without one.
float HostScaleFactor(const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    const auto* options = static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    if (!map || !map->map || !options) return 0.0f;
    const LV2_URID key = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (const LV2_Options_Option* o = options; o->key != 0 || o->value != nullptr; ++o)
        if (o->key == key && o->type == floatType && o->size == sizeof(float) && o->value) {
            float factor = 0.0f;
            std::memcpy(&factor, o->value, sizeof factor);
            return std::isfinite(factor) ? factor : 0.0f;
        }
    return 0.0f;
}

// What the DSP instance answers for uri, through instance-access and
// data-access, given to reach: nullptr without either.
template <typename Access, typename Reach>
auto FromInstance(const LV2_Feature* const* features, const char* uri, Reach reach) -> decltype(reach(nullptr, nullptr)) {
    const auto instance = static_cast<LV2_Handle>(const_cast<void*>(findFeature(features, LV2_INSTANCE_ACCESS_URI)));
    const auto* data = static_cast<const LV2_Extension_Data_Feature*>(findFeature(features, LV2_DATA_ACCESS_URI));
    if (!instance || !data || !data->data_access) return nullptr;
    return reach(static_cast<const Access*>(data->data_access(uri)), instance);
}

// The DSP instance's kit controls.
kit::KitControls* HostKitControls(const LV2_Feature* const* features) {
    return FromInstance<KitControlsAccess>(features, kKitControlsUri, [](const KitControlsAccess* a, LV2_Handle i) {
        return a && a->controls ? a->controls(i) : nullptr;
    });
}

// The hits the DSP instance renders for the panel.
HitLink* HostHitLink(const LV2_Feature* const* features) {
    return FromInstance<HitLinkAccess>(features, kHitLinkUri, [](const HitLinkAccess* a, LV2_Handle i) {
        return a && a->sound ? a->sound(i) : nullptr;
    });
}

const binding::Product& uiProduct() { return binding::TAMRIK_PRODUCT(); }

}  // namespace

Lv2Editor* Lv2Editor::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                             LV2UI_Widget* widget, const LV2_Feature* const* features) {
    const void* parent = findFeature(features, LV2_UI__parent);
    if (!parent || !widget) return nullptr;
    std::unique_ptr<Lv2Editor> editor(new Lv2Editor(write, controller));
    editor->touch_ = static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch));
    binding::EditorPanel& panel = editor->panel_;
    if (const float factor = HostScaleFactor(features); factor > 0.0f) panel.setHostScale(factor);
    const auto* resize = static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize));
    // Without ui:resize the host's container follows our window, if at all.
    const auto resizeHost = [resize](int width, int height) {
        return !resize || !resize->ui_resize || resize->ui_resize(resize->handle, width, height) == 0;
    };
    if (!panel.open(reinterpret_cast<tk::NativeWindow>(parent), HostKitControls(features), resizeHost,
                    HostHitLink(features)))
        return nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(panel.form()->NativeHandle());
    resizeHost(panel.width(), panel.height());
    return editor.release();
}

Lv2Editor::Lv2Editor(LV2UI_Write_Function write, LV2UI_Controller controller)
    : write_(write), controller_(controller), values_(editorDefaults()), panel_(uiProduct(), *this) {}

Lv2Editor::~Lv2Editor() = default;

void Lv2Editor::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
    if (port >= values_.size() || format != 0 || bufferSize != sizeof(float) || !buffer) return;
    std::memcpy(&values_[port], buffer, sizeof(float));
}

int Lv2Editor::idle() {
    panel_.idle();
    return 0;
}

void Lv2Editor::setParameterAutomated(int32_t index, float value) {
    if (!isParameter(index)) return;
    values_[index] = value;
    if (write_) write_(controller_, uint32_t(index), sizeof value, 0, &value);
}

float Lv2Editor::getParameter(int32_t index) { return isParameter(index) ? values_[index] : 0.0f; }

void Lv2Editor::beginEdit(int32_t index) {
    if (touch_ && touch_->touch && isParameter(index)) touch_->touch(touch_->handle, uint32_t(index), true);
}

void Lv2Editor::endEdit(int32_t index) {
    if (touch_ && touch_->touch && isParameter(index)) touch_->touch(touch_->handle, uint32_t(index), false);
}

}  // namespace tamrik::lv2

namespace {

using tamrik::lv2::Lv2Editor;

Lv2Editor* self(LV2UI_Handle handle) { return static_cast<Lv2Editor*>(handle); }

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, tamrik::lv2::uiProduct().lv2Uri) != 0) return nullptr;
    try {
        return Lv2Editor::create(write, controller, widget, features);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle h) { delete self(h); }

void portEvent(LV2UI_Handle h, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    self(h)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle h) { return self(h)->idle(); }

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
    return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {tamrik::binding::TAMRIK_PRODUCT().lv2UiUri, instantiate, cleanup, portEvent,
                                      extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
