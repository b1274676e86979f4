// A plug-in library loaded the way a host loads one, and the instances its
// entry makes. The loading itself is the platform's (one file per platform:
// DlopenLibrary.cpp, WindowsLibrary.cpp); finding the entry ("VSTPluginMain",
// else "main") and checking what it answers is shared. The library stays loaded until this
// object goes, which must be after every instance it made has been closed.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "vst/AEffect.h"

namespace tamrik::hosting {

using PluginEntry = vst::AEffect*(VST_CDECL*)(vst::audioMasterCallback);

// What went wrong, as a sentence that names the file.
class LoadError : public std::runtime_error {
public:
    explicit LoadError(const std::string& message) : std::runtime_error(message) {}
};

class PluginLibrary {
public:
    // Throws LoadError when there is no such file or it does not load.
    static std::unique_ptr<PluginLibrary> open(const std::string& path);
    virtual ~PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // An exported function by name; nil when the library has none.
    virtual void* symbol(const char* name) const = 0;

    // The entry: "VSTPluginMain", else "main"; throws LoadError without either.
    PluginEntry entry() const;
    // A new instance from the entry, checked to be a plug-in record; throws
    // LoadError when the entry answers nil or something else.
    vst::AEffect* instantiate(vst::audioMasterCallback host) const;
    const std::string& path() const { return path_; }

    // The library a tool uses unless told otherwise: beside the executable,
    // then installed beside it, then the one this build tree made.
    static std::string findDefault();

protected:
    explicit PluginLibrary(std::string path) : path_(std::move(path)) {}

private:
    std::string path_;
};

}  // namespace tamrik::hosting
