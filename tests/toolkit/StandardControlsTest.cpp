// The stock controls' event rules (lists, check boxes), the text face and
// the PNG snapshot.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/FallbackFace.h"
#include "toolkit/Form.h"
#include "toolkit/FreeTypeFace.h"
#include "toolkit/GroupBox.h"
#include "toolkit/OffscreenBackend.h"

namespace tamrik::tk {
namespace {

struct OffscreenForm {
    OffscreenBackend* screen = new OffscreenBackend({0, 0});
    TForm form{std::unique_ptr<Backend>(screen), 300, 313};
    OffscreenForm() {
        EXPECT_TRUE(form.CreateParented(0));
        form.ShowForm();
    }
    void Click(int x, int y) {
        screen->MoveMouse(x, y);
        screen->PressLeft();
        screen->ReleaseLeft();
    }
};

TEST(ComboBox, FiresOnChangeOnlyWhenTheUserChooses) {
    OffscreenForm f;
    auto* combo = new TComboBox(&f.form);
    combo->SetBounds(10, 10, 100, 20);
    combo->SetItems({"Sin", "Saw", "Sqr", "Tri", "Noise"});
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    combo->SetItemIndex(2);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), 2) << "beyond the items: ignored";
    EXPECT_EQ(changes, 0);

    f.Click(50, 20);
    ASSERT_TRUE(combo->DroppedDown());
    const int row = f.form.Font().LineHeight() + 2;
    f.Click(50, 30 + 1 + row * 4 + row / 2);  // "Noise"
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 4);
    EXPECT_EQ(combo->Text(), "Noise");
    EXPECT_EQ(changes, 1);

    f.Click(50, 20);
    ASSERT_TRUE(combo->DroppedDown());
    f.Click(250, 250);  // outside: closes, chooses nothing
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 4);
    EXPECT_EQ(changes, 1);

    f.screen->Key(TK_VK_UP, true);
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(changes, 2);
}

TEST(ComboBox, ShowsAtMostDropDownCountItemsInsideTheForm) {
    OffscreenForm f;
    auto* combo = new TComboBox(&f.form);
    combo->SetBounds(10, 200, 100, 20);
    std::vector<std::string> items;
    for (int i = 0; i < 18; ++i) items.push_back("Item " + std::to_string(i));
    combo->SetItems(items);
    combo->SetDropDownCount(20);
    combo->SetItemIndex(0);
    combo->SetDroppedDown(true);
    const TWinControl* list = f.form.Controls().back();
    EXPECT_GE(list->Top(), 0);
    EXPECT_LE(list->Top() + list->Height(), f.form.Height());
    // Scrolled to the last item, then chosen with the keyboard.
    for (int i = 0; i < 17; ++i) f.screen->Key(TK_VK_DOWN, true);
    f.screen->Key(TK_VK_RETURN, true);
    EXPECT_EQ(combo->ItemIndex(), 17);
    delete combo;
    EXPECT_EQ(f.form.Controls().size(), 0u) << "an open list goes with its box";
}

TEST(ComboBox, AnOpenListGoesCleanlyWithItsForm) {
    auto form = std::make_unique<TForm>(std::make_unique<OffscreenBackend>(), 200, 200);
    auto* group = new TGroupBox(form.get());
    auto* combo = new TComboBox(group);
    combo->SetItems({"a", "b"});
    combo->SetDroppedDown(true);
    EXPECT_TRUE(combo->DroppedDown());
    form.reset();  // deletes the list (the form's last child) before the box
}

TEST(CheckBox, FiresOnClickWhenCheckedChanges) {
    OffscreenForm f;
    auto* box = new TCheckBox(&f.form);
    box->SetBounds(10, 10, 97, 17);
    box->SetCaption("Ring Osc2");
    std::vector<bool> seen;
    box->OnClick = [&](TObject*) { seen.push_back(box->Checked()); };
    box->SetChecked(false);
    box->SetChecked(true);
    box->SetChecked(true);
    f.Click(15, 18);
    f.screen->MoveMouse(15, 18);
    f.screen->PressLeft();
    f.screen->MoveMouse(200, 200);
    f.screen->ReleaseLeft();  // released outside: no change
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(Text, TimesNewRomanResolvesToARealSerifFace) {
    auto face = FreeTypeFace::Open("Times New Roman", 12);
    if (!face) GTEST_SKIP() << "no scalable fonts on this machine";
    EXPECT_NE(face->FilePath().find("Serif"), std::string::npos) << face->FilePath();
    EXPECT_GT(face->TextWidth("Drum"), face->TextWidth("Dru"));
    EXPECT_GE(face->LineHeight(), 12);
    EXPECT_LE(face->LineHeight(), 16);
}

TEST(Text, TheFallbackFaceDrawsEveryByteWithinItsCell) {
    FallbackFace face;
    PixelBuffer pixels(face.TextWidth("Ag\x01") + 2, face.LineHeight() + 2, 0);
    face.Draw(pixels, pixels.Bounds(), 1, 1, "Ag\x01", RgbColor(255, 255, 255));
    int lit = 0;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) lit += pixels.At(x, y) != 0;
    EXPECT_GT(lit, 30);
    EXPECT_EQ(pixels.At(0, 0), 0u);
}

TEST(Snapshot, WritesAControlAsPng) {
    OffscreenForm f;
    auto* box = new TGroupBox(&f.form);
    box->SetBounds(5, 5, 60, 40);
    box->SetCaption("OSC");
    const PixelBuffer shot = f.form.Snapshot(*box);
    EXPECT_EQ(shot.Width(), 60);
    EXPECT_EQ(shot.Height(), 40);
    const std::string path = (std::filesystem::temp_directory_path() / "tamrik-snapshot-test.png").string();
    ASSERT_TRUE(shot.SavePng(path));
    std::ifstream in(path, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    std::remove(path.c_str());
    EXPECT_FALSE(shot.SavePng("/nonexistent-dir/x.png"));
}

}  // namespace
}  // namespace tamrik::tk
