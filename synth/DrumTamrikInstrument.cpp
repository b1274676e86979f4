#include "synth/DrumTamrikInstrument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/FloatingPointGuard.h"
#include "common/StringCopy.h"
#include "synth/HitSetup.h"
#include "synth/MidiMessages.h"
#include "synth/ParameterText.h"
#include "synth/StateReader.h"
#include "synth/StateWriter.h"

namespace tamrik {

const InstrumentIdentity DrumTamrikInstrument::kIdentity = {"DrumTamrik", "Quenmar", "Drum Synth Tamrik",
                                                            DrumTamrikInstrument::kUniqueId, 1, false};

DrumTamrikInstrument::DrumTamrikInstrument(InstructionSet path) : engine(params, path) {
    const FloatingPointGuard fp;
    for (int32_t i = 0; i < kNumPrograms; ++i) {
        programs[i] = std::make_unique<VstXSynthProgram>();
        char name[VstXSynthProgram::kNameSize];
        std::snprintf(name, sizeof name, "init%d", static_cast<int>(i + 1));
        programs[i]->setName(name);
    }
    engine.initEngine();  // the parameters start at 44100 Hz
    setProgram(0);
}

void DrumTamrikInstrument::outputName(int32_t channel, char* text, size_t size) const {
    if (channel < 0 || channel >= 2) return copyString(text, "", size);
    char name[16];
    std::snprintf(name, sizeof name, "Tamrik %d", static_cast<int>(channel + 1));
    copyString(text, name, size);
}

float DrumTamrikInstrument::parameterDefault(int32_t index) const {
    return isParameterIndex(index) ? kParameterTable[index].defaultValue : 0.0f;
}

int32_t DrumTamrikInstrument::parameterSteps(int32_t index) const {
    if (!isParameterIndex(index)) return 0;
    const ParameterInfo& p = kParameterTable[index];
    return p.kind == ControlKind::List || p.kind == ControlKind::CheckBox ? controlScale(p).steps : 0;
}

void DrumTamrikInstrument::parameterShortName(int32_t index, char* text, size_t size) const {
    copyString(text, isParameterIndex(index) ? kParameterTable[index].name : "", size);
}

void DrumTamrikInstrument::parameterName(int32_t index, char* text, size_t size) const {
    parameterShortName(index, text, size);
}

// Every value is a share of its whole, whichever index the host asks about.
void DrumTamrikInstrument::parameterLabel(int32_t, char* text, size_t size) const {
    copyString(text, "/1", size);
}

// A list's items are the choices; a switch is off or on.
void DrumTamrikInstrument::choiceName(int32_t index, int32_t k, char* text, size_t size) const {
    const int32_t steps = parameterSteps(index);
    if (steps == 0 || k < 0 || k > steps) return copyString(text, "", size);
    const ParameterInfo& p = kParameterTable[index];
    copyString(text, p.kind == ControlKind::List ? p.captions[size_t(k)] : k == 0 ? "Off" : "On", size);
}

void DrumTamrikInstrument::groupName(int32_t, char* text, size_t size) const {
    copyString(text, "", size);
}

void DrumTamrikInstrument::setParameter(int32_t index, float value) {
    // A non-finite value would make every later sample NaN or infinite and
    // poison the host's mix; finite values outside 0..1 are kept as given.
    if (!isParameterIndex(index) || !std::isfinite(value)) return;
    const FloatingPointGuard fp;
    // The program number is read once: while another thread switches
    // programs, the value lands whole in the program that was current.
    programs[current.get()]->setValue(index, value);
    params.set(index, value);
}

void DrumTamrikInstrument::parameterDisplay(int32_t index, char* text, size_t size) const {
    valueDisplay(index, isParameterIndex(index) ? params.get(index) : 0.0f, text, size);
}

void DrumTamrikInstrument::valueDisplay(int32_t index, float value, char* text, size_t size) const {
    if (isParameterIndex(index))
        formatParameterValue(value, text, size);
    else
        copyString(text, "", size);
}

void DrumTamrikInstrument::setProgram(int32_t program) {
    if (!isProgramNumber(program)) return;
    const FloatingPointGuard fp;
    current.set(program);
    // Loads from `program` itself, not from whatever is current by the time
    // each value is read; the values need not be written back into it.
    const VstXSynthProgram& p = *programs[program];
    for (int32_t index : kProgramLoadOrder) params.set(index, p.value(index));
}

void DrumTamrikInstrument::programName(int32_t program, char* text, size_t size) const {
    copyString(text, isProgramNumber(program) ? programs[program]->name() : "", size);
}

void DrumTamrikInstrument::setProgramName(const char* name) {
    if (name) programs[current.get()]->setName(name);
}

bool DrumTamrikInstrument::copyProgram(int32_t destination) {
    if (!isProgramNumber(destination)) return false;
    programs[destination]->copyFrom(*programs[current.get()]);
    return true;
}

void DrumTamrikInstrument::setSampleRate(float sampleRate) {
    const FloatingPointGuard fp;
    params.setSampleRate(sampleRate);
}

void DrumTamrikInstrument::receiveMidi(const uint8_t* bytes, size_t size, int32_t frame) {
    const FloatingPointGuard fp;
    handleMidiMessage(engine, bytes, size, frame);
}

void DrumTamrikInstrument::render(float* const* outputs, int32_t frames) {
    if (frames <= 0 || !outputs) return;
    if (engine.silent()) return;  // nothing to add: no arithmetic, so no guard
    renderSounding(outputs, frames);
}

// Out of line, so that an idle block never sets up this one's frame.
[[gnu::noinline]] void DrumTamrikInstrument::renderSounding(float* const* outputs, int32_t frames) {
    const FloatingPointGuard fp;
    float* left = outputs[0];
    float* right = outputs[1];
    // The sound, then each channel as it was written (scratch for a nil one).
    float peak[3] = {};
    if (left && right) {
        engine.render(left, right, frames);
        peak[1] = PeakMeter::peakOf(left, frames);
        peak[2] = PeakMeter::peakOf(right, frames);
    } else {
        for (int32_t done = 0; done < frames; done += kScratchFrames) {
            const int32_t n = std::min(kScratchFrames, frames - done);
            std::memset(scratch, 0, sizeof scratch);
            float* l = left ? left + done : scratch[0];
            float* r = right ? right + done : scratch[1];
            engine.render(l, r, n);
            peak[1] = PeakMeter::larger(peak[1], PeakMeter::peakOf(l, n));
            peak[2] = PeakMeter::larger(peak[2], PeakMeter::peakOf(r, n));
        }
    }
    peak[0] = PeakMeter::larger(peak[1], peak[2]);
    peaks.publish(peak);
}

std::vector<uint8_t> DrumTamrikInstrument::saveState() const {
    StateWriter out(kUniqueId, kStateVersion);
    out.begin("CURR");
    out.u32(uint32_t(current.get()));
    out.end();
    for (int32_t p = 0; p < kNumPrograms; ++p) {
        out.begin("PROG");
        out.u32(uint32_t(p));
        out.text(programs[p]->name());
        out.u32(kNumParameters);
        for (int32_t i = 0; i < kNumParameters; ++i) out.f32(programs[p]->value(i));
        out.end();
    }
    return out.finish();
}

bool DrumTamrikInstrument::loadState(const uint8_t* data, size_t size) {
    StateReader in(data, size, kUniqueId);
    if (!in.valid()) return false;
    // Everything is read and checked before anything changes.
    struct Loaded {
        bool seen = false;
        std::string name;
        float values[kNumParameters];
    };
    auto loaded = std::make_unique<Loaded[]>(kNumPrograms);
    uint32_t program = 0;
    char tag[5];
    while (in.next(tag)) {
        if (std::strcmp(tag, "CURR") == 0) {
            in.u32(program);
        } else if (std::strcmp(tag, "PROG") == 0) {
            uint32_t number = 0, count = 0;
            if (!in.u32(number) || number >= uint32_t(kNumPrograms)) return false;
            Loaded& l = loaded[number];
            if (!in.text(l.name, VstXSynthProgram::kNameSize - 1) || !in.u32(count) ||
                count < uint32_t(kNumParameters))
                return false;
            for (int32_t i = 0; i < kNumParameters; ++i) in.f32(l.values[i]);
            l.seen = true;
        }
        if (!in.ok()) return false;
    }
    if (!in.ok() || program >= uint32_t(kNumPrograms)) return false;
    for (int32_t p = 0; p < kNumPrograms; ++p)
        if (!loaded[p].seen) return false;
    for (int32_t p = 0; p < kNumPrograms; ++p) {
        programs[p]->setName(loaded[p].name.c_str());
        for (int32_t i = 0; i < kNumParameters; ++i) programs[p]->setValue(i, loaded[p].values[i]);
    }
    setProgram(int32_t(program));
    return true;
}

bool DrumTamrikInstrument::hitSetup(int32_t sound, int32_t note, int32_t velocity, HitSetup& setup) const {
    if (sound != 0) return false;
    for (int32_t i = 0; i < kNumParameters; ++i) setup.values[i] = params.get(i);
    setup.sampleRate = params.sampleRate();
    setup.note = note;
    setup.velocity = velocity;
    setup.gain[0] = setup.gain[1] = 1.0f;
    setup.isa = engine.isa();
    return true;
}

}  // namespace tamrik
