// The library's exports, built once per product (TAMRIK_PRODUCT names its
// row of binding/Products): GetPluginFactory, and the module's entry and exit
// (ModuleEntry / ModuleExit), which a host calls around everything else.
// Nothing is set up or torn down there: the instruments build what they
// share on construction.
#include "vst3/Vst3Factory.h"

#define TAMRIK_VST3_EXPORT extern "C" __attribute__((visibility("default")))

TAMRIK_VST3_EXPORT v3_plugin_factory** GetPluginFactory() {
    return tamrik::vst3::pluginFactory(tamrik::binding::TAMRIK_PRODUCT());
}
TAMRIK_VST3_EXPORT bool ModuleEntry(void*) { return true; }
TAMRIK_VST3_EXPORT bool ModuleExit() { return true; }
