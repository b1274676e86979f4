// A plug-in library whose entry answers nil, as one does when it refuses the
// host; the renderer must report it and write nothing.
#include "vst/AEffect.h"

extern "C" __attribute__((visibility("default"))) vst::AEffect* VSTPluginMain(vst::audioMasterCallback) {
    return nullptr;
}
