// The Kit's meters: a pad's level is the peak of what it adds to its pair,
// each written channel's the peak of that channel, on both ways the pads
// reach their pairs (through their own rows at a level and pan, or straight
// in at unity).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "kit/KitInstrument.h"
#include "synth/PeakMeter.h"

using namespace tamrik;
using namespace tamrik::kit;

namespace {

constexpr int32_t kMeters = kPads + kOutputChannels;

struct Block {
    std::array<std::vector<float>, kOutputChannels> channel;
    std::array<float*, kOutputChannels> pointers{};
    Block() {
        for (int32_t c = 0; c < kOutputChannels; ++c) {
            channel[size_t(c)].assign(64, 0.0f);
            pointers[size_t(c)] = channel[size_t(c)].data();
        }
    }
    void render(KitInstrument& kit) {
        for (auto& c : channel) std::fill(c.begin(), c.end(), 0.0f);
        kit.render(pointers.data(), 64);
    }
    float peak(int32_t c) const {
        float top = 0.0f;
        for (const float v : channel[size_t(c)]) top = std::max(top, std::fabs(v));
        return top;
    }
};

void note(KitInstrument& kit, int32_t key, int32_t frame = 0) {
    const uint8_t bytes[3] = {0x90, uint8_t(key), 100};
    kit.receiveMidi(bytes, 3, frame);
}

void setPad(KitInstrument& kit, int32_t pad, int32_t setting, float value) {
    kit.setParameter(padIndex(pad, kSoundParameters + setting), value);
}

std::array<float, kMeters> take(KitInstrument& kit) {
    std::array<float, kMeters> peaks{};
    EXPECT_TRUE(kit.meters()->take(peaks.data()));
    return peaks;
}

}  // namespace

TEST(KitPeaks, APadAtALevelAndPanMetersWhatItAddsToItsPair) {
    KitInstrument kit;
    ASSERT_EQ(kit.meters()->count(), kMeters);
    setPad(kit, 0, kOutput, valueOfStep(3, kAuxPairs));  // channels 6 and 7
    setPad(kit, 0, kLevel, 0.3f);
    setPad(kit, 0, kPan, 0.7f);
    Block block;
    block.render(kit);
    float none[kMeters];
    EXPECT_FALSE(kit.meters()->take(none)) << "nothing sounded";

    note(kit, 36, 9);
    float loudest = 0.0f;
    for (int32_t b = 0; kit.sounding(); ++b) {
        block.render(kit);
        const std::array<float, kMeters> peaks = take(kit);
        ASSERT_EQ(peaks[0], std::max(block.peak(6), block.peak(7))) << b;
        ASSERT_EQ(peaks[kPads + 6], block.peak(6)) << b;
        ASSERT_EQ(peaks[kPads + 7], block.peak(7)) << b;
        for (int32_t m = 0; m < kMeters; ++m) {
            if (m == 0 || m == kPads + 6 || m == kPads + 7) continue;
            ASSERT_EQ(peaks[size_t(m)], 0.0f) << m;
        }
        loudest = std::max(loudest, peaks[0]);
    }
    EXPECT_GT(loudest, 0.01f);
    block.render(kit);
    EXPECT_FALSE(kit.meters()->take(none)) << "the sound has ended";
}

TEST(KitPeaks, PadsStraightIntoTheirPairsMeterTheirOwnSums) {
    // Pads 0 and 1 (keys 36 and 38) at unity on Main: their sums go into the pair together,
    // each measured on its own as a kit with that pad alone gives it.
    KitInstrument both, first, second;
    note(both, 36, 3);
    note(both, 38, 40);
    note(first, 36, 3);
    note(second, 38, 40);
    Block together, alone1, alone2;
    for (int32_t b = 0; both.sounding(); ++b) {
        together.render(both);
        alone1.render(first);
        alone2.render(second);
        const std::array<float, kMeters> peaks = take(both);
        ASSERT_EQ(peaks[0], alone1.peak(0)) << b;
        ASSERT_EQ(peaks[1], alone2.peak(0)) << b;
        ASSERT_EQ(peaks[kPads + 0], together.peak(0)) << b;
        ASSERT_EQ(peaks[kPads + 1], together.peak(1)) << b;
        ASSERT_EQ(peaks[kPads + 2], 0.0f) << "an unwritten pair";
    }
}

TEST(KitPeaks, AMutedPadLightsNothing) {
    KitInstrument kit;
    note(kit, 36);
    note(kit, 38);
    setPad(kit, 0, kMute, 1.0f);  // while it sounds
    Block block;
    block.render(kit);
    const std::array<float, kMeters> peaks = take(kit);
    EXPECT_EQ(peaks[0], 0.0f);
    EXPECT_GT(peaks[1], 0.0f);
    EXPECT_EQ(peaks[kPads], block.peak(0));
}
