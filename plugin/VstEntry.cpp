// The library's entry point, the same for every product: a host finds
// VSTPluginMain (older hosts: main), calls it once per instance with its
// callback and keeps the record it gets: the VST 2 binding around a new
// instrument of the product this library is built for (TAMRIK_PRODUCT, the
// name of its row in binding/Products.h), with the product's panel.
//
// Floating point: hosts run their threads with whatever settings they like
// (flush-to-zero on audio threads is common; Windows starts threads with the
// x87 at 53-bit precision). Every entry of the instrument that computes sound
// values does so under FloatingPointGuard, which sets the settings the sound
// is defined with and gives the host's back on return.
#include <memory>
#include <new>

#include "binding/Products.h"
#include "vst/AVstXSynth.h"
#include "vst/GrEditor.h"

namespace {

vst::AEffect* createInstance(vst::audioMasterCallback audioMaster) {
    if (!audioMaster) return nullptr;
    if (audioMaster(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        auto* synth = new tamrik::AVstXSynth(
            audioMaster, tamrik::binding::makeInstrument(tamrik::binding::TAMRIK_PRODUCT()), &tamrik::createGrEditor);
        return synth->getAeffect();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

#if defined(_WIN32)
// The library's .def file exports this under both names.
extern "C" vst::AEffect* VST_CDECL VSTPluginMain(vst::audioMasterCallback audioMaster) {
    return createInstance(audioMaster);
}
#else
extern "C" {

__attribute__((visibility("default"))) vst::AEffect* VSTPluginMain(
    vst::audioMasterCallback audioMaster) {
    return createInstance(audioMaster);
}

// The same entry under the name older hosts look up. A C++ function cannot be
// called main with this signature, so the name is given to the assembler.
__attribute__((visibility("default"))) vst::AEffect* legacyMain(
    vst::audioMasterCallback audioMaster) __asm__("main");

vst::AEffect* legacyMain(vst::audioMasterCallback audioMaster) {
    return createInstance(audioMaster);
}

}  // extern "C"
#endif
