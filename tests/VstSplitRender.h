// The VST 2 build playing a golden scenario with its blocks split at every
// parameter change: each part gets its change first, then the groove's
// notes inside it. What a format with changes inside a block must equal.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "HostHarness.h"
#include "SoundScenarios.h"

namespace tamrik::test::sound {

struct Change {
    int32_t frame;
    int32_t index;
    float value;
};

inline std::vector<float> playVstSplit(const Scenario& s, const std::vector<Change>& changes) {
    HostHarness host;
    host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, s.sampleRate);
    host.dispatch(vst::effMainsChanged, 0, 1);
    for (auto [index, value] : s.settings) host.setParameter(index, value);
    std::vector<int32_t> cuts = {0, kFrames};
    for (const Change& c : changes) cuts.push_back(c.frame);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::vector<float> out;
    for (size_t k = 0; k + 1 < cuts.size(); ++k) {
        const int32_t start = cuts[k], n = cuts[k + 1] - start;
        for (const Change& c : changes)
            if (c.frame == start) host.setParameter(c.index, c.value);
        std::vector<vst::VstMidiEvent> events;
        for (const GrooveNote& g : kGroove)
            if (g.frame >= start && g.frame < start + n)
                events.push_back(HostHarness::midi(0x90, g.note, g.velocity, g.frame - start));
        host.sendEvents(events);
        std::vector<float> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
        host.processReplacing(left.data(), right.data(), n);
        out.insert(out.end(), left.begin(), left.end());
    }
    return out;
}

}  // namespace tamrik::test::sound
