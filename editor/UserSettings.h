// The user's own choices that no plug-in state carries (a VST 2 host saves
// only parameters and programs for DrumTamrik): the display scale, in a
// small per-user text file, "scale = 150". A missing or unreadable file, or
// a value that is not a scale step, means no choice.
#pragma once

#include <filesystem>
#include <optional>

#include "toolkit/Scale.h"

namespace tamrik {

// DrumTamrik's folder among the user's files of one kind: on Windows
// %APPDATA%\DrumTamrik, elsewhere $<xdgVariable>/DrumTamrik (a relative
// value is invalid and ignored) or ~/<xdgDefault>/DrumTamrik. Empty when the
// environment names no home at all.
std::filesystem::path perUserFolder(const char* xdgVariable, const char* xdgDefault);

// $XDG_CONFIG_HOME/DrumTamrik/settings (by default ~/.config/...),
// %APPDATA%\DrumTamrik\settings on Windows; empty without a home.
std::filesystem::path userSettingsFile();

std::optional<tk::Scale> readChosenScale(const std::filesystem::path& file);
// False when the file cannot be written.
bool writeChosenScale(const std::filesystem::path& file, tk::Scale scale);

}  // namespace tamrik
