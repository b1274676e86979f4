// DrumTamrik Kit as a format-blind instrument (synth/Instrument.h): sixteen
// pads, each a complete DrumTamrik sound on its own key, pitch, level, pan,
// output and choke group; 482 parameters (kit/KitMap.h); 18 output channels
// (Main and eight stereo pairs); the factory kits as programs; the whole kit
// (values, pad names, kit name) as its state.
//
// A pad alone at its default Level, Pan and Velocity with Pitch N plays bit
// for bit what DrumTamrik plays for note N with the same 22 values; pads are
// summed in pad order, and a pad with nothing sounding costs nothing.
#pragma once

#include <memory>

#include <atomic>

#include "common/Shared.h"
#include "kit/KitControls.h"
#include "kit/KitMap.h"
#include "kit/KitPad.h"
#include "kit/KitSnapshot.h"
#include "kit/SharedName.h"
#include "synth/Instrument.h"
#include "synth/PeakMeter.h"
#include "synth/SharedLanes.h"

namespace tamrik::kit {

class KitInstrument final : public Instrument, public KitControls {
public:
    static constexpr int32_t kUniqueId = ('T' << 24) | ('m' << 16) | ('K' << 8) | 't';
    static constexpr uint32_t kStateVersion = 1;
    static constexpr int32_t kGroupCount = kPads + 1;  // the pads, then the kit-wide pair
    static constexpr float kChokeFadeSeconds = 0.005f;

    // At 44100 Hz with the "Init" kit loaded; every pad's voices render on
    // `path` (or the best this CPU has, where it lacks it).
    explicit KitInstrument(InstructionSet path = bestInstructionSet());

    // Name, vendor, VST 2 id: what every format calls the instrument.
    static const InstrumentIdentity kIdentity;
    const InstrumentIdentity& identity() const override { return kIdentity; }
    int32_t parameterCount() const override { return kKitParameters; }
    int32_t programCount() const override;
    int32_t outputCount() const override { return kOutputChannels; }
    void outputName(int32_t channel, char* text, size_t size) const override;

    float parameterDefault(int32_t index) const override;
    int32_t parameterSteps(int32_t index) const override;
    void parameterShortName(int32_t index, char* text, size_t size) const override;
    void parameterName(int32_t index, char* text, size_t size) const override;
    void parameterLabel(int32_t index, char* text, size_t size) const override;
    // Choice k is what parameterDisplay shows for the value k / steps.
    void choiceName(int32_t index, int32_t k, char* text, size_t size) const override;
    int32_t groupCount() const override { return kGroupCount; }
    int32_t parameterGroup(int32_t index) const override;
    void groupName(int32_t group, char* text, size_t size) const override;

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) const override;
    void parameterDisplay(int32_t index, char* text, size_t size) const override;
    void valueDisplay(int32_t index, float value, char* text, size_t size) const override;
    // Every display text reads back: the pads' settings and the kit-wide
    // ones by their own texts (kit/PadSettings.h), the sounds' as ever.
    bool valueFromText(int32_t index, const char* text, float& value) const override;

    // A program is a factory kit: selecting one loads it whole, except that
    // selecting the current one again changes nothing (hosts do that after
    // restoring a session, which must survive it).
    int32_t currentProgram() const override { return current.get(); }
    void setProgram(int32_t program) override;
    void programName(int32_t program, char* text, size_t size) const override;
    void setProgramName(const char* name) override;  // names the kit
    bool copyProgram(int32_t) override { return false; }  // factory kits stay as they are

    void setSampleRate(float rate) override;
    void receiveMidi(const uint8_t* bytes, size_t size, int32_t frame) override;
    void render(float* const* outputs, int32_t frames) override;
    bool sounding() const override;
    // Every pad, whatever channel the kit listens to.
    void allSoundOff() override;
    // The pads on that key fade as a choke group's do, muted or not.
    void chokeKey(int32_t key, int32_t channel, int32_t frame) override;
    // [0 .. 15] each pad's level (the peak of its sum times the larger of
    // its two channel gains; 0 for a muted pad), [16 .. 33] the 18 channels
    // (those the block added to).
    PeakMeter* meters() override { return &meter; }

    // Records 'CURR' (the program), 'KNAM' (kit name), 'VALS' (count, then
    // the values by index), 'PADN' per pad (its number and name).
    std::vector<uint8_t> saveState() const override;
    bool loadState(const uint8_t* data, size_t size) override;
    // Sound = pad 0..15, as it plays when struck, muted or not: at its
    // Pitch (`note` is not used) and blended velocity, at Level x Pan x
    // Volume.
    bool hitSetup(int32_t sound, int32_t note, int32_t velocity, HitSetup& setup) const override;

    // The whole kit at once (UI thread; load may come while the audio
    // thread renders, as any parameter change).
    KitSnapshot snapshot() const;
    void load(const KitSnapshot& kit);

    std::string kitName() const { return kitName_.get(); }
    std::string padName(int32_t pad) const;
    void setPadName(int32_t pad, const char* name) override;
    const KitPad& pad(int32_t p) const { return pads[p]; }

    // The panel's view (kit/KitControls.h).
    void padName(int32_t pad, char* text, size_t size) const override;
    void kitName(char* text, size_t size) const override;
    void setKitName(const char* name) override { setProgramName(name); }
    void audition(int32_t pad) override;
    uint32_t hitCount(int32_t pad) const override;
    uint32_t lastNote() const override { return lastNote_.load(std::memory_order_relaxed); }

private:
    void loadFactoryKit(int32_t kit);
    // The kit's Volume as a gain, for every pad's mix.
    double masterGain() const { return levelGain(clampUnit(volume.get())); }
    // Audio thread: the pads in `hit` play a note of `velocity` at `frame`,
    // fading the rest of their choke groups.
    void strike(uint32_t hit, int32_t velocity, int32_t frame);
    // Audio thread: render past its idle checks, with a pad awake.
    void renderAwake(float* const* outputs, int32_t frames);
    // Audio thread, after a render that sounded: the pads' peaks (each
    // active pad's sum, by its place in `active`) and the channels' of the
    // pairs written (a bit each).
    void publishPeaks(float* const* outputs, int32_t frames, uint32_t writtenPairs,
                      const int32_t* active, const float* padPeaks, const float (*gains)[2],
                      const bool* muted, int32_t count);

    // Pads render in pieces this long.
    static constexpr int32_t kPiece = 256;

    std::unique_ptr<KitPad[]> pads;
    Shared<float> channel, volume;
    SharedName kitName_, padNames[kPads];
    Shared<int32_t> current{0};
    Shared<float> rate{44100.0f};
    // The panel's pads to audition (a bit each), taken by the next render;
    // the counts the audio thread alone writes.
    std::atomic<uint32_t> auditions{0};
    std::atomic<uint32_t> hits[kPads] = {};
    std::atomic<uint32_t> lastNote_{0};

    // Audio thread only: every pad's sound for a piece, and the voices of
    // all pads rendered together.
    uint32_t serial = 0;
    uint32_t awake = 0;  // bit p: pad p was struck and may not rest yet
    std::unique_ptr<float[][kPiece]> mono;
    std::unique_ptr<SharedLanes> lanes;
    static_assert(kPads + kOutputChannels <= PeakMeter::kMaxMeters);
    PeakMeter meter{kPads + kOutputChannels};
};

}  // namespace tamrik::kit
