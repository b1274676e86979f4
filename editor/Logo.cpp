// A dark gradient, a snare drum with two crossed sticks and the name in a
// large serif face. The font comes from the form's backend, as the form's
// own does, so where "Times New Roman" is missing its substitute (or the
// built-in face) draws the name.
#include "editor/Logo.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>

#include "toolkit/Canvas.h"
#include "toolkit/FontFace.h"

namespace tamrik {

using namespace tk;

namespace {

TColor Mix(TColor a, TColor b, double t) {
    auto channel = [&](int shift) {
        const double x = double((a >> shift) & 0xFF) * (1 - t) + double((b >> shift) & 0xFF) * t;
        return TColor(std::clamp(int(x + 0.5), 0, 255)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

void CenteredText(TCanvas& canvas, int centreX, int top, std::string_view text) {
    canvas.TextAt(centreX - canvas.TextWidth(text) / 2, top, text);
}

PixelBuffer Draw(const Backend& fonts, Scale scale) {
    const TColor top = RgbColor(0x1E, 0x2A, 0x3A), bottom = RgbColor(0x06, 0x0A, 0x12);
    PixelBuffer logo(scale.Dev(kLogoWidth), scale.Dev(kLogoHeight));
    for (int y = 0; y < logo.Height(); ++y)
        for (int x = 0; x < logo.Width(); ++x) logo.Set(x, y, Mix(top, bottom, double(y) / (logo.Height() - 1)));

    const auto small = fonts.OpenFont("Times New Roman", 12, scale);
    TCanvas canvas(logo, {0, 0}, logo.Bounds(), *small, scale);
    // The shell: a red band between the bottom rim and the head.
    canvas.Pen.Color = RgbColor(0xC8, 0x9B, 0x3C);
    canvas.Brush.Color = RgbColor(0x8A, 0x2E, 0x22);
    canvas.Ellipse(8, 44, 64, 64);
    canvas.Pen.Clear = true;
    canvas.Rectangle(8, 30, 64, 55);
    canvas.Pen.Clear = false;
    for (int x : {8, 63}) {
        canvas.MoveTo(x, 30);
        canvas.LineTo(x, 55);
    }
    canvas.Pen.Color = RgbColor(0xB0, 0x84, 0x30);
    for (int x : {18, 30, 42, 54}) {  // tension rods
        canvas.MoveTo(x, 38);
        canvas.LineTo(x, 58 - (x == 18 || x == 54 ? 2 : 0));
    }
    // The head, seen at a slant.
    canvas.Pen.Color = RgbColor(0xC8, 0x9B, 0x3C);
    canvas.Brush.Color = RgbColor(0xEC, 0xE4, 0xD2);
    canvas.Ellipse(8, 20, 64, 42);
    // Two sticks crossing above it.
    canvas.Pen.Color = RgbColor(0xD8, 0xB8, 0x80);
    for (int d = 0; d < 3; ++d) {
        canvas.MoveTo(12 + d, 4);
        canvas.LineTo(42 + d, 28);
        canvas.MoveTo(60 - d, 4);
        canvas.LineTo(30 - d, 28);
    }

    const auto large = fonts.OpenFont("Times New Roman", 26, scale);
    const int textCentre = 70 + (kLogoWidth - 70) / 2;
    TCanvas big(logo, {0, 0}, logo.Bounds(), *large, scale);
    const int lineTop = (kLogoHeight - big.TextHeight() * 2 - canvas.TextHeight()) / 2;
    big.FontColor = RgbColor(0xF2, 0xD4, 0x8A);
    CenteredText(big, textCentre, lineTop, "Drum");
    CenteredText(big, textCentre, lineTop + big.TextHeight(), "Tamrik");
    canvas.FontColor = RgbColor(0x9A, 0xA8, 0xBC);
    CenteredText(canvas, textCentre, lineTop + big.TextHeight() * 2, "drum synthesizer");
    return logo;
}

}  // namespace

// Drawn once per process and scale: the font lookups are what an open of
// the editor would otherwise spend most of its time on. Editors of several
// instances may open on different host threads.
PixelBuffer DrawLogo(const Backend& fonts, Scale scale) {
    static std::mutex mutex;
    static std::map<int, PixelBuffer> drawn;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = drawn.find(scale.Percent());
    if (it == drawn.end()) it = drawn.emplace(scale.Percent(), Draw(fonts, scale)).first;
    return it->second;
}

}  // namespace tamrik
