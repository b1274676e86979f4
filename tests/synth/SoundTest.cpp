// The sound as a host hears it: start samples, silence rules, equivalences,
// block-split independence, and golden hashes of the raw float output of
// fixed scenarios, so that no later change alters a single bit unnoticed.
// Every check that plays runs on each instruction-set path (LibraryPath), since
// all must give the same bits. Run with TAMRIK_PRINT_GOLDEN=1 to print the
// hashes of a deliberate change.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "HostHarness.h"
#include "SoundScenarios.h"
#include "common/FloatingPointRegisters.h"
#include "tests/InstructionSets.h"

using namespace vst;
using tamrik::test::HostHarness;
using tamrik::test::LibraryPath;
using namespace tamrik::test::sound;
using namespace tamrik;

namespace {

// One instance, the settings, a small groove of notes, 16384 frames in
// blocks of 256, with CutOff moved between blocks in the last scenario.
std::vector<float> play(const Scenario& s, int32_t block = 256, bool moveCutoff = false) {
    HostHarness host;
    host.dispatch(effSetSampleRate, 0, 0, nullptr, s.sampleRate);
    host.dispatch(effMainsChanged, 0, 1);
    for (auto [index, value] : s.settings) host.setParameter(index, value);
    std::vector<float> out;
    std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
    for (int32_t start = 0; start < kFrames; start += block) {
        const int32_t n = std::min(block, kFrames - start);
        std::vector<VstMidiEvent> events;
        for (const GrooveNote& g : kGroove)
            if (g.frame >= start && g.frame < start + n)
                events.push_back(HostHarness::midi(0x90, g.note, g.velocity, g.frame - start));
        host.sendEvents(events);
        if (moveCutoff) host.setParameter(kCutOff, movingCutoff(start));
        host.processReplacing(left.data(), right.data(), n);
        for (int32_t i = 0; i < n; ++i) {
            EXPECT_EQ(left[static_cast<size_t>(i)], right[static_cast<size_t>(i)]);
            out.push_back(left[static_cast<size_t>(i)]);
        }
    }
    return out;
}

bool silent(const std::vector<float>& v) {
    for (float x : v)
        if (x != 0.0f) return false;
    return true;
}

}  // namespace

TEST(Sound, GoldenHashesOfFixedScenarios) {
    const bool print = std::getenv("TAMRIK_PRINT_GOLDEN") != nullptr;
    std::vector<Scenario> all = kScenarios;
    all.push_back(kCutoffMoves);
    for (InstructionSet path : kInstructionSets) {
        const LibraryPath forced(path);
        const char* isa = nameOf(path);
        for (size_t k = 0; k < all.size(); ++k) {
            const Scenario& s = all[k];
            const std::vector<float> out = play(s, 256, k + 1 == all.size());
            EXPECT_FALSE(silent(out)) << s.name;
            const uint64_t h = hashOf(out);
            if (print)
                std::printf("    %-16s 0x%016llxull %s\n", s.name, static_cast<unsigned long long>(h),
                            isa);
            else
                EXPECT_EQ(h, s.golden) << s.name << " " << isa;
        }
    }
}

TEST(Sound, BlockSplitsGiveIdenticalOutput) {
    for (InstructionSet path : kInstructionSets) {
        const LibraryPath forced(path);
        const char* isa = nameOf(path);
        for (const Scenario& s : {kScenarios[2], kScenarios[4], kScenarios[8]}) {
            const std::vector<float> reference = play(s, 64);
            for (int32_t block : {1, 7, 1000})
                EXPECT_EQ(play(s, block), reference) << s.name << block << " " << isa;
        }
    }
}

TEST(Sound, NotesStartOnTheirEventsSample) {
    for (int32_t delta : {0, 3, 5, 100}) {
        HostHarness host;
        host.setParameter(kA, 0.0f);
        host.sendMidi(0x90, 60, 100, delta);
        const std::vector<float> out = host.render(256, 64);
        for (int32_t i = 0; i <= delta; ++i) ASSERT_EQ(out[static_cast<size_t>(i)], 0.0f) << delta;
        EXPECT_NE(out[static_cast<size_t>(delta + 1)], 0.0f) << "the attack's first sample is 0";
    }
}

TEST(Sound, SilenceRules) {
    auto withNote = [](std::vector<std::pair<int32_t, float>> settings, uint8_t velocity) {
        HostHarness host;
        for (auto [i, v] : settings) host.setParameter(i, v);
        host.sendMidi(0x90, 60, velocity);
        return host.render(4096);
    };
    EXPECT_TRUE(silent(withNote({}, 0)));
    EXPECT_TRUE(silent(withNote({{kVolume, 0.0f}}, 100)));
    EXPECT_TRUE(silent(withNote({{kClip, 0.0f}}, 100)));
    EXPECT_FALSE(silent(withNote({{kClip, 0.01f}}, 100)));
    EXPECT_EQ(withNote({{kMulti, 1.0f}}, 100), withNote({}, 100)) << "Multi needs Clip below 1";
    EXPECT_EQ(withNote({{kWeight, 0.5f}, {kType, 0.5f}}, 90), withNote({{kType, 0.5f}}, 90))
        << "Middle band-pass is the first stage's band output";
    EXPECT_EQ(withNote({{kOscMix, 1.0f}, {kRing, 1.0f}}, 90), withNote({{kOscMix, 1.0f}}, 90));
    EXPECT_EQ(withNote({{kOscMix, 0.0f}, {kFM, 1.0f}}, 90), withNote({{kOscMix, 0.0f}}, 90));
}

TEST(Sound, ReplacingClearsAndProcessAdds) {
    HostHarness host;
    std::vector<float> l(64, 0.7f), r(64, -0.7f);
    host.process(l.data(), r.data(), 64);
    EXPECT_EQ(l, std::vector<float>(64, 0.7f));
    host.processReplacing(l.data(), r.data(), 64);
    EXPECT_TRUE(silent(l));
    EXPECT_TRUE(silent(r));
}

TEST(Sound, NotesEndByThemselves) {
    HostHarness host;
    host.setParameter(kR, 0.1f);
    host.sendMidi(0x90, 60, 127);
    host.sendMidi(0x80, 60, 0);
    const std::vector<float> out = host.render(44100);
    EXPECT_FALSE(silent(std::vector<float>(out.begin(), out.begin() + 2000)));
    EXPECT_TRUE(silent(std::vector<float>(out.begin() + 40000, out.end())));
}

TEST(Sound, VoicesTogetherSumTheirSoloRendersInVoiceOrder) {
    // Voices sounding together are rendered two at a time; each must still
    // sound exactly as it does alone, for every filter weight and type.
    const uint8_t notes[] = {30, 41, 52, 63, 74, 85, 96};
    for (float weight : {0.0f, 0.5f, 1.0f})
        for (float type : {0.0f, 0.5f, 1.0f}) {
            auto setup = [&](HostHarness& h) {
                h.setParameter(kWeight, weight);
                h.setParameter(kType, type);
                h.setParameter(kQ, 0.7f);
                h.setParameter(kClip, 0.6f);
                h.setParameter(kMulti, 1.0f);
            };
            HostHarness together;
            setup(together);
            std::vector<VstMidiEvent> events;
            for (size_t k = 0; k < std::size(notes); ++k)
                events.push_back(HostHarness::midi(0x90, notes[k], 100, k == 3 ? 10 : 0));
            together.sendEvents(events);
            const std::vector<float> all = together.render(3000, 128);

            std::vector<float> sum(all.size(), 0.0f);
            for (size_t k = 0; k < std::size(notes); ++k) {
                HostHarness solo;
                setup(solo);
                solo.sendMidi(0x90, notes[k], 100, k == 3 ? 10 : 0);
                const std::vector<float> one = solo.render(3000, 128);
                for (size_t n = 0; n < sum.size(); ++n) sum[n] = sum[n] + one[n];
            }
            EXPECT_EQ(all, sum) << "weight " << weight << " type " << type;
        }
}

TEST(Sound, HostFloatingPointSettingsChangeNoBit) {
    // A host thread with flush-to-zero, denormals-are-zero and rounding
    // toward zero, as some hosts leave them, and the x87 at 53-bit precision,
    // as Windows starts its threads: instances made and played there sound
    // the same, and the thread gets its settings back.
    std::vector<std::vector<float>> reference, underHost;
    for (const Scenario& s : kScenarios) reference.push_back(play(s));
    uint32_t hostile = 0, csrAfter = 0;
    uint16_t hostileWord = 0, wordAfter = 0;
    std::thread host([&] {
        hostile = (tamrik::readMxcsr() & ~0x6000u) | 0x6000u | 0x8040u;
        hostileWord = uint16_t((tamrik::readX87ControlWord() & ~0x0300u) | 0x0200u);
        tamrik::writeMxcsr(hostile);
        tamrik::writeX87ControlWord(hostileWord);
        for (const Scenario& s : kScenarios) underHost.push_back(play(s));
        csrAfter = tamrik::readMxcsr();
        wordAfter = tamrik::readX87ControlWord();
    });
    host.join();
    EXPECT_EQ(csrAfter & ~0x3Fu, hostile & ~0x3Fu);
    EXPECT_EQ(wordAfter, hostileWord);
    EXPECT_EQ(underHost, reference);
}
