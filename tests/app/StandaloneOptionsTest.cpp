// The command line: --kit's optional value, --connect's list, and every
// choice that would be ignored or is not one refused.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "app/StandaloneOptions.h"

namespace tamrik::app {
namespace {

StandaloneOptions parse(std::initializer_list<const char*> words) {
    std::vector<const char*> argv = {"drumtamrik"};
    argv.insert(argv.end(), words);
    return StandaloneCommandLine::parse(int(argv.size()), argv.data());
}

TEST(StandaloneOptions, KitTakesAValueOnlyWhenOneFollows) {
    StandaloneOptions o = parse({"--kit", "--no-gui"});
    EXPECT_TRUE(o.kit);
    EXPECT_EQ(o.kitChoice, "");
    EXPECT_TRUE(o.noGui);
    EXPECT_FALSE(o.choosesSound()) << "a bare --kit keeps the saved kit";

    o = parse({"--kit", "standard"});
    EXPECT_EQ(o.kitChoice, "standard") << "factory kits in any case";
    EXPECT_TRUE(o.choosesSound());
    EXPECT_EQ(parse({"--kit=Electro"}).kitChoice, "Electro");
    EXPECT_EQ(parse({"--kit", "my drums.tamrikkit"}).kitChoice, "my drums.tamrikkit");
    EXPECT_FALSE(parse({}).kit);
    EXPECT_EQ(parse({"--preset", "CHH"}).preset, "CHH");
}

TEST(StandaloneOptions, ConnectTakesEveryPortUpToTheNextOption) {
    const StandaloneOptions o =
        parse({"--connect", "system:playback_3", "system:playback_4", "--midi-in", "Drums", "--midi-in=Pads", "--name", "Live"});
    EXPECT_EQ(o.connect, (std::vector<std::string>{"system:playback_3", "system:playback_4"}));
    EXPECT_EQ(o.midiIn, (std::vector<std::string>{"Drums", "Pads"}));
    EXPECT_EQ(o.clientName, "Live");
}

TEST(StandaloneOptions, AudioAndMidiChoices) {
    StandaloneOptions o = parse({});
    EXPECT_EQ(o.alsaDevice, "");
    EXPECT_EQ(o.rate, 48000u);
    EXPECT_EQ(o.period, 64u);
    EXPECT_EQ(o.midi, StandaloneOptions::Midi::Default);
    EXPECT_FALSE(o.reconnect);

    o = parse({"--alsa", "hw:1,0", "--rate=44100", "--period", "32", "--midi", "alsa", "--midi-in", "20:0"});
    EXPECT_EQ(o.alsaDevice, "hw:1,0");
    EXPECT_EQ(o.rate, 44100u);
    EXPECT_EQ(o.period, 32u);
    EXPECT_EQ(o.midi, StandaloneOptions::Midi::Alsa);
    EXPECT_EQ(o.midiIn, (std::vector<std::string>{"20:0"}));

    EXPECT_EQ(parse({"--midi", "both", "--reconnect"}).midi, StandaloneOptions::Midi::Both);
    EXPECT_TRUE(parse({"--midi=jack", "--reconnect"}).reconnect);
    EXPECT_EQ(parse({"--period", "8192"}).period, 8192u);
}

TEST(StandaloneOptions, RefusesWhatIsNoChoiceOrContradicts) {
    for (std::initializer_list<const char*> words : {
             std::initializer_list<const char*>{"--kit", "Nope"},
             {"--kit", ".tamrikkit"},
             {"--preset", "chh"},  // presets by their exact names, as the panel lists them
             {"--preset", "CHH", "--kit"},
             {"--connect", "system:playback_1", "--no-connect"},
             {"--connect"},
             {"--midi-in", "--no-gui"},
             {"--name", ""},
             {"--no-gui=yes"},
             {"--loud"},
             {"drums"},
             {"--alsa", ""},
             {"--rate", "44.1k"},
             {"--rate", "4000"},
             {"--period", "0"},
             {"--period", "99999999999999999999"},
             {"--midi", "usb"},
             {"--reconnect=1"},
             // ALSA audio has no JACK MIDI, no JACK server to wait for, no ports.
             {"--alsa", "hw:0", "--midi", "jack"},
             {"--alsa", "hw:0", "--midi", "both"},
             {"--alsa", "hw:0", "--reconnect"},
             {"--alsa", "hw:0", "--no-connect"},
         })
        EXPECT_THROW(parse(words), OptionError) << *words.begin();
    try {
        parse({"--kit", "Nope"});
    } catch (const OptionError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "--kit: 'Nope' is neither a factory kit (Init, Standard, Electro, Industrial, Percussion) nor a "
                  ".tamrikkit file");
    }
}

}  // namespace
}  // namespace tamrik::app
