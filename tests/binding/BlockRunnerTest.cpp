// The block runner every binding plays its host's blocks through: events in
// any order play as if sorted by frame, a value lands at its own frame,
// outputs that share memory are rendered once, and a full queue keeps what
// came first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "binding/BlockRunner.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/ParameterTable.h"

using tamrik::DrumTamrikInstrument;
using tamrik::binding::BlockRunner;

namespace {

constexpr uint32_t kBlock = 512;
constexpr int32_t kCutOff = 4;

struct Stereo {
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);
    float* channels[2] = {left.data(), right.data()};
};

bool silent(const std::vector<float>& samples) {
    return std::all_of(samples.begin(), samples.end(), [](float v) { return v == 0.0f; });
}

// A note at frame 5 and CutOff moved at `at`, in one block through the
// runner, are what two blocks split at `at` play with the value set between
// them and the note sent with the block it falls in (on the same frame the
// note came first, so it goes first).
TEST(BlockRunner, AValueChangesTheSoundFromItsOwnFrame) {
    constexpr uint32_t kNote = 5;
    const uint8_t note[3] = {0x90, 60, 127};
    for (const uint32_t at : {0u, 1u, 5u, 37u, 300u, kBlock - 1}) {
        DrumTamrikInstrument a;
        BlockRunner runner(a);
        runner.noteOn(kNote, 0, 60, 127);
        runner.parameter(at, kCutOff, 0.1f);
        Stereo once;
        runner.run(once.channels, kBlock);

        DrumTamrikInstrument b;
        Stereo split;
        if (kNote <= at) b.receiveMidi(note, sizeof note, int32_t(kNote));
        b.render(split.channels, int32_t(at));
        b.setParameter(kCutOff, 0.1f);
        if (kNote > at) b.receiveMidi(note, sizeof note, int32_t(kNote - at));
        float* rest[2] = {split.left.data() + at, split.right.data() + at};
        b.render(rest, int32_t(kBlock - at));
        EXPECT_EQ(once.left, split.left) << "value at " << at;
        EXPECT_FALSE(silent(once.left));
    }
}

// The same events handed over in another order: only the order of events
// on one frame is the host's to give.
TEST(BlockRunner, EventsSentOutOfOrderPlayAsIfSorted) {
    const auto play = [](bool reversed) {
        DrumTamrikInstrument synth;
        BlockRunner runner(synth);
        std::vector<std::function<void()>> events = {
            [&] { runner.noteOn(3, 0, 40, 100); },        [&] { runner.parameter(50, kCutOff, 0.8f); },
            [&] { runner.noteOn(100, 0, 52, 100); },      [&] { runner.parameter(200, kCutOff, 0.2f); },
            [&] { runner.noteOn(400, 0, 70, 100); },      [&] { runner.parameter(450, 5, 0.6f); },
        };
        if (reversed) std::reverse(events.begin(), events.end());
        for (const auto& e : events) e();
        Stereo out;
        runner.run(out.channels, kBlock);
        return out.left;
    };
    EXPECT_EQ(play(true), play(false));
}

TEST(BlockRunner, SharedOutputsRenderOnceAndAddKeepsWhatTheyHold) {
    DrumTamrikInstrument a, b;
    BlockRunner ra(a), rb(b);
    ra.noteOn(0, 0, 60, 127);
    rb.noteOn(0, 0, 60, 127);
    Stereo apart;
    ra.run(apart.channels, kBlock);
    std::vector<float> shared(kBlock, 0.0f);
    float* both[2] = {shared.data(), shared.data()};
    rb.run(both, kBlock);
    EXPECT_EQ(shared, apart.left) << "the second channel went to scratch";

    // The host changes its buffers between blocks: sharing is checked anew.
    DrumTamrikInstrument d, e;
    BlockRunner rd(d), re(e);
    rd.noteOn(0, 0, 60, 127);
    re.noteOn(0, 0, 60, 127);
    for (int block = 0; block < 3; ++block) {
        Stereo reference;
        re.run(reference.channels, kBlock);
        std::vector<float> one(kBlock), two(kBlock);
        float* mixed[2] = {one.data(), block == 1 ? one.data() : two.data()};
        rd.run(mixed, kBlock);
        EXPECT_EQ(one, reference.left) << "block " << block;
    }

    DrumTamrikInstrument c;
    BlockRunner rc(c);
    rc.noteOn(0, 0, 60, 127);
    Stereo added;
    std::fill(added.left.begin(), added.left.end(), 1.0f);
    rc.run(added.channels, kBlock, BlockRunner::Outputs::Add);
    for (uint32_t i = 0; i < kBlock; ++i) EXPECT_EQ(added.left[i], 1.0f + apart.left[i]);
}

TEST(BlockRunner, AFullQueueKeepsTheFirstEventsAndAClearForgetsThem) {
    DrumTamrikInstrument synth;
    BlockRunner runner(synth);
    for (size_t i = 0; i < BlockRunner::kQueueSize; ++i) ASSERT_TRUE(runner.parameter(0, kCutOff, 0.25f));
    EXPECT_FALSE(runner.parameter(0, kCutOff, 0.75f));
    EXPECT_FALSE(runner.noteOn(0, 0, 60, 127));
    Stereo out;
    runner.run(out.channels, kBlock);
    EXPECT_EQ(synth.getParameter(kCutOff), 0.25f);
    EXPECT_TRUE(silent(out.left));
    EXPECT_EQ(runner.queued(), 0u);

    runner.noteOn(0, 0, 60, 127);
    runner.clear();
    runner.run(out.channels, kBlock);
    EXPECT_TRUE(silent(out.left));
}

// Nothing a host sends reaches past the block or the queue: notes off the
// keyboard, chokes of no key, no buffers at all, an empty block.
TEST(BlockRunner, HostileEventsAndBuffersChangeNothingOrAreIgnored) {
    DrumTamrikInstrument synth;
    BlockRunner runner(synth);
    EXPECT_TRUE(runner.noteOn(0, 0, 128, 127));
    EXPECT_TRUE(runner.noteOn(0, 0, -1, 127));
    EXPECT_TRUE(runner.choke(0, 200, 0));
    EXPECT_TRUE(runner.midi(0, nullptr, 3));
    EXPECT_EQ(runner.queued(), 0u);
    runner.parameter(UINT32_MAX, kCutOff, 0.3f);
    runner.noteOn(UINT32_MAX, 0, 60, 127);
    runner.run(nullptr, 0);
    EXPECT_EQ(synth.getParameter(kCutOff), 0.3f);
    Stereo out;
    runner.run(out.channels, kBlock);
    EXPECT_TRUE(silent(out.left)) << "a note far beyond the block still waits";
}

}  // namespace
