// One VST 3 instance: the component (IComponent, IAudioProcessor) and its
// edit controller (IEditController, IUnitInfo, IMidiMapping) are this one
// object around one format-blind instrument. They are not split as the
// format would have them because the Kit's panel works on the instance
// itself (pad names, auditions, hit lights), which a controller apart from
// the processor would have no way to reach; the host finds the controller
// by asking the component for it (get_controller_class_id says there is no
// separate class). Its editor is a Vst3View on the same object.
//
// It only translates: note-ons at their sample offset, every point of
// every parameter queue at its own, and controller 126 (mapped through
// IMidiMapping to a hidden parameter) go to the block runner; parameters
// are the binding layer's facts; the state is the instrument's own bytes.
//
// Values: a parameter's normalized value is the instrument's own 0..1
// value; for a list or switch with stepCount n that is choice k as k / n.
// A VST 3 note-on's velocity v becomes RoundEven(v x 127) limited to
// 0..127. Note-offs are ignored. Outputs: bus 0 "Main", then "Aux 1" ..
// "Aux 8" (the Kit), stereo only; an auxiliary is inactive until the host
// activates it, and what is routed to an inactive bus is rendered to
// scratch and not heard, as with a missing buffer in the other formats.
//
// Threads, as the format assigns them: process on the audio thread, where
// nothing allocates, locks, logs or waits; everything else on the main
// thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "binding/BlockRunner.h"
#include "binding/ParameterFacts.h"
#include "binding/Products.h"
#include "synth/Instrument.h"
#include "vst3/Vst3Api.h"

namespace tamrik::vst3 {

class Vst3Plugin {
public:
    // An interface's pointer as the host holds it: a table and its owner.
    struct Face {
        const void* table;
        Vst3Plugin* owner;
    };

    // A new instance with one reference, answering `iid`; nullptr (and
    // nothing made) for an interface it has not, or when memory runs out.
    static void* create(const binding::Product& product, const v3_tuid iid);

    // The parameters beyond the instrument's: controller 126, hidden, and
    // the program change.
    uint32_t midiParameter() const { return facts_.count(); }
    uint32_t programParameter() const { return facts_.count() + 1; }

    // FUnknown.
    v3_result query(const v3_tuid iid, void** object);
    uint32_t ref() { return refs_.fetch_add(1) + 1; }
    uint32_t unref();

    // IComponent.
    int32_t busCount(int32_t media, int32_t direction) const;
    v3_result busInfo(int32_t media, int32_t direction, int32_t index, v3_bus_info* info) const;
    v3_result activateBus(int32_t media, int32_t direction, int32_t index, bool state);
    v3_result setActive(bool state);
    v3_result setState(v3_bstream** stream);
    v3_result getState(v3_bstream** stream) const;

    // IAudioProcessor.
    v3_result setArrangements(const v3_speaker_arrangement* inputs, int32_t inputCount,
                              const v3_speaker_arrangement* outputs, int32_t outputCount) const;
    v3_result arrangement(int32_t direction, int32_t index, v3_speaker_arrangement* arrangement) const;
    v3_result setup(const v3_process_setup* setup);
    v3_result process(v3_process_data* data);

    // IEditController.
    int32_t parameterCount() const { return int32_t(facts_.count()) + 2; }
    v3_result parameterInfo(int32_t index, v3_param_info* info) const;
    v3_result textForValue(v3_param_id id, double normalized, int16_t* text) const;
    v3_result valueForText(v3_param_id id, const int16_t* text, double* normalized) const;
    double toPlain(v3_param_id id, double normalized) const;
    double toNormalized(v3_param_id id, double plain) const;
    double normalized(v3_param_id id) const;
    v3_result setNormalized(v3_param_id id, double normalized);
    v3_result setHandler(v3_component_handler** handler);

    // IUnitInfo: the root, then a unit per parameter group (a pad).
    int32_t unitCount() const { return instrument_->groupCount() + 1; }
    v3_result unitInfo(int32_t index, v3_unit_info* info) const;
    int32_t programListCount() const { return instrument_->programCount() > 0 ? 1 : 0; }
    v3_result programListInfo(int32_t index, v3_program_list_info* info) const;
    v3_result programName(int32_t list, int32_t index, int16_t* name) const;

    // IMidiMapping.
    v3_result midiAssignment(int32_t bus, int16_t channel, int16_t controller, v3_param_id* id) const;

    // What the editor works on: the product, the instrument, its parameters
    // and the host's component handler (null until the host gives one).
    const binding::Product& product() const { return product_; }
    Instrument& instrument() { return *instrument_; }
    const binding::ParameterFacts& facts() const { return facts_; }
    v3_component_handler** handler() const { return handler_; }
    // A new editor with one reference for the view named "editor", else nullptr.
    v3_plugin_view** createView(const char* name);

private:
    Vst3Plugin(const binding::Product& product, std::unique_ptr<Instrument> instrument);
    ~Vst3Plugin();

    int32_t outputBuses() const { return instrument_->outputCount() / 2; }
    int32_t steps(v3_param_id id) const;
    void queueParameters(v3_param_changes** changes, uint32_t frames);
    bool queueNotes(EventListTable** events, uint32_t frames);
    static constexpr int32_t kProgramList = 1;
    static constexpr int32_t kMaxBuses = binding::BlockRunner::kMaxChannels / 2;

    Face component_, processor_, controller_, units_, mapping_, requirements_;
    std::atomic<uint32_t> refs_{1};
    const binding::Product& product_;
    std::unique_ptr<Instrument> instrument_;
    binding::ParameterFacts facts_;
    binding::BlockRunner runner_;
    v3_component_handler** handler_ = nullptr;
    std::array<bool, kMaxBuses> busActive_{};
};

}  // namespace tamrik::vst3
