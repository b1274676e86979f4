// drumtamrik-icon OUT.png: the program's icon, the drum of the panel's logo
// (its left square) at 128 x 128, drawn with the built-in face so that the
// same pixels come out on every machine.
#include <cstdio>

#include "editor/Logo.h"
#include "toolkit/OffscreenBackend.h"

int main(int argc, char** argv) {
    using namespace tamrik;
    if (argc != 2) {
        std::fprintf(stderr, "usage: drumtamrik-icon OUT.png\n");
        return 2;
    }
    const tk::OffscreenBackend fonts({0, 0}, tk::OffscreenBackend::Faces::BuiltIn);
    // 73 logical pixels at 175 % are 128 device pixels.
    const tk::Scale scale(175);
    const tk::PixelBuffer logo = DrawLogo(fonts, scale);
    const int side = scale.Dev(kLogoHeight);
    if (!logo.Crop({0, 0, side, side}).SavePng(argv[1])) {
        std::fprintf(stderr, "drumtamrik-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
