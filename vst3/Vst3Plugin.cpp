#include "vst3/Vst3Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "binding/SessionState.h"
#include "common/FloatingPointGuard.h"
#include "common/RoundEven.h"
#include "vst3/StateStream.h"
#include "vst3/Utf16.h"
#include "vst3/Vst3View.h"

namespace tamrik::vst3 {

namespace {

Vst3Plugin* self(void* face) { return static_cast<Vst3Plugin::Face*>(face)->owner; }

v3_result V3_API queryInterface(void* s, const v3_tuid iid, void** object) { return self(s)->query(iid, object); }
uint32_t V3_API addRef(void* s) { return self(s)->ref(); }
uint32_t V3_API release(void* s) { return self(s)->unref(); }
constexpr v3_funknown kUnknown = {queryInterface, addRef, release};

v3_result V3_API initialize(void*, v3_funknown**) { return V3_OK; }
v3_result V3_API terminate(void*) { return V3_OK; }
constexpr v3_plugin_base kBase = {initialize, terminate};

// IComponent.
v3_result V3_API controllerClassId(void*, v3_tuid) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API setIoMode(void*, int32_t) { return V3_OK; }
int32_t V3_API busCount(void* s, int32_t media, int32_t direction) { return self(s)->busCount(media, direction); }
v3_result V3_API busInfo(void* s, int32_t media, int32_t direction, int32_t index, v3_bus_info* info) {
    return self(s)->busInfo(media, direction, index, info);
}
v3_result V3_API routingInfo(void*, v3_routing_info*, v3_routing_info*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API activateBus(void* s, int32_t media, int32_t direction, int32_t index, v3_bool state) {
    return self(s)->activateBus(media, direction, index, state != 0);
}
v3_result V3_API setActive(void* s, v3_bool state) { return self(s)->setActive(state != 0); }
v3_result V3_API setState(void* s, v3_bstream** stream) { return self(s)->setState(stream); }
v3_result V3_API getState(void* s, v3_bstream** stream) { return self(s)->getState(stream); }
constexpr ComponentTable kComponent = {
    kUnknown, kBase,
    {controllerClassId, setIoMode, busCount, busInfo, routingInfo, activateBus, setActive, setState, getState}};

// IAudioProcessor.
v3_result V3_API setArrangements(void* s, v3_speaker_arrangement* inputs, int32_t inputCount,
                                 v3_speaker_arrangement* outputs, int32_t outputCount) {
    return self(s)->setArrangements(inputs, inputCount, outputs, outputCount);
}
v3_result V3_API arrangement(void* s, int32_t direction, int32_t index, v3_speaker_arrangement* arrangement) {
    return self(s)->arrangement(direction, index, arrangement);
}
v3_result V3_API canProcessSampleSize(void*, int32_t size) { return size == V3_SAMPLE_32 ? V3_OK : V3_FALSE; }
uint32_t V3_API latency(void*) { return 0; }
v3_result V3_API setupProcessing(void* s, v3_process_setup* setup) { return self(s)->setup(setup); }
v3_result V3_API setProcessing(void*, v3_bool) { return V3_OK; }
v3_result V3_API process(void* s, v3_process_data* data) { return self(s)->process(data); }
uint32_t V3_API tail(void*) { return kInfiniteTail; }  // a note may come at any time
constexpr ProcessorTable kProcessor = {
    kUnknown,
    {setArrangements, arrangement, canProcessSampleSize, latency, setupProcessing, setProcessing, process, tail}};

// IEditController. The controller is the component: its state is the
// component's, already loaded when the host hands it over again.
v3_result V3_API setComponentState(void*, v3_bstream**) { return V3_OK; }
v3_result V3_API setControllerState(void*, v3_bstream**) { return V3_OK; }
v3_result V3_API getControllerState(void*, v3_bstream**) { return V3_OK; }
int32_t V3_API parameterCount(void* s) { return self(s)->parameterCount(); }
v3_result V3_API parameterInfo(void* s, int32_t index, v3_param_info* info) {
    return self(s)->parameterInfo(index, info);
}
v3_result V3_API textForValue(void* s, v3_param_id id, double normalized, v3_str_128 text) {
    return self(s)->textForValue(id, normalized, text);
}
v3_result V3_API valueForText(void* s, v3_param_id id, int16_t* text, double* normalized) {
    return self(s)->valueForText(id, text, normalized);
}
double V3_API toPlain(void* s, v3_param_id id, double normalized) { return self(s)->toPlain(id, normalized); }
double V3_API toNormalized(void* s, v3_param_id id, double plain) { return self(s)->toNormalized(id, plain); }
double V3_API getNormalized(void* s, v3_param_id id) { return self(s)->normalized(id); }
v3_result V3_API setNormalized(void* s, v3_param_id id, double value) { return self(s)->setNormalized(id, value); }
v3_result V3_API setHandler(void* s, v3_component_handler** handler) { return self(s)->setHandler(handler); }
v3_plugin_view** V3_API createView(void* s, const char* name) { return self(s)->createView(name); }
constexpr ControllerTable kController = {
    kUnknown, kBase,
    {setComponentState, setControllerState, getControllerState, parameterCount, parameterInfo, textForValue,
     valueForText, toPlain, toNormalized, getNormalized, setNormalized, setHandler, createView}};

// IUnitInfo.
int32_t V3_API unitCount(void* s) { return self(s)->unitCount(); }
v3_result V3_API unitInfo(void* s, int32_t index, v3_unit_info* info) { return self(s)->unitInfo(index, info); }
int32_t V3_API programListCount(void* s) { return self(s)->programListCount(); }
v3_result V3_API programListInfo(void* s, int32_t index, v3_program_list_info* info) {
    return self(s)->programListInfo(index, info);
}
v3_result V3_API programName(void* s, int32_t list, int32_t index, v3_str_128 name) {
    return self(s)->programName(list, index, name);
}
v3_result V3_API programInfo(void*, int32_t, int32_t, const char*, v3_str_128) { return V3_FALSE; }
v3_result V3_API hasPitchNames(void*, int32_t, int32_t) { return V3_FALSE; }
v3_result V3_API pitchName(void*, int32_t, int32_t, int16_t, v3_str_128) { return V3_FALSE; }
int32_t V3_API selectedUnit(void*) { return 0; }
v3_result V3_API selectUnit(void*, int32_t) { return V3_OK; }
v3_result V3_API unitByBus(void*, int32_t, int32_t, int32_t, int32_t, int32_t*) { return V3_FALSE; }
v3_result V3_API programData(void*, int32_t, int32_t, v3_bstream**) { return V3_NOT_IMPLEMENTED; }
constexpr UnitInfoTable kUnits = {kUnknown,
                                  {unitCount, unitInfo, programListCount, programListInfo, programName, programInfo,
                                   hasPitchNames, pitchName, selectedUnit, selectUnit, unitByBus, programData}};

v3_result V3_API midiAssignment(void* s, int32_t bus, int16_t channel, int16_t controller, v3_param_id* id) {
    return self(s)->midiAssignment(bus, channel, controller, id);
}
constexpr MidiMappingTable kMapping = {kUnknown, {midiAssignment}};

uint32_t V3_API contextRequirements(void*) { return 0; }  // the sound needs no transport
constexpr ContextRequirementsTable kRequirements = {kUnknown, {contextRequirements}};

uint8_t midiVelocity(double velocity) {
    const int32_t v = roundEven(velocity * 127.0);  // NaN gives INT32_MIN
    return uint8_t(std::clamp(v, 0, 127));
}

bool isAudioOut(int32_t media, int32_t direction) { return media == V3_AUDIO && direction == V3_OUTPUT; }
bool isEventIn(int32_t media, int32_t direction) { return media == V3_EVENT && direction == V3_INPUT; }

}  // namespace

void* Vst3Plugin::create(const binding::Product& product, const v3_tuid iid) {
    Vst3Plugin* plugin = nullptr;
    try {
        plugin = new Vst3Plugin(product, binding::makeInstrument(product));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    void* object = nullptr;
    plugin->query(iid, &object);
    plugin->unref();  // the one reference is now the interface's, or none
    return object;
}

Vst3Plugin::Vst3Plugin(const binding::Product& product, std::unique_ptr<Instrument> instrument)
    : component_{&kComponent, this},
      processor_{&kProcessor, this},
      controller_{&kController, this},
      units_{&kUnits, this},
      mapping_{&kMapping, this},
      requirements_{&kRequirements, this},
      product_(product),
      instrument_(std::move(instrument)),
      facts_(*instrument_),
      runner_(*instrument_) {
    busActive_[0] = true;
}

Vst3Plugin::~Vst3Plugin() { setHandler(nullptr); }

v3_result Vst3Plugin::query(const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    Face* face = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) ||
        v3_tuid_match(iid, v3_component_iid))
        face = &component_;
    else if (v3_tuid_match(iid, v3_audio_processor_iid))
        face = &processor_;
    else if (v3_tuid_match(iid, v3_edit_controller_iid))
        face = &controller_;
    else if (v3_tuid_match(iid, v3_unit_information_iid))
        face = &units_;
    else if (v3_tuid_match(iid, v3_midi_mapping_iid))
        face = &mapping_;
    else if (v3_tuid_match(iid, v3_process_context_requirements_iid))
        face = &requirements_;
    *object = face;
    if (!face) return V3_NO_INTERFACE;
    ref();
    return V3_OK;
}

uint32_t Vst3Plugin::unref() {
    const uint32_t left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

int32_t Vst3Plugin::busCount(int32_t media, int32_t direction) const {
    return isAudioOut(media, direction) ? outputBuses() : isEventIn(media, direction) ? 1 : 0;
}

v3_result Vst3Plugin::busInfo(int32_t media, int32_t direction, int32_t index, v3_bus_info* info) const {
    if (!info || index < 0 || index >= busCount(media, direction)) return V3_INVALID_ARG;
    *info = {};
    info->media_type = media;
    info->direction = direction;
    info->bus_type = index == 0 ? V3_MAIN : V3_AUX;
    info->flags = index == 0 ? V3_DEFAULT_ACTIVE : 0;
    char name[32];
    if (media == V3_EVENT) {
        info->channel_count = 16;
        std::snprintf(name, sizeof name, "Notes");
    } else {
        info->channel_count = 2;
        if (index == 0)
            std::snprintf(name, sizeof name, "Main");
        else
            std::snprintf(name, sizeof name, "Aux %d", int(index));
    }
    toUtf16(name, info->bus_name, 128);
    return V3_OK;
}

v3_result Vst3Plugin::activateBus(int32_t media, int32_t direction, int32_t index, bool state) {
    if (index < 0 || index >= busCount(media, direction)) return V3_INVALID_ARG;
    if (media == V3_AUDIO) busActive_[size_t(index)] = state;
    return V3_OK;
}

// Activation starts a new run: nothing sounds on from before.
v3_result Vst3Plugin::setActive(bool state) {
    if (state) {
        runner_.clear();
        instrument_->allSoundOff();
    }
    return V3_OK;
}

v3_result Vst3Plugin::setState(v3_bstream** stream) {
    const auto bytes = readAll(stream, binding::kStateLimit);
    if (!bytes || !binding::loadState(*instrument_, bytes->data(), bytes->size())) return V3_FALSE;
    if (handler_) v3_cpp_obj(handler_)->restart_component(handler_, V3_RESTART_PARAM_VALUES_CHANGED);
    return V3_OK;
}

v3_result Vst3Plugin::getState(v3_bstream** stream) const {
    const auto bytes = binding::saveState(*instrument_);
    return bytes && writeAll(stream, bytes->data(), bytes->size()) ? V3_OK : V3_FALSE;
}

v3_result Vst3Plugin::setArrangements(const v3_speaker_arrangement* inputs, int32_t inputCount,
                                      const v3_speaker_arrangement* outputs, int32_t outputCount) const {
    if (inputCount != 0 || outputCount != outputBuses() || (outputCount > 0 && !outputs)) return V3_FALSE;
    (void)inputs;
    for (int32_t b = 0; b < outputCount; ++b)
        if (outputs[b] != kStereo) return V3_FALSE;
    return V3_OK;
}

v3_result Vst3Plugin::arrangement(int32_t direction, int32_t index, v3_speaker_arrangement* arrangement) const {
    if (!arrangement || direction != V3_OUTPUT || index < 0 || index >= outputBuses()) return V3_INVALID_ARG;
    *arrangement = kStereo;
    return V3_OK;
}

v3_result Vst3Plugin::setup(const v3_process_setup* setup) {
    if (!setup || setup->symbolic_sample_size != V3_SAMPLE_32) return V3_FALSE;
    const auto rate = static_cast<float>(setup->sample_rate);
    if (!(rate > 0.0f) || !std::isfinite(rate)) return V3_FALSE;
    instrument_->setSampleRate(rate);
    return V3_OK;
}

v3_result Vst3Plugin::process(v3_process_data* data) {
    if (!data || data->nframes < 0) return V3_INVALID_ARG;
    if (data->symbolic_sample_size != V3_SAMPLE_32) return V3_FALSE;
    const FloatingPointGuard fp;  // the velocity's rounding, whatever the host's mode
    const auto frames = uint32_t(data->nframes);
    const bool silentBefore = !instrument_->sounding();
    queueParameters(data->input_params, frames);
    // The host's list through its whole table, in the hosts' event layout.
    const bool notes = queueNotes(reinterpret_cast<EventListTable**>(data->input_events), frames);
    if (frames == 0) {  // a parameter flush: values only
        runner_.run(nullptr, 0);
        return V3_OK;
    }

    float* outputs[binding::BlockRunner::kMaxChannels] = {};
    const int32_t buses = std::min({outputBuses(), kMaxBuses, data->outputs ? data->num_output_buses : 0});
    for (int32_t b = 0; b < buses; ++b) {
        const v3_audio_bus_buffers& bus = data->outputs[b];
        if (!busActive_[size_t(b)] || bus.num_channels < 2 || !bus.channel_buffers_32) continue;
        outputs[2 * b] = bus.channel_buffers_32[0];
        outputs[2 * b + 1] = bus.channel_buffers_32[1];
    }
    runner_.run(outputs, frames);

    // Silence flags: a block that began silent with no note in it stayed so;
    // otherwise each channel says for itself. Buffers of an inactive bus
    // carry silence.
    for (int32_t b = 0; data->outputs && b < data->num_output_buses; ++b) {
        v3_audio_bus_buffers& bus = data->outputs[b];
        uint64_t silent = 0;
        for (int32_t c = 0; c < bus.num_channels && c < 64; ++c) {
            float* out = bus.channel_buffers_32 ? bus.channel_buffers_32[c] : nullptr;
            const bool heard = b < buses && c < 2 && outputs[2 * b + c] == out && out;
            if (!heard) {
                if (out) std::memset(out, 0, sizeof(float) * frames);
                silent |= uint64_t(1) << c;
            } else if (silentBefore && !notes) {
                silent |= uint64_t(1) << c;
            } else if (std::all_of(out, out + frames, [](float s) { return s == 0.0f; })) {
                silent |= uint64_t(1) << c;
            }
        }
        bus.channel_silence_bitset = silent;
    }
    return V3_OK;
}

// Every point of every queue at its own frame; a point beyond the block
// after the block's sound.
void Vst3Plugin::queueParameters(v3_param_changes** changes, uint32_t frames) {
    if (!changes || !*changes) return;
    const int32_t count = v3_cpp_obj(changes)->get_param_count(changes);
    for (int32_t q = 0; q < count; ++q) {
        v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, q);
        if (!queue || !*queue) continue;
        const v3_param_id id = v3_cpp_obj(queue)->get_param_id(queue);
        if (!facts_.has(id) && id != midiParameter()) continue;
        const int32_t points = v3_cpp_obj(queue)->get_point_count(queue);
        for (int32_t p = 0; p < points; ++p) {
            int32_t offset = 0;
            double value = 0.0;
            if (v3_cpp_obj(queue)->get_point(queue, p, &offset, &value) != V3_OK) continue;
            const uint32_t frame = std::min(uint32_t(std::max(offset, 0)), frames);
            if (id == midiParameter()) {
                const uint8_t message[3] = {0xB0, 126, midiVelocity(value)};
                runner_.midi(std::min(frame, frames > 0 ? frames - 1 : 0), message, sizeof message);
            } else if (const auto v = facts_.toInstrument(id, toPlain(id, value))) {
                runner_.parameter(frame, int32_t(id), *v);
            }
        }
    }
}

// Note-ons at their frame (one beyond the block at its last); true when
// there was one.
bool Vst3Plugin::queueNotes(EventListTable** events, uint32_t frames) {
    if (!events || !*events || frames == 0) return false;
    bool any = false;
    const uint32_t count = (*events)->getEventCount(events);
    for (uint32_t i = 0; i < count; ++i) {
        Event event{};
        if ((*events)->getEvent(events, int32_t(i), &event) != V3_OK || event.type != V3_EVENT_NOTE_ON) continue;
        const uint32_t frame = std::min(uint32_t(std::max(event.sampleOffset, 0)), frames - 1);
        runner_.noteOn(frame, event.noteOn.channel, event.noteOn.pitch, midiVelocity(event.noteOn.velocity));
        any = true;
    }
    return any;
}

int32_t Vst3Plugin::steps(v3_param_id id) const {
    if (id == programParameter()) return std::max(instrument_->programCount() - 1, 0);
    if (id == midiParameter()) return 127;
    return facts_.steps(id);
}

v3_result Vst3Plugin::parameterInfo(int32_t index, v3_param_info* info) const {
    if (!info || index < 0 || index >= parameterCount()) return V3_INVALID_ARG;
    *info = {};
    const auto id = v3_param_id(index);
    info->param_id = id;
    info->step_count = steps(id);
    char text[128];
    if (id == midiParameter()) {
        toUtf16("MIDI CC 126", info->title, 128);
        toUtf16("CC126", info->short_title, 128);
        info->flags = V3_PARAM_IS_HIDDEN;
        return V3_OK;
    }
    if (id == programParameter()) {
        toUtf16("Program", info->title, 128);
        toUtf16("Prg", info->short_title, 128);
        info->flags = V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_LIST | V3_PARAM_CAN_AUTOMATE;
        return V3_OK;
    }
    instrument_->parameterName(index, text, sizeof text);
    toUtf16(text, info->title, 128);
    instrument_->parameterShortName(index, text, sizeof text);
    toUtf16(text, info->short_title, 128);
    instrument_->parameterLabel(index, text, sizeof text);
    toUtf16(text, info->units, 128);
    info->default_normalised_value = toNormalized(id, facts_.defaultValue(id));
    info->unit_id = instrument_->parameterGroup(index) + 1;
    info->flags = V3_PARAM_CAN_AUTOMATE | (info->step_count > 1 ? V3_PARAM_IS_LIST : 0);
    return V3_OK;
}

v3_result Vst3Plugin::textForValue(v3_param_id id, double normalized, int16_t* text) const {
    if (!text) return V3_INVALID_ARG;
    char out[128];
    if (id == programParameter()) {
        instrument_->programName(int32_t(std::lround(toPlain(id, normalized))), out, sizeof out);
    } else if (id == midiParameter()) {
        std::snprintf(out, sizeof out, "%d", int(midiVelocity(normalized)));
    } else if (!facts_.toText(id, toPlain(id, normalized), out, sizeof out)) {
        return V3_INVALID_ARG;
    }
    toUtf16(out, text, 128);
    return V3_OK;
}

v3_result Vst3Plugin::valueForText(v3_param_id id, const int16_t* text, double* normalized) const {
    if (!text || !normalized || !facts_.has(id)) return V3_INVALID_ARG;
    char in[256];
    fromUtf16(text, in, sizeof in);
    const auto plain = facts_.fromText(id, in);
    if (!plain) return V3_FALSE;
    *normalized = toNormalized(id, *plain);
    return V3_OK;
}

// A stepped parameter's plain value is its choice number, the nearest.
double Vst3Plugin::toPlain(v3_param_id id, double normalized) const {
    const int32_t n = steps(id);
    if (n <= 0) return normalized;
    return std::clamp(std::round(normalized * n), 0.0, double(n));
}

double Vst3Plugin::toNormalized(v3_param_id id, double plain) const {
    const int32_t n = steps(id);
    return n <= 0 ? plain : std::clamp(plain / n, 0.0, 1.0);
}

double Vst3Plugin::normalized(v3_param_id id) const {
    if (id == programParameter()) return toNormalized(id, instrument_->currentProgram());
    if (!facts_.has(id)) return 0.0;
    return toNormalized(id, facts_.fromInstrument(id, instrument_->getParameter(int32_t(id))));
}

// The host's controller side: the instrument takes the value at once (its
// values are relaxed atomics), the program change only here.
v3_result Vst3Plugin::setNormalized(v3_param_id id, double value) {
    if (id == programParameter()) {
        const auto program = int32_t(toPlain(id, value));
        if (program != instrument_->currentProgram()) instrument_->setProgram(program);
        return V3_OK;
    }
    if (!facts_.has(id)) return id == midiParameter() ? V3_OK : V3_INVALID_ARG;
    const auto v = facts_.toInstrument(id, toPlain(id, value));
    if (!v) return V3_INVALID_ARG;
    instrument_->setParameter(int32_t(id), *v);
    return V3_OK;
}

v3_result Vst3Plugin::setHandler(v3_component_handler** handler) {
    if (handler) v3_cpp_obj_ref(handler);
    if (handler_) v3_cpp_obj_unref(handler_);
    handler_ = handler;
    return V3_OK;
}

v3_plugin_view** Vst3Plugin::createView(const char* name) {
    return name && std::strcmp(name, "editor") == 0 ? Vst3View::create(*this) : nullptr;
}

v3_result Vst3Plugin::unitInfo(int32_t index, v3_unit_info* info) const {
    if (!info || index < 0 || index >= unitCount()) return V3_INVALID_ARG;
    *info = {};
    info->id = index;
    info->parent_unit_id = index == 0 ? -1 : 0;
    info->program_list_id = index == 0 && programListCount() > 0 ? kProgramList : -1;
    char name[128] = "Root";
    if (index > 0) instrument_->groupName(index - 1, name, sizeof name);
    toUtf16(name, info->name, 128);
    return V3_OK;
}

v3_result Vst3Plugin::programListInfo(int32_t index, v3_program_list_info* info) const {
    if (!info || index != 0 || programListCount() == 0) return V3_INVALID_ARG;
    *info = {};
    info->id = kProgramList;
    toUtf16("Programs", info->name, 128);
    info->programCount = instrument_->programCount();
    return V3_OK;
}

v3_result Vst3Plugin::programName(int32_t list, int32_t index, int16_t* name) const {
    if (!name || list != kProgramList || index < 0 || index >= instrument_->programCount()) return V3_INVALID_ARG;
    char text[128];
    instrument_->programName(index, text, sizeof text);
    toUtf16(text, name, 128);
    return V3_OK;
}

v3_result Vst3Plugin::midiAssignment(int32_t bus, int16_t, int16_t controller, v3_param_id* id) const {
    if (!id || bus != 0 || controller != 126) return V3_FALSE;
    *id = midiParameter();
    return V3_OK;
}

}  // namespace tamrik::vst3
