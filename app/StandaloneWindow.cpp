#include "app/StandaloneWindow.h"

#include <stdexcept>

#include "editor/TForm1.h"
#include "toolkit/PlatformBackend.h"
// Last: Xlib's macros would break the headers above.
#include "toolkit/TopLevelWindow.h"

namespace tamrik::app {

namespace {

// The scale a panel of this device width is at.
tk::Scale scaleOfWidth(int width) { return tk::Scale(width * 100 / TForm1::kWidth); }

}  // namespace

StandaloneWindow::StandaloneWindow(const binding::Product& product, Instrument& instrument, DeviceStrip::Poll poll,
                                   DeviceStrip::ChooseMidi choose)
    : instrument_(instrument), panel_(product, *this) {
    const tk::Scale scale = panel_.scale();
    width_ = panel_.width();
    const int panelHeight = panel_.height();
    height_ = panelHeight + scale.Dev(DeviceStrip::kHeight);
    window_ = std::make_unique<tk::TopLevelWindow>(width_, height_, product.identity.name);
    strip_ = std::make_unique<DeviceStrip>(tk::CreatePlatformBackend(), std::move(poll), std::move(choose));
    // Made before the panel's window, so that it lies under it.
    stripArea_ = window_->addArea(0, 0, 1, 1);
    placeStrip(scale, panelHeight);
    if (!panel_.open(tk::NativeWindow(window_->handle()), binding::kitControlsOf(instrument),
                     [this](int w, int h) { return fitTo(w, h); }))
        throw std::runtime_error("the panel did not open in its window");
    const auto backdrop = [this] {
        const tk::PixelBuffer& panel = panel_.form()->Surface();
        const int room = panel_.scale().Dev(DeviceStrip::kListRoom);
        return panel.Crop({0, panel.Height() - room, panel.Width(), panel.Height()});
    };
    const auto raise = [this](bool above) { window_->raiseArea(stripArea_, above); };
    if (!strip_->open(tk::NativeWindow(stripArea_), panel_.scale(), backdrop, raise))
        throw std::runtime_error("the device strip did not open in its window");
}

StandaloneWindow::~StandaloneWindow() {
    // The panel's and the strip's windows go before the one they live in.
    panel_.close();
    strip_.reset();
}

bool StandaloneWindow::fitTo(int panelWidth, int panelHeight) {
    const tk::Scale scale = scaleOfWidth(panelWidth);
    width_ = panelWidth;
    height_ = panelHeight + scale.Dev(DeviceStrip::kHeight);
    window_->resize(width_, height_);
    placeStrip(scale, panelHeight);
    strip_->setScale(scale);
    return true;
}

void StandaloneWindow::placeStrip(tk::Scale scale, int panelHeight) {
    const int room = scale.Dev(DeviceStrip::kListRoom);
    window_->placeArea(stripArea_, 0, panelHeight - room, width_, height_ - panelHeight + room);
}

bool StandaloneWindow::pump() {
    const bool open = window_->pump();
    panel_.idle();
    strip_->idle();
    return open;
}

void StandaloneWindow::setShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    window_->setShown(shown);
}

std::vector<int> StandaloneWindow::descriptors() const {
    return {window_->eventDescriptor(), panel_.eventDescriptor(), strip_->eventDescriptor()};
}

}  // namespace tamrik::app
