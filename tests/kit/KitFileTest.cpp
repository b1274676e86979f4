// Kit files: what a round trip keeps, and how a bad file is refused.
#include <gtest/gtest.h>

#include <string>

#include "kit/FactoryKits.h"
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
    EXPECT_EQ(text.rfind("DrumTamrik Kit 2\nname = Industrial\nChannel = 3\nVolume = 0.0dB\n", 0), 0u) << text.substr(0, 80);
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
        "DrumTamrik Kit 2\r\n# a comment\n\nname = Small\n[Pad 2]\n  CutOff =  0.25 \nname=Sn\n", initKit());
    EXPECT_EQ(kit.name, "Small");
    EXPECT_EQ(kit.padNames[1], "Sn");
    EXPECT_EQ(kit.padNames[0], "Kick");
    EXPECT_EQ(kit.values[size_t(padIndex(1, kCutOff))], 0.25f);
    KitSnapshot expected = initKit();
    expected.values[size_t(padIndex(1, kCutOff))] = 0.25f;
    EXPECT_EQ(kit.values, expected.values);
}

TEST(KitFile, ABadFileIsRefusedWithItsLineAndReason) {
    const std::string head = "DrumTamrik Kit 2\n", old = "DrumTamrik Kit 1\n";
    EXPECT_EQ(refusal(""), "line 1: the file is empty");
    EXPECT_EQ(refusal("DrumTamrik 1\n"), "line 1: not a kit file: expected 'DrumTamrik Kit 2'");
    EXPECT_EQ(refusal("DrumTamrik Kit 3\n"), "line 1: a kit file of another version ('DrumTamrik Kit 3')");
    EXPECT_EQ(refusal(head + "Volume = loud\n"),
              "line 2: Volume: expected decibels: -5.2dB, -5.2 dB or -inf dB, not 'loud'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nKey = 36.5\n"), "line 3: Key: expected a note: 36, C1 or 36 C1, not '36.5'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nPan = 0.5\n"), "line 3: Pan: expected L, C or R: L26, C or R100, not '0.5'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nOutput = Aux 9\n"), "line 3: Output: expected Main or Aux 1 to Aux 8, not 'Aux 9'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nChoke = 9\n"), "line 3: Choke: expected none or a group, 1 to 8, not '9'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nVelocity = lots\n"), "line 3: Velocity: expected a percentage: 37%, not 'lots'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nMute = 0.5\n"), "line 3: Mute: expected On or Off, not '0.5'");
    EXPECT_EQ(refusal(head + "Channel = 17\n"), "line 2: Channel: expected Omni or a channel, 1 to 16, not '17'");
    EXPECT_EQ(refusal(head + "[Pad 1]\nQ = 2\n"), "line 3: Q: the value is outside 0 to 1");
    EXPECT_EQ(refusal(old + "Volume = loud\n"), "line 2: Volume: expected a number, not 'loud'");
    EXPECT_EQ(refusal(old + "Volume = nan\n"), "line 2: Volume: the value is not finite");
    EXPECT_EQ(refusal(old + "Volume = -inf\n"), "line 2: Volume: the value is not finite");
    EXPECT_EQ(refusal(old + "Volume = 1e99\n"), "line 2: Volume: expected a number, not '1e99'");
    EXPECT_EQ(refusal(old + "Volume = 1.5\n"), "line 2: Volume: the value is outside 0 to 1");
    EXPECT_EQ(refusal(old + "[Pad 1]\nKey = -0.1\n"), "line 3: Key: the value is outside 0 to 1");
    EXPECT_EQ(refusal(old + "Volume = 0.5x\n"), "line 2: Volume: expected a number, not '0.5x'");
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

TEST(KitFile, SettingsAreInTheirUnitsAndEveryFactoryKitReadsBackExactly) {
    for (int32_t k = 0; k < kFactoryKitCount; ++k) {
        const KitSnapshot kit = factoryKitSnapshot(k);
        const std::string text = KitFile::write(kit);
        ASSERT_EQ(KitFile::parse(text, initKit()).values, kit.values) << kFactoryKits[size_t(k)].name;
    }
    const std::string standard = KitFile::write(factoryKitSnapshot(1));
    // The closed hat: key 42, pitch 72, level 0.45, pan 0.6, group 1.
    EXPECT_NE(standard.find("[Pad 3]\nname = Closed Hat\n"), std::string::npos);
    const size_t hat = standard.find("[Pad 3]");
    const std::string pad3 = standard.substr(hat, standard.find("[Pad 4]") - hat);
    EXPECT_NE(pad3.find("\nKey = 42\nPitch = C4\nLevel = -1."), std::string::npos) << pad3;
    EXPECT_NE(pad3.find("dB\nPan = R20\nOutput = Main\nChoke = 1\nVelocity = 100%\nMute = Off\n"),
              std::string::npos)
        << pad3;

    // Every form a person may write reads.
    const KitSnapshot typed = KitFile::parse(
        "DrumTamrik Kit 2\nChannel = 10\nVolume = -inf dB\n[Pad 1]\nKey = C1\nPitch = 61\n"
        "Level = -6 dB\nPan = l50\nOutput = aux 3\nChoke = Group 2\nVelocity = 37\nMute = on\n",
        initKit());
    const auto at = [&](PadSetting s) { return typed.values[size_t(padIndex(0, kSoundParameters + s))]; };
    EXPECT_EQ(typed.values[kChannelIndex], valueOfStep(10, 16));
    EXPECT_EQ(typed.values[kVolumeIndex], 0.0f);
    EXPECT_EQ(at(kKey), valueOfStep(36, 127));
    EXPECT_EQ(at(kPitch), valueOfStep(61, 127));
    EXPECT_NEAR(levelGain(at(kLevel)), 0.5012, 1e-4);
    EXPECT_EQ(at(kPan), 0.25f);
    EXPECT_EQ(at(kOutput), valueOfStep(3, 8));
    EXPECT_EQ(at(kChoke), valueOfStep(2, 8));
    EXPECT_EQ(at(kVelocity), 0.37f);
    EXPECT_EQ(at(kMute), 1.0f);
}

// A file written before the settings had units: every value 0 to 1.
TEST(KitFile, AVersion1FileStillLoads) {
    const std::string old =
        "DrumTamrik Kit 1\nname = Old\nChannel = 0.625\nVolume = 0.5\n\n[Pad 2]\nname = Sn\nCutOff = 0.25\n"
        "Key = 0.2992126\nPitch = 0.47244096\nLevel = 0.45\nPan = 0.6\nOutput = 0.375\nChoke = 0.25\n"
        "Velocity = 0.8\nMute = 1\n";
    const KitSnapshot kit = KitFile::parse(old, initKit());
    const auto at = [&](PadSetting s) { return kit.values[size_t(padIndex(1, kSoundParameters + s))]; };
    EXPECT_EQ(kit.name, "Old");
    EXPECT_EQ(kit.values[kChannelIndex], valueOfStep(10, 16));
    EXPECT_EQ(kit.values[size_t(padIndex(1, kCutOff))], 0.25f);
    EXPECT_EQ(at(kKey), valueOfStep(38, 127));
    EXPECT_EQ(at(kPitch), valueOfStep(60, 127));
    EXPECT_EQ(at(kLevel), 0.45f);
    EXPECT_EQ(at(kPan), 0.6f);
    EXPECT_EQ(at(kOutput), valueOfStep(3, 8));
    EXPECT_EQ(at(kChoke), valueOfStep(2, 8));
    EXPECT_EQ(at(kVelocity), 0.8f);
    EXPECT_EQ(at(kMute), 1.0f);
    // Written again in units, it reads as the same kit.
    const std::string now = KitFile::write(kit);
    EXPECT_NE(now.find("Key = 38\nPitch = C3\n"), std::string::npos) << now;
    EXPECT_EQ(KitFile::parse(now, initKit()).values, kit.values);
    // A key between two notes reads as the note it plays.
    const KitSnapshot between = KitFile::parse("DrumTamrik Kit 1\n[Pad 1]\nKey = 0.3\n", initKit());
    EXPECT_EQ(between.values[size_t(padIndex(0, kSoundParameters + kKey))], valueOfStep(38, 127));
}
