// The render loop. Instances are set up in the order a host restores a sound:
// program first (in the instance's constructor), then the preset's values
// through setParameter, then the user's --param values, then processing on.
#include "Renderer.h"

#include <algorithm>

#include "SongClock.h"
#include "ToolError.h"

namespace tamrik::render {

namespace {

constexpr double kLongestSongSeconds = 3600.0;

bool isKeyed(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;  // note off, note on, key pressure
}

}  // namespace

Renderer::Renderer(const PluginLibrary& library, const RenderSettings& renderSettings,
                   std::vector<SoundSetup> soundSetups)
    : settings(renderSettings), sounds(std::move(soundSetups)) {
    for (size_t i = 0; i < sounds.size(); ++i)
        instances.push_back(std::make_unique<OfflineInstance>(
            library, settings.sampleRate, settings.blockSize, settings.program));
    eventBlocks.resize(sounds.size());
    // Names come from the plug-in itself, so they always match what it serves.
    const std::vector<std::string> names = instances.front()->parameterNames();
    for (const auto& [name, value] : settings.params) {
        const auto found = std::find(names.begin(), names.end(), name);
        if (found == names.end())
            throw ToolError("--param: '" + name + "' is not a parameter of " + library.path() +
                            " (see --list-params)");
        params.emplace_back(static_cast<int32_t>(found - names.begin()), value);
    }
    for (size_t i = 0; i < sounds.size(); ++i) applySettings(*instances[i], sounds[i]);
}

void Renderer::applySettings(OfflineInstance& instance, const SoundSetup& sound) const {
    if (sound.preset != nullptr)
        for (size_t index = 0; index < sound.preset->values.size(); ++index)
            if (const std::optional<float>& value = sound.preset->values[index])
                instance.setParameter(static_cast<int32_t>(index), *value);
    for (const auto& [index, value] : params) instance.setParameter(index, value);
    instance.start();
}

void Renderer::route(const MidiMessage& message, int32_t deltaFrames) {
    const bool keyed = isKeyed(message.bytes[0]);
    for (size_t i = 0; i < sounds.size(); ++i) {
        const SoundSetup& sound = sounds[i];
        if (keyed && sound.triggerNote && *sound.triggerNote != message.bytes[1]) continue;
        uint8_t bytes[3] = {message.bytes[0], message.bytes[1], message.bytes[2]};
        if (keyed && sound.pitch) bytes[1] = *sound.pitch;
        eventBlocks[i].addMidi(deltaFrames, bytes, message.size);
    }
}

StereoBuffer Renderer::render(const MidiSong& song, const std::function<void(double)>& progress,
                              std::vector<StereoBuffer>* pairs) {
    const SongClock clock(song, settings.sampleRate);
    const int64_t songEnd = clock.frameAt(song.endTick);
    if (static_cast<double>(songEnd) > kLongestSongSeconds * settings.sampleRate)
        throw ToolError("lasts " + std::to_string(songEnd / settings.sampleRate / 60) +
                        " minutes; expected a song of at most an hour");
    const int64_t renderLimit =
        songEnd + static_cast<int64_t>(settings.tailSeconds * settings.sampleRate);
    const auto block = static_cast<int64_t>(settings.blockSize);

    // Pair 0 is the main mix; the others only when asked for.
    std::vector<StereoBuffer> mixes(pairs ? static_cast<size_t>(instances.front()->outputCount() / 2) : 1);
    for (StereoBuffer& out : mixes) {
        out.sampleRate = settings.sampleRate;
        // The whole song is held in memory; reserving it once avoids the
        // doubled peak of growing vectors.
        out.left.reserve(static_cast<size_t>(renderLimit + block));
        out.right.reserve(static_cast<size_t>(renderLimit + block));
    }
    size_t next = 0;
    bool lastBlockSilent = true;
    for (int64_t start = 0; start < renderLimit; start += block) {
        const bool songOver = start >= songEnd && next == song.messages.size();
        if (songOver && lastBlockSilent) break;
        for (EventBlock& events : eventBlocks) events.clear();
        for (; next < song.messages.size(); ++next) {
            const int64_t frame = clock.frameAt(song.messages[next].tick);
            if (frame >= start + block) break;
            route(song.messages[next], static_cast<int32_t>(frame - start));
        }
        for (StereoBuffer& out : mixes) {
            out.left.resize(static_cast<size_t>(start + block));
            out.right.resize(static_cast<size_t>(start + block));
        }
        lastBlockSilent = true;
        for (size_t i = 0; i < instances.size(); ++i) {
            instances[i]->process(eventBlocks[i], settings.blockSize);
            for (int c = 0; c < instances[i]->outputCount(); ++c) {
                const float* in = instances[i]->output(c);
                lastBlockSilent = lastBlockSilent && std::all_of(in, in + block, [](float s) { return s == 0.0f; });
                if (size_t(c / 2) >= mixes.size()) continue;
                StereoBuffer& out = mixes[size_t(c / 2)];
                float* mix = (c % 2 ? out.right.data() : out.left.data()) + start;
                for (int64_t k = 0; k < block; ++k) mix[k] += in[k];
            }
        }
        progress(std::min(1.0, static_cast<double>(start + block) /
                                   static_cast<double>(std::max<int64_t>(songEnd, block))));
    }
    auto silentAt = [&](size_t k) {
        return std::all_of(mixes.begin(), mixes.end(),
                           [&](const StereoBuffer& out) { return out.left[k] == 0.0f && out.right[k] == 0.0f; });
    };
    size_t length = std::min(mixes.front().frames(), static_cast<size_t>(renderLimit));
    while (length > static_cast<size_t>(songEnd) && silentAt(length - 1)) --length;
    for (StereoBuffer& out : mixes) {
        out.left.resize(length);
        out.right.resize(length);
    }
    if (pairs) *pairs = mixes;
    return std::move(mixes.front());
}

}  // namespace tamrik::render
