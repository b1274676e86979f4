#include "synth/HitRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/AddScaled.h"
#include "common/FloatingPointGuard.h"

namespace tamrik {

namespace {

bool acceptable(const HitSetup& setup) {
    if (!(setup.sampleRate > 0.0f && setup.sampleRate <= HitRenderer::kMaxRate)) return false;
    for (float v : setup.values)
        if (!std::isfinite(v)) return false;
    return std::isfinite(setup.gain[0]) && std::isfinite(setup.gain[1]);
}

// An enum field from plain data may hold any bits.
InstructionSet pathOf(InstructionSet isa) {
    for (InstructionSet path : kInstructionSets)
        if (path == isa) return path;
    return bestInstructionSet();
}

int32_t clampMidi(int32_t k) { return std::clamp(k, 0, 127); }

// The samples a stage lasts from a count of 0, as the voice counts: it ends
// on the sample whose count reaches `length`, or at once where it already has.
int64_t stageSamples(int32_t length) { return length <= 0 ? 1 : int64_t(length) + 1; }

}  // namespace

HitRenderer::HitRenderer(const HitSetup& setup) : voices(params, pathOf(setup.isa)) {
    voices.initEngine(false);
    if (!acceptable(setup)) return;
    const FloatingPointGuard fp;
    rate = setup.sampleRate;
    gains[0] = setup.gain[0];
    gains[1] = setup.gain[1];
    params.setSampleRate(rate);
    for (int32_t index : kProgramLoadOrder) params.set(index, setup.values[index]);
    limit = static_cast<int32_t>(std::floor(static_cast<double>(rate) * kMaxSeconds));

    const DerivedValues& d = params.derived();
    attackLength = d.attackLength.get();
    holdLength = d.holdLength.get();
    releaseLength = d.releaseLength.get();
    curveMode = d.curveMode.get();
    attackStep = d.attackStep.get();
    releaseStep = d.releaseStep.get();
    attackSamples = stageSamples(attackLength);
    holdSamples = stageSamples(holdLength);
    const int64_t total = attackSamples + holdSamples + stageSamples(releaseLength);
    envelopeLength_ = static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));

    voices.playNote(clampMidi(setup.note), clampMidi(setup.velocity), 0);
    done_ = false;
}

bool HitRenderer::renderMore(int32_t frames) {
    if (done_ || frames <= 0) return !done_;
    const FloatingPointGuard fp;
    alignas(16) float mono[kPiece], other[kPiece];
    for (int32_t rendered = 0; rendered < frames && !done_;) {
        const auto at = static_cast<int32_t>(left.size());
        int32_t n = std::min({kPiece, frames - rendered, limit - at});
        // Up to the envelope's end exactly, where the voice rests.
        if (at < envelopeLength_) n = std::min(n, envelopeLength_ - at);
        std::fill(mono, mono + n, 0.0f);
        std::fill(other, other + n, 0.0f);
        voices.render(mono, other, n);
        left.resize(size_t(at) + size_t(n), 0.0f);
        right.resize(size_t(at) + size_t(n), 0.0f);
        float* l = left.data() + at;
        float* r = right.data() + at;
        addScaled(l, mono, gains[0], n);
        addScaled(r, mono, gains[1], n);
        for (int32_t i = 0; i < n; ++i) peak_ = std::max({peak_, std::fabs(l[i]), std::fabs(r[i])});
        equal = equal && std::memcmp(l, r, size_t(n) * sizeof(float)) == 0;
        rendered += n;
        done_ = voices.silent() || at + n >= limit;
    }
    return !done_;
}

void HitRenderer::renderAll() {
    while (renderMore(1 << 16)) {
    }
}

int32_t HitRenderer::lengthTo(float decibels) const {
    const double level = std::pow(10.0, static_cast<double>(decibels) / 20.0);
    for (size_t n = left.size(); n > 0; --n)
        if (std::fabs(left[n - 1]) >= level || std::fabs(right[n - 1]) >= level) return static_cast<int32_t>(n);
    return 0;
}

// The voice's envelope formulas, sample by sample: the stage test comes
// before the value, so a stage's last sample still takes its formula.
float HitRenderer::envelope(int32_t sample) const {
    if (sample < 0 || sample >= envelopeLength_) return 0.0f;
    const FloatingPointGuard fp;
    float env;
    if (sample < attackSamples) {
        env = static_cast<float>(sample * static_cast<double>(attackStep));
    } else if (sample < attackSamples + holdSamples) {
        env = 1.0f;
    } else {
        const int64_t count = sample - attackSamples - holdSamples;
        env = static_cast<float>(static_cast<double>(static_cast<int64_t>(releaseLength) - count) *
                                 releaseStep);
    }
    env = std::min(std::max(env, 0.0f), 1.0f);
    if (curveMode == 1)
        env = env * env;
    else if (curveMode == 2)
        env = std::sqrt(env);
    return env;
}

}  // namespace tamrik
