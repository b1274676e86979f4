// The VST 2 binding of an instrument: it answers the host's opcodes and
// entries by asking the instrument it holds (synth/Instrument.h), and knows
// nothing of sound. Identity, counts, pins, parameter texts, programs and
// state all come from the instrument, so one class serves every instrument
// of ours.
//
// Threads: each operation says which host thread may call it; the
// instrument's own contract (synth/Instrument.h) is what makes that safe.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "binding/BlockRunner.h"
#include "synth/Instrument.h"
#include "vst/AudioEffectX.h"

namespace tamrik {

class AVstXSynth : public vst::AudioEffectX {
public:
    // The editor is made by whoever links one in, so that neither the
    // binding nor the engine depends on the GUI; without a factory the
    // instrument has no editor.
    using EditorFactory = vst::AEffEditor* (*)(vst::AudioEffect* effect);

    // UI thread: the library's entry constructs, effClose destroys.
    AVstXSynth(vst::audioMasterCallback master, std::unique_ptr<Instrument> instrument,
               EditorFactory makeEditor = nullptr);
    ~AVstXSynth() override;

    // Audio thread, one call at a time. A block's events come before its
    // audio and play at their frames. The audio calls do nothing unless the
    // host hands a pointer for every output channel.
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    int32_t processEvents(vst::VstEvents* events) override;

    // Any thread, also while another thread renders or calls these.
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void setProgram(int32_t program) override;
    int32_t getProgram() override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool getParameterProperties(int32_t index, vst::VstParameterProperties* properties) override;
    bool getOutputProperties(int32_t index, vst::VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override;
    int32_t canDo(char* text) override;

    // UI thread; setSampleRate also while the audio thread renders.
    void setSampleRate(float sampleRate) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    // A new run of the host's audio: nothing sounds on from before, whatever
    // channel the instrument listens to.
    void resume() override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool copyProgram(int32_t destination) override;
    // Only for instruments that keep the session as state
    // (effFlagsProgramChunks); the bytes stay valid until the next call.
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;

    Instrument& instrument() { return *instrument_; }
    const Instrument& instrument() const { return *instrument_; }

private:
    bool hasEveryOutput(float** outputs, int32_t sampleFrames) const;

    std::unique_ptr<Instrument> instrument_;
    binding::BlockRunner runner_;
    std::vector<uint8_t> chunk_;
};

}  // namespace tamrik
