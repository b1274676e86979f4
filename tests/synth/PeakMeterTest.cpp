// The meters' hand-over on one thread: what take gives after any run of
// publishes, a full ring, clips and the bounds of the count.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "synth/PeakMeter.h"

using tamrik::PeakMeter;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<float> taken(PeakMeter& meter) {
    std::vector<float> out(PeakMeter::kMaxMeters, -1.0f);
    EXPECT_TRUE(meter.take(out.data()));
    out.resize(static_cast<size_t>(meter.count()));
    return out;
}

}  // namespace

TEST(PeakMeter, TakeGivesEachMetersLargestSinceTheLastTake) {
    PeakMeter meter(3);
    float none[3] = {7.0f, 7.0f, 7.0f};
    EXPECT_FALSE(meter.take(none));
    EXPECT_EQ(none[0], 7.0f);  // untouched when nothing is new

    const float a[] = {0.5f, 0.0f, 0.25f}, b[] = {0.1f, 0.75f, 0.2f};
    meter.publish(a);
    meter.publish(b);
    EXPECT_EQ(taken(meter), (std::vector<float>{0.5f, 0.75f, 0.25f}));
    EXPECT_FALSE(meter.take(none));

    // The next take starts afresh: an old peak does not come back.
    const float c[] = {0.0f, 0.125f, 0.0f};
    meter.publish(c);
    EXPECT_EQ(taken(meter), (std::vector<float>{0.0f, 0.125f, 0.0f}));
}

TEST(PeakMeter, AFullRingFoldsIntoTheNextRecordAndLosesNoPeak) {
    PeakMeter meter(2);
    // Far more publishes than records, the loudest in the middle (kept
    // back while the ring is full) and the last one alone.
    const uint32_t publishes = 3 * PeakMeter::kRecords + 1;
    for (uint32_t i = 0; i < publishes; ++i) {
        const float peaks[] = {i == PeakMeter::kRecords + 2 ? 0.9f : 0.1f,
                               i + 1 == publishes ? 0.8f : 0.2f};
        meter.publish(peaks);
    }
    // The ring held the first records; the rest waited in the producer.
    EXPECT_EQ(taken(meter), (std::vector<float>{0.1f, 0.2f}));
    float none[2];
    EXPECT_FALSE(meter.take(none));
    const float quiet[] = {0.0f, 0.0f};
    meter.publish(quiet);
    EXPECT_EQ(taken(meter), (std::vector<float>{0.9f, 0.8f}));
    meter.publish(quiet);
    EXPECT_EQ(taken(meter), (std::vector<float>{0.0f, 0.0f}));
}

TEST(PeakMeter, NaNIsAClipAndNegativesTheirMagnitude) {
    PeakMeter meter(4);
    const float peaks[] = {std::nanf(""), -std::nanf(""), -0.5f, kInf};
    meter.publish(peaks);
    const std::vector<float> out = taken(meter);
    EXPECT_EQ(out, (std::vector<float>{kInf, kInf, 0.5f, kInf}));
}

TEST(PeakMeter, CountIsClampedAndOnlyThoseMetersAreTouched) {
    EXPECT_EQ(PeakMeter(-3).count(), 0);
    EXPECT_EQ(PeakMeter(PeakMeter::kMaxMeters + 1).count(), PeakMeter::kMaxMeters);

    PeakMeter all(PeakMeter::kMaxMeters);
    std::vector<float> peaks(PeakMeter::kMaxMeters);
    for (size_t m = 0; m < peaks.size(); ++m) peaks[m] = static_cast<float>(m) / 64.0f;
    all.publish(peaks.data());
    EXPECT_EQ(taken(all), peaks);

    PeakMeter two(2);
    const float values[] = {0.5f, 0.25f};
    two.publish(values);
    std::vector<float> out(4, -1.0f);
    EXPECT_TRUE(two.take(out.data()));
    EXPECT_EQ(out, (std::vector<float>{0.5f, 0.25f, -1.0f, -1.0f}));
}

TEST(PeakMeter, PeakOfIsTheLargestMagnitudeAtAnyPlace) {
    // Up to 71 samples: whole runs of 16, one of 4, a tail of 3; one more
    // past the end.
    const std::vector<float> samples(72, 0.25f);
    EXPECT_EQ(PeakMeter::peakOf(samples.data(), 0), 0.0f);
    EXPECT_EQ(PeakMeter::peakOf(samples.data(), 71), 0.25f);
    for (int32_t n : {1, 5, 16, 20, 70, 71}) {
        for (int32_t at = 0; at < n; ++at) {
            std::vector<float> s = samples;
            s[size_t(at)] = -0.75f;
            ASSERT_EQ(PeakMeter::peakOf(s.data(), n), 0.75f) << n << " " << at;
            s[size_t(at)] = std::nanf("");
            ASSERT_EQ(PeakMeter::peakOf(s.data(), n), kInf) << n << " " << at;
            s[size_t(at)] = -kInf;
            ASSERT_EQ(PeakMeter::peakOf(s.data(), n), kInf) << n << " " << at;
        }
        std::vector<float> s = samples;
        s[size_t(n)] = 2.0f;  // past the end
        EXPECT_EQ(PeakMeter::peakOf(s.data(), n), 0.25f) << n;
    }
    const float tiny[] = {-1e-45f, 0.0f, -0.0f};
    EXPECT_EQ(PeakMeter::peakOf(tiny, 3), 1e-45f);
}
