#include "ClapTestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "LoadedLibrary.h"

namespace tamrik::test::clap {

namespace {

const hosting::SharedLibrary& library() { return LoadedLibrary<hosting::SharedLibrary>(TAMRIK_CLAP_PLUGIN_PATH); }

clap_event_header_t header(uint32_t size, uint32_t time, uint16_t type) {
    return {size, time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

}  // namespace

const clap_plugin_entry_t& clapEntry() {
    static const clap_plugin_entry_t* entry = [] {
        const auto* e = static_cast<const clap_plugin_entry_t*>(library().symbol("clap_entry"));
        if (!e || !e->init(TAMRIK_CLAP_PLUGIN_PATH)) {
            std::fprintf(stderr, "no usable clap_entry\n");
            std::abort();
        }
        return e;
    }();
    return *entry;
}

const clap_plugin_factory_t& clapFactory() {
    return *static_cast<const clap_plugin_factory_t*>(clapEntry().get_factory(CLAP_PLUGIN_FACTORY_ID));
}

AnyEvent noteOn(uint32_t time, int16_t key, double velocity, int16_t channel) {
    AnyEvent e{};
    e.note = {header(sizeof(clap_event_note_t), time, CLAP_EVENT_NOTE_ON), -1, 0, channel, key, velocity};
    return e;
}

AnyEvent noteOff(uint32_t time, int16_t key) {
    AnyEvent e{};
    e.note = {header(sizeof(clap_event_note_t), time, CLAP_EVENT_NOTE_OFF), -1, 0, 0, key, 0.0};
    return e;
}

AnyEvent noteChoke(uint32_t time, int16_t key, int16_t channel) {
    AnyEvent e{};
    e.note = {header(sizeof(clap_event_note_t), time, CLAP_EVENT_NOTE_CHOKE), -1, 0, channel, key, 0.0};
    return e;
}

AnyEvent midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
    AnyEvent e{};
    e.midi = {header(sizeof(clap_event_midi_t), time, CLAP_EVENT_MIDI), 0, {status, data1, data2}};
    return e;
}

AnyEvent paramValue(uint32_t time, clap_id id, double value) {
    AnyEvent e{};
    e.param = {header(sizeof(clap_event_param_value_t), time, CLAP_EVENT_PARAM_VALUE), id, nullptr, -1, -1, -1, -1,
               value};
    return e;
}

InputEvents::InputEvents() : InputEvents(std::vector<AnyEvent>{}) {}

InputEvents::InputEvents(std::vector<AnyEvent> list) : events(std::move(list)) {
    list_.ctx = this;
    list_.size = [](const clap_input_events_t* l) -> uint32_t {
        return uint32_t(static_cast<const InputEvents*>(l->ctx)->events.size());
    };
    list_.get = [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
        const auto& all = static_cast<const InputEvents*>(l->ctx)->events;
        return i < all.size() ? &all[i].header : nullptr;
    };
}

OutputEvents::OutputEvents() {
    list_.ctx = this;
    list_.try_push = [](const clap_output_events_t* l, const clap_event_header_t* event) -> bool {
        auto* self = static_cast<OutputEvents*>(l->ctx);
        if (self->events.size() >= self->capacity || !event || event->size > sizeof(AnyEvent)) return false;
        AnyEvent copy{};
        std::memcpy(copy.bytes, event, event->size);
        self->events.push_back(copy);
        return true;
    };
}

ClapTestHost::ClapTestHost() {
    host_ = {CLAP_VERSION_INIT, this, "tamrik clap test host", "DrumTamrik", "", "1.0",
             &ClapTestHost::getExtension, requestNothing, requestNothing, requestNothing};
}

ClapTestHost* ClapTestHost::self(const clap_host_t* host) { return static_cast<ClapTestHost*>(host->host_data); }

const void* ClapTestHost::getExtension(const clap_host_t* host, const char* extensionId) {
    static const clap_host_params_t params = {
        [](const clap_host_t* h, clap_param_rescan_flags) { ++self(h)->rescans; },
        [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
        [](const clap_host_t* h) { ++self(h)->flushRequests; }};
    static const clap_host_timer_support_t timers = {
        [](const clap_host_t* h, uint32_t, clap_id* id) -> bool {
            ClapTestHost* t = self(h);
            *id = t->nextTimer_++;
            t->timers.push_back(*id);
            ++t->timerRegistrations;
            return true;
        },
        [](const clap_host_t* h, clap_id id) -> bool {
            ClapTestHost* t = self(h);
            const auto found = std::find(t->timers.begin(), t->timers.end(), id);
            if (found == t->timers.end()) {
                ++t->badUnregistrations;
                return false;
            }
            t->timers.erase(found);
            return true;
        }};
    static const clap_host_thread_check_t threads = {
        [](const clap_host_t* h) -> bool { return std::this_thread::get_id() == self(h)->mainThread_; },
        [](const clap_host_t* h) -> bool { return std::this_thread::get_id() != self(h)->mainThread_; }};
    static const clap_host_state_t state = {[](const clap_host_t*) {}};
    ClapTestHost* t = self(host);
    if (!extensionId) return nullptr;
    if (std::strcmp(extensionId, CLAP_EXT_PARAMS) == 0) return t->offerParams ? &params : nullptr;
    if (std::strcmp(extensionId, CLAP_EXT_TIMER_SUPPORT) == 0) return t->offerTimers ? &timers : nullptr;
    if (std::strcmp(extensionId, CLAP_EXT_THREAD_CHECK) == 0) return &threads;
    if (std::strcmp(extensionId, CLAP_EXT_STATE) == 0) return &state;
    return nullptr;
}

void ClapTestHost::runTimers(const clap_plugin_t* plugin) {
    const auto* support =
        static_cast<const clap_plugin_timer_support_t*>(plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT));
    for (clap_id id : std::vector<clap_id>(timers)) support->on_timer(plugin, id);
}

ClapInstance::ClapInstance(const char* id) {
    plugin_ = clapFactory().create_plugin(&clapFactory(), host_.host(), id);
    if (!plugin_ || !plugin_->init(plugin_)) throw std::runtime_error(std::string("cannot make ") + id);
}

ClapInstance::~ClapInstance() {
    deactivate();
    plugin_->destroy(plugin_);
}

bool ClapInstance::activate(double rate, uint32_t maxFrames) {
    deactivate();
    active_ = plugin_->activate(plugin_, rate, 1, maxFrames);
    if (active_) plugin_->start_processing(plugin_);
    return active_;
}

void ClapInstance::deactivate() {
    if (!active_) return;
    plugin_->stop_processing(plugin_);
    plugin_->deactivate(plugin_);
    active_ = false;
}

clap_process_status ClapInstance::process(float* left, float* right, uint32_t frames, const InputEvents& in,
                                          OutputEvents* out) {
    float* channels[2] = {left, right};
    return processPorts(channels, 1, frames, in, out);
}

clap_process_status ClapInstance::processPorts(float* const* channels, uint32_t ports, uint32_t frames,
                                               const InputEvents& in, OutputEvents* out) {
    OutputEvents ignored;
    std::vector<clap_audio_buffer_t> outputs(ports);
    for (uint32_t k = 0; k < ports; ++k) outputs[k] = {const_cast<float**>(channels + 2 * k), nullptr, 2, 0, 0};
    clap_process_t p{};
    p.steady_time = -1;
    p.frames_count = frames;
    p.transport = nullptr;
    p.audio_outputs = outputs.data();
    p.audio_outputs_count = ports;
    p.in_events = in.list();
    p.out_events = out ? out->list() : ignored.list();
    return plugin_->process(plugin_, &p);
}

std::vector<float> ClapInstance::render(uint32_t frames, uint32_t block,
                                        std::vector<std::pair<uint32_t, AnyEvent>> events) {
    return renderPorts(1, frames, block, std::move(events))[0];
}

std::vector<std::vector<float>> ClapInstance::renderPorts(uint32_t ports, uint32_t frames, uint32_t block,
                                                          std::vector<std::pair<uint32_t, AnyEvent>> events,
                                                          std::vector<clap_process_status>* statuses) {
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::vector<float>> out(2 * ports), buffers(2 * ports, std::vector<float>(block));
    std::vector<float*> channels;
    for (auto& b : buffers) channels.push_back(b.data());
    size_t next = 0;
    for (uint32_t start = 0; start < frames; start += block) {
        const uint32_t n = std::min(block, frames - start);
        InputEvents in;
        for (; next < events.size() && events[next].first < start + n; ++next) {
            AnyEvent e = events[next].second;
            e.header.time = events[next].first - start;
            in.events.push_back(e);
        }
        const clap_process_status status = processPorts(channels.data(), ports, n, in);
        if (statuses) statuses->push_back(status);
        for (size_t c = 0; c < out.size(); ++c) out[c].insert(out[c].end(), buffers[c].begin(), buffers[c].begin() + n);
    }
    return out;
}

double ClapInstance::value(clap_id id) const {
    double v = -1.0;
    params().get_value(plugin_, id, &v);
    return v;
}

std::vector<uint8_t> ClapInstance::save() const {
    MemoryOut out;
    if (!state().save(plugin_, &out.stream)) return {};
    return out.bytes;
}

bool ClapInstance::load(const std::vector<uint8_t>& bytes, size_t chunk) const {
    MemoryIn in(bytes, chunk);
    return state().load(plugin_, &in.stream);
}

MemoryOut::MemoryOut(size_t c) : chunk(c) {
    stream.ctx = this;
    stream.write = [](const clap_ostream_t* s, const void* data, uint64_t size) -> int64_t {
        auto* self = static_cast<MemoryOut*>(s->ctx);
        if (self->failAfter >= 0 && int64_t(self->bytes.size()) >= self->failAfter) return -1;
        const size_t n = size_t(std::min<uint64_t>(size, self->chunk));
        const auto* p = static_cast<const uint8_t*>(data);
        self->bytes.insert(self->bytes.end(), p, p + n);
        return int64_t(n);
    };
}

MemoryIn::MemoryIn(std::vector<uint8_t> data, size_t c) : bytes(std::move(data)), chunk(c) {
    stream.ctx = this;
    stream.read = [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
        auto* self = static_cast<MemoryIn*>(s->ctx);
        const size_t left = self->bytes.size() - self->at;
        if (left == 0) return self->failAtEnd ? -1 : 0;
        const size_t n = size_t(std::min<uint64_t>({size, self->chunk, uint64_t(left)}));
        std::memcpy(buffer, self->bytes.data() + self->at, n);
        self->at += n;
        return int64_t(n);
    };
}

}  // namespace tamrik::test::clap
