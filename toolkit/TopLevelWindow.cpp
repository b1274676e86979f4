// Screenshots as files: BMP everywhere, PNG where libpng is built. The
// window itself is the platform's: TopLevelWindowX11.cpp, TopLevelWindowWin32.cpp.
#include "toolkit/TopLevelWindow.h"

namespace tamrik::tk {

bool SaveImageFile(const PixelBuffer& pixels, const std::string& path) {
    const bool bmp = path.size() >= 4 && path.compare(path.size() - 4, 4, ".bmp") == 0;
#if defined(_WIN32)
    return bmp && pixels.SaveBmp(path);
#else
    return bmp ? pixels.SaveBmp(path) : pixels.SavePng(path);
#endif
}

}  // namespace tamrik::tk
