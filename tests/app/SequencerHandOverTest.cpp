// The ALSA side's device-independent parts: the lock-free hand-over from
// the sequencer's thread to the audio thread (every message once, in order,
// a full ring dropping rather than waiting), sequencer events as MIDI bytes
// (garbage masked, never a stray status byte), a period's samples in the
// device's format, and the sequencer's messages sounding from a period's
// first frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "app/AlsaPeriod.h"
#include "app/MidiRing.h"
#include "app/SequencerMessage.h"
#include "binding/Products.h"

namespace tamrik::app {
namespace {

MidiMessage note(uint32_t n) {
    MidiMessage m;
    m.bytes[0] = uint8_t(0x90 | (n & 0x0F));
    m.bytes[1] = uint8_t((n >> 4) & 0x7F);
    m.bytes[2] = uint8_t((n >> 11) & 0x7F);
    m.size = 3;
    return m;
}

uint32_t numberOf(const MidiMessage& m) {
    return uint32_t(m.bytes[0] & 0x0F) | uint32_t(m.bytes[1]) << 4 | uint32_t(m.bytes[2]) << 11;
}

TEST(SequencerHandOver, EveryMessageArrivesOnceInOrderAcrossThreads) {
    MidiRing ring;
    constexpr uint32_t kMessages = 200000;
    std::thread producer([&] {
        for (uint32_t n = 0; n < kMessages; ++n)
            while (!ring.push(note(n))) std::this_thread::yield();
    });
    uint32_t expected = 0;
    bool inOrder = true;
    while (expected < kMessages) {
        MidiMessage m;
        if (!ring.pop(m)) {
            std::this_thread::yield();
            continue;
        }
        inOrder = inOrder && numberOf(m) == expected && m.size == 3;
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    MidiMessage extra;
    EXPECT_FALSE(ring.pop(extra));
}

TEST(SequencerHandOver, AFullRingDropsTheNewestAndKeepsTheRest) {
    MidiRing ring;
    for (uint32_t n = 0; n < MidiRing::kSize; ++n) ASSERT_TRUE(ring.push(note(n)));
    EXPECT_FALSE(ring.push(note(99999)));
    EXPECT_EQ(ring.dropped(), 1u);
    MidiMessage m;
    for (uint32_t n = 0; n < MidiRing::kSize; ++n) {
        ASSERT_TRUE(ring.pop(m));
        EXPECT_EQ(numberOf(m), n);
    }
    EXPECT_FALSE(ring.pop(m));
    EXPECT_TRUE(ring.push(note(7))) << "room again once read";
}

snd_seq_event_t event(int type) {
    snd_seq_event_t e{};
    e.type = snd_seq_event_type_t(type);
    return e;
}

TEST(SequencerMessages, ChannelMessagesBecomeMidiBytesAndGarbageIsMasked) {
    snd_seq_event_t on = event(SND_SEQ_EVENT_NOTEON);
    on.data.note = {9, 36, 100, 0, 0};
    std::optional<MidiMessage> m = midiMessageOf(on);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->size, 3);
    EXPECT_EQ((std::vector<uint8_t>{m->bytes[0], m->bytes[1], m->bytes[2]}), (std::vector<uint8_t>{0x99, 36, 100}));

    // A source that sends values no MIDI message holds.
    snd_seq_event_t wild = event(SND_SEQ_EVENT_CONTROLLER);
    wild.data.control.channel = 0xFF;
    wild.data.control.param = 0xFFFFFFFF;
    wild.data.control.value = -1;
    m = midiMessageOf(wild);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes[0], 0xBF);
    EXPECT_LT(m->bytes[1], 0x80);
    EXPECT_LT(m->bytes[2], 0x80);

    snd_seq_event_t program = event(SND_SEQ_EVENT_PGMCHANGE);
    program.data.control.channel = 2;
    program.data.control.value = 5;
    m = midiMessageOf(program);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->size, 2);
    EXPECT_EQ(m->bytes[0], 0xC2);
    EXPECT_EQ(m->bytes[1], 5);

    // Bend: the sequencer's is signed around 0, MIDI's 14 bits around 8192.
    const auto bend = [](int32_t value) {
        snd_seq_event_t e = event(SND_SEQ_EVENT_PITCHBEND);
        e.data.control.value = value;
        const MidiMessage b = *midiMessageOf(e);
        return int32_t(b.bytes[1]) | int32_t(b.bytes[2]) << 7;
    };
    EXPECT_EQ(bend(0), 8192);
    EXPECT_EQ(bend(-8192), 0);
    EXPECT_EQ(bend(8191), 16383);
    EXPECT_EQ(bend(1 << 30), 16383);
    EXPECT_EQ(bend(-(1 << 30)), 0);

    for (int type : std::initializer_list<int>{SND_SEQ_EVENT_SYSEX, SND_SEQ_EVENT_CLOCK, SND_SEQ_EVENT_PORT_START,
                                               SND_SEQ_EVENT_START, 255})
        EXPECT_FALSE(midiMessageOf(event(type))) << type;
}

TEST(AlsaPeriodSamples, MainInterleavedInTheDeviceFormatAndClipped) {
    const float left[] = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.5f, -7.0f, 1e-6f};
    const float right[] = {0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f};
    const float* main[] = {left, right};
    constexpr uint32_t kFrames = 8;

    std::vector<int16_t> s16(kFrames * 2);
    AlsaPeriod::write(main, kFrames, 2, AlsaPeriod::Format::Signed16, s16.data());
    EXPECT_EQ((std::vector<int16_t>{s16[0], s16[2], s16[4], s16[6], s16[8], s16[10], s16[12], s16[14]}),
              (std::vector<int16_t>{0, 16384, -16384, 32767, -32767, 32767, -32767, 0}));
    for (uint32_t i = 0; i < kFrames; ++i) EXPECT_EQ(s16[2 * i + 1], 8192) << i;

    std::vector<int32_t> s32(kFrames * 2);
    AlsaPeriod::write(main, kFrames, 2, AlsaPeriod::Format::Signed32, s32.data());
    EXPECT_GT(s32[6], 2147483000) << "full scale, no wrap to negative";
    EXPECT_LT(s32[12], -2147483000);
    EXPECT_EQ(s32[10], s32[6]);

    // Four channels: Main on the first two, silence on the rest, floats as they are.
    std::vector<float> f32(kFrames * 4, 9.0f);
    AlsaPeriod::write(main, kFrames, 4, AlsaPeriod::Format::Float32, f32.data());
    for (uint32_t i = 0; i < kFrames; ++i) {
        EXPECT_EQ(f32[4 * i], left[i]);
        EXPECT_EQ(f32[4 * i + 1], right[i]);
        EXPECT_EQ(f32[4 * i + 2], 0.0f);
        EXPECT_EQ(f32[4 * i + 3], 0.0f);
    }

    // A mono device takes the left channel alone.
    std::vector<int16_t> mono(kFrames);
    AlsaPeriod::write(main, kFrames, 1, AlsaPeriod::Format::Signed16, mono.data());
    EXPECT_EQ(mono[1], 16384);
}

TEST(AlsaPeriodSamples, SequencerMessagesSoundFromThePeriodsFirstFrame) {
    for (const binding::Product* product : {&binding::drumTamrik(), &binding::drumTamrikKit()}) {
        const std::unique_ptr<Instrument> instrument = binding::makeInstrument(*product);
        instrument->setSampleRate(48000.0f);
        MidiRing ring;
        AlsaPeriod period(*instrument, &ring, 64, 2, AlsaPeriod::Format::Float32);
        std::vector<float> out(64 * 2, 1.0f);
        period.render(out.data());
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.0f; })) << "silent before a note";
        ASSERT_TRUE(ring.push(MidiMessage{{0x99, 36, 127}, 3}));
        ASSERT_TRUE(ring.push(MidiMessage{{0x90, 36, 127}, 3}));
        period.render(out.data());
        // Sounding from the first frame (the instrument's attack may start at
        // zero), and not silent over the period.
        const auto firstSound = std::find_if(out.begin(), out.end(), [](float s) { return s != 0.0f; });
        ASSERT_NE(firstSound, out.end()) << product->identity.name;
        EXPECT_LT(firstSound - out.begin(), 8) << product->identity.name;
        MidiMessage left;
        EXPECT_FALSE(ring.pop(left)) << "every message taken in the period";
    }
}

}  // namespace
}  // namespace tamrik::app
