// Host threads at once: parameter writes, program and sample-rate changes and
// the construction of another instance while one renders, and automation on
// one thread while another switches programs. Run under ThreadSanitizer,
// these show that every shared value is race-free.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "HostHarness.h"

using namespace vst;
using tamrik::test::HostHarness;

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
    HostHarness* renderers[2];
    setenv("TAMRIK_ISA", "scalar", 1);
    HostHarness scalar;
    unsetenv("TAMRIK_ISA");
    HostHarness wide;
    renderers[0] = &scalar;
    renderers[1] = &wide;
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
