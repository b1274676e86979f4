#include "synth/LaneGroups.h"

#include <algorithm>

#include "synth/LaneKernel.h"

namespace tamrik {

// A voice moved between its sound's lanes, a group's and the one-voice code:
// defined beside the scheduler, which calls them in its loops, so that the
// compiler knows which registers a call leaves alone (in another file each
// call costs spills and reloads around it).

namespace {

// The voice fields that rendering changes. Always inlined: a call would
// read the visitor's captures again after every field it stores.
template <class Visit>
[[gnu::always_inline]] inline void eachRenderedField(Visit visit) {
    using V = DrumVoices::Voice;
    using L = DrumVoices::VoiceLanes;
    visit(&V::phase1, &L::phase1), visit(&V::phase2, &L::phase2);
    visit(&V::low1, &L::low1), visit(&V::band1, &L::band1), visit(&V::high1, &L::high1);
    visit(&V::low2, &L::low2), visit(&V::band2, &L::band2), visit(&V::high2, &L::high2);
    visit(&V::smooth, &L::smooth);
    visit(&V::attackCount, &L::attackCount), visit(&V::holdCount, &L::holdCount);
    visit(&V::releaseCount, &L::releaseCount);
    visit(&V::sweep1Left, &L::sweep1Left), visit(&V::sweep2Left, &L::sweep2Left);
    visit(&V::stage, &L::stage);
}

// Every voice field in one list, for moving a voice between its lanes and
// the one-voice code: the rendered ones and those fixed at note-on.
template <class Visit>
[[gnu::always_inline]] inline void eachField(Visit visit) {
    using V = DrumVoices::Voice;
    using L = DrumVoices::VoiceLanes;
    eachRenderedField(visit);
    visit(&V::note, &L::note), visit(&V::velocity, &L::velocity);
    visit(&V::cutoffBase, &L::cutoffBase), visit(&V::baseInc1, &L::baseInc1);
    visit(&V::baseInc2, &L::baseInc2), visit(&V::sweepStep1, &L::sweepStep1);
    visit(&V::sweepStep2, &L::sweepStep2), visit(&V::voiceGain, &L::voiceGain);
}

}  // namespace

DrumVoices::Voice DrumVoices::VoiceLanes::get(int32_t v) const {
    Voice voice;
    eachField([&](auto field, auto lane) { voice.*field = (this->*lane)[v]; });
    return voice;
}

void DrumVoices::VoiceLanes::set(int32_t v, const Voice& voice) {
    eachField([&](auto field, auto lane) { (this->*lane)[v] = voice.*field; });
}

void DrumVoices::VoiceLanes::copy(int32_t v, const VoiceLanes& other, int32_t from) {
    eachField([&](auto, auto lane) { (this->*lane)[v] = (other.*lane)[from]; });
}

void DrumVoices::VoiceLanes::copyRendered(int32_t v, const VoiceLanes& other, int32_t from) {
    eachRenderedField([&](auto, auto lane) { (this->*lane)[v] = (other.*lane)[from]; });
}

int32_t LaneGroups::renderAlone(const DrumVoices& lead, int32_t weight, Voice& voice, float* row,
                                int32_t from, int32_t frames, const BlockSettings& s) {
    // The widest lanes across time: measured the fastest.
    const LoneRenderer alone =
        lead.pathCount > 0 ? lead.paths[0]->lone[weight] : DrumVoices::oneVoice[weight];
    return alone(voice, row, from, frames, s);
}

void LaneGroups::render(Chunk& chunk) {
    // The pointers are read from `chunk` where they are used; the numbers,
    // which as far as the compiler knows the stores below could change, are
    // taken once.
    const auto& [sounds, settings, switches, perLane, rows, rowOf, entries, chunkCount,
                 chunkWeight, chunkFrames, firstRow] = chunk;
    const int32_t count = chunkCount, weight = chunkWeight, frames = chunkFrames;
    int32_t nextRow = firstRow;
    if (count <= 0) return;
    const DrumVoices& lead = *sounds[entries[0].sound];
    const int32_t widest = lead.pathCount > 0 ? lead.paths[0]->width : 1;
    for (int32_t i = 0; i < count;) {
        const Entry* e = entries + i;
        const int32_t taken = std::min(count - i, widest);
        DrumVoices& first = *sounds[e[0].sound];
        const BlockSettings& s = settings[e[0].sound];
        if (widest == 1 && count - i >= 2) {
            // The one-voice code, two voices at a time.
            Voice two[2];
            float* twoRows[2];
            int32_t from[2], to[2];
            const BlockSettings* twoSettings[2];
            for (int32_t x = 0; x < 2; ++x) {
                const DrumVoices& sound = *sounds[e[x].sound];
                two[x] = sound.lanes.get(e[x].voice);
                twoRows[x] = rows[nextRow + x];
                from[x] = sound.start[e[x].voice];
                twoSettings[x] = &settings[e[x].sound];
            }
            DrumVoices::twoVoices[weight](two, twoRows, from, to, frames, twoSettings);
            for (int32_t x = 0; x < 2; ++x) {
                DrumVoices& sound = *sounds[e[x].sound];
                sound.lanes.set(e[x].voice, two[x]);
                sound.end[e[x].voice] = to[x];
                rowOf[e[x].sound][e[x].voice] = twoRows[x];
            }
            nextRow += 2;
            i += 2;
            continue;
        }
        if (taken == 1) {
            Voice voice = first.lanes.get(e[0].voice);
            first.end[e[0].voice] =
                renderAlone(lead, weight, voice, rows[nextRow], first.start[e[0].voice], frames, s);
            first.lanes.set(e[0].voice, voice);
            rowOf[e[0].sound][e[0].voice] = rows[nextRow++];
            ++i;
            continue;
        }
        int32_t p = 0;
        while (p + 1 < lead.pathCount && lead.paths[p + 1]->width >= taken) ++p;
        const LanePath& path = *lead.paths[p];
        const bool oneSound = e[taken - 1].sound == e[0].sound;  // entries come by sound
        if (oneSound && e[taken - 1].voice - e[0].voice == taken - 1) {
            // Neighbours: no copy. The lanes past them do not sound in the
            // chunk (they would be entries of this group).
            path.byWeight[weight](first.lanes, e[0].voice, rows + nextRow, first.start, first.end,
                                  frames, s, nullptr);
            for (int32_t l = 0; l < taken; ++l) rowOf[e[0].sound][e[l].voice] = rows[nextRow + l];
        } else {
            bool sameSwitches = true;
            for (int32_t l = 0; l < taken; ++l) {
                const Entry at = e[l];
                const DrumVoices& sound = *sounds[at.sound];
                lanes.copy(l, sound.lanes, at.voice);
                start[l] = sound.start[at.voice];
                if (!oneSound) {
                    perLane->set(l, settings[at.sound]);
                    sameSwitches = sameSwitches && switches[at.sound] == switches[e[0].sound];
                }
            }
            static const VoiceLanes rest{};
            for (int32_t l = taken; l < path.width; ++l) {
                lanes.copy(l, rest, 0);
                lanes.stage[l] = DrumVoices::stageIdle;
                start[l] = frames;
            }
            // Lanes of one sound take its settings whole.
            const LaneKernel kernel = oneSound       ? path.byWeight[weight]
                                      : sameSwitches ? path.valuesByLane[weight]
                                                     : path.perLane[weight];
            kernel(lanes, 0, rows + nextRow, start, end, frames, s, perLane);
            for (int32_t l = 0; l < taken; ++l) {
                const Entry at = e[l];
                DrumVoices& sound = *sounds[at.sound];
                sound.lanes.copyRendered(at.voice, lanes, l);
                sound.end[at.voice] = end[l];
                rowOf[at.sound][at.voice] = rows[nextRow + l];
            }
        }
        nextRow += taken;
        i += taken;
    }
    chunk.nextRow = nextRow;
}

}  // namespace tamrik
