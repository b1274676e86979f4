// The windowing toolkit of the editor, in one include.
//
// A small Win32-flavoured layer: controls in a tree, messages with
// SendMessage semantics, one software canvas, and a backend per windowing
// system (X11 for real hosts, offscreen for tests and pictures).
//
// Making a form inside a host's window (UI thread only):
//     auto form = std::make_unique<tk::TForm>(tk::CreatePlatformBackend(), 505, 313);
//     if (!form->CreateParented(hostWindowId)) { /* no display or bad parent */ }
//     auto* box = new tk::TGroupBox(form.get());   // the parent owns it
//     box->SetBounds(0, 0, 505, 313);
//     box->SetCaption("...");
//     form->ShowForm();
// On X11 every host idle call (effEditIdle) must call form->Idle(): it
// reads pending X events, fires due TTimers and paints what was
// invalidated. Nothing runs between idle calls; no thread is created.
// Deleting the form destroys its controls, its native window and its
// display connection.
//
// Controls: TButton (Caption, OnClick), TGroupBox (Caption, flat when Ctl3D is off, inherited by
// children), TLabel (Caption, TextAtBottom), TComboBox (Items, ItemIndex,
// DropDownCount, DroppedDown, OnChange on user choice only), TCheckBox
// (Caption, Checked, OnClick on every change), TEdit (Text, OnAccept, OnCancel; typed text), TImage (SetPicture), TTimer
// (Interval, Enabled, OnTimer). Self-drawn controls derive TCustomControl
// and override Paint(TCanvas&); a control with a platform window class sets
// WinClassName in CreateParams (TK_TRACKBAR_CLASS is built in). Position,
// bounds and visibility: Left/Top/Width/Height, SetBounds, Show/Hide,
// BringToFront; Invalidate() asks for a paint at the next Idle or Update,
// Repaint() paints at once. SetCapture/ReleaseCapture/GetCursorPos (screen
// coordinates) are members of every control.
//
// Habits: any control's OnDblClick takes a double-click or a Ctrl-click,
// OnMouseWheel the wheel; mouse messages carry TK_MK_SHIFT/TK_MK_CONTROL;
// the form's OnInput runs after each piece of input and HotControl() names
// the control under the mouse.
//
// Scale: form->SetScale(tk::Scale(200)) draws everything afresh at 200 %
// and makes the native window twice as large; bounds, positions in messages
// and GetCursorPos stay in the panel's logical pixels.
//
// Tests and pictures use tk::OffscreenBackend: keep a pointer to it before
// handing it to the form, then MoveMouse(screenX, screenY), PressLeft(),
// ReleaseLeft(), PressRight(), Key(vk, down), Type(text), Advance(ms) followed by form.Idle(); the
// form's client (0, 0) sits at the backend's screen origin.
// form.Snapshot(control) gives a control's pixels, PixelBuffer::SavePng
// writes them.
//
// Left out: keyboard navigation between controls (Tab), drag-and-drop,
// hints, popup menus, alignment and anchors, alpha blending and colour
// keying of the form (the X11 form is an opaque child window), text editing
// beyond typing at the end,
// auto-repeat of trackbar page clicks, and a drop-down list reaching beyond
// the form (it opens inside it, scrolling with the wheel when it must).
#pragma once

#include "toolkit/Backend.h"
#include "toolkit/Button.h"
#include "toolkit/Canvas.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/CustomControl.h"
#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "toolkit/GroupBox.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Messages.h"
#include "toolkit/OffscreenBackend.h"
#include "toolkit/PlatformBackend.h"
#include "toolkit/Scale.h"
#include "toolkit/SystemColors.h"
#include "toolkit/Timer.h"
#include "toolkit/WinControl.h"
