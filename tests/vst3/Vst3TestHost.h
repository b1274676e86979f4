// A VST 3 host for tests: loads a built bundle's library the way a DAW
// does (through hosting/'s loader, the module's entry first: ModuleEntry,
// on Windows InitDll), makes instances through its factory and offers the
// host side of processing: an event list, parameter changes with their
// queues, memory streams that move at most `chunk` bytes per call, and a
// component handler that counts restarts.
#pragma once

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
    EventList() = default;
    explicit EventList(std::vector<Event> list) : events(std::move(list)) {}
    const tamrik::vst3::EventListTable* table = nullptr;  // process() sets it
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

struct ComponentHandler {
    ComponentHandler();
    v3_component_handler** handler() { return reinterpret_cast<v3_component_handler**>(this); }
    const void* table;
    int restarts = 0;
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
