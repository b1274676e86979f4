#include "synth/AVstXSynth.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "common/FloatingPointGuard.h"
#include "common/StringCopy.h"
#include "synth/MidiMessages.h"
#include "vst/VstStrings.h"

namespace tamrik {

AVstXSynth::AVstXSynth(vst::audioMasterCallback master, EditorFactory makeEditor)
    : AudioEffectX(master, kNumPrograms, kNumParameters) {
    const FloatingPointGuard fp;
    if (makeEditor) setEditor(makeEditor(this));
    for (int32_t i = 0; i < kNumPrograms; ++i) {
        programs[i] = std::make_unique<VstXSynthProgram>();
        char name[VstXSynthProgram::kNameSize];
        std::snprintf(name, sizeof name, "init%d", static_cast<int>(i + 1));
        programs[i]->setName(name);
    }
    engine.initEngine();  // the parameters start at 44100 Hz, the base's rate
    setProgram(0);
    if (master) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        hasVu(false);
        hasClip(false);
        isSynth(true);
        setUniqueID(kUniqueId);
    }
    suspend();
}

AVstXSynth::~AVstXSynth() {
    // The form goes first, while the instrument it talks to still exists.
    vst::AEffEditor* ownEditor = editor;
    setEditor(nullptr);
    delete ownEditor;
}

void AVstXSynth::setSampleRate(float rate) {
    const FloatingPointGuard fp;
    AudioEffectX::setSampleRate(rate);
    // Lengths, sweeps, cutoff and octave follow the new rate at once, so a
    // note sounds the same whatever order the host sets things in.
    params.setSampleRate(rate);
}

void AVstXSynth::setParameter(int32_t index, float value) {
    // A non-finite value would make every later sample NaN or infinite and
    // poison the host's mix; finite values outside 0..1 are kept as given.
    if (!isParameterIndex(index) || !std::isfinite(value)) return;
    const FloatingPointGuard fp;
    // The program number is read once: while another thread switches
    // programs, the value lands whole in the program that was current.
    programs[curProgram.get()]->setValue(index, value);
    params.set(index, value);
}

float AVstXSynth::getParameter(int32_t index) { return params.get(index); }

void AVstXSynth::process(float** /*inputs*/, float** outputs, int32_t sampleFrames) {
    if (sampleFrames <= 0 || !outputs || !outputs[0] || !outputs[1]) return;
    if (engine.silent()) return;  // nothing to add: no arithmetic, so no guard
    const FloatingPointGuard fp;
    engine.render(outputs[0], outputs[1], sampleFrames);
}

void AVstXSynth::processReplacing(float** /*inputs*/, float** outputs, int32_t sampleFrames) {
    if (sampleFrames <= 0 || !outputs || !outputs[0] || !outputs[1]) return;
    std::memset(outputs[0], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
    std::memset(outputs[1], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
    if (engine.silent()) return;
    const FloatingPointGuard fp;
    engine.render(outputs[0], outputs[1], sampleFrames);
}

int32_t AVstXSynth::processEvents(vst::VstEvents* events) {
    if (!events) return 0;
    const FloatingPointGuard fp;
    // The list runs past the two entries the record declares; step through it
    // by address rather than by indexing the declared array.
    const auto* list = reinterpret_cast<vst::VstEvent* const*>(
        reinterpret_cast<const char*>(events) + offsetof(vst::VstEvents, events));
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const vst::VstEvent* event = list[i];
        if (!event || event->type != vst::kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
        handleMidiMessage(engine, reinterpret_cast<const uint8_t*>(midi->midiData),
                          sizeof midi->midiData, midi->deltaFrames);
    }
    return 1;
}

void AVstXSynth::receiveMidi(const uint8_t* bytes, size_t size, int32_t deltaFrames) {
    const FloatingPointGuard fp;
    handleMidiMessage(engine, bytes, size, deltaFrames);
}

void AVstXSynth::setProgram(int32_t program) {
    if (!isProgramNumber(program)) return;
    const FloatingPointGuard fp;
    curProgram.set(program);
    // Loads from `program` itself, not from whatever is current by the time
    // each value is read; the values need not be written back into it.
    const VstXSynthProgram& p = *programs[program];
    for (int32_t index : kProgramLoadOrder) params.set(index, p.value(index));
}

void AVstXSynth::setProgramName(char* name) {
    if (name) programs[curProgram.get()]->setName(name);
}

void AVstXSynth::getProgramName(char* name) {
    copyString(name, programs[curProgram.get()]->name(), vst::kVstMaxProgNameLen);
}

void AVstXSynth::getParameterLabel(int32_t /*index*/, char* label) {
    copyString(label, "/1", vst::kVstMaxParamStrLen);
}

void AVstXSynth::getParameterDisplay(int32_t index, char* text) {
    if (isParameterIndex(index))
        vst::formatParameterValue(params.get(index), text, vst::kVstMaxParamStrLen);
    else
        copyString(text, "", vst::kVstMaxParamStrLen);
}

void AVstXSynth::getParameterName(int32_t index, char* text) {
    copyString(text, isParameterIndex(index) ? kParameterTable[index].name : "",
               vst::kVstMaxParamStrLen);
}

void AVstXSynth::resume() { wantEvents(1); }

bool AVstXSynth::getProgramNameIndexed(int32_t /*category*/, int32_t index, char* text) {
    if (!isProgramNumber(index)) return false;
    copyString(text, programs[index]->name(), vst::kVstMaxProgNameLen);
    return true;
}

bool AVstXSynth::copyProgram(int32_t destination) {
    if (!isProgramNumber(destination)) return false;
    programs[destination]->copyFrom(*programs[curProgram.get()]);
    return true;
}

bool AVstXSynth::getOutputProperties(int32_t index, vst::VstPinProperties* properties) {
    if (index < 0 || index >= 2 || !properties) return false;
    std::snprintf(properties->label, sizeof properties->label, "Tamrik %d",
                  static_cast<int>(index + 1));
    properties->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    return true;
}

bool AVstXSynth::getEffectName(char* name) {
    copyString(name, "DrumTamrik", vst::kVstMaxEffectNameLen);
    return true;
}

bool AVstXSynth::getVendorString(char* text) {
    copyString(text, "Quenmar", vst::kVstMaxVendorStrLen);
    return true;
}

bool AVstXSynth::getProductString(char* text) {
    copyString(text, "Drum Synth Tamrik", vst::kVstMaxProductStrLen);
    return true;
}

int32_t AVstXSynth::canDo(char* text) {
    if (!text) return -1;
    return (std::strcmp(text, "receiveVstEvents") == 0 ||
            std::strcmp(text, "receiveVstMidiEvent") == 0)
               ? 1
               : -1;
}

}  // namespace tamrik
