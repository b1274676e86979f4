// One way to read, set and watch a parameter's control of any kind, and to
// ask whether the user holds it, so that the panel and the Kit's settings
// treat knobs, sliders, lists and check boxes alike. A state is what the
// control shows: a knob's or slider's position, a list's item, a check
// box's 0 or 1.
#pragma once

#include "controls/Tsumami.h"
#include "controls/vTrackBar.h"
#include "toolkit/Toolkit.h"

namespace tamrik {

inline int StateOf(const TTsumami* c) { return c->Position(); }
inline int StateOf(const TvTrackBar* c) { return c->Position(); }
inline int StateOf(const tk::TComboBox* c) { return c->ItemIndex(); }
inline int StateOf(const tk::TCheckBox* c) { return c->Checked() ? 1 : 0; }

// Whether the user holds the control, so that a refresh leaves it alone.
inline bool Held(const TTsumami* c) { return c->Adjusting(); }
inline bool Held(const TvTrackBar* c) { return c->Adjusting(); }
inline bool Held(const tk::TComboBox* c) { return c->DroppedDown(); }
inline bool Held(const tk::TCheckBox*) { return false; }

inline void SetState(TTsumami* c, int state) { c->SetPosition(state); }
inline void SetState(TvTrackBar* c, int state) { c->SetPosition(state); }
inline void SetState(tk::TComboBox* c, int state) { c->SetItemIndex(state); }
inline void SetState(tk::TCheckBox* c, int state) { c->SetChecked(state == 1); }

// The handler runs whenever the user changes the control.
inline void Listen(TTsumami* c, const tk::TNotifyEvent& handler) { c->OnChange = handler; }
inline void Listen(TvTrackBar* c, const tk::TNotifyEvent& handler) { c->OnChange = handler; }
inline void Listen(tk::TComboBox* c, const tk::TNotifyEvent& handler) { c->OnChange = handler; }
inline void Listen(tk::TCheckBox* c, const tk::TNotifyEvent& handler) { c->OnClick = handler; }

}  // namespace tamrik
