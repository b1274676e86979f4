// Kit files: what a round trip keeps, and how a bad file is refused.
#include <gtest/gtest.h>

#include <string>

#include "kit/KitFile.h"
#include "kit/KitInstrument.h"

using namespace tamrik;
using namespace tamrik::kit;

namespace {

KitSnapshot initKit() {
    static const KitSnapshot init = KitInstrument().snapshot();
    return init;
}

// The line and reason of a refusal, or "" when the text is taken.
std::string refusal(const std::string& text) {
    try {
        KitFile::parse(text, initKit());
    } catch (const KitFileError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(KitFile, RoundTripKeepsEveryValueAndName) {
    KitInstrument kit;
    kit.setProgram(3);
    kit.setParameter(padIndex(4, kCutOff), 0.1f + 1e-7f);  // a float with many digits
    kit.setParameter(padIndex(15, kSoundParameters + kMute), 1.0f);
    kit.setParameter(kChannelIndex, valueOfStep(3, 16));
    kit.setPadName(2, "Hat = closed");
    const KitSnapshot before = kit.snapshot();
    const std::string text = KitFile::write(before);
    EXPECT_EQ(text.rfind("DrumTamrik Kit 1\nname = Industrial\n", 0), 0u) << text.substr(0, 80);
    EXPECT_NE(text.find("[Pad 3]\nname = Hat = closed\nA = "), std::string::npos);

    const KitSnapshot after = KitFile::parse(text, initKit());
    EXPECT_EQ(after.name, before.name);
    EXPECT_EQ(after.padNames, before.padNames);
    for (int32_t i = 0; i < kKitParameters; ++i) ASSERT_EQ(after.values[size_t(i)], before.values[size_t(i)]) << i;
    EXPECT_EQ(KitFile::write(after), text);

    KitInstrument other;
    other.load(after);
    EXPECT_EQ(other.saveState().size(), kit.saveState().size());
    EXPECT_EQ(other.snapshot().values, before.values);

    // Names that cannot stand on one line are written on one line.
    KitSnapshot odd = before;
    odd.padNames[0] = "two\nlines";
    EXPECT_EQ(KitFile::parse(KitFile::write(odd), initKit()).padNames[0], "two lines");
    // ... and as the reader trims them, so that a second write is the same.
    odd.padNames[1] = "\tsnare\x01";
    const std::string once = KitFile::write(odd);
    EXPECT_EQ(KitFile::parse(once, initKit()).padNames[1], "snare");
    EXPECT_EQ(KitFile::write(KitFile::parse(once, initKit())), once);
}

TEST(KitFile, OmittedValuesKeepTheInitKitsAndCommentsAreSkipped) {
    const KitSnapshot kit = KitFile::parse(
        "DrumTamrik Kit 1\r\n# a comment\n\nname = Small\n[Pad 2]\n  CutOff =  0.25 \nname=Sn\n", initKit());
    EXPECT_EQ(kit.name, "Small");
    EXPECT_EQ(kit.padNames[1], "Sn");
    EXPECT_EQ(kit.padNames[0], "Kick");
    EXPECT_EQ(kit.values[size_t(padIndex(1, kCutOff))], 0.25f);
    KitSnapshot expected = initKit();
    expected.values[size_t(padIndex(1, kCutOff))] = 0.25f;
    EXPECT_EQ(kit.values, expected.values);
}

TEST(KitFile, ABadFileIsRefusedWithItsLineAndReason) {
    const std::string head = "DrumTamrik Kit 1\n";
    EXPECT_EQ(refusal(""), "line 1: the file is empty");
    EXPECT_EQ(refusal("DrumTamrik 1\n"), "line 1: not a kit file: expected 'DrumTamrik Kit 1'");
    EXPECT_EQ(refusal("DrumTamrik Kit 2\n"), "line 1: a kit file of another version ('DrumTamrik Kit 2')");
    EXPECT_EQ(refusal(head + "Volume = loud\n"), "line 2: Volume: expected a number, not 'loud'");
    EXPECT_EQ(refusal(head + "Volume = nan\n"), "line 2: Volume: the value is not finite");
    EXPECT_EQ(refusal(head + "Volume = -inf\n"), "line 2: Volume: the value is not finite");
    EXPECT_EQ(refusal(head + "Volume = 1e99\n"), "line 2: Volume: expected a number, not '1e99'");
    EXPECT_EQ(refusal(head + "Volume = 1.5\n"), "line 2: Volume: the value is outside 0 to 1");
    EXPECT_EQ(refusal(head + "[Pad 1]\nKey = -0.1\n"), "line 3: Key: the value is outside 0 to 1");
    EXPECT_EQ(refusal(head + "Volume = 0.5x\n"), "line 2: Volume: expected a number, not '0.5x'");
    EXPECT_EQ(refusal(head + "CutOff = 0.5\n"), "line 2: unknown key 'CutOff' before the first pad");
    EXPECT_EQ(refusal(head + "[Pad 1]\nCutof = 0.5\n"), "line 3: unknown key 'Cutof' in a pad");
    EXPECT_EQ(refusal(head + "[Pad 17]\n"), "line 2: no such pad: '[Pad 17]' (pads are 1 to 16)");
    EXPECT_EQ(refusal(head + "[Pad 0]\n"), "line 2: no such pad: '[Pad 0]' (pads are 1 to 16)");
    EXPECT_EQ(refusal(head + "[Pads]\n"), "line 2: expected a section '[Pad N]', not '[Pads]'");
    EXPECT_EQ(refusal(head + "[Pad 1]\n[Pad 1]\n"), "line 3: Pad 1 twice");
    EXPECT_EQ(refusal(head + "[Pad 1]\nQ = 1\n\nQ = 0\n"), "line 5: Q given twice");
    EXPECT_EQ(refusal(head + "just words\n"), "line 2: expected KEY = VALUE, not 'just words'");
    EXPECT_EQ(refusal(head + "name = " + std::string(32, 'x') + "\n"),
              "line 2: the name is longer than 31 characters");
    EXPECT_EQ(refusal(head + "[Pad 1]\nQ = 1\n[Pad 2]\nQ = 1\n"), "");
}
