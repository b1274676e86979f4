// The instruction-set paths a test plays on: every path must give the same
// bits. Engines made in a test take their path in their constructor; the
// built plug-in libraries take it from TAMRIK_ISA when an instance is made,
// which LibraryPath sets while it lives.
#pragma once

#include <cstdlib>
#include <vector>

#include "synth/InstructionSet.h"

namespace tamrik::test {

// Every path this CPU runs, scalar first.
inline std::vector<InstructionSet> runnablePaths() {
    std::vector<InstructionSet> paths;
    for (int i = 0; i <= static_cast<int>(bestInstructionSet()); ++i)
        paths.push_back(static_cast<InstructionSet>(i));
    return paths;
}

// Instances of the built libraries made while one of these lives take `path`.
class LibraryPath {
public:
#if defined(_WIN32)
    // The DLL reads the same C runtime environment (msvcrt's) as this program.
    explicit LibraryPath(InstructionSet path) { _putenv_s("TAMRIK_ISA", nameOf(path)); }
    ~LibraryPath() { _putenv_s("TAMRIK_ISA", ""); }
#else
    explicit LibraryPath(InstructionSet path) { setenv("TAMRIK_ISA", nameOf(path), 1); }
    ~LibraryPath() { unsetenv("TAMRIK_ISA"); }
#endif
    LibraryPath(const LibraryPath&) = delete;
    LibraryPath& operator=(const LibraryPath&) = delete;
};

}  // namespace tamrik::test
