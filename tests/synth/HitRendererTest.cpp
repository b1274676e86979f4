// A hit rendered off the audio thread holds the samples an instance plays
// for that note, and making one leaves playing instances alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "SameBits.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/FactoryPresets.h"
#include "synth/HitRenderer.h"
#include "tests/InstructionSets.h"

using namespace tamrik;

namespace {

// Odd block sizes, so that nothing lines up with the engine's chunks.
constexpr int32_t kSteps[] = {37, 1, 255, 64, 1001, 3};

void loadPreset(Instrument& synth, const char* name) {
    const FactoryPreset* preset = findFactoryPreset(name);
    ASSERT_NE(preset, nullptr) << name;
    for (int32_t i : kProgramLoadOrder)
        if (preset->values[size_t(i)]) synth.setParameter(i, *preset->values[size_t(i)]);
}

// `frames` samples of both channels after a note-on at frame 0.
std::vector<std::vector<float>> play(Instrument& synth, int32_t note, int32_t velocity, int32_t frames) {
    const uint8_t on[3] = {0x90, uint8_t(note), uint8_t(velocity)};
    synth.receiveMidi(on, 3, 0);
    std::vector<std::vector<float>> out(size_t(synth.outputCount()), std::vector<float>(size_t(frames), 0.0f));
    for (int32_t at = 0, k = 0; at < frames; ++k) {
        const int32_t n = std::min(kSteps[k % std::size(kSteps)], frames - at);
        std::vector<float*> channels;
        for (auto& c : out) channels.push_back(c.data() + at);
        synth.render(channels.data(), n);
        at += n;
    }
    return out;
}

void renderInSteps(HitRenderer& hit) {
    for (int32_t k = 0; hit.renderMore(kSteps[k % std::size(kSteps)]); ++k) {
    }
}

// The hit's channels are the start of what was played, and nothing follows.
void expectPlays(const HitRenderer& hit, const std::vector<float>& left, const std::vector<float>& right) {
    const size_t n = hit.channel(0).size();
    ASSERT_EQ(hit.channel(1).size(), n);
    ASSERT_LT(n, left.size());
    EXPECT_TRUE(test::sameBits(hit.channel(0).data(), left.data(), n));
    EXPECT_TRUE(test::sameBits(hit.channel(1).data(), right.data(), n));
    for (size_t i = n; i < left.size(); ++i) ASSERT_TRUE(left[i] == 0.0f && right[i] == 0.0f) << i;
}

HitSetup setupOf(const Instrument& synth, int32_t note, int32_t velocity) {
    HitSetup setup{};
    EXPECT_TRUE(synth.hitSetup(0, note, velocity, setup));
    return setup;
}

}  // namespace

TEST(HitRenderer, EqualsAFreshInstancePlayingTheNote) {
    for (const char* preset : {"AllReset", "Z_Snare"})  // Z_Snare: noise, ring, FM, clip
        for (InstructionSet path : test::runnablePaths()) {
            SCOPED_TRACE(std::string(preset) + " " + nameOf(path));
            DrumTamrikInstrument synth(path);
            loadPreset(synth, preset);
            HitRenderer hit(setupOf(synth, 60, 101));
            renderInSteps(hit);
            ASSERT_TRUE(hit.done());
            EXPECT_EQ(int32_t(hit.channel(0).size()), hit.envelopeLength());
            EXPECT_TRUE(hit.channelsEqual());
            EXPECT_GT(hit.peak(), 0.0f);
            const auto played = play(synth, 60, 101, hit.envelopeLength() + 300);
            expectPlays(hit, played[0], played[1]);
        }
}

TEST(HitRenderer, LeavesThePlayingInstancesNoiseAlone) {
    DrumTamrikInstrument synth;
    loadPreset(synth, "Z_Snare");
    const HitSetup setup = setupOf(synth, 50, 127);
    HitRenderer before(setup);
    before.renderAll();

    // A preview made and run while the note plays: the rest of the note
    // still reads the noise it started with.
    const uint8_t on[3] = {0x90, 50, 127};
    synth.receiveMidi(on, 3, 0);
    const int32_t total = before.envelopeLength();
    std::vector<float> left(size_t(total), 0.0f), right(size_t(total), 0.0f);
    const auto renderTo = [&](int32_t from, int32_t to) {
        float* out[2] = {left.data() + from, right.data() + from};
        synth.render(out, to - from);
    };
    renderTo(0, total / 3);
    HitRenderer during(setup);
    during.renderAll();
    renderTo(total / 3, total);
    EXPECT_TRUE(test::sameBits(before.channel(0).data(), left.data(), size_t(total)));
    EXPECT_TRUE(test::sameBits(before.channel(0).data(), during.channel(0).data(), size_t(total)));

    // Whereas a new instance draws new noise, which the hit then plays.
    DrumTamrikInstrument another;
    HitRenderer after(setup);
    after.renderAll();
    EXPECT_FALSE(test::sameBits(before.channel(0).data(), after.channel(0).data(), size_t(total)));
}

// A Clip below zero holds the clip's output at one magnitude whatever the
// filter gives, so each sample is that magnitude times env times the gain.
TEST(HitRenderer, EnvelopeIsTheVoices) {
    for (float curve : {0.0f, 0.5f, 1.0f})
        for (float a : {0.0f, 0.07f}) {
            SCOPED_TRACE(testing::Message() << "curve " << curve << " attack " << a);
            DrumTamrikInstrument synth;
            synth.setParameter(kA, a);
            synth.setParameter(kH, 0.05f);
            synth.setParameter(kR, 0.1f);
            synth.setParameter(kCurve, curve);
            synth.setParameter(kClip, -1.0f);
            HitRenderer hit(setupOf(synth, 64, 99));
            hit.renderAll();
            const DerivedValues& d = synth.parameters().derived();
            ASSERT_EQ(hit.envelopeLength(), (std::max(d.attackLength.get(), 0) + 1) +
                                                (std::max(d.holdLength.get(), 0) + 1) +
                                                (std::max(d.releaseLength.get(), 0) + 1));
            ASSERT_EQ(int32_t(hit.channel(0).size()), hit.envelopeLength());
            const double gain = static_cast<float>(99 * static_cast<double>(d.volumeGain.get()));
            for (int32_t n = 0; n < hit.envelopeLength(); ++n) {
                const float expected = static_cast<float>(100000.0 * hit.envelope(n) * gain);
                ASSERT_TRUE(test::sameBits(hit.channel(0)[size_t(n)], expected)) << n;
            }
            EXPECT_EQ(hit.envelope(-1), 0.0f);
            EXPECT_EQ(hit.envelope(hit.envelopeLength()), 0.0f);
            EXPECT_EQ(hit.envelope(d.attackLength.get() + 1), 1.0f);  // hold
        }
}

TEST(HitRenderer, LevelsAndGains) {
    DrumTamrikInstrument synth;
    HitSetup setup = setupOf(synth, 60, 127);
    setup.gain[0] = 0.5f;
    setup.gain[1] = 1.0f;
    HitRenderer hit(setup);
    hit.renderAll();
    EXPECT_FALSE(hit.channelsEqual());
    EXPECT_EQ(hit.sampleRate(), 44100.0f);
    float peak = 0.0f;
    for (size_t n = 0; n < hit.channel(0).size(); ++n) {
        ASSERT_TRUE(test::sameBits(hit.channel(0)[n], static_cast<float>(0.5 * hit.channel(1)[n])));
        peak = std::max(peak, std::fabs(hit.channel(1)[n]));
    }
    EXPECT_EQ(hit.peak(), peak);
    // Level lengths: everything, nothing, and a level in between.
    const auto length = int32_t(hit.channel(0).size());
    EXPECT_EQ(hit.lengthTo(-std::numeric_limits<float>::infinity()), length);
    EXPECT_EQ(hit.lengthTo(20.0f * std::log10(peak) + 1.0f), 0);
    const int32_t at40 = hit.lengthTo(-40.0f);
    ASSERT_GT(at40, 0);
    ASSERT_LT(at40, length);
    EXPECT_GE(std::fabs(hit.channel(1)[size_t(at40 - 1)]), 0.01f);
    for (int32_t n = at40; n < length; ++n) ASSERT_LT(std::fabs(hit.channel(1)[size_t(n)]), 0.01f);
}

TEST(HitRenderer, RefusesOrHoldsHostileSetups) {
    DrumTamrikInstrument synth;
    const HitSetup good = setupOf(synth, 60, 127);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate : {0.0f, -44100.0f, nan, inf, 1e9f}) {
        HitSetup s = good;
        s.sampleRate = rate;
        HitRenderer hit(s);
        EXPECT_TRUE(hit.done());
        EXPECT_FALSE(hit.renderMore(100));
        EXPECT_TRUE(hit.channel(0).empty() && hit.channel(1).empty());
        EXPECT_EQ(hit.lengthTo(-60.0f), 0);
        EXPECT_EQ(hit.envelope(0), 0.0f);
    }
    for (float bad : {nan, inf}) {
        HitSetup s = good;
        s.values[kCutOff] = bad;
        EXPECT_TRUE(HitRenderer(s).done());
        s = good;
        s.gain[1] = bad;
        EXPECT_TRUE(HitRenderer(s).done());
    }
    EXPECT_FALSE(synth.hitSetup(1, 60, 127, *std::make_unique<HitSetup>()));

    // Notes and velocities out of range are held to 0..127.
    HitSetup wild = good;
    wild.note = 1000;
    wild.velocity = -5;
    wild.isa = static_cast<InstructionSet>(77);
    HitRenderer held(wild);
    held.renderMore(0);
    held.renderMore(-10);
    held.renderAll();
    HitSetup edge = good;
    edge.note = 127;
    edge.velocity = 0;
    HitRenderer expected(edge);
    expected.renderAll();
    ASSERT_EQ(held.channel(0).size(), expected.channel(0).size());
    EXPECT_TRUE(test::sameBits(held.channel(0).data(), expected.channel(0).data(), held.channel(0).size()));

    // Huge values that overflow the lengths, and a hit that would outlast
    // the cut (at 100 Hz, cut after 6000 samples).
    HitSetup huge = good;
    for (float& v : huge.values) v = 1e30f;
    HitRenderer wrapped(huge);
    wrapped.renderAll();
    EXPECT_TRUE(wrapped.done());
    HitSetup endless = good;
    endless.sampleRate = 100.0f;
    endless.values[kR] = 8.0f;
    HitRenderer cut(endless);
    cut.renderAll();
    EXPECT_GT(cut.envelopeLength(), 6000);
    EXPECT_EQ(cut.channel(0).size(), 6000u);
    EXPECT_TRUE(cut.done());
}
