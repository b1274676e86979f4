// User preset files: what is written reads back bit for bit, a damaged file
// is refused with a reason and gives nothing, and the files live where the
// platform keeps a user's data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/PresetFile.h"

namespace tamrik {
namespace {

namespace fs = std::filesystem;

PresetValues Sample() {
    PresetValues p;
    p.name = "Deep Kick 2";
    for (int i = 0; i < kNumParameters; ++i) p.values[size_t(i)] = kParameterTable[i].defaultValue;
    p.values[kCutOff] = 1.0f / 3.0f;
    p.values[kQ] = std::nextafter(0.1f, 1.0f);
    p.values[kA] = 0.0f;
    p.values[kClip] = 1.0f;
    return p;
}

TEST(PresetFile, WhatIsWrittenReadsBackBitForBit) {
    const PresetValues p = Sample();
    const std::string text = formatPreset(p);
    EXPECT_EQ(text.rfind("DrumTamrik preset 1\nname = Deep Kick 2\nA = 0\nH = 0.1\n", 0), 0u) << text;
    const PresetReading back = parsePreset(text);
    ASSERT_TRUE(back.preset) << back.error;
    EXPECT_EQ(*back.preset, p);
}

TEST(PresetFile, HandEditedFilesWithCommentsSpacesAndCrLfAreRead) {
    std::string text = "DrumTamrik preset 1\r\n\r\n# mine\r\n  name=  Snare  \r\n";
    for (int i = kNumParameters - 1; i >= 0; --i) text += std::string(kParameterTable[i].name) + "\t=\t0.5\r\n";
    const PresetReading r = parsePreset(text);
    ASSERT_TRUE(r.preset) << r.error;
    EXPECT_EQ(r.preset->name, "Snare");
    for (float v : r.preset->values) EXPECT_EQ(v, 0.5f);
}

TEST(PresetFile, DamagedFilesAreRefusedWithAReason) {
    const std::string good = formatPreset(Sample());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "not a DrumTamrik preset"},
        {"hello", "not a DrumTamrik preset"},
        {replaced("preset 1", "preset 2"), "newer"},
        {replaced("preset 1", "preset x"), "not a DrumTamrik preset"},
        {replaced("CutOff = ", "CutOf = "), "no parameter is called"},
        {replaced("Q = ", "Qq"), "name = value"},
        {replaced("H = 0.1", "H = 1.5"), "H needs a number from 0 to 1"},
        {replaced("H = 0.1", "H = -0"), ""},  // -0 is within 0..1: read
        {replaced("H = 0.1", "H = nan"), "H needs a number"},
        {replaced("H = 0.1", "H = 0.1x"), "H needs a number"},
        {replaced("H = 0.1", "H ="), "H needs a number"},
        {replaced("H = 0.1\n", ""), "H is missing"},
        {replaced("H = 0.1\n", "H = 0.1\nH = 0.2\n"), "H is set twice"},
        {replaced("name = Deep Kick 2\n", ""), "no name"},
        {replaced("name = Deep Kick 2\n", "name = a\nname = b\n"), "a second name"},
        {replaced("Deep Kick 2", std::string(64, 'x')), "1 to 63"},
        {replaced("Deep Kick 2", "Deep\x01Kick"), "1 to 63"},
        {good + std::string(kPresetFileMax, '#'), "too large"},
    };
    for (const auto& [text, why] : cases) {
        const PresetReading r = parsePreset(text);
        if (why.empty()) {
            EXPECT_TRUE(r.preset) << r.error;
            continue;
        }
        EXPECT_FALSE(r.preset) << text;
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error << " / wanted: " << why;
    }
}

struct TempFolder : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("tamrik-presets-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { fs::remove_all(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(TempFolder, FilesAreWrittenWholeIntoFoldersMadeOnTheWay) {
    const fs::path file = dir / "a" / "b" / presetFileName("Deep/Kick: 2");
    EXPECT_EQ(file.filename().string(), "DeepKick 2.dtpreset");
    ASSERT_EQ(writePresetFile(file, Sample()), "");
    const PresetReading r = readPresetFile(file);
    ASSERT_TRUE(r.preset) << r.error;
    EXPECT_EQ(*r.preset, Sample());
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        EXPECT_EQ(entry.path(), file) << "nothing else is left behind";
    EXPECT_FALSE(readPresetFile(dir / "none.dtpreset").preset);
    EXPECT_NE(writePresetFile(file / "under-a-file.dtpreset", Sample()), "");
    EXPECT_EQ(readPresetFile(file).preset, Sample()) << "a failed save leaves the file as it was";
}

#if !defined(_WIN32)
TEST(PresetFile, UserPresetsLiveInTheUsersDataFolder) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_DATA_HOME", "/data/me", 1);
    EXPECT_EQ(userPresetDirectory(), fs::path("/data/me/DrumTamrik/Presets"));
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(userPresetDirectory(), fs::path(home) / ".local/share/DrumTamrik/Presets") << "a relative one is ignored";
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userPresetDirectory(), fs::path(home) / ".local/share/DrumTamrik/Presets");
    if (xdg) ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
}
#endif

}  // namespace
}  // namespace tamrik
