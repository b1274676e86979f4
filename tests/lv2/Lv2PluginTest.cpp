// The LV2 bundle as a lilv host sees it: the ports hosts build their
// controls from, the sound (the golden hashes of the VST build at host
// blocks of 1, 64 and 4096 frames, and every factory preset rendered equal
// to the VST build's), and what bad input from a host must not do.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>

#include "HostHarness.h"
#include "lv2/HitLinkAccess.h"
#include "Lv2TestHost.h"
#include "SoundScenarios.h"
#include "TestSignals.h"
#include "synth/FactoryPresets.h"
#include "synth/Parameters.h"

namespace tamrik::test {
namespace {

using namespace sound;

// The scenario's groove through the LV2 bundle in host blocks of `block`.
// CutOff reaches the sound only at note-ons; the VST scenario moves it after
// each 256-frame block's events, so here each block gets the value the
// previous 256 frames were given.
std::vector<float> playLv2(const Scenario& s, int32_t block, bool moveCutoff = false) {
    Lv2TestHost host({s.sampleRate, block, true});
    EXPECT_TRUE(host.instance());
    if (!host.instance()) return {};
    for (auto [index, value] : s.settings) host.control(uint32_t(index)) = value;
    std::vector<float> out, left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
    for (int32_t start = 0; start < kFrames; start += block) {
        const int32_t n = std::min(block, kFrames - start);
        for (const GrooveNote& g : kGroove)
            if (g.frame >= start && g.frame < start + n) host.addMidi(g.frame - start, 0x90, g.note, g.velocity);
        if (moveCutoff) {
            const int32_t step = start / kCutoffStep * kCutoffStep;
            host.control(kCutOff) =
                step == 0 ? kParameterTable[kCutOff].defaultValue : movingCutoff(step - kCutoffStep);
        }
        host.run(uint32_t(n), left.data(), right.data());
        EXPECT_EQ(left, right);
        out.insert(out.end(), left.begin(), left.begin() + n);
    }
    return out;
}

// A groove through the VST build after `setup`, and the same through the
// bundle; each a fresh instance. Their noise tables match when both
// libraries have made as many instances before.
std::vector<float> vstGroove(const std::function<void(HostHarness&)>& setup) {
    HostHarness host;
    host.dispatch(vst::effMainsChanged, 0, 1);
    setup(host);
    for (const GrooveNote& g : kGroove) host.sendMidi(0x90, g.note, g.velocity, g.frame);
    return host.render(kFrames, kFrames);
}

std::vector<float> lv2Groove(const std::function<void(Lv2TestHost&)>& setup) {
    Lv2TestHost host({44100.0, kFrames, true});
    setup(host);
    for (const GrooveNote& g : kGroove) host.addMidi(g.frame, 0x90, g.note, g.velocity);
    return host.render(kFrames, kFrames);
}


float nodeFloat(const LilvNode* n) { return n ? lilv_node_as_float(n) : std::nanf(""); }

TEST(Lv2Bundle, PortsInOrderWithTheTablesRangesDefaultsAndChoices) {
    const LilvPlugin* p = lv2Plugin();
    ASSERT_TRUE(p) << "the bundle in " TAMRIK_LV2_PATH;
    LilvWorld* w = lv2World();
    ASSERT_EQ(lilv_plugin_get_num_ports(p), 25u);
    auto uri = [w](const char* u) { return lilv_new_uri(w, u); };
    LilvNode* control = uri(LV2_CORE__ControlPort);
    LilvNode* input = uri(LV2_CORE__InputPort);
    LilvNode* output = uri(LV2_CORE__OutputPort);
    LilvNode* audio = uri(LV2_CORE__AudioPort);
    LilvNode* atomPort = uri(LV2_ATOM__AtomPort);
    LilvNode* midiEvent = uri(LV2_MIDI__MidiEvent);
    LilvNode* toggled = uri(LV2_CORE__toggled);
    LilvNode* designation = uri(LV2_CORE__designation);

    SynthParameters engine;
    const float pph = engine.phasePerHertz();
    // The engine's reading of a value: which choice it selects.
    auto selected = [&](int32_t index, float v) -> float {
        engine.set(index, v);
        const DerivedValues& d = engine.derived();
        switch (index) {
            case kCurve: return float(d.curveMode.get());
            case kType: return float(d.filterType.get());
            case kWeight: return float(d.filterWeight.get());
            case kWave1: return float(d.osc1Wave.get());
            case kWave2: return float(d.osc2Wave.get());
            case kRing: return d.ringOn.get() ? 1.0f : 0.0f;
            case kFM: return d.fmOn.get() ? 1.0f : 0.0f;
            case kMulti: return std::nearbyint(engine.get(kMulti));
            case kOctave: return float(std::log2(0.5 * pph / d.octaveFactor.get()));
            default: return -1.0f;
        }
    };
    for (uint32_t i = 0; i < uint32_t(kNumParameters); ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(p, i);
        ASSERT_TRUE(port);
        EXPECT_TRUE(lilv_port_is_a(p, port, control) && lilv_port_is_a(p, port, input)) << i;
        EXPECT_EQ(lilv_node_as_string(lilv_port_get_symbol(p, port)), lv2::portSymbol(int32_t(i)));
        LilvNode* name = lilv_port_get_name(p, port);
        EXPECT_STREQ(lilv_node_as_string(name), kParameterTable[i].name);
        lilv_node_free(name);
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(p, port, &def, &min, &max);
        EXPECT_EQ(nodeFloat(def), kParameterTable[i].defaultValue) << i;
        EXPECT_EQ(nodeFloat(min), 0.0f);
        EXPECT_EQ(nodeFloat(max), 1.0f);
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);

        LilvScalePoints* points = lilv_port_get_scale_points(p, port);
        // A point for each choice the engine tells apart, at a value that
        // selects it, named as the editor's list names it.
        const ParameterInfo& info = kParameterTable[i];
        const bool isSwitch = info.kind == ControlKind::CheckBox;
        const size_t expected = isSwitch ? 2 : info.kind == ControlKind::List ? info.captions.size() : 0;
        EXPECT_EQ(expected > 0, selected(int32_t(i), 0.0f) >= 0) << i;
        EXPECT_EQ(points ? lilv_scale_points_size(points) : 0u, expected) << i;
        EXPECT_EQ(lilv_port_has_property(p, port, toggled), isSwitch) << i;
        std::vector<bool> seen(expected);
        LILV_FOREACH (scale_points, k, points) {
            const LilvScalePoint* point = lilv_scale_points_get(points, k);
            const float v = lilv_node_as_float(lilv_scale_point_get_value(point));
            const float choice = selected(int32_t(i), v);
            ASSERT_TRUE(choice >= 0 && choice < float(expected)) << i << " " << v;
            EXPECT_FALSE(seen[size_t(choice)]) << "one point per choice";
            seen[size_t(choice)] = true;
            if (!isSwitch) {
                EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(point)), info.captions[size_t(choice)]);
            }
        }
        if (points) lilv_scale_points_free(points);
    }
    const LilvPort* midi = lilv_plugin_get_port_by_index(p, lv2::kMidiPort);
    EXPECT_TRUE(lilv_port_is_a(p, midi, atomPort) && lilv_port_is_a(p, midi, input));
    EXPECT_TRUE(lilv_port_supports_event(p, midi, midiEvent));
    LilvNodes* designations = lilv_port_get_value(p, midi, designation);
    ASSERT_TRUE(designations && lilv_nodes_size(designations) == 1);
    EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(designations)), LV2_CORE__control);
    lilv_nodes_free(designations);
    for (uint32_t i : {lv2::kLeftPort, lv2::kRightPort}) {
        const LilvPort* out = lilv_plugin_get_port_by_index(p, i);
        EXPECT_TRUE(lilv_port_is_a(p, out, audio) && lilv_port_is_a(p, out, output)) << i;
    }
    for (LilvNode* n : {control, input, output, audio, atomPort, midiEvent, toggled, designation}) lilv_node_free(n);
}

TEST(Lv2Sound, TheVstBuildsGoldenHashesAtHostBlocksOf1And64And4096) {
    for (const Scenario& s : kScenarios)
        for (int32_t block : {1, 64, 4096}) {
            const std::vector<float> out = playLv2(s, block);
            EXPECT_EQ(hashOf(out), s.golden) << s.name << " in blocks of " << block;
        }
    for (int32_t block : {1, 64, 256})
        EXPECT_EQ(hashOf(playLv2(kCutoffMoves, block, true)), kCutoffMoves.golden) << block;
}

TEST(Lv2Sound, EveryFactoryPresetSoundsAsTheVstBuildsPresetDoes) {
    // Each build's noise runs on from one instance to the next while its
    // library stays loaded; lilv unloads the bundle's with its last instance.
    const HostHarness vstKeeper;
    const Lv2TestHost lv2Keeper;
    for (const FactoryPreset& preset : kFactoryPresets) {
        const std::vector<float> vst = vstGroove([&](HostHarness& h) {
            for (int32_t i = 0; i < kNumParameters; ++i)
                if (const auto& v = preset.values[size_t(i)]) h.setParameter(i, *v);
        });
        const std::vector<float> lv2 = lv2Groove([&](Lv2TestHost& h) {
            EXPECT_TRUE(h.applyPreset(std::string(preset.name))) << preset.name;
        });
        EXPECT_FALSE(silent(lv2)) << preset.name;
        EXPECT_EQ(lv2, vst) << preset.name;
    }
}

TEST(Lv2BadInput, InstantiateRefusesRatesThatAreNotPositiveAndAMissingUridMap) {
    for (double rate : {0.0, -44100.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e300})
        EXPECT_FALSE(Lv2TestHost({rate, 64, true}).instance()) << rate;
    EXPECT_FALSE(Lv2TestHost({44100.0, 64, false}).instance());
    EXPECT_TRUE(Lv2TestHost({22050.0, 64, true}).instance());
}

TEST(Lv2BadInput, UnconnectedPortsAndEmptyRunsChangeNothingElse) {
    const std::vector<float> reference = lv2Groove([](Lv2TestHost&) {});
    const std::vector<float> bad = lv2Groove([](Lv2TestHost& h) {
        // Nothing connected at all: no crash, nothing written, time passes.
        for (uint32_t port = 0; port <= lv2::kMidiPort; ++port) h.connect(port, nullptr);
        h.run(100, nullptr, nullptr);
        h.run(0, nullptr, nullptr);
        for (uint32_t port = 0; port < uint32_t(kNumParameters); ++port) h.connect(port, &h.control(port));
        std::vector<float> left(300, 5.0f), right(300, 5.0f);
        h.run(300, left.data(), nullptr);
        h.run(300, nullptr, right.data());
        h.run(300, left.data(), left.data());
        h.run(0, left.data(), right.data());
        h.connect(lv2::kMidiPort, nullptr);
        h.run(10, left.data(), right.data());
        h.connect(lv2::kMidiPort, h.sequence());
    });
    EXPECT_EQ(bad, reference);
    EXPECT_FALSE(silent(reference));
    // The sound of a block rendered with one output missing is the same
    // sound, only on fewer channels.
    Lv2TestHost a, b;
    std::vector<float> full(1000), other(1000), oneSided(1000, 7.0f);
    a.addMidi(10, 0x90, 60, 100);
    b.addMidi(10, 0x90, 60, 100);
    a.run(1000, full.data(), other.data());
    b.run(1000, nullptr, oneSided.data());
    EXPECT_EQ(oneSided, full);
    EXPECT_FALSE(silent(full));
}

TEST(Lv2BadInput, TruncatedForeignAndOversizedEventsAreIgnored) {
    const std::vector<float> reference = lv2Groove([](Lv2TestHost&) {});
    const std::vector<float> out = lv2Groove([](Lv2TestHost& h) {
        const LV2_URID midi = h.urids().map(LV2_MIDI__MidiEvent);
        h.addEvent(0, midi, {0x90, 70});             // a note-on cut short
        h.addEvent(0, midi, {});                     // nothing at all
        h.addEvent(1, h.urids().map(LV2_ATOM__Int), {0x90, 70, 100, 0});
        h.addEvent(2, midi, {0x80, 60, 0});          // note-off: ignored as in VST
        h.addEvent(3, midi, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});  // a SysEx
    });
    EXPECT_EQ(out, reference);

    // An event claiming more bytes than its sequence holds ends the reading:
    // the note before it plays, and nothing past the sequence is read (the
    // buffer ends where the sequence does, for AddressSanitizer to see).
    Lv2TestHost plain, bad;
    plain.addMidi(5, 0x90, 60, 100);
    const std::vector<float> note = plain.render(1000, 1000);
    std::vector<uint64_t> buffer(8);
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
    seq->atom = {uint32_t(buffer.size() * 8 - sizeof(LV2_Atom)), bad.urids().map(LV2_ATOM__Sequence)};
    auto* first = reinterpret_cast<LV2_Atom_Event*>(seq + 1);
    first->time.frames = 5;
    first->body = {3, bad.urids().map(LV2_MIDI__MidiEvent)};
    std::memcpy(first + 1, "\x90\x3c\x64", 3);
    auto* second = reinterpret_cast<LV2_Atom_Event*>(buffer.data() + 5);
    second->time.frames = 6;
    second->body = {4096, first->body.type};
    bad.connect(lv2::kMidiPort, buffer.data());
    EXPECT_FALSE(silent(note));
    EXPECT_EQ(bad.render(1000, 1000), note);
}

TEST(Lv2BadInput, NotANumberOnAControlPortIsTreatedAsSetParameterTreatsIt) {
    const std::vector<float> defaults = lv2Groove([](Lv2TestHost&) {});
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        for (int32_t index : {int32_t(kCutOff), int32_t(kVolume), int32_t(kOscMix)}) {
            const std::vector<float> vst = vstGroove([&](HostHarness& h) { h.setParameter(index, bad); });
            const std::vector<float> lv2 = lv2Groove([&](Lv2TestHost& h) { h.control(uint32_t(index)) = bad; });
            ASSERT_EQ(lv2.size(), vst.size());
            EXPECT_EQ(std::memcmp(lv2.data(), vst.data(), lv2.size() * sizeof(float)), 0) << index;
            EXPECT_EQ(lv2, defaults) << index << ": refused, as in VST";
        }
    // A finite value after a refused one is applied.
    const std::vector<float> loud = lv2Groove([](Lv2TestHost& h) { h.control(kVolume) = 0.9f; });
    EXPECT_EQ(lv2Groove([](Lv2TestHost& h) {
                  h.control(kVolume) = std::numeric_limits<float>::quiet_NaN();
                  h.run(0, nullptr, nullptr);
                  h.control(kVolume) = 0.9f;
              }),
              loud);
    EXPECT_NE(loud, defaults);
}

// The panel's hit is rendered by the DSP library, on the instance's own
// tables, and answered to the UI through data-access: it is what the
// instance plays for the note, bit for bit.
TEST(Lv2Hit, TheInstanceRendersThePanelsHitAsItPlaysTheNote) {
    Lv2TestHost host;
    ASSERT_NE(host.instance(), nullptr);
    const auto* access = static_cast<const lv2::HitLinkAccess*>(
        lilv_instance_get_descriptor(host.instance())->extension_data(lv2::kHitLinkUri));
    ASSERT_NE(access, nullptr);
    HitLink* hit = access->sound(lilv_instance_get_handle(host.instance()));
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(access->sound(nullptr), nullptr);
    host.run(64, nullptr, nullptr);  // the port values applied, as after a host's first run
    ASSERT_TRUE(hit->beginHit(0, 60, 127));
    while (hit->continueHit(10000)) {
    }
    const int length = hit->hitLength();
    ASSERT_GT(length, 1000);
    host.addMidi(0, 0x90, 60, 127);
    const std::vector<float> played = host.render(length, 512);
    EXPECT_EQ(std::memcmp(hit->hitSamples(0), played.data(), size_t(length) * sizeof(float)), 0);
}

}  // namespace
}  // namespace tamrik::test
