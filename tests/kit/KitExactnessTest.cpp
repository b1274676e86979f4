// A pad alone at its default Level, Pan and Velocity with Pitch N plays bit
// for bit what DrumTamrik plays for note N with the same 22 values, whatever
// key struck it: every pad, on every output, each against DrumTamrik's own
// library loaded beside the Kit's. One instance of each per case, made in
// step, so that both libraries have drawn the same noise.
#include <gtest/gtest.h>

#include "PluginInstance.h"
#include "synth/FactoryPresets.h"
#include "kit/FactoryKits.h"
#include "kit/KitMap.h"

using namespace tamrik;
using namespace tamrik::kit;
using tamrik::test::PluginInstance;

TEST(KitExactness, EveryPadOnEveryOutputIsDrumTamrikBitForBit) {
    constexpr int32_t kFrames = 3000;
    for (int32_t p = 0; p < kPads; ++p) {
        for (int32_t output = 0; output <= kAuxPairs; ++output) {
            PluginInstance drum(TAMRIK_PLUGIN_PATH), kit(TAMRIK_KIT_PATH);
            const FactoryPreset& preset = kFactoryPresets[size_t(p)];
            for (int32_t i = 0; i < kSoundParameters; ++i) {
                const float v = preset.values[size_t(i)].value_or(kParameterTable[i].defaultValue);
                drum.setParameter(i, v);
                kit.setParameter(padIndex(p, i), v);
            }
            const int32_t pitch = 30 + 5 * p;  // from low toms to high bells
            kit.setParameter(padIndex(p, kSoundParameters + kPitch), valueOfStep(pitch, 127));
            kit.setParameter(padIndex(p, kSoundParameters + kOutput), valueOfStep(output, kAuxPairs));
            const int32_t velocity = 40 + 5 * p;
            kit.note(uint8_t(kDefaultKeys[size_t(p)]), uint8_t(velocity), 13);
            drum.note(uint8_t(pitch), uint8_t(velocity), 13);
            const auto expected = drum.render(kFrames);
            const auto got = kit.render(kFrames, 100);  // block sizes need not match
            bool sounds = false;
            for (float x : expected[0]) sounds = sounds || x != 0.0f;
            ASSERT_TRUE(sounds) << "pad " << p << ": a case with nothing to compare";
            ASSERT_EQ(got.size(), 18u);
            for (int32_t c = 0; c < 18; ++c) {
                const bool ours = c / 2 == output;
                for (int32_t i = 0; i < kFrames; ++i)
                    ASSERT_EQ(got[size_t(c)][size_t(i)], ours ? expected[size_t(c % 2)][size_t(i)] : 0.0f)
                        << "pad " << p << " output " << output << " channel " << c << " frame " << i;
            }
        }
    }
}
