// Every display text of the Kit reads back as its value, as a host that
// converts value -> text -> value expects, and the other ways a user writes
// the same value ("-5.2 dB", "C#3", "37") read as that value too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "kit/KitInstrument.h"
#include "kit/PadSettings.h"

using namespace tamrik;
using namespace tamrik::kit;

namespace {

std::string display(const KitInstrument& kit, int32_t index, float value) {
    char text[64];
    kit.valueDisplay(index, value, text, sizeof text);
    return text;
}

// The value a text means, or NaN when it means none.
float read(const KitInstrument& kit, int32_t index, const char* text) {
    float value = 0.25f;
    if (!kit.valueFromText(index, text, value)) return NAN;
    return value;
}

int32_t setting(int32_t pad, PadSetting s) { return padIndex(pad, kSoundParameters + s); }

}  // namespace

TEST(KitParameterText, EveryParametersDisplayReadsBackToTheSameText) {
    const KitInstrument kit;
    std::mt19937 random(27);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int32_t i = 0; i < kit.parameterCount(); ++i) {
        const float values[] = {0.0f, 1.0f, kit.parameterDefault(i), 0.5f, 0.37f, 1e-4f, unit(random), unit(random)};
        for (float v : values) {
            const std::string text = display(kit, i, v);
            float back = 0.0f;
            ASSERT_TRUE(kit.valueFromText(i, text.c_str(), back)) << i << " '" << text << "'";
            ASSERT_GE(back, 0.0f);
            ASSERT_LE(back, 1.0f);
            ASSERT_EQ(display(kit, i, back), text) << i << " from " << v;
        }
        // A stepped parameter's every choice reads by its name.
        for (int32_t k = 0, steps = kit.parameterSteps(i); steps > 0 && k <= steps; ++k) {
            char name[64];
            kit.choiceName(i, k, name, sizeof name);
            ASSERT_EQ(read(kit, i, name), valueOfStep(k, steps)) << i << " '" << name << "'";
        }
    }
}

TEST(KitParameterText, TheWaysAUserWritesAValue) {
    const KitInstrument kit;
    const int32_t key = setting(0, kKey), pitch = setting(3, kPitch), level = setting(5, kLevel),
                  pan = setting(1, kPan), output = setting(2, kOutput), choke = setting(4, kChoke),
                  velocity = setting(6, kVelocity), mute = setting(7, kMute);
    // Notes by number, by name with sharps or flats, or both as displayed.
    EXPECT_EQ(read(kit, key, "36"), valueOfStep(36, 127));
    EXPECT_EQ(read(kit, key, "C1"), valueOfStep(36, 127));
    EXPECT_EQ(read(kit, key, " c1 "), valueOfStep(36, 127));
    EXPECT_EQ(read(kit, pitch, "C#3"), valueOfStep(61, 127));
    EXPECT_EQ(read(kit, pitch, "Db3"), valueOfStep(61, 127));
    EXPECT_EQ(read(kit, pitch, "36 C1"), valueOfStep(36, 127));
    EXPECT_EQ(read(kit, pitch, "C-2"), 0.0f);
    EXPECT_EQ(read(kit, pitch, "G8"), 1.0f);
    // Decibels with or without the unit; no gain at all; beyond +12 dB held.
    const float minus52 = read(kit, level, "-5.2dB");
    EXPECT_EQ(display(kit, level, minus52), "-5.2dB");
    EXPECT_EQ(read(kit, level, "-5.2 dB"), minus52);
    EXPECT_EQ(read(kit, level, "-5.2"), minus52);
    EXPECT_EQ(read(kit, level, "-inf dB"), 0.0f);
    EXPECT_EQ(read(kit, level, "-INF"), 0.0f);
    EXPECT_EQ(read(kit, level, "0 dB"), 0.5f);
    EXPECT_EQ(read(kit, level, "+40 dB"), 1.0f);
    EXPECT_EQ(read(kit, kVolumeIndex, "0.0dB"), 0.5f);
    // Pan, either side, any case.
    EXPECT_EQ(read(kit, pan, "C"), 0.5f);
    EXPECT_EQ(read(kit, pan, "L100"), 0.0f);
    EXPECT_EQ(read(kit, pan, "r100"), 1.0f);
    EXPECT_EQ(read(kit, pan, "L26"), 0.37f);
    EXPECT_EQ(read(kit, pan, "L 26"), 0.37f);
    // Choices by name or number.
    EXPECT_EQ(read(kit, output, "Main"), 0.0f);
    EXPECT_EQ(read(kit, output, "aux 3"), valueOfStep(3, 8));
    EXPECT_EQ(read(kit, output, "3"), valueOfStep(3, 8));
    EXPECT_EQ(read(kit, choke, "None"), 0.0f);
    EXPECT_EQ(read(kit, choke, "Group 2"), valueOfStep(2, 8));
    EXPECT_EQ(read(kit, choke, "8"), 1.0f);
    EXPECT_EQ(read(kit, kChannelIndex, "Omni"), 0.0f);
    EXPECT_EQ(read(kit, kChannelIndex, "10"), valueOfStep(10, 16));
    EXPECT_EQ(read(kit, mute, "on"), 1.0f);
    EXPECT_EQ(read(kit, mute, "Off"), 0.0f);
    EXPECT_EQ(read(kit, velocity, "37%"), 0.37f);
    EXPECT_EQ(read(kit, velocity, "37"), 0.37f);
    EXPECT_EQ(read(kit, velocity, "37 %"), 0.37f);
    // A sound's parameters: the number with or without its label, a list by its caption.
    EXPECT_EQ(read(kit, padIndex(9, kCutOff), "0.30 /1"), 0.3f);
    EXPECT_EQ(read(kit, padIndex(9, kWave1), "Saw"), 0.25f);

    // What means nothing here changes nothing.
    for (const auto& [index, text] : std::initializer_list<std::pair<int32_t, const char*>>{
             {key, "H1"}, {key, "C#9"}, {key, "128"}, {key, "36 D1"}, {key, "C 1"}, {key, "36.5"},
             {level, "loud"}, {level, "-5.2 dBFS"}, {level, "inf"}, {pan, "L"}, {pan, "X20"}, {pan, "L-5"},
             {pan, "0.5"}, {output, "Aux 9"}, {output, "Aux"}, {choke, "Group 0"}, {choke, "9"},
             {kChannelIndex, "17"}, {velocity, "%"}, {mute, "yes"}, {key, ""}, {padIndex(0, kQ), "Saw"}}) {
        float value = 0.25f;
        EXPECT_FALSE(kit.valueFromText(index, text, value)) << index << " '" << text << "'";
        EXPECT_EQ(value, 0.25f);
    }
    float value = 0.25f;
    EXPECT_FALSE(kit.valueFromText(kKitParameters, "0.5", value));
    EXPECT_FALSE(kit.valueFromText(key, nullptr, value));
}

TEST(KitParameterText, AFileTextReadsBackAsTheVerySameValue) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (const SettingInfo* setting : {&kPadSettingTable[kLevel], &kPadSettingTable[kPan],
                                       &kPadSettingTable[kVelocity], &kKitWideTable[1]}) {
        for (int n = 0; n < 2000; ++n) {
            const float v = n < 3 ? float(n) / 2.0f : unit(random);
            const std::string text = exactFileText(*setting, v);
            ASSERT_EQ(setting->parse(text), v) << setting->name << " '" << text << "'";
        }
        // Whatever a file's text cannot hold exactly (a pan a hair from the
        // edge) reads as a value that it then holds.
        std::uniform_int_distribution<uint32_t> bits(0, 0x3F800000);
        for (int n = 0; n < 20000; ++n) {
            const uint32_t pattern = bits(random);
            float v;
            std::memcpy(&v, &pattern, sizeof v);
            const float near = *setting->parse(exactFileText(*setting, v));
            ASSERT_EQ(setting->parse(exactFileText(*setting, near)), near) << setting->name << " " << v;
        }
        // A value on the display's precision says no more than the display.
        char shown[32];
        setting->display(0.37f, setting->decimals, shown, sizeof shown);
        EXPECT_EQ(exactFileText(*setting, *setting->parse(shown)), shown) << setting->name;
    }
    EXPECT_EQ(exactFileText(kPadSettingTable[kKey], valueOfStep(36, 127)), "36");
    EXPECT_EQ(exactFileText(kPadSettingTable[kPitch], valueOfStep(61, 127)), "C#3");
    EXPECT_EQ(exactFileText(kPadSettingTable[kChoke], 0.0f), "none");
    EXPECT_EQ(exactFileText(kPadSettingTable[kChoke], valueOfStep(3, 8)), "3");
    EXPECT_EQ(exactFileText(kPadSettingTable[kOutput], valueOfStep(3, 8)), "Aux 3");
}
