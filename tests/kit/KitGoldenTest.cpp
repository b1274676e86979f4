// The Kit's whole mix locked by hashes: each factory kit plays a groove over
// every pad (hats choking each other, pads on Aux pairs, soft and hard
// notes) on one instance, the first of its process (so its noise is fixed),
// and every build on every platform must give the same bits. After a
// deliberate change of sound, TAMRIK_PRINT_GOLDEN=1 prints the new hashes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "PluginInstance.h"
#include "SoundScenarios.h"
#include "kit/FactoryKits.h"
#include "kit/KitMap.h"

using namespace tamrik;
using namespace tamrik::kit;
using tamrik::test::PluginInstance;

TEST(KitGolden, FactoryKitsPlayTheirGroovesBitForBit) {
    const uint64_t golden[kFactoryKitCount] = {0xcc71184f97515c53ull, 0x6096eb89f6d0128cull,
                                               0xc9fbcd255c14ffa5ull, 0x607e6056a2dc0af1ull,
                                               0xde638bc2018009c7ull};
    const bool print = std::getenv("TAMRIK_PRINT_GOLDEN") != nullptr;
    PluginInstance kit(TAMRIK_KIT_PATH);
    for (int32_t k = 0; k < kFactoryKitCount; ++k) {
        kit.dispatch(vst::effSetProgram, 0, k == 0 ? 1 : 0);  // away, then back: a fresh load
        kit.dispatch(vst::effSetProgram, 0, k);
        for (int32_t p : {9, 10, 11}) kit.setParameter(padIndex(p, kSoundParameters + kOutput), valueOfStep(p - 8, 8));
        kit.setParameter(padIndex(1, kSoundParameters + kPan), 0.2f);
        kit.setParameter(padIndex(0, kSoundParameters + kVelocity), 0.5f);
        kit.setParameter(kVolumeIndex, 0.45f);
        std::vector<float> all;
        for (int32_t bar = 0; bar < 8; ++bar) {
            const int32_t step = 1000;
            for (int32_t i = 0; i < 4; ++i) {
                // Every pad in turn; the open hat, then the closed or the
                // pedal hat cutting it short.
                const int32_t pad = bar * 4 + i;
                kit.note(uint8_t(kDefaultKeys[size_t(pad % kPads)]), uint8_t(30 + 6 * (pad % 16)), 7 * i);
                if (i % 2 == 0) kit.note(46, 100, 3);
                if (i == 1) kit.note(uint8_t(bar % 2 ? 42 : 44), 90, 400);
                const auto out = kit.render(step, 128);
                for (const auto& channel : out) all.insert(all.end(), channel.begin(), channel.end());
            }
        }
        const uint64_t h = test::sound::hashOf(all);
        if (print) std::printf("kit %d: 0x%016llxull\n", k, static_cast<unsigned long long>(h));
        EXPECT_EQ(h, golden[k]) << "factory kit " << k;
        hosting::EventBlock silence({hosting::midiEvent(0xB0, 126, 0)});
        kit.dispatch(vst::effProcessEvents, 0, 0, silence.build());
    }
}
