// A small LV2 host on lilv for the tests: it loads the built bundle by URI
// (from the build's lib/lv2 and the system's LV2 specifications only, so an
// installed copy is never picked up), offers urid:map and a bufSize block
// limit, instantiates, feeds control values and MIDI atoms, runs blocks and
// applies presets the way hosts do, through lilv's state API.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include "lv2/Lv2Ports.h"

namespace tamrik::test {

// The host's URI <-> number table.
class UridMap {
public:
    UridMap();
    LV2_URID map(const char* uri);
    LV2_URID_Map* feature() { return &feature_; }

private:
    std::vector<std::string> uris_;
    LV2_URID_Map feature_;
};

// The process's lilv world with the bundle loaded, and the plug-in in it.
LilvWorld* lv2World();
const LilvPlugin* lv2Plugin();

class Lv2TestHost {
public:
    struct Options {
        double sampleRate = 44100.0;
        int32_t maxBlock = 4096;
        bool offerMap = true;
    };
    Lv2TestHost();
    explicit Lv2TestHost(const Options& options);
    ~Lv2TestHost();
    Lv2TestHost(const Lv2TestHost&) = delete;
    Lv2TestHost& operator=(const Lv2TestHost&) = delete;

    LilvInstance* instance() const { return instance_; }
    UridMap& urids() { return urids_; }

    // The control port's value, read at the next run.
    float& control(uint32_t index) { return controls_[index]; }
    // An event for the next run (its frame is relative to that run).
    void addEvent(int64_t frame, LV2_URID type, std::vector<uint8_t> body);
    void addMidi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2);
    // Connects every port (the outputs to left and right, which may be
    // null) and runs one block with the pending events.
    void run(uint32_t frames, float* left, float* right);
    // What run connects a control or the MIDI port to from now on
    // (nullptr: leave it unconnected).
    void connect(uint32_t port, void* data) { inputs_[port] = data; }
    void* sequence() { return sequence_.data(); }
    // Renders frames samples in blocks of `block`, left channel only, with
    // the pending events in the first block.
    std::vector<float> render(int32_t frames, int32_t block);
    // The factory preset with this label, as a host applies it: its port
    // values through lilv_state_restore's callback. False if not found.
    bool applyPreset(const std::string& label);

private:
    void buildSequence();

    UridMap urids_;
    std::vector<LV2_Options_Option> options_;
    int32_t maxBlock_;
    LilvInstance* instance_ = nullptr;
    float controls_[kNumParameters];
    struct Pending {
        int64_t frame;
        LV2_URID type;
        std::vector<uint8_t> body;
    };
    std::vector<Pending> pending_;
    std::vector<uint64_t> sequence_;  // 8-byte aligned, as atoms must be
    void* inputs_[lv2::kMidiPort + 1];
};

}  // namespace tamrik::test
