// DrumTamrik's meters: each render that sounds publishes its channels'
// largest |sample| and the sound's, an idle one nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "synth/DrumTamrikInstrument.h"
#include "synth/PeakMeter.h"

using namespace tamrik;

namespace {

float peakOf(const std::vector<float>& x) {
    float top = 0.0f;
    for (const float v : x) top = std::max(top, std::fabs(v));
    return top;
}

void hit(Instrument& in, int32_t key, int32_t frame = 0) {
    const uint8_t note[3] = {0x90, uint8_t(key), 100};
    in.receiveMidi(note, 3, frame);
}

}  // namespace

TEST(DrumTamrikPeaks, EachSoundingRenderPublishesItsOutputsPeaks) {
    DrumTamrikInstrument synth;
    PeakMeter* meter = synth.meters();
    ASSERT_NE(meter, nullptr);
    ASSERT_EQ(meter->count(), 3);
    float peaks[3];
    std::vector<float> l(64), r(64);
    float* out[2] = {l.data(), r.data()};
    synth.render(out, 64);
    EXPECT_FALSE(meter->take(peaks)) << "nothing sounded";

    hit(synth, 60, 5);
    hit(synth, 72, 20);
    int32_t blocks = 0;
    float loudest = 0.0f;
    // The host's own signal counts: the channels are what the host gets.
    std::fill(r.begin(), r.end(), -0.125f);
    while (synth.sounding()) {
        std::fill(l.begin(), l.end(), 0.0f);
        synth.render(out, 64);
        ASSERT_TRUE(meter->take(peaks)) << blocks;
        ASSERT_EQ(peaks[1], peakOf(l)) << blocks;
        ASSERT_EQ(peaks[2], peakOf(r)) << blocks;
        ASSERT_EQ(peaks[0], std::max(peaks[1], peaks[2])) << blocks;
        loudest = std::max(loudest, peaks[1]);
        std::fill(r.begin(), r.end(), 0.0f);
        ++blocks;
    }
    EXPECT_GT(loudest, 0.1f);
    EXPECT_GT(blocks, 10);
    synth.render(out, 64);
    EXPECT_FALSE(meter->take(peaks)) << "the sound has ended";
}

TEST(DrumTamrikPeaks, ANilChannelIsMeasuredWhereItWasRendered) {
    DrumTamrikInstrument synth;
    hit(synth, 60);
    std::vector<float> l(700);
    float* out[2] = {l.data(), nullptr};
    synth.render(out, 700);  // in scratch pieces
    float peaks[3];
    ASSERT_TRUE(synth.meters()->take(peaks));
    EXPECT_GT(peaks[1], 0.0f);
    EXPECT_EQ(peaks[1], peakOf(l));
    EXPECT_EQ(peaks[2], peaks[1]) << "the sound went to both";
    EXPECT_EQ(peaks[0], peaks[1]);
}
