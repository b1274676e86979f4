#include "synth/SharedLanes.h"

#include <algorithm>
#include <bit>

#include "synth/PeakMeter.h"
#include "synth/RowSums.h"

namespace tamrik {

void SharedLanes::render(DrumVoices* const* sounds, float* const* out, int32_t count,
                         int32_t frames, float* const* pairs, float* peaks) {
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
        switches[k] = DrumVoices::switchesOf(settings[k]);
    }

    LaneGroups::Chunk voices = {.sounds = sounds,
                                .settings = settings,
                                .switches = switches,
                                .perLane = &groupSettings,
                                .rows = rows,
                                .rowOf = rowOf,
                                .entries = nullptr,
                                .count = 0,
                                .weight = 0,
                                .frames = 0,
                                .nextRow = 0};
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
        voices.frames = chunk;
        voices.nextRow = 0;
        for (int32_t weight = 0; weight < 3; ++weight) {
            voices.entries = byWeight[weight];
            voices.count = counts[weight];
            voices.weight = weight;
            groups.render(voices);
        }
        for (int32_t k = 0; k < count; ++k) {
            if (pairs) {
                const float peak =
                    RowSums::addSum(*sounds[k], out[k] + done, pairs[k] + done, rowOf[k], chunk);
                if (peaks) peaks[k] = PeakMeter::larger(peaks[k], peak);
            } else
                RowSums::add(*sounds[k], out[k] + done, nullptr, rowOf[k], chunk);
        }
    }
}

}  // namespace tamrik
