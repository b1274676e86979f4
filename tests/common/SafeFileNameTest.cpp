// Pad and kit names as file names: hostile names come out as names every
// platform takes, and names in one folder never clash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/SafeFileName.h"

using tamrik::SafeFileName;

namespace {

std::string safe(const std::string& name) { return SafeFileName::of(name, "Pad 1"); }

// What no file name of ours may hold.
void expectHarmless(const std::string& name) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find_first_of(std::string("/\\<>:\"|?*\x7F", 11)), std::string::npos);
    for (char c : name) EXPECT_GE(static_cast<unsigned char>(c), 0x20);
    EXPECT_EQ(name.find(".."), std::string::npos);
    EXPECT_NE(name.front(), '.');
    EXPECT_NE(name.front(), ' ');
    EXPECT_NE(name.back(), '.');
    EXPECT_NE(name.back(), ' ');
    EXPECT_LE(name.size(), SafeFileName::kMaxBytes);
}

}  // namespace

TEST(SafeFileName, PlainNamesStayAsTheyAre) {
    EXPECT_EQ(safe("Kick"), "Kick");
    EXPECT_EQ(safe("Hi-Hat (open) #2"), "Hi-Hat (open) #2");
    EXPECT_EQ(safe("Caj\xC3\xB3n \xE5\xA4\xAA\xE9\xBC\x93"), "Caj\xC3\xB3n \xE5\xA4\xAA\xE9\xBC\x93");
    EXPECT_EQ(safe("v1.2"), "v1.2");
}

TEST(SafeFileName, HostileNamesBecomeHarmless) {
    EXPECT_EQ(safe("../../etc/passwd"), "_._etc_passwd");
    EXPECT_EQ(safe("..\\..\\boot.ini"), "_._boot.ini");
    EXPECT_EQ(safe("a<b>c:d\"e|f?g*h"), "a_b_c_d_e_f_g_h");
    EXPECT_EQ(safe("  ...hidden"), "hidden");
    EXPECT_EQ(safe("trailing. . ."), "trailing");
    EXPECT_EQ(safe("tab\there\nline"), "tab_here_line");
    EXPECT_EQ(safe("CON"), "_CON");
    EXPECT_EQ(safe("nul.wav"), "_nul.wav");
    EXPECT_EQ(safe("Com7"), "_Com7");
    EXPECT_EQ(safe("LPT1 "), "_LPT1");
    EXPECT_EQ(safe("Console"), "Console");
    EXPECT_EQ(safe("COM0"), "COM0");
    EXPECT_EQ(safe("bad \xFF\xC0\xAF utf8 \xED\xA0\x80"), "bad ___ utf8 ___");
    const std::vector<std::string> hostile = {"", " ", "...", "..", ".", "/", "\\\\", "\x01\x02", "\xFF", "   .  "};
    for (const std::string& name : hostile) EXPECT_EQ(safe(name), "Pad 1") << name;
    // Cut to the limit on a character boundary, never inside one.
    std::string longName(SafeFileName::kMaxBytes - 1, 'x');
    longName += "\xC3\xB3 more";
    EXPECT_EQ(safe(longName), std::string(SafeFileName::kMaxBytes - 1, 'x'));
    std::vector<std::string> names = {"../../etc/passwd", "a<b>c", "  ...hidden", "CON", "x . . y", "a..b..c",
                                      "\x7F\x7F" "a", "dots.. and spaces  ."};
    names.push_back(longName);
    std::string dots(200, '.');
    dots += 'z';
    names.push_back(dots);
    for (const std::string& name : names) expectHarmless(safe(name));
}

TEST(SafeFileName, NamesOfOneFolderAreNumberedApartWhateverTheirCase) {
    SafeFileName folder;
    EXPECT_EQ(folder.take("Kick", "Pad 1"), "Kick");
    EXPECT_EQ(folder.take("Kick", "Pad 2"), "Kick 2");
    EXPECT_EQ(folder.take("KICK", "Pad 3"), "KICK 3");
    EXPECT_EQ(folder.take("Kick 2", "Pad 4"), "Kick 2 2");
    EXPECT_EQ(folder.take("", "Pad 5"), "Pad 5");
    EXPECT_EQ(folder.take("Pad 5", "Pad 6"), "Pad 5 2");
    EXPECT_EQ(folder.take("Kick/", "Pad 7"), "Kick_");
}
