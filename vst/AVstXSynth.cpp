#include "vst/AVstXSynth.h"

#include <cstddef>
#include <algorithm>
#include <cstring>
#include <new>

#include "binding/SessionState.h"
#include "common/StringCopy.h"

namespace tamrik {

AVstXSynth::AVstXSynth(vst::audioMasterCallback master, std::unique_ptr<Instrument> instrument,
                       EditorFactory makeEditor)
    : AudioEffectX(master, instrument->programCount(), instrument->parameterCount()),
      instrument_(std::move(instrument)),
      runner_(*instrument_) {
    if (makeEditor) setEditor(makeEditor(this));
    if (master) {
        setNumInputs(0);
        setNumOutputs(instrument_->outputCount());
        canProcessReplacing(true);
        hasVu(false);
        hasClip(false);
        isSynth(true);
        programsAreChunks(binding::savesStateBytes(*instrument_, binding::HostKeepsValues::Yes));
        setUniqueID(instrument_->identity().uniqueId);
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
    AudioEffectX::setSampleRate(rate);
    instrument_->setSampleRate(rate);
}

void AVstXSynth::setParameter(int32_t index, float value) { instrument_->setParameter(index, value); }

float AVstXSynth::getParameter(int32_t index) { return instrument_->getParameter(index); }

bool AVstXSynth::hasEveryOutput(float** outputs, int32_t sampleFrames) const {
    if (sampleFrames <= 0 || !outputs) return false;
    const int32_t channels = instrument_->outputCount();
    for (int32_t c = 0; c < channels; ++c)
        if (!outputs[c]) return false;
    return true;
}

void AVstXSynth::process(float** /*inputs*/, float** outputs, int32_t sampleFrames) {
    if (hasEveryOutput(outputs, sampleFrames))
        runner_.run(outputs, uint32_t(sampleFrames), binding::BlockRunner::Outputs::Add);
}

void AVstXSynth::processReplacing(float** /*inputs*/, float** outputs, int32_t sampleFrames) {
    if (hasEveryOutput(outputs, sampleFrames))
        runner_.run(outputs, uint32_t(sampleFrames), binding::BlockRunner::Outputs::Replace);
}

// Played as they come: the host may set parameters before the block it
// sends them for. A note's deltaFrames may reach past that block: the voice
// then waits into the blocks after it.
int32_t AVstXSynth::processEvents(vst::VstEvents* events) {
    if (!events) return 0;
    // The list runs past the two entries the record declares; step through it
    // by address rather than by indexing the declared array.
    const auto* list = reinterpret_cast<vst::VstEvent* const*>(
        reinterpret_cast<const char*>(events) + offsetof(vst::VstEvents, events));
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const vst::VstEvent* event = list[i];
        if (!event || event->type != vst::kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
        runner_.midiAhead(uint32_t(std::max(midi->deltaFrames, 0)),
                          reinterpret_cast<const uint8_t*>(midi->midiData), sizeof midi->midiData);
    }
    return 1;
}

void AVstXSynth::setProgram(int32_t program) { instrument_->setProgram(program); }

int32_t AVstXSynth::getProgram() { return instrument_->currentProgram(); }

void AVstXSynth::setProgramName(char* name) {
    if (name) instrument_->setProgramName(name);
}

void AVstXSynth::getProgramName(char* name) {
    instrument_->programName(instrument_->currentProgram(), name, vst::kVstMaxProgNameLen);
}

void AVstXSynth::getParameterLabel(int32_t index, char* label) {
    instrument_->parameterLabel(index, label, vst::kVstMaxParamStrLen);
}

void AVstXSynth::getParameterDisplay(int32_t index, char* text) {
    instrument_->parameterDisplay(index, text, vst::kVstMaxParamStrLen);
}

void AVstXSynth::getParameterName(int32_t index, char* text) {
    instrument_->parameterShortName(index, text, vst::kVstMaxParamStrLen);
}

// Only instruments whose parameters come in groups have more to say than
// the name calls; the others answer 0, as hosts expect of a plain plug-in.
bool AVstXSynth::getParameterProperties(int32_t index, vst::VstParameterProperties* p) {
    const Instrument& in = *instrument_;
    if (!p || in.groupCount() <= 0 || index < 0 || index >= in.parameterCount()) return false;
    std::memset(p, 0, sizeof *p);
    in.parameterName(index, p->label, sizeof p->label);
    in.parameterShortName(index, p->shortLabel, sizeof p->shortLabel);
    if (const int32_t steps = in.parameterSteps(index); steps > 0) {
        p->flags |= steps == 1 ? vst::kVstParameterIsSwitch : 0;
        p->stepFloat = p->smallStepFloat = p->largeStepFloat = 1.0f / float(steps);
        p->flags |= vst::kVstParameterUsesFloatStep;
    }
    const int32_t group = in.parameterGroup(index);
    if (group >= 0 && group < in.groupCount()) {
        // The host wants the members of a category to be consecutive.
        int32_t first = index, last = index;
        while (first > 0 && in.parameterGroup(first - 1) == group) --first;
        while (last + 1 < in.parameterCount() && in.parameterGroup(last + 1) == group) ++last;
        p->flags |= vst::kVstParameterSupportsDisplayCategory;
        p->category = int16_t(group + 1);
        p->numParametersInCategory = int16_t(last - first + 1);
        in.groupName(group, p->categoryLabel, sizeof p->categoryLabel);
    }
    return true;
}

void AVstXSynth::resume() {
    runner_.clear();
    instrument_->allSoundOff();
    wantEvents(1);
}

bool AVstXSynth::getProgramNameIndexed(int32_t /*category*/, int32_t index, char* text) {
    if (index < 0 || index >= instrument_->programCount()) return false;
    instrument_->programName(index, text, vst::kVstMaxProgNameLen);
    return true;
}

bool AVstXSynth::copyProgram(int32_t destination) { return instrument_->copyProgram(destination); }

int32_t AVstXSynth::getChunk(void** data, bool /*isPreset*/) {
    if (!data || !binding::savesStateBytes(*instrument_, binding::HostKeepsValues::Yes)) return 0;
    auto bytes = binding::saveState(*instrument_);
    if (bytes)
        chunk_ = std::move(*bytes);
    else
        chunk_.clear();
    *data = chunk_.empty() ? nullptr : chunk_.data();
    return static_cast<int32_t>(chunk_.size());
}

int32_t AVstXSynth::setChunk(void* data, int32_t byteSize, bool /*isPreset*/) {
    if (!data || byteSize <= 0 || !binding::savesStateBytes(*instrument_, binding::HostKeepsValues::Yes)) return 0;
    return binding::loadState(*instrument_, static_cast<const uint8_t*>(data), size_t(byteSize)) ? 1 : 0;
}

bool AVstXSynth::getOutputProperties(int32_t index, vst::VstPinProperties* properties) {
    if (index < 0 || index >= instrument_->outputCount() || !properties) return false;
    instrument_->outputName(index, properties->label, sizeof properties->label);
    properties->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    return true;
}

bool AVstXSynth::getEffectName(char* name) {
    copyString(name, instrument_->identity().name, vst::kVstMaxEffectNameLen);
    return true;
}

bool AVstXSynth::getVendorString(char* text) {
    copyString(text, instrument_->identity().vendor, vst::kVstMaxVendorStrLen);
    return true;
}

bool AVstXSynth::getProductString(char* text) {
    copyString(text, instrument_->identity().product, vst::kVstMaxProductStrLen);
    return true;
}

int32_t AVstXSynth::getVendorVersion() { return instrument_->identity().version; }

int32_t AVstXSynth::canDo(char* text) {
    if (!text) return -1;
    return (std::strcmp(text, "receiveVstEvents") == 0 ||
            std::strcmp(text, "receiveVstMidiEvent") == 0)
               ? 1
               : -1;
}

}  // namespace tamrik
