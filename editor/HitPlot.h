// HitPlot: the picture of one hit. The waveform as the smallest and largest
// sample of each device pixel column (one trace, or the left channel above
// the right where they differ), the envelope over it, a time axis in
// milliseconds with the hit's length to -60 dB marked, and the peak in dBFS
// with a clip mark past 0 dBFS. It reads what the link has rendered so far
// at every paint, so a hit still being rendered shows what is ready.
//
// UI thread only, like every toolkit control.
#pragma once

#include <cstdint>
#include <string>

#include "editor/HitLink.h"
#include "toolkit/Toolkit.h"

namespace tamrik {

class HitPlot : public tk::TCustomControl {
public:
    // The level the hit's length is measured to.
    static constexpr double kLengthLevelDb = -60.0;

    HitPlot(tk::TWinControl* parent, const HitLink* link);

    // What is shown: no link (nothing to show), a hit that could not be
    // begun, or the hit as far as it is rendered (finished or not).
    enum class Shown { NoSound, NoHit, Hit };
    void ShowState(Shown shown, bool finished);
    Shown State() const { return shown_; }

    // The frames the time axis spans: the whole hit once finished, until
    // then at least its envelope's length.
    int SpanFrames() const;
    // A peak as text: "-3.1 dBFS", "silent".
    static std::string PeakText(float peak);

protected:
    void Paint(tk::TCanvas& canvas) override;

private:
    void PaintTraces(tk::TCanvas& device, const tk::TRect& area, int span);
    void PaintAxis(tk::TCanvas& canvas, const tk::TRect& area, int span);

    const HitLink* link_;
    Shown shown_;
    bool finished_ = false;
};

}  // namespace tamrik
