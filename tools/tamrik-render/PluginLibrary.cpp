// Loading and entry lookup. The build-tree path comes in as a compile
// definition so that a freshly built renderer finds the freshly built plug-in.
#include "PluginLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "ToolError.h"

namespace tamrik::render {

namespace fs = std::filesystem;

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw ToolError(path + ": expected a plug-in library, but there is no such file");
    // RTLD_LOCAL: several plug-ins' symbols must never meet.
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw ToolError(path + ": expected a loadable library (" + dlerror() + ")");
    entry = reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain"));
    if (entry == nullptr) entry = reinterpret_cast<Entry>(dlsym(handle, "main"));
    if (entry == nullptr) {
        dlclose(handle);
        throw ToolError(path + ": expected a VST 2 entry 'VSTPluginMain' or 'main', found neither");
    }
}

PluginLibrary::~PluginLibrary() { dlclose(handle); }

vst::AEffect* PluginLibrary::instantiate(vst::audioMasterCallback host) const {
    vst::AEffect* effect = entry(host);
    if (effect == nullptr) throw ToolError(path_ + ": the plug-in's entry answered nil");
    if (effect->magic != vst::kEffectMagic)
        throw ToolError(path_ + ": expected a VST 2 plug-in record from the entry");
    if (effect->processReplacing == nullptr) {
        effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
        throw ToolError(path_ + ": expected a plug-in that can process replacing");
    }
    return effect;
}

std::string PluginLibrary::findDefault() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path here = self.parent_path();
        for (const fs::path& candidate :
             {here / "DrumTamrik.so", here / ".." / "lib" / "vst" / "DrumTamrik.so"})
            if (fs::is_regular_file(candidate, error)) return candidate.lexically_normal();
    }
    return TAMRIK_BUILT_PLUGIN;
}

}  // namespace tamrik::render
