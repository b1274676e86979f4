// GDI is only touched while the face is opened: each glyph of the 8-bit
// range is drawn white on black into a small DIB and its grey level kept as
// coverage, so painting needs no device context and no GDI object outlives
// the call. The system's face lookup on Windows.
#include "toolkit/GdiFace.h"

#include <windows.h>

#include <algorithm>

namespace tamrik::tk {
namespace {

// Owns one GDI object for the span of a call.
struct GdiObject {
    HGDIOBJ handle;
    ~GdiObject() {
        if (handle) DeleteObject(handle);
    }
};

}  // namespace

std::unique_ptr<GdiFace> GdiFace::Open(const std::string& family, int pixelHeight) {
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    // A negative height asks for the character (em) height.
    const GdiObject font{CreateFontA(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                     OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                     DEFAULT_PITCH | FF_ROMAN, family.c_str())};
    TEXTMETRICA metrics{};
    const HGDIOBJ oldFont = font.handle ? SelectObject(dc, font.handle) : nullptr;
    if (!oldFont || !GetTextMetricsA(dc, &metrics)) {
        if (oldFont) SelectObject(dc, oldFont);
        DeleteDC(dc);
        return nullptr;
    }
    std::unique_ptr<GdiFace> face(new GdiFace());
    face->ascent_ = int(metrics.tmAscent);
    face->lineHeight_ = int(metrics.tmHeight);
    // Room for overhangs on both sides of the advance.
    const int margin = std::max(2, pixelHeight / 2);
    const int cellWidth = int(metrics.tmMaxCharWidth) + 2 * margin;
    const int cellHeight = int(metrics.tmHeight);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cellWidth;
    info.bmiHeader.biHeight = -cellHeight;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const GdiObject cell{CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (!cell.handle || !bits) {
        SelectObject(dc, oldFont);
        DeleteDC(dc);
        return nullptr;
    }
    const HGDIOBJ oldBitmap = SelectObject(dc, cell.handle);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (unsigned code = 32; code < 256; ++code) {
        const char c = char(code);
        SIZE extent{};
        if (!GetTextExtentPoint32A(dc, &c, 1, &extent)) continue;
        std::fill_n(static_cast<uint32_t*>(bits), size_t(cellWidth) * size_t(cellHeight), 0u);
        GdiFlush();
        TextOutA(dc, margin, 0, &c, 1);
        GdiFlush();
        // The inked box of the cell.
        int x0 = cellWidth, x1 = -1, y0 = cellHeight, y1 = -1;
        for (int y = 0; y < cellHeight; ++y)
            for (int x = 0; x < cellWidth; ++x)
                if (pixels[size_t(y) * size_t(cellWidth) + size_t(x)] & 0xFF) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        Glyph& g = face->glyphs_[code];
        g.advance = int(extent.cx);
        if (x1 < 0) continue;
        g.left = x0 - margin;
        g.top = face->ascent_ - y0;
        g.width = x1 - x0 + 1;
        g.height = y1 - y0 + 1;
        g.coverage.resize(size_t(g.width) * size_t(g.height));
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                // Grey text on black: any channel is the coverage.
                const uint32_t p = pixels[size_t(y0 + y) * size_t(cellWidth) + size_t(x0 + x)];
                g.coverage[size_t(y) * size_t(g.width) + size_t(x)] = uint8_t(p >> 8);
            }
    }
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return face;
}

std::unique_ptr<FontFace> OpenSystemFontFace(const std::string& family, int pixelHeight) {
    if (auto face = GdiFace::Open(family, pixelHeight)) return face;
    return OpenBuiltInFontFace(Scale(pixelHeight * 100 / 12));
}

}  // namespace tamrik::tk
