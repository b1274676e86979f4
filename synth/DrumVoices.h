// The sound: 17 voices handed out in rotation, each running two sweeping
// table oscillators (with ring and FM), an attack-hold-release envelope with
// its curve, one of three fixed-point resonant filters, the clip stage and the
// gain. Everything here runs on the audio thread; it reads the parameters'
// derived values once per block, which the UI thread may change meanwhile.
//
// Every output sample is the sum of the voices in order 0 to 16, each voice
// advancing one sample at a time, so a voice starts and ends on its exact
// sample. For speed the voices are rendered into rows of up to kChunk
// samples first and the rows are then added voice by voice (RowSums), which
// gives the same sums bit for bit. The voice state is kept as one array per
// field, so that the voices of a lane group (4, 8 or 16, by the instruction
// set the CPU offers; LaneGroups forms them) render side by side in SIMD
// lanes (LaneKernel.h); a group with a single sounding voice takes the lanes
// across time instead (LoneVoice.h), and every voice on the scalar path runs
// the one-voice code (two voices at a time), which is the reference both
// reproduce bit for bit.
#pragma once

#include <cstdint>
#include <memory>

#include "synth/InstructionSet.h"
#include "synth/Parameters.h"
#include "synth/WaveTables.h"

namespace tamrik {

class LaneGroups;
struct LanePath;
class RowSums;
class SharedLanes;

class DrumVoices {
public:
    static constexpr int32_t kVoices = 17;
    static constexpr int32_t lastVoice = kVoices - 1;
    static constexpr int32_t stageIdle = static_cast<int32_t>(0xF0000001u);
    static constexpr int32_t kLanes = 32;  // 17 voices padded to two groups of the widest path

    // One voice's state, as the one-voice code works on it.
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

    // Every voice's state, one array per field; lanes past the last voice
    // stay idle.
    struct VoiceLanes {
        alignas(64) float phase1[kLanes], phase2[kLanes];
        alignas(64) int32_t note[kLanes], velocity[kLanes];
        alignas(64) int32_t low1[kLanes], band1[kLanes], high1[kLanes], low2[kLanes], band2[kLanes],
            high2[kLanes], smooth[kLanes];
        alignas(64) int32_t attackCount[kLanes], holdCount[kLanes], releaseCount[kLanes];
        alignas(64) int32_t sweep1Left[kLanes], sweep2Left[kLanes];
        alignas(64) int32_t stage[kLanes];
        alignas(64) float cutoffBase[kLanes], baseInc1[kLanes], baseInc2[kLanes],
            sweepStep1[kLanes], sweepStep2[kLanes];
        alignas(64) float voiceGain[kLanes];

        Voice get(int32_t v) const;
        void set(int32_t v, const Voice& voice);
        // Lane `v` takes lane `from` of `other`: every field, or only those
        // that rendering changes. (Defined in LaneGroups.cpp, beside the
        // scheduler that moves voices in and out of its groups.)
        void copy(int32_t v, const VoiceLanes& other, int32_t from);
        void copyRendered(int32_t v, const VoiceLanes& other, int32_t from);
    };

    // Renders on `path`, or on the best this CPU has where it lacks that one.
    explicit DrumVoices(const SynthParameters& parameters,
                        InstructionSet path = bestInstructionSet());
    ~DrumVoices();
    DrumVoices(const DrumVoices&) = delete;
    DrumVoices& operator=(const DrumVoices&) = delete;

    // initEngine: builds the shared tables and puts every voice to rest.
    // Several engines of one instance (a kit's pads) build the tables once,
    // so the instance draws its noise once, as a single-sound instance does.
    void initEngine(bool buildTables = true);

    // A note-on as the host delivers it: the next voice in turn starts the
    // note after deltaFrames samples (a negative count starts at once).
    void playNote(int32_t note, int32_t velocity, int32_t deltaFrames);
    void noteOn(int32_t note, int32_t velocity, int32_t deltaFrames, int32_t voice);
    void setVoicePitch(int32_t voice);
    void allSoundOff();
    // Puts the voices whose bits are set (bit v for voice v) to rest at once.
    void silence(uint32_t voiceMask);

    // The block loop: adds every voice's output to both channels, counting
    // waiting voices towards their start.
    void render(float* out1, float* out2, int32_t sampleFrames);
    // True when no voice sounds or waits: a block would add nothing.
    bool silent() const;

    Voice voice(int32_t v) const { return lanes.get(v); }
    int32_t nextVoice() const { return nextVoice_; }
    InstructionSet isa() const { return isa_; }

    // What the renderer reads of the parameters and tables, taken once per
    // block: a change from the UI thread reaches sounding voices at the next
    // block.
    struct BlockSettings {
        int32_t attackLength, holdLength, releaseLength, curveMode, filterWeight, filterType;
        int32_t clipFloor, clipCeiling, mix1, mix2, osc1Wave, osc2Wave;
        float attackStep, releaseStep, damping, envDepth, clipMakeup;
        bool ringOn, fmOn, clipOn, multiOn;
        // Oscillator 1 reads section 1 of its wave, oscillator 2 section 2;
        // ring and FM read the plain waves (section 0).
        const float *osc1Row, *osc2Row, *plain1Row, *plain2Row;
        int32_t osc1At, osc2At, plain1At, plain2At;  // the same rows as offsets
    };

    // A block's settings lane by lane, for lane groups whose voices belong
    // to different sounds (each lane its own sound's values). Switches are
    // 1 on, 0 off; the rows are offsets from WaveTables::Reader::origin().
    struct LaneSettings {
        alignas(64) int32_t attackLength[kLanes], holdLength[kLanes], releaseLength[kLanes];
        alignas(64) int32_t filterType[kLanes], clipCeiling[kLanes], mix1[kLanes], mix2[kLanes];
        // The clip's floor where Multi acts, else 0 (a floor of 0 leaves every magnitude).
        alignas(64) int32_t clipFloor[kLanes];
        alignas(64) int32_t osc1At[kLanes], osc2At[kLanes], plain1At[kLanes], plain2At[kLanes];
        alignas(64) int32_t ringOn[kLanes], fmOn[kLanes], clipOn[kLanes], square[kLanes],
            root[kLanes];
        alignas(64) float attackStep[kLanes], releaseStep[kLanes], damping[kLanes],
            envDepth[kLanes], clipMakeup[kLanes];
        alignas(64) float mix2Scale[kLanes];  // FM's halving: 0.5 with FM, else 1

        // Lane `l` takes the settings `s` of its voice's sound.
        void set(int32_t l, const BlockSettings& s);
    };

    static constexpr int32_t kChunk = 64;

private:
    friend class LaneGroups;
    friend class RowSums;
    friend class SharedLanes;

    // Every branch the lane kernel takes on a sound's settings rather than
    // lane by lane, and the rows it reads: lanes of sounds that agree on
    // these take LanePath::valuesByLane.
    struct Switches {
        uint32_t flags;
        int32_t osc1At, osc2At;
        bool operator==(const Switches&) const = default;
    };
    static Switches switchesOf(const BlockSettings& s) {
        const uint32_t curve = s.curveMode == 1 || s.curveMode == 2 ? uint32_t(s.curveMode) : 0;
        const uint32_t type = s.filterType == 0 || s.filterType == 1 ? uint32_t(s.filterType) : 2;
        const uint32_t flags = uint32_t(s.ringOn) | uint32_t(s.fmOn) << 1 |
                               uint32_t(s.clipOn) << 2 | uint32_t(s.multiOn && s.clipFloor > 0) << 3 |
                               uint32_t(s.clipCeiling >= 0) << 4 | curve << 5 | type << 7;
        return {flags, s.osc1At, s.osc2At};
    }

    // The one-voice code, the reference every lane path reproduces, by
    // filter weight: one voice from `start` to at most `frames` into its
    // row, answering where it stops; or two voices side by side, each as
    // alone (voices[x] into rows[x], end[x] gets where each stops).
    using OneVoice = int32_t (*)(Voice& voice, float* row, int32_t start, int32_t frames,
                                 const BlockSettings& s);
    using TwoVoices = void (*)(Voice* voices, float* const* rows, const int32_t* start,
                               int32_t* end, int32_t frames, const BlockSettings* const* settings);
    static const OneVoice oneVoice[3];
    static const TwoVoices twoVoices[3];

    BlockSettings takeSettings() const;
    // Bit v set for each voice v that sounds or waits.
    uint32_t busyVoices() const;
    // The rows the settings' waves read, from `tables` (which must hold the
    // noise if either wave is the noise).
    static void takeRows(BlockSettings& s, const WaveTables::Reader& tables);
    static bool readsNoise(const BlockSettings& s) {
        return s.osc1Wave == WaveTables::kNoise || s.osc2Wave == WaveTables::kNoise;
    }
    // Counts every voice towards its start: start[] and end[] get where each
    // sounds in a chunk of `frames` (both `frames` where it does not); the
    // answer has bit v set for each voice v that sounds.
    uint32_t beginChunk(int32_t frames);

    const SynthParameters& params;
    VoiceLanes lanes{};
    int32_t nextVoice_ = 0;
    InstructionSet isa_;
    const LanePath* paths[3] = {};  // the lane paths up to isa_, widest first
    int32_t pathCount = 0;
    // One row per sounding voice, and room for a group's idle lanes past the last.
    alignas(64) float scratch[kLanes][kChunk] = {};
    alignas(64) int32_t start[kLanes] = {}, end[kLanes] = {};
    uint32_t soundingMask = 0;  // in the chunk, from beginChunk
    // On the heap: a kit's pads never use theirs (SharedLanes forms their
    // groups) and keep the layout they had without it.
    std::unique_ptr<LaneGroups> groups;
};

}  // namespace tamrik
