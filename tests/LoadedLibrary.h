// A library loaded once per process, by path, and never unloaded: a test
// may still hold an instance or a panel of it while the process ends. Every
// test host asks here, so one program loads each library once, whichever
// hosts it links. A library that does not load ends the program with the
// reason. Library: hosting::SharedLibrary, or hosting::Vst2Library for the
// VST 2 entry.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "hosting/SharedLibrary.h"

namespace tamrik::test {

template <class Library>
const Library& LoadedLibrary(const std::string& path) {
    static std::mutex mutex;
    static auto* libraries = new std::map<std::string, const Library*>;
    const std::lock_guard<std::mutex> lock(mutex);
    const Library*& library = (*libraries)[path];
    if (!library) {
        try {
            library = Library::open(path).release();
        } catch (const hosting::LoadError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            std::abort();
        }
    }
    return *library;
}

}  // namespace tamrik::test
