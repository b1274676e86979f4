// Loading on Linux: dlopen and dlsym, and the running program's folder
// (through /proc/self/exe). Windows has WindowsLibrary.cpp beside this one.
#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "hosting/SharedLibrary.h"

namespace tamrik::hosting {

namespace fs = std::filesystem;

namespace {

class DlopenLibrary final : public SharedLibrary {
public:
    DlopenLibrary(const std::string& path, void* handle) : SharedLibrary(path), handle_(handle) {}
    ~DlopenLibrary() override { dlclose(handle_); }
    void* symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw LoadError(path + ": expected a plug-in library, but there is no such file");
    // RTLD_LOCAL: several plug-ins' symbols must never meet.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw LoadError(path + ": expected a loadable library (" + dlerror() + ")");
    return std::make_unique<DlopenLibrary>(path, handle);
}

std::string SharedLibrary::executableFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

const char* SharedLibrary::fileSuffix() { return ".so"; }

}  // namespace tamrik::hosting
