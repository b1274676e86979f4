// A CLAP host for tests: loads the built DrumTamrik.clap the way a DAW
// does (through hosting/'s loader), finds clap_entry, and makes instances
// through the factory. It offers the host extensions a plug-in may ask for
// (params, timer support, thread check, state) and records what the plug-in
// asks of them, and builds the event lists process and flush take.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <clap/entry.h>
#include <clap/events.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/note-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>
#include <clap/process.h>

#include "hosting/SharedLibrary.h"

namespace tamrik::test::clap {

inline constexpr const char* kDrumTamrikId = "com.quenmar.drum-tamrik";
inline constexpr const char* kKitId = "com.quenmar.drum-tamrik-kit";

// The library, opened once and kept until exit; its entry initialised once.
const clap_plugin_entry_t& clapEntry();
const clap_plugin_factory_t& clapFactory();

// Any of the events the tests send or receive.
union AnyEvent {
    clap_event_header_t header;
    clap_event_note_t note;
    clap_event_midi_t midi;
    clap_event_param_value_t param;
    clap_event_param_gesture_t gesture;
    clap_event_transport_t transport;
    unsigned char bytes[160];
};

AnyEvent noteOn(uint32_t time, int16_t key, double velocity, int16_t channel = 0);
AnyEvent noteOff(uint32_t time, int16_t key);
AnyEvent noteChoke(uint32_t time, int16_t key, int16_t channel = -1);
AnyEvent midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2);
AnyEvent paramValue(uint32_t time, clap_id id, double value);

class InputEvents {
public:
    InputEvents();
    explicit InputEvents(std::vector<AnyEvent> events);
    std::vector<AnyEvent> events;
    const clap_input_events_t* list() const { return &list_; }

private:
    clap_input_events_t list_;
};

class OutputEvents {
public:
    OutputEvents();
    std::vector<AnyEvent> events;
    size_t capacity = SIZE_MAX;  // pushes beyond it are refused
    const clap_output_events_t* list() const { return &list_; }

private:
    clap_output_events_t list_;
};

class ClapTestHost {
public:
    ClapTestHost();
    ClapTestHost(const ClapTestHost&) = delete;
    ClapTestHost& operator=(const ClapTestHost&) = delete;

    const clap_host_t* host() const { return &host_; }

    // Offered extensions; a test may withdraw one before creating.
    bool offerTimers = true;
    bool offerParams = true;

    // What the plug-in asked.
    int flushRequests = 0;
    int rescans = 0;
    std::vector<clap_id> timers;  // registered and not yet unregistered
    int timerRegistrations = 0;
    int badUnregistrations = 0;

    void runTimers(const clap_plugin_t* plugin);

private:
    static const void* CLAP_ABI getExtension(const clap_host_t* host, const char* id);
    static void CLAP_ABI requestNothing(const clap_host_t*) {}
    static ClapTestHost* self(const clap_host_t* host);

    clap_host_t host_;
    clap_id nextTimer_ = 1;
    std::thread::id mainThread_ = std::this_thread::get_id();
};

// One created, initialised instance; destroyed (deactivated first) at the end.
class ClapInstance {
public:
    explicit ClapInstance(const char* id = kDrumTamrikId);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_plugin_t* plugin() const { return plugin_; }
    ClapTestHost& host() { return host_; }
    template <typename T>
    const T* extension(const char* id) const {
        return static_cast<const T*>(plugin_->get_extension(plugin_, id));
    }
    const clap_plugin_params_t& params() const { return *extension<clap_plugin_params_t>(CLAP_EXT_PARAMS); }
    const clap_plugin_state_t& state() const { return *extension<clap_plugin_state_t>(CLAP_EXT_STATE); }
    const clap_plugin_gui_t& gui() const { return *extension<clap_plugin_gui_t>(CLAP_EXT_GUI); }

    bool activate(double rate, uint32_t maxFrames = 16384);
    void deactivate();
    bool active() const { return active_; }

    // One process call over a stereo pair; left and right must hold frames.
    clap_process_status process(float* left, float* right, uint32_t frames, const InputEvents& in = {},
                                OutputEvents* out = nullptr);
    // One process call over stereo ports: channels 2k and 2k + 1 are port k.
    clap_process_status processPorts(float* const* channels, uint32_t ports, uint32_t frames,
                                     const InputEvents& in = {}, OutputEvents* out = nullptr);
    // Renders frames in blocks of `block`, events placed at their absolute
    // frame; the left channel (both carry the same signal).
    std::vector<float> render(uint32_t frames, uint32_t block, std::vector<std::pair<uint32_t, AnyEvent>> events = {});
    // The same over stereo ports: every channel (2k, 2k + 1 for port k), and
    // each process call's status.
    std::vector<std::vector<float>> renderPorts(uint32_t ports, uint32_t frames, uint32_t block,
                                                std::vector<std::pair<uint32_t, AnyEvent>> events,
                                                std::vector<clap_process_status>* statuses = nullptr);

    double value(clap_id id) const;
    std::vector<uint8_t> save() const;
    bool load(const std::vector<uint8_t>& bytes, size_t chunk = SIZE_MAX) const;

private:
    ClapTestHost host_;
    const clap_plugin_t* plugin_ = nullptr;
    bool active_ = false;
};

// Streams over memory that move at most `chunk` bytes per call.
struct MemoryOut {
    explicit MemoryOut(size_t chunk = SIZE_MAX);
    std::vector<uint8_t> bytes;
    size_t chunk;
    int64_t failAfter = -1;  // bytes accepted before every write fails
    clap_ostream_t stream;
};
struct MemoryIn {
    explicit MemoryIn(std::vector<uint8_t> data, size_t chunk = SIZE_MAX);
    std::vector<uint8_t> bytes;
    size_t at = 0, chunk;
    bool failAtEnd = false;  // a read error instead of the end
    clap_istream_t stream;
};

}  // namespace tamrik::test::clap
