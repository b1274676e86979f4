// Loading on Windows: LoadLibrary and GetProcAddress, and the running
// program's folder.
#include <windows.h>

#include <filesystem>
#include <system_error>

#include "hosting/SharedLibrary.h"

namespace tamrik::hosting {

namespace fs = std::filesystem;

namespace {

class WindowsLibrary final : public SharedLibrary {
public:
    WindowsLibrary(const std::string& path, HMODULE module) : SharedLibrary(path), module_(module) {}
    ~WindowsLibrary() override { FreeLibrary(module_); }
    void* symbol(const char* name) const override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

}  // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path) {
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

std::string SharedLibrary::executableFolder() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return fs::path(self).parent_path().string();
}

const char* SharedLibrary::fileSuffix() { return ".dll"; }

}  // namespace tamrik::hosting
