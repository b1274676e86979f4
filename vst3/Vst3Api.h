// The VST 3 interfaces as this binding uses them: the plain-struct headers
// (through <travesty/...>, the only folder of that package on the include
// path) plus what they leave to us.
//
// In C++ those structs leave out the three FUnknown slots of each table,
// so a host object called through one lands in query_interface. Host
// objects are therefore always called through v3_cpp_obj() (which skips
// the slots) or through the full tables below, and our own objects hand
// out full tables.
//
// 32-bit Windows hosts pack the note-expression members of the event union
// to 4 bytes, which makes their event 40 bytes where the headers' is 48;
// read with the headers' layout every note-on there has the wrong velocity.
// Event is the layout hosts use, on every target. Every struct the host
// and the plug-in share is checked here, per target, size and offsets.
#pragma once

#include <cstddef>
#include <cstdint>

#include <travesty/audio_processor.h>
#include <travesty/base.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/events.h>
#include <travesty/factory.h>
#include <travesty/host.h>
#include <travesty/unit.h>
#include <travesty/view.h>

namespace tamrik::vst3 {

inline constexpr bool kWindows32 =
#if defined(_WIN32) && !defined(_WIN64)
    true;
#else
    false;
#endif

#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 4)
#endif
struct NoteExpressionValue {
    uint32_t typeId;
    int32_t noteId;
    double value;
};
struct Event {
    int32_t busIndex;
    int32_t sampleOffset;
    double ppqPosition;
    uint16_t flags;
    uint16_t type;
    union {
        v3_event_note_on noteOn;
        v3_event_note_off noteOff;
        v3_event_data data;
        v3_event_poly_pressure polyPressure;
        v3_event_chord chord;
        v3_event_scale scale;
        v3_event_legacy_midi_cc_out midiCcOut;
        NoteExpressionValue noteExpressionValue;
        v3_event_note_expression_text noteExpressionText;
    };
};
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(pop)
#endif

// A host's event list, its table whole, with get_event taking our layout.
struct EventListTable {
    v3_funknown unknown;
    uint32_t(V3_API* getEventCount)(void* self);
    v3_result(V3_API* getEvent)(void* self, int32_t index, Event* event);
    v3_result(V3_API* addEvent)(void* self, Event* event);
};

// Our objects' tables: the FUnknown slots, then each interface's own.
struct ComponentTable {
    v3_funknown unknown;
    v3_plugin_base base;
    v3_component component;
};
struct ProcessorTable {
    v3_funknown unknown;
    v3_audio_processor processor;
};
struct ControllerTable {
    v3_funknown unknown;
    v3_plugin_base base;
    v3_edit_controller controller;
};
struct UnitInfoTable {
    v3_funknown unknown;
    v3_unit_information units;
};
struct MidiMappingTable {
    v3_funknown unknown;
    v3_midi_mapping mapping;
};
struct ContextRequirementsTable {
    v3_funknown unknown;
    v3_process_context_requirements requirements;
};
struct FactoryTable {
    v3_funknown unknown;
    v3_plugin_factory factory;
    v3_plugin_factory_2 factory2;
    v3_plugin_factory_3 factory3;
};

// The editor's: the view, its content scale, and the run loop's two
// handlers (Linux).
struct ViewTable {
    v3_funknown unknown;
    v3_plugin_view view;
};
struct ContentScaleTable {
    v3_funknown unknown;
    v3_plugin_view_content_scale scale;
};
struct EventHandlerTable {
    v3_funknown unknown;
    v3_event_handler handler;
};
struct TimerHandlerTable {
    v3_funknown unknown;
    v3_timer_handler handler;
};

// What this binding hears and says.
inline constexpr v3_speaker_arrangement kStereo = V3_SPEAKER_L | V3_SPEAKER_R;
inline constexpr uint32_t kInfiniteTail = 0xFFFFFFFFu;

// Tables are pointers only: one per method, FUnknown's three first.
constexpr size_t kSlot = sizeof(void*);
static_assert(sizeof(ComponentTable) == 14 * kSlot && sizeof(ProcessorTable) == 11 * kSlot);
static_assert(sizeof(ControllerTable) == 18 * kSlot && sizeof(UnitInfoTable) == 15 * kSlot);
static_assert(sizeof(MidiMappingTable) == 4 * kSlot && sizeof(ContextRequirementsTable) == 4 * kSlot);
static_assert(sizeof(FactoryTable) == 10 * kSlot && sizeof(EventListTable) == 6 * kSlot);
static_assert(offsetof(FactoryTable, factory2) == 7 * kSlot && offsetof(FactoryTable, factory3) == 8 * kSlot);
static_assert(sizeof(ViewTable) == 15 * kSlot && sizeof(ContentScaleTable) == 4 * kSlot);
static_assert(sizeof(EventHandlerTable) == 4 * kSlot && sizeof(TimerHandlerTable) == 4 * kSlot);
static_assert(sizeof(v3_run_loop_cpp) == 7 * kSlot && sizeof(v3_plugin_frame_cpp) == 4 * kSlot);
static_assert(sizeof(v3_view_rect) == 16);

// The shared records, per target.
static_assert(offsetof(Event, sampleOffset) == 4 && offsetof(Event, ppqPosition) == 8);
static_assert(offsetof(Event, flags) == 16 && offsetof(Event, type) == 18);
static_assert(offsetof(v3_event_note_on, channel) == 0 && offsetof(v3_event_note_on, pitch) == 2);
static_assert(offsetof(v3_event_note_on, velocity) == 8 && sizeof(v3_event_note_on) == 20);
static_assert(sizeof(v3_param_info) == 792 && offsetof(v3_param_info, step_count) == 772);
static_assert(offsetof(v3_param_info, default_normalised_value) == 776 && offsetof(v3_param_info, flags) == 788);
static_assert(sizeof(v3_bus_info) == 276 && offsetof(v3_bus_info, bus_type) == 268);
static_assert(sizeof(v3_process_setup) == 24 && offsetof(v3_process_setup, sample_rate) == 16);
static_assert(sizeof(v3_factory_info) == 452 && sizeof(v3_class_info) == 116);
static_assert(sizeof(v3_class_info_2) == 440 && sizeof(v3_class_info_3) == 696);
static_assert(sizeof(v3_unit_info) == 268 && sizeof(v3_program_list_info) == 264);
static_assert(sizeof(v3_audio_bus_buffers) == 24 && offsetof(v3_audio_bus_buffers, channel_silence_bitset) == 8);
static_assert(offsetof(v3_audio_bus_buffers, channel_buffers_32) == 16);
static_assert(offsetof(v3_process_data, nframes) == 8 && offsetof(v3_process_data, num_output_buses) == 16);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(Event) == 40 && offsetof(Event, noteOn) == 20);
static_assert(sizeof(v3_process_data) == 48 && offsetof(v3_process_data, outputs) == 24);
static_assert(offsetof(v3_process_data, input_params) == 28 && offsetof(v3_process_data, input_events) == 36);
#else
static_assert(sizeof(Event) == 48 && offsetof(Event, noteOn) == 24 && sizeof(Event) == sizeof(v3_event));
static_assert(sizeof(v3_process_data) == 80 && offsetof(v3_process_data, outputs) == 32);
static_assert(offsetof(v3_process_data, input_params) == 40 && offsetof(v3_process_data, input_events) == 56);
#endif

}  // namespace tamrik::vst3
