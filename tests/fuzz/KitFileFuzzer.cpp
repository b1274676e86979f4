// Fuzz target "kit_file": the kit file reader on any text. It must answer a
// kit or a KitFileError naming a line of the text, never crash or hang; a
// kit it answers must write back to text that reads as the same kit and
// writes the same text again.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kit/KitFile.h"

using tamrik::kit::KitFile;
using tamrik::kit::KitFileError;
using tamrik::kit::KitSnapshot;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "kit_file: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const KitSnapshot defaults;
    KitSnapshot kit;
    try {
        kit = KitFile::parse(text, defaults);
    } catch (const KitFileError& e) {
        const long lines = long(std::count(text.begin(), text.end(), '\n')) + 1;
        if (e.line() < 1 || e.line() > lines) fail("the error names a line the text does not have");
        return 0;
    }
    const std::string written = KitFile::write(kit);
    KitSnapshot again;
    try {
        again = KitFile::parse(written, defaults);
    } catch (const KitFileError&) {
        fail("our own text refused");
    }
    if (again.values != kit.values) fail("the values changed in a round trip");
    if (KitFile::write(again) != written) fail("write, read, write: different text");
    return 0;
}
