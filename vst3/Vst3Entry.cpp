// The library's exports, built once per product (TAMRIK_PRODUCT names its
// row of binding/Products): GetPluginFactory, and the module's entry and exit,
// which a host calls around everything else: ModuleEntry / ModuleExit on
// Linux, InitDll / ExitDll on Windows (whose .def file exports them
// undecorated). Nothing is set up or torn down there: the instruments build
// what they share on construction.
//
// None of them takes an argument on Windows, so on 32-bit Windows it makes no
// difference whether a host declares them stdcall or cdecl.
#include "vst3/Vst3Factory.h"

#define TAMRIK_VST3_EXPORT extern "C" __attribute__((visibility("default")))

TAMRIK_VST3_EXPORT v3_plugin_factory** GetPluginFactory() {
    return tamrik::vst3::pluginFactory(tamrik::binding::TAMRIK_PRODUCT());
}
#if defined(_WIN32)
TAMRIK_VST3_EXPORT bool InitDll() { return true; }
TAMRIK_VST3_EXPORT bool ExitDll() { return true; }
#else
TAMRIK_VST3_EXPORT bool ModuleEntry(void*) { return true; }
TAMRIK_VST3_EXPORT bool ModuleExit() { return true; }
#endif
