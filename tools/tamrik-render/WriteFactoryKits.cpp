// tamrik-write-kits DIR: every factory kit as DIR/<name>.tamrikkit, for the
// build to install. Writes nothing it has not checked reads back the same.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "kit/FactoryKits.h"
#include "kit/KitFile.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using namespace tamrik::kit;
    if (argc != 2) {
        std::fprintf(stderr, "usage: tamrik-write-kits DIR\n");
        return 2;
    }
    std::error_code error;
    fs::create_directories(argv[1], error);
    for (int32_t k = 0; k < kFactoryKitCount; ++k) {
        const KitSnapshot kit = factoryKitSnapshot(k);
        const std::string text = KitFile::write(kit);
        if (KitFile::parse(text, kit).values != kit.values) {
            std::fprintf(stderr, "tamrik-write-kits: %s does not read back\n", kit.name.c_str());
            return 2;
        }
        const fs::path path = fs::path(argv[1]) / (kit.name + ".tamrikkit");
        std::ofstream out(path, std::ios::binary);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "tamrik-write-kits: cannot write %s\n", path.c_str());
            return 2;
        }
    }
    return 0;
}
