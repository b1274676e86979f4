#include "binding/PanelSound.h"

#include <algorithm>

namespace tamrik::binding {

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

int PanelSound::meterCount() const { return 0; }

int PanelSound::takePeaks(std::span<float>) { return 0; }

bool PanelSound::exportHit(const std::filesystem::path&, std::string& message) {
    message = "export is not available yet";
    return false;
}

bool PanelSound::exportKit(const std::filesystem::path&, std::span<const int>, std::string& message) {
    message = "export is not available yet";
    return false;
}

}  // namespace tamrik::binding
