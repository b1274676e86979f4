// A pad's hit as a HitRenderer plays it off the audio thread: what the Kit
// puts on the pad's outputs when the pad is struck.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "kit/FactoryKits.h"
#include "kit/KitInstrument.h"
#include "synth/HitRenderer.h"
#include "synth/SameBits.h"
#include "tests/InstructionSets.h"

using namespace tamrik;
using namespace tamrik::kit;

namespace {

void setPad(KitInstrument& kit, int32_t pad, int32_t setting, float value) {
    kit.setParameter(padIndex(pad, kSoundParameters + setting), value);
}

// The first two channels after the pad's key is struck, in odd blocks.
std::array<std::vector<float>, 2> strike(KitInstrument& kit, int32_t pad, int32_t velocity, int32_t frames) {
    const uint8_t on[3] = {0x90, uint8_t(kit.pad(pad).key()), uint8_t(velocity)};
    kit.receiveMidi(on, 3, 0);
    std::vector<std::vector<float>> out(kOutputChannels, std::vector<float>(size_t(frames), 0.0f));
    for (int32_t at = 0, k = 0; at < frames; ++k) {
        const int32_t n = std::min(k % 2 ? 301 : 77, frames - at);
        float* channels[kOutputChannels];
        for (int32_t c = 0; c < kOutputChannels; ++c) channels[c] = out[size_t(c)].data() + at;
        kit.render(channels, n);
        at += n;
    }
    return {out[0], out[1]};
}

}  // namespace

TEST(KitHit, PadHitEqualsThePadStruckAtLevelPanAndVolume) {
    for (InstructionSet path : test::runnablePaths()) {
        SCOPED_TRACE(nameOf(path));
        auto kit = std::make_unique<KitInstrument>(path);
        kit->load(factoryKitSnapshot(*factoryKitNamed("Standard")));
        const int32_t pad = 2;
        setPad(*kit, pad, kLevel, 0.6f);
        setPad(*kit, pad, kPan, 0.3f);
        setPad(*kit, pad, kVelocity, 0.5f);
        setPad(*kit, pad, kOutput, 0.0f);
        kit->setParameter(kVolumeIndex, 0.45f);
        for (int32_t p = 0; p < kPads; ++p)  // the pad alone on its key
            if (p != pad && kit->pad(p).key() == kit->pad(pad).key()) setPad(*kit, p, kKey, 0.0f);

        HitSetup setup{};
        ASSERT_TRUE(kit->hitSetup(pad, 5, 90, setup));
        EXPECT_EQ(setup.note, kit->pad(pad).pitch());
        EXPECT_EQ(setup.velocity, blendVelocity(0.5f, 90));
        EXPECT_NE(setup.gain[0], 1.0f);
        EXPECT_NE(setup.gain[0], setup.gain[1]);
        HitRenderer hit(setup);
        for (int32_t k = 0; hit.renderMore(k % 2 ? 129 : 1000); ++k) {
        }
        EXPECT_FALSE(hit.channelsEqual());
        const size_t n = hit.channel(0).size();
        ASSERT_GT(n, 0u);

        const auto played = strike(*kit, pad, 90, int32_t(n) + 500);
        EXPECT_TRUE(test::sameBits(hit.channel(0).data(), played[0].data(), n));
        EXPECT_TRUE(test::sameBits(hit.channel(1).data(), played[1].data(), n));
        for (size_t i = n; i < played[0].size(); ++i) ASSERT_TRUE(played[0][i] == 0.0f && played[1][i] == 0.0f);
    }
}

TEST(KitHit, MutedPadsPreviewAsTheyWouldPlayAndOtherSoundsAreRefused) {
    KitInstrument kit;
    HitSetup open{}, muted{};
    ASSERT_TRUE(kit.hitSetup(0, 60, 127, open));
    setPad(kit, 0, kMute, 1.0f);
    ASSERT_TRUE(kit.hitSetup(0, 60, 127, muted));
    EXPECT_EQ(std::memcmp(&open, &muted, sizeof open), 0);
    EXPECT_EQ(open.gain[0], 1.0f);  // the defaults pass through as they are
    EXPECT_EQ(open.gain[1], 1.0f);
    for (int32_t sound : {-1, kPads, 1 << 30}) EXPECT_FALSE(kit.hitSetup(sound, 60, 127, open));
    // A velocity beyond MIDI's is held before the blend.
    setPad(kit, 0, kVelocity, 1.0f);
    ASSERT_TRUE(kit.hitSetup(0, 60, 1000, open));
    EXPECT_EQ(open.velocity, 127);
    ASSERT_TRUE(kit.hitSetup(0, 60, -1000, open));
    EXPECT_EQ(open.velocity, 0);
}
