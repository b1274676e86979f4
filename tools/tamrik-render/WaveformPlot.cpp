// The labels need only digits, a point and "s", so a 3 x 5 bitmap font drawn
// at twice its size does instead of a font library.
#include "WaveformPlot.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ToolError.h"

namespace tamrik::render {

namespace {

constexpr int kWidth = 1200;
constexpr int kLaneHeight = 160;
constexpr int kAxisHeight = 28;
constexpr int kGlyphScale = 2;

struct Colour {
    uint8_t r, g, b;
};
constexpr Colour kBackground{250, 250, 247};
constexpr Colour kLaneLine{200, 200, 200};
constexpr Colour kWave{32, 74, 135};
constexpr Colour kInk{40, 40, 40};

// Rows of three pixels, top first, the high bit of three leftmost.
std::array<uint8_t, 5> glyph(char c) {
    switch (c) {
        case '0': return {7, 5, 5, 5, 7};
        case '1': return {2, 6, 2, 2, 7};
        case '2': return {7, 1, 7, 4, 7};
        case '3': return {7, 1, 7, 1, 7};
        case '4': return {5, 5, 7, 1, 1};
        case '5': return {7, 4, 7, 1, 7};
        case '6': return {7, 4, 7, 5, 7};
        case '7': return {7, 1, 1, 1, 1};
        case '8': return {7, 5, 7, 5, 7};
        case '9': return {7, 5, 7, 1, 7};
        case '.': return {0, 0, 0, 0, 2};
        case 's': return {0, 3, 6, 1, 6};
        default: return {0, 0, 0, 0, 0};
    }
}

class Canvas {
public:
    Canvas(int width, int height)
        : w(width), h(height), pixels(static_cast<size_t>(width * height) * 3) {
        fill(0, 0, width, height, kBackground);
    }
    void fill(int x, int y, int width, int height, Colour c) {
        for (int row = std::max(y, 0); row < std::min(y + height, h); ++row)
            for (int col = std::max(x, 0); col < std::min(x + width, w); ++col) {
                uint8_t* p = &pixels[static_cast<size_t>(row * w + col) * 3];
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
            }
    }
    void text(int x, int y, const char* s, Colour c) {
        for (; *s != '\0'; ++s, x += 4 * kGlyphScale) {
            const std::array<uint8_t, 5> rows = glyph(*s);
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (rows[static_cast<size_t>(row)] & (4 >> col))
                        fill(x + col * kGlyphScale, y + row * kGlyphScale, kGlyphScale,
                             kGlyphScale, c);
        }
    }
    const uint8_t* data() const { return pixels.data(); }

private:
    int w, h;
    std::vector<uint8_t> pixels;
};

// A step of 1, 2 or 5 times a power of ten that leaves at least 80 pixels
// between labels.
double tickStep(double seconds) {
    const double minimum = seconds * 80.0 / kWidth;
    double step = 0.001;
    for (int i = 0; step < minimum; ++i) step *= (i % 3 == 1) ? 2.5 : 2.0;
    return step;
}

void drawLane(Canvas& canvas, const std::vector<float>& samples, int top) {
    const int middle = top + kLaneHeight / 2;
    const double halfHeight = kLaneHeight / 2 - 4;
    canvas.fill(0, middle, kWidth, 1, kLaneLine);
    canvas.fill(0, top + kLaneHeight - 1, kWidth, 1, kLaneLine);
    const size_t count = samples.size();
    if (count == 0) return;
    for (int x = 0; x < kWidth; ++x) {
        const size_t begin = count * static_cast<size_t>(x) / kWidth;
        const size_t end = std::max(begin + 1, count * static_cast<size_t>(x + 1) / kWidth);
        if (begin >= count) break;
        const auto [low, high] = std::minmax_element(samples.begin() + static_cast<long>(begin),
                                                     samples.begin() + static_cast<long>(end));
        const auto toY = [&](float s) {
            return middle - static_cast<int>(std::lround(std::clamp(s, -1.0f, 1.0f) * halfHeight));
        };
        const int yHigh = toY(*high);
        canvas.fill(x, yHigh, 1, toY(*low) - yHigh + 1, kWave);
    }
}

}  // namespace

void WaveformPlot::write(const std::string& path, const std::string& shownPath,
                         const StereoBuffer& audio) {
    const int height = 2 * kLaneHeight + kAxisHeight;
    Canvas canvas(kWidth, height);
    drawLane(canvas, audio.left, 0);
    drawLane(canvas, audio.right, kLaneHeight);

    const double seconds = audio.seconds();
    if (seconds > 0.0) {
        const double step = tickStep(seconds);
        for (int i = 0;; ++i) {
            const double t = i * step;
            const int x = static_cast<int>(std::lround(t / seconds * kWidth));
            if (x >= kWidth) break;
            canvas.fill(x, 2 * kLaneHeight, 1, 6, kInk);
            char label[32];
            std::snprintf(label, sizeof label, "%gs", t);
            canvas.text(x + 3, 2 * kLaneHeight + 9, label, kInk);
        }
    }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, canvas.data(), kWidth * 3, nullptr))
        throw ToolError(shownPath + ": cannot write the PNG file (" + image.message + ")");
}

}  // namespace tamrik::render
