// The pads' sound into the outputs: every awake pad's voices rendered
// together, in pieces cut at every pad's events, then each pad's sum added
// to its pair at its level and pan, pads in order. Where every pad plays at
// unity into a pair of its own, the sums go straight into the pairs. Then
// the pads' and the written channels' peaks go to the meters.
#include "kit/KitInstrument.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/AddScaled.h"
#include "common/FloatingPointGuard.h"

namespace tamrik::kit {

namespace {

// A pad at gain 1 on both channels: left, then right, each out[i] + mono[i]
// as addScaled gives it (the two may be one buffer).
void addBoth(float* left, float* right, const float* mono, int32_t n) {
    int32_t i = 0;
#if defined(__SSE2__)
    const auto at = [](const float* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(float);
    if (at(left) >= at(right) + bytes || at(right) >= at(left) + bytes) {
        for (; i + 4 <= n; i += 4) {
            const __m128 m = _mm_loadu_ps(mono + i);
            _mm_storeu_ps(left + i, _mm_add_ps(_mm_loadu_ps(left + i), m));
            _mm_storeu_ps(right + i, _mm_add_ps(_mm_loadu_ps(right + i), m));
        }
        for (; i < n; ++i) {
            left[i] = left[i] + mono[i];
            right[i] = right[i] + mono[i];
        }
        return;
    }
#endif
    addScaled(left, mono, 1.0f, n);
    addScaled(right, mono, 1.0f, n);
}

// True when any two of the channels are one buffer or lie apart over n
// samples: then adding to them chunk by chunk gives each sample its adds in
// the order that adding whole channels one after the other gives.
bool apartOrSame(const float* const* channels, int32_t count, int32_t n) {
    const auto at = [](const float* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(float);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t j = 0; j < i; ++j) {
            const uintptr_t a = at(channels[i]), b = at(channels[j]);
            if (a != b && a < b + bytes && b < a + bytes) return false;
        }
    return true;
}
}  // namespace

void KitInstrument::render(float* const* outputs, int32_t frames) {
    if (frames <= 0 || !outputs) return;
    // Muted pads stay silent when auditioned, as when their key is played.
    // A plain load first: an idle block pays no exchange.
    if (auditions.load(std::memory_order_relaxed) != 0) {
        const uint32_t wanted = auditions.exchange(0, std::memory_order_relaxed);
        uint32_t audible = 0;
        for (int32_t p = 0; p < kPads; ++p)
            if (wanted >> p & 1 && !pads[p].muted()) audible |= 1u << p;
        strike(audible, 127, 0);
    }
    if (awake == 0) return;  // nothing to add: no arithmetic, so no guard
    renderAwake(outputs, frames);
}

// Out of line, so that an idle block never sets up this one's frame.
[[gnu::noinline]] void KitInstrument::renderAwake(float* const* outputs, int32_t frames) {
    int32_t active[kPads], count = 0;
    for (uint32_t rest = awake; rest != 0; rest &= rest - 1) {
        const int32_t p = std::countr_zero(rest);
        if (pads[p].idle())
            awake &= ~(1u << p);
        else
            active[count++] = p;
    }
    if (count == 0) return;
    const FloatingPointGuard fp;
    const double master = masterGain();
    const int32_t fadeLength = roundEven(static_cast<double>(rate.get()) * kChokeFadeSeconds);
    // Each active pad's gain per channel for the block, rounded once;
    // exactly 1 at the defaults, so a lone pad passes through bit for bit.
    float gains[kPads][2];
    bool muted[kPads];
    DrumVoices* engines[kPads];
    // When every pad plays into both channels of its pair as it is (unmuted,
    // at unity gain, the pairs apart), the pads' sums can skip their own
    // channels and be rendered straight into the pairs: intoPairs.
    float *lefts[kPads], *rights[kPads];
    const float* channels[kOutputChannels];
    int32_t channelCount = 0;
    uint32_t usedPairs = 0;
    uint32_t writtenPairs = 0;  // the pairs the unmuted pads add to
    bool intoPairs = true;
    for (int32_t k = 0; k < count; ++k) {
        const KitPad& pad = pads[active[k]];
        pad.gains(master, gains[k]);
        muted[k] = pad.muted();
        engines[k] = &pads[active[k]].engine();
        const int32_t pair = pad.output();
        lefts[k] = outputs[2 * pair];
        rights[k] = outputs[2 * pair + 1];
        if (!muted[k]) writtenPairs |= 1u << pair;
        intoPairs = intoPairs && !muted[k] && lefts[k] && rights[k] && gains[k][0] == 1.0f &&
                gains[k][1] == 1.0f;
        if (intoPairs && !(usedPairs >> pair & 1)) {
            usedPairs |= 1u << pair;
            channels[channelCount++] = lefts[k];
            channels[channelCount++] = rights[k];
        }
    }
    intoPairs = intoPairs && apartOrSame(channels, channelCount, frames);
    float padPeaks[kPads] = {};  // each active pad's sum, before its gains
    for (int32_t from = 0; from < frames; from += kPiece) {
        const int32_t n = std::min(kPiece, frames - from);
        float* spans[kPads];
        bool rendered[kPads] = {};  // since the pad's last event
        bool wentIntoPairs = false;  // this piece: nothing left to add
        // Every pad's voices together, in spans cut at every pad's events:
        // a voice rendered in pieces gives the same samples.
        for (int32_t done = 0; done < n;) {
            int32_t cut = n;
            bool fading = false;
            for (int32_t k = 0; k < count; ++k) {
                KitPad& pad = pads[active[k]];
                if (pad.nextEvent() - from <= done) {
                    if (rendered[k]) pad.endSpan();
                    rendered[k] = false;
                    pad.applyEvents(from + done, fadeLength);
                }
                cut = std::min(cut, pad.nextEvent() - from);
                fading = fading || pad.fades();
            }
            // One span with nothing to fade: each pad's sum goes to its pair
            // as it would from its own channel, pads in order.
            wentIntoPairs = intoPairs && done == 0 && cut == n && !fading;
            if (wentIntoPairs) {
                float *left[kPads], *right[kPads];
                for (int32_t k = 0; k < count; ++k) {
                    left[k] = lefts[k] + from;
                    right[k] = rights[k] + from;
                }
                lanes->render(engines, left, count, n, right, padPeaks);
            } else {
                for (int32_t k = 0; k < count; ++k) {
                    spans[k] = mono[k] + done;
                    std::fill(spans[k], spans[k] + (cut - done), 0.0f);
                }
                lanes->render(engines, spans, count, cut - done);
                for (int32_t k = 0; k < count; ++k) pads[active[k]].fade(spans[k], cut - done);
            }
            for (int32_t k = 0; k < count; ++k) rendered[k] = true;
            done = cut;
        }
        // Pads are summed in pad order.
        for (int32_t k = 0; k < count; ++k) {
            if (rendered[k]) pads[active[k]].endSpan();
            if (muted[k] || wentIntoPairs) continue;
            padPeaks[k] = PeakMeter::larger(padPeaks[k], PeakMeter::peakOf(mono[k], n));
            float* left = lefts[k];
            float* right = rights[k];
            if (left && right && gains[k][0] == 1.0f && gains[k][1] == 1.0f) {
                addBoth(left + from, right + from, mono[k], n);
                continue;
            }
            if (left) addScaled(left + from, mono[k], gains[k][0], n);
            if (right) addScaled(right + from, mono[k], gains[k][1], n);
        }
    }
    // A pad that falls silent leaves `awake` at the start of the next block.
    for (int32_t k = 0; k < count; ++k) pads[active[k]].endBlock(frames);
    publishPeaks(outputs, frames, writtenPairs, active, padPeaks, gains, muted, count);
}

void KitInstrument::publishPeaks(float* const* outputs, int32_t frames, uint32_t writtenPairs,
                                 const int32_t* active, const float* padPeaks,
                                 const float (*gains)[2], const bool* muted, int32_t count) {
    float peak[kPads + kOutputChannels] = {};
    for (int32_t k = 0; k < count; ++k) {
        if (muted[k]) continue;
        const double gain = std::max(gains[k][0], gains[k][1]);
        peak[active[k]] = static_cast<float>(static_cast<double>(padPeaks[k]) * gain);
    }
    for (uint32_t rest = writtenPairs; rest != 0; rest &= rest - 1)
        for (const int32_t c : {2 * std::countr_zero(rest), 2 * std::countr_zero(rest) + 1})
            if (outputs[c]) peak[kPads + c] = PeakMeter::peakOf(outputs[c], frames);
    meter.publish(peak);
}

}  // namespace tamrik::kit
