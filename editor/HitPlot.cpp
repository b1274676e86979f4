// The traces are drawn on the device pixels themselves, a column per device
// pixel, so the picture stays sharp at every scale; text and the frame go
// through the logical canvas like every other control's.
#include "editor/HitPlot.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/RoundEven.h"
#include "editor/HitPalette.h"

namespace tamrik {

using namespace tk;

namespace {

constexpr TColor kPlotGrid = RgbColor(44, 56, 68);
constexpr TColor kPlotLengthMark = RgbColor(120, 150, 200);
constexpr TColor kPlotText = RgbColor(200, 212, 224);

// Time steps of the axis, in ms: the smallest whose ticks stay this far apart.
constexpr std::array<int, 16> kPlotTickSteps{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000,
                                         100000};
constexpr int kPlotTickSpacing = 48;

// A sample's height in a trace centred on mid; NaN reads as silence and
// whatever passes full scale sits on the trace's edge.
int SampleY(float v, int mid, int half) {
    const double s = std::isnan(v) ? 0.0 : std::clamp(double(v), -1.0, 1.0);
    return mid - roundEven(s * half);
}

// Tenths of a number, whatever the locale: "-3.1".
std::string Tenths(double value) {
    const int32_t t = roundEven(value * 10.0);
    const int32_t magnitude = t < 0 ? -t : t;
    return std::string(t < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

}  // namespace

HitPlot::HitPlot(TWinControl* parent, const HitLink* link)
    : TCustomControl(parent), link_(link), shown_(link ? Shown::NoHit : Shown::NoSound) {}

void HitPlot::ShowState(Shown shown, bool finished) {
    if (!link_) shown = Shown::NoSound;
    shown_ = shown;
    finished_ = finished;
    Invalidate();
}

int HitPlot::SpanFrames() const {
    if (shown_ != Shown::Hit) return 0;
    const int length = link_->hitLength();
    return finished_ ? length : std::max(length, link_->envelopeLength());
}

std::string HitPlot::PeakText(float peak) {
    if (!(peak > 0.0f)) return "silent";
    return Tenths(20.0 * std::log10(double(peak))) + " dBFS";
}

void HitPlot::Paint(TCanvas& canvas) {
    const TRect client = ClientRect();
    canvas.Brush.Color = hit_palette::kBackground;
    canvas.FillRect(client);
    canvas.FontColor = kPlotText;
    const int textHeight = canvas.TextHeight();
    const TRect traces{1, 1, client.Right - 1, client.Bottom - textHeight - 3};
    canvas.Brush.Color = kPlotGrid;
    canvas.FrameRect({0, 0, client.Right, traces.Bottom + 1});
    if (shown_ != Shown::Hit) {
        const char* text = shown_ == Shown::NoSound ? "No sound to show" : "No hit to show";
        canvas.TextAt((client.Right - canvas.TextWidth(text)) / 2, (traces.Bottom - textHeight) / 2, text);
        return;
    }
    const int span = SpanFrames();
    TCanvas device = canvas.DevicePixels();
    PaintTraces(device, canvas.GetScale().Dev(traces), span);
    PaintAxis(canvas, {traces.Left, traces.Bottom + 1, traces.Right, client.Bottom}, span);

    // The hit's length to -60 dB and its peak, over the traces' top corners.
    const double rate = link_->hitRate();
    if (finished_ && rate > 0.0) {
        const double ms = link_->hitLengthTo(kLengthLevelDb) * 1000.0 / rate;
        canvas.TextAt(traces.Left + 3, traces.Top + 1, std::to_string(roundEven(ms)) + " ms to -60 dB");
    }
    const float peak = link_->hitPeak();
    const std::string peakText = "Peak " + PeakText(peak);
    int right = traces.Right - 3;
    if (peak > 1.0f) {
        const int w = canvas.TextWidth("CLIP") + 6;
        canvas.Brush.Color = hit_palette::kClip;
        canvas.FillRect({right - w, traces.Top + 1, right, traces.Top + 1 + textHeight});
        canvas.FontColor = RgbColor(255, 255, 255);
        canvas.TextAt(right - w + 3, traces.Top + 1, "CLIP");
        canvas.FontColor = kPlotText;
        right -= w + 4;
    }
    canvas.TextAt(right - canvas.TextWidth(peakText), traces.Top + 1, peakText);
}

// In device pixels: each column the smallest and largest sample of its
// frames, the envelope as a line along their top, the -60 dB length as a
// dashed line.
void HitPlot::PaintTraces(TCanvas& device, const TRect& area, int span) {
    const int columns = area.Width();
    const int length = link_->hitLength();
    if (columns <= 0 || span <= 0) return;
    const bool one = link_->hitChannelsEqual();
    const int traces = one ? 1 : 2;
    const int lineWidth = device.LineWidth();
    const int envelopeLength = link_->envelopeLength();
    // The envelope at the hit's peak, so it lies along the waveform's top.
    const float peak = link_->hitPeak();
    const float envelopeScale = peak > 0.0f && peak < 1.0f ? peak : 1.0f;
    auto firstFrame = [&](int column) { return int(int64_t(column) * span / columns); };
    for (int t = 0; t < traces; ++t) {
        const int top = area.Top + t * area.Height() / traces;
        const int bottom = area.Top + (t + 1) * area.Height() / traces;
        const int mid = (top + bottom) / 2;
        const int half = std::max(1, (bottom - top) / 2 - 1);
        device.Brush.Color = kPlotGrid;
        device.FillRect({area.Left, mid, area.Right, mid + 1});
        const float* samples = link_->hitSamples(t);
        int lastEnvelopeY = -1;
        for (int c = 0; c < columns; ++c) {
            const int from = firstFrame(c);
            const int to = std::max(from + 1, firstFrame(c + 1));
            const int x = area.Left + c;
            if (samples && from < length) {
                float lo = samples[from], hi = samples[from];
                for (int f = from + 1; f < std::min(to, length); ++f) {
                    lo = std::min(lo, samples[f]);
                    hi = std::max(hi, samples[f]);
                }
                device.Brush.Color = hit_palette::kSound;
                device.FillRect({x, SampleY(hi, mid, half), x + 1, SampleY(lo, mid, half) + 1});
            }
            if (from < envelopeLength) {
                const int y = SampleY(link_->hitEnvelope(from) * envelopeScale, mid, half);
                const int upper = lastEnvelopeY < 0 ? y : std::min(y, lastEnvelopeY);
                const int lower = lastEnvelopeY < 0 ? y : std::max(y, lastEnvelopeY);
                device.Brush.Color = hit_palette::kAmber;
                device.FillRect({x, upper, x + lineWidth, lower + lineWidth});
                lastEnvelopeY = y;
            }
        }
    }
    if (finished_) {
        const int lengthFrames = link_->hitLengthTo(kLengthLevelDb);
        if (lengthFrames > 0 && lengthFrames < span) {
            const int x = area.Left + int(int64_t(lengthFrames) * columns / span);
            device.Brush.Color = kPlotLengthMark;
            for (int y = area.Top; y < area.Bottom; y += 4 * lineWidth)
                device.FillRect({x, y, x + lineWidth, std::min(area.Bottom, y + 2 * lineWidth)});
        }
    }
}

void HitPlot::PaintAxis(TCanvas& canvas, const TRect& area, int span) {
    const double rate = link_->hitRate();
    if (!(rate > 0.0) || span <= 0 || area.Width() <= 0) return;
    const double totalMs = span * 1000.0 / rate;
    int step = kPlotTickSteps.back();
    for (int s : kPlotTickSteps)
        if (totalMs / s * kPlotTickSpacing <= area.Width()) {
            step = s;
            break;
        }
    canvas.Brush.Color = kPlotGrid;
    for (int k = 0; k * double(step) <= totalMs; ++k) {
        const int x = area.Left + int(k * double(step) / totalMs * (area.Width() - 1));
        canvas.FillRect({x, area.Top, x + 1, area.Top + 3});
        const std::string label = std::to_string(k * step) + (k == 0 ? " ms" : "");
        const int w = canvas.TextWidth(label);
        canvas.TextAt(std::clamp(x - w / 2, area.Left, area.Right - w), area.Top + 2, label);
    }
}

}  // namespace tamrik
