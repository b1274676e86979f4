#include "clap/ClapPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "binding/SessionState.h"
#include "clap/StateStream.h"
#include "common/FloatingPointGuard.h"
#include "common/RoundEven.h"
#include "common/StringCopy.h"

namespace tamrik::clap {

namespace {

ClapPlugin* self(const clap_plugin_t* plugin) { return ClapPlugin::of(plugin); }

// The record's entries and each extension's, forwarded to the instance.

bool CLAP_ABI pluginInit(const clap_plugin_t* p) { return self(p)->init(); }
void CLAP_ABI pluginDestroy(const clap_plugin_t* p) { delete self(p); }
bool CLAP_ABI pluginActivate(const clap_plugin_t* p, double rate, uint32_t minFrames, uint32_t maxFrames) {
    return self(p)->activate(rate, minFrames, maxFrames);
}
void CLAP_ABI pluginDeactivate(const clap_plugin_t* p) { self(p)->deactivate(); }
bool CLAP_ABI pluginStartProcessing(const clap_plugin_t*) { return true; }
void CLAP_ABI pluginStopProcessing(const clap_plugin_t*) {}
void CLAP_ABI pluginReset(const clap_plugin_t* p) { self(p)->reset(); }
clap_process_status CLAP_ABI pluginProcess(const clap_plugin_t* p, const clap_process_t* process) {
    return self(p)->process(process);
}
const void* CLAP_ABI pluginExtension(const clap_plugin_t* p, const char* id) { return self(p)->extension(id); }
void CLAP_ABI pluginOnMainThread(const clap_plugin_t*) {}

uint32_t CLAP_ABI audioPortsCount(const clap_plugin_t* p, bool isInput) { return self(p)->audioPortCount(isInput); }
bool CLAP_ABI audioPortsGet(const clap_plugin_t* p, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
    return self(p)->audioPortInfo(index, isInput, info);
}
const clap_plugin_audio_ports_t kAudioPorts = {audioPortsCount, audioPortsGet};

uint32_t CLAP_ABI notePortsCount(const clap_plugin_t* p, bool isInput) { return self(p)->notePortCount(isInput); }
bool CLAP_ABI notePortsGet(const clap_plugin_t* p, uint32_t index, bool isInput, clap_note_port_info_t* info) {
    return self(p)->notePortInfo(index, isInput, info);
}
const clap_plugin_note_ports_t kNotePorts = {notePortsCount, notePortsGet};

uint32_t CLAP_ABI paramsCount(const clap_plugin_t* p) { return self(p)->parameters().count(); }
bool CLAP_ABI paramsInfo(const clap_plugin_t* p, uint32_t index, clap_param_info_t* info) {
    return self(p)->parameterInfo(index, info);
}
bool CLAP_ABI paramsValue(const clap_plugin_t* p, clap_id id, double* value) {
    return self(p)->parameterValue(id, value);
}
bool CLAP_ABI paramsValueToText(const clap_plugin_t* p, clap_id id, double value, char* text, uint32_t size) {
    return self(p)->parameters().toText(id, value, text, size);
}
bool CLAP_ABI paramsTextToValue(const clap_plugin_t* p, clap_id id, const char* text, double* value) {
    if (!value) return false;
    const auto parsed = self(p)->parameters().fromText(id, text);
    if (parsed) *value = *parsed;
    return parsed.has_value();
}
void CLAP_ABI paramsFlush(const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
    self(p)->flush(in, out);
}
const clap_plugin_params_t kParams = {paramsCount, paramsInfo, paramsValue, paramsValueToText, paramsTextToValue,
                                      paramsFlush};

bool CLAP_ABI stateSave(const clap_plugin_t* p, const clap_ostream_t* stream) { return self(p)->saveState(stream); }
bool CLAP_ABI stateLoad(const clap_plugin_t* p, const clap_istream_t* stream) { return self(p)->loadState(stream); }
const clap_plugin_state_t kState = {stateSave, stateLoad};

bool CLAP_ABI guiIsApiSupported(const clap_plugin_t*, const char* api, bool floating) {
    return ClapEditor::supports(api, floating);
}
bool CLAP_ABI guiPreferredApi(const clap_plugin_t*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = ClapEditor::api();
    *floating = false;
    return true;
}
bool CLAP_ABI guiCreate(const clap_plugin_t* p, const char* api, bool floating) {
    return self(p)->editor().create(api, floating);
}
void CLAP_ABI guiDestroy(const clap_plugin_t* p) { self(p)->editor().destroy(); }
bool CLAP_ABI guiSetScale(const clap_plugin_t* p, double scale) { return self(p)->editor().setScale(scale); }
bool CLAP_ABI guiSize(const clap_plugin_t* p, uint32_t* width, uint32_t* height) {
    return self(p)->editor().size(width, height);
}
bool CLAP_ABI guiCanResize(const clap_plugin_t*) { return false; }
bool CLAP_ABI guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool CLAP_ABI guiAdjustSize(const clap_plugin_t* p, uint32_t* width, uint32_t* height) {
    return self(p)->editor().size(width, height);
}
bool CLAP_ABI guiSetSize(const clap_plugin_t* p, uint32_t width, uint32_t height) {
    return self(p)->editor().setSize(width, height);
}
bool CLAP_ABI guiSetParent(const clap_plugin_t* p, const clap_window_t* window) {
    return self(p)->editor().setParent(window);
}
bool CLAP_ABI guiSetTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void CLAP_ABI guiSuggestTitle(const clap_plugin_t*, const char*) {}
bool CLAP_ABI guiShow(const clap_plugin_t* p) { return self(p)->editor().show(); }
bool CLAP_ABI guiHide(const clap_plugin_t* p) { return self(p)->editor().hide(); }
const clap_plugin_gui_t kGui = {guiIsApiSupported, guiPreferredApi, guiCreate,     guiDestroy,      guiSetScale,
                                guiSize,           guiCanResize,    guiResizeHints, guiAdjustSize,  guiSetSize,
                                guiSetParent,      guiSetTransient, guiSuggestTitle, guiShow,       guiHide};

void CLAP_ABI timerTick(const clap_plugin_t* p, clap_id timer) { self(p)->editor().onTimer(timer); }
const clap_plugin_timer_support_t kTimerSupport = {timerTick};

// The event of that type, when the header says it is whole.
template <typename T>
const T* eventAs(const clap_event_header_t& event) {
    return event.size >= sizeof(T) ? reinterpret_cast<const T*>(&event) : nullptr;
}

uint8_t midiVelocity(double velocity) {
    const int32_t v = roundEven(velocity * 127.0);  // NaN gives INT32_MIN
    return uint8_t(std::clamp(v, 0, 127));
}

}  // namespace

const clap_plugin_t* ClapPlugin::create(const PluginKind& kind, const clap_host_t* host) {
    if (!host || !clap_version_is_compatible(host->clap_version)) return nullptr;
    try {
        auto* plugin = new ClapPlugin(kind, host, binding::makeInstrument(*kind.product));
        return &plugin->record_;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

ClapPlugin::ClapPlugin(const PluginKind& kind, const clap_host_t* host, std::unique_ptr<Instrument> instrument)
    : record_{&kind.descriptor,     this,           pluginInit,          pluginDestroy,
              pluginActivate,       pluginDeactivate, pluginStartProcessing, pluginStopProcessing,
              pluginReset,          pluginProcess,  pluginExtension,     pluginOnMainThread},
      host_(host),
      instrument_(std::move(instrument)),
      parameters_(*instrument_),
      runner_(*instrument_),
      editor_(host, *kind.product, *instrument_, parameters_, editorChanges_) {}

ClapPlugin* ClapPlugin::of(const clap_plugin_t* plugin) { return static_cast<ClapPlugin*>(plugin->plugin_data); }

bool ClapPlugin::init() {
    hostParams_ = hostExtension<clap_host_params_t>(host_, CLAP_EXT_PARAMS);
    return instrument_->outputCount() <= kMaxChannels;
}

bool ClapPlugin::activate(double sampleRate, uint32_t, uint32_t) {
    const auto rate = static_cast<float>(sampleRate);
    if (!(rate > 0.0f) || !std::isfinite(rate)) return false;
    instrument_->setSampleRate(rate);
    reset();  // a new run: nothing sounds on from before
    active_ = true;
    return true;
}

void ClapPlugin::reset() {
    runner_.clear();
    instrument_->allSoundOff();
}

const void* ClapPlugin::extension(const char* id) const {
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kAudioPorts;
    if (std::strcmp(id, CLAP_EXT_NOTE_PORTS) == 0) return &kNotePorts;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kGui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kTimerSupport;
    return nullptr;
}

clap_process_status ClapPlugin::process(const clap_process_t* p) {
    if (!p) return CLAP_PROCESS_ERROR;
    const FloatingPointGuard fp;  // the velocity's rounding, whatever the host's mode
    const uint32_t frames = p->frames_count;
    float* outputs[kMaxChannels] = {};
    const int32_t channelCount = std::min(instrument_->outputCount(), kMaxChannels);
    for (int32_t c = 0; c < channelCount; ++c) {
        const uint32_t port = uint32_t(c / 2), channel = uint32_t(c % 2);
        if (!p->audio_outputs || port >= p->audio_outputs_count) continue;
        clap_audio_buffer_t& buffer = p->audio_outputs[port];
        if (buffer.data32 && channel < buffer.channel_count) outputs[c] = buffer.data32[channel];
        buffer.constant_mask = 0;
    }
    queueEvents(p->in_events, frames);
    runner_.run(outputs, frames);
    sendEditorChanges(p->out_events);
    return instrument_->sounding() ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_SLEEP;
}

void ClapPlugin::queueEvents(const clap_input_events_t* in, uint32_t frames) {
    if (!in || !in->size || !in->get) return;
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count; ++i)
        if (const clap_event_header_t* event = in->get(in, i)) queueEvent(*event, frames);
}

// A note beyond the block is taken at its last frame; a value beyond it
// after the block's sound.
void ClapPlugin::queueEvent(const clap_event_header_t& event, uint32_t frames) {
    if (event.space_id != CLAP_CORE_EVENT_SPACE_ID) return;
    const uint32_t time = std::min(event.time, frames > 0 ? frames - 1 : 0);
    switch (event.type) {
        case CLAP_EVENT_NOTE_ON:
            if (const auto* note = eventAs<clap_event_note_t>(event))
                runner_.noteOn(time, note->channel, note->key, midiVelocity(note->velocity));
            return;
        case CLAP_EVENT_NOTE_CHOKE:
            if (const auto* note = eventAs<clap_event_note_t>(event)) runner_.choke(time, note->key, note->channel);
            return;
        case CLAP_EVENT_MIDI:
            if (const auto* midi = eventAs<clap_event_midi_t>(event)) runner_.midi(time, midi->data, sizeof midi->data);
            return;
        case CLAP_EVENT_PARAM_VALUE:
            if (const auto* change = eventAs<clap_event_param_value_t>(event))
                if (const auto value = parameters_.toInstrument(change->param_id, change->value))
                    runner_.parameter(std::min(event.time, frames), int32_t(change->param_id), *value);
            return;
        default:  // note-offs, expressions, modulation, transport, sysex, MIDI 2
            return;
    }
}

// Values only: a flush comes between blocks and plays no note.
void ClapPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
    if (in && in->size && in->get) {
        const uint32_t count = in->size(in);
        for (uint32_t i = 0; i < count; ++i)
            if (const clap_event_header_t* event = in->get(in, i); event && event->type == CLAP_EVENT_PARAM_VALUE)
                queueEvent(*event, 0);
    }
    runner_.run(nullptr, 0);
    sendEditorChanges(out);
}

void ClapPlugin::sendEditorChanges(const clap_output_events_t* out) {
    if (!out || !out->try_push) return;
    editorChanges_.drain([out](const EditorChange& change) {
        if (change.kind == EditorChange::Kind::Value) {
            clap_event_param_value_t event{};
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
            event.param_id = change.id;
            event.cookie = nullptr;
            event.note_id = -1;
            event.port_index = -1;
            event.channel = -1;
            event.key = -1;
            event.value = change.value;
            return out->try_push(out, &event.header);
        }
        clap_event_param_gesture_t event{};
        const uint16_t type = change.kind == EditorChange::Kind::Begin ? uint16_t(CLAP_EVENT_PARAM_GESTURE_BEGIN)
                                                                       : uint16_t(CLAP_EVENT_PARAM_GESTURE_END);
        event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
        event.param_id = change.id;
        return out->try_push(out, &event.header);
    });
}

uint32_t ClapPlugin::audioPortCount(bool isInput) const {
    return isInput ? 0 : uint32_t(instrument_->outputCount() / 2);
}

bool ClapPlugin::audioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) const {
    if (!info || index >= audioPortCount(isInput)) return false;
    *info = {};
    info->id = index;
    if (index == 0)
        copyString(info->name, "Main", sizeof info->name);
    else
        std::snprintf(info->name, sizeof info->name, "Aux %u", unsigned(index));
    info->flags = index == 0 ? uint32_t(CLAP_AUDIO_PORT_IS_MAIN) : 0u;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

bool ClapPlugin::notePortInfo(uint32_t index, bool isInput, clap_note_port_info_t* info) const {
    if (!info || index >= notePortCount(isInput)) return false;
    *info = {};
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
    copyString(info->name, "Notes", sizeof info->name);
    return true;
}

bool ClapPlugin::parameterInfo(uint32_t index, clap_param_info_t* out) const {
    if (!out || !parameters_.has(index)) return false;
    *out = {};
    out->id = index;
    out->flags = uint32_t(CLAP_PARAM_IS_AUTOMATABLE) | (parameters_.steps(index) > 0 ? uint32_t(CLAP_PARAM_IS_STEPPED) : 0u);
    out->cookie = nullptr;
    instrument_->parameterName(int32_t(index), out->name, sizeof out->name);
    const int32_t group = instrument_->parameterGroup(int32_t(index));
    if (group >= 0) instrument_->groupName(group, out->module, sizeof out->module);
    out->min_value = 0.0;
    out->max_value = parameters_.maximum(index);
    out->default_value = parameters_.defaultValue(index);
    return true;
}

bool ClapPlugin::parameterValue(clap_id id, double* value) const {
    if (!value || !parameters_.has(id)) return false;
    *value = parameters_.fromInstrument(id, instrument_->getParameter(int32_t(id)));
    return true;
}

bool ClapPlugin::saveState(const clap_ostream_t* stream) const {
    const auto bytes = binding::saveState(*instrument_);
    return bytes && writeAll(stream, bytes->data(), bytes->size());
}

bool ClapPlugin::loadState(const clap_istream_t* stream) {
    const auto bytes = readAll(stream, binding::kStateLimit);
    if (!bytes || !binding::loadState(*instrument_, bytes->data(), bytes->size())) return false;
    if (hostParams_ && hostParams_->rescan) hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

}  // namespace tamrik::clap
