// TvTrackBar: the slider of the editor, a thin wrapper around the platform
// trackbar window. It keeps every setting in a field, pushes the settings
// to the window whenever the window exists, reads the position back on each
// scroll notification and fires OnChange; Adjusting tells whether the user
// holds the thumb.
#pragma once

#include <cstdint>

#include "toolkit/WinControl.h"

namespace tamrik {

enum class TvTrackBarOrientation : uint8_t { trHorizontal, trVertical };
enum class TvTickMark : uint8_t { tmBottomRight, tmTopLeft, tmBoth };
enum class TvTickStyle : uint8_t { tsNone, tsAuto, tsManual };

class TvTrackBar : public tk::TWinControl {
public:
    explicit TvTrackBar(tk::TWinControl* parent = nullptr);

    TvTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TvTrackBarOrientation orientation);
    TvTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TvTickMark marks);
    TvTickStyle TickStyle() const { return tickStyle_; }
    void SetTickStyle(TvTickStyle style);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int size);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int size);
    // The window's thumb length while the window exists, else the stored one.
    int ThumbLength();
    void SetThumbLength(int length);
    bool SliderVisible() const { return sliderVisible_; }
    void SetSliderVisible(bool visible);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    int SelStart() const { return selStart_; }
    void SetSelStart(int value);
    int SelEnd() const { return selEnd_; }
    void SetSelEnd(int value);
    bool Adjusting() const { return adjusting_; }
    tk::TNotifyEvent OnChange;

    // Makes sure the platform's bar classes are registered.
    static bool EnsureBarClasses(uint32_t classes);

protected:
    void CreateParams(tk::TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(tk::TMessage& message) override;
    virtual void NotifyChange();

private:
    void ApplyRange(int position, int minimum, int maximum);
    void ApplySelection();
    void ScrollNotification(tk::TMessage& message);

    TvTrackBarOrientation orientation_ = TvTrackBarOrientation::trHorizontal;
    TvTickMark tickMarks_ = TvTickMark::tmBottomRight;
    TvTickStyle tickStyle_ = TvTickStyle::tsAuto;
    int lineSize_ = 1;
    int pageSize_ = 2;
    int thumbLength_ = 20;
    bool sliderVisible_ = true;
    int min_ = 0;
    int max_ = 10;
    int frequency_ = 1;
    int position_ = 0;
    int selStart_ = 0;
    int selEnd_ = 0;
    bool adjusting_ = false;
};

}  // namespace tamrik
