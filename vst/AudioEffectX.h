// The extended effect layer: dispatcher opcodes 25 to 68 (events, program
// names by index, pins, identity strings, capability queries, editor keys,
// MIDI program names), each with its default answer, and a wrapper for every
// host request. Anything else goes on to the base dispatcher.
//
// Threads: as the base says. The opcodes served here come on the host's UI
// thread, except effProcessEvents (audio thread); the requests to the host
// (the wrappers that call it) run on whichever thread calls them.
#pragma once

#include "vst/AudioEffect.h"

namespace vst {

struct VstTimeInfo;
struct VstSpeakerArrangement;
struct VstVariableIo;
struct VstOfflineTask;
struct VstAudioFile;
struct VstParameterProperties;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
struct VstFileSelect;

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback master, int32_t programs, int32_t params)
        : AudioEffect(master, programs, params) {}

    // Asks the host for MIDI (audioMasterWantMidi), on the caller's thread:
    // the instrument asks from resume, on the UI thread.
    void wantEvents(int32_t filter = 1);

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override;

    // Audio thread, while rendering (hosts answer it on the UI thread too).
    virtual VstTimeInfo* getTimeInfo(int32_t filter);
    virtual int32_t tempoAt(int32_t pos);
    // Audio thread, before the block the events belong to.
    virtual int32_t processEvents(VstEvents* /*events*/) { return 0; }
    // The rest: UI thread (the opcodes), or the caller's (the host requests).
    virtual int32_t getNumAutomatableParameters();
    virtual int32_t getParameterQuantization();
    virtual bool canParameterBeAutomated(int32_t /*index*/) { return true; }
    virtual bool string2parameter(int32_t /*index*/, char* /*text*/) { return false; }
    virtual float getChannelParameter(int32_t /*channel*/, int32_t /*index*/) { return 0.0f; }
    virtual int32_t getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/) {
        return false;
    }
    virtual bool copyProgram(int32_t /*destination*/) { return false; }
    virtual bool ioChanged();
    virtual bool needIdle();
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual double updateSampleRate();
    virtual int32_t updateBlockSize();
    virtual int32_t getInputLatency();
    virtual int32_t getOutputLatency();
    virtual AEffect* getPreviousPlug(int32_t input);
    virtual AEffect* getNextPlug(int32_t output);
    virtual void inputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual void outputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual bool getInputProperties(int32_t /*index*/, VstPinProperties* /*properties*/) {
        return false;
    }
    virtual bool getOutputProperties(int32_t /*index*/, VstPinProperties* /*properties*/) {
        return false;
    }
    virtual int32_t getPlugCategory();
    virtual int32_t willProcessReplacing();
    virtual int32_t getCurrentProcessLevel();
    virtual int32_t getAutomationState();
    virtual void wantAsyncOperation(bool state) { setFlag(effFlagsExtIsAsync, state); }
    virtual void hasExternalBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
    virtual int32_t reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    virtual bool offlineRead(VstOfflineTask* offline, int32_t option, bool readSource);
    virtual bool offlineWrite(VstOfflineTask* offline, int32_t option);
    virtual bool offlineStart(VstAudioFile* audioFiles, int32_t numAudioFiles,
                              int32_t numNewAudioFiles);
    virtual int32_t offlineGetCurrentPass();
    virtual int32_t offlineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile* /*ptr*/, int32_t /*numAudioFiles*/, bool /*start*/) {
        return false;
    }
    virtual bool offlinePrepare(VstOfflineTask* /*offline*/, int32_t /*count*/) { return false; }
    virtual bool offlineRun(VstOfflineTask* /*offline*/, int32_t /*count*/) { return false; }
    virtual int32_t offlineGetNumPasses() { return 0; }
    virtual int32_t offlineGetNumMetaPasses() { return 0; }
    virtual void setOutputSamplerate(float samplerate);
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput);
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual int32_t getHostVendorVersion();
    virtual int32_t hostVendorSpecific(int32_t lArg1, intptr_t lArg2, void* ptrArg,
                                       float floatArg);
    virtual int32_t canHostDo(char* text);
    virtual void isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }
    virtual int32_t getHostLanguage();
    virtual void* openWindow(void* window);
    virtual bool closeWindow(void* window);
    virtual void* getDirectory();
    virtual bool updateDisplay();
    virtual bool processVariableIo(VstVariableIo* /*varIo*/) { return false; }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*pluginInput*/,
                                       VstSpeakerArrangement* /*pluginOutput*/) {
        return false;
    }
    // UI thread, as setSampleRate. The two announcements in one: whatever an
    // effect does for each of them (recomputing rate-dependent values)
    // happens here too.
    virtual void setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate) {
        setSampleRate(newSampleRate);
        setBlockSize(newBlockSize);
    }
    virtual bool setBypass(bool /*onOff*/) { return false; }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getErrorText(char* /*text*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual int32_t vendorSpecific(int32_t /*lArg1*/, intptr_t /*lArg2*/, void* /*ptrArg*/,
                                   float /*floatArg*/) {
        return 0;
    }
    virtual int32_t canDo(char* /*text*/) { return 0; }
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(int32_t /*x*/, int32_t /*y*/) { return false; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual int32_t fxIdle() { return 0; }
    virtual bool getParameterProperties(int32_t /*index*/, VstParameterProperties* /*p*/) {
        return false;
    }
    virtual bool keysRequired() { return false; }
    virtual int32_t getVstVersion() { return 2200; }
    virtual int32_t getMidiProgramName(int32_t /*channel*/, MidiProgramName* /*name*/) {
        return 0;
    }
    virtual int32_t getCurrentMidiProgram(int32_t /*channel*/, MidiProgramName* /*current*/) {
        return -1;
    }
    virtual int32_t getMidiProgramCategory(int32_t /*channel*/, MidiProgramCategory* /*c*/) {
        return 0;
    }
    virtual bool hasMidiProgramsChanged(int32_t /*channel*/) { return false; }
    virtual bool getMidiKeyName(int32_t /*channel*/, MidiKeyName* /*keyName*/) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool openFileSelector(VstFileSelect* ptr);
};

}  // namespace vst
