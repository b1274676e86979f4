// Derived values: each parameter's row, its rounding and its limits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "synth/Parameters.h"

using namespace tamrik;

namespace {
struct Params : ::testing::Test {
    SynthParameters p;
    const DerivedValues& d = p.derived();
    void set(ParameterIndex i, float v) { p.set(i, v); }
};
}  // namespace

TEST_F(Params, StageLengthsRoundHalvesToEven) {
    set(kA, 0.5f);
    EXPECT_EQ(d.attackLength.get(), 5513) << "5512.5 goes to 5512, plus 1";
    EXPECT_EQ(d.attackStep.get(), static_cast<float>(1.0 / 5513));
    set(kA, 0.0f);
    EXPECT_EQ(d.attackLength.get(), 1);
    set(kA, 1.0f);
    EXPECT_EQ(d.attackLength.get(), 22051);
    set(kH, 1.0f);
    EXPECT_EQ(d.holdLength.get(), 22051);
    set(kR, 0.0f);
    EXPECT_EQ(d.releaseLength.get(), 10);
    EXPECT_EQ(d.releaseStep.get(), 0.1f);
    set(kR, 1.0f);
    EXPECT_EQ(d.releaseLength.get(), 44110);
}

TEST_F(Params, SweepsMixAndGains) {
    set(kW1Time, 0.0f);
    EXPECT_EQ(d.sweep1Length.get(), 1);
    set(kW1Scale, 0.0f);
    EXPECT_EQ(d.sweep1Rate.get(), 0.0f);
    set(kW2Time, 1.0f);
    EXPECT_EQ(d.sweep2Length.get(), 88201);
    set(kW2Scale, 1.0f);
    EXPECT_NEAR(d.sweep2Rate.get() * 88201.0 + 1.0, 101.59, 0.01);
    // The sweep pair gives the same result whichever was set last.
    SynthParameters q;
    q.set(kW2Scale, 1.0f);
    q.set(kW2Time, 1.0f);
    EXPECT_EQ(q.derived().sweep2Rate.get(), d.sweep2Rate.get());

    set(kOscMix, 0.5f);
    EXPECT_EQ(d.mix1.get(), 50000);
    EXPECT_EQ(d.mix2.get(), 50000);
    set(kOscMix, 1.0f);
    EXPECT_EQ(d.mix1.get(), 0);
    set(kClip, 1.0f);
    EXPECT_EQ(d.clipCeiling.get(), 100000);
    EXPECT_EQ(d.clipFloor.get(), 0);
    set(kClip, 0.5f);
    EXPECT_EQ(d.clipCeiling.get(), 50000);
    EXPECT_EQ(d.clipFloor.get(), 25000);
    set(kQ, 1.0f);
    EXPECT_EQ(d.damping.get(), static_cast<float>(1.2 - 1.17));
    set(kQ, 0.0f);
    EXPECT_EQ(d.damping.get(), 1.2f);
    set(kEnv, 0.0f);
    EXPECT_EQ(d.envDepth.get(), 109.0f);
    set(kVolume, 1.0f);
    // Full velocity and volume: a full-scale 100000 at env 1 gives exactly 1.0.
    const float gain = static_cast<float>(127 * static_cast<double>(d.volumeGain.get()));
    EXPECT_EQ(static_cast<float>(100000.0 * 1.0f * gain), 1.0f);
}

TEST_F(Params, SelectionThresholds) {
    set(kType, 0.25f);
    EXPECT_EQ(d.filterType.get(), 0);
    set(kType, 0.75f);
    EXPECT_EQ(d.filterType.get(), 2);
    set(kWave1, 0.375f);
    EXPECT_EQ(d.osc1Wave.get(), 2);
    set(kWave1, 0.625f);
    EXPECT_EQ(d.osc1Wave.get(), 2);
    set(kWave1, 0.875f);
    EXPECT_EQ(d.osc1Wave.get(), 4);
    set(kWave2, 0.126f);
    EXPECT_EQ(d.osc2Wave.get(), 1);
    set(kRing, 0.5f);
    EXPECT_FALSE(d.ringOn.get());
    set(kRing, 0.51f);
    EXPECT_TRUE(d.ringOn.get());
    set(kFM, 2.0f);
    EXPECT_FALSE(d.fmOn.get()) << "on only when it rounds to exactly 1";
    set(kOctave, 0.0f);
    EXPECT_EQ(d.octaveFactor.get(), static_cast<float>(0.5 * (4096.0f / 44100.0f)));
    set(kOctave, 0.5f);
    EXPECT_EQ(d.octaveFactor.get(), static_cast<float>(0.25 * (4096.0f / 44100.0f)));
    set(kOctave, 7.0f);
    EXPECT_EQ(d.octaveFactor.get(), static_cast<float>(0.125 * (4096.0f / 44100.0f)));
}

TEST_F(Params, HostileValuesGiveDefinedSelections) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, -3.0f, 5.0f}) {
        for (ParameterIndex i : {kType, kWeight}) set(i, v);
        EXPECT_GE(d.filterType.get(), 0);
        EXPECT_LE(d.filterType.get(), 2);
        EXPECT_GE(d.filterWeight.get(), 0);
        EXPECT_LE(d.filterWeight.get(), 2);
        set(kWave1, v);
        EXPECT_GE(d.osc1Wave.get(), 0);
        EXPECT_LE(d.osc1Wave.get(), 4);
        for (int32_t i = 0; i < kNumParameters; ++i) set(static_cast<ParameterIndex>(i), v);
    }
    set(kType, nan);
    EXPECT_EQ(d.filterType.get(), 0) << "NaN converts to INT32_MIN, limited to 0";
    set(kType, inf);
    EXPECT_EQ(d.filterType.get(), 0) << "overflow converts to INT32_MIN too";
    set(kA, 1e6f);
    EXPECT_EQ(d.attackLength.get(), INT32_MIN + 1);
}

TEST_F(Params, OutOfRangeIndicesAreIgnored) {
    set(static_cast<ParameterIndex>(22), 0.3f);
    set(static_cast<ParameterIndex>(-1), 0.3f);
    EXPECT_EQ(p.get(22), 0.0f);
    EXPECT_EQ(p.get(-1), 0.0f);
}

TEST_F(Params, RecomputeFollowsTheSampleRate) {
    p.setSampleRate(48000.0f);
    set(kA, 0.5f);
    EXPECT_EQ(d.attackLength.get(), 6001);
    EXPECT_EQ(d.releaseLength.get(), 12010);
    EXPECT_EQ(d.octaveFactor.get(), static_cast<float>(0.125 * (4096.0f / 48000.0f)));
    EXPECT_EQ(d.cutoffFactor.get(),
              static_cast<float>((0.25 + 0.05) * (0.5 + 0.01) * 60000 / 48000.0));
}
