// A VST 3 host for tests: loads a built bundle's library the way a DAW
// does (through hosting/'s loader, the module's entry first: ModuleEntry,
// on Windows InitDll), makes instances through its factory and offers the
// host side of processing: an event list, parameter changes with their
// queues, memory streams that move at most `chunk` bytes per call, and a
// component handler that counts restarts and records edits. For views: a
// plug frame that records the sizes asked of it, and a run loop that polls
// the descriptors registered with it and fires its timers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "vst3/Vst3Api.h"

namespace tamrik::test::vst3 {

using tamrik::vst3::Event;

inline constexpr const char* kDrumTamrikPath = TAMRIK_VST3_PLUGIN_PATH;
inline constexpr const char* kKitPath = TAMRIK_VST3_KIT_PATH;

// The library's factory, the library opened once per path and kept.
v3_plugin_factory** factoryOf(const std::string& path);

Event noteOn(int32_t offset, int16_t pitch, float velocity, int16_t channel = 0);
Event noteOff(int32_t offset, int16_t pitch);

struct EventList {
    EventList();
    explicit EventList(std::vector<Event> list);
    const tamrik::vst3::EventListTable* table;
    std::vector<Event> events;
    v3_event_list** list() { return reinterpret_cast<v3_event_list**>(this); }
};

struct ParameterQueue {
    const void* table;
    v3_param_id id;
    std::vector<std::pair<int32_t, double>> points;
};

struct ParameterChanges {
    ParameterChanges();
    void add(v3_param_id id, int32_t offset, double value);
    v3_param_changes** list() { return reinterpret_cast<v3_param_changes**>(this); }
    const void* table;
    std::vector<ParameterQueue> queues;
};

struct MemoryStream {
    explicit MemoryStream(std::vector<uint8_t> data = {}, size_t chunk = SIZE_MAX);
    v3_bstream** stream() { return reinterpret_cast<v3_bstream**>(this); }
    const void* table;
    std::vector<uint8_t> bytes;
    size_t at = 0, chunk;
    bool failWrites = false;
};

// An edit the component handler heard, in order.
struct Edit {
    enum class Kind { Begin, Perform, End } kind;
    v3_param_id id;
    double value;  // Perform's
    bool operator==(const Edit&) const = default;
};

struct ComponentHandler {
    ComponentHandler();
    v3_component_handler** handler() { return reinterpret_cast<v3_component_handler**>(this); }
    size_t count(Edit::Kind kind) const;
    const void* table;
    int restarts = 0;
    int refs = 0;
    std::vector<Edit> edits;
};

// A Linux host's run loop: event handlers on descriptors and timers, each
// held (a reference) while registered. Windows hosts have none (their
// message loop drives a view's window); there it only counts registrations.
struct RunLoop {
    RunLoop();
#if !defined(_WIN32)
    // One round: waits on the watched descriptors until the next timer is
    // due (5 ms at most), calls the handler of each that is readable, then
    // fires the timers that are due.
    void runOnce();
#endif
    struct Watch {
        v3_event_handler** handler;
        int fd;
    };
    struct Timer {
        v3_timer_handler** handler;
        uint64_t periodMs;
        std::chrono::steady_clock::time_point due;
    };
    const void* table;
    std::vector<Watch> watches;
    std::vector<Timer> timers;
    int registrations = 0;       // of either kind
    int badUnregistrations = 0;  // of a handler not registered
    int descriptorCalls = 0, timerCalls = 0;
    int refs = 0;
};

// The frame a host gives a view: its run loop (unless withheld) and every
// size the view asks for, granted (and then set with on_size, as hosts do)
// or refused.
struct PlugFrame {
    PlugFrame();
    v3_plugin_frame** frame() { return reinterpret_cast<v3_plugin_frame**>(this); }
    const void* table;
    RunLoop runLoop;
    bool offerRunLoop = true;
    bool grantResizes = true;
    std::vector<v3_view_rect> resizes;
    int refusedSizes = 0;  // on_size answers other than V3_OK
    int refs = 0;
};

// One instance, through its interfaces; set up for processing at `rate`
// and active.
class Vst3Instance {
public:
    explicit Vst3Instance(const std::string& path = kDrumTamrikPath, double rate = 44100.0);
    ~Vst3Instance();
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    v3_component** component = nullptr;
    v3_audio_processor** processor = nullptr;
    v3_edit_controller** controller = nullptr;
    v3_unit_information** units = nullptr;
    v3_midi_mapping** mapping = nullptr;

    int32_t outputBuses() const;
    // One process call; `channels` holds 2 per output bus (nullptr: the
    // bus is given no buffers); returns the result and fills each bus's
    // silence flags.
    v3_result process(float* const* channels, int32_t frames, EventList* events = nullptr,
                      ParameterChanges* changes = nullptr, std::vector<uint64_t>* silence = nullptr);
    // Renders frames in blocks of `block`; events and changes at their
    // absolute frames; every channel.
    std::vector<std::vector<float>> render(int32_t frames, int32_t block, const std::vector<std::pair<int32_t, Event>>& notes,
                                           const std::vector<std::tuple<int32_t, v3_param_id, double>>& points = {});

    std::vector<uint8_t> save() const;
    v3_result load(const std::vector<uint8_t>& bytes, size_t chunk = SIZE_MAX) const;
    std::string text(v3_param_id id, double normalized) const;
    bool value(v3_param_id id, const std::string& text, double* normalized) const;
    v3_param_info info(int32_t index) const;
};

std::string fromUtf16(const int16_t* text);

}  // namespace tamrik::test::vst3
