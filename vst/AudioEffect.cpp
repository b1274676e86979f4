#include "vst/AudioEffect.h"

#include <climits>
#include <cstring>

#include "common/RoundEven.h"

namespace vst {

namespace {

AudioEffect* objectOf(AEffect* e) { return static_cast<AudioEffect*>(e->object); }

// The five entry functions of the record. Each forwards at once on the
// caller's thread; the operations apply their own limits.
intptr_t VST_CDECL dispatchEntry(AEffect* e, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt) {
    AudioEffect* effect = objectOf(e);
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VST_CDECL processEntry(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames) {
    objectOf(e)->process(inputs, outputs, sampleFrames);
}

void VST_CDECL processReplacingEntry(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames) {
    objectOf(e)->processReplacing(inputs, outputs, sampleFrames);
}

void VST_CDECL setParameterEntry(AEffect* e, int32_t index, float value) {
    objectOf(e)->setParameter(index, value);
}

float VST_CDECL getParameterEntry(AEffect* e, int32_t index) { return objectOf(e)->getParameter(index); }

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback master, int32_t programs, int32_t params)
    : cEffect{}, sampleRate(44100.0f), editor(nullptr), numPrograms(programs),
      numParams(params), curProgram(0), blockSize(1024), audioMaster(master) {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.user = nullptr;
    cEffect.uniqueID = CCONST('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(int32_t bit, bool state) {
    if (state)
        cEffect.flags |= bit;
    else
        cEffect.flags &= ~bit;
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
    if (!audioMaster) return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

int32_t AudioEffect::getMasterVersion() {
    const intptr_t version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<int32_t>(version);
}

int32_t AudioEffect::getCurrentUniqueId() {
    return static_cast<int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

bool AudioEffect::isInputConnected(int32_t input) {
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    // Opcodes that read or write through ptr answer 0 and touch nothing when
    // a host passes nil.
    switch (opcode) {
        case effSetProgramName: case effGetProgramName: case effGetParamLabel:
        case effGetParamDisplay: case effGetParamName: case effEditGetRect:
        case effGetChunk:
            if (!ptr) return 0;
            break;
        default:
            break;
    }
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 0;
        case effSetProgram:
            // Signed and from above only; the instrument limits negative numbers itself.
            if (value < numPrograms && value >= INT32_MIN) setProgram(static_cast<int32_t>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName: setProgramName(static_cast<char*>(ptr)); return 0;
        case effGetProgramName: getProgramName(static_cast<char*>(ptr)); return 0;
        case effGetParamLabel: getParameterLabel(index, static_cast<char*>(ptr)); return 0;
        case effGetParamDisplay: getParameterDisplay(index, static_cast<char*>(ptr)); return 0;
        case effGetParamName: getParameterName(index, static_cast<char*>(ptr)); return 0;
        case effGetVu: return tamrik::roundEven(static_cast<double>(getVu()) * 32767.0);
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<int32_t>(value)); return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect: {
            if (!editor) return 0;
            ERect* rect = nullptr;
            std::memcpy(&rect, ptr, sizeof rect);
            const int32_t answer = editor->getRect(&rect);
            std::memcpy(ptr, &rect, sizeof rect);
            return answer;
        }
        case effEditOpen: return editor ? editor->open(ptr) : 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify: return CCONST('N', 'v', 'E', 'f');
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk: return setChunk(ptr, static_cast<int32_t>(value), index != 0);
        default: return 0;
    }
}

}  // namespace vst
