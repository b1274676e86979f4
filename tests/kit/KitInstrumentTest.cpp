// The Kit's behaviour through its instrument interface: the key map, pads
// sharing a key, chokes and their fade, the channel filter, routing, level
// and pan, velocity, mute, programs and the state.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "TestSignals.h"
#include "kit/FactoryKits.h"
#include "kit/KitInstrument.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/StateWriter.h"
#include "tests/InstructionSets.h"

using namespace tamrik;
using namespace tamrik::kit;

namespace {

// Every output channel of a render.
struct Outputs {
    std::array<std::vector<float>, kOutputChannels> channel;
    explicit Outputs(int32_t frames) {
        for (auto& c : channel) c.assign(size_t(frames), 0.0f);
    }
    bool silent(int32_t c) const { return test::silent(channel[size_t(c)]); }
};

Outputs render(KitInstrument& kit, int32_t frames, int32_t block = 64) {
    Outputs out(frames);
    for (int32_t at = 0; at < frames; at += block) {
        float* pointers[kOutputChannels];
        for (int32_t c = 0; c < kOutputChannels; ++c) pointers[c] = out.channel[size_t(c)].data() + at;
        kit.render(pointers, std::min(block, frames - at));
    }
    return out;
}

void note(Instrument& in, int32_t key, int32_t velocity = 100, int32_t frame = 0, int32_t channel = 0) {
    const uint8_t bytes[3] = {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)};
    in.receiveMidi(bytes, 3, frame);
}

void setPad(KitInstrument& kit, int32_t pad, int32_t setting, float value) {
    kit.setParameter(padIndex(pad, kSoundParameters + setting), value);
}

bool padSounds(const KitInstrument& kit, int32_t pad) { return !kit.pad(pad).engine().silent(); }

// A kit on a given path, and `count` more on it to play pads alone.
struct KitsOnPath {
    std::unique_ptr<KitInstrument> together;
    std::vector<std::unique_ptr<KitInstrument>> alone;
    std::vector<KitInstrument*> all;  // together first

    KitsOnPath(InstructionSet path, int32_t count) {
        together = std::make_unique<KitInstrument>(path);
        for (int32_t p = 0; p < count; ++p) alone.push_back(std::make_unique<KitInstrument>(path));
        all.push_back(together.get());
        for (auto& a : alone) all.push_back(a.get());
    }
};

// A sound long enough that a choke has something to cut.
void longRelease(KitInstrument& kit, int32_t pad) {
    kit.setParameter(padIndex(pad, kR), 0.8f);
    kit.setParameter(padIndex(pad, kH), 0.5f);
}

}  // namespace

TEST(KitMap, ValueMappingsAndNames) {
    EXPECT_EQ(noteOf(valueOfStep(36, 127)), 36);
    for (int32_t k = 0; k < 128; ++k) ASSERT_EQ(noteOf(valueOfStep(k, 127)), k);
    for (int32_t k = 0; k <= 8; ++k) ASSERT_EQ(eighthOf(valueOfStep(k, 8)), k);
    EXPECT_EQ(noteOf(-3.0f), 0);
    EXPECT_EQ(noteOf(1e30f), 0) << "beyond the integers: RoundEven's INT32_MIN, held to 0";
    EXPECT_EQ(levelGain(0.5f), 1.0);
    EXPECT_EQ(panLeft(0.5f), 1.0);
    EXPECT_EQ(panRight(0.5f), 1.0);
    EXPECT_EQ(panLeft(1.0f), 0.0);
    EXPECT_EQ(panRight(0.0f), 0.0);
    EXPECT_EQ(blendVelocity(1.0f, 0), 0);
    EXPECT_EQ(blendVelocity(1.0f, 37), 37);
    EXPECT_EQ(blendVelocity(0.0f, 1), 127);
    EXPECT_EQ(blendVelocity(0.5f, 27), 77);

    KitInstrument kit;
    EXPECT_EQ(kit.parameterCount(), 482);
    char text[64];
    for (int32_t i = 0; i < kit.parameterCount(); ++i) {
        kit.parameterShortName(i, text, sizeof text);
        ASSERT_LT(std::strlen(text), 8u) << i;
        ASSERT_GT(std::strlen(text), 0u) << i;
    }
    kit.parameterName(padIndex(0, kCutOff), text, sizeof text);
    EXPECT_STREQ(text, "Pad 1 CutOff");
    kit.parameterName(padIndex(15, kSoundParameters + kMute), text, sizeof text);
    EXPECT_STREQ(text, "Pad 16 Mute");
    kit.parameterDisplay(padIndex(0, kSoundParameters + kKey), text, sizeof text);
    EXPECT_STREQ(text, "36 C1");
    kit.parameterDisplay(padIndex(0, kSoundParameters + kLevel), text, sizeof text);
    EXPECT_STREQ(text, "0.0dB");
    kit.parameterDisplay(padIndex(2, kSoundParameters + kChoke), text, sizeof text);
    EXPECT_STREQ(text, "Group 1");
    kit.parameterDisplay(kChannelIndex, text, sizeof text);
    EXPECT_STREQ(text, "Omni");
    kit.outputName(5, text, sizeof text);
    EXPECT_STREQ(text, "Aux 2 R");
    EXPECT_EQ(kit.parameterGroup(padIndex(3, 29)), 3);
    EXPECT_EQ(kit.parameterGroup(kVolumeIndex), kPads);
    for (int32_t i = 0; i < kit.parameterCount(); ++i)
        ASSERT_EQ(kit.getParameter(i), kit.parameterDefault(i)) << "Init is every default: " << i;
}

TEST(KitPlay, EachDefaultKeyPlaysItsPadAndSharedKeysPlayEveryPad) {
    for (int32_t p = 0; p < kPads; ++p) {
        KitInstrument kit;
        note(kit, kDefaultKeys[size_t(p)]);
        for (int32_t q = 0; q < kPads; ++q) ASSERT_EQ(padSounds(kit, q), q == p) << p << " " << q;
    }
    // Pads 0 and 1 on one key: both play, summed in pad order.
    KitInstrument both, first, second;
    for (KitInstrument* k : {&both, &first, &second}) {
        k->setParameter(padIndex(1, kSoundParameters + kKey), valueOfStep(36, 127));
        k->setParameter(padIndex(1, kWave1), 0.25f);
    }
    setPad(first, 1, kMute, 1.0f);
    setPad(second, 0, kMute, 1.0f);
    for (KitInstrument* k : {&both, &first, &second}) note(*k, 36, 90, 5);
    const Outputs a = render(both, 2000), b = render(first, 2000), c = render(second, 2000);
    for (size_t i = 0; i < 2000; ++i)
        ASSERT_EQ(a.channel[0][i], b.channel[0][i] + c.channel[0][i]) << i;
    EXPECT_FALSE(b.silent(0));
    EXPECT_FALSE(c.silent(0));
}

TEST(KitPlay, AChokeFadesTheRestOfTheGroupWithinFiveMilliseconds) {
    KitInstrument choked, free;
    for (KitInstrument* k : {&choked, &free}) {
        longRelease(*k, 3);
        setPad(*k, 3, kOutput, valueOfStep(1, 8));  // the open hat alone on Aux 1
        note(*k, 46);                                // open hat
    }
    setPad(free, 2, kChoke, 0.0f);  // the closed hat leaves the group
    const int32_t at = 1000 + 17;
    for (KitInstrument* k : {&choked, &free}) note(*k, 42, 100, at);  // closed hat
    const Outputs a = render(choked, 4000, 4000), b = render(free, 4000, 4000);
    const int32_t fade = 220;  // 5 ms at 44100 Hz
    const auto& hat = a.channel[2];
    const auto& reference = b.channel[2];
    for (int32_t i = 0; i < at; ++i) ASSERT_EQ(hat[size_t(i)], reference[size_t(i)]) << i;
    for (int32_t i = at; i < at + fade; ++i) {
        const double share = double(fade - (i - at)) / fade;
        ASSERT_EQ(hat[size_t(i)], static_cast<float>(reference[size_t(i)] * share)) << i;
    }
    for (int32_t i = at + fade; i < 4000; ++i) ASSERT_EQ(hat[size_t(i)], 0.0f) << i;
    EXPECT_FALSE(padSounds(choked, 3));
    EXPECT_TRUE(padSounds(free, 3));
    EXPECT_TRUE(padSounds(choked, 2)) << "the choking pad plays on";
}

TEST(KitPlay, ANewNoteOnAFadingPadEndsTheFadeAndPlaysWhole) {
    KitInstrument kit;
    longRelease(kit, 3);
    note(kit, 46);
    render(kit, 500);
    note(kit, 42, 100, 10);  // chokes the open hat at 10
    note(kit, 46, 100, 60);  // and the open hat again at 60, inside the fade
    render(kit, 64);
    EXPECT_TRUE(padSounds(kit, 3));
    int32_t sounding = 0;
    for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
        sounding += kit.pad(3).engine().voice(v).stage != DrumVoices::stageIdle;
    EXPECT_EQ(sounding, 1) << "the old hit is gone, the new one sounds";
    // Pads struck by one note never choke each other.
    setPad(kit, 2, kKey, valueOfStep(46, 127));
    note(kit, 46);
    render(kit, 500);
    EXPECT_TRUE(padSounds(kit, 2));
    EXPECT_TRUE(padSounds(kit, 3));
}

TEST(KitPlay, ChannelFilterRoutingLevelPanVelocityAndMute) {
    KitInstrument kit;
    kit.setParameter(kChannelIndex, valueOfStep(10, 16));
    note(kit, 36, 100, 0, 0);
    EXPECT_FALSE(padSounds(kit, 0)) << "channel 1 is not listened to";
    note(kit, 36, 100, 0, 9);
    EXPECT_TRUE(padSounds(kit, 0));
    const uint8_t offOnOne[3] = {0xB0, 126, 0};
    kit.receiveMidi(offOnOne, 3, 0);
    EXPECT_TRUE(padSounds(kit, 0)) << "nor is its controller 126";
    const uint8_t offOnTen[3] = {0xB9, 126, 0};
    kit.receiveMidi(offOnTen, 3, 0);
    EXPECT_FALSE(padSounds(kit, 0));

    KitInstrument plain, routed;
    setPad(routed, 0, kOutput, valueOfStep(3, 8));
    setPad(routed, 0, kLevel, 0.25f);  // gain 0.25
    setPad(routed, 0, kPan, 0.0f);     // hard left
    for (KitInstrument* k : {&plain, &routed}) note(*k, 36);
    const Outputs a = render(plain, 1500), b = render(routed, 1500);
    EXPECT_TRUE(b.silent(0) && b.silent(1)) << "a routed pad leaves the main mix";
    EXPECT_TRUE(b.silent(7)) << "panned hard left";
    for (size_t i = 0; i < 1500; ++i)
        ASSERT_EQ(b.channel[6][i], a.channel[0][i] * 0.25f) << i;

    KitInstrument soft;
    setPad(soft, 0, kVelocity, 0.0f);
    note(soft, 36, 1);
    EXPECT_EQ(soft.pad(0).engine().voice(1).velocity, 127) << "velocity amount 0 plays 127";
    setPad(soft, 0, kVelocity, 0.5f);
    note(soft, 36, 27);
    EXPECT_EQ(soft.pad(0).engine().voice(2).velocity, 77);

    KitInstrument muted;
    setPad(muted, 0, kMute, 1.0f);
    note(muted, 36);
    EXPECT_FALSE(padSounds(muted, 0));
    setPad(muted, 0, kMute, 0.0f);
    note(muted, 36);
    setPad(muted, 0, kMute, 1.0f);
    EXPECT_TRUE(render(muted, 500).silent(0)) << "muting a sounding pad silences it";
}

TEST(KitPlay, NothingSoundingAddsNothingAndNilChannelsAreSkipped) {
    KitInstrument kit;
    Outputs out(64);
    out.channel[0][3] = 0.5f;
    float* pointers[kOutputChannels] = {};
    for (int32_t c = 0; c < kOutputChannels; ++c) pointers[c] = out.channel[size_t(c)].data();
    kit.render(pointers, 64);
    EXPECT_EQ(out.channel[0][3], 0.5f) << "the kit adds; with nothing sounding it adds nothing";
    note(kit, 36);
    float* onlyAux[kOutputChannels] = {};
    kit.render(onlyAux, 64);  // every channel missing: time passes all the same
    kit.render(nullptr, 64);
    EXPECT_EQ(kit.pad(0).engine().voice(1).attackCount, 64);
}

// Hosts may hand one buffer for several channels, or buffers that overlap:
// each pad's sum goes to the left and then the right channel of its pair
// over the whole block, pad after pad, whatever the channels share.
TEST(KitPlay, ChannelsSharingMemoryTakeEachPadsAddsInOrder) {
    constexpr int32_t kFrames = 203, kPlayed = 6;
    for (InstructionSet path : tamrik::test::runnablePaths()) {
        const char* isa = nameOf(path);
        for (const int32_t shift : {0, 1, 5}) {  // the right channels start `shift` samples on
            const KitsOnPath kits(path, kPlayed);
            KitInstrument& together = *kits.together;
            const auto& alone = kits.alone;
            for (KitInstrument* k : kits.all)
                for (int32_t p = 0; p < kPads; ++p) {
                    setPad(*k, p, kKey, valueOfStep(36 + p, 127));
                    setPad(*k, p, kChoke, 0.0f);
                    setPad(*k, p, kOutput, valueOfStep(p % 2, kAuxPairs));
                }
            for (int32_t p = 0; p < kPlayed; ++p) {
                note(together, 36 + p, 30 + 15 * p, 3 * p);
                note(*alone[size_t(p)], 36 + p, 30 + 15 * p, 3 * p);
            }
            std::mt19937 rng{uint32_t(shift)};
            std::vector<float> shared(kFrames + shift), expected;
            for (float& x : shared) x = rng() % 5 == 0 ? -0.0f : float(rng() % 7) - 3.0f;
            expected = shared;
            int32_t sounding = 0;
            for (int32_t p = 0; p < kPlayed; ++p) {
                const Outputs solo = render(*alone[size_t(p)], kFrames, kFrames);
                const int32_t left = 2 * (p % 2);
                for (float x : solo.channel[size_t(left)]) sounding += x != 0.0f;
                for (int32_t i = 0; i < kFrames; ++i)
                    expected[size_t(i)] = expected[size_t(i)] + solo.channel[size_t(left)][size_t(i)];
                for (int32_t i = 0; i < kFrames; ++i)
                    expected[size_t(i + shift)] =
                        expected[size_t(i + shift)] + solo.channel[size_t(left + 1)][size_t(i)];
            }
            float* pointers[kOutputChannels];
            for (int32_t c = 0; c < kOutputChannels; ++c) pointers[c] = shared.data() + (c % 2) * shift;
            together.render(pointers, kFrames);
            EXPECT_GT(sounding, kFrames) << isa << ": too little to compare";
            for (size_t i = 0; i < shared.size(); ++i)
                ASSERT_EQ(std::memcmp(&expected[i], &shared[i], sizeof(float)), 0)
                    << isa << " shift " << shift << " sample " << i << ": " << expected[i] << " against "
                    << shared[i];
        }
    }
}

TEST(KitPrograms, FactoryKitsLoadWholeAndReselectingTheCurrentKeepsTheSession) {
    KitInstrument kit;
    ASSERT_GE(kit.programCount(), 5);
    char name[32];
    for (int32_t p = 0; p < kit.programCount(); ++p) {
        kit.programName(p, name, sizeof name);
        EXPECT_EQ(std::string(name), kFactoryKits[size_t(p)].name);
    }
    kit.setProgram(1);
    EXPECT_EQ(kit.kitName(), "Standard");
    EXPECT_EQ(kit.padName(3), "Open Hat");
    kit.setParameter(padIndex(0, kCutOff), 0.123f);
    kit.setProgram(1);
    EXPECT_EQ(kit.getParameter(padIndex(0, kCutOff)), 0.123f);
    kit.setProgram(0);
    for (int32_t i = 0; i < kit.parameterCount(); ++i) ASSERT_EQ(kit.getParameter(i), kit.parameterDefault(i));
    kit.setProgramName("Mine");
    kit.programName(0, name, sizeof name);
    EXPECT_STREQ(name, "Mine");
    EXPECT_FALSE(kit.copyProgram(2));
    kit.setProgram(99);
    kit.setProgram(-1);
    EXPECT_EQ(kit.currentProgram(), 0);
}

TEST(KitState, RoundTripGivesTheSameBytesAndRefusalsChangeNothing) {
    KitInstrument a;
    a.setProgram(2);
    a.setParameter(padIndex(7, kQ), 0.77f);
    a.setParameter(padIndex(7, kSoundParameters + kPitch), valueOfStep(70, 127));
    a.setParameter(kVolumeIndex, 0.4f);
    a.setPadName(7, "My Crash");
    a.setProgramName("Session kit");
    const std::vector<uint8_t> saved = a.saveState();

    KitInstrument b;
    ASSERT_TRUE(b.loadState(saved.data(), saved.size()));
    EXPECT_EQ(b.saveState(), saved);
    EXPECT_EQ(b.padName(7), "My Crash");
    EXPECT_EQ(b.kitName(), "Session kit");
    EXPECT_EQ(b.currentProgram(), 2);
    b.setProgram(2);  // as hosts do after restoring
    EXPECT_EQ(b.saveState(), saved);

    KitInstrument c;
    const std::vector<uint8_t> before = c.saveState();
    auto refused = [&](const std::vector<uint8_t>& bytes, const char* what) {
        EXPECT_FALSE(c.loadState(bytes.data(), bytes.size())) << what;
        EXPECT_EQ(c.saveState(), before) << what;
    };
    std::vector<uint8_t> flipped = saved;
    flipped[saved.size() / 3] ^= 1;
    refused(flipped, "damaged");
    refused(std::vector<uint8_t>(saved.begin(), saved.end() - 5), "truncated");
    DrumTamrikInstrument drum;
    refused(drum.saveState(), "DrumTamrik's state");
    StateWriter noNames(KitInstrument::kUniqueId, 1);
    noNames.begin("VALS");
    noNames.u32(kKitParameters);
    for (int32_t i = 0; i < kKitParameters; ++i) noNames.f32(0.5f);
    noNames.end();
    refused(noNames.finish(), "without names");

    // A later version: more values, a longer name record, an unknown record.
    StateWriter later(KitInstrument::kUniqueId, 3);
    later.begin("NEW!");
    later.u32(1);
    later.end();
    later.begin("CURR");
    later.u32(1);
    later.end();
    later.begin("KNAM");
    later.text("Later");
    later.u32(99);
    later.end();
    later.begin("VALS");
    later.u32(kKitParameters + 10);
    for (int32_t i = 0; i < kKitParameters + 10; ++i) later.f32(i < kKitParameters ? a.getParameter(i) : 0.0f);
    later.end();
    for (int32_t p = 0; p < kPads; ++p) {
        later.begin("PADN");
        later.u32(uint32_t(p));
        later.text("P");
        later.end();
    }
    const std::vector<uint8_t> laterBytes = later.finish();
    ASSERT_TRUE(c.loadState(laterBytes.data(), laterBytes.size()));
    EXPECT_EQ(c.kitName(), "Later");
    EXPECT_EQ(c.getParameter(padIndex(7, kQ)), 0.77f);
    EXPECT_EQ(c.currentProgram(), 1);
}

TEST(KitParameters, NonFiniteValuesAndIndicesOutOfRangeChangeNothing) {
    KitInstrument kit;
    for (int32_t i : {0, padIndex(5, 24), kChannelIndex, kVolumeIndex}) {
        const float before = kit.getParameter(i);
        kit.setParameter(i, std::nanf(""));
        kit.setParameter(i, INFINITY);
        EXPECT_EQ(kit.getParameter(i), before) << i;
    }
    kit.setParameter(-1, 0.5f);
    kit.setParameter(482, 0.5f);
    EXPECT_EQ(kit.getParameter(482), 0.0f);
    char text[8];
    kit.parameterDisplay(482, text, sizeof text);
    EXPECT_STREQ(text, "");
    // Wild but finite values: defined sound, nothing out of bounds.
    for (int32_t s = 0; s < kPadSettings; ++s) kit.setParameter(padIndex(0, kSoundParameters + s), -1e30f);
    note(kit, 0);
    const Outputs out = render(kit, 256);
    for (const auto& c : out.channel)
        for (float x : c) ASSERT_TRUE(std::isfinite(x));
}

// Pads sounding together share lane groups, each lane with its own pad's
// sound; what each pad adds is still its own sound, and the pads are summed
// in pad order. The whole kit against the pad-order sum of each pad played
// alone: every factory kit (sixteen different sounds), every path, notes on
// every pad at any frame (many on some), pads on Main and on Aux pairs,
// blocks of any size. Level and Pan stay at gain 1, where a lone pad's
// output is its sound.
TEST(KitPlay, PadsPlayedTogetherSumWhatEachPlaysAloneInPadOrder) {
    constexpr int32_t kFrames = 2500;
    for (InstructionSet path : tamrik::test::runnablePaths()) {
        const char* isa = nameOf(path);
        for (int32_t program = 1; program < kFactoryKitCount; ++program) {
            const KitsOnPath kits(path, kPads);
            KitInstrument& together = *kits.together;
            const auto& alone = kits.alone;
            for (KitInstrument* k : kits.all) {
                k->setProgram(program);
                for (int32_t p = 0; p < kPads; ++p) {
                    setPad(*k, p, kKey, valueOfStep(36 + p, 127));  // one pad a key
                    setPad(*k, p, kLevel, 0.5f);
                    setPad(*k, p, kPan, 0.5f);
                    setPad(*k, p, kChoke, 0.0f);  // a pad alone has nobody to choke it
                    setPad(*k, p, kOutput, valueOfStep(p % 3, kAuxPairs));
                }
            }
            std::mt19937 rng{uint32_t(program)};
            std::vector<Outputs> soloOut;
            for (int32_t p = 0; p < kPads; ++p) soloOut.emplace_back(kFrames);
            Outputs got(kFrames);
            for (int32_t at = 0; at < kFrames;) {
                const int32_t frames = std::min(kFrames - at, 1 + int32_t(rng() % 300));
                const int32_t notes = rng() % 3 == 0 ? 20 : int32_t(rng() % 6);
                for (int32_t n = 0; n < notes; ++n) {
                    const int32_t p = int32_t(rng() % kPads), velocity = 1 + int32_t(rng() % 127),
                                  frame = int32_t(rng() % uint32_t(frames + 20));
                    note(together, 36 + p, velocity, frame);
                    note(*alone[size_t(p)], 36 + p, velocity, frame);
                }
                const auto renderInto = [&](KitInstrument& k, Outputs& out) {
                    float* pointers[kOutputChannels];
                    for (int32_t c = 0; c < kOutputChannels; ++c) pointers[c] = out.channel[size_t(c)].data() + at;
                    k.render(pointers, frames);
                };
                renderInto(together, got);
                for (int32_t p = 0; p < kPads; ++p) renderInto(*alone[size_t(p)], soloOut[size_t(p)]);
                at += frames;
            }
            int32_t sounding = 0;
            for (int32_t c = 0; c < kOutputChannels; ++c) {
                for (int32_t i = 0; i < kFrames; ++i) {
                    float expected = 0.0f;
                    for (int32_t p = 0; p < kPads; ++p) expected = expected + soloOut[size_t(p)].channel[size_t(c)][size_t(i)];
                    const float actual = got.channel[size_t(c)][size_t(i)];
                    sounding += expected != 0.0f;
                    ASSERT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0)
                        << isa << " kit " << program << " channel " << c << " frame " << i << ": "
                        << expected << " against " << actual;
                }
            }
            EXPECT_GT(sounding, kFrames) << isa << " kit " << program << ": too little to compare";
        }
    }
}

namespace tamrik::kit {
namespace {

// What the panel reads and asks: an audition is the pad struck at full
// velocity in the next block, bit for bit as its key would strike it; hit
// counts follow every strike; the last note is seen whether or not a pad
// plays it, on the kit's channel only.
TEST(KitPanelView, AuditionHitsAndTheLastNote) {
    KitInstrument auditioned, played;
    longRelease(auditioned, 3);
    longRelease(played, 3);
    auditioned.audition(3);
    auditioned.audition(3);  // twice before a block: one strike
    auditioned.audition(-1);
    auditioned.audition(kPads);
    note(played, 46, 127);
    const Outputs a = render(auditioned, 2048), b = render(played, 2048);
    for (int32_t c = 0; c < kOutputChannels; ++c) EXPECT_EQ(a.channel[size_t(c)], b.channel[size_t(c)]) << c;
    EXPECT_FALSE(a.silent(0));
    EXPECT_EQ(auditioned.hitCount(3), 1u);
    EXPECT_EQ(auditioned.hitCount(2), 0u);
    EXPECT_EQ(auditioned.hitCount(kPads), 0u);
    EXPECT_EQ(played.hitCount(3), 1u);

    // An audition chokes the rest of its group, as the key does.
    auditioned.audition(2);
    render(auditioned, 2048);
    EXPECT_FALSE(padSounds(auditioned, 3));

    KitInstrument kit;
    const uint32_t start = kit.lastNote();
    note(kit, 100);  // no pad's key
    EXPECT_EQ(kit.lastNote() & 0x7F, 100u);
    EXPECT_NE(kit.lastNote(), start);
    const uint32_t first = kit.lastNote();
    note(kit, 100);
    EXPECT_NE(kit.lastNote(), first) << "the same note again is a new note";
    kit.setParameter(kChannelIndex, valueOfStep(2, 16));
    const uint32_t before = kit.lastNote();
    note(kit, 36, 100, 0, 0);
    EXPECT_EQ(kit.lastNote(), before) << "another channel is not heard";
    EXPECT_EQ(kit.hitCount(0), 0u);
    note(kit, 36, 100, 0, 1);
    EXPECT_EQ(kit.lastNote() & 0x7F, 36u);
    EXPECT_EQ(kit.hitCount(0), 1u);

    // A muted pad is neither struck nor counted.
    setPad(kit, 5, kMute, 1.0f);
    kit.audition(5);
    render(kit, 64);
    EXPECT_EQ(kit.hitCount(5), 0u);
    EXPECT_FALSE(padSounds(kit, 5));

    char text[8];
    kit.padName(0, text, sizeof text);
    EXPECT_STREQ(text, "Kick");
    kit.padName(kPads, text, sizeof text);
    EXPECT_STREQ(text, "");
    kit.setKitName("A long kit name indeed");
    kit.kitName(text, sizeof text);
    EXPECT_STREQ(text, "A long ");
}

}  // namespace
}  // namespace tamrik::kit
