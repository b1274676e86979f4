// What runs on two threads at once in a CLAP host: the editor's changes
// going from the UI thread to the audio thread's process, and the main
// thread's state, value and text calls while the audio thread renders.
// Run under ThreadSanitizer (label threads).
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "ClapTestHost.h"
#include "clap/EditorChanges.h"

using namespace tamrik::test::clap;
using tamrik::clap::EditorChange;
using tamrik::clap::EditorChanges;

TEST(ClapThreads, EditorChangesArriveWholeAndInOrder) {
    constexpr uint32_t kGestures = 20000;
    EditorChanges changes;
    std::atomic<bool> done{false};
    std::thread ui([&] {
        for (uint32_t k = 0; k < kGestures;) {
            const EditorChange gesture[] = {{EditorChange::Kind::Begin, k % 22, 0.0},
                                            {EditorChange::Kind::Value, k % 22, double(k)},
                                            {EditorChange::Kind::End, k % 22, 0.0}};
            if (changes.push(gesture, 3))
                ++k;
            else
                std::this_thread::yield();  // full: the reader catches up
        }
        done = true;
    });
    std::vector<EditorChange> seen;
    seen.reserve(3 * kGestures);
    while (!done || !changes.empty())
        changes.drain([&](const EditorChange& c) {
            seen.push_back(c);
            return true;
        });
    ui.join();
    ASSERT_EQ(seen.size(), size_t(3) * kGestures);
    for (uint32_t k = 0; k < kGestures; ++k) {
        const EditorChange* g = &seen[3 * size_t(k)];
        ASSERT_EQ(g[0].kind, EditorChange::Kind::Begin) << k;
        ASSERT_EQ(g[1].kind, EditorChange::Kind::Value) << k;
        ASSERT_EQ(g[2].kind, EditorChange::Kind::End) << k;
        ASSERT_EQ(g[1].value, double(k));
        ASSERT_EQ(g[0].id, k % 22);
    }
}

TEST(ClapThreads, MainThreadCallsWhileTheAudioThreadRenders) {
    ClapInstance p;
    ClapInstance other;
    other.params().flush(other.plugin(), InputEvents({paramValue(0, 4, 0.9), paramValue(0, 8, 4.0)}).list(), nullptr);
    const std::vector<uint8_t> state = other.save();
    ASSERT_TRUE(p.activate(44100.0, 512));
    std::atomic<bool> stop{false};
    std::atomic<bool> finite{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        for (int k = 0; !stop || k < 50; ++k) {
            p.process(left.data(), right.data(), 512,
                      InputEvents({noteOn(uint32_t(k % 512), int16_t(30 + k % 60), 0.9), paramValue(100, 5, (k % 10) / 10.0)}));
            for (float x : left)
                if (!std::isfinite(x)) finite = false;
            ++blocks;
        }
    });
    for (int k = 0; k < 200; ++k) {
        ASSERT_TRUE(p.load(state));
        EXPECT_FALSE(p.save().empty());
        char text[64];
        for (clap_id id = 0; id < 22; ++id) p.params().value_to_text(p.plugin(), id, p.value(id), text, sizeof text);
    }
    stop = true;
    audio.join();
    EXPECT_TRUE(finite);
    EXPECT_GE(blocks, 50);
    EXPECT_EQ(p.value(4), double(0.9f));
}

// The slot kept for a gesture's end: values fill the ring up to it and no
// further, and the end still goes in.
TEST(ClapThreads, AFullRingStillTakesTheEndOfAnOpenGesture) {
    EditorChanges changes;
    const EditorChange begin{EditorChange::Kind::Begin, 4, 0.0}, end{EditorChange::Kind::End, 4, 0.0};
    ASSERT_TRUE(changes.push(&begin, 1, 1));
    uint32_t values = 0;
    for (EditorChange value{EditorChange::Kind::Value, 4, 0.0}; changes.push(&value, 1, 1); value.value += 1.0)
        ++values;
    EXPECT_EQ(values, EditorChanges::kCapacity - 2);
    EXPECT_FALSE(changes.push(&begin, 1, 2)) << "no room for another gesture's end";
    EXPECT_TRUE(changes.push(&end, 1));
    std::vector<EditorChange::Kind> kinds;
    changes.drain([&](const EditorChange& c) {
        kinds.push_back(c.kind);
        return true;
    });
    ASSERT_EQ(kinds.size(), size_t(EditorChanges::kCapacity));
    EXPECT_EQ(kinds.front(), EditorChange::Kind::Begin);
    EXPECT_EQ(kinds.back(), EditorChange::Kind::End);
}
