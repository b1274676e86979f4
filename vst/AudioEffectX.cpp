#include "vst/AudioEffectX.h"

#include "common/RoundEven.h"

namespace vst {

namespace {
intptr_t asInteger(const void* address) { return reinterpret_cast<intptr_t>(address); }
}  // namespace

void AudioEffectX::wantEvents(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}
int32_t AudioEffectX::tempoAt(int32_t pos) {
    return static_cast<int32_t>(callHost(audioMasterTempoAt, 0, pos));
}
int32_t AudioEffectX::getNumAutomatableParameters() {
    return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
}
int32_t AudioEffectX::getParameterQuantization() {
    return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
}
bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }
bool AudioEffectX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }
bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}
double AudioEffectX::updateSampleRate() {
    callHost(audioMasterGetSampleRate);
    return sampleRate.get();
}
int32_t AudioEffectX::updateBlockSize() {
    callHost(audioMasterGetBlockSize);
    return blockSize.get();
}
int32_t AudioEffectX::getInputLatency() {
    return static_cast<int32_t>(callHost(audioMasterGetInputLatency));
}
int32_t AudioEffectX::getOutputLatency() {
    return static_cast<int32_t>(callHost(audioMasterGetOutputLatency));
}
AEffect* AudioEffectX::getPreviousPlug(int32_t /*input*/) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}
AEffect* AudioEffectX::getNextPlug(int32_t /*output*/) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}
int32_t AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}
int32_t AudioEffectX::willProcessReplacing() {
    return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
}
int32_t AudioEffectX::getCurrentProcessLevel() {
    return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}
int32_t AudioEffectX::getAutomationState() {
    return static_cast<int32_t>(callHost(audioMasterGetAutomationState));
}
bool AudioEffectX::offlineRead(VstOfflineTask* offline, int32_t option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}
bool AudioEffectX::offlineWrite(VstOfflineTask* offline, int32_t option) {
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}
bool AudioEffectX::offlineStart(VstAudioFile* audioFiles, int32_t numAudioFiles,
                                int32_t numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}
int32_t AudioEffectX::offlineGetCurrentPass() {
    return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}
int32_t AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}
void AudioEffectX::setOutputSamplerate(float samplerate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}
bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) {
    return callHost(audioMasterGetSpeakerArrangement, 0, asInteger(pluginInput),
                    pluginOutput) != 0;
}
bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}
bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}
int32_t AudioEffectX::getHostVendorVersion() {
    return static_cast<int32_t>(callHost(audioMasterGetVendorVersion));
}
int32_t AudioEffectX::hostVendorSpecific(int32_t lArg1, intptr_t lArg2, void* ptrArg,
                                         float floatArg) {
    return static_cast<int32_t>(callHost(audioMasterVendorSpecific, lArg1, lArg2, ptrArg,
                                         floatArg));
}
int32_t AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}
int32_t AudioEffectX::getHostLanguage() {
    return static_cast<int32_t>(callHost(audioMasterGetLanguage));
}
void* AudioEffectX::openWindow(void* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}
bool AudioEffectX::closeWindow(void* window) {
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}
void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}
bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::beginEdit(int32_t index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(int32_t index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::openFileSelector(VstFileSelect* ptr) {
    if (!ptr) return false;
    return callHost(audioMasterOpenFileSelector, 0, 0, ptr) != 0;
}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    // Opcodes whose operation reads or writes through ptr: nil answers 0.
    switch (opcode) {
        case effProcessEvents: case effString2Parameter: case effGetProgramNameIndexed:
        case effGetInputProperties: case effGetOutputProperties: case effGetEffectName:
        case effGetErrorText: case effGetVendorString: case effGetProductString:
        case effCanDo: case effGetParameterProperties: case effGetMidiProgramName:
        case effGetMidiProgramCategory: case effGetMidiKeyName:
            if (!ptr) return 0;
            break;
        default:
            break;
    }
    auto b = [](bool answer) -> intptr_t { return answer ? 1 : 0; };
    switch (opcode) {
        case effProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated: return b(canParameterBeAutomated(index));
        case effString2Parameter: return b(string2parameter(index, static_cast<char*>(ptr)));
        case effGetNumProgramCategories: return getNumCategories();
        case effGetProgramNameIndexed:
            return b(getProgramNameIndexed(static_cast<int32_t>(value), index,
                                           static_cast<char*>(ptr)));
        case effCopyProgram: return b(copyProgram(index));
        case effConnectInput: inputConnected(index, value != 0); return 1;
        case effConnectOutput: outputConnected(index, value != 0); return 1;
        case effGetInputProperties:
            return b(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
        case effGetOutputProperties:
            return b(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
        case effGetPlugCategory: return getPlugCategory();
        case effGetCurrentPosition: return reportCurrentPosition();
        case effGetDestinationBuffer: return asInteger(reportDestinationBuffer());
        case effOfflineNotify:
            return b(offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<int32_t>(value),
                                   index != 0));
        case effOfflinePrepare:
            return b(offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)));
        case effOfflineRun:
            return b(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)));
        case effProcessVarIo: return b(processVariableIo(static_cast<VstVariableIo*>(ptr)));
        case effSetSpeakerArrangement:
            return b(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                           static_cast<VstSpeakerArrangement*>(ptr)));
        case effSetBlockSizeAndSampleRate:
            setBlockSizeAndSampleRate(static_cast<int32_t>(value), opt);
            return 1;
        case effSetBypass: return b(setBypass(value != 0));
        case effGetEffectName: return b(getEffectName(static_cast<char*>(ptr)));
        case effGetErrorText: return b(getErrorText(static_cast<char*>(ptr)));
        case effGetVendorString: return b(getVendorString(static_cast<char*>(ptr)));
        case effGetProductString: return b(getProductString(static_cast<char*>(ptr)));
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        case effCanDo: return canDo(static_cast<char*>(ptr));
        case effGetTailSize: return getGetTailSize();
        case effIdle: return fxIdle();
        case effGetIcon: return asInteger(getIcon());
        case effSetViewPosition: return b(setViewPosition(index, static_cast<int32_t>(value)));
        case effGetParameterProperties:
            return b(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
        case effKeysRequired: return keysRequired() ? 0 : 1;  // inverted by convention
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp: {
            if (!editor) return 0;
            VstKeyCode key{};
            key.character = index;
            key.virt = static_cast<uint8_t>(value & 0xFF);
            key.modifier = static_cast<uint8_t>(tamrik::roundEven(opt) & 0xFF);
            return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        }
        case effSetEditKnobMode:
            return editor ? editor->setKnobMode(static_cast<int32_t>(value)) : 0;
        case effGetMidiProgramName:
            return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
        case effHasMidiProgramsChanged: return b(hasMidiProgramsChanged(index));
        case effGetMidiKeyName: return b(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
        case effBeginSetProgram: return b(beginSetProgram());
        case effEndSetProgram: return b(endSetProgram());
        default: return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

}  // namespace vst
