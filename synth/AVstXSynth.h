// The instrument as the host sees it: identity, 22 parameters, 32 programs,
// capabilities and pins, and the audio and event entries, which it hands to
// the engine (SynthParameters for values, DrumVoices for the sound). It is
// the only class here that knows the plug-in format.
//
// Threads: each operation says which host thread may call it. The audio
// thread calls the audio entries one at a time; parameter and program
// changes may come from any thread at once (automation played back on the
// audio thread while the UI switches programs), so the program number and
// the sample rate are relaxed atomics, each read once per call.
#pragma once

#include <cstddef>
#include <memory>

#include "synth/DrumVoices.h"
#include "synth/Parameters.h"
#include "synth/VstXSynthProgram.h"
#include "vst/AudioEffectX.h"

namespace tamrik {

class AVstXSynth : public vst::AudioEffectX {
public:
    static constexpr int32_t kNumPrograms = 32;
    static constexpr int32_t kUniqueId = vst::CCONST('T', 'm', 'R', 'k');

    // The editor is made by whoever links one in, so that the engine never
    // depends on the GUI; without a factory the instrument has no editor.
    using EditorFactory = vst::AEffEditor* (*)(AVstXSynth* synth);

    // UI thread: the library's entry constructs, effClose destroys.
    explicit AVstXSynth(vst::audioMasterCallback master, EditorFactory makeEditor = nullptr);
    ~AVstXSynth() override;

    // Audio thread, one call at a time.
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    int32_t processEvents(vst::VstEvents* events) override;
    // One MIDI message from a binding that delivers raw bytes, with the
    // meaning processEvents gives a VST MIDI event.
    void receiveMidi(const uint8_t* bytes, size_t size, int32_t deltaFrames);

    // Any thread, also while another thread renders or calls these. Values
    // are stored as given, except NaN and infinities, which change nothing.
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void setProgram(int32_t program) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool getOutputProperties(int32_t index, vst::VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override { return 1; }
    int32_t canDo(char* text) override;

    // UI thread; setSampleRate also while the audio thread renders.
    void setSampleRate(float sampleRate) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void resume() override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool copyProgram(int32_t destination) override;

    const SynthParameters& parameters() const { return params; }
    const DrumVoices& voices() const { return engine; }

private:
    static bool isProgramNumber(int32_t n) { return n >= 0 && n < kNumPrograms; }

    SynthParameters params;
    DrumVoices engine{params};
    std::unique_ptr<VstXSynthProgram> programs[kNumPrograms];
};

}  // namespace tamrik
