// Loading on Windows: LoadLibrary and GetProcAddress, and where a tool looks
// for the library by default (beside its executable).
#include <windows.h>

#include <filesystem>
#include <system_error>

#include "hosting/PluginLibrary.h"

namespace tamrik::hosting {

namespace fs = std::filesystem;

namespace {

class WindowsLibrary final : public PluginLibrary {
public:
    WindowsLibrary(const std::string& path, HMODULE module) : PluginLibrary(path), module_(module) {}
    ~WindowsLibrary() override { FreeLibrary(module_); }
    void* symbol(const char* name) const override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::open(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw LoadError(path + ": expected a plug-in library, but there is no such file");
    // No error boxes: a host that cannot load a DLL reports it itself.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const HMODULE module = LoadLibraryA(path.c_str());
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (module == nullptr)
        throw LoadError(path + ": expected a loadable library (error " + std::to_string(code) + ")");
    return std::make_unique<WindowsLibrary>(path, module);
}

std::string PluginLibrary::findDefault() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::error_code error;
        const fs::path candidate = fs::path(self).parent_path() / "DrumTamrik.dll";
        if (fs::is_regular_file(candidate, error)) return candidate.string();
    }
    return TAMRIK_BUILT_PLUGIN;
}

}  // namespace tamrik::hosting
