// Loading on Linux: dlopen and dlsym, and where a tool looks for the library
// by default (beside its executable, found through /proc/self/exe). Windows
// has WindowsLibrary.cpp beside this one.
#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "hosting/PluginLibrary.h"

namespace tamrik::hosting {

namespace fs = std::filesystem;

namespace {

class DlopenLibrary final : public PluginLibrary {
public:
    DlopenLibrary(const std::string& path, void* handle) : PluginLibrary(path), handle_(handle) {}
    ~DlopenLibrary() override { dlclose(handle_); }
    void* symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::open(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw LoadError(path + ": expected a plug-in library, but there is no such file");
    // RTLD_LOCAL: several plug-ins' symbols must never meet.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw LoadError(path + ": expected a loadable library (" + dlerror() + ")");
    return std::make_unique<DlopenLibrary>(path, handle);
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

}  // namespace tamrik::hosting
