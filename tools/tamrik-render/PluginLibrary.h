// A VST 2 plug-in library loaded the way a Linux host loads one: dlopen, then
// the entry "VSTPluginMain", else "main". Each call of the entry makes one new
// instance; the library stays loaded until this object goes, which must be
// after every instance it made has been closed.
#pragma once

#include <string>

#include "vst/AEffect.h"

namespace tamrik::render {

class PluginLibrary {
public:
    // Throws ToolError naming the file and what was wrong with it.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // A new instance, checked to be a plug-in record; throws ToolError when the
    // entry answers nil or something else.
    vst::AEffect* instantiate(vst::audioMasterCallback host) const;
    const std::string& path() const { return path_; }

    // The default library: beside the executable, then installed in ../lib/vst
    // beside it, then in the build tree the renderer was built in.
    static std::string findDefault();

private:
    using Entry = vst::AEffect* (*)(vst::audioMasterCallback);
    std::string path_;
    void* handle = nullptr;
    Entry entry = nullptr;
};

}  // namespace tamrik::render
