// tamrik-soak SECONDS: the built plug-in under a long, dense, random load, as
// a busy session gives it. The audio loop plays notes, retriggers and
// controller 126 at random block sizes while stepping through every factory
// preset; a second thread automates all 22 parameters at random meanwhile.
// Every output sample must be finite, and resident memory and open
// descriptors must hold still once the first minute (or quarter of the run)
// has settled them. Prints every figure; exits 1 on any failure.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "HostHarness.h"
#include "OpenDescriptors.h"
#include "ResidentMemory.h"
#include "synth/FactoryPresets.h"

using tamrik::test::HostHarness;
using tamrik::test::ResidentKiB;
using Clock = std::chrono::steady_clock;

namespace {

constexpr float kRate = 44100.0f;
constexpr int32_t kMaxBlock = 2048;
// A leak grows resident memory in both halves of the settled run; a one-time
// jump (the allocator taking a new chunk on a busy machine) lands in one.
constexpr long kMemorySlackKiB = 128;  // per half

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void automate(HostHarness& host, const std::atomic<bool>& stop, long& changes) {
    std::mt19937 random(2);
    std::uniform_int_distribution<int32_t> index(0, 21);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    while (!stop.load(std::memory_order_relaxed)) {
        host.setParameter(index(random), value(random));
        ++changes;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 600.0;
    if (!(seconds > 0.0)) {
        std::fprintf(stderr, "usage: tamrik-soak SECONDS\n");
        return 2;
    }
    const double settleAt = std::min(60.0, seconds / 4);

    HostHarness host;
    host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, kRate);
    host.dispatch(vst::effSetBlockSize, 0, kMaxBlock);
    host.dispatch(vst::effMainsChanged, 0, 1);

    std::atomic<bool> stop{false};
    long parameterChanges = 0;
    std::thread automation(automate, std::ref(host), std::cref(stop), std::ref(parameterChanges));

    std::mt19937 random(1);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::vector<float> left(kMaxBlock), right(kMaxBlock);
    long blocks = 0, notes = 0, silences = 0, presetsApplied = 0;
    double frames = 0.0, peak = 0.0;
    long memorySettled = 0, memoryHighest = 0, memoryMiddle = -1;
    const double middleAt = settleAt + (seconds - settleAt) / 2;
    int descriptorsSettled = 0;
    bool settled = false, failed = false;
    const Clock::time_point start = Clock::now();
    Clock::time_point nextPreset = start, nextSample = start;

    while (secondsSince(start) < seconds && !failed) {
        const Clock::time_point now = Clock::now();
        if (now >= nextPreset) {
            const auto& preset = tamrik::kFactoryPresets[size_t(presetsApplied % tamrik::kFactoryPresetCount)];
            for (size_t i = 0; i < preset.values.size(); ++i)
                if (preset.values[i]) host.setParameter(int32_t(i), *preset.values[i]);
            ++presetsApplied;
            nextPreset = now + std::chrono::milliseconds(500);
        }
        const int32_t block = uniform(1, kMaxBlock);
        std::vector<vst::VstMidiEvent> events;
        const int count = uniform(0, 12);
        for (int i = 0; i < count; ++i) {
            const uint8_t note = uint8_t(uniform(0, 127));
            const int32_t delta = uniform(0, block - 1);
            events.push_back(HostHarness::midi(0x90 | uint8_t(uniform(0, 15)), note, uint8_t(uniform(1, 127)), delta));
            if (uniform(0, 3) == 0)  // the same drum again within a few frames
                events.push_back(HostHarness::midi(0x99, note, 127, std::min(block - 1, delta + uniform(0, 8))));
        }
        if (uniform(0, 40) == 0) {
            events.push_back(HostHarness::midi(0xB0, 126, 0, uniform(0, block - 1)));
            ++silences;
        }
        notes += long(events.size());
        host.sendEvents(events);
        host.processReplacing(left.data(), right.data(), block);
        for (int32_t i = 0; i < block; ++i) {
            if (!std::isfinite(left[size_t(i)]) || !std::isfinite(right[size_t(i)])) {
                std::fprintf(stderr, "FAIL: a non-finite sample at frame %.0f\n", frames + i);
                failed = true;
                break;
            }
            peak = std::max({peak, std::fabs(double(left[size_t(i)])), std::fabs(double(right[size_t(i)]))});
        }
        ++blocks;
        frames += block;
        if (now >= nextSample) {
            nextSample = now + std::chrono::seconds(1);
            if (!settled && secondsSince(start) >= settleAt) {
                settled = true;
                memorySettled = memoryHighest = ResidentKiB();
                descriptorsSettled = tamrik::test::OpenDescriptors();
            } else if (settled) {
                memoryHighest = std::max(memoryHighest, ResidentKiB());
                if (memoryMiddle < 0 && secondsSince(start) >= middleAt) memoryMiddle = memoryHighest;
                if (tamrik::test::OpenDescriptors() != descriptorsSettled) {
                    std::fprintf(stderr, "FAIL: %d descriptors open, %d when settled\n",
                                 tamrik::test::OpenDescriptors(), descriptorsSettled);
                    failed = true;
                }
            }
        }
    }
    // Taken while the automation thread still runs: its exit moves the
    // figures by itself.
    const long memoryEnd = ResidentKiB();
    const int descriptorsEnd = tamrik::test::OpenDescriptors();
    stop = true;
    automation.join();
    memoryHighest = std::max(memoryHighest, memoryEnd);
    if (memoryMiddle < 0) memoryMiddle = memoryHighest;

    std::printf("soak: %.0f s, %ld blocks, %.0f frames (%.1f min of audio at 44.1 kHz)\n",
                secondsSince(start), blocks, frames, frames / kRate / 60.0);
    std::printf("soak: %ld note and controller events (%ld silences), %ld presets applied, "
                "%ld parameter changes from the automation thread\n",
                notes, silences, presetsApplied, parameterChanges);
    std::printf("soak: peak %.6f (%.2f dBFS), every sample finite: %s\n", peak,
                20.0 * std::log10(std::max(peak, 1e-30)), failed ? "no" : "yes");
    std::printf("soak: resident memory %ld KiB at %.0f s, %ld KiB highest by %.0f s, %ld KiB at the "
                "end, %ld KiB highest\n",
                memorySettled, settleAt, memoryMiddle, middleAt, memoryEnd, memoryHighest);
    std::printf("soak: open descriptors %d at %.0f s, %d at the end\n", descriptorsSettled, settleAt,
                descriptorsEnd);
    if (memoryMiddle - memorySettled > kMemorySlackKiB && memoryHighest - memoryMiddle > kMemorySlackKiB) {
        std::fprintf(stderr, "FAIL: resident memory grew by %ld KiB, then by %ld KiB\n",
                     memoryMiddle - memorySettled, memoryHighest - memoryMiddle);
        failed = true;
    }
    if (descriptorsEnd != descriptorsSettled) failed = true;
    std::printf("soak: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
