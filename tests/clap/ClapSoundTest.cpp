// The same bits as the VST 2 build: the golden scenarios played through
// CLAP give the VST build's hashes, and a parameter event anywhere inside a
// block sounds exactly as the VST build does with the block split at that
// sample (the change made between the two parts).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ClapTestHost.h"
#include "HostHarness.h"
#include "SoundScenarios.h"
#include "VstSplitRender.h"

using namespace tamrik::test::clap;
using namespace tamrik::test::sound;
using tamrik::test::HostHarness;

namespace {

// A value as CLAP carries it: a list's or switch's choice number.
double clapValue(int32_t index, float value) {
    const tamrik::ParameterInfo& row = tamrik::kParameterTable[index];
    const bool stepped = row.kind == tamrik::ControlKind::List || row.kind == tamrik::ControlKind::CheckBox;
    return stepped ? double(value) * tamrik::controlScale(row).steps : double(value);
}

// The scenario's settings at frame 0, its groove and the changes, through CLAP.
std::vector<float> playClap(const Scenario& s, uint32_t block, const std::vector<Change>& changes = {}) {
    ClapInstance p;
    p.activate(s.sampleRate);
    std::vector<std::pair<uint32_t, AnyEvent>> events;
    for (auto [index, value] : s.settings) events.push_back({0, paramValue(0, clap_id(index), clapValue(index, value))});
    // A change and a note at the same frame: the change first, as below.
    for (const Change& c : changes) events.push_back({uint32_t(c.frame), paramValue(0, clap_id(c.index), clapValue(c.index, c.value))});
    for (const GrooveNote& g : kGroove) events.push_back({uint32_t(g.frame), midi(0, 0x90, g.note, g.velocity)});
    return p.render(kFrames, block, events);
}

}  // namespace

TEST(ClapSound, GoldenScenariosGiveTheVstHashes) {
    for (const Scenario& s : kScenarios)
        for (uint32_t block : {256u, 1u << 14, 997u}) EXPECT_EQ(hashOf(playClap(s, block)), s.golden) << s.name << " " << block;
}

// The golden cutoff-moves hash comes from a VST host that hands a block's
// notes to the instrument before that block's parameter change; CLAP events
// are in time order, so a change at a block's first sample comes before the
// block's later notes. The comparison is with the VST build played in that
// order, the change at its sample in the middle of CLAP's blocks.
TEST(ClapSound, ParameterEventsInsideABlockEqualTheVstBuildSplitThere) {
    std::vector<Change> moves;
    for (int32_t frame = 0; frame < kFrames; frame += kCutoffStep)
        moves.push_back({frame, tamrik::kCutOff, movingCutoff(frame)});
    const std::vector<float> vst = playVstSplit(kCutoffMoves, moves);
    for (uint32_t block : {4096u, 1000u, 16384u}) EXPECT_EQ(playClap(kCutoffMoves, block, moves), vst) << block;

    // One change at each of several samples of one 4096-frame block, for a
    // parameter read per block (Q), one read at note-on (Volume) and one
    // that switches the filter (Type).
    for (const Change change : {Change{1, tamrik::kQ, 0.9f}, Change{3000, tamrik::kVolume, 0.2f},
                                Change{3001, tamrik::kType, 0.5f}, Change{4095, tamrik::kQ, 0.4f},
                                Change{2999, tamrik::kWave2, 0.5f}}) {
        for (const Scenario& s : {kScenarios[0], kScenarios[4], kScenarios[7]}) {
            const std::vector<float> clap = playClap(s, 4096, {change});
            EXPECT_EQ(clap, playVstSplit(s, {change})) << s.name << " at " << change.frame;
            EXPECT_NE(hashOf(clap), s.golden) << "the change is heard: " << s.name << " at " << change.frame;
        }
    }
}
