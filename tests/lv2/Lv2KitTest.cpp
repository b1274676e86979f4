// DrumTamrik Kit's LV2 bundle through lilv: the ports hosts see (stereo
// groups for the 18 outputs), the same samples as the VST 2 Kit for the same
// notes and values, and the kit kept through state:interface (save, restore,
// save again gives the same bytes; a damaged state is refused).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>

#include "Lv2TestHost.h"
#include "PluginInstance.h"
#include "kit/FactoryKits.h"
#include "kit/KitInstrument.h"

using namespace tamrik;
using namespace tamrik::kit;
using tamrik::test::UridMap;

namespace {

const LilvPlugin* kitPlugin() {
    LilvWorld* w = test::lv2World();
    LilvNode* uri = lilv_new_uri(w, lv2::kKitUri);
    const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(w), uri);
    lilv_node_free(uri);
    return p;
}

constexpr uint32_t kMidi = kKitParameters;

// One instance with every port connected: controls at their defaults, one
// MIDI sequence, 18 output rows.
class KitLv2 {
public:
    KitLv2() : sequence_(4096) {
        const LV2_Feature map{LV2_URID__map, urids_.feature()};
        const LV2_Feature* features[] = {&map, nullptr};
        instance_ = lilv_plugin_instantiate(kitPlugin(), 44100.0, features);
        if (!instance_) return;
        const KitInstrument facts;
        for (int32_t i = 0; i < kKitParameters; ++i) {
            controls_[size_t(i)] = facts.parameterDefault(i);
            lilv_instance_connect_port(instance_, uint32_t(i), &controls_[size_t(i)]);
        }
        lilv_instance_connect_port(instance_, kMidi, sequence_.data());
        lilv_instance_activate(instance_);
    }
    ~KitLv2() {
        if (instance_) lilv_instance_free(instance_);
    }
    LilvInstance* instance() const { return instance_; }
    float& control(int32_t index) { return controls_[size_t(index)]; }
    UridMap& urids() { return urids_; }
    uint8_t noteChannel = 0;  // the channel render's notes go on, 0 to 15

    // Renders frames samples of every output with these notes (key, frame)
    // in the first block.
    std::vector<std::vector<float>> render(int32_t frames, int32_t block,
                                           std::vector<std::pair<uint8_t, int32_t>> notes) {
        std::vector<std::vector<float>> out(kOutputChannels, std::vector<float>(size_t(frames)));
        for (int32_t at = 0; at < frames; at += block) {
            buildSequence(at == 0 ? notes : std::vector<std::pair<uint8_t, int32_t>>{});
            for (int32_t c = 0; c < kOutputChannels; ++c)
                lilv_instance_connect_port(instance_, kMidi + 1 + uint32_t(c), out[size_t(c)].data() + at);
            lilv_instance_run(instance_, uint32_t(std::min(block, frames - at)));
        }
        return out;
    }

    const LV2_State_Interface* state() const {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }

private:
    void buildSequence(const std::vector<std::pair<uint8_t, int32_t>>& notes) {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence_.data());
        const uint32_t capacity = uint32_t(sequence_.size() * sizeof(uint64_t));
        seq->atom.type = urids_.map(LV2_ATOM__Sequence);
        seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        seq->body.unit = 0;
        seq->body.pad = 0;
        for (auto [key, frame] : notes) {
            struct {
                LV2_Atom_Event event;
                uint8_t bytes[8];
            } e{};
            e.event.time.frames = frame;
            e.event.body.type = urids_.map(LV2_MIDI__MidiEvent);
            e.event.body.size = 3;
            e.bytes[0] = uint8_t(0x90 | noteChannel);
            e.bytes[1] = key;
            e.bytes[2] = 100;
            lv2_atom_sequence_append_event(seq, capacity - sizeof(LV2_Atom), &e.event);
        }
    }

    UridMap urids_;
    LilvInstance* instance_ = nullptr;
    std::array<float, kKitParameters> controls_{};
    std::vector<uint64_t> sequence_;
};

struct Stored {
    std::vector<uint8_t> bytes;
    uint32_t key = 0, type = 0, flags = 0;
};

LV2_State_Status store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                       uint32_t flags) {
    auto* s = static_cast<Stored*>(handle);
    s->bytes.assign(static_cast<const uint8_t*>(value), static_cast<const uint8_t*>(value) + size);
    s->key = key;
    s->type = type;
    s->flags = flags;
    return LV2_STATE_SUCCESS;
}

const void* retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
    auto* s = static_cast<Stored*>(handle);
    if (key != s->key) return nullptr;
    *size = s->bytes.size();
    *type = s->type;
    *flags = s->flags;
    return s->bytes.data();
}

Stored saved(KitLv2& kit) {
    Stored s;
    EXPECT_EQ(kit.state()->save(lilv_instance_get_handle(kit.instance()), store, &s, 0, nullptr),
              LV2_STATE_SUCCESS);
    return s;
}

}  // namespace

TEST(Lv2Kit, PortsInStereoGroups) {
    const LilvPlugin* p = kitPlugin();
    ASSERT_NE(p, nullptr);
    LilvWorld* w = test::lv2World();
    EXPECT_EQ(lilv_plugin_get_num_ports(p), uint32_t(kKitParameters + 1 + kOutputChannels));
    LilvNode* group = lilv_new_uri(w, "http://lv2plug.in/ns/ext/port-groups#group");
    for (int32_t c = 0; c < kOutputChannels; ++c) {
        const LilvPort* port = lilv_plugin_get_port_by_index(p, kMidi + 1 + uint32_t(c));
        LilvNodes* groups = lilv_port_get_value(p, port, group);
        ASSERT_EQ(lilv_nodes_size(groups), 1u) << c;
        const std::string expected = std::string(lv2::kKitUri) + (c < 2 ? "#main" : "#aux" + std::to_string(c / 2));
        EXPECT_EQ(lilv_node_as_uri(lilv_nodes_get_first(groups)), expected);
        lilv_nodes_free(groups);
    }
    lilv_node_free(group);
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(p, lilv_plugin_get_port_by_index(p, 30 + 22))), "p2_key");
}

TEST(Lv2Kit, PlaysWhatTheVstKitPlays) {
    KitLv2 lv2;
    ASSERT_NE(lv2.instance(), nullptr);
    test::PluginInstance vst(TAMRIK_KIT_PATH);
    const std::pair<int32_t, float> changes[] = {{padIndex(3, kCutOff), 0.3f},
                                                 {padIndex(3, kSoundParameters + kOutput), 0.25f},
                                                 {padIndex(0, kSoundParameters + kPan), 0.1f}};
    for (auto [index, value] : changes) {
        lv2.control(index) = value;
        vst.setParameter(index, value);
    }
    vst.note(36, 100, 5);
    vst.note(46, 100, 9);
    const auto expected = vst.render(3000, 64);
    const auto got = lv2.render(3000, 256, {{36, 5}, {46, 9}});
    for (int32_t c = 0; c < kOutputChannels; ++c)
        ASSERT_EQ(got[size_t(c)], expected[size_t(c)]) << "channel " << c;
    EXPECT_NE(got[4], std::vector<float>(3000)) << "pad 4 on Aux 2";
}

// The host's activate starts a new run: nothing sounds on from before,
// whatever channel the Kit listens to (here the drum channel, 10).
TEST(Lv2Kit, ActivateSilencesAKitOnTheDrumChannel) {
    KitLv2 kit;
    ASSERT_NE(kit.instance(), nullptr);
    kit.control(kChannelIndex) = 10.0f / 16.0f;
    kit.noteChannel = 9;
    const auto loud = [](const std::vector<std::vector<float>>& out) {
        double sum = 0.0;
        for (const auto& channel : out)
            for (float v : channel) sum += std::fabs(v);
        return sum;
    };
    ASSERT_GT(loud(kit.render(512, 512, {{36, 0}})), 0.0) << "the kick sounds on channel 10";
    lilv_instance_deactivate(kit.instance());
    lilv_instance_activate(kit.instance());
    EXPECT_EQ(loud(kit.render(4096, 512, {})), 0.0);
}

TEST(Lv2Kit, StateRoundTripsAndDamageIsRefused) {
    Stored first;
    {
        KitLv2 a;
        ASSERT_NE(a.instance(), nullptr);
        a.control(padIndex(5, kQ)) = 0.625f;
        a.render(64, 64, {});
        first = saved(a);
        ASSERT_FALSE(first.bytes.empty());
        EXPECT_EQ(first.flags & LV2_STATE_IS_POD, uint32_t(LV2_STATE_IS_POD));
    }
    KitLv2 b;
    LV2_Handle handle = lilv_instance_get_handle(b.instance());
    Stored damaged = first;
    damaged.bytes[damaged.bytes.size() / 2] ^= 8;
    EXPECT_NE(b.state()->restore(handle, retrieve, &damaged, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(b.state()->restore(handle, retrieve, &first, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved(b).bytes, first.bytes);
}

// The Kit's UI library, opened as a host opens it on the instance above:
// without instance-access and data-access there is no panel; with them it
// fills its parent at 505 x 628, a click selects a pad and Learn takes the
// note the instance plays next, reported through write_function.

#include <lv2/data-access/data-access.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include "LoadedLibrary.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "X11HostWindow.h"

namespace {

const LV2UI_Descriptor* kitUiDescriptor() {
    const auto& library =
        tamrik::test::LoadedLibrary<tamrik::hosting::SharedLibrary>(TAMRIK_LV2_PATH "/DrumTamrikKit.lv2/DrumTamrikKit_ui.so");
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(library.symbol("lv2ui_descriptor"));
    return entry ? entry(0) : nullptr;
}

using Writes = std::vector<std::pair<uint32_t, float>>;

void written(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    float value = 0.0f;
    if (format == 0 && size == sizeof value) std::memcpy(&value, buffer, sizeof value);
    static_cast<Writes*>(controller)->push_back({port, value});
}

TEST(Lv2KitUi, ThePanelOpensOnTheInstanceAndLearnsTheNoteItPlays) {
    OPEN_TEST_DISPLAY(x);
    KitLv2 kit;
    ASSERT_NE(kit.instance(), nullptr);
    const LV2UI_Descriptor* d = kitUiDescriptor();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->URI, lv2::kKitUiUri);
    std::pair<int, int> size{0, 0};
    LV2UI_Resize resize{&size, [](LV2UI_Feature_Handle h, int w, int height) {
                            *static_cast<std::pair<int, int>*>(h) = {w, height};
                            return 0;
                        }};
    LV2_Extension_Data_Feature data{lilv_instance_get_descriptor(kit.instance())->extension_data};
    const LV2_Feature parent{LV2_UI__parent, x.handle()}, sizing{LV2_UI__resize, &resize},
        idleFeature{LV2_UI__idleInterface, nullptr},
        instance{LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(kit.instance())},
        dataAccess{LV2_DATA_ACCESS_URI, &data};
    Writes writes;
    LV2UI_Widget widget = nullptr;
    const char* bundle = TAMRIK_LV2_PATH "/DrumTamrikKit.lv2/";
    const LV2_Feature* without[] = {&parent, &sizing, &idleFeature, nullptr};
    EXPECT_EQ(d->instantiate(d, lv2::kKitUri, bundle, written, &writes, &widget, without), nullptr);
    EXPECT_TRUE(x.Children().empty()) << "nothing left behind";
    const LV2_Feature* features[] = {&parent, &sizing, &idleFeature, &instance, &dataAccess, nullptr};
    EXPECT_EQ(d->instantiate(d, lv2::kPluginUri, bundle, written, &writes, &widget, features), nullptr)
        << "DrumTamrik's plug-in is not the Kit";
    XResizeWindow(x.display, x.window, 505, 628);  // as the host's container grows to the panel
    LV2UI_Handle ui = d->instantiate(d, lv2::kKitUri, bundle, written, &writes, &widget, features);
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(size, (std::pair<int, int>{505, 628}));
    EXPECT_EQ(x.Children().size(), 1u);
    const auto* idle = static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    const auto idleOnce = [&] { idle->idle(ui); };
    EXPECT_TRUE(test::WaitUntilDrawn(x, idleOnce));
    EXPECT_TRUE(writes.empty()) << "opening writes nothing";

    // Pad 3 (the panel and strip are 361 high; the pads start 16 below),
    // then Learn, then a note on the instance.
    const auto click = [&](int px, int py) {
        x.Move(px, py);
        x.Button(true);
        x.Button(false);
        test::Drain(x.display, idleOnce);
    };
    click(8 + 2 * 61 + 28, 361 + 16 + 15);
    click(72 + 20, 361 + 106);
    kit.render(64, 64, {{70, 0}});
    const uint32_t key = uint32_t(padIndex(2, kSoundParameters + kKey));
    EXPECT_TRUE(test::IdleUntil(idleOnce, [&] {
        for (const auto& [port, value] : writes)
            if (port == key && value == valueOfStep(70, 127)) return true;
        return false;
    })) << "Learn did not reach the host";
    for (const auto& [port, value] : writes) EXPECT_EQ(port, key) << "only the Key was written";

    d->cleanup(ui);
    EXPECT_TRUE(x.Children().empty());
}

}  // namespace
