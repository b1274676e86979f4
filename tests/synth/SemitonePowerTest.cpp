// The sweeps' own power against the C library's pow. The library's double is
// not always correctly rounded (ours is: checked against 60-digit decimals
// while writing it), so the two may differ in the last bit; what the sound
// keeps, the single-precision sweep rate, must come out the same for every
// Scale a dense grid in and around 0..1 gives and for sweep lengths from one
// sample to two seconds at 176400 Hz.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "synth/SemitonePower.h"

namespace tamrik {
namespace {

constexpr double kSemitone = 1.059463094359;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

float rate(double power, int32_t length) { return static_cast<float>((power - 1.0) / length); }

TEST(SemitonePower, GivesTheLibrarysSweepRatesOnADenseGridOfScales) {
    int32_t lastBitDifferences = 0;
    for (int32_t i = -(1 << 17); i <= (1 << 19); ++i) {
        const double exponent = static_cast<double>(static_cast<float>(i) / (1 << 17)) * 80.0;
        const double ours = semitonePower(exponent), library = std::pow(kSemitone, exponent);
        if (ours != library) {
            ++lastBitDifferences;
            ASSERT_TRUE(ours == std::nextafter(library, 0.0) || ours == std::nextafter(library, kInfinity))
                << "exponent " << exponent << ": " << ours << " against " << library;
        }
        for (const int32_t length : {1, 2, 4411, 44101, 352801})
            ASSERT_EQ(rate(ours, length), rate(library, length)) << "exponent " << exponent;
    }
    RecordProperty("doubles one bit apart", lastBitDifferences);
}

TEST(SemitonePower, EndsLikeTheLibrary) {
    EXPECT_EQ(semitonePower(0.0), 1.0);
    EXPECT_EQ(semitonePower(80.0), std::pow(kSemitone, 80.0));
    EXPECT_EQ(semitonePower(1e6), kInfinity);
    EXPECT_EQ(semitonePower(-1e6), 0.0);
    EXPECT_NEAR(semitonePower(-12500.0), std::pow(kSemitone, -12500.0), 1e-320);  // subnormal
}

}  // namespace
}  // namespace tamrik
