#include "clap/PluginFactory.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

#include "clap/ClapPlugin.h"
#include "editor/KitForm.h"
#include "editor/TForm1.h"
#include "kit/KitInstrument.h"
#include "synth/DrumTamrikInstrument.h"

namespace tamrik::clap {

namespace {

const char* kDrumTamrikFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_DRUM,
                                     CLAP_PLUGIN_FEATURE_SYNTHESIZER, CLAP_PLUGIN_FEATURE_STEREO, nullptr};

const clap_plugin_descriptor_t kDrumTamrik = {
    CLAP_VERSION_INIT,
    "com.quenmar.drum-tamrik",
    "DrumTamrik",
    "Quenmar",
    "",
    "",
    "",
    TAMRIK_VERSION,
    "Drum Synth Tamrik: a synthesized drum sound on every note",
    kDrumTamrikFeatures,
};

const char* kKitFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_DRUM_MACHINE,
                              CLAP_PLUGIN_FEATURE_SYNTHESIZER, CLAP_PLUGIN_FEATURE_STEREO, nullptr};

const clap_plugin_descriptor_t kKit = {
    CLAP_VERSION_INIT,
    "com.quenmar.drum-tamrik-kit",
    "DrumTamrik Kit",
    "Quenmar",
    "",
    "",
    "",
    TAMRIK_VERSION,
    "Sixteen DrumTamrik sounds, each on its own key, pitch and output, with choke groups",
    kKitFeatures,
};

std::unique_ptr<Instrument> makeDrumTamrik() {
    return std::make_unique<DrumTamrikInstrument>(
        instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}
std::unique_ptr<Instrument> makeKit() {
    return std::make_unique<kit::KitInstrument>(
        instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}

std::unique_ptr<TForm1> makeDrumTamrikForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link, Instrument&) {
    return std::make_unique<TForm1>(std::move(backend), link);
}

// The Kit's panel also reaches the instrument's names, auditions and hits.
std::unique_ptr<TForm1> makeKitForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link,
                                    Instrument& instrument) {
    return std::make_unique<KitForm>(std::move(backend), link, static_cast<kit::KitInstrument&>(instrument));
}

// Every plug-in of the library, in the order hosts list them.
const PluginKind kKinds[] = {
    {&kDrumTamrik, &makeDrumTamrik, &makeDrumTamrikForm, TForm1::kFormHeight},
    {&kKit, &makeKit, &makeKitForm, KitForm::kKitFormHeight},
};

uint32_t CLAP_ABI factoryCount(const clap_plugin_factory_t*) { return pluginKindCount(); }

const clap_plugin_descriptor_t* CLAP_ABI factoryDescriptor(const clap_plugin_factory_t*, uint32_t index) {
    const PluginKind* kind = pluginKindAt(index);
    return kind ? kind->descriptor : nullptr;
}

const clap_plugin_t* CLAP_ABI factoryCreate(const clap_plugin_factory_t*, const clap_host_t* host,
                                            const char* id) {
    const PluginKind* kind = findPluginKind(id);
    return kind ? ClapPlugin::create(*kind, host) : nullptr;
}

const clap_plugin_factory_t kFactory = {factoryCount, factoryDescriptor, factoryCreate};

}  // namespace

uint32_t pluginKindCount() { return uint32_t(std::size(kKinds)); }

const PluginKind* pluginKindAt(uint32_t index) { return index < pluginKindCount() ? &kKinds[index] : nullptr; }

const PluginKind* findPluginKind(const char* id) {
    if (!id) return nullptr;
    for (const PluginKind& kind : kKinds)
        if (std::strcmp(kind.descriptor->id, id) == 0) return &kind;
    return nullptr;
}

const clap_plugin_factory_t* pluginFactory() { return &kFactory; }

}  // namespace tamrik::clap
