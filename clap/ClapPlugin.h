// One CLAP plug-in instance: the clap_plugin_t record a host holds, around
// one format-blind instrument. It only translates: a block's events (CLAP
// note-ons and chokes, MIDI bytes on the one note port, parameter values)
// go to the block runner, which plays each at its sample; the parameters
// are the binding layer's facts in CLAP's records; the state is the
// instrument's own bytes; the editor's changes go back to the host as
// parameter events. Activation and the host's reset silence everything.
//
// A CLAP note-on's velocity v (0 to 1) becomes the MIDI velocity
// RoundEven(v x 127), the product formed in double and limited to 0..127
// (NaN counts as 0): 1.0 gives 127, 0.5 gives 64, and each MIDI velocity
// sent as k / 127 comes back as k. A note-choke ends what its key plays on
// an instrument that has chokes (the Kit's pads on that key fade).
//
// Threads, as CLAP assigns them: process, reset, start/stop_processing and
// (while active) params flush on the audio thread, where nothing allocates,
// locks or calls the host; everything else on the main thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "binding/BlockRunner.h"
#include "binding/ParameterFacts.h"
#include "clap/ClapApi.h"
#include "clap/ClapEditor.h"
#include "clap/EditorChanges.h"
#include "clap/PluginFactory.h"
#include "synth/Instrument.h"

namespace tamrik::clap {

class ClapPlugin {
public:
    // nullptr when the host is missing or of an incompatible CLAP version,
    // or memory runs out. Makes no call to the host.
    static const clap_plugin_t* create(const PluginKind& kind, const clap_host_t* host);

    static ClapPlugin* of(const clap_plugin_t* plugin);

    // Main thread.
    bool init();
    bool activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    void deactivate() { active_ = false; }

    // Audio thread.
    void reset();
    clap_process_status process(const clap_process_t* process);
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);

    const void* extension(const char* id) const;

    // Extensions' calls (main thread).
    uint32_t audioPortCount(bool isInput) const;
    bool audioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) const;
    uint32_t notePortCount(bool isInput) const { return isInput ? 1 : 0; }
    bool notePortInfo(uint32_t index, bool isInput, clap_note_port_info_t* info) const;
    bool parameterInfo(uint32_t index, clap_param_info_t* info) const;
    bool parameterValue(clap_id id, double* value) const;
    bool saveState(const clap_ostream_t* stream) const;
    bool loadState(const clap_istream_t* stream);

    const binding::ParameterFacts& parameters() const { return parameters_; }
    ClapEditor& editor() { return editor_; }
    const clap_plugin_t* record() const { return &record_; }

private:
    ClapPlugin(const PluginKind& kind, const clap_host_t* host, std::unique_ptr<Instrument> instrument);

    // Queues one of the host's events for the coming block of `frames`.
    void queueEvent(const clap_event_header_t& event, uint32_t frames);
    void queueEvents(const clap_input_events_t* in, uint32_t frames);
    void sendEditorChanges(const clap_output_events_t* out);

    static constexpr int32_t kMaxChannels = binding::BlockRunner::kMaxChannels;

    clap_plugin_t record_;
    const clap_host_t* host_;
    const clap_host_params_t* hostParams_ = nullptr;
    std::unique_ptr<Instrument> instrument_;
    binding::ParameterFacts parameters_;
    binding::BlockRunner runner_;
    EditorChanges editorChanges_;
    ClapEditor editor_;
    bool active_ = false;
};

}  // namespace tamrik::clap
