// A VST 2 plug-in library: the entry ("VSTPluginMain", else "main") found in
// a loaded shared library, and the instances it makes, checked to be plug-in
// records. The library stays loaded until this object goes, which must be
// after every instance it made has been closed.
#pragma once

#include <memory>
#include <string>

#include "hosting/SharedLibrary.h"
#include "vst/AEffect.h"

namespace tamrik::hosting {

using PluginEntry = vst::AEffect*(VST_CDECL*)(vst::audioMasterCallback);

class Vst2Library {
public:
    // Throws LoadError when there is no such file or it does not load.
    static std::unique_ptr<Vst2Library> open(const std::string& path);
    explicit Vst2Library(std::unique_ptr<SharedLibrary> library) : library_(std::move(library)) {}

    // The entry: "VSTPluginMain", else "main"; throws LoadError without either.
    PluginEntry entry() const;
    // A new instance from the entry, checked to be a plug-in record; throws
    // LoadError when the entry answers nil or something else.
    vst::AEffect* instantiate(vst::audioMasterCallback host) const;
    const SharedLibrary& library() const { return *library_; }
    const std::string& path() const { return library_->path(); }

    // The library a tool uses unless told otherwise: beside the executable,
    // then installed beside it, then the one this build tree made.
    static std::string findDefault();

private:
    std::unique_ptr<SharedLibrary> library_;
};

}  // namespace tamrik::hosting
