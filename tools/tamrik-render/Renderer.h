// Plays a song through one or more plug-in instances and mixes them: a single
// sound gets every note as it comes, a kit sound only the note that triggers
// it, moved to the pitch it plays at. The loop runs in blocks, each block's
// events delivered first with their exact sample offsets, then the audio.
// After the song it keeps rendering until a whole block is silent (or the
// tail limit is reached) and trims the trailing silence, never cutting into
// the song's own length.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MidiFileReader.h"
#include "OfflineInstance.h"
#include "StereoBuffer.h"
#include "synth/FactoryPresets.h"

namespace tamrik::render {

struct SoundSetup {
    const FactoryPreset* preset = nullptr;  // none: the program's values
    std::optional<uint8_t> triggerNote;     // none: every note
    std::optional<uint8_t> pitch;           // none: the note as it comes
};

struct RenderSettings {
    uint32_t sampleRate = 44100;
    int blockSize = 512;
    int program = 0;
    std::vector<std::pair<std::string, float>> params;  // set after the preset
    double tailSeconds = 3.0;
};

class Renderer {
public:
    // Opens one instance per sound and sets it up. Throws ToolError for a
    // parameter name the plug-in does not have.
    Renderer(const PluginLibrary& library, const RenderSettings& settings,
             std::vector<SoundSetup> sounds);

    // Throws ToolError when the song is longer than an hour. `progress` gets
    // the fraction done, roughly, after every block. The answer is the mix of
    // the first output pair; with `pairs`, every output pair's mix goes there
    // too (the first pair again first), all of the same length. The song
    // ends when every output is silent.
    StereoBuffer render(const MidiSong& song, const std::function<void(double)>& progress,
                        std::vector<StereoBuffer>* pairs = nullptr);

private:
    void applySettings(OfflineInstance& instance, const SoundSetup& sound) const;
    void route(const MidiMessage& message, int32_t deltaFrames);

    RenderSettings settings;
    std::vector<SoundSetup> sounds;
    std::vector<std::pair<int32_t, float>> params;  // resolved to indices
    std::vector<std::unique_ptr<OfflineInstance>> instances;
    std::vector<EventBlock> eventBlocks;  // one per instance
};

}  // namespace tamrik::render
