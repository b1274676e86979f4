// The engine's own facts: tables, note frequencies, voice rotation, the
// envelope's timeline, controller 126, sample-rate changes and the phase
// guard, read from the engine's state.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "HostHarness.h"
#include "synth/DrumTamrikInstrument.h"
#include "vst/AVstXSynth.h"
#include "synth/WaveTables.h"

using namespace tamrik;
using tamrik::test::EventBlock;
using tamrik::test::midiEvent;

namespace {

intptr_t quietHost(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// The VST binding around DrumTamrik, with the engine in reach.
struct Synth : AVstXSynth {
    Synth() : AVstXSynth(quietHost, std::make_unique<DrumTamrikInstrument>()) {}
    const DrumTamrikInstrument& drum() const {
        return static_cast<const DrumTamrikInstrument&>(instrument());
    }
    const DrumVoices& voices() const { return drum().voices(); }
    const SynthParameters& parameters() const { return drum().parameters(); }
};

struct Engine : ::testing::Test {
    Synth synth;
    std::vector<float> left = std::vector<float>(4096), right = std::vector<float>(4096);

    void send(std::vector<vst::VstMidiEvent> events) {
        EventBlock block(std::move(events));
        synth.processEvents(block.build());
    }
    void render(int32_t frames) {
        float* outputs[2] = {left.data(), right.data()};
        synth.processReplacing(nullptr, outputs, frames);
    }
    DrumVoices::Voice voice(int32_t v) { return synth.voices().voice(v); }
    bool allIdle() {
        for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
            if (voice(v).stage != DrumVoices::stageIdle) return false;
        return true;
    }
};

}  // namespace

TEST(WaveTablesFacts, EntriesOfThePlainWaves) {
    DrumTamrikInstrument synth;
    EXPECT_EQ(WaveTables::at(0, 0, 0), 0.0f);
    EXPECT_EQ(WaveTables::at(0, 0, 1024), 1.0f);
    EXPECT_EQ(WaveTables::at(0, 0, 3072), -1.0f);
    EXPECT_EQ(WaveTables::at(0, 0, 2048), 0.0f);
    EXPECT_TRUE(std::signbit(WaveTables::at(0, 0, 2048))) << "-0, by symmetry";
    for (int32_t j = 0; j < 1024; ++j) {
        ASSERT_EQ(WaveTables::at(0, 0, j + 2048), -WaveTables::at(0, 0, j));
        ASSERT_EQ(WaveTables::at(0, 0, j + 1024), -WaveTables::at(0, 0, j + 3072));
    }
    EXPECT_EQ(WaveTables::at(1, 0, 0), -1.0f);
    EXPECT_EQ(WaveTables::at(1, 0, 2048), 0.0f);
    EXPECT_EQ(WaveTables::at(1, 0, 4095), 1.0f - 2.0f / 4096);
    EXPECT_EQ(WaveTables::at(2, 0, 2047), -1.0f);
    EXPECT_EQ(WaveTables::at(2, 0, 2048), 1.0f);
    EXPECT_EQ(WaveTables::at(3, 0, 1024), 1.0f);
    EXPECT_EQ(WaveTables::at(3, 0, 3072), -1.0f);
    EXPECT_EQ(WaveTables::at(3, 0, 512), 0.5f);
    for (int32_t i = 0; i < 4096; ++i) {
        const float n = WaveTables::at(4, 0, i);
        ASSERT_TRUE(n == -1.0f || n == 0.0f) << i;
    }
    const float blend = WaveTables::at(0, 1, 0);
    EXPECT_NEAR(blend, 0.33 + 0.3 * std::sin(3 * M_PI / 4), 1e-7);
    EXPECT_EQ(blend, static_cast<float>(0.33L + 0.3L * static_cast<long double>(
                                                           WaveTables::at(0, 0, 1536))));
    EXPECT_EQ(WaveTables::at(0, 2, 4096 + 5), WaveTables::at(0, 2, 5)) << "index masked";
}

TEST(WaveTablesFacts, NoteFrequencies) {
    DrumTamrikInstrument synth;
    EXPECT_EQ(WaveTables::noteFrequency(69), 440.0f);
    EXPECT_NEAR(WaveTables::noteFrequency(0), 8.1758, 1e-4);
    EXPECT_NEAR(WaveTables::noteFrequency(127), 12543.85, 0.01);
    EXPECT_NEAR(WaveTables::noteFrequency(81), 880.0, 1e-3);
}

TEST_F(Engine, StartsAtRestAndRotatesVoices) {
    EXPECT_EQ(synth.voices().nextVoice(), 0);
    EXPECT_TRUE(allIdle());
    std::vector<vst::VstMidiEvent> notes;
    for (uint8_t n = 0; n < 17; ++n) notes.push_back(midiEvent(0x90, 40 + n, 100));
    send(notes);
    for (int32_t v = 1; v <= 16; ++v) EXPECT_EQ(voice(v).note, 40 + v - 1);
    EXPECT_EQ(voice(0).note, 56);
    EXPECT_EQ(synth.voices().nextVoice(), 0);
    render(100);
    EXPECT_GT(voice(1).attackCount, 0);
    send({midiEvent(0x9A, 90, 1)});  // channel 11 counts like channel 1
    EXPECT_EQ(voice(1).note, 90);
    EXPECT_EQ(voice(1).velocity, 1);
    EXPECT_EQ(voice(1).attackCount, 0) << "restarted";
}

TEST_F(Engine, ReusedVoiceKeepsItsPhases) {
    send({midiEvent(0x90, 60, 100)});
    render(1000);
    const float phase = voice(1).phase1;
    EXPECT_NE(phase, 0.0f);
    std::vector<vst::VstMidiEvent> notes(17, midiEvent(0x90, 60, 100));
    send(notes);
    EXPECT_EQ(voice(1).phase1, phase);
}

TEST_F(Engine, OnlyNoteOnsAndController126Act) {
    send({midiEvent(0x90, 60, 100), midiEvent(0x91, 62, 0)});
    EXPECT_EQ(voice(2).stage, 1) << "velocity 0 still takes a voice";
    render(10);
    const DrumVoices::Voice before = voice(1);
    send({midiEvent(0x80, 60, 64), midiEvent(0xB0, 123, 0), midiEvent(0xE0, 0, 64),
          midiEvent(0xC0, 5, 0)});
    EXPECT_EQ(voice(1).stage, before.stage);
    EXPECT_EQ(voice(1).attackCount, before.attackCount);
    EXPECT_EQ(synth.voices().nextVoice(), 2);

    vst::VstMidiEvent sysex = midiEvent(0x90, 60, 100);
    sysex.type = vst::kVstSysExType;
    send({sysex});
    EXPECT_EQ(synth.voices().nextVoice(), 2);

    send({midiEvent(0xB5, 126, 3)});
    EXPECT_TRUE(allIdle());
    render(64);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(left[i], 0.0f);
}

TEST_F(Engine, ShortestEnvelopeSoundsFifteenSamples) {
    for (int32_t p : {kA, kH, kR}) synth.setParameter(p, 0.0f);
    send({midiEvent(0x90, 60, 127)});
    // The stage test comes before the value: attack 2 samples, hold 2, release 11.
    const int32_t stageAfter[14] = {1, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    for (int n = 0; n < 15; ++n) {
        render(1);
        if (n < 14) {
            EXPECT_EQ(voice(1).stage, stageAfter[n]) << "after sample " << n;
        }
    }
    EXPECT_EQ(voice(1).stage, DrumVoices::stageIdle) << "idle from the 16th sample";
    EXPECT_EQ(voice(1).releaseCount, 11);
}

TEST_F(Engine, WaitingVoiceCountsOnlyInNonEmptyBlocks) {
    send({midiEvent(0x90, 60, 100, 100)});
    EXPECT_EQ(voice(1).stage, -99);
    render(0);
    render(-3);
    EXPECT_EQ(voice(1).stage, -99);
    render(64);
    EXPECT_EQ(voice(1).stage, -35);
    send({midiEvent(0x90, 60, 100, -20)});
    EXPECT_EQ(voice(2).stage, 1) << "negative deltaFrames counts as 0";
}

TEST_F(Engine, SampleRateChangeKeepsPitchAndLengthsInHertzAndSeconds) {
    Synth fast;
    fast.setSampleRate(48000.0f);
    send({midiEvent(0x90, 69, 100)});
    EventBlock block({midiEvent(0x90, 69, 100)});
    fast.processEvents(block.build());
    const double hz44 = voice(1).baseInc1 * 44100.0 / 4096;
    const double hz48 = fast.voices().voice(1).baseInc1 * 48000.0 / 4096;
    EXPECT_NEAR(hz44, 55.0, 1e-4) << "default Octave: an eighth of the note's frequency";
    EXPECT_NEAR(hz48, hz44, 1e-4);
    EXPECT_EQ(fast.parameters().derived().releaseLength.get(), 12010);
    EXPECT_EQ(fast.voices().voice(1).sweep1Left, 24001);
}

TEST_F(Engine, HugeIncrementsCannotRunThePhaseAway) {
    synth.setParameter(kOctave, 0.0f);   // Oct +1
    synth.setParameter(kW1Scale, 1.0f);  // sweep from 80 semitones above
    synth.setParameter(kW2Scale, 1.0f);
    synth.setParameter(kR, 1.0f);
    send({midiEvent(0x90, 127, 127)});
    float highest = 0.0f;
    for (int block = 0; block < 20; ++block) {
        render(4096);
        highest = std::max({highest, voice(1).phase1, voice(1).phase2});
    }
    EXPECT_LT(highest, 8192.0f + 4096.0f * 110);
    EXPECT_LT(voice(1).phase1, 8192.0f);
    EXPECT_GE(voice(1).phase1, 0.0f);
}

TEST_F(Engine, HostileParameterValuesNeverReadOutOfBounds) {
    const float nan = std::nanf("");
    const float inf = INFINITY;
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, -2.0f, 3.0f}) {
        for (int32_t i = 0; i < kNumParameters; ++i) synth.setParameter(i, v);
        send({midiEvent(0x90, 127, 127), midiEvent(0x90, 0, 1), midiEvent(0x90, 60, 64, 3)});
        render(512);
    }
    for (int32_t i = 0; i < kNumParameters; ++i) synth.setParameter(i, kParameterTable[i].defaultValue);
    send({midiEvent(0xB0, 126, 0)});
    render(64);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(left[i], 0.0f);
}
