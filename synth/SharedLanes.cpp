#include "synth/SharedLanes.h"

#include <algorithm>
#include <bit>

#include "synth/LaneKernel.h"

namespace tamrik {

void SharedLanes::render(DrumVoices* const* sounds, float* const* out, int32_t count,
                         int32_t frames, float* const* pairs) {
    count = std::min(count, kMaxSounds);
    if (frames <= 0 || count <= 0) return;
    bool noise = false;
    for (int32_t k = 0; k < count; ++k) {
        settings[k] = sounds[k]->takeSettings();
        noise = noise || DrumVoices::readsNoise(settings[k]);
    }
    const WaveTables::Reader tables(noise);
    for (int32_t k = 0; k < count; ++k) {
        DrumVoices::takeRows(settings[k], tables);
        switches[k] = switchesOf(settings[k]);
    }

    for (int32_t done = 0; done < frames; done += DrumVoices::kChunk) {
        const int32_t chunk = std::min(DrumVoices::kChunk, frames - done);
        // Voices are grouped by filter weight, the one thing a lane group
        // cannot mix; the order of the groups changes no sum, since every
        // voice has a row of its own until the rows are added.
        int32_t counts[3] = {};
        for (int32_t k = 0; k < count; ++k) {
            const int32_t weight = settings[k].filterWeight;
            for (uint32_t rest = sounds[k]->beginChunk(chunk); rest != 0; rest &= rest - 1)
                byWeight[weight][counts[weight]++] = {k, std::countr_zero(rest)};
        }
        int32_t nextRow = 0;
        for (int32_t weight = 0; weight < 3; ++weight)
            renderWeight(sounds, byWeight[weight], counts[weight], weight, chunk, nextRow);
        for (int32_t k = 0; k < count; ++k) {
            if (pairs)
                sounds[k]->addSum(out[k] + done, pairs[k] + done, rowOf[k], chunk);
            else
                sounds[k]->addRows(out[k] + done, nullptr, rowOf[k], chunk);
        }
    }
}

SharedLanes::Switches SharedLanes::switchesOf(const DrumVoices::BlockSettings& s) {
    const uint32_t curve = s.curveMode == 1 || s.curveMode == 2 ? uint32_t(s.curveMode) : 0;
    const uint32_t type = s.filterType == 0 || s.filterType == 1 ? uint32_t(s.filterType) : 2;
    const uint32_t flags = uint32_t(s.ringOn) | uint32_t(s.fmOn) << 1 | uint32_t(s.clipOn) << 2 |
                           uint32_t(s.multiOn && s.clipFloor > 0) << 3 |
                           uint32_t(s.clipCeiling >= 0) << 4 | curve << 5 | type << 7;
    return {flags, s.osc1At, s.osc2At};
}

void SharedLanes::renderWeight(DrumVoices* const* sounds, const Entry* entries, int32_t count,
                               int32_t weight, int32_t frames, int32_t& nextRow) {
    if (count <= 0) return;
    const DrumVoices& lead = *sounds[entries[0].sound];
    const int32_t widest = lead.pathCount > 0 ? lead.paths[0]->width : 1;
    for (int32_t i = 0; i < count;) {
        const int32_t taken = std::min(count - i, widest);
        if (taken == 1) {  // a lone voice, across time
            const Entry e = entries[i];
            DrumVoices& sound = *sounds[e.sound];
            DrumVoices::Voice voice = sound.lanes.get(e.voice);
            sound.end[e.voice] = lead.renderAlone(weight, voice, rows[nextRow],
                                                  sound.start[e.voice], frames, settings[e.sound]);
            sound.lanes.set(e.voice, voice);
            rowOf[e.sound][e.voice] = rows[nextRow++];
            ++i;
            continue;
        }
        // The narrowest path that holds them.
        int32_t p = 0;
        while (p + 1 < lead.pathCount && lead.paths[p + 1]->width >= taken) ++p;
        const LanePath& path = *lead.paths[p];
        bool oneSound = true, sameSwitches = true;
        for (int32_t l = 0; l < taken; ++l) {
            const Entry e = entries[i + l];
            const DrumVoices& sound = *sounds[e.sound];
            group.copy(l, sound.lanes, e.voice);
            groupStart[l] = sound.start[e.voice];
            groupSettings.set(l, settings[e.sound]);
            oneSound = oneSound && e.sound == entries[i].sound;
            sameSwitches = sameSwitches && switches[e.sound] == switches[entries[i].sound];
        }
        static const DrumVoices::VoiceLanes rest{};
        for (int32_t l = taken; l < path.width; ++l) {
            group.copy(l, rest, 0);
            group.stage[l] = DrumVoices::stageIdle;
            groupStart[l] = frames;
        }
        const DrumVoices::BlockSettings& first = settings[entries[i].sound];
        // Lanes of one sound take its settings whole, as DrumVoices does.
        const LaneKernel kernel = oneSound       ? path.byWeight[weight]
                                  : sameSwitches ? path.valuesByLane[weight]
                                                 : path.perLane[weight];
        kernel(group, 0, rows + nextRow, groupStart, groupEnd, frames, first, &groupSettings);
        for (int32_t l = 0; l < taken; ++l) {
            const Entry e = entries[i + l];
            DrumVoices& sound = *sounds[e.sound];
            sound.lanes.copyRendered(e.voice, group, l);
            sound.end[e.voice] = groupEnd[l];
            rowOf[e.sound][e.voice] = rows[nextRow + l];
        }
        nextRow += taken;
        i += taken;
    }
}

}  // namespace tamrik
