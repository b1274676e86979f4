// The base effect behind the plug-in record: it owns the record, the host
// callback, the sample rate and block size, the program and parameter counts
// and the editor object. Its dispatcher serves opcodes 0 to 24; every request
// becomes a virtual operation with a default answer, and an effect overrides
// only what it serves.
#pragma once

#include "common/Shared.h"
#include "vst/AEffect.h"
#include "vst/AEffEditor.h"

namespace vst {

class AudioEffect {
public:
    AudioEffect(audioMasterCallback master, int32_t programs, int32_t params);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    AEffect* getAeffect() { return &cEffect; }
    // Attaches (and takes ownership of) the editor; sets or clears effFlagsHasEditor.
    void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() const { return editor; }

    // Threads, as hosts call them. The dispatcher's opcodes come on the host's
    // UI (main) thread, except effProcessEvents (audio thread, before each
    // block); the audio entries on the audio thread, one call at a time;
    // setParameter and getParameter from any thread, also while another
    // renders. A UI-thread call may overlap the audio thread unless said.

    // UI thread (effSetSampleRate, effSetBlockSize), also while the audio
    // thread renders.
    virtual void setSampleRate(float newSampleRate) { sampleRate.set(newSampleRate); }
    virtual void setBlockSize(int32_t newBlockSize) { blockSize.set(newBlockSize); }
    // Any thread: the host's automation on the audio thread, the editor and
    // the host's UI on theirs.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    // UI thread (the editor): sets the parameter, then tells the host
    // (audioMasterAutomate).
    virtual void setParameterAutomated(int32_t index, float value);
    // Audio thread.
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/, int32_t /*frames*/) {}
    // The thread of the opcode (see above).
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);
    // UI thread, while nothing renders: effOpen after the entry, effClose last.
    virtual void open() {}
    virtual void close() {}
    // Any thread (hosts switch programs from the UI while automation plays).
    virtual int32_t getProgram() { return curProgram.get(); }
    virtual void setProgram(int32_t program) { curProgram.set(program); }
    // UI thread.
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* /*name*/) {}
    // Any thread (hosts show values from wherever they automate).
    virtual void getParameterLabel(int32_t /*index*/, char* /*label*/) {}
    virtual void getParameterDisplay(int32_t /*index*/, char* /*text*/) {}
    virtual void getParameterName(int32_t /*index*/, char* /*text*/) {}
    // UI thread.
    virtual float getVu() { return 0.0f; }
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }
    // UI thread (effMainsChanged), with the audio thread stopped: hosts switch
    // processing off before suspend and on after resume.
    virtual void suspend() {}
    virtual void resume() {}
    // The constructor's thread, before the host sees the record.
    virtual void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
    virtual void hasVu(bool state) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state) { setFlag(effFlagsCanMono, state); }
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    virtual void setRealtimeQualities(int32_t qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(int32_t qualities) { cEffect.offQualities = qualities; }
    virtual void setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }
    // Requests to the host, on the thread that makes them.
    virtual int32_t getMasterVersion();
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);

    float getSampleRate() const { return sampleRate.get(); }
    int32_t getBlockSize() const { return blockSize.get(); }

protected:
    void setFlag(int32_t bit, bool state);
    // One request to the host; 0 without a host callback.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

    AEffect cEffect;
    // Hosts set these on one thread while another calls parameter or audio
    // operations that read them; read each once per call.
    tamrik::Shared<float> sampleRate;
    AEffEditor* editor;
    int32_t numPrograms;
    int32_t numParams;
    tamrik::Shared<int32_t> curProgram;
    tamrik::Shared<int32_t> blockSize;
    audioMasterCallback audioMaster;
};

}  // namespace vst
