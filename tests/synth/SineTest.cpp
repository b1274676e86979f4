// The wave tables' own sine against the C library's, for every argument the
// tables use: the same float, so the tables (and the sound) are exactly what
// they were when a library sine made them.
#include <gtest/gtest.h>

#include <cmath>

#include "synth/Sine.h"

namespace tamrik {
namespace {

TEST(TableSine, GivesTheLibrarySineOfEveryTableArgumentToTheFloat) {
    const long double pi = 3.141592653589793238462643383279502884L;
    int differentLongDoubles = 0;
    for (int j = 0; j < 1024; ++j) {
        for (const long double x : {static_cast<long double>(j) * pi / 2048.0L,
                                    static_cast<long double>(j - 1024) * pi / 2048.0L}) {
            const long double ours = tableSine(x), library = std::sin(x);
            ASSERT_EQ(static_cast<float>(ours), static_cast<float>(library)) << "x = " << double(x);
            ASSERT_LE(std::fabs(ours - library), 0x1p-62L) << "x = " << double(x);
            differentLongDoubles += ours != library;
        }
    }
    // Not a bit-for-bit copy of the library in long double, only to the float.
    RecordProperty("long doubles that differ", differentLongDoubles);
}

TEST(TableSine, IsOddAndExactAtZero) {
    EXPECT_EQ(tableSine(0.0L), 0.0L);
    for (const long double x : {0.1L, 0.7L, 1.5L}) EXPECT_EQ(tableSine(-x), -tableSine(x));
    EXPECT_NEAR(double(tableSine(1.5707963267948966192L)), 1.0, 1e-18);
}

}  // namespace
}  // namespace tamrik
