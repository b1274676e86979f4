// The factory preset table: the list the editor shows, the lookups, and the
// shape of the data (two-place values, Volume only in "AllReset").
#include "editor/PresetList.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tamrik {
namespace {

constexpr int kVolume = 18;

TEST(FactoryPresets, ListHoldsTitleSeparatorAndPresetsInOrder) {
    EXPECT_EQ(kPresetListItems[0], "Preset");
    EXPECT_EQ(kPresetListItems[1], "--------");
    for (int i = 0; i < kFactoryPresetCount; ++i) {
        const FactoryPreset* atPosition = factoryPresetAtListPosition(i + 2);
        ASSERT_NE(atPosition, nullptr);
        EXPECT_EQ(atPosition->name, kPresetListItems[static_cast<size_t>(i + 2)]);
        EXPECT_EQ(findFactoryPreset(atPosition->name), atPosition);
    }
    EXPECT_EQ(kFactoryPresets.front().name, "AllReset");
    EXPECT_EQ(kFactoryPresets.back().name, "Animal");
}

TEST(FactoryPresets, LookupsRejectWhatIsNotAPreset) {
    EXPECT_EQ(factoryPresetAtListPosition(0), nullptr);
    EXPECT_EQ(factoryPresetAtListPosition(1), nullptr);
    EXPECT_EQ(factoryPresetAtListPosition(18), nullptr);
    EXPECT_EQ(factoryPresetAtListPosition(-1), nullptr);
    EXPECT_EQ(findFactoryPreset("Preset"), nullptr);
    EXPECT_EQ(findFactoryPreset("--------"), nullptr);
    EXPECT_EQ(findFactoryPreset("chh"), nullptr);
    EXPECT_EQ(findFactoryPreset(""), nullptr);
}

TEST(FactoryPresets, OnlyAllResetSetsVolume) {
    for (const FactoryPreset& preset : kFactoryPresets) {
        EXPECT_EQ(preset.values[kVolume].has_value(), preset.name == "AllReset") << preset.name;
        for (int i = 0; i < kPresetParameterCount; ++i) {
            if (i == kVolume) continue;
            EXPECT_TRUE(preset.values[static_cast<size_t>(i)].has_value());
        }
    }
}

TEST(FactoryPresets, ValuesAreTheFloatsNearestToTwoPlaceDecimals) {
    for (const FactoryPreset& preset : kFactoryPresets)
        for (const std::optional<float>& value : preset.values) {
            if (!value) continue;
            const double hundredths = std::round(static_cast<double>(*value) * 100.0);
            EXPECT_GE(hundredths, 0.0);
            EXPECT_LE(hundredths, 100.0);
            EXPECT_EQ(*value, static_cast<float>(hundredths / 100.0)) << preset.name;
        }
    // Spot checks against the published table, including the off-grid FM of "CHH".
    EXPECT_EQ(findFactoryPreset("CHH")->values[17], 0.10f);
    EXPECT_EQ(findFactoryPreset("P_Kick")->values[19], 0.68f);
    EXPECT_EQ(findFactoryPreset("RingFM")->values[2], 0.34f);
    EXPECT_EQ(findFactoryPreset("AllReset")->values[kVolume], 0.5f);
    EXPECT_EQ(findFactoryPreset("Metalic")->values[19], 0.12f);
}

}  // namespace
}  // namespace tamrik
