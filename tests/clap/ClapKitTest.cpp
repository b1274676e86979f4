// DrumTamrik Kit through the same library: listed beside DrumTamrik, its
// nine stereo outputs and 482 parameters as the instrument gives them, a pad
// playing what DrumTamrik.clap plays, note-choke, and its state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ClapTestHost.h"
#include "SoundScenarios.h"
#include "TestSignals.h"
#include "kit/KitInstrument.h"

using namespace tamrik::test::clap;
using namespace tamrik::kit;
using tamrik::test::silent;

namespace {

constexpr uint32_t kPorts = kOutputChannels / 2;

// A value as the plug-in carries it: the choice number of a stepped one.
double clapValue(const ClapInstance& p, clap_id id, float value) {
    clap_param_info_t info{};
    p.params().get_info(p.plugin(), id, &info);
    return info.flags & CLAP_PARAM_IS_STEPPED ? std::nearbyint(double(value) * info.max_value) : double(value);
}

// Every output of the Kit, port by port.
struct KitRender {
    std::vector<std::vector<float>> channels;
    const std::vector<float>& left(uint32_t port) const { return channels[2 * port]; }
    const std::vector<float>& right(uint32_t port) const { return channels[2 * port + 1]; }
};

// Renders in blocks, events at their absolute frames, every port connected.
KitRender renderKit(ClapInstance& p, uint32_t frames, uint32_t block, std::vector<std::pair<uint32_t, AnyEvent>> events,
                    std::vector<clap_process_status>* statuses = nullptr) {
    return {p.renderPorts(kPorts, frames, block, std::move(events), statuses)};
}

}  // namespace

TEST(ClapKit, ListedBesideDrumTamrikWithItsOwnDescriptor) {
    const clap_plugin_factory_t& factory = clapFactory();
    ASSERT_EQ(factory.get_plugin_count(&factory), 2u);
    const clap_plugin_descriptor_t* d = factory.get_plugin_descriptor(&factory, 1);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->id, kKitId);
    EXPECT_STREQ(d->name, "DrumTamrik Kit");
    EXPECT_STREQ(d->vendor, "Quenmar");
    std::vector<std::string> features;
    for (const char* const* f = d->features; f && *f; ++f) features.emplace_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"instrument", "drum-machine", "synthesizer", "stereo"}));
    EXPECT_EQ(factory.get_plugin_descriptor(&factory, 2), nullptr);
    ClapInstance p(kKitId);
    EXPECT_EQ(p.plugin()->desc, d);
    // Its panel holds the pads below the sound panel.
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(p.gui().get_size(p.plugin(), &width, &height));
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(505u, 628u));
}

TEST(ClapKit, NineStereoOutputsTheFirstMainAndParametersAsTheInstrumentGivesThem) {
    ClapInstance p(kKitId);
    const auto* ports = p.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(ports, nullptr);
    EXPECT_EQ(ports->count(p.plugin(), true), 0u);
    ASSERT_EQ(ports->count(p.plugin(), false), kPorts);
    for (uint32_t k = 0; k < kPorts; ++k) {
        clap_audio_port_info_t info{};
        ASSERT_TRUE(ports->get(p.plugin(), k, false, &info));
        EXPECT_EQ(info.id, k);
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, CLAP_PORT_STEREO);
        EXPECT_EQ(info.flags, k == 0 ? uint32_t(CLAP_AUDIO_PORT_IS_MAIN) : 0u) << k;
        EXPECT_STREQ(info.name, k == 0 ? "Main" : ("Aux " + std::to_string(k)).c_str());
    }
    clap_audio_port_info_t none{};
    EXPECT_FALSE(ports->get(p.plugin(), kPorts, false, &none));

    const KitInstrument kit;
    const clap_plugin_params_t& params = p.params();
    ASSERT_EQ(params.count(p.plugin()), uint32_t(kKitParameters));
    for (int32_t i = 0; i < kKitParameters; ++i) {
        clap_param_info_t info{};
        ASSERT_TRUE(params.get_info(p.plugin(), uint32_t(i), &info)) << i;
        EXPECT_EQ(info.id, clap_id(i));
        char name[64], module[64] = "";
        kit.parameterName(i, name, sizeof name);
        EXPECT_STREQ(info.name, name) << i;
        if (kit.parameterGroup(i) >= 0) kit.groupName(kit.parameterGroup(i), module, sizeof module);
        EXPECT_STREQ(info.module, module) << i;
        const int32_t steps = kit.parameterSteps(i);
        EXPECT_EQ(bool(info.flags & CLAP_PARAM_IS_STEPPED), steps > 0) << i;
        EXPECT_EQ(info.max_value, steps > 0 ? double(steps) : 1.0) << i;
        EXPECT_EQ(info.default_value, clapValue(p, clap_id(i), kit.parameterDefault(i))) << i;
        EXPECT_EQ(p.value(clap_id(i)), info.default_value) << i;
        // The texts are the instrument's: a choice's name, or its display.
        char shown[64], expected[64];
        ASSERT_TRUE(params.value_to_text(p.plugin(), clap_id(i), info.default_value, shown, sizeof shown));
        if (steps > 0)
            kit.choiceName(i, int32_t(info.default_value), expected, sizeof expected);
        else
            kit.parameterDisplay(i, expected, sizeof expected);
        EXPECT_STREQ(shown, expected) << i;
    }
    char text[64];
    ASSERT_TRUE(params.value_to_text(p.plugin(), clap_id(padIndex(2, kSoundParameters + kPan)), 0.25, text, sizeof text));
    EXPECT_STREQ(text, "L50");
    clap_param_info_t beyond{};
    EXPECT_FALSE(params.get_info(p.plugin(), uint32_t(kKitParameters), &beyond));
}

// A pad alone plays bit for bit what DrumTamrik plays for its pitch with
// the same sound, whatever its key, on the output it is routed to.
TEST(ClapKit, APadPlaysWhatDrumTamrikPlaysOnItsOutput) {
    const auto& settings = tamrik::test::sound::kScenarios[1].settings;
    for (const auto& [pad, output, pitch] : {std::tuple{0, 0, 60}, std::tuple{5, 3, 47}, std::tuple{15, 8, 72}}) {
        SCOPED_TRACE("pad " + std::to_string(pad));
        ClapInstance one;
        ClapInstance kit(kKitId);
        ASSERT_TRUE(one.activate(48000.0));
        ASSERT_TRUE(kit.activate(48000.0));
        InputEvents sound, kitSound;
        for (auto [index, value] : settings) {
            sound.events.push_back(paramValue(0, clap_id(index), clapValue(one, clap_id(index), value)));
            const auto id = clap_id(padIndex(pad, index));
            kitSound.events.push_back(paramValue(0, id, clapValue(kit, id, value)));
        }
        kitSound.events.push_back(paramValue(0, clap_id(padIndex(pad, kSoundParameters + kPitch)), pitch));
        kitSound.events.push_back(paramValue(0, clap_id(padIndex(pad, kSoundParameters + kOutput)), output));
        one.params().flush(one.plugin(), sound.list(), nullptr);
        kit.params().flush(kit.plugin(), kitSound.list(), nullptr);
        const auto key = int16_t(std::lround(kit.value(clap_id(padIndex(pad, kSoundParameters + kKey)))));

        const std::vector<float> expected = one.render(8192, 256, {{100, noteOn(0, int16_t(pitch), 0.75)}});
        const KitRender got = renderKit(kit, 8192, 256, {{100, noteOn(0, key, 0.75)}});
        ASSERT_FALSE(silent(expected));
        EXPECT_EQ(got.left(uint32_t(output)), expected);
        EXPECT_EQ(got.right(uint32_t(output)), expected);
        for (uint32_t port = 0; port < kPorts; ++port) {
            if (port == uint32_t(output)) continue;
            EXPECT_TRUE(silent(got.left(port)) && silent(got.right(port))) << port;
        }
    }
}

// A note-choke fades what its key's pads play (the fade a choke group
// uses) and leaves other keys sounding; key -1 chokes every pad, a note
// struck after the choke in the same block plays, and a choke on a channel
// the kit does not listen to is ignored. DrumTamrik has no chokes.
TEST(ClapKit, NoteChokeFadesTheKeysPads) {
    constexpr uint32_t kChoke = 300, kFrames = 4096;
    const uint32_t fadeEnd = kChoke + uint32_t(std::lround(44100.0 * KitInstrument::kChokeFadeSeconds)) + 1;
    const int16_t kick = 36, snare = 38;
    auto play = [&](std::vector<std::pair<uint32_t, AnyEvent>> more, float channel = 0.0f) {
        ClapInstance kit(kKitId);
        kit.activate(44100.0);
        // Snare to Aux 1, so each key's sound stays apart.
        InputEvents setup({paramValue(0, clap_id(padIndex(1, kSoundParameters + kOutput)), 1),
                           paramValue(0, clap_id(kChannelIndex), clapValue(kit, kChannelIndex, channel))});
        kit.params().flush(kit.plugin(), setup.list(), nullptr);
        std::vector<std::pair<uint32_t, AnyEvent>> events = {{0, noteOn(0, kick, 1.0)}, {0, noteOn(0, snare, 1.0)}};
        events.insert(events.end(), more.begin(), more.end());
        return renderKit(kit, kFrames, 512, events);
    };
    const KitRender free = play({});
    ASSERT_FALSE(silent(free.left(0), fadeEnd)) << "the kick sounds past the choke";
    ASSERT_FALSE(silent(free.left(1), fadeEnd)) << "the snare sounds past the choke";

    const KitRender choked = play({{kChoke, noteChoke(0, kick)}});
    EXPECT_TRUE(std::equal(free.left(0).begin(), free.left(0).begin() + kChoke, choked.left(0).begin()));
    EXPECT_NE(choked.left(0)[kChoke + 20], 0.0f) << "a fade, not a cut";
    EXPECT_TRUE(silent(choked.left(0), fadeEnd));
    EXPECT_EQ(choked.left(1), free.left(1)) << "the snare's key was not choked";

    const KitRender all = play({{kChoke, noteChoke(0, -1)}});
    EXPECT_TRUE(silent(all.left(0), fadeEnd));
    EXPECT_TRUE(silent(all.left(1), fadeEnd));

    const KitRender again = play({{kChoke, noteChoke(0, kick)}, {kChoke + 50, noteOn(0, kick, 1.0)}});
    EXPECT_FALSE(silent(again.left(0), fadeEnd)) << "the later note plays on";

    // Listening to channel 3 (index 2), with the notes struck there.
    const float three = 3.0f / 16.0f;
    auto onThree = [&](AnyEvent e) {
        e.note.channel = 2;
        return e;
    };
    const KitRender listen = play({{0, onThree(noteOn(0, kick, 1.0))}}, three);
    const KitRender elsewhere = play({{0, onThree(noteOn(0, kick, 1.0))}, {kChoke, noteChoke(0, kick, 5)}}, three);
    EXPECT_EQ(elsewhere.left(0), listen.left(0));
    const KitRender there = play({{0, onThree(noteOn(0, kick, 1.0))}, {kChoke, noteChoke(0, kick, 2)}}, three);
    EXPECT_TRUE(silent(there.left(0), fadeEnd));

    ClapInstance one;
    one.activate(44100.0);
    const std::vector<float> rings = one.render(kFrames, 512, {{0, noteOn(0, 60, 1.0)}});
    ClapInstance other;
    other.activate(44100.0);
    EXPECT_EQ(other.render(kFrames, 512, {{0, noteOn(0, 60, 1.0)}, {kChoke, noteChoke(0, 60)}}), rings);
}

TEST(ClapKit, ProcessSleepsOnceAChokeHasSilencedEverything) {
    ClapInstance kit(kKitId);
    kit.activate(44100.0);
    std::vector<clap_process_status> statuses;
    renderKit(kit, 2048, 256, {{0, noteOn(0, 36, 1.0)}, {256, noteChoke(0, 36)}}, &statuses);
    EXPECT_EQ(statuses.front(), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(statuses.back(), CLAP_PROCESS_SLEEP);
}

TEST(ClapKit, StateRoundTripsAndDamagedOrForeignStreamsAreRefused) {
    ClapInstance a(kKitId);
    InputEvents changes;
    for (int32_t i = 0; i < kKitParameters; i += 7) {
        clap_param_info_t info{};
        a.params().get_info(a.plugin(), uint32_t(i), &info);
        changes.events.push_back(paramValue(0, clap_id(i), info.flags & CLAP_PARAM_IS_STEPPED ? 1.0 : 0.25 + 0.001 * i));
    }
    a.params().flush(a.plugin(), changes.list(), nullptr);
    const std::vector<uint8_t> saved = a.save();
    ASSERT_FALSE(saved.empty());
    // The Kit's own chunk, byte for byte.
    KitInstrument same;
    ASSERT_TRUE(same.loadState(saved.data(), saved.size()));
    EXPECT_EQ(same.saveState(), saved);

    for (size_t chunk : {size_t(1), SIZE_MAX}) {
        ClapInstance b(kKitId);
        ASSERT_TRUE(b.load(saved, chunk)) << chunk;
        EXPECT_EQ(b.save(), saved) << chunk;
        for (int32_t i = 0; i < kKitParameters; ++i) ASSERT_EQ(b.value(clap_id(i)), a.value(clap_id(i))) << i;
    }

    ClapInstance c(kKitId);
    const std::vector<uint8_t> before = c.save();
    std::vector<uint8_t> damaged = saved;
    damaged[damaged.size() / 2] ^= 0x5A;
    std::vector<uint8_t> truncated(saved.begin(), saved.end() - 3);
    ClapInstance drum;
    for (const auto& bad : {damaged, truncated, drum.save(), std::vector<uint8_t>{}}) {
        EXPECT_FALSE(c.load(bad));
        EXPECT_EQ(c.save(), before);
    }
    EXPECT_EQ(c.host().rescans, 0);
    EXPECT_FALSE(drum.load(saved)) << "DrumTamrik takes no kit";
}

// The host's reset, and a new activation, silence what the Kit plays
// whatever channel it listens to: here the drum channel, 10.
TEST(ClapKit, ResetAndActivationSilenceAKitOnTheDrumChannel) {
    ClapInstance kit(kKitId);
    ASSERT_TRUE(kit.activate(44100.0));
    InputEvents setup({paramValue(0, clap_id(kChannelIndex), clapValue(kit, kChannelIndex, 10.0f / 16.0f))});
    kit.params().flush(kit.plugin(), setup.list(), nullptr);
    const auto strike = [&] {
        const KitRender struck = renderKit(kit, 512, 512, {{0, noteOn(0, 36, 1.0, 9)}});
        ASSERT_FALSE(silent(struck.left(0), 256)) << "the kick sounds on channel 10";
    };
    strike();
    kit.plugin()->reset(kit.plugin());
    EXPECT_TRUE(silent(renderKit(kit, 4096, 512, {}).left(0))) << "reset";
    strike();
    kit.deactivate();
    ASSERT_TRUE(kit.activate(44100.0));
    EXPECT_TRUE(silent(renderKit(kit, 4096, 512, {}).left(0))) << "activate";
}

// A host's conversion check, on every parameter of both plug-ins: each text
// the plug-in shows for a value reads back to a value it shows the same.
TEST(ClapKit, EveryParametersTextReadsBackAsAHostChecksIt) {
    for (const char* id : {kDrumTamrikId, kKitId}) {
        ClapInstance p(id);
        const clap_plugin_params_t& params = p.params();
        const uint32_t count = params.count(p.plugin());
        for (uint32_t i = 0; i < count; ++i) {
            clap_param_info_t info{};
            ASSERT_TRUE(params.get_info(p.plugin(), i, &info));
            const bool stepped = info.flags & CLAP_PARAM_IS_STEPPED;
            for (const double share : {0.0, 0.3, 0.7, 1.0}) {
                const double value = stepped ? std::round(share * info.max_value) : share;
                char shown[256] = {}, again[256] = {};
                ASSERT_TRUE(params.value_to_text(p.plugin(), info.id, value, shown, sizeof shown));
                double back = -1.0;
                ASSERT_TRUE(params.text_to_value(p.plugin(), info.id, shown, &back))
                    << id << " " << info.name << " \"" << shown << "\"";
                ASSERT_TRUE(params.value_to_text(p.plugin(), info.id, back, again, sizeof again));
                EXPECT_STREQ(again, shown) << id << " " << info.name;
            }
        }
    }
}
