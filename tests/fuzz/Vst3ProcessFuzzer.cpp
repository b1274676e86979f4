// Fuzz target "vst3_process": process calls on a VST 3 instance of either
// product with whatever a host may hand over: blocks of 0 frames (a
// parameter flush) up to a few hundred, or a negative count; event lists of
// any events (types, buses, offsets, channels, keys, velocities, NaN and
// infinities among them) and lists that fail some reads; parameter changes
// with any ids, any number of points at any offsets in any order, values
// any double, queues missing, reads failing; any number of output buses
// (fewer or more than the instance has), any number of channels, buffers
// missing or shared; buses activated and deactivated in between. Every
// array the host hands over ends at a guard page, so a read or write one
// element past it faults. Checks: no crash; every sample the instance
// leaves in a buffer is finite; a channel flagged silent is silent; the
// buffers of an inactive bus hold silence. Each input starts from the
// instance as it was made, so that a case replays alone.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "GuardedBuffer.h"
#include "binding/Products.h"
#include "vst3/Vst3Plugin.h"

using tamrik::fuzz::FuzzInput;
using tamrik::fuzz::GuardedBuffer;
using tamrik::vst3::Event;

namespace {

constexpr int32_t kMaxFrames = 600;
constexpr int32_t kMaxBuses = 11;  // the Kit's 9 and two more than any instance has
constexpr int32_t kMaxChannels = 3;
constexpr int32_t kMaxEvents = 40;
constexpr int32_t kMaxQueues = 12;
constexpr int32_t kMaxPoints = 10;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "vst3_process: %s\n", what);
    std::abort();
}

v3_result V3_API noInterface(void*, const v3_tuid, void** object) {
    *object = nullptr;
    return V3_NO_INTERFACE;
}
uint32_t V3_API one(void*) { return 1; }

// The event list: the events, and which reads fail.
struct EventList {
    const tamrik::vst3::EventListTable* table;
    std::vector<Event> events;
    std::vector<bool> fails;
};
uint32_t V3_API eventCount(void* s) { return uint32_t(static_cast<EventList*>(s)->events.size()); }
v3_result V3_API getEvent(void* s, int32_t i, Event* event) {
    auto* list = static_cast<EventList*>(s);
    if (i < 0 || size_t(i) >= list->events.size() || list->fails[size_t(i)]) return V3_INVALID_ARG;
    *event = list->events[size_t(i)];
    return V3_OK;
}
v3_result V3_API addEvent(void*, Event*) { return V3_NOT_IMPLEMENTED; }
const tamrik::vst3::EventListTable kEventList = {{noInterface, one, one}, eventCount, getEvent, addEvent};

struct Point {
    int32_t offset;
    double value;
    bool fails;
};
struct Queue {
    const void* table;
    v3_param_id id;
    std::vector<Point> points;
    bool missing;  // the changes hand out nullptr for it
};
struct Changes {
    const void* table;
    std::vector<Queue> queues;
};
v3_param_id V3_API queueId(void* s) { return static_cast<Queue*>(s)->id; }
int32_t V3_API pointCount(void* s) { return int32_t(static_cast<Queue*>(s)->points.size()); }
v3_result V3_API getPoint(void* s, int32_t i, int32_t* offset, double* value) {
    auto& points = static_cast<Queue*>(s)->points;
    if (i < 0 || size_t(i) >= points.size() || points[size_t(i)].fails) return V3_INVALID_ARG;
    *offset = points[size_t(i)].offset;
    *value = points[size_t(i)].value;
    return V3_OK;
}
v3_result V3_API addPoint(void*, int32_t, double, int32_t*) { return V3_NOT_IMPLEMENTED; }
const v3_param_value_queue_cpp kQueue = {{noInterface, one, one}, {queueId, pointCount, getPoint, addPoint}};
int32_t V3_API queueCount(void* s) { return int32_t(static_cast<Changes*>(s)->queues.size()); }
v3_param_value_queue** V3_API queueAt(void* s, int32_t i) {
    auto& queues = static_cast<Changes*>(s)->queues;
    if (i < 0 || size_t(i) >= queues.size() || queues[size_t(i)].missing) return nullptr;
    return reinterpret_cast<v3_param_value_queue**>(&queues[size_t(i)]);
}
v3_param_value_queue** V3_API addQueue(void*, v3_param_id*, int32_t*) { return nullptr; }
const v3_param_changes_cpp kChanges = {{noInterface, one, one}, {queueCount, queueAt, addQueue}};

struct Instance {
    v3_component** component;
    v3_audio_processor** processor;
    int32_t buses;
    uint32_t parameters;  // the instrument's, then controller 126 and the program
    bool active[kMaxBuses];
    std::vector<uint8_t> initial;  // its state when made
};

// A host's stream over bytes, to put an instance back as it was made.
struct Bytes {
    const void* table;
    const std::vector<uint8_t>* bytes;
    size_t at;
};
struct StreamTable {
    v3_funknown unknown;
    v3_bstream stream;
};
v3_result V3_API streamRead(void* s, void* buffer, int32_t size, int32_t* done) {
    auto* b = static_cast<Bytes*>(s);
    const size_t n = std::min(size_t(std::max(size, 0)), b->bytes->size() - b->at);
    std::memcpy(buffer, b->bytes->data() + b->at, n);
    b->at += n;
    *done = int32_t(n);
    return V3_OK;
}
v3_result V3_API streamWrite(void* s, void* buffer, int32_t size, int32_t* done) {
    auto* bytes = const_cast<std::vector<uint8_t>*>(static_cast<Bytes*>(s)->bytes);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(buffer), static_cast<uint8_t*>(buffer) + size);
    *done = size;
    return V3_OK;
}
v3_result V3_API streamSeek(void*, int64_t, int32_t, int64_t*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API streamTell(void*, int64_t*) { return V3_NOT_IMPLEMENTED; }
const StreamTable kStream = {{noInterface, one, one}, {streamRead, streamWrite, streamSeek, streamTell}};

Instance makeInstance(const tamrik::binding::Product& product) {
    Instance i{};
    i.component = static_cast<v3_component**>(tamrik::vst3::Vst3Plugin::create(product, v3_component_iid));
    if (!i.component) fail("no instance");
    v3_cpp_obj_initialize(i.component, nullptr);
    if (v3_cpp_obj_query_interface(i.component, v3_audio_processor_iid, &i.processor) != V3_OK) fail("no processor");
    v3_edit_controller** controller = nullptr;
    if (v3_cpp_obj_query_interface(i.component, v3_edit_controller_iid, &controller) != V3_OK) fail("no controller");
    i.parameters = uint32_t(v3_cpp_obj(controller)->get_parameter_count(controller));
    i.buses = v3_cpp_obj(i.component)->get_bus_count(i.component, V3_AUDIO, V3_OUTPUT);
    i.active[0] = true;
    v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, kMaxFrames, 48000.0};
    v3_cpp_obj(i.processor)->setup_processing(i.processor, &setup);
    v3_cpp_obj(i.component)->set_active(i.component, 1);
    Bytes out{&kStream, &i.initial, 0};
    if (v3_cpp_obj(i.component)->get_state(i.component, reinterpret_cast<v3_bstream**>(&out)) != V3_OK)
        fail("no state");
    return i;
}

// Each input starts from the instance as it was made: values, buses, voices.
void restart(Instance& i) {
    Bytes in{&kStream, &i.initial, 0};
    if (v3_cpp_obj(i.component)->set_state(i.component, reinterpret_cast<v3_bstream**>(&in)) != V3_OK)
        fail("its own state refused");
    for (int32_t b = 0; b < i.buses; ++b) {
        v3_cpp_obj(i.component)->activate_bus(i.component, V3_AUDIO, V3_OUTPUT, b, b == 0);
        i.active[b] = b == 0;
    }
    v3_cpp_obj(i.component)->set_active(i.component, 0);
    v3_cpp_obj(i.component)->set_active(i.component, 1);
}

// A float or a double from the input: a plain 0..1 value mostly, else any bits.
template <typename T, typename Bits>
T anyValue(FuzzInput& in) {
    const uint8_t kind = in.byte() % 8;
    if (kind < 4) return T(in.below(1001)) / T(1000);
    if (kind == 4) {
        constexpr T special[] = {std::numeric_limits<T>::quiet_NaN(), std::numeric_limits<T>::infinity(),
                                 -std::numeric_limits<T>::infinity(), T(-0.0), std::numeric_limits<T>::denorm_min(),
                                 std::numeric_limits<T>::max(), std::numeric_limits<T>::lowest(), T(1e30)};
        return special[in.below(8)];
    }
    const Bits bits = in.take<Bits>();
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int32_t anyOffset(FuzzInput& in, int32_t frames) {
    return in.byte() % 4 ? int32_t(in.below(uint32_t(frames) + 4)) : in.take<int32_t>();
}

EventList eventsFrom(FuzzInput& in, int32_t frames) {
    EventList list{&kEventList, {}, {}};
    const uint32_t count = in.below(kMaxEvents + 1);
    for (uint32_t k = 0; k < count; ++k) {
        Event e{};
        const uint8_t kind = in.byte();
        e.type = kind % 4 ? uint16_t(V3_EVENT_NOTE_ON) : uint16_t(in.below(9));
        e.busIndex = kind & 0x80 ? int32_t(in.take<int8_t>()) : 0;
        e.sampleOffset = anyOffset(in, frames);
        e.noteOn.channel = kind & 0x40 ? in.take<int16_t>() : int16_t(in.below(16));
        e.noteOn.pitch = kind & 0x20 ? in.take<int16_t>() : int16_t(in.below(128));
        e.noteOn.velocity = anyValue<float, uint32_t>(in);
        e.noteOn.note_id = in.take<int32_t>();
        list.events.push_back(e);
        list.fails.push_back(in.byte() >= 250);
    }
    return list;
}

Changes changesFrom(FuzzInput& in, const Instance& instance, int32_t frames) {
    Changes changes{&kChanges, {}};
    const uint32_t count = in.below(kMaxQueues + 1);
    for (uint32_t q = 0; q < count; ++q) {
        const uint8_t kind = in.byte();
        const v3_param_id id = kind % 8 ? in.below(instance.parameters + 2) : in.take<uint32_t>();
        Queue queue{&kQueue, id, {}, kind >= 250};
        const uint32_t points = in.below(kMaxPoints + 1);
        for (uint32_t p = 0; p < points; ++p)
            queue.points.push_back({anyOffset(in, frames), anyValue<double, uint64_t>(in), in.byte() >= 250});
        changes.queues.push_back(std::move(queue));
    }
    return changes;
}

bool silent(const float* samples, int32_t frames) {
    for (int32_t k = 0; k < frames; ++k)
        if (samples[k] != 0.0f) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One instance per product for the whole run: each makes its noise tables once.
    static Instance instances[] = {makeInstance(tamrik::binding::drumTamrik()),
                                   makeInstance(tamrik::binding::drumTamrikKit())};
    static std::vector<std::unique_ptr<GuardedBuffer>> samples, pointers;
    static GuardedBuffer busArray(kMaxBuses * sizeof(v3_audio_bus_buffers));
    if (samples.empty())
        for (int32_t k = 0; k < kMaxBuses * kMaxChannels; ++k)
            samples.push_back(std::make_unique<GuardedBuffer>(kMaxFrames * sizeof(float)));
    if (pointers.empty())
        for (int32_t b = 0; b < kMaxBuses; ++b)
            pointers.push_back(std::make_unique<GuardedBuffer>(kMaxChannels * sizeof(float*)));

    FuzzInput in(data, size);
    Instance& instance = instances[in.byte() & 1];
    restart(instance);
    for (int block = 0; block < 5 && !in.empty(); ++block) {
        // Buses switched between blocks, any index; the main bus too.
        for (uint32_t k = in.below(3); k > 0; --k) {
            const int32_t index = int32_t(in.below(kMaxBuses + 2)) - 1;
            const bool state = in.byte() & 1;
            const v3_result r = v3_cpp_obj(instance.component)->activate_bus(instance.component, V3_AUDIO, V3_OUTPUT, index, state);
            if (r == V3_OK) {
                if (index < 0 || index >= instance.buses) fail("a bus it has not was activated");
                instance.active[index] = state;
            }
        }
        const uint8_t shape = in.byte();
        const int32_t frames = shape % 8 == 0 ? 0 : shape % 8 == 1 ? -int32_t(in.below(5)) - 1
                                                                   : int32_t(in.below(kMaxFrames + 1));
        const int32_t valid = std::max(frames, 0);
        const int32_t buses = shape & 0x80 ? int32_t(in.below(kMaxBuses + 1)) : instance.buses;

        auto* busBuffers = static_cast<v3_audio_bus_buffers*>(busArray.last(size_t(buses) * sizeof(v3_audio_bus_buffers)));
        std::vector<float*> handed;  // every channel buffer, to check afterwards
        for (int32_t b = 0; b < buses; ++b) {
            v3_audio_bus_buffers& bus = busBuffers[b];
            bus = {};
            const uint8_t layout = in.byte();
            bus.num_channels = layout % 8 ? 2 : int32_t(in.below(kMaxChannels + 1));
            bus.channel_silence_bitset = in.take<uint64_t>();  // whatever the host left there
            if (layout & 0x80 || bus.num_channels == 0) {
                bus.channel_buffers_32 = nullptr;
                continue;
            }
            auto** channels = static_cast<float**>(pointers[size_t(b)]->last(size_t(bus.num_channels) * sizeof(float*)));
            for (int32_t c = 0; c < bus.num_channels; ++c) {
                float* own = static_cast<float*>(samples[size_t(b * kMaxChannels + c)]->last(size_t(valid) * sizeof(float)));
                const uint8_t pick = in.byte();
                channels[c] = pick < 16 ? nullptr : pick < 32 && !handed.empty() ? handed[in.below(uint32_t(handed.size()))] : own;
                if (channels[c]) {
                    for (int32_t k = 0; k < valid; ++k) channels[c][k] = 1.0f;  // what a host's buffer may hold
                    handed.push_back(channels[c]);
                }
            }
            bus.channel_buffers_32 = channels;
        }

        const uint8_t lists = in.byte();
        EventList events = eventsFrom(in, valid);
        Changes changes = changesFrom(in, instance, valid);
        v3_process_data process{};
        process.process_mode = V3_REALTIME;
        process.symbolic_sample_size = lists >= 250 ? V3_SAMPLE_64 : V3_SAMPLE_32;
        process.nframes = frames;
        process.num_output_buses = buses;
        process.outputs = lists & 1 ? nullptr : busBuffers;
        process.input_events = lists & 2 ? nullptr : reinterpret_cast<v3_event_list**>(&events);
        process.input_params = lists & 4 ? nullptr : reinterpret_cast<v3_param_changes**>(&changes);
        const v3_result result = v3_cpp_obj(instance.processor)->process(instance.processor, &process);
        if (frames < 0 && result == V3_OK) fail("a negative frame count was processed");
        if (result != V3_OK || frames == 0 || !process.outputs) continue;

        for (float* channel : handed)
            for (int32_t k = 0; k < valid; ++k)
                if (!std::isfinite(channel[k])) fail("a sample is not finite");
        for (int32_t b = 0; b < buses; ++b) {
            const v3_audio_bus_buffers& bus = busBuffers[b];
            if (!bus.channel_buffers_32) continue;
            for (int32_t c = 0; c < bus.num_channels; ++c) {
                const float* channel = bus.channel_buffers_32[c];
                if (!channel) continue;
                if (bus.channel_silence_bitset >> c & 1 && !silent(channel, valid)) fail("a channel flagged silent sounds");
                if (b < instance.buses && !instance.active[b] && !silent(channel, valid)) fail("an inactive bus sounds");
            }
        }
    }
    return 0;
}
