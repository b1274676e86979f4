// The standalone program's window: the product's panel (as every plug-in
// editor shows it, binding/EditorPanel: its form, the user's scale else the
// platform's, its gestures and pump) with the device strip below it, in a
// fixed-size desktop window titled with the product's name. The program is
// the host here: the panel's values go straight to the instrument.
//
// It has no thread: the main loop waits on descriptors() for at most
// kPumpPeriodMs and then calls pump().
//
// Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "app/DeviceStrip.h"
#include "binding/EditorPanel.h"
#include "binding/Products.h"
#include "editor/ParameterLink.h"
#include "synth/Instrument.h"
#include "toolkit/Scale.h"

namespace tamrik::tk {
class TopLevelWindow;
}

namespace tamrik::app {

class StandaloneWindow final : private ParameterLink {
public:
    static constexpr int kPumpPeriodMs = int(binding::EditorPanel::kPumpPeriodMs);

    // Throws std::runtime_error (one line) without a display, or when the
    // panel cannot open.
    StandaloneWindow(const binding::Product& product, Instrument& instrument, DeviceStrip::Poll poll,
                     DeviceStrip::ChooseMidi choose);
    ~StandaloneWindow();

    // One round of the panel's and the strip's work; false once the user
    // closed the window.
    bool pump();
    // Shows or hides the window; hidden, it keeps pumping (a session
    // manager's optional GUI).
    void setShown(bool shown);
    bool shown() const { return shown_; }
    // The X connections to watch.
    std::vector<int> descriptors() const;
    int width() const { return width_; }
    int height() const { return height_; }
    DeviceStrip& strip() { return *strip_; }

private:
    void setParameterAutomated(int32_t index, float value) override { instrument_.setParameter(index, value); }
    float getParameter(int32_t index) override { return instrument_.getParameter(index); }
    // The panel's new device size: the window and the strip follow it.
    bool fitTo(int panelWidth, int panelHeight);
    // The strip's window: the strip below the panel, its list's room under the panel.
    void placeStrip(tk::Scale scale, int panelHeight);

    Instrument& instrument_;
    binding::EditorPanel panel_;
    std::unique_ptr<tk::TopLevelWindow> window_;
    std::unique_ptr<DeviceStrip> strip_;
    void* stripArea_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool shown_ = true;
};

}  // namespace tamrik::app
