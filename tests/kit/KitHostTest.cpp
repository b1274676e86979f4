// What a VST 2 host sees of DrumTamrik Kit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PluginInstance.h"
#include "kit/KitMap.h"

using namespace tamrik;
using namespace tamrik::kit;
using tamrik::test::PluginInstance;

namespace {

std::string text(PluginInstance& kit, int32_t opcode, int32_t index = 0) {
    char buffer[256] = {};
    kit.dispatch(opcode, index, 0, buffer);
    return buffer;
}

std::vector<uint8_t> chunk(PluginInstance& kit) {
    void* data = nullptr;
    const intptr_t size = kit.dispatch(vst::effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace

TEST(KitHost, IdentityPinsAndParameterProperties) {
    PluginInstance kit(TAMRIK_KIT_PATH);
    vst::AEffect* e = kit.effect();
    EXPECT_EQ(e->uniqueID, vst::CCONST('T', 'm', 'K', 't'));
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 18);
    EXPECT_EQ(e->numParams, 482);
    EXPECT_TRUE(e->flags & vst::effFlagsIsSynth);
    EXPECT_TRUE(e->flags & vst::effFlagsProgramChunks);
    EXPECT_EQ(text(kit, vst::effGetEffectName), "DrumTamrik Kit");
    EXPECT_EQ(text(kit, vst::effGetVendorString), "Quenmar");
    for (int32_t c = 0; c < 18; ++c) {
        vst::VstPinProperties pin{};
        ASSERT_EQ(kit.dispatch(vst::effGetOutputProperties, c, 0, &pin), 1);
        EXPECT_EQ(pin.flags, vst::kVstPinIsActive | vst::kVstPinIsStereo);
        EXPECT_EQ(std::string(pin.label), c < 2 ? std::string("Main ") + "LR"[c]
                                                : "Aux " + std::to_string(c / 2) + " " + "LR"[c % 2]);
    }
    vst::VstPinProperties pin{};
    EXPECT_EQ(kit.dispatch(vst::effGetOutputProperties, 18, 0, &pin), 0);

    for (int32_t i = 0; i < 482; ++i) {
        char name[8 + 16];
        std::memset(name, 'x', sizeof name);
        kit.dispatch(vst::effGetParamName, i, 0, name);
        ASSERT_LT(std::strlen(name), 8u) << i;
    }
    vst::VstParameterProperties p{};
    ASSERT_EQ(kit.dispatch(vst::effGetParameterProperties, padIndex(4, kCutOff), 0, &p), 1);
    EXPECT_STREQ(p.label, "Pad 5 CutOff");
    EXPECT_STREQ(p.categoryLabel, "Pad 5");
    EXPECT_EQ(p.category, 5);
    EXPECT_EQ(p.numParametersInCategory, 30);
    ASSERT_EQ(kit.dispatch(vst::effGetParameterProperties, padIndex(4, kSoundParameters + kMute), 0, &p), 1);
    EXPECT_TRUE(p.flags & vst::kVstParameterIsSwitch);
    ASSERT_EQ(kit.dispatch(vst::effGetParameterProperties, kVolumeIndex, 0, &p), 1);
    EXPECT_STREQ(p.categoryLabel, "Kit");
    EXPECT_EQ(p.numParametersInCategory, 2);
    EXPECT_EQ(kit.dispatch(vst::effGetParameterProperties, 482, 0, &p), 0);
    EXPECT_EQ(kit.dispatch(vst::effGetParameterProperties, -1, 0, &p), 0);
    EXPECT_EQ(kit.dispatch(vst::effGetParameterProperties, 0, 0, nullptr), 0);
}

TEST(KitHost, ChunksRoundTripSurviveAProgramCallAndRefuseDamage) {
    std::vector<uint8_t> saved;
    {
        PluginInstance a(TAMRIK_KIT_PATH);
        a.dispatch(vst::effSetProgram, 0, 3);
        a.setParameter(padIndex(9, kCutOff), 0.31f);
        char name[] = "Stage kit";
        a.dispatch(vst::effSetProgramName, 0, 0, name);
        saved = chunk(a);
        ASSERT_FALSE(saved.empty());
        EXPECT_EQ(chunk(a), saved);
    }
    PluginInstance b(TAMRIK_KIT_PATH);
    ASSERT_EQ(b.dispatch(vst::effSetChunk, 0, intptr_t(saved.size()), saved.data()), 1);
    b.dispatch(vst::effSetProgram, 0, 3);  // some hosts do this after the chunk
    EXPECT_EQ(b.getParameter(padIndex(9, kCutOff)), 0.31f);
    EXPECT_EQ(text(b, vst::effGetProgramName), "Stage kit");
    EXPECT_EQ(chunk(b), saved);

    std::vector<uint8_t> damaged = saved;
    damaged[40] ^= 4;
    PluginInstance c(TAMRIK_KIT_PATH);
    const std::vector<uint8_t> before = chunk(c);
    EXPECT_EQ(c.dispatch(vst::effSetChunk, 0, intptr_t(damaged.size()), damaged.data()), 0);
    EXPECT_EQ(c.dispatch(vst::effSetChunk, 0, 10, saved.data()), 0);
    EXPECT_EQ(c.dispatch(vst::effSetChunk, 0, -5, saved.data()), 0);
    EXPECT_EQ(c.dispatch(vst::effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ(chunk(c), before);
}

TEST(KitHost, DrumTamrikStillKeepsItsProgramsAsValues) {
    PluginInstance drum(TAMRIK_PLUGIN_PATH);
    EXPECT_FALSE(drum.effect()->flags & vst::effFlagsProgramChunks);
    void* data = nullptr;
    EXPECT_EQ(drum.dispatch(vst::effGetChunk, 0, 0, &data), 0);
    vst::VstParameterProperties p{};
    EXPECT_EQ(drum.dispatch(vst::effGetParameterProperties, 0, 0, &p), 0);
}

// A host's suspend and resume start a new run: nothing sounds on from
// before, whatever channel the Kit listens to (here the drum channel, 10).
TEST(KitHost, ResumeSilencesAKitOnTheDrumChannel) {
    PluginInstance kit(TAMRIK_KIT_PATH);
    kit.setParameter(kChannelIndex, 10.0f / 16.0f);
    kit.note(36, 127, 0, 9);
    ASSERT_GT(kit.loudness(512), 0.0) << "the kick sounds on channel 10";
    kit.dispatch(vst::effMainsChanged, 0, 0);
    kit.dispatch(vst::effMainsChanged, 0, 1);
    EXPECT_EQ(kit.loudness(4096), 0.0);
}
