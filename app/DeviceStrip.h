// The strip below the standalone panel: the audio back end, its rate and
// buffer, the MIDI input (the sources listed, one chosen by a click), the
// CPU load and the xruns, in the panel's controls and look. A form of its
// own, in its own native window; what it shows comes from a poll a few
// times a second, so it never waits on the audio side.
//
// A form's drop-down list stays inside the form, so the form reaches
// kListRoom above the strip, under the panel's bottom edge: while the MIDI
// list is open the window holding the strip is raised over the panel
// (onListShown) and that room shows the panel's pixels (the backdrop).
//
// UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Backend.h"
#include "toolkit/PixelBuffer.h"
#include "toolkit/Scale.h"

namespace tamrik::tk {
class TComboBox;
class TForm;
class TLabel;
class TTimer;
class TWinControl;
}  // namespace tamrik::tk

namespace tamrik::app {

struct DeviceStatus {
    std::string backend;  // "JACK"
    uint32_t sampleRate = 0;
    uint32_t bufferSize = 0;
    std::vector<std::string> midiSources;  // every source there is
    std::string midiSource;                // the one connected; empty: none
    float cpuLoad = 0.0f;                  // percent of the period
    uint32_t xruns = 0;
    bool operator==(const DeviceStatus&) const = default;
};

class DeviceStrip {
public:
    // Logical pixels; the width is the panel's.
    static constexpr int kWidth = 505;
    static constexpr int kHeight = 64;
    static constexpr int kListRoom = 124;
    static constexpr int kRefreshMs = 250;
    static constexpr const char* kNoMidi = "(none)";

    using Poll = std::function<DeviceStatus()>;
    // The source the user chose; empty for none.
    using ChooseMidi = std::function<void(const std::string& source)>;
    // The panel's bottom kListRoom in device pixels, and where the strip's
    // window is to go above the panel (true) or back under it.
    using Backdrop = std::function<tk::PixelBuffer()>;
    using ListShown = std::function<void(bool shown)>;

    DeviceStrip(std::unique_ptr<tk::Backend> backend, Poll poll, ChooseMidi choose);
    ~DeviceStrip();
    DeviceStrip(const DeviceStrip&) = delete;
    DeviceStrip& operator=(const DeviceStrip&) = delete;

    // Shows the strip in `parent` at `scale`; false when it cannot live there.
    bool open(tk::NativeWindow parent, tk::Scale scale, Backdrop backdrop = nullptr, ListShown onListShown = nullptr);
    void setScale(tk::Scale scale);
    // Pending events, the refresh when due, painting.
    void idle();
    // Polls and shows now.
    void refresh();
    int eventDescriptor() const;
    tk::TForm& form() { return *form_; }
    tk::TComboBox& midiList() { return *midi_; }
    // The strip itself, without the list's room.
    tk::TWinControl& box() { return *box_; }
    const DeviceStatus& shown() const { return shown_; }

private:
    void show(const DeviceStatus& status);
    void followList();

    Poll poll_;
    ChooseMidi choose_;
    std::unique_ptr<tk::TForm> form_;
    std::unique_ptr<tk::TTimer> timer_;
    Backdrop backdrop_;
    ListShown onListShown_;
    bool listShown_ = false;
    tk::TWinControl* room_ = nullptr;
    tk::TWinControl* box_ = nullptr;
    tk::TLabel* audio_ = nullptr;
    tk::TComboBox* midi_ = nullptr;
    tk::TLabel* load_ = nullptr;
    DeviceStatus shown_;
    bool shownOnce_ = false;
};

}  // namespace tamrik::app
