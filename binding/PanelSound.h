// The panel's HitLink over an instrument: a hit rendered by a HitRenderer
// from the instrument's own setup (so its samples are the instrument's, bit
// for bit), the instrument's meters, and the exports. It lives in the
// library that renders the audio (the plug-in's, or the LV2 DSP library),
// since a hit reads the wave tables that library built.
//
// UI thread, like the panel; takePeaks reads what the audio thread leaves
// without waiting on it.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "editor/HitLink.h"
#include "synth/HitRenderer.h"
#include "synth/HitSetup.h"
#include "synth/Instrument.h"

namespace tamrik::binding {

class PanelSound final : public HitLink {
public:
    explicit PanelSound(Instrument& instrument) : instrument_(instrument) {}

    bool beginHit(int sound, int note, int velocity) override;
    bool continueHit(int frames) override;
    int hitLength() const override;
    const float* hitSamples(int channel) const override;
    bool hitChannelsEqual() const override { return !hit_ || hit_->channelsEqual(); }
    double hitRate() const override { return hit_ ? double(hit_->sampleRate()) : 0.0; }
    double soundRate() const override;
    float hitEnvelope(int frame) const override { return hit_ ? hit_->envelope(frame) : 0.0f; }
    int envelopeLength() const override { return hit_ ? hit_->envelopeLength() : 0; }
    float hitPeak() const override { return hit_ ? hit_->peak() : 0.0f; }
    int hitLengthTo(double decibels) const override { return hit_ ? hit_->lengthTo(float(decibels)) : 0; }

    int meterCount() const override;
    int takePeaks(std::span<float> peaks) override;

    // Rates other than 0 are whole hertz from kLowestExportRate to
    // HitRenderer::kMaxRate: a WAV file's rate is a whole number, so any
    // other would be written as a rate it was not rendered at.
    static constexpr double kLowestExportRate = 8000.0;
    bool exportHit(const std::filesystem::path& file, double rate, std::string& message) override;
    bool exportKit(const std::filesystem::path& folder, std::span<const int> velocities, double rate,
                   std::string& message) override;

private:
    Instrument& instrument_;
    HitSetup setup_{};
    std::unique_ptr<HitRenderer> hit_;
};

}  // namespace tamrik::binding
