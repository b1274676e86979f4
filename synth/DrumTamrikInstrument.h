// DrumTamrik as a format-blind instrument: 22 parameters, 32 programs, two
// output channels, every note-on played on the next of 17 voices. It owns
// the values (SynthParameters), the voices (DrumVoices) and the programs;
// the format bindings translate their hosts' calls into its operations
// (threads: see synth/Instrument.h).
#pragma once

#include <memory>

#include "common/Shared.h"
#include "synth/DrumVoices.h"
#include "synth/Instrument.h"
#include "synth/Parameters.h"
#include "synth/PeakMeter.h"
#include "synth/VstXSynthProgram.h"

namespace tamrik {

class DrumTamrikInstrument final : public Instrument {
public:
    static constexpr int32_t kNumPrograms = 32;
    static constexpr int32_t kUniqueId = ('T' << 24) | ('m' << 16) | ('R' << 8) | 'k';
    static constexpr uint32_t kStateVersion = 1;

    // At 44100 Hz, every program "initN" at the defaults, program 0 loaded;
    // the voices render on `path` (or the best this CPU has, where it lacks it).
    explicit DrumTamrikInstrument(InstructionSet path = bestInstructionSet());

    // Name, vendor, VST 2 id: what every format calls the instrument.
    static const InstrumentIdentity kIdentity;
    const InstrumentIdentity& identity() const override { return kIdentity; }
    int32_t parameterCount() const override { return kNumParameters; }
    int32_t programCount() const override { return kNumPrograms; }
    int32_t outputCount() const override { return 2; }
    void outputName(int32_t channel, char* text, size_t size) const override;

    float parameterDefault(int32_t index) const override;
    int32_t parameterSteps(int32_t index) const override;
    void parameterShortName(int32_t index, char* text, size_t size) const override;
    void parameterName(int32_t index, char* text, size_t size) const override;
    void parameterLabel(int32_t index, char* text, size_t size) const override;
    void choiceName(int32_t index, int32_t k, char* text, size_t size) const override;
    int32_t groupCount() const override { return 0; }
    int32_t parameterGroup(int32_t) const override { return -1; }
    void groupName(int32_t group, char* text, size_t size) const override;

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) const override { return params.get(index); }
    void parameterDisplay(int32_t index, char* text, size_t size) const override;
    void valueDisplay(int32_t index, float value, char* text, size_t size) const override;

    int32_t currentProgram() const override { return current.get(); }
    void setProgram(int32_t program) override;
    void programName(int32_t program, char* text, size_t size) const override;
    void setProgramName(const char* name) override;
    bool copyProgram(int32_t destination) override;

    void setSampleRate(float rate) override;
    void receiveMidi(const uint8_t* bytes, size_t size, int32_t frame) override;
    void render(float* const* outputs, int32_t frames) override;
    bool sounding() const override { return !engine.silent(); }
    void allSoundOff() override { engine.allSoundOff(); }
    // [0] the sound (the louder channel: the sound goes to both as it is),
    // [1] left, [2] right.
    PeakMeter* meters() override { return &peaks; }

    // Records 'CURR' (the current program) and 'PROG' per program (its
    // number, name, value count and values in parameter order).
    std::vector<uint8_t> saveState() const override;
    bool loadState(const uint8_t* data, size_t size) override;
    // Sound 0 only: the current values, note and velocity as given, gain 1.
    bool hitSetup(int32_t sound, int32_t note, int32_t velocity, HitSetup& setup) const override;

    float sampleRate() const { return params.sampleRate(); }
    const SynthParameters& parameters() const { return params; }
    const DrumVoices& voices() const { return engine; }

private:
    static bool isProgramNumber(int32_t n) { return n >= 0 && n < kNumPrograms; }
    // render past its idle checks, with something sounding.
    void renderSounding(float* const* outputs, int32_t frames);

    // Where a nil output channel is rendered, in pieces this long.
    static constexpr int32_t kScratchFrames = 256;

    SynthParameters params;
    DrumVoices engine;
    std::unique_ptr<VstXSynthProgram> programs[kNumPrograms];
    Shared<int32_t> current{0};
    float scratch[2][kScratchFrames] = {};
    PeakMeter peaks{3};
};

}  // namespace tamrik
