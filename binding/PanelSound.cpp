#include "binding/PanelSound.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "binding/Products.h"
#include "common/WaveFile.h"
#include "kit/KitExport.h"
#include "synth/PeakMeter.h"

namespace tamrik::binding {

namespace {

// The writers take UTF-8 paths on every platform.
std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool usableRate(double rate) {
    return rate == 0.0 || (rate >= PanelSound::kLowestExportRate && rate <= double(HitRenderer::kMaxRate) &&
                           rate == std::floor(rate));
}

constexpr char kUnusableRate[] = "no usable sample rate";

}  // namespace

double PanelSound::soundRate() const {
    HitSetup setup{};
    return instrument_.hitSetup(0, 60, 127, setup) ? double(setup.sampleRate) : 0.0;
}

bool PanelSound::beginHit(int sound, int note, int velocity) {
    hit_.reset();
    HitSetup setup{};
    if (!instrument_.hitSetup(sound, note, velocity, setup)) return false;
    setup_ = setup;
    hit_ = std::make_unique<HitRenderer>(setup_);
    return true;
}

bool PanelSound::continueHit(int frames) { return hit_ && hit_->renderMore(std::max(0, frames)); }

int PanelSound::hitLength() const { return hit_ ? int(hit_->channel(0).size()) : 0; }

const float* PanelSound::hitSamples(int channel) const {
    return hit_ && (channel == 0 || channel == 1) ? hit_->channel(channel).data() : nullptr;
}

int PanelSound::meterCount() const {
    const PeakMeter* meters = instrument_.meters();
    return meters ? meters->count() : 0;
}

int PanelSound::takePeaks(std::span<float> peaks) {
    PeakMeter* meters = instrument_.meters();
    if (!meters) return 0;
    // Nothing published since the last take is silence.
    float all[PeakMeter::kMaxMeters] = {};
    meters->take(all);
    const int count = std::min(int(peaks.size()), meters->count());
    std::copy_n(all, count, peaks.begin());
    return count;
}

bool PanelSound::exportHit(const std::filesystem::path& file, double rate, std::string& message) {
    if (!hit_) {
        message = "no hit to export";
        return false;
    }
    if (!usableRate(rate)) {
        message = kUnusableRate;
        return false;
    }
    // The whole hit as begun, whatever the panel has rendered of it so far,
    // and at another rate a fresh hit of the same sound at that rate.
    HitSetup setup = setup_;
    if (rate != 0.0) setup.sampleRate = float(rate);
    HitRenderer whole(setup);
    whole.renderAll();
    return WaveFile::writeOneShot(Utf8(file), whole.channel(0), whole.channel(1), whole.sampleRate(), message);
}

bool PanelSound::exportKit(const std::filesystem::path& folder, std::span<const int> velocities, double rate,
                           std::string& message) {
    const kit::KitInstrument* kit = kitInstrumentOf(instrument_);
    if (!kit) {
        message = "this instrument is not a kit";
        return false;
    }
    if (!usableRate(rate)) {
        message = kUnusableRate;
        return false;
    }
    const kit::KitExport::Result result = kit::KitExport::write(
        *kit, Utf8(folder), std::vector<int32_t>(velocities.begin(), velocities.end()), float(rate));
    message = result.error;
    return result.error.empty();
}

}  // namespace tamrik::binding
