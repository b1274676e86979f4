// What a host learns by scanning the library: the entry, the factory and
// its NULL answers, the descriptor and its features, the ports and the
// parameters' facts and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "ClapTestHost.h"
#include "synth/ParameterTable.h"

using namespace tamrik::test::clap;

namespace {

std::vector<std::string> features(const clap_plugin_descriptor_t& d) {
    std::vector<std::string> all;
    for (const char* const* f = d.features; f && *f; ++f) all.emplace_back(*f);
    return all;
}

std::string text(const ClapInstance& p, clap_id id, double value) {
    char buffer[64] = "unchanged";
    if (!p.params().value_to_text(p.plugin(), id, value, buffer, sizeof buffer)) return "(refused)";
    return buffer;
}

}  // namespace

TEST(ClapScan, EntryIsCountedAndTheFactoryAnswersNullForWhatItDoesNotKnow) {
    const clap_plugin_entry_t& entry = clapEntry();
    EXPECT_TRUE(clap_version_is_compatible(entry.clap_version));
    // A second init and its deinit leave the first one's factory in place;
    // after the last deinit there is none until the next init.
    ASSERT_TRUE(entry.init("again"));
    entry.deinit();
    EXPECT_NE(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);
    entry.deinit();
    EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);
    entry.deinit();  // one too many: ignored
    ASSERT_TRUE(entry.init("once more"));
    const clap_plugin_factory_t* factory = &clapFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(entry.get_factory("clap.no-such-factory"), nullptr);
    EXPECT_EQ(entry.get_factory(nullptr), nullptr);
    EXPECT_EQ(factory->get_plugin_count(factory), 2u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 2), nullptr);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, UINT32_MAX), nullptr);
    ClapTestHost host;
    EXPECT_EQ(factory->create_plugin(factory, host.host(), "com.quenmar.no-such-plugin"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, host.host(), nullptr), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, kDrumTamrikId), nullptr);
    clap_host_t old = *host.host();
    old.clap_version = {0, 9, 0};
    EXPECT_EQ(factory->create_plugin(factory, &old, kDrumTamrikId), nullptr);
}

TEST(ClapScan, DescriptorNamesTheDrumInstrument) {
    const clap_plugin_factory_t& factory = clapFactory();
    const clap_plugin_descriptor_t* d = factory.get_plugin_descriptor(&factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(clap_version_is_compatible(d->clap_version));
    EXPECT_STREQ(d->id, kDrumTamrikId);
    EXPECT_STREQ(d->name, "DrumTamrik");
    EXPECT_STREQ(d->vendor, "Quenmar");
    EXPECT_GT(std::strlen(d->version), 0u);
    for (const char* field : {d->url, d->manual_url, d->support_url, d->description}) EXPECT_NE(field, nullptr);
    EXPECT_EQ(features(*d), (std::vector<std::string>{"instrument", "drum", "synthesizer", "stereo"}));
    ClapInstance p;
    EXPECT_EQ(p.plugin()->desc, d);
    EXPECT_EQ(p.extension<void>("clap.no-such-extension"), nullptr);
    EXPECT_EQ(p.extension<void>(nullptr), nullptr);
}

TEST(ClapScan, OneStereoMainOutputAndOneNotePort) {
    ClapInstance p;
    const auto* audio = p.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->count(p.plugin(), true), 0u);
    ASSERT_EQ(audio->count(p.plugin(), false), 1u);
    clap_audio_port_info_t port{};
    ASSERT_TRUE(audio->get(p.plugin(), 0, false, &port));
    EXPECT_EQ(port.channel_count, 2u);
    EXPECT_EQ(port.flags & CLAP_AUDIO_PORT_IS_MAIN, uint32_t(CLAP_AUDIO_PORT_IS_MAIN));
    EXPECT_STREQ(port.port_type, CLAP_PORT_STEREO);
    EXPECT_EQ(port.in_place_pair, CLAP_INVALID_ID);
    EXPECT_FALSE(audio->get(p.plugin(), 1, false, &port));
    EXPECT_FALSE(audio->get(p.plugin(), 0, true, &port));
    EXPECT_FALSE(audio->get(p.plugin(), 0, false, nullptr));

    const auto* notes = p.extension<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->count(p.plugin(), false), 0u);
    ASSERT_EQ(notes->count(p.plugin(), true), 1u);
    clap_note_port_info_t note{};
    ASSERT_TRUE(notes->get(p.plugin(), 0, true, &note));
    EXPECT_EQ(note.supported_dialects, uint32_t(CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI));
    EXPECT_EQ(note.preferred_dialect, uint32_t(CLAP_NOTE_DIALECT_CLAP));
    EXPECT_FALSE(notes->get(p.plugin(), 1, true, &note));
}

TEST(ClapScan, ParametersAreTheVstOnesWithListsAndSwitchesStepped) {
    using namespace tamrik;
    ClapInstance p;
    const clap_plugin_params_t& params = p.params();
    ASSERT_EQ(params.count(p.plugin()), uint32_t(kNumParameters));
    std::set<clap_id> ids;
    for (int32_t i = 0; i < kNumParameters; ++i) {
        const ParameterInfo& row = kParameterTable[i];
        clap_param_info_t info{};
        ASSERT_TRUE(params.get_info(p.plugin(), uint32_t(i), &info));
        ids.insert(info.id);
        EXPECT_EQ(info.id, clap_id(i));
        EXPECT_STREQ(info.name, row.name);
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
        const bool stepped = row.kind == ControlKind::List || row.kind == ControlKind::CheckBox;
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, stepped) << row.name;
        const int32_t n = stepped ? controlScale(row).steps : 0;
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, stepped ? double(n) : 1.0) << row.name;
        EXPECT_EQ(info.default_value, stepped ? double(row.defaultValue) * n : double(row.defaultValue)) << row.name;
        EXPECT_EQ(p.value(info.id), info.default_value) << row.name;
    }
    EXPECT_EQ(ids.size(), size_t(kNumParameters));
    clap_param_info_t info{};
    EXPECT_FALSE(params.get_info(p.plugin(), uint32_t(kNumParameters), &info));
    EXPECT_FALSE(params.get_info(p.plugin(), 0, nullptr));
    double v = 7.0;
    EXPECT_FALSE(params.get_value(p.plugin(), uint32_t(kNumParameters), &v));
    EXPECT_FALSE(params.get_value(p.plugin(), 0, nullptr));
    EXPECT_EQ(v, 7.0);
}

TEST(ClapScan, ValueTextsReadBackAndListsUseTheirWords) {
    using namespace tamrik;
    ClapInstance p;
    EXPECT_EQ(text(p, kCutOff, 0.5), "0.50");
    EXPECT_EQ(text(p, kCutOff, 0.125), "0.12");
    EXPECT_EQ(text(p, kType, 2.0), "HighPass");
    EXPECT_EQ(text(p, kWave1, 4.0), "Noise");
    EXPECT_EQ(text(p, kWave1, 2.9), "Sqr") << "stepped values are truncated";
    EXPECT_EQ(text(p, kOctave, 1.0), "Octave");
    EXPECT_EQ(text(p, kRing, 1.0), "On");
    EXPECT_EQ(text(p, kRing, 0.0), "Off");
    EXPECT_EQ(text(p, kCutOff, std::numeric_limits<double>::quiet_NaN()), "(refused)");
    EXPECT_EQ(text(p, kNumParameters, 0.5), "(refused)");
    char tiny[3];
    ASSERT_TRUE(p.params().value_to_text(p.plugin(), kType, 1.0, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "Ba") << "cut to the host's buffer";

    auto parse = [&](clap_id id, const char* t) {
        double v = -99.0;
        return p.params().text_to_value(p.plugin(), id, t, &v) ? v : -99.0;
    };
    EXPECT_EQ(parse(kCutOff, "0.25"), 0.25);
    EXPECT_EQ(parse(kType, "BandPass"), 1.0);
    EXPECT_EQ(parse(kFM, "On"), 1.0);
    EXPECT_EQ(parse(kWave2, "3"), 3.0);
    EXPECT_EQ(parse(kCutOff, "half"), -99.0);
    EXPECT_EQ(parse(kCutOff, "0.5x"), -99.0);
    EXPECT_EQ(parse(kCutOff, "nan"), -99.0);
    EXPECT_EQ(parse(kCutOff, nullptr), -99.0);
    EXPECT_EQ(parse(kNumParameters, "0.5"), -99.0);
    for (int32_t i = 0; i < kNumParameters; ++i) {
        char t[64];
        ASSERT_TRUE(p.params().value_to_text(p.plugin(), clap_id(i), p.value(clap_id(i)), t, sizeof t));
        EXPECT_NEAR(parse(clap_id(i), t), p.value(clap_id(i)), 0.005) << kParameterTable[i].name << " " << t;
    }
}
