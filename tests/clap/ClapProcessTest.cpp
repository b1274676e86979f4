// The audio side as a CLAP host drives it: activation at every rate a host
// may use, any block size, the events a host may send (CLAP and MIDI notes,
// parameters at their sample, unknown and damaged events), velocity
// rounding, sleep, reset and flush.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "ClapTestHost.h"
#include "TestSignals.h"
#include "synth/ParameterTable.h"

using namespace tamrik::test::clap;
using namespace tamrik;
using tamrik::test::silent;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();


bool finite(const std::vector<float>& v) {
    for (float x : v)
        if (!std::isfinite(x)) return false;
    return true;
}

// A note rendered alone from a fresh instance at 44100 Hz.
std::vector<float> play(AnyEvent note, uint32_t frames = 4096) {
    ClapInstance p;
    p.activate(44100.0);
    return p.render(frames, 256, {{0, note}});
}

}  // namespace

TEST(ClapProcess, ActivatesAtEveryUsableRateAndRefusesTheRest) {
    for (double rate : {44100.0, 48000.0, 96000.0, 1000.0, 768000.0}) {
        ClapInstance p;
        ASSERT_TRUE(p.activate(rate)) << rate;
        const std::vector<float> out = p.render(uint32_t(rate / 4), 512, {{10, noteOn(0, 60, 1.0)}});
        EXPECT_FALSE(silent(out)) << rate;
        EXPECT_TRUE(finite(out)) << rate;
    }
    for (double rate : {0.0, -44100.0, kNaN, kInf, 1e300}) {
        ClapInstance p;
        EXPECT_FALSE(p.activate(rate)) << rate;
    }
}

TEST(ClapProcess, AnyBlockSizeGivesTheSameSamples) {
    const std::vector<std::pair<uint32_t, AnyEvent>> events = {
        {0, paramValue(0, kQ, 0.6)},          {5, noteOn(0, 40, 0.8)},     {700, paramValue(0, kCutOff, 0.2)},
        {701, noteOn(0, 70, 0.5)},            {9000, midi(0, 0x99, 52, 90)}, {12000, paramValue(0, kWave1, 3.0)},
        {16383, paramValue(0, kCutOff, 0.9)}, {20000, noteOn(0, 30, 1.0)}};
    auto renderIn = [&](uint32_t block) {
        ClapInstance p;
        p.activate(44100.0);
        return p.render(32768, block, events);
    };
    const std::vector<float> reference = renderIn(64);
    EXPECT_FALSE(silent(reference));
    for (uint32_t block : {1u, 3u, 255u, 4096u, 16384u}) EXPECT_EQ(renderIn(block), reference) << block;
}

TEST(ClapProcess, ToleratesWhatAHostMayLeaveOut) {
    ClapInstance p;
    p.activate(48000.0);
    std::vector<float> left(512, 9.0f), right(512, 9.0f);
    float* channels[2] = {left.data(), right.data()};
    clap_audio_buffer_t output{channels, nullptr, 2, 0, 3};
    clap_process_t proc{};
    proc.steady_time = -1;
    proc.frames_count = 512;
    proc.audio_outputs = &output;
    proc.audio_outputs_count = 1;
    proc.transport = nullptr;
    proc.in_events = nullptr;
    proc.out_events = nullptr;
    EXPECT_EQ(p.plugin()->process(p.plugin(), &proc), CLAP_PROCESS_SLEEP);
    EXPECT_TRUE(silent(left) && silent(right)) << "outputs are written, not added to";
    EXPECT_EQ(output.constant_mask, 0u);
    proc.frames_count = 0;
    EXPECT_NE(p.plugin()->process(p.plugin(), &proc), CLAP_PROCESS_ERROR);
    EXPECT_EQ(p.plugin()->process(p.plugin(), nullptr), CLAP_PROCESS_ERROR);

    // No output buffers at all: time still passes for the voices.
    InputEvents note({noteOn(0, 60, 1.0)});
    proc.frames_count = 256;
    proc.audio_outputs = nullptr;
    proc.audio_outputs_count = 0;
    proc.in_events = note.list();
    EXPECT_EQ(p.plugin()->process(p.plugin(), &proc), CLAP_PROCESS_CONTINUE);
    ClapInstance fresh;
    fresh.activate(48000.0);
    const std::vector<float> whole = fresh.render(1024, 256, {{0, noteOn(0, 60, 1.0)}});
    const std::vector<float> rest = p.render(768, 256);
    EXPECT_EQ(rest, std::vector<float>(whole.begin() + 256, whole.end()));
}

TEST(ClapProcess, OneBufferForBothChannelsHoldsTheSignalOnce) {
    ClapInstance shared, apart;
    shared.activate(44100.0);
    apart.activate(44100.0);
    std::vector<float> one(2048), left(2048), right(2048);
    const InputEvents note({noteOn(3, 64, 0.9)});
    shared.process(one.data(), one.data(), 2048, note);
    apart.process(left.data(), right.data(), 2048, note);
    EXPECT_EQ(one, left);
    EXPECT_EQ(left, right);
}

TEST(ClapProcess, EventsOfUnknownKindsOrDamagedOnesAreIgnored) {
    AnyEvent foreignSpace = noteOn(0, 60, 1.0);
    foreignSpace.header.space_id = 0x4242;
    AnyEvent unknownType = noteOn(0, 60, 1.0);
    unknownType.header.type = 0x7777;
    AnyEvent shortNote = noteOn(0, 60, 1.0);
    shortNote.header.size = sizeof(clap_event_header_t);
    AnyEvent badKey = noteOn(0, 128, 1.0);
    AnyEvent wildcardKey = noteOn(0, -1, 1.0);
    AnyEvent foreignParam = paramValue(0, kVolume, 0.0);
    foreignParam.header.space_id = 3;
    for (const AnyEvent& e : {foreignSpace, unknownType, shortNote, badKey, wildcardKey})
        EXPECT_TRUE(silent(play(e))) << e.header.type;

    ClapInstance p;
    p.activate(44100.0);
    std::vector<float> left(64), right(64);
    p.process(left.data(), right.data(), 64, InputEvents({foreignParam, paramValue(0, 999, 0.5)}));
    EXPECT_EQ(p.value(kVolume), 0.5);
}

TEST(ClapProcess, NonFiniteParameterValuesChangeNothing) {
    ClapInstance p;
    p.activate(44100.0);
    std::vector<float> left(64), right(64);
    p.process(left.data(), right.data(), 64,
              InputEvents({paramValue(0, kCutOff, kNaN), paramValue(1, kQ, kInf), paramValue(2, kEnv, -kInf),
                           paramValue(3, kA, 1e300), paramValue(4, kType, kNaN)}));
    p.params().flush(p.plugin(), InputEvents({paramValue(0, kR, kNaN)}).list(), nullptr);
    for (clap_id id : {kCutOff, kQ, kEnv, kA, kR}) EXPECT_EQ(p.value(id), double(kParameterTable[id].defaultValue));
    EXPECT_EQ(p.value(kType), 0.0);
    const std::vector<float> out = p.render(8192, 512, {{0, noteOn(0, 50, 1.0)}});
    EXPECT_FALSE(silent(out));
    EXPECT_TRUE(finite(out));
}

TEST(ClapProcess, ValuesOutsideTheRangeAreKeptAsTheOtherFormatsKeepThem) {
    ClapInstance p;
    p.activate(44100.0);
    p.params().flush(p.plugin(), InputEvents({paramValue(0, kCutOff, 1.5), paramValue(0, kWave1, 2.7)}).list(),
                     nullptr);
    EXPECT_EQ(p.value(kCutOff), 1.5);
    EXPECT_EQ(p.value(kWave1), 2.0) << "a stepped value's integer part";
}

TEST(ClapProcess, VelocityRoundsToTheNearestMidiVelocity) {
    struct Case {
        double clap;
        uint8_t midi;
    };
    for (const Case c : {Case{1.0, 127}, Case{0.5, 64}, Case{100.0 / 127.0, 100}, Case{1.0 / 127.0, 1},
                         Case{0.4 / 127.0, 0}, Case{2.0, 127}, Case{-1.0, 0}, Case{kNaN, 0}}) {
        const std::vector<float> viaClap = play(noteOn(0, 45, c.clap));
        EXPECT_EQ(viaClap, play(midi(0, 0x90, 45, c.midi))) << c.clap;
        EXPECT_EQ(silent(viaClap), c.midi == 0) << c.clap;
    }
    for (int k = 0; k <= 127; k += 9)
        EXPECT_EQ(play(noteOn(0, 80, k / 127.0), 600), play(midi(0, 0x90, 80, uint8_t(k)), 600)) << k;
}

TEST(ClapProcess, NotesBehaveAsInVst) {
    const std::vector<float> note = play(noteOn(0, 60, 0.8));
    // Channel is not looked at; note-offs (CLAP and MIDI) change nothing.
    EXPECT_EQ(play(noteOn(0, 60, 0.8, 9)), note);
    ClapInstance p;
    p.activate(44100.0);
    const std::vector<float> withOffs = p.render(
        4096, 256, {{0, noteOn(0, 60, 0.8)}, {10, noteOff(0, 60)}, {20, midi(0, 0x80, 60, 0)}, {30, midi(0, 0x90, 61, 0)}});
    ClapInstance q;
    q.activate(44100.0);
    EXPECT_EQ(withOffs, q.render(4096, 256, {{0, noteOn(0, 60, 0.8)}, {30, midi(0, 0x90, 61, 0)}}));
    // Controller 126 silences at once, as a VST host's does: from the start
    // of the block that brings it (here frame 768, blocks of 256).
    ClapInstance r;
    r.activate(44100.0);
    const std::vector<float> cut = r.render(4096, 256, {{0, noteOn(0, 60, 0.8)}, {1000, midi(0, 0xB5, 126, 0)}});
    EXPECT_EQ(std::vector<float>(cut.begin(), cut.begin() + 768), std::vector<float>(note.begin(), note.begin() + 768));
    EXPECT_TRUE(silent(std::vector<float>(cut.begin() + 768, cut.end())));
}

TEST(ClapProcess, SleepsWhenNothingSoundsAndResetSilencesButKeepsValues) {
    ClapInstance p;
    p.activate(44100.0);
    std::vector<float> left(256), right(256);
    EXPECT_EQ(p.process(left.data(), right.data(), 256), CLAP_PROCESS_SLEEP);
    // A note on the block's last sample has not sounded yet, but it will.
    EXPECT_EQ(p.process(left.data(), right.data(), 256, InputEvents({noteOn(255, 60, 1.0)})), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(p.process(left.data(), right.data(), 256, InputEvents({paramValue(0, kQ, 0.3)})), CLAP_PROCESS_CONTINUE);
    EXPECT_FALSE(silent(left));
    p.plugin()->reset(p.plugin());
    EXPECT_EQ(p.process(left.data(), right.data(), 256), CLAP_PROCESS_SLEEP);
    EXPECT_TRUE(silent(left));
    EXPECT_EQ(p.value(kQ), double(0.3f));

    // A note runs to its end, then the instance sleeps.
    p.params().flush(p.plugin(), InputEvents({paramValue(0, kR, 0.3), paramValue(0, kA, 0.0)}).list(), nullptr);
    EXPECT_EQ(p.process(left.data(), right.data(), 256, InputEvents({noteOn(0, 60, 1.0)})), CLAP_PROCESS_CONTINUE);
    int blocks = 0;
    while (p.process(left.data(), right.data(), 256) == CLAP_PROCESS_CONTINUE && blocks < 1000) ++blocks;
    EXPECT_LT(blocks, 1000);
    EXPECT_GT(blocks, 0);
}

TEST(ClapProcess, FlushAppliesParametersWhileInactive) {
    ClapInstance p;
    p.params().flush(p.plugin(), InputEvents({paramValue(0, kOctave, 0.0), paramValue(0, kClip, 0.25)}).list(), nullptr);
    EXPECT_EQ(p.value(kOctave), 0.0);
    EXPECT_EQ(p.value(kClip), 0.25);
    p.params().flush(p.plugin(), nullptr, nullptr);
    EXPECT_EQ(p.value(kClip), 0.25);
}
