// The few ways the panel makes a control: a group, a caption, a list, a knob,
// a slider and a check box, each with the settings the panel gives every
// control of its kind (a slider's steps and ticks, a caption's 12-pixel
// line). The editor form and the controls gallery both build with these, so
// the gallery shows the controls exactly as the panel has them.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "controls/Tsumami.h"
#include "controls/vTrackBar.h"
#include "synth/ParameterTable.h"
#include "toolkit/Toolkit.h"

namespace tamrik::builders {

tk::TGroupBox* Group(tk::TWinControl* parent, const char* caption, int left, int top, int width, int height);
tk::TLabel* Text(tk::TWinControl* parent, const char* caption, int left, int top, int width, bool atBottom = false);
// The first item is selected.
tk::TComboBox* List(tk::TWinControl* parent, int left, int top, int width, std::vector<std::string> items);
tk::TComboBox* List(tk::TWinControl* parent, int left, int top, int width, std::span<const char* const> items);
TTsumami* Knob(tk::TWinControl* parent, int left, int top, int position);
TvTrackBar* Slider(tk::TWinControl* parent, bool vertical, int left, int top, int position);
tk::TCheckBox* Switch(tk::TWinControl* parent, const char* caption, int left, int top, int width);

}  // namespace tamrik::builders
