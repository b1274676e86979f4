// The meters between two threads: an audio thread renders and publishes
// while a panel thread takes, and every peak reaches the panel. Under
// ThreadSanitizer this shows the hand-over race-free.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "kit/KitInstrument.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/PeakMeter.h"

using namespace tamrik;

namespace {

constexpr int32_t kFrames = 64;

// Renders `blocks` blocks on one thread, a note every few, while this thread
// takes the meters; then checks that the largest of all takes is, per
// channel, the largest |sample| rendered. `struck` meters must have lit.
void renderWhileTaking(Instrument& in, int32_t blocks, const std::vector<int32_t>& keys,
                       const std::vector<int32_t>& struck) {
    PeakMeter& meter = *in.meters();
    const int32_t channels = in.outputCount();
    const int32_t sounds = meter.count() - channels;
    std::vector<float> rendered(size_t(channels), 0.0f);
    std::atomic<bool> taking{false}, done{false};
    std::thread audio([&] {
        std::vector<std::vector<float>> out(static_cast<size_t>(channels), std::vector<float>(kFrames));
        std::vector<float*> pointers;
        for (auto& c : out) pointers.push_back(c.data());
        while (!taking.load()) {
        }
        for (int32_t b = 0; b < blocks; ++b) {
            if (b % 8 == 0) {
                const int32_t key = keys[size_t(b / 8) % keys.size()];
                const uint8_t note[3] = {0x90, uint8_t(key), uint8_t(40 + b % 80)};
                in.receiveMidi(note, 3, b % kFrames);
            }
            for (auto& c : out) std::fill(c.begin(), c.end(), 0.0f);
            in.render(pointers.data(), kFrames);
            for (int32_t c = 0; c < channels; ++c)
                for (const float x : out[size_t(c)])
                    rendered[size_t(c)] = std::max(rendered[size_t(c)], std::fabs(x));
        }
        done.store(true);
    });
    std::vector<float> seen(size_t(meter.count()), 0.0f), peaks(size_t(meter.count()));
    const auto fold = [&] {
        if (!meter.take(peaks.data())) return false;
        for (size_t m = 0; m < seen.size(); ++m) seen[m] = std::max(seen[m], peaks[m]);
        return true;
    };
    int32_t takes = 0;
    // Only a hang ends this early.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    taking.store(true);
    while (!done.load() && std::chrono::steady_clock::now() < deadline) takes += fold();
    audio.join();
    ASSERT_TRUE(done.load()) << "the audio thread hung";
    // The producer's last peaks may wait for a record; a silent publish
    // (this thread is the producer now) brings them out.
    fold();
    const std::vector<float> zero(seen.size(), 0.0f);
    meter.publish(zero.data());
    fold();
    for (int32_t c = 0; c < channels; ++c) EXPECT_EQ(seen[size_t(sounds + c)], rendered[size_t(c)]) << c;
    for (int32_t s = 0; s < sounds; ++s) {
        const bool lit = std::find(struck.begin(), struck.end(), s) != struck.end();
        EXPECT_EQ(seen[size_t(s)] > 0.0f, lit) << s;
    }
    EXPECT_GT(rendered[0], 0.0f);
    ::testing::Test::RecordProperty("takes", takes);
}

}  // namespace

TEST(PeakThreads, DrumTamrikRendersWhileThePanelTakes) {
    DrumTamrikInstrument synth;
    renderWhileTaking(synth, 300, {48, 60, 67}, {0});
}

TEST(PeakThreads, KitRendersWhileThePanelTakes) {
    kit::KitInstrument kit;
    renderWhileTaking(kit, 300, {36, 38, 42, 46}, {0, 1, 2, 3});
}
