// The strip below the panel: presets stepped through (factory ones, then
// the user's), the name and its mark of a changed sound, user presets saved
// and loaded (a damaged file refused and nothing changed), a random sound
// with locks and its undo, and the display scale the user picks, which the
// host is asked to make room for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "EditorHost.h"
#include "synth/FactoryPresets.h"
#include "editor/UserSettings.h"
#include "toolkit/Messages.h"

namespace tamrik::test {
namespace {

namespace fs = std::filesystem;
using namespace tk;

PresetValues UserSound(const std::string& name, float cutoff) {
    PresetValues p;
    p.name = name;
    for (int i = 0; i < kNumParameters; ++i) p.values[size_t(i)] = kParameterTable[i].defaultValue;
    p.values[kCutOff] = cutoff;
    p.values[kVolume] = 0.8f;
    return p;
}

struct Strip : ::testing::Test {
    EditorHost host;
    TForm1* f = nullptr;
    fs::path dir = fs::temp_directory_path() /
                   ("tamrik-strip-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    void SetUp() override {
        fs::remove_all(dir);
        ASSERT_EQ(writePresetFile(dir / "b.dtpreset", UserSound("Zed kick", 0.25f)), "");
        ASSERT_EQ(writePresetFile(dir / "a.dtpreset", UserSound("Mine", 0.75f)), "");
        ASSERT_EQ(host.openEditor(), 1);
        f = &host.form();
        f->Strip->SetUserPresetDirectory(dir);
        host.clearAutomations();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::vector<float> values() {
        std::vector<float> v;
        for (int i = 0; i < kNumParameters; ++i) v.push_back(host.getParameter(i));
        return v;
    }
};

TEST_F(Strip, PreviousAndNextRunThroughFactoryThenUserPresetsAndWrap) {
    ASSERT_EQ(f->Strip->PresetCount(), 18);
    EXPECT_EQ(f->ComboBox6->Items().size(), 20u) << "the list has them too, after the factory ones";
    EXPECT_EQ(f->ComboBox6->Items()[18], "Mine");
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), "(no preset)");
    f->Strip->NextButton->OnClick(f->Strip->NextButton);
    EXPECT_EQ(f->Strip->CurrentPreset(), 0);
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), std::string(kFactoryPresets[0].name));
    f->Strip->PreviousButton->OnClick(f->Strip->PreviousButton);
    EXPECT_EQ(f->Strip->CurrentPreset(), 17) << "wraps to the last user preset";
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), "Zed kick");
    EXPECT_EQ(host.getParameter(kCutOff), 0.25f);
    EXPECT_EQ(host.getParameter(kVolume), 0.8f) << "a user preset sets all 22 values";
    f->Strip->StepPreset(-1);
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), "Mine");
    EXPECT_EQ(f->ComboBox6->Text(), "Mine");
    f->Strip->StepPreset(2);
    EXPECT_EQ(f->Strip->CurrentPreset(), 0);
    // Each value went through the host, each as an edit of its own.
    int begins = 0, automates = 0;
    for (const HostCall& c : host.calls()) {
        begins += c.opcode == vst::audioMasterBeginEdit;
        automates += c.opcode == vst::audioMasterAutomate;
    }
    EXPECT_EQ(begins, automates);
    EXPECT_GT(automates, 22);
}

TEST_F(Strip, TheNameIsMarkedWhileTheSoundDiffersFromThePreset) {
    f->Strip->StepPreset(1);
    const std::string name(kFactoryPresets[0].name);
    host.setParameter(kCutOff, 0.123f);
    host.tick();
    EXPECT_TRUE(f->Strip->PresetModified());
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), name + "  (changed)");
    f->ComboBox6->OnChange(f->ComboBox6);  // the same preset chosen again from the list
    host.tick();
    EXPECT_FALSE(f->Strip->PresetModified());
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), name);
}

TEST_F(Strip, SaveWritesTheSoundAsAUserPresetThatJoinsTheList) {
    f->Strip->ChoosePreset(16);
    ASSERT_EQ(f->Strip->PresetTitle->Caption(), "Mine");
    host.setParameter(kQ, 0.42f);
    const fs::path path = f->Strip->SaveUserPreset();
    ASSERT_FALSE(path.empty()) << f->Strip->ReadoutLine();
    EXPECT_EQ(path.parent_path(), dir);
    const PresetReading saved = readPresetFile(path);
    ASSERT_TRUE(saved.preset) << saved.error;
    EXPECT_EQ(saved.preset->name, "Mine 1");
    for (int i = 0; i < kNumParameters; ++i) EXPECT_EQ(saved.preset->values[size_t(i)], host.getParameter(i)) << i;
    EXPECT_EQ(f->Strip->PresetCount(), 19);
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), "Mine 1");
    EXPECT_NE(f->Strip->ReadoutLine().find("Saved"), std::string::npos);
    EXPECT_EQ(f->Strip->SaveUserPreset().filename().string(), "Mine 1 1.dtpreset") << "never over an existing file";
}

TEST_F(Strip, ADamagedFileIsRefusedWithAMessageAndChangesNothing) {
    const fs::path broken = dir / "broken.dtpreset";
    std::ofstream(broken) << "DrumTamrik preset 1\nname = Broken\nA = 0.5\nCutOff = 7\n";
    f->Strip->SetUserPresetDirectory(dir);
    EXPECT_EQ(f->Strip->PresetCount(), 18) << "a damaged file is not listed";
    const std::vector<float> before = values();
    EXPECT_FALSE(f->Strip->LoadPresetFile(broken));
    EXPECT_EQ(values(), before);
    EXPECT_TRUE(host.calls().empty());
    EXPECT_NE(f->Strip->ReadoutLine().find("Not loaded: broken.dtpreset: line 4: CutOff needs a number"), std::string::npos)
        << f->Strip->ReadoutLine();
    EXPECT_NE(f->Strip->Readout->Caption().find("Not loaded"), std::string::npos) << "shown on the panel";
}

TEST_F(Strip, AnyFileLoadsThroughTheChooser) {
    const fs::path elsewhere = dir / "elsewhere";
    ASSERT_EQ(writePresetFile(elsewhere / "far.dtpreset", UserSound("Far away", 0.61f)), "");
    f->Strip->OpenLoadChooser(dir);
    ASSERT_TRUE(f->Strip->FileList->DroppedDown());
    const std::vector<std::string> expected{dir.string(), "[..]", "[elsewhere]", "a", "b"};
    EXPECT_EQ(f->Strip->FileList->Items(), expected);
    // Into the folder, then the file, with the keys a user would press.
    auto pick = [&](int item) {
        for (int i = 0; i <= item; ++i) host.screen().Key(TK_VK_DOWN, true);
        host.screen().Key(TK_VK_RETURN, true);
    };
    pick(2);
    ASSERT_TRUE(f->Strip->FileList->DroppedDown());
    EXPECT_EQ(f->Strip->FileList->Items().back(), "far");
    pick(2);
    EXPECT_FALSE(f->Strip->FileList->DroppedDown());
    EXPECT_EQ(host.getParameter(kCutOff), 0.61f);
    EXPECT_EQ(f->Strip->PresetTitle->Caption(), "Far away");
}

TEST_F(Strip, RandomKeepsLockedGroupsIsNeverSilentAndUndoes) {
    f->Strip->Keep[size_t(SoundGroup::Env)]->SetChecked(true);
    EXPECT_FALSE(f->Strip->UndoButton->Enabled());
    const std::vector<float> before = values();
    std::vector<std::vector<float>> sounds;
    for (uint64_t seed : {1u, 2u, 3u, 1u}) {
        f->Strip->SetRandomSeed(seed);
        host.clearAutomations();
        f->Strip->Randomize();
        const std::vector<float> after = values();
        sounds.push_back(after);
        int changed = 0;
        for (int i = 0; i < kNumParameters; ++i) {
            if (soundGroupOf(i) == SoundGroup::Env) {
                EXPECT_EQ(after[size_t(i)], before[size_t(i)]) << i;
            }
            changed += after[size_t(i)] != before[size_t(i)];
        }
        EXPECT_GE(after[kVolume], 0.5f);
        EXPECT_LE(after[kA], 0.12f);
        EXPECT_EQ(int(host.automations().size()), changed) << "every changed value through the host";
        EXPECT_GT(changed, 5);
        EXPECT_TRUE(f->Strip->UndoButton->Enabled());
        f->Strip->UndoRandomize();
        EXPECT_EQ(values(), before);
        EXPECT_FALSE(f->Strip->UndoButton->Enabled());
    }
    EXPECT_EQ(sounds[0], sounds[3]) << "a seed draws the same sound";
    EXPECT_NE(sounds[0], sounds[1]);
    host.tick();
    EXPECT_EQ(f->Tsumami3->Position(), 50) << "the controls follow the undo";
}

TEST_F(Strip, TheChosenScaleAsksTheHostAndARefusalKeepsThePanel) {
    auto rect = [&] {
        vst::ERect* r = nullptr;
        host.dispatch(vst::effEditGetRect, 0, 0, &r);
        return std::vector<int>{r->bottom, r->right};
    };
    f->ChooseScale(Scale(200));
    EXPECT_EQ(host.calls().back(), (HostCall{vst::audioMasterSizeWindow, 1010, 962}));
    EXPECT_EQ(rect(), (std::vector<int>{962, 1010}));
    EXPECT_EQ(f->Strip->ScaleList->Text(), "200 %");
    host.grantSizes(false);
    f->ChooseScale(Scale(150));
    EXPECT_EQ(f->GetScale().Percent(), 200) << "the host said no";
    EXPECT_EQ(rect(), (std::vector<int>{962, 1010}));
    EXPECT_NE(f->Strip->ReadoutLine().find("keeps the panel at 200 %"), std::string::npos);
}

}  // namespace
}  // namespace tamrik::test

namespace tamrik::test {
namespace {

std::vector<int> EditorRect(EditorHost& host) {
    vst::ERect* r = nullptr;
    host.dispatch(vst::effEditGetRect, 0, 0, &r);
    return {r->bottom, r->right};
}

TEST(ScaleSources, ThePlatformsScaleUnlessTheUserChoseAndTheChoiceIsKept) {
    EditorHost::setPlatformScale(150);
    {
        EditorHost host;
        EXPECT_EQ(EditorRect(host), (std::vector<int>{481, 505})) << "before the first open: nothing chosen yet";
        ASSERT_EQ(host.openEditor(), 1);
        EXPECT_EQ(host.form().GetScale().Percent(), 150) << "the platform's, the host asked to make room";
        EXPECT_EQ(host.calls().back(), (HostCall{vst::audioMasterSizeWindow, 758, 722}));
        host.form().ChooseScale(tk::Scale(250));
        EXPECT_EQ(readChosenScale(host.settingsFile()), tk::Scale(250)) << "the choice is kept";
        host.dispatch(vst::effEditClose);
        EXPECT_EQ(EditorRect(host), (std::vector<int>{1203, 1263})) << "and reported before the next open";
        ASSERT_EQ(host.openEditor(), 1);
        EXPECT_EQ(host.form().GetScale().Percent(), 250) << "the user's choice wins over the platform";
    }
    {
        EditorHost host;
        host.grantSizes(false);
        ASSERT_EQ(host.openEditor(), 1);
        EXPECT_EQ(host.form().GetScale().Percent(), 100) << "a host that cannot resize keeps the size it has";
    }
    EditorHost::setPlatformScale(0);
}

TEST(ScaleSources, TheSettingsFileIsSmallAndStrict) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "tamrik-settings-strict";
    EXPECT_FALSE(readChosenScale(file / "missing"));
    ASSERT_TRUE(writeChosenScale(file, tk::Scale(175)));
    EXPECT_EQ(readChosenScale(file), tk::Scale(175));
    for (const char* text : {"scale = 180\n", "scale = 2oo\n", "scale=\n", "# nothing\n"}) {
        std::ofstream(file) << text;
        EXPECT_FALSE(readChosenScale(file)) << text;
    }
    std::ofstream(file) << "# kept by DrumTamrik\r\nscale=300\r\n";
    EXPECT_EQ(readChosenScale(file), tk::Scale(300));
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace tamrik::test
