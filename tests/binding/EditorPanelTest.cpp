// The product's panel in a host's window, as every editor binding shows it:
// the scale (the user's choice, then the host's, then the platform's), the
// size the host is told, a picked scale asked of the host, and gestures that
// reach the binding paired, none left open when the panel closes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "binding/EditorPanel.h"
#include "binding/GestureBook.h"
#include "editor/TForm1.h"
#include "editor/UserSettings.h"
#include "toolkit/OffscreenBackend.h"

using namespace tamrik;
using tamrik::binding::EditorPanel;

namespace {

constexpr tk::NativeWindow kParent{1};  // any window does offscreen
std::atomic<int> platformPercent{0};

std::unique_ptr<tk::Backend> offscreen() {
    auto backend = std::make_unique<tk::OffscreenBackend>(tk::TPoint{0, 0}, tk::OffscreenBackend::Faces::BuiltIn);
    backend->SetPlatformScale(platformPercent.load());
    return backend;
}

// Records what reaches the binding.
struct Link final : ParameterLink {
    void setParameterAutomated(int32_t index, float value) override { sets.emplace_back(index, value); }
    float getParameter(int32_t) override { return 0.5f; }
    void beginEdit(int32_t index) override { calls.push_back("begin " + std::to_string(index)); }
    void endEdit(int32_t index) override { calls.push_back("end " + std::to_string(index)); }
    std::vector<std::pair<int32_t, float>> sets;
    std::vector<std::string> calls;
};

class Panel : public ::testing::Test {
protected:
    void SetUp() override {
        EditorPanel::setBackendFactory(&offscreen);
        settings_ = std::filesystem::temp_directory_path() / ("tamrik-panel-" + std::to_string(::getpid()));
        std::filesystem::remove(settings_);
        EditorPanel::setSettingsFile(settings_);
        platformPercent = 0;
    }
    void TearDown() override {
        EditorPanel::setBackendFactory(nullptr);
        EditorPanel::setSettingsFile({});
        std::filesystem::remove(settings_);
    }
    std::filesystem::path settings_;
    Link link_;
};

TEST_F(Panel, TheUsersChoiceThenTheHostsThenThePlatforms) {
    EditorPanel panel(binding::drumTamrik(), link_);
    EXPECT_EQ(panel.width(), TForm1::kWidth);
    EXPECT_EQ(panel.height(), TForm1::kFormHeight);
    EXPECT_TRUE(panel.setHostScale(1.5));
    EXPECT_EQ(panel.width(), tk::Scale(150).Dev(TForm1::kWidth));
    EXPECT_FALSE(panel.setHostScale(1.1)) << "not one of the panel's steps";
    EXPECT_EQ(panel.scale().Percent(), 100);
    EXPECT_FALSE(panel.setHostScale(std::nan("")));
    EXPECT_EQ(panel.scale().Percent(), 100) << "no host scale";

    ASSERT_TRUE(writeChosenScale(settings_, tk::Scale(200)));
    panel.setHostScale(1.5);
    EXPECT_EQ(panel.scale().Percent(), 200) << "the user's choice first";

    std::filesystem::remove(settings_);
    panel.setHostScale(std::nullopt);
    platformPercent = 175;
    std::vector<std::pair<int, int>> asked;
    ASSERT_TRUE(panel.open(kParent, nullptr, [&](int w, int h) {
        asked.emplace_back(w, h);
        return true;
    }));
    EXPECT_EQ(panel.scale().Percent(), 175) << "the platform's, once a window shows it";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(panel.width(), panel.height()));
    panel.close();

    EditorPanel refused(binding::drumTamrik(), link_);
    ASSERT_TRUE(refused.open(kParent, nullptr, [](int, int) { return false; }));
    EXPECT_EQ(refused.scale().Percent(), 100) << "a host that will not resize keeps 100 %";
}

TEST_F(Panel, APickedScaleIsAskedOfTheHostAndKeptOnlyWhenGranted) {
    EditorPanel panel(binding::drumTamrik(), link_);
    bool grant = false;
    ASSERT_TRUE(panel.open(kParent, nullptr, [&](int, int) { return grant; }));
    panel.form()->ChooseScale(tk::Scale(250));
    EXPECT_EQ(panel.scale().Percent(), 100);
    EXPECT_FALSE(readChosenScale(settings_).has_value());
    grant = true;
    panel.form()->ChooseScale(tk::Scale(250));
    EXPECT_EQ(panel.scale().Percent(), 250);
    EXPECT_EQ(readChosenScale(settings_), tk::Scale(250));
}

TEST_F(Panel, TheKitsPanelNeedsKitControlsAndIsTaller) {
    EditorPanel panel(binding::drumTamrikKit(), link_);
    EXPECT_GT(panel.height(), TForm1::kFormHeight);
    EXPECT_FALSE(panel.open(kParent, nullptr));
    EXPECT_FALSE(panel.isOpen());
}

TEST_F(Panel, GesturesReachTheBindingPairedAndCloseEndsThoseOpen) {
    EditorPanel panel(binding::drumTamrik(), link_);
    ASSERT_TRUE(panel.open(kParent, nullptr));
    ParameterLink& formLink = panel.form()->Synth;
    formLink.beginEdit(4);
    formLink.beginEdit(4);
    formLink.endEdit(7);
    formLink.beginEdit(7);
    formLink.endEdit(4);
    formLink.endEdit(4);
    formLink.beginEdit(99);
    panel.close();
    EXPECT_EQ(link_.calls, (std::vector<std::string>{"begin 4", "begin 7", "end 4", "end 7"}));
}

TEST(GestureBook, EachGestureOpensAndClosesOnce) {
    binding::GestureBook book(3);
    EXPECT_TRUE(book.begin(1));
    EXPECT_FALSE(book.begin(1));
    EXPECT_FALSE(book.begin(3)) << "no such parameter";
    EXPECT_FALSE(book.end(0));
    EXPECT_TRUE(book.begin(2));
    EXPECT_EQ(book.openCount(), 2u);
    std::vector<uint32_t> ended;
    book.endAll([&](uint32_t id) { ended.push_back(id); });
    EXPECT_EQ(ended, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(book.openCount(), 0u);
    EXPECT_FALSE(book.isOpen(1));
}

}  // namespace
