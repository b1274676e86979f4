#include "Vst3TestHost.h"

#if !defined(_WIN32)
#include <poll.h>
#endif

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "hosting/SharedLibrary.h"
#include "vst3/Utf16.h"

namespace tamrik::test::vst3 {

namespace {

template <typename T>
T* as(void* self) {
    return static_cast<T*>(self);
}

v3_result V3_API noInterface(void*, const v3_tuid, void** object) {
    *object = nullptr;
    return V3_NO_INTERFACE;
}
uint32_t V3_API one(void*) { return 1; }

// The event list.
uint32_t V3_API eventCount(void* s) { return uint32_t(as<EventList>(s)->events.size()); }
v3_result V3_API getEvent(void* s, int32_t i, Event* event) {
    auto& events = as<EventList>(s)->events;
    if (i < 0 || size_t(i) >= events.size()) return V3_INVALID_ARG;
    *event = events[size_t(i)];
    return V3_OK;
}
v3_result V3_API addEvent(void*, Event*) { return V3_NOT_IMPLEMENTED; }
const tamrik::vst3::EventListTable kEventList = {{noInterface, one, one}, eventCount, getEvent, addEvent};

// A parameter's queue and the changes.
v3_param_id V3_API queueId(void* s) { return as<ParameterQueue>(s)->id; }
int32_t V3_API pointCount(void* s) { return int32_t(as<ParameterQueue>(s)->points.size()); }
v3_result V3_API getPoint(void* s, int32_t i, int32_t* offset, double* value) {
    auto& points = as<ParameterQueue>(s)->points;
    if (i < 0 || size_t(i) >= points.size()) return V3_INVALID_ARG;
    std::tie(*offset, *value) = points[size_t(i)];
    return V3_OK;
}
v3_result V3_API addPoint(void*, int32_t, double, int32_t*) { return V3_NOT_IMPLEMENTED; }
const v3_param_value_queue_cpp kQueue = {{noInterface, one, one}, {queueId, pointCount, getPoint, addPoint}};

int32_t V3_API queueCount(void* s) { return int32_t(as<ParameterChanges>(s)->queues.size()); }
v3_param_value_queue** V3_API queueAt(void* s, int32_t i) {
    auto& queues = as<ParameterChanges>(s)->queues;
    if (i < 0 || size_t(i) >= queues.size()) return nullptr;
    return reinterpret_cast<v3_param_value_queue**>(&queues[size_t(i)]);
}
v3_param_value_queue** V3_API addQueue(void*, v3_param_id*, int32_t*) { return nullptr; }
const v3_param_changes_cpp kChanges = {{noInterface, one, one}, {queueCount, queueAt, addQueue}};

// Memory streams.
struct StreamTable {
    v3_funknown unknown;
    v3_bstream stream;
};
v3_result V3_API streamRead(void* s, void* buffer, int32_t size, int32_t* done) {
    auto* m = as<MemoryStream>(s);
    const size_t n = std::min({size_t(std::max(size, 0)), m->bytes.size() - m->at, m->chunk});
    std::copy_n(m->bytes.data() + m->at, n, static_cast<uint8_t*>(buffer));
    m->at += n;
    if (done) *done = int32_t(n);
    return V3_OK;
}
v3_result V3_API streamWrite(void* s, void* buffer, int32_t size, int32_t* done) {
    auto* m = as<MemoryStream>(s);
    if (m->failWrites) return V3_INTERNAL_ERR;
    const size_t n = std::min(size_t(std::max(size, 0)), m->chunk);
    const auto* from = static_cast<const uint8_t*>(buffer);
    m->bytes.insert(m->bytes.end(), from, from + n);
    if (done) *done = int32_t(n);
    return V3_OK;
}
v3_result V3_API streamSeek(void*, int64_t, int32_t, int64_t*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API streamTell(void* s, int64_t* at) {
    *at = int64_t(as<MemoryStream>(s)->at);
    return V3_OK;
}
const StreamTable kStream = {{noInterface, one, one}, {streamRead, streamWrite, streamSeek, streamTell}};

struct HandlerTable {
    v3_funknown unknown;
    v3_component_handler handler;
};
uint32_t V3_API handlerRef(void* s) { return uint32_t(++as<ComponentHandler>(s)->refs); }
uint32_t V3_API handlerUnref(void* s) { return uint32_t(--as<ComponentHandler>(s)->refs); }
v3_result V3_API beginEdit(void* s, v3_param_id id) {
    as<ComponentHandler>(s)->edits.push_back({Edit::Kind::Begin, id, 0.0});
    return V3_OK;
}
v3_result V3_API performEdit(void* s, v3_param_id id, double value) {
    as<ComponentHandler>(s)->edits.push_back({Edit::Kind::Perform, id, value});
    return V3_OK;
}
v3_result V3_API endEdit(void* s, v3_param_id id) {
    as<ComponentHandler>(s)->edits.push_back({Edit::Kind::End, id, 0.0});
    return V3_OK;
}
v3_result V3_API restart(void* s, int32_t) {
    ++as<ComponentHandler>(s)->restarts;
    return V3_OK;
}
const HandlerTable kHandler = {{noInterface, handlerRef, handlerUnref}, {beginEdit, performEdit, endEdit, restart}};

// The run loop, holding each handler while it is registered.
uint32_t V3_API loopRef(void* s) { return uint32_t(++as<RunLoop>(s)->refs); }
uint32_t V3_API loopUnref(void* s) { return uint32_t(--as<RunLoop>(s)->refs); }
v3_result V3_API registerEventHandler(void* s, v3_event_handler** handler, int fd) {
    if (!handler || fd < 0) return V3_INVALID_ARG;
    auto* loop = as<RunLoop>(s);
    v3_cpp_obj_ref(handler);
    loop->watches.push_back({handler, fd});
    ++loop->registrations;
    return V3_OK;
}
template <typename List, typename Handler>
v3_result unregister(RunLoop& loop, List& list, Handler** handler) {
    const auto found = std::find_if(list.begin(), list.end(), [&](const auto& x) { return x.handler == handler; });
    if (found == list.end()) {
        ++loop.badUnregistrations;
        return V3_INVALID_ARG;
    }
    list.erase(found);
    v3_cpp_obj_unref(handler);
    return V3_OK;
}
v3_result V3_API unregisterEventHandler(void* s, v3_event_handler** handler) {
    return unregister(*as<RunLoop>(s), as<RunLoop>(s)->watches, handler);
}
v3_result V3_API registerTimer(void* s, v3_timer_handler** handler, uint64_t ms) {
    if (!handler || ms == 0) return V3_INVALID_ARG;
    auto* loop = as<RunLoop>(s);
    v3_cpp_obj_ref(handler);
    loop->timers.push_back({handler, ms, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)});
    ++loop->registrations;
    return V3_OK;
}
v3_result V3_API unregisterTimer(void* s, v3_timer_handler** handler) {
    return unregister(*as<RunLoop>(s), as<RunLoop>(s)->timers, handler);
}
const v3_run_loop_cpp kRunLoop = {{noInterface, loopRef, loopUnref},
                                  {registerEventHandler, unregisterEventHandler, registerTimer, unregisterTimer}};

// The frame: itself, and its run loop when offered.
v3_result V3_API frameQuery(void* s, const v3_tuid iid, void** object) {
    auto* frame = as<PlugFrame>(s);
    *object = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_frame_iid))
        *object = frame;
    else if (v3_tuid_match(iid, v3_run_loop_iid) && frame->offerRunLoop)
        *object = &frame->runLoop;
    if (!*object) return V3_NO_INTERFACE;
    static_cast<v3_funknown*>(*static_cast<void**>(*object))->ref(*object);
    return V3_OK;
}
uint32_t V3_API frameRef(void* s) { return uint32_t(++as<PlugFrame>(s)->refs); }
uint32_t V3_API frameUnref(void* s) { return uint32_t(--as<PlugFrame>(s)->refs); }
v3_result V3_API resizeView(void* s, v3_plugin_view** view, v3_view_rect* rect) {
    auto* frame = as<PlugFrame>(s);
    frame->resizes.push_back(*rect);
    if (!frame->grantResizes) return V3_FALSE;
    if (v3_cpp_obj(view)->on_size(view, rect) != V3_OK) ++frame->refusedSizes;
    return V3_OK;
}
const v3_plugin_frame_cpp kFrame = {{frameQuery, frameRef, frameUnref}, {resizeView}};

template <typename T, typename From>
T** query(From** object, const v3_tuid iid) {
    void* out = nullptr;
    if (v3_cpp_obj_query_interface(object, iid, reinterpret_cast<void***>(&out)) != V3_OK) return nullptr;
    return static_cast<T**>(out);
}

}  // namespace

EventList::EventList() : table(&kEventList) {}
EventList::EventList(std::vector<Event> list) : table(&kEventList), events(std::move(list)) {}

ParameterChanges::ParameterChanges() : table(&kChanges) {}

void ParameterChanges::add(v3_param_id id, int32_t offset, double value) {
    auto q = std::find_if(queues.begin(), queues.end(), [id](const ParameterQueue& x) { return x.id == id; });
    if (q == queues.end()) q = queues.insert(queues.end(), ParameterQueue{&kQueue, id, {}});
    q->points.push_back({offset, value});
}

MemoryStream::MemoryStream(std::vector<uint8_t> data, size_t chunkSize)
    : table(&kStream), bytes(std::move(data)), chunk(chunkSize) {}

ComponentHandler::ComponentHandler() : table(&kHandler) {}

size_t ComponentHandler::count(Edit::Kind kind) const {
    return size_t(std::count_if(edits.begin(), edits.end(), [kind](const Edit& e) { return e.kind == kind; }));
}

RunLoop::RunLoop() : table(&kRunLoop) {}

#if !defined(_WIN32)
void RunLoop::runOnce() {
    using Clock = std::chrono::steady_clock;
    auto wait = std::chrono::milliseconds(5);
    for (const Timer& t : timers)
        wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(std::max(t.due - Clock::now(), Clock::duration::zero())));
    const std::vector<Watch> watched = watches;  // a handler may unregister
    std::vector<pollfd> fds;
    for (const Watch& w : watched) fds.push_back({w.fd, POLLIN, 0});
    if (poll(fds.data(), nfds_t(fds.size()), int(wait.count())) > 0) {
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const bool still = std::any_of(watches.begin(), watches.end(), [&](const Watch& w) { return w.handler == watched[i].handler; });
            if (!still) continue;
            ++descriptorCalls;
            v3_cpp_obj(watched[i].handler)->on_fd_is_set(watched[i].handler, watched[i].fd);
        }
    }
    const auto now = Clock::now();
    const std::vector<Timer> due = timers;
    for (const Timer& t : due) {
        const auto at = std::find_if(timers.begin(), timers.end(), [&](const Timer& x) { return x.handler == t.handler; });
        if (at == timers.end() || at->due > now) continue;
        at->due = now + std::chrono::milliseconds(at->periodMs);
        ++timerCalls;
        v3_cpp_obj(t.handler)->on_timer(t.handler);
    }
}
#endif

PlugFrame::PlugFrame() : table(&kFrame) {}

v3_plugin_factory** factoryOf(const std::string& path) {
    static std::map<std::string, std::unique_ptr<hosting::SharedLibrary>> libraries;
    auto& library = libraries[path];
    if (!library) {
        library = hosting::SharedLibrary::open(path);
#if defined(_WIN32)
        auto entry = reinterpret_cast<bool (*)()>(library->symbol("InitDll"));
        if (!entry || !entry()) throw std::runtime_error("InitDll failed: " + path);
#else
        auto entry = reinterpret_cast<bool (*)(void*)>(library->symbol("ModuleEntry"));
        if (!entry || !entry(nullptr)) throw std::runtime_error("ModuleEntry failed: " + path);
#endif
    }
    auto get = reinterpret_cast<v3_plugin_factory** (*)()>(library->symbol("GetPluginFactory"));
    return get ? get() : nullptr;
}

Event noteOn(int32_t offset, int16_t pitch, float velocity, int16_t channel) {
    Event e{};
    e.sampleOffset = offset;
    e.type = V3_EVENT_NOTE_ON;
    e.noteOn = {channel, pitch, 0.0f, velocity, 0, -1};
    return e;
}

Event noteOff(int32_t offset, int16_t pitch) {
    Event e{};
    e.sampleOffset = offset;
    e.type = V3_EVENT_NOTE_OFF;
    e.noteOff = {0, pitch, 0.5f, -1, 0.0f};
    return e;
}

std::string fromUtf16(const int16_t* text) {
    char out[512];
    tamrik::vst3::fromUtf16(text, out, sizeof out);
    return out;
}

Vst3Instance::Vst3Instance(const std::string& path, double rate) {
    v3_plugin_factory** factory = factoryOf(path);
    v3_class_info info{};
    if (!factory || v3_cpp_obj(factory)->get_class_info(factory, 0, &info) != V3_OK)
        throw std::runtime_error("no class");
    void* made = nullptr;
    if (v3_cpp_obj(factory)->create_instance(factory, info.class_id, v3_component_iid, &made) != V3_OK)
        throw std::runtime_error("no instance");
    component = static_cast<v3_component**>(made);
    v3_cpp_obj_initialize(component, nullptr);
    processor = query<v3_audio_processor>(component, v3_audio_processor_iid);
    controller = query<v3_edit_controller>(component, v3_edit_controller_iid);
    units = query<v3_unit_information>(component, v3_unit_information_iid);
    mapping = query<v3_midi_mapping>(component, v3_midi_mapping_iid);
    v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, 16384, rate};
    v3_cpp_obj(processor)->setup_processing(processor, &setup);
    v3_cpp_obj(component)->set_active(component, 1);
    v3_cpp_obj(processor)->set_processing(processor, 1);
}

Vst3Instance::~Vst3Instance() {
    v3_cpp_obj(processor)->set_processing(processor, 0);
    v3_cpp_obj(component)->set_active(component, 0);
    v3_cpp_obj_terminate(component);
    for (void** face : {reinterpret_cast<void**>(processor), reinterpret_cast<void**>(controller),
                        reinterpret_cast<void**>(units), reinterpret_cast<void**>(mapping)})
        if (face) v3_cpp_obj_unref(face);
    v3_cpp_obj_unref(component);
}

int32_t Vst3Instance::outputBuses() const {
    return v3_cpp_obj(component)->get_bus_count(component, V3_AUDIO, V3_OUTPUT);
}

v3_result Vst3Instance::process(float* const* channels, int32_t frames, EventList* events, ParameterChanges* changes,
                                std::vector<uint64_t>* silence) {
    const int32_t buses = outputBuses();
    std::vector<v3_audio_bus_buffers> outputs(static_cast<size_t>(buses));
    for (int32_t b = 0; b < buses; ++b) {
        outputs[size_t(b)].num_channels = channels && channels[2 * b] ? 2 : 0;
        outputs[size_t(b)].channel_buffers_32 = channels ? const_cast<float**>(channels + 2 * b) : nullptr;
    }
    EventList none;
    v3_process_data data{};
    data.process_mode = V3_REALTIME;
    data.symbolic_sample_size = V3_SAMPLE_32;
    data.nframes = frames;
    data.num_output_buses = buses;
    data.outputs = outputs.data();
    data.input_params = changes ? changes->list() : nullptr;
    data.input_events = (events ? events : &none)->list();
    const v3_result result = v3_cpp_obj(processor)->process(processor, &data);
    if (silence) {
        silence->clear();
        for (const auto& bus : outputs) silence->push_back(bus.channel_silence_bitset);
    }
    return result;
}

std::vector<std::vector<float>> Vst3Instance::render(int32_t frames, int32_t block,
                                                     const std::vector<std::pair<int32_t, Event>>& notes,
                                                     const std::vector<std::tuple<int32_t, v3_param_id, double>>& points) {
    const int32_t channels = 2 * outputBuses();
    std::vector<std::vector<float>> out(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames)));
    for (int32_t start = 0; start < frames; start += block) {
        const int32_t n = std::min(block, frames - start);
        EventList events;
        for (const auto& [at, e] : notes)
            if (at >= start && at < start + n) {
                events.events.push_back(e);
                events.events.back().sampleOffset = at - start;
            }
        ParameterChanges changes;
        for (const auto& [at, id, v] : points)
            if (at >= start && at < start + n) changes.add(id, at - start, v);
        std::vector<float*> pointers;
        for (auto& c : out) pointers.push_back(c.data() + start);
        process(pointers.data(), n, &events, &changes);
    }
    return out;
}

std::vector<uint8_t> Vst3Instance::save() const {
    MemoryStream stream;
    if (v3_cpp_obj(component)->get_state(component, stream.stream()) != V3_OK) return {};
    return stream.bytes;
}

v3_result Vst3Instance::load(const std::vector<uint8_t>& bytes, size_t chunk) const {
    MemoryStream stream(bytes, chunk);
    return v3_cpp_obj(component)->set_state(component, stream.stream());
}

std::string Vst3Instance::text(v3_param_id id, double normalized) const {
    v3_str_128 out{};
    if (v3_cpp_obj(controller)->get_parameter_string_for_value(controller, id, normalized, out) != V3_OK) return "?";
    return fromUtf16(out);
}

bool Vst3Instance::value(v3_param_id id, const std::string& text, double* normalized) const {
    int16_t in[128] = {};
    for (size_t i = 0; i < text.size() && i < 127; ++i) in[i] = int16_t(uint8_t(text[i]));
    return v3_cpp_obj(controller)->get_parameter_value_for_string(controller, id, in, normalized) == V3_OK;
}

v3_param_info Vst3Instance::info(int32_t index) const {
    v3_param_info out{};
    v3_cpp_obj(controller)->get_parameter_info(controller, index, &out);
    return out;
}

}  // namespace tamrik::test::vst3
