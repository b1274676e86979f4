// Fuzz target "preset_file": the user preset parser on any bytes. It must
// answer a preset or a reason, never crash or read outside the text; a
// preset it answers has a plain name and every value in 0..1, and writing it
// out and reading that back gives the very same preset.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "editor/PresetFile.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "preset_file: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tamrik;
    const PresetReading reading = parsePreset(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!reading.preset) {
        if (reading.error.empty()) fail("refused without a reason");
        return 0;
    }
    if (!reading.error.empty()) fail("a preset with an error");
    const PresetValues& preset = *reading.preset;
    if (preset.name.empty() || preset.name.size() > kPresetNameMax) fail("a name of the wrong length");
    for (char c : preset.name)
        if (c < 0x20 || c > 0x7E) fail("a name with a control character");
    for (float v : preset.values)
        if (!(v >= 0.0f && v <= 1.0f)) fail("a value outside 0..1");
    const PresetReading again = parsePreset(formatPreset(preset));
    if (!again.preset || !(*again.preset == preset)) fail("written and read back, the preset changed");
    return 0;
}
