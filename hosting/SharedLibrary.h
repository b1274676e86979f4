// A shared library loaded the way a host loads a plug-in's, whatever its
// format: open by path, exported symbols by name. The loading itself is the
// platform's (one file per platform: DlopenLibrary.cpp, WindowsLibrary.cpp).
// The library stays loaded until this object goes, which must be after
// everything made from its code has gone.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace tamrik::hosting {

// What went wrong, as a sentence that names the file.
class LoadError : public std::runtime_error {
public:
    explicit LoadError(const std::string& message) : std::runtime_error(message) {}
};

class SharedLibrary {
public:
    // Throws LoadError when there is no such file or it does not load.
    static std::unique_ptr<SharedLibrary> open(const std::string& path);
    virtual ~SharedLibrary() = default;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // An exported symbol by name; nil when the library has none.
    virtual void* symbol(const char* name) const = 0;
    const std::string& path() const { return path_; }

    // The running program's folder, empty when the platform does not say.
    static std::string executableFolder();
    // How the platform's library files end: ".so", ".dll".
    static const char* fileSuffix();

protected:
    explicit SharedLibrary(std::string path) : path_(std::move(path)) {}

private:
    std::string path_;
};

}  // namespace tamrik::hosting
