// Host threads at once: parameter writes, program and sample-rate changes and
// the construction of another instance while one renders, and automation on
// one thread while another switches programs. Run under ThreadSanitizer,
// these show that every shared value is race-free.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <cstdlib>
#include <thread>
#include <vector>

#include "HostHarness.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/HitRenderer.h"
#include "synth/Parameters.h"
#include "tests/InstructionSets.h"

using namespace vst;
using tamrik::test::HostHarness;
using tamrik::test::LibraryPath;

namespace {

// Renders with a note every block until told to stop.
void renderUntil(HostHarness& host, const std::atomic<bool>& stop, int& blocks) {
    std::vector<float> l(64), r(64);
    while (!stop.load() || blocks < 50) {
        host.sendMidi(0x90, static_cast<uint8_t>(30 + blocks % 60), 100);
        host.processReplacing(l.data(), r.data(), 64);
        ++blocks;
    }
}

}  // namespace

TEST(Threads, ConstructingAnotherInstanceWhileOneRenders) {
    HostHarness first;
    first.setParameter(8, 1.0f);  // noise: the entries a new instance rewrites
    first.setParameter(9, 1.0f);
    std::atomic<bool> stop{false};
    int blocks = 0;
    std::thread audio(renderUntil, std::ref(first), std::cref(stop), std::ref(blocks));
    for (int i = 0; i < 5; ++i) {
        HostHarness other;
        EXPECT_NE(other.effect(), nullptr);
    }
    stop = true;
    audio.join();
    EXPECT_GE(blocks, 50);
}

TEST(Threads, NoiseRedrawnWhileScalarAndWidePathsRender) {
    // The noise rows are the only table entries a construction rewrites; the
    // scalar path reads them with plain loads (which the sanitizer checks),
    // the wide paths with gathers.
    const auto scalar = [] {
        const LibraryPath forced(tamrik::InstructionSet::scalar);
        return std::make_unique<HostHarness>();
    }();
    HostHarness wide;
    HostHarness* renderers[2] = {scalar.get(), &wide};
    std::atomic<bool> stop{false};
    int blocks[2] = {0, 0};
    std::vector<std::thread> audio;
    for (int k = 0; k < 2; ++k) {
        for (int32_t wave : {8, 9}) renderers[k]->setParameter(wave, 1.0f);
        audio.emplace_back(renderUntil, std::ref(*renderers[k]), std::cref(stop),
                           std::ref(blocks[k]));
    }
    for (int i = 0; i < 20; ++i) HostHarness other;
    stop = true;
    for (std::thread& t : audio) t.join();
    EXPECT_GE(blocks[0] + blocks[1], 100);
}

TEST(Threads, ParameterAndProgramChangesWhileRendering) {
    HostHarness host;
    std::atomic<bool> stop{false};
    int blocks = 0;
    std::thread audio(renderUntil, std::ref(host), std::cref(stop), std::ref(blocks));
    for (int round = 0; round < 200; ++round) {
        for (int32_t i = 0; i < 22; ++i)
            host.setParameter(i, static_cast<float>((round * 7 + i) % 11) / 10.0f);
        host.dispatch(effSetProgram, 0, round % 32);
        (void)host.getParameter(round % 22);
    }
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    stop = true;
    audio.join();
}

TEST(Threads, SampleRateChangesWhileRendering) {
    HostHarness host;
    std::atomic<bool> stop{false};
    int blocks = 0;
    std::thread audio(renderUntil, std::ref(host), std::cref(stop), std::ref(blocks));
    for (int round = 0; round < 200; ++round)
        host.dispatch(effSetSampleRate, 0, 0, nullptr, round % 2 ? 48000.0f : 96000.0f);
    stop = true;
    audio.join();
    EXPECT_GE(blocks, 50);
}

// Automation played back on one thread while the UI switches programs: each
// value lands whole in one program, never outside the table.
TEST(Threads, ParametersOnOneThreadWhileAnotherSwitchesPrograms) {
    constexpr int32_t kCutOff = 4;
    HostHarness host;
    std::atomic<bool> stop{false};
    std::thread automation([&] {
        for (int i = 0; !stop.load() || i < 2000; ++i)
            host.setParameter(kCutOff, static_cast<float>(i % 10) / 10.0f);
    });
    for (int round = 0; round < 2000; ++round) host.dispatch(effSetProgram, 0, round % 32);
    stop = true;
    automation.join();
    for (int32_t program = 0; program < 32; ++program) {
        host.dispatch(effSetProgram, 0, program);
        const float v = host.getParameter(kCutOff);
        EXPECT_EQ(v, static_cast<float>(static_cast<int>(v * 10.0f + 0.5f)) / 10.0f) << program;
    }
}

namespace {

// Every derived value as bits, in one list, so that two sets compare whole.
std::vector<uint32_t> derivedBits(const tamrik::SynthParameters& p) {
    const tamrik::DerivedValues& d = p.derived();
    std::vector<uint32_t> bits;
    for (const auto* v : {&d.attackLength, &d.holdLength, &d.releaseLength, &d.sweep1Length,
                          &d.sweep2Length, &d.curveMode, &d.filterWeight, &d.filterType,
                          &d.clipFloor, &d.clipCeiling, &d.mix1, &d.mix2, &d.osc1Wave,
                          &d.osc2Wave})
        bits.push_back(static_cast<uint32_t>(v->get()));
    for (const auto* v : {&d.attackStep, &d.releaseStep, &d.cutoffFactor, &d.damping,
                          &d.envDepth, &d.sweep1Rate, &d.sweep2Rate, &d.volumeGain, &d.clipLevel,
                          &d.clipMakeup, &d.octaveFactor})
        bits.push_back(std::bit_cast<uint32_t>(v->get()));
    bits.push_back(d.ringOn.get());
    bits.push_back(d.fmOn.get());
    bits.push_back(std::bit_cast<uint32_t>(p.phasePerHertz()));
    return bits;
}

// What a fresh instance derives from the values `p` holds now.
std::vector<uint32_t> recomputed(const tamrik::SynthParameters& p) {
    tamrik::SynthParameters fresh;
    fresh.setSampleRate(p.sampleRate());
    for (int32_t i = 0; i < tamrik::kNumParameters; ++i) fresh.set(i, p.get(i));
    return derivedBits(fresh);
}

// Runs each writer on a thread of its own, all released at once.
void together(std::vector<std::function<void()>> writers) {
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (auto& w : writers)
        threads.emplace_back([&ready, &w, n = static_cast<int>(writers.size())] {
            ready.fetch_add(1);
            // Yielding: on a machine with fewer free cores than writers, a
            // pure spin holds the core the last writer needs to arrive.
            while (ready.load() < n) std::this_thread::yield();
            w();
        });
    for (std::thread& t : threads) t.join();
}

}  // namespace

// Two writers on one group at once (automation on one thread, the editor on
// another; or a new sample rate): once they stop, every derived value is
// what the stored values give, not a mix of old and new inputs.
TEST(Threads, DerivedValuesEndAsAFreshRecomputeAfterConcurrentWriters) {
    using namespace tamrik;
    const auto writes = [](SynthParameters& p, int32_t index, int round, int salt) {
        return [&p, index, round, salt] {
            for (int i = 0; i < 20; ++i)
                p.set(index, static_cast<float>((round * 13 + i * 7 + salt) % 17) / 16.0f);
        };
    };
    const std::pair<ParameterIndex, ParameterIndex> pairs[] = {
        {kW1Time, kW1Scale}, {kW2Time, kW2Scale}, {kCutOff, kEnv}, {kClip, kClip}, {kA, kA}};
    int stale = 0;
    for (int round = 0; round < 300; ++round) {
        SynthParameters p;
        for (const auto& [first, second] : pairs)
            together({writes(p, first, round, 0), writes(p, second, round, 5)});
        together({writes(p, kOctave, round, 0), writes(p, kR, round, 3), [&p, round] {
                      for (int i = 0; i < 4; ++i)
                          p.setSampleRate((round + i) % 2 ? 48000.0f : 96000.0f);
                  }});
        if (derivedBits(p) != recomputed(p)) ++stale;
    }
    EXPECT_EQ(stale, 0) << "rounds that left derived values from stale inputs";
}

// A panel's previews on its own thread while the instance plays the note:
// no race, and the instance plays the noise it started with.
TEST(Threads, HitPreviewsWhileAnInstanceRendersTheNote) {
    using namespace tamrik;
    DrumTamrikInstrument synth;
    synth.setParameter(kWave1, 1.0f);
    synth.setParameter(kWave2, 1.0f);
    HitSetup setup{};
    ASSERT_TRUE(synth.hitSetup(0, 60, 127, setup));
    HitRenderer reference(setup);
    reference.renderAll();
    const std::vector<float>& expected = reference.channel(0);
    const uint8_t on[3] = {0x90, 60, 127};
    synth.receiveMidi(on, 3, 0);

    std::vector<float> left(expected.size() + 64), right(expected.size() + 64);
    std::atomic<bool> finished{false};
    std::thread audio([&] {
        for (size_t at = 0; at < expected.size(); at += 64) {
            float* out[2] = {left.data() + at, right.data() + at};
            synth.render(out, 64);
        }
        finished = true;
    });
    int previews = 0;
    while (!finished.load() || previews < 3) {
        HitRenderer preview(setup);
        preview.renderAll();
        EXPECT_EQ(preview.channel(0), expected);
        ++previews;
    }
    audio.join();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), left.begin()));
}
