// Glyphs are five rows of three bits, one octal digit per row, top row first
// and the leftmost pixel in the highest bit. Characters outside printable
// ASCII draw as a hollow box.
#include "toolkit/FallbackFace.h"

#include <algorithm>
#include <array>

namespace tamrik::tk {
namespace {


constexpr std::array<const char*, 95> kGlyphs = {
    "00000", "22202", "55000", "57575", "36363", "51245", "25257", "22000", "24442", "42224",
    "05250", "02720", "00024", "00700", "00002", "11244", "75557", "26227", "71747", "71717",
    "55711", "74717", "74757", "71111", "75757", "75717", "02020", "02024", "12421", "07070",
    "42124", "71202", "75647", "25755", "65656", "34443", "65556", "74647", "74644", "34553",
    "55755", "72227", "11152", "55655", "44447", "57755", "65555", "25552", "65644", "25563",
    "65655", "34216", "72222", "55557", "55552", "55775", "55255", "55222", "71247", "64446",
    "44211", "62226", "25000", "00007", "42000", "03553", "46556", "03443", "13553", "03743",
    "12722", "35316", "44655", "20222", "10116", "45655", "62227", "00775", "00655", "00252",
    "06564", "03531", "00644", "03216", "27223", "00557", "00552", "00577", "00525", "05316",
    "07247", "32623", "22222", "62326", "03600"};

constexpr const char* kMissingGlyph = "75557";

}  // namespace

int FallbackFace::TextWidth(std::string_view text) const { return int(text.size()) * 4 * size_; }

int FallbackFace::LineHeight() const { return 6 * size_; }

void FallbackFace::Draw(PixelBuffer& target, const TRect& clip, int x, int y,
                        std::string_view text, TColor color) const {
    const TRect area = clip.Intersect(target.Bounds());
    for (unsigned char c : text) {
        const char* rows = (c >= 32 && c < 127) ? kGlyphs[c - 32] : kMissingGlyph;
        for (int row = 0; row < 5; ++row) {
            const int bits = rows[row] - '0';
            for (int col = 0; col < 3; ++col) {
                if (!(bits & (4 >> col))) continue;
                for (int sy = 0; sy < size_; ++sy)
                    for (int sx = 0; sx < size_; ++sx) {
                        const TPoint p{x + col * size_ + sx, y + size_ / 2 + row * size_ + sy};
                        if (area.Contains(p)) target.Set(p.x, p.y, color);
                    }
            }
        }
        x += 4 * size_;
    }
}

}  // namespace tamrik::tk

namespace tamrik::tk {

std::unique_ptr<FontFace> OpenBuiltInFontFace(Scale scale) {
    return std::make_unique<FallbackFace>(std::max(1, 2 * scale.Percent() / 100));
}

}  // namespace tamrik::tk
