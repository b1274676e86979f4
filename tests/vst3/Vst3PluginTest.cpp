// Both VST 3 bundles through our own VST 3 host: the factory and its
// classes, buses and arrangements, parameters and their texts, notes and
// parameter points at their samples, controller 126, silence flags, the
// state, and the same bits as the VST 2 builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "HostHarness.h"
#include "InstructionSets.h"
#include "PluginInstance.h"
#include "SoundScenarios.h"
#include "VstSplitRender.h"
#include "TestSignals.h"
#include "binding/Products.h"
#include "kit/KitMap.h"
#include "synth/ParameterTable.h"
#include "Vst3TestHost.h"

using namespace tamrik::test::vst3;
using namespace tamrik::test::sound;
using tamrik::test::HostHarness;
using tamrik::test::silent;

namespace {

// The scenario's settings at frame 0, its groove and the changes, through
// VST 3 in blocks of `block`. A normalized value is the VST 2 value.
std::vector<float> playVst3(const Scenario& s, int32_t block, const std::vector<Change>& changes = {}) {
    Vst3Instance p(kDrumTamrikPath, s.sampleRate);
    std::vector<std::pair<int32_t, Event>> notes;
    std::vector<std::tuple<int32_t, v3_param_id, double>> points;
    for (auto [index, value] : s.settings) points.push_back({0, v3_param_id(index), value});
    for (const Change& c : changes) points.push_back({c.frame, v3_param_id(c.index), c.value});
    for (const GrooveNote& g : kGroove) notes.push_back({g.frame, noteOn(0, g.note, float(g.velocity) / 127.0f)});
    return p.render(kFrames, block, notes, points)[0];
}

v3_bus_info bus(const Vst3Instance& p, int32_t media, int32_t direction, int32_t index) {
    v3_bus_info info{};
    EXPECT_EQ(v3_cpp_obj(p.component)->get_bus_info(p.component, media, direction, index, &info), V3_OK);
    return info;
}

}  // namespace

TEST(Vst3Factory, EachBundleListsItsOneClassWithTheVendorCategoryAndFixedId) {
    // The ids as hosts write them, in this platform's byte order (COM's on
    // Windows, where hosts compare the bytes of a GUID).
    const v3_tuid drumTamrikId = V3_ID(0x97F62CCE, 0xF94B4EA9, 0xA5FEDDA5, 0x5E1CE50E);
    const v3_tuid kitId = V3_ID(0x185D3640, 0x37194850, 0xB13E2347, 0x25AD0343);
    for (const auto& [path, product, id] : {std::tuple{kDrumTamrikPath, &tamrik::binding::drumTamrik(), drumTamrikId},
                                            std::tuple{kKitPath, &tamrik::binding::drumTamrikKit(), kitId}}) {
        v3_plugin_factory** f = factoryOf(path);
        ASSERT_NE(f, nullptr);
        v3_factory_info fi{};
        ASSERT_EQ(v3_cpp_obj(f)->get_factory_info(f, &fi), V3_OK);
        EXPECT_STREQ(fi.vendor, "Quenmar");
        ASSERT_EQ(v3_cpp_obj(f)->num_classes(f), 1);
        v3_plugin_factory_2** f2 = nullptr;
        ASSERT_EQ(v3_cpp_obj_query_interface(f, v3_plugin_factory_2_iid, &f2), V3_OK);
        v3_class_info_2 info{};
        ASSERT_EQ(v3_cpp_obj(f2)->get_class_info_2(f2, 0, &info), V3_OK);
        EXPECT_STREQ(info.name, product->identity.name);
        EXPECT_STREQ(info.category, "Audio Module Class");
        EXPECT_STREQ(info.sub_categories, "Instrument|Drum");
        EXPECT_EQ(std::memcmp(info.class_id, id, 16), 0);
        EXPECT_NE(v3_cpp_obj(f2)->get_class_info_2(f2, 1, &info), V3_OK);
        // Another class id, or an interface it has not, makes nothing.
        void* made = reinterpret_cast<void*>(1);
        v3_tuid other{};
        EXPECT_NE(v3_cpp_obj(f)->create_instance(f, other, v3_component_iid, &made), V3_OK);
        EXPECT_EQ(made, nullptr);
        EXPECT_NE(v3_cpp_obj(f)->create_instance(f, info.class_id, v3_bstream_iid, &made), V3_OK);
        EXPECT_EQ(made, nullptr);
    }
    const auto& a = tamrik::binding::drumTamrik().vst3ClassId;
    EXPECT_NE(a, tamrik::binding::drumTamrikKit().vst3ClassId);
    EXPECT_NE(a, (std::array<uint8_t, 16>{}));
}

TEST(Vst3Buses, OneEventInputStereoOutputsNamedAsElsewhereOnlyStereoAndFloat) {
    Vst3Instance one;
    Vst3Instance kit(kKitPath);
    for (Vst3Instance* p : {&one, &kit}) {
        const v3_bus_info events = bus(*p, V3_EVENT, V3_INPUT, 0);
        EXPECT_EQ(events.channel_count, 16);
        EXPECT_EQ(v3_cpp_obj(p->component)->get_bus_count(p->component, V3_AUDIO, V3_INPUT), 0);
        const v3_bus_info main = bus(*p, V3_AUDIO, V3_OUTPUT, 0);
        EXPECT_EQ(fromUtf16(main.bus_name), "Main");
        EXPECT_EQ(main.bus_type, V3_MAIN);
        EXPECT_EQ(main.flags & V3_DEFAULT_ACTIVE, uint32_t(V3_DEFAULT_ACTIVE));
        EXPECT_EQ(v3_cpp_obj(p->processor)->can_process_sample_size(p->processor, V3_SAMPLE_32), V3_OK);
        EXPECT_NE(v3_cpp_obj(p->processor)->can_process_sample_size(p->processor, V3_SAMPLE_64), V3_OK);
        v3_process_setup doubles{V3_REALTIME, V3_SAMPLE_64, 512, 44100.0};
        EXPECT_NE(v3_cpp_obj(p->processor)->setup_processing(p->processor, &doubles), V3_OK);
    }
    ASSERT_EQ(one.outputBuses(), 1);
    ASSERT_EQ(kit.outputBuses(), 9);
    for (int32_t b = 1; b < 9; ++b) {
        const v3_bus_info aux = bus(kit, V3_AUDIO, V3_OUTPUT, b);
        EXPECT_EQ(fromUtf16(aux.bus_name), "Aux " + std::to_string(b));
        EXPECT_EQ(aux.channel_count, 2);
        EXPECT_EQ(aux.bus_type, V3_AUX);
        EXPECT_EQ(aux.flags & V3_DEFAULT_ACTIVE, 0u) << "inactive until the host activates it";
    }
    std::vector<v3_speaker_arrangement> stereo(9, tamrik::vst3::kStereo), mono(9, V3_SPEAKER_C);
    auto set = [&](std::vector<v3_speaker_arrangement> out, int32_t n) {
        return v3_cpp_obj(kit.processor)->set_bus_arrangements(kit.processor, nullptr, 0, out.data(), n);
    };
    EXPECT_EQ(set(stereo, 9), V3_OK);
    EXPECT_NE(set(mono, 9), V3_OK);
    EXPECT_NE(set(stereo, 8), V3_OK);
    stereo[4] = tamrik::vst3::kStereo | V3_SPEAKER_C;
    EXPECT_NE(set(stereo, 9), V3_OK);
}

TEST(Vst3Parameters, IdsTitlesStepsDefaultsAndTextsRoundTrip) {
    for (const char* path : {kDrumTamrikPath, kKitPath}) {
        Vst3Instance p(path);
        const bool isKit = path == std::string(kKitPath);
        const int32_t n = isKit ? tamrik::kit::kKitParameters : tamrik::kNumParameters;
        ASSERT_EQ(v3_cpp_obj(p.controller)->get_parameter_count(p.controller), n + 2);
        for (int32_t i = 0; i < n; ++i) {
            const v3_param_info info = p.info(i);
            ASSERT_EQ(info.param_id, v3_param_id(i));
            EXPECT_FALSE(fromUtf16(info.title).empty()) << i;
            EXPECT_EQ(info.flags & V3_PARAM_IS_HIDDEN, 0) << i;
            EXPECT_DOUBLE_EQ(info.default_normalised_value,
                             v3_cpp_obj(p.controller)->get_parameter_normalised(p.controller, v3_param_id(i)))
                << "a new instance stands at its defaults: " << i;
            // Every choice of a stepped one, and a spread of continuous values.
            const int32_t steps = info.step_count;
            for (int32_t k = 0; k <= (steps > 0 ? steps : 8); ++k) {
                const double v = double(k) / (steps > 0 ? steps : 8);
                const std::string text = p.text(v3_param_id(i), v);
                double back = -1.0;
                ASSERT_TRUE(p.value(v3_param_id(i), text, &back)) << i << " '" << text << "'";
                EXPECT_EQ(p.text(v3_param_id(i), back), text) << i;
                if (steps > 0) {
                    EXPECT_DOUBLE_EQ(back, v) << i << " '" << text << "'";
                }
            }
        }
        if (isKit) {
            EXPECT_EQ(fromUtf16(p.info(tamrik::kit::padIndex(0, tamrik::kCutOff)).title), "Pad 1 CutOff");
            EXPECT_EQ(v3_cpp_obj(p.units)->get_unit_count(p.units), 1 + 16 + 1) << "root, pads, the kit";
        }
        EXPECT_NE(p.info(n).flags & V3_PARAM_IS_HIDDEN, 0) << "controller 126";
        const v3_param_info program = p.info(n + 1);
        EXPECT_NE(program.flags & V3_PARAM_PROGRAM_CHANGE, 0);
        v3_program_list_info list{};
        ASSERT_EQ(v3_cpp_obj(p.units)->get_program_list_info(p.units, 0, &list), V3_OK);
        EXPECT_EQ(program.step_count, list.programCount - 1);
        EXPECT_EQ(list.programCount, isKit ? 5 : 32) << "the factory kits; the programs";
        v3_param_id mapped = 0;
        ASSERT_EQ(v3_cpp_obj(p.mapping)->get_midi_controller_assignment(p.mapping, 0, 3, 126, &mapped), V3_OK);
        EXPECT_EQ(mapped, v3_param_id(n));
        EXPECT_NE(v3_cpp_obj(p.mapping)->get_midi_controller_assignment(p.mapping, 0, 0, 7, &mapped), V3_OK);
        EXPECT_NE(p.info(n + 2).param_id, v3_param_id(n + 2)) << "nothing beyond";
    }
}

TEST(Vst3Sound, GoldenScenariosGiveTheVstHashesOnEveryPath) {
    for (const tamrik::InstructionSet path : tamrik::test::runnablePaths()) {
        const tamrik::test::LibraryPath forced(path);
        for (const Scenario& s : kScenarios)
            for (int32_t block : {256, 997})
                EXPECT_EQ(hashOf(playVst3(s, block)), s.golden) << s.name << " " << block << " " << nameOf(path);
    }
}

// A point at frame 37 of a block changes frame 37, not the block's start:
// the VST 2 build with its block split there sounds the same.
TEST(Vst3Sound, ParameterPointsChangeTheSoundAtTheirOwnFrame) {
    for (const Change change : {Change{37, tamrik::kQ, 0.9f}, Change{3037, tamrik::kVolume, 0.2f},
                                Change{3001, tamrik::kType, 0.5f}, Change{4095, tamrik::kCutOff, 0.1f}}) {
        const std::vector<float> got = playVst3(kScenarios[4], 4096, {change});
        EXPECT_EQ(got, playVstSplit(kScenarios[4], {change})) << change.frame;
        EXPECT_NE(hashOf(got), kScenarios[4].golden) << "the change is heard at " << change.frame;
    }
    std::vector<Change> moves;
    for (int32_t frame = 0; frame < kFrames; frame += kCutoffStep)
        moves.push_back({frame, tamrik::kCutOff, movingCutoff(frame)});
    EXPECT_EQ(playVst3(kCutoffMoves, 1000, moves), playVstSplit(kCutoffMoves, moves));
}

// A value beyond 0..1 is no VST 3 value: it plays as the nearer end, for
// every parameter (some would otherwise sound non-finite), through points
// and through the controller; NaN changes nothing.
TEST(Vst3Parameters, ValuesBeyondTheRangePlayAsItsEnds) {
    const auto play = [](v3_param_id id, double value, double* after) {
        Vst3Instance p;
        auto sound = p.render(2048, 512, {{0, noteOn(0, 60, 1.0f)}, {700, noteOn(700, 40, 0.5f)}}, {{0, id, value}})[0];
        *after = v3_cpp_obj(p.controller)->get_parameter_normalised(p.controller, id);
        return sound;
    };
    for (v3_param_id id = 0; id < tamrik::kNumParameters; ++id)
        for (const auto& [beyond, end] : {std::pair{-9.2e32, 0.0}, std::pair{1e30, 1.0}}) {
            double got = 0.0, want = 0.0;
            const std::vector<float> sound = play(id, beyond, &got);
            const std::vector<float> expected = play(id, end, &want);
            EXPECT_EQ(got, want) << id << " at " << beyond;
            // A wave's top choice is noise, which every instance draws anew.
            if ((id != tamrik::kWave1 && id != tamrik::kWave2) || end == 0.0) {
                EXPECT_EQ(sound, expected) << id << " at " << beyond;
            }
        }
    Vst3Instance p;
    v3_edit_controller** c = p.controller;
    ASSERT_EQ(v3_cpp_obj(c)->set_parameter_normalised(c, tamrik::kCutOff, 4.0), V3_OK);
    EXPECT_EQ(v3_cpp_obj(c)->get_parameter_normalised(c, tamrik::kCutOff), 1.0);
    EXPECT_NE(v3_cpp_obj(c)->set_parameter_normalised(c, tamrik::kCutOff, std::nan("")), V3_OK);
    EXPECT_EQ(v3_cpp_obj(c)->get_parameter_normalised(c, tamrik::kCutOff), 1.0);
}

// Controller 126 through its mapped parameter silences at its frame; a
// 0-frame call applies values; silent outputs are flagged.
TEST(Vst3Process, Controller126AFlushAndSilenceFlags) {
    Vst3Instance p;
    const auto cc126 = v3_param_id(tamrik::kNumParameters);
    const auto sound = p.render(4096, 512, {{0, noteOn(0, 60, 1.0f)}}, {{1000, cc126, 1.0}})[0];
    EXPECT_FALSE(silent(std::vector<float>(sound.begin(), sound.begin() + 1000)));
    EXPECT_TRUE(silent(std::vector<float>(sound.begin() + 1000, sound.end())));

    ParameterChanges flush;
    flush.add(tamrik::kCutOff, 0, 0.25);
    EXPECT_EQ(p.process(nullptr, 0, nullptr, &flush), V3_OK);
    EXPECT_FLOAT_EQ(float(v3_cpp_obj(p.controller)->get_parameter_normalised(p.controller, tamrik::kCutOff)), 0.25f);

    std::vector<float> left(256, 1.0f), right(256, 1.0f);
    float* channels[] = {left.data(), right.data()};
    std::vector<uint64_t> flags;
    ASSERT_EQ(p.process(channels, 256, nullptr, nullptr, &flags), V3_OK);
    EXPECT_EQ(flags, std::vector<uint64_t>{3});
    EXPECT_TRUE(silent(left));
    EventList note({noteOn(10, 60, 0.8f), noteOff(20, 60)});
    ASSERT_EQ(p.process(channels, 256, &note, nullptr, &flags), V3_OK);
    EXPECT_EQ(flags, std::vector<uint64_t>{0});
    EXPECT_TRUE(silent(std::vector<float>(left.begin(), left.begin() + 10))) << "the note starts at its offset";
    EXPECT_FALSE(silent(left));
}

namespace {

void kitOutputsEqualTheVst2Build() {
    using namespace tamrik::kit;
    tamrik::test::PluginInstance vst2(TAMRIK_KIT_PATH);
    Vst3Instance kit(kKitPath);
    for (int32_t b = 1; b < 9; ++b)
        EXPECT_EQ(v3_cpp_obj(kit.component)->activate_bus(kit.component, V3_AUDIO, V3_OUTPUT, b, b != 5), V3_OK);
    ParameterChanges routes;
    for (int32_t pad = 0; pad < 16; ++pad) {
        const int32_t id = padIndex(pad, kSoundParameters + kOutput);
        const float value = float(pad % 9) / 8.0f;
        vst2.setParameter(id, value);
        routes.add(v3_param_id(id), 0, value);
    }
    ASSERT_EQ(kit.process(nullptr, 0, nullptr, &routes), V3_OK);
    std::vector<std::pair<int32_t, Event>> notes;
    const auto keyOf = [&](int32_t pad) {
        return uint8_t(std::lround(vst2.getParameter(padIndex(pad, kSoundParameters + kKey)) * 127.0f));
    };
    for (int32_t pad = 0; pad < 16; ++pad) {
        vst2.note(keyOf(pad), uint8_t(40 + 5 * pad), 100 * pad);
        notes.push_back({100 * pad, noteOn(0, keyOf(pad), float(40 + 5 * pad) / 127.0f)});
    }
    const auto expected = vst2.render(8192, 256);
    const auto got = kit.render(8192, 256, notes);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t c = 0; c < got.size(); ++c) {
        if (c / 2 == 5) {
            EXPECT_TRUE(silent(got[c])) << "inactive bus " << c;
            continue;
        }
        EXPECT_FALSE(silent(expected[c])) << c;
        EXPECT_EQ(got[c], expected[c]) << "channel " << c;
    }
}

}  // namespace

// Every output of the Kit renders what the Kit's VST 2 build renders, pads
// routed to every bus; a bus the host has not activated is not heard.
TEST(Vst3Kit, EveryOutputEqualsTheVst2BuildOnEveryPath) {
    for (const tamrik::InstructionSet path : tamrik::test::runnablePaths()) {
        SCOPED_TRACE(nameOf(path));
        const tamrik::test::LibraryPath forced(path);
        kitOutputsEqualTheVst2Build();
    }
}

TEST(Vst3State, RoundTripsInAnyChunkSizeAndRefusesWhatIsNotOursChangingNothing) {
    for (const char* path : {kDrumTamrikPath, kKitPath}) {
        Vst3Instance a(path), b(path);
        ParameterChanges changes;
        changes.add(tamrik::kCutOff, 0, 0.125);
        changes.add(tamrik::kQ, 0, 0.75);
        ASSERT_EQ(a.process(nullptr, 0, nullptr, &changes), V3_OK);
        const std::vector<uint8_t> saved = a.save();
        ASSERT_FALSE(saved.empty());
        ComponentHandler handler;
        v3_cpp_obj(b.controller)->set_component_handler(b.controller, handler.handler());
        for (size_t chunk : {size_t(1), size_t(7), SIZE_MAX}) EXPECT_EQ(b.load(saved, chunk), V3_OK) << chunk;
        EXPECT_EQ(b.save(), saved);
        EXPECT_EQ(handler.restarts, 0) << "a host holds its locks while it hands over a state: no call back";
        EXPECT_DOUBLE_EQ(v3_cpp_obj(b.controller)->get_parameter_normalised(b.controller, tamrik::kCutOff), 0.125);

        Vst3Instance fresh(path);
        const std::vector<uint8_t> before = fresh.save();
        std::vector<uint8_t> damaged = saved;
        damaged[damaged.size() / 2] ^= 0x40;
        const std::vector<std::vector<uint8_t>> refused = {
            {}, damaged, std::vector<uint8_t>(saved.begin(), saved.end() - 1), {'R', 'I', 'F', 'F', 0, 0, 0, 0}};
        for (const auto& bytes : refused) {
            EXPECT_NE(fresh.load(bytes), V3_OK) << bytes.size();
            EXPECT_EQ(fresh.save(), before);
        }
        MemoryStream failing;
        failing.failWrites = true;
        EXPECT_NE(v3_cpp_obj(a.component)->get_state(a.component, failing.stream()), V3_OK);
        v3_cpp_obj(b.controller)->set_component_handler(b.controller, nullptr);
        EXPECT_EQ(handler.refs, 0) << "the handler's reference given back";
    }
}
