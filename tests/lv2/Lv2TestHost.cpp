#include "Lv2TestHost.h"

#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>

namespace tamrik::test {

UridMap::UridMap() {
    feature_.handle = this;
    feature_.map = [](LV2_URID_Map_Handle handle, const char* uri) {
        return static_cast<UridMap*>(handle)->map(uri);
    };
}

LV2_URID UridMap::map(const char* uri) {
    for (size_t i = 0; i < uris_.size(); ++i)
        if (uris_[i] == uri) return LV2_URID(i + 1);
    uris_.emplace_back(uri);
    return LV2_URID(uris_.size());
}

LilvWorld* lv2World() {
    static LilvWorld* world = [] {
        LilvWorld* w = lilv_world_new();
        LilvNode* path = lilv_new_string(w, TAMRIK_LV2_PATH ":/usr/lib/lv2");
        lilv_world_set_option(w, LILV_OPTION_LV2_PATH, path);
        lilv_node_free(path);
        lilv_world_load_all(w);
        return w;
    }();
    return world;
}

const LilvPlugin* lv2Plugin() {
    static const LilvPlugin* plugin = [] {
        LilvWorld* w = lv2World();
        LilvNode* uri = lilv_new_uri(w, lv2::kPluginUri);
        const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(w), uri);
        lilv_node_free(uri);
        return p;
    }();
    return plugin;
}

Lv2TestHost::Lv2TestHost() : Lv2TestHost(Options{}) {}

Lv2TestHost::Lv2TestHost(const Options& o) : maxBlock_(o.maxBlock), sequence_(1024) {
    const LV2_URID intType = urids_.map(LV2_ATOM__Int);
    options_.push_back({LV2_OPTIONS_INSTANCE, 0, urids_.map(LV2_BUF_SIZE__maxBlockLength),
                        sizeof(int32_t), intType, &maxBlock_});
    options_.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    const LV2_Feature map{LV2_URID__map, urids_.feature()};
    const LV2_Feature options{LV2_OPTIONS__options, options_.data()};
    const LV2_Feature bounded{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    const LV2_Feature* withMap[] = {&map, &options, &bounded, nullptr};
    const LV2_Feature* withoutMap[] = {&options, &bounded, nullptr};
    instance_ = lilv_plugin_instantiate(lv2Plugin(), o.sampleRate, o.offerMap ? withMap : withoutMap);
    for (uint32_t i = 0; i < uint32_t(kNumParameters); ++i) {
        controls_[i] = kParameterTable[i].defaultValue;
        inputs_[i] = &controls_[i];
    }
    inputs_[lv2::kMidiPort] = sequence_.data();
    if (instance_) lilv_instance_activate(instance_);
}

Lv2TestHost::~Lv2TestHost() {
    if (!instance_) return;
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

void Lv2TestHost::addEvent(int64_t frame, LV2_URID type, std::vector<uint8_t> body) {
    pending_.push_back({frame, type, std::move(body)});
}

void Lv2TestHost::addMidi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
    addEvent(frame, urids_.map(LV2_MIDI__MidiEvent), {status, data1, data2});
}

void Lv2TestHost::buildSequence() {
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence_.data());
    seq->atom.type = urids_.map(LV2_ATOM__Sequence);
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    seq->body.unit = 0;
    seq->body.pad = 0;
    const uint32_t capacity = uint32_t(sequence_.size() * sizeof(uint64_t) - sizeof(LV2_Atom));
    for (const Pending& p : pending_) {
        // Room for the event header and its body, 8 bytes per uint64.
        std::vector<uint64_t> event(2 + (p.body.size() + 7) / 8);
        auto* e = reinterpret_cast<LV2_Atom_Event*>(event.data());
        e->time.frames = p.frame;
        e->body.type = p.type;
        e->body.size = uint32_t(p.body.size());
        if (!p.body.empty()) std::memcpy(e + 1, p.body.data(), p.body.size());
        lv2_atom_sequence_append_event(seq, capacity, e);
    }
    pending_.clear();
}

void Lv2TestHost::run(uint32_t frames, float* left, float* right) {
    buildSequence();
    for (uint32_t port = 0; port <= lv2::kMidiPort; ++port)
        lilv_instance_connect_port(instance_, port, inputs_[port]);
    lilv_instance_connect_port(instance_, lv2::kLeftPort, left);
    lilv_instance_connect_port(instance_, lv2::kRightPort, right);
    lilv_instance_run(instance_, frames);
}

std::vector<float> Lv2TestHost::render(int32_t frames, int32_t block) {
    std::vector<float> out, left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
    for (int32_t start = 0; start < frames; start += block) {
        const int32_t n = std::min(block, frames - start);
        run(uint32_t(n), left.data(), right.data());
        out.insert(out.end(), left.begin(), left.begin() + n);
    }
    return out;
}

bool Lv2TestHost::applyPreset(const std::string& label) {
    LilvWorld* w = lv2World();
    LilvNode* presetClass = lilv_new_uri(w, LV2_PRESETS__Preset);
    LilvNodes* presets = lilv_plugin_get_related(lv2Plugin(), presetClass);
    bool found = false;
    LILV_FOREACH (nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(w, preset);
        LilvState* state = lilv_state_new_from_world(w, urids_.feature(), preset);
        if (state && label == lilv_state_get_label(state)) {
            lilv_state_restore(
                state, instance_,
                [](const char* symbol, void* self, const void* value, uint32_t size, uint32_t) {
                    auto* host = static_cast<Lv2TestHost*>(self);
                    for (int32_t k = 0; k < kNumParameters; ++k)
                        if (size == sizeof(float) && lv2::portSymbol(k) == symbol)
                            std::memcpy(&host->control(uint32_t(k)), value, sizeof(float));
                },
                this, 0, nullptr);
            found = true;
        }
        if (state) lilv_state_free(state);
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
    return found;
}

}  // namespace tamrik::test
