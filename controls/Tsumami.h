// TTsumami: the rotary knob of the editor. An embossed body with a pointer
// and three scale ticks, turned by dragging with the left button; its value
// Position runs from 0 to 100 and every assignment is reported by OnChange.
#pragma once

#include <array>

#include "toolkit/CustomControl.h"

namespace tamrik {

class TTsumami : public tk::TCustomControl {
public:
    static constexpr int kSteps = 101;

    explicit TTsumami(tk::TWinControl* parent = nullptr);

    int Position() const { return position_; }
    // Stores the value as given, repaints and fires OnChange, every time.
    void SetPosition(int position);
    // True from the press that begins a drag until the left button is up.
    bool Adjusting() const { return adjusting_; }
    tk::TNotifyEvent OnChange;

    float PointerX(int position) const { return pointerX_[size_t(position)]; }
    float PointerY(int position) const { return pointerY_[size_t(position)]; }

    // What Paint draws, in client coordinates; lines do not draw their end.
    struct Line {
        tk::TPoint from;
        tk::TPoint to;
    };
    struct Geometry {
        tk::TRect body;
        tk::TRect arcBox;
        tk::TPoint litFrom;  // the lit arc runs anticlockwise from this ray
        tk::TPoint litTo;    // to this one; the shaded arc the other way
        Line shadow;
        Line highlight;
        Line pointer;
        std::array<Line, 3> ticks;  // at positions 100, 50 and 0
    };
    // For positions outside 0 to 100 the pointer shows the nearest end. At
    // another scale than 100 % the same construction is made on the scaled
    // size, in device pixels, so the knob is drawn sharp rather than enlarged.
    Geometry PaintGeometry(tk::Scale scale = tk::Scale()) const;

protected:
    void Paint(tk::TCanvas& canvas) override;
    void BeginAutoDrag() override;
    void WndProc(tk::TMessage& message) override;

private:
    void FillPointerTables();

    tk::TPoint dragOrigin_;
    tk::TPoint dragLast_;
    int dragBase_ = 0;
    int position_ = 0;
    bool adjusting_ = false;
    bool fine_ = false;  // this stretch of the drag with Shift held
    bool fineAtPress_ = false;
    std::array<float, kSteps> pointerY_{};
    std::array<float, kSteps> pointerX_{};
};

}  // namespace tamrik
