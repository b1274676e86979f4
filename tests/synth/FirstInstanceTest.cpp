// The noise of the first instance in a process is always the same stretch.
#include <gtest/gtest.h>

#include "synth/DrumTamrikInstrument.h"
#include "synth/WaveTables.h"

using namespace tamrik;

TEST(FirstInstance, NoiseStartsWithTheFixedSequence) {
    DrumTamrikInstrument synth;
    const float expected[16] = {-1, -1, 0, -1, -1, 0, -1, -1, -1, -1, -1, -1, -1, 0, -1, -1};
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(WaveTables::at(4, 0, i), expected[i]) << i;
    // A second construction draws on: the noise changes, the other waves do not.
    float before[64], sine[64];
    for (int32_t i = 0; i < 64; ++i) {
        before[i] = WaveTables::at(4, 1, i);
        sine[i] = WaveTables::at(0, 2, i);
    }
    DrumTamrikInstrument second;
    int differing = 0;
    for (int32_t i = 0; i < 64; ++i) {
        differing += WaveTables::at(4, 1, i) != before[i];
        EXPECT_EQ(WaveTables::at(0, 2, i), sine[i]);
    }
    EXPECT_GT(differing, 0);
}
