// The SIMD lane paths against the one-voice code: random but reproducible
// note streams and parameter sets, every switch combination, rendered by the
// scalar path and by each wider path the CPU has, must give the same output
// bits and leave every voice in the same state (SameBits.h); and voices of
// many sounds sharing lane groups, against each sound alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/FloatingPointGuard.h"
#include "synth/DrumVoices.h"
#include "synth/SharedLanes.h"
#include "tests/InstructionSets.h"
#include "tests/synth/SameBits.h"

using namespace tamrik;
using tamrik::test::runnablePaths;
using tamrik::test::sameBits;

namespace {

// One engine on a given path, with its own parameters.
struct Engine {
    SynthParameters params;
    DrumVoices voices;

    explicit Engine(InstructionSet path) : voices(params, path) { voices.initEngine(); }
};

// A value for a continuous parameter: mostly 0 to 1, sometimes outside, now
// and then far outside or not finite.
float anyValue(std::mt19937& rng) {
    const uint32_t pick = rng() % 64;
    if (pick == 0) {
        const float wild[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 40.0f, -7.0f};
        return wild[rng() % std::size(wild)];
    }
    std::uniform_real_distribution<float> inside(0.0f, 1.0f), around(-0.3f, 1.3f);
    return pick < 48 ? inside(rng) : around(rng);
}

struct Case {
    float values[kNumParameters];
    bool runaway;  // sweeps far above the note, so phases reach the guard
};

// Case k takes switch combination k (Weight, Type, Curve, both waves, Ring,
// FM, Clip on or off, Multi) and random values for the rest.
Case makeCase(uint32_t k, std::mt19937& rng) {
    Case c{};
    for (float& v : c.values) v = anyValue(rng);
    auto digit = [&](uint32_t radix) {
        const uint32_t d = k % radix;
        k /= radix;
        return static_cast<float>(d);
    };
    c.values[kWeight] = digit(3) / 2;
    c.values[kType] = digit(3) / 2;
    c.values[kCurve] = digit(3) / 2;
    c.values[kWave1] = digit(5) / 4;
    c.values[kWave2] = digit(5) / 4;
    c.values[kRing] = digit(2);
    c.values[kFM] = digit(2);
    if (digit(2) == 0) c.values[kClip] = 1.0f;
    c.values[kMulti] = digit(2);
    // Short envelopes most of the time, so voices end inside blocks.
    for (int32_t p : {kA, kH, kR})
        if (rng() % 4 != 0) c.values[p] = static_cast<float>(rng() % 1000) / 40000.0f;
    c.runaway = rng() % 8 == 0;
    if (c.runaway) {
        c.values[kOctave] = 0.0f;
        c.values[kW1Scale] = 1.0f + static_cast<float>(rng() % 3);
        c.values[kW2Scale] = 1.0f + static_cast<float>(rng() % 3);
        c.values[kW1Time] = 0.5f;
    }
    return c;
}

// One step of the stream: the events of a block, then its render.
struct Step {
    enum Kind { noteOn, soundOff } kind;
    int32_t note, velocity, deltaFrames;
};

void apply(Engine& e, const Step& step) {
    if (step.kind == Step::noteOn)
        e.voices.playNote(step.note, step.velocity, step.deltaFrames);
    else
        e.voices.allSoundOff();
}

// Renders one block on every engine, each first taking `events`, into the
// same starting output (what a host left there, -0 included), and compares
// output bits and voice states with the first engine's (the scalar path).
template <class Events>
void compareBlock(const std::vector<Engine*>& engines, int32_t frames, std::mt19937& rng,
                  Events events, const std::string& where) {
    std::vector<float> start(static_cast<size_t>(frames));
    for (float& x : start) x = rng() % 5 == 0 ? -0.0f : static_cast<float>(rng() % 7) - 3.0f;
    std::vector<std::vector<float>> out(2 * engines.size(), start);
    for (size_t e = 0; e < engines.size(); ++e) {
        events(*engines[e]);
        const FloatingPointGuard fp;
        engines[e]->voices.render(out[2 * e].data(), out[2 * e + 1].data(), frames);
    }
    for (size_t e = 1; e < engines.size(); ++e) {
        const char* isa = nameOf(engines[e]->voices.isa());
        for (size_t channel = 0; channel < 2; ++channel)
            ASSERT_TRUE(sameBits(out[channel].data(), out[2 * e + channel].data(), out[channel].size()))
                << isa << " " << where << " channel " << channel;
        for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
            ASSERT_TRUE(sameBits(engines[0]->voices.voice(v), engines[e]->voices.voice(v)))
                << isa << " " << where << " voice " << v;
    }
}

void setCase(const std::vector<Engine*>& engines, const Case& c) {
    for (Engine* e : engines)
        for (int32_t i = 0; i < kNumParameters; ++i) e->params.set(i, c.values[i]);
}

// Plays one case's random stream on the scalar path and on every wider one,
// comparing output bits and voice states after every block. The engines live
// on from case to case (building one rebuilds the shared noise), in the same
// state as long as the paths agree. With `alone`, a block's note silences the
// voice before it, so that one voice sounds at a time (a lane path renders it
// across time).
void compare(const std::vector<Engine*>& engines, const Case& c, uint32_t seed, bool alone = false) {
    setCase(engines, c);
    std::mt19937 rng(seed);
    for (int32_t block = 0; block < 6; ++block) {
        const int32_t frames =
            rng() % 3 == 0 ? 1 + static_cast<int32_t>(rng() % 7) : 1 + static_cast<int32_t>(rng() % 200);
        std::vector<Step> steps;
        const int32_t count = alone            ? static_cast<int32_t>(rng() % 2)
                              : rng() % 4 == 0 ? 18 + static_cast<int32_t>(rng() % 8)  // retriggers
                                               : static_cast<int32_t>(rng() % 6);
        for (int32_t k = 0; k < count; ++k) {
            if (alone) steps.push_back({Step::soundOff, 0, 0, 0});
            if (rng() % 16 == 0) {
                steps.push_back({Step::soundOff, 0, 0, 0});
                continue;
            }
            const int32_t delta =
                rng() % 8 == 0 ? static_cast<int32_t>(rng() % 300) : static_cast<int32_t>(rng() % frames);
            steps.push_back(
                {Step::noteOn, static_cast<int32_t>(rng() % 128), static_cast<int32_t>(rng() % 128), delta});
        }
        if (block == 3) {  // settings change between blocks
            const int32_t p = static_cast<int32_t>(rng() % kNumParameters);
            const float v = anyValue(rng);
            for (Engine* e : engines) e->params.set(p, v);
        }
        compareBlock(
            engines, frames, rng,
            [&](Engine& e) {
                for (const Step& step : steps) apply(e, step);
            },
            "seed " + std::to_string(seed) + " block " + std::to_string(block));
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace

// Every switch combination, with many voices, and again one voice at a time
// (which every lane path renders with lanes across time), its stages now and
// then a few samples long so that they start and end anywhere in a chunk.
TEST(Lanes, EveryPathRendersTheOneVoiceCodesBits) {
    // Every switch combination once; an unoptimised (sanitizer) build takes
    // every seventh, to stay within seconds.
#if defined(__OPTIMIZE__)
    const uint32_t stride = 1;
#else
    const uint32_t stride = 7;
#endif
    const uint32_t combinations = 3 * 3 * 3 * 5 * 5 * 2 * 2 * 2 * 2;
    std::vector<std::unique_ptr<Engine>> owned;
    std::vector<Engine*> engines;
    for (InstructionSet path : runnablePaths())
        engines.push_back(owned.emplace_back(std::make_unique<Engine>(path)).get());
    for (uint32_t k = 0; k < combinations; k += stride) {
        std::mt19937 rng(k);
        Case c = makeCase(k, rng);
        compare(engines, c, k * 7919u);
        if (HasFatalFailure()) return;
        if (rng() % 3 == 0)
            for (int32_t p : {kA, kH, kR}) c.values[p] = static_cast<float>(rng() % 4) / 40000.0f;
        compare(engines, c, k * 6007u, true);
        if (HasFatalFailure()) return;
    }
}

// The clip stage works on unsigned magnitudes in the lanes: negative and
// zero ceilings, floors above or below zero, and filters that blow up to
// INT32_MIN (a negative damping) against the one-voice code's int64 form.
TEST(Lanes, ClipExtremesAndRunawayFiltersMatch) {
    std::vector<std::unique_ptr<Engine>> owned;
    std::vector<Engine*> engines;
    for (InstructionSet path : runnablePaths())
        engines.push_back(owned.emplace_back(std::make_unique<Engine>(path)).get());
    const float clips[] = {-1e30f, -7.0f, -0.3f, -1e-6f, 0.0f, 1e-7f, 0.2f, 0.5f, 0.999f};
    uint32_t k = 0;
    for (float clip : clips)
        for (float multi : {0.0f, 1.0f})
            for (float q : {0.5f, 40.0f}) {
                std::mt19937 rng(++k);
                Case c = makeCase(rng() % 1000, rng);
                c.values[kClip] = clip;
                c.values[kMulti] = multi;
                c.values[kQ] = q;
                c.values[kCutOff] = 1.0f;
                compare(engines, c, k * 104729u);
                if (HasFatalFailure()) return;
                compare(engines, c, k * 104729u + 1, true);
                if (HasFatalFailure()) return;
            }
}

// The lane filters keep their state in doubles while it stays small and
// give way to the int32 state where it grows: negative damping (Q above 1)
// makes filters grow until they wrap, at a rate set by each note's
// coefficient, so that the voices' states cross from the doubles' reach to
// the int32 edge in different chunks; the damping within the doubles'
// limits and just outside them. Some states must pass the doubles' reach,
// or the test tests nothing.
TEST(Lanes, FiltersGrowingPastTheStateInDoublesMatch) {
    std::vector<std::unique_ptr<Engine>> owned;
    std::vector<Engine*> engines;
    for (InstructionSet path : runnablePaths())
        engines.push_back(owned.emplace_back(std::make_unique<Engine>(path)).get());
#if defined(__OPTIMIZE__)
    const int32_t blocks = 40;
#else
    const int32_t blocks = 8;
#endif
    int32_t beyond = 0;
    uint32_t k = 0;
    for (float q : {1.005f, 1.02f, 1.1f, 1.45f})
        for (int32_t weight = 0; weight < 3; ++weight)
            for (int32_t type = 0; type < 3; ++type) {
                std::mt19937 rng(++k);
                Case c = makeCase(rng() % 1000, rng);
                c.values[kQ] = q;
                c.values[kWeight] = static_cast<float>(weight) / 2;
                c.values[kType] = static_cast<float>(type) / 2;
                c.values[kA] = 0.0f;
                c.values[kH] = 1.0f;
                setCase(engines, c);
                for (int32_t block = 0; block < blocks; ++block) {
                    compareBlock(
                        engines, 256, rng,
                        [&](Engine& e) {
                            if (block == 0)
                                for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
                                    e.voices.playNote(20 + 6 * v, 1 + 7 * v, 0);
                        },
                        "case " + std::to_string(k) + " block " + std::to_string(block));
                    if (HasFatalFailure()) return;
                    for (int32_t v = 0; v < DrumVoices::kVoices; ++v) {
                        const DrumVoices::Voice voice = engines[0]->voices.voice(v);
                        for (int32_t state : {voice.low1, voice.band1, voice.low2, voice.band2})
                            if (std::abs(int64_t{state}) >= (int64_t{1} << 29)) ++beyond;
                    }
                }
            }
    EXPECT_GT(beyond, 0);
}

// A host may hand the same buffer (or overlapping ones) for both channels:
// every voice's sample is then added to it twice, channel 0 first, sample
// by sample, as with separate buffers.
TEST(Lanes, OutputsThatShareMemoryTakeTheAddsInOrder) {
    for (InstructionSet path : runnablePaths()) {
        Engine separate(path), same(path), shifted(path);
        for (Engine* e : {&separate, &same, &shifted}) {
            e->params.set(kH, 1.0f);
            e->voices.playNote(60, 100, 0);
        }
        constexpr int32_t kFrames = 150;
        std::vector<float> x(kFrames), unused(kFrames), one(kFrames), two(kFrames + 1);
        const FloatingPointGuard fp;
        separate.voices.render(x.data(), unused.data(), kFrames);
        same.voices.render(one.data(), one.data(), kFrames);
        shifted.voices.render(two.data(), two.data() + 1, kFrames);
        std::vector<float> expectOne(kFrames), expectTwo(kFrames + 1);
        for (int32_t n = 0; n < kFrames; ++n) {
            expectOne[n] = x[n] + x[n];
            expectTwo[n] = expectTwo[n] + x[n];  // as channel 0 at n
            expectTwo[n + 1] = expectTwo[n + 1] + x[n];  // then as channel 1
        }
        EXPECT_TRUE(sameBits(expectOne.data(), one.data(), one.size())) << nameOf(path);
        EXPECT_TRUE(sameBits(expectTwo.data(), two.data(), two.size())) << nameOf(path);
    }
}

// The lane groups are formed from the voices that sound in each chunk,
// wherever they sit: 2 to 17 of them from every place in the rotation (so
// that they wrap past the last voice), some waiting to start inside a chunk
// or a later one, some put to rest between blocks (gaps), all ending inside
// chunks at different samples; every path against the one-voice code.
TEST(Lanes, GroupsFormedFromTheSoundingVoicesRenderTheOneVoiceCodesBits) {
    std::vector<std::unique_ptr<Engine>> owned;
    std::vector<Engine*> engines;
    for (InstructionSet path : runnablePaths())
        engines.push_back(owned.emplace_back(std::make_unique<Engine>(path)).get());
    const uint32_t combinations = 3 * 3 * 3 * 5 * 5 * 2 * 2 * 2 * 2;
    for (int32_t sounding : {2, 3, 5, 9, 15, 16, 17})
        for (int32_t from = 0; from < DrumVoices::kVoices; ++from) {
            std::mt19937 rng(static_cast<uint32_t>(100 * sounding + from));
            Case c = makeCase(rng() % combinations, rng);
            c.values[kA] = static_cast<float>(rng() % 40) / 40000.0f;
            c.values[kH] = static_cast<float>(rng() % 100) / 40000.0f;
            c.values[kR] = static_cast<float>(rng() % 200) / 40000.0f;
            setCase(engines, c);
            for (Engine* e : engines) {
                e->voices.allSoundOff();
                while (e->voices.nextVoice() != from) e->voices.playNote(60, 100, 0);
                e->voices.allSoundOff();
            }
            std::vector<Step> notes;
            for (int32_t k = 0; k < sounding; ++k) {
                const uint32_t pick = rng() % 4;
                const int32_t delta = pick < 2 ? 0 : static_cast<int32_t>(rng() % (pick == 2 ? 64 : 400));
                notes.push_back({Step::noteOn, static_cast<int32_t>(30 + rng() % 70),
                                 static_cast<int32_t>(1 + rng() % 127), delta});
            }
            for (int32_t block = 0; block < 8; ++block) {
                const int32_t frames = 1 + static_cast<int32_t>(rng() % (block % 2 == 0 ? 300 : 70));
                const uint32_t rest = rng() % 3 == 0 ? static_cast<uint32_t>(rng() & rng() & rng()) : 0u;
                compareBlock(
                    engines, frames, rng,
                    [&](Engine& e) {
                        if (block == 0)
                            for (const Step& note : notes) apply(e, note);
                        e.voices.silence(rest);
                    },
                    std::to_string(sounding) + " from " + std::to_string(from) + " block " +
                        std::to_string(block));
                if (HasFatalFailure()) return;
            }
        }
}

// The scalar path renders its voices two at a time, their filters in
// lockstep over the samples both sound. Each voice must still render what it
// renders alone, whatever its partner does: starting later in the chunk or
// blocks later, ending first, or not sounding any more at all.
TEST(Lanes, ScalarVoicesRenderedInTwosRenderWhatEachRendersAlone) {
    constexpr int32_t kSounding = 5;
    const uint32_t combinations = 3 * 3 * 3 * 5 * 5 * 2 * 2 * 2 * 2;
    Engine together(InstructionSet::scalar);
    std::vector<std::unique_ptr<Engine>> alone;
    for (int32_t v = 0; v < kSounding; ++v) alone.push_back(std::make_unique<Engine>(InstructionSet::scalar));
    for (uint32_t round = 0; round < 40; ++round) {
        std::mt19937 rng(round);
        Case c = makeCase(rng() % combinations, rng);
        for (int32_t p : {kA, kH, kR}) c.values[p] = static_cast<float>(rng() % 300) / 40000.0f;
        for (int32_t i = 0; i < kNumParameters; ++i) {
            together.params.set(i, c.values[i]);
            for (auto& e : alone) e->params.set(i, c.values[i]);
        }
        for (int32_t block = 0; block < 6; ++block) {
            const int32_t frames = 1 + static_cast<int32_t>(rng() % 200);
            for (int32_t v = 0; v < kSounding; ++v) {
                if (rng() % 3 != 0) continue;
                const int32_t note = static_cast<int32_t>(rng() % 128),
                              velocity = static_cast<int32_t>(rng() % 128),
                              delta = static_cast<int32_t>(rng() % (frames + 100));
                together.voices.noteOn(note, velocity, delta, v);
                alone[size_t(v)]->voices.noteOn(note, velocity, delta, v);
            }
            // Each voice alone from a cleared row, then the rows added to the
            // start in voice order: the sums the voices form together (the
            // start is never -0, so a voice's -0 adds as its 0 does).
            std::vector<float> expected(static_cast<size_t>(frames)), unused(expected.size());
            for (float& x : expected) x = static_cast<float>(1 + rng() % 7);
            std::vector<float> got = expected;
            const FloatingPointGuard fp;
            together.voices.render(got.data(), unused.data(), frames);
            for (auto& e : alone) {
                std::vector<float> row(expected.size());
                e->voices.render(row.data(), unused.data(), frames);
                for (int32_t n = 0; n < frames; ++n) expected[size_t(n)] = expected[size_t(n)] + row[size_t(n)];
            }
            const std::string where = "round " + std::to_string(round) + " block " + std::to_string(block);
            ASSERT_TRUE(sameBits(expected.data(), got.data(), size_t(frames))) << where;
            for (int32_t v = 0; v < kSounding; ++v)
                ASSERT_TRUE(sameBits(alone[size_t(v)]->voices.voice(v), together.voices.voice(v)))
                    << where << " voice " << v;
        }
    }
}

TEST(Lanes, PathsAboveWhatTheCpuHasFallBackToTheBest) {
    const InstructionSet best = bestInstructionSet();
    for (InstructionSet path : kInstructionSets) {
        const InstructionSet expected = std::min(path, best);
        EXPECT_EQ(Engine(path).voices.isa(), expected) << nameOf(path);
        EXPECT_EQ(instructionSetNamed(nameOf(path), InstructionSet::scalar), expected)
            << nameOf(path);
        EXPECT_EQ(instructionSetNamed(nullptr, path), expected) << nameOf(path);
        EXPECT_EQ(instructionSetNamed("no-such-path", path), expected) << nameOf(path);
    }
}

// Sixteen sounds whose voices share lane groups (SharedLanes) against each
// sound rendered alone by the one-voice code: every sound's own output and
// every voice's state, bit for bit, on every path, with the sounds' switches,
// waves and filter weights all different (or, every other round, mostly the
// same, a sound here and there one switch or wave apart) and block sizes and
// note offsets that cut chunks anywhere.
TEST(Lanes, SoundsSharingLanesRenderWhatEachRendersAlone) {
    constexpr int32_t kSounds = SharedLanes::kMaxSounds;
    const uint32_t combinations = 3 * 3 * 3 * 5 * 5 * 2 * 2 * 2 * 2;
    for (InstructionSet path : runnablePaths()) {
        for (uint32_t round = 0; round < 6; ++round) {
            std::vector<std::unique_ptr<Engine>> alone, shared;
            for (int32_t k = 0; k < kSounds; ++k) {
                alone.push_back(std::make_unique<Engine>(InstructionSet::scalar));
                shared.push_back(std::make_unique<Engine>(path));
            }
            std::mt19937 rng(1000 * static_cast<uint32_t>(path) + round);
            const uint32_t common = rng() % combinations;
            // The common combination with one digit (makeCase's order) changed.
            const auto nearby = [&] {
                constexpr uint32_t radix[] = {3, 3, 3, 5, 5, 2, 2, 2, 2};
                const size_t d = rng() % std::size(radix);
                uint32_t place = 1;
                for (size_t i = 0; i < d; ++i) place *= radix[i];
                const uint32_t digit = common / place % radix[d];
                const uint32_t other = (digit + 1 + rng() % (radix[d] - 1)) % radix[d];
                return common - digit * place + other * place;
            };
            for (int32_t k = 0; k < kSounds; ++k) {
                const uint32_t combination =
                    round % 2 == 0 ? rng() % combinations : (rng() % 3 == 0 ? nearby() : common);
                const Case c = makeCase(combination, rng);
                for (int32_t i = 0; i < kNumParameters; ++i) {
                    alone[size_t(k)]->params.set(i, c.values[i]);
                    shared[size_t(k)]->params.set(i, c.values[i]);
                }
            }
            const auto lanes = std::make_unique<SharedLanes>();
            for (int32_t block = 0; block < 8; ++block) {
                const int32_t frames = 1 + static_cast<int32_t>(rng() % (rng() % 3 == 0 ? 9 : 300));
                // Some sounds get notes (a few retrigger all their voices),
                // one now and then falls silent at once.
                for (int32_t k = 0; k < kSounds; ++k) {
                    const uint32_t pick = rng() % 8;
                    const int32_t notes = pick == 0 ? 20 : (pick < 4 ? static_cast<int32_t>(pick) : 0);
                    for (int32_t n = 0; n < notes; ++n) {
                        const int32_t note = static_cast<int32_t>(rng() % 128),
                                      velocity = static_cast<int32_t>(rng() % 128),
                                      delta = static_cast<int32_t>(rng() % (frames + 40));
                        alone[size_t(k)]->voices.playNote(note, velocity, delta);
                        shared[size_t(k)]->voices.playNote(note, velocity, delta);
                    }
                    if (rng() % 24 == 0) {
                        alone[size_t(k)]->voices.allSoundOff();
                        shared[size_t(k)]->voices.allSoundOff();
                    }
                }
                std::vector<std::vector<float>> expected(kSounds), got(kSounds);
                std::vector<float> unused(static_cast<size_t>(frames));
                DrumVoices* sounds[kSounds];
                float* outs[kSounds];
                const FloatingPointGuard fp;
                for (int32_t k = 0; k < kSounds; ++k) {
                    expected[size_t(k)].resize(size_t(frames));
                    for (float& x : expected[size_t(k)]) x = rng() % 5 == 0 ? -0.0f : float(rng() % 7) - 3.0f;
                    got[size_t(k)] = expected[size_t(k)];
                    alone[size_t(k)]->voices.render(expected[size_t(k)].data(), unused.data(), frames);
                    sounds[k] = &shared[size_t(k)]->voices;
                    outs[k] = got[size_t(k)].data();
                }
                lanes->render(sounds, outs, kSounds, frames);
                for (int32_t k = 0; k < kSounds; ++k) {
                    ASSERT_TRUE(sameBits(expected[size_t(k)].data(), got[size_t(k)].data(), size_t(frames)))
                        << nameOf(path) << " round " << round << " block " << block << " sound " << k;
                    for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
                        ASSERT_TRUE(sameBits(alone[size_t(k)]->voices.voice(v), shared[size_t(k)]->voices.voice(v)))
                            << nameOf(path) << " round " << round << " block " << block << " sound " << k
                            << " voice " << v;
                }
            }
        }
    }
}
