// The VST 2 half of loading: the entry's names, the checks on what it
// answers, and where a tool finds the plug-in by default.
#include "hosting/Vst2Library.h"

#include <filesystem>
#include <system_error>

namespace tamrik::hosting {

namespace fs = std::filesystem;

std::unique_ptr<Vst2Library> Vst2Library::open(const std::string& path) {
    return std::make_unique<Vst2Library>(SharedLibrary::open(path));
}

PluginEntry Vst2Library::entry() const {
    void* found = library_->symbol("VSTPluginMain");
    if (!found) found = library_->symbol("main");
    if (!found)
        throw LoadError(path() + ": expected a VST 2 entry 'VSTPluginMain' or 'main', found neither");
    return reinterpret_cast<PluginEntry>(found);
}

vst::AEffect* Vst2Library::instantiate(vst::audioMasterCallback host) const {
    vst::AEffect* effect = entry()(host);
    if (effect == nullptr) throw LoadError(path() + ": the plug-in's entry answered nil");
    if (effect->magic != vst::kEffectMagic)
        throw LoadError(path() + ": expected a VST 2 plug-in record from the entry");
    return effect;
}

std::string Vst2Library::findDefault() {
    const std::string folder = SharedLibrary::executableFolder();
    if (!folder.empty()) {
        const fs::path here(folder);
        const std::string name = std::string("DrumTamrik") + SharedLibrary::fileSuffix();
        std::error_code error;
        for (const fs::path& candidate : {here / name, here / ".." / "lib" / "vst" / name})
            if (fs::is_regular_file(candidate, error)) return candidate.lexically_normal().string();
    }
    return TAMRIK_BUILT_PLUGIN;
}

}  // namespace tamrik::hosting
