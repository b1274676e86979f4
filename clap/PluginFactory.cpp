#include "clap/PluginFactory.h"

#include <array>
#include <cstring>

#include "clap/ClapPlugin.h"

namespace tamrik::clap {

namespace {

PluginKind kindOf(const binding::Product& product) {
    PluginKind kind{};
    kind.descriptor.clap_version = CLAP_VERSION;
    kind.descriptor.id = product.clapId;
    kind.descriptor.name = product.identity.name;
    kind.descriptor.vendor = product.identity.vendor;
    kind.descriptor.url = kind.descriptor.manual_url = kind.descriptor.support_url = "";
    kind.descriptor.version = TAMRIK_VERSION;
    kind.descriptor.description = product.description;
    kind.descriptor.features = product.clapFeatures;
    kind.product = &product;
    return kind;
}

const std::array<PluginKind, 2> kKinds = {kindOf(binding::drumTamrik()), kindOf(binding::drumTamrikKit())};
static_assert(kKinds.size() == binding::kProductCount, "a descriptor for every product");

uint32_t CLAP_ABI factoryCount(const clap_plugin_factory_t*) { return pluginKindCount(); }

const clap_plugin_descriptor_t* CLAP_ABI factoryDescriptor(const clap_plugin_factory_t*, uint32_t index) {
    const PluginKind* kind = pluginKindAt(index);
    return kind ? &kind->descriptor : nullptr;
}

const clap_plugin_t* CLAP_ABI factoryCreate(const clap_plugin_factory_t*, const clap_host_t* host,
                                            const char* id) {
    const PluginKind* kind = findPluginKind(id);
    return kind ? ClapPlugin::create(*kind, host) : nullptr;
}

const clap_plugin_factory_t kFactory = {factoryCount, factoryDescriptor, factoryCreate};

}  // namespace

uint32_t pluginKindCount() { return uint32_t(kKinds.size()); }

const PluginKind* pluginKindAt(uint32_t index) { return index < pluginKindCount() ? &kKinds[index] : nullptr; }

const PluginKind* findPluginKind(const char* id) {
    if (!id) return nullptr;
    for (const PluginKind& kind : kKinds)
        if (std::strcmp(kind.descriptor.id, id) == 0) return &kind;
    return nullptr;
}

const clap_plugin_factory_t* pluginFactory() { return &kFactory; }

}  // namespace tamrik::clap
