// The platform-independent half of loading: the entry's names and the checks
// on what it answers.
#include "hosting/PluginLibrary.h"

namespace tamrik::hosting {

PluginEntry PluginLibrary::entry() const {
    void* found = symbol("VSTPluginMain");
    if (!found) found = symbol("main");
    if (!found)
        throw LoadError(path_ +
                        ": expected a VST 2 entry 'VSTPluginMain' or 'main', found neither");
    return reinterpret_cast<PluginEntry>(found);
}

vst::AEffect* PluginLibrary::instantiate(vst::audioMasterCallback host) const {
    vst::AEffect* effect = entry()(host);
    if (effect == nullptr) throw LoadError(path_ + ": the plug-in's entry answered nil");
    if (effect->magic != vst::kEffectMagic)
        throw LoadError(path_ + ": expected a VST 2 plug-in record from the entry");
    return effect;
}

}  // namespace tamrik::hosting
