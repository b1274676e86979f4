// The sound: 17 voices handed out in rotation, each running two sweeping
// table oscillators (with ring and FM), an attack-hold-release envelope with
// its curve, one of three fixed-point resonant filters, the clip stage and the
// gain. Everything here runs on the audio thread; it reads the parameters'
// derived values once per block, which the UI thread may change meanwhile.
//
// Every output sample is the sum of the voices in order 0 to 16, each voice
// advancing one sample at a time, so a voice starts and ends on its exact
// sample. For speed the voices are rendered into rows of up to kChunk
// samples first (two at a time where both sound throughout) and the rows are
// then added voice by voice, which gives the same sums bit for bit.
#pragma once

#include <cstdint>

#include "synth/Parameters.h"

namespace tamrik {

class DrumVoices {
public:
    static constexpr int32_t kVoices = 17;
    static constexpr int32_t lastVoice = kVoices - 1;
    static constexpr int32_t stageIdle = static_cast<int32_t>(0xF0000001u);

    struct Voice {
        float phase1 = 0, phase2 = 0;  // never reset: a reused voice starts where it left off
        int32_t note = 0, velocity = 0;
        int32_t low1 = 0, band1 = 0, high1 = 0, low2 = 0, band2 = 0, high2 = 0, smooth = 0;
        int32_t attackCount = 0, holdCount = 0, releaseCount = 0;
        int32_t sweep1Left = 0, sweep2Left = 0;
        // 1 attack, 2 hold, 3 release, stageIdle silent, any other value <= 0
        // counts up once per sample towards its start.
        int32_t stage = stageIdle;
        float cutoffBase = 0, baseInc1 = 0, baseInc2 = 0, sweepStep1 = 0, sweepStep2 = 0;
        float voiceGain = 0;
    };

    explicit DrumVoices(const SynthParameters& parameters);

    // initEngine: builds the shared tables and puts every voice to rest.
    void initEngine();

    // A note-on as the host delivers it: the next voice in turn starts the
    // note after deltaFrames samples (a negative count starts at once).
    void playNote(int32_t note, int32_t velocity, int32_t deltaFrames);
    void noteOn(int32_t note, int32_t velocity, int32_t deltaFrames, int32_t voice);
    void setVoicePitch(int32_t voice);
    void allSoundOff();

    // The block loop: adds every voice's output to both channels, counting
    // waiting voices towards their start.
    void render(float* out1, float* out2, int32_t sampleFrames);

    const Voice& voice(int32_t v) const { return voices[v]; }
    int32_t nextVoice() const { return nextVoice_; }

    // What the renderer reads of the parameters, taken once per block: a
    // change from the UI thread reaches sounding voices at the next block.
    struct BlockSettings {
        int32_t attackLength, holdLength, releaseLength, curveMode, filterWeight, filterType;
        int32_t clipFloor, clipCeiling, mix1, mix2, osc1Wave, osc2Wave;
        float attackStep, releaseStep, damping, envDepth, clipMakeup;
        bool ringOn, fmOn, clipOn, multiOn;
    };

    static constexpr int32_t kChunk = 64;

private:
    // Renders up to kChunk samples of every voice into its scratch row and
    // notes the sounding range of each. One per filter routine (Light, Middle,
    // Heavy), picked through a table by Weight.
    using ChunkRenderer = void (*)(Voice* voices, float (*scratch)[kChunk], int32_t (*range)[2],
                                   int32_t frames, const BlockSettings& s);

    BlockSettings takeSettings() const;

    const SynthParameters& params;
    Voice voices[kVoices];
    int32_t nextVoice_ = 0;
    ChunkRenderer chunkRenderers[3] = {};
    float scratch[kVoices][kChunk] = {};
    int32_t range[kVoices][2] = {};
};

}  // namespace tamrik
