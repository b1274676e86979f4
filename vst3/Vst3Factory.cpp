#include "vst3/Vst3Factory.h"

#include <cstring>

#include "common/StringCopy.h"
#include "vst3/Utf16.h"
#include "vst3/Vst3Plugin.h"

namespace tamrik::vst3 {

namespace {

constexpr char kCategory[] = "Audio Module Class";
constexpr char kSubcategories[] = "Instrument|Drum";
constexpr char kSdkVersion[] = "VST 3.7.0";
constexpr int32_t kManyInstances = 0x7FFFFFFF;
constexpr int32_t kUnicode = 0x10;

// The factory a host holds: its table, and the one product it makes.
struct FactoryObject {
    const FactoryTable* table;
    const binding::Product* product;
};

const binding::Product* productAt(void* self, int32_t index) {
    return index == 0 ? static_cast<FactoryObject*>(self)->product : nullptr;
}

const binding::Product* productWithClassId(void* self, const v3_tuid id) {
    const binding::Product* product = static_cast<FactoryObject*>(self)->product;
    v3_tuid own;
    classIdOf(*product, own);
    return v3_tuid_match(own, id) ? product : nullptr;
}

v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** object);
uint32_t V3_API addRef(void*) { return 1; }
uint32_t V3_API release(void*) { return 1; }

v3_result V3_API factoryInfo(void*, v3_factory_info* info) {
    if (!info) return V3_INVALID_ARG;
    *info = {};
    copyString(info->vendor, binding::drumTamrik().identity.vendor, sizeof info->vendor);
    info->flags = kUnicode;
    return V3_OK;
}

int32_t V3_API classCount(void*) { return 1; }

template <typename Info>
const binding::Product* commonInfo(void* self, int32_t index, Info* info) {
    const binding::Product* product = productAt(self, index);
    if (!product || !info) return nullptr;
    *info = {};
    classIdOf(*product, info->class_id);
    info->cardinality = kManyInstances;
    copyString(info->category, kCategory, sizeof info->category);
    return product;
}

v3_result V3_API classInfo(void* self, int32_t index, v3_class_info* info) {
    const binding::Product* product = commonInfo(self, index, info);
    if (!product) return V3_INVALID_ARG;
    copyString(info->name, product->identity.name, sizeof info->name);
    return V3_OK;
}

v3_result V3_API classInfo2(void* self, int32_t index, v3_class_info_2* info) {
    const binding::Product* product = commonInfo(self, index, info);
    if (!product) return V3_INVALID_ARG;
    copyString(info->name, product->identity.name, sizeof info->name);
    copyString(info->sub_categories, kSubcategories, sizeof info->sub_categories);
    copyString(info->vendor, product->identity.vendor, sizeof info->vendor);
    copyString(info->version, TAMRIK_VERSION, sizeof info->version);
    copyString(info->sdk_version, kSdkVersion, sizeof info->sdk_version);
    return V3_OK;
}

v3_result V3_API classInfo3(void* self, int32_t index, v3_class_info_3* info) {
    const binding::Product* product = commonInfo(self, index, info);
    if (!product) return V3_INVALID_ARG;
    toUtf16(product->identity.name, info->name, 64);
    copyString(info->sub_categories, kSubcategories, sizeof info->sub_categories);
    toUtf16(product->identity.vendor, info->vendor, 64);
    toUtf16(TAMRIK_VERSION, info->version, 64);
    toUtf16(kSdkVersion, info->sdk_version, 64);
    return V3_OK;
}

v3_result V3_API createInstance(void* self, const v3_tuid classId, const v3_tuid iid, void** instance) {
    if (!instance) return V3_INVALID_ARG;
    *instance = nullptr;
    const binding::Product* product = classId && iid ? productWithClassId(self, classId) : nullptr;
    if (!product) return V3_NO_INTERFACE;
    *instance = Vst3Plugin::create(*product, iid);
    return *instance ? V3_OK : V3_NO_INTERFACE;
}

v3_result V3_API setHostContext(void*, v3_funknown**) { return V3_OK; }

constexpr FactoryTable kTable = {{queryInterface, addRef, release},
                                 {factoryInfo, classCount, classInfo, createInstance},
                                 {classInfo2},
                                 {classInfo3, setHostContext}};
FactoryObject kFactories[binding::kProductCount] = {{&kTable, &binding::drumTamrik()},
                                                   {&kTable, &binding::drumTamrikKit()}};

v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    const bool ours = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_factory_iid) ||
                      v3_tuid_match(iid, v3_plugin_factory_2_iid) || v3_tuid_match(iid, v3_plugin_factory_3_iid);
    *object = ours ? self : nullptr;
    return ours ? V3_OK : V3_NO_INTERFACE;
}

}  // namespace

v3_plugin_factory** pluginFactory(const binding::Product& product) {
    for (FactoryObject& factory : kFactories)
        if (factory.product == &product) return reinterpret_cast<v3_plugin_factory**>(&factory);
    return nullptr;
}

void classIdOf(const binding::Product& product, v3_tuid id) {
    const auto& b = product.vst3ClassId;
#if defined(_WIN32)
    static constexpr size_t kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
#else
    static constexpr size_t kOrder[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
#endif
    for (size_t i = 0; i < 16; ++i) id[i] = b[kOrder[i]];
}

}  // namespace tamrik::vst3
