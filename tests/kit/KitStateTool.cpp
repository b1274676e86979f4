// tamrik-kit-state: the Kit's state bytes for the Ardour tests, which can
// neither name a pad (no parameter carries a name) nor read a saved chunk.
//   tamrik-kit-state make PAD NAME [INDEX VALUE]...
//       Init with pad PAD (1-16) named NAME and those values, to stdout
//   tamrik-kit-state show
//       a state from stdin: each pad name and value that differs from Init
//       ("name 2 Snare", "value 34 0.2500"); fails on a bad state
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "kit/KitInstrument.h"

using tamrik::kit::KitInstrument;

namespace {

int make(int pad, const char* name, char** values, int count) {
    if (pad < 1 || pad > tamrik::kit::kPads || count % 2) return 2;
    KitInstrument kit;
    kit.setPadName(pad - 1, name);
    for (int k = 0; k < count; k += 2) {
        const int index = std::atoi(values[k]);
        if (!tamrik::kit::isKitParameter(index)) return 2;
        kit.setParameter(index, std::strtof(values[k + 1], nullptr));
    }
    const std::vector<uint8_t> bytes = kit.saveState();
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() ? 0 : 1;
}

int show() {
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(std::cin), {});
    KitInstrument init, kit;
    if (!kit.loadState(bytes.data(), bytes.size())) {
        std::fprintf(stderr, "not a Kit state (%zu bytes)\n", bytes.size());
        return 1;
    }
    for (int32_t p = 0; p < tamrik::kit::kPads; ++p)
        if (kit.padName(p) != init.padName(p)) std::printf("name %d %s\n", p + 1, kit.padName(p).c_str());
    for (int32_t i = 0; i < kit.parameterCount(); ++i)
        if (kit.getParameter(i) != init.getParameter(i)) std::printf("value %d %.4f\n", i, kit.getParameter(i));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc >= 4) return make(std::atoi(argv[2]), argv[3], argv + 4, argc - 4);
    if (command == "show" && argc == 2) return show();
    std::fprintf(stderr, "usage: tamrik-kit-state make PAD NAME [INDEX VALUE]... | show\n");
    return 2;
}
