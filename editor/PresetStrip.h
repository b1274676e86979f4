// PresetStrip: the strip below the panel, and the presets it steps through.
// Previous and next run through the factory presets, then the user's; the
// title names the preset (or file) the sound came from and marks it while
// the sound differs; Save writes the sound as a new user preset, Load picks
// any preset file; Random draws a sound, keeping the groups whose Keep box
// is checked, and Undo puts the sound back as it was before; the scale list
// picks the display scale; the readout line says what the host would show
// for the parameter held or under the mouse, or a message.
//
// The strip sits on the panel's form, a control like the others, and
// reaches the sound only through what it is handed: the form's
// ParameterLink to read values, and Send to set one (the form makes it a
// whole edit and moves its control). It fills the panel's preset list
// (ComboBox6) with the user presets and shows there the preset chosen.
//
// UI thread only, like every toolkit control.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/FileChooser.h"
#include "editor/ParameterLink.h"
#include "editor/PresetFile.h"
#include "editor/RandomSound.h"
#include "toolkit/Toolkit.h"

namespace tamrik {

class PresetStrip : public tk::TWinControl {
public:
    static constexpr int kHeight = 48;
    // A value the strip sets (a preset's, a random draw's, an undo's).
    using Send = std::function<void(int index, float value)>;

    // Across the whole form's width at top; presetList is the panel's.
    PresetStrip(tk::TForm* form, int top, ParameterLink& synth, tk::TComboBox* presetList, Send send);
    ~PresetStrip() override;

    tk::TButton* PreviousButton;
    tk::TButton* NextButton;
    tk::TLabel* PresetTitle;
    tk::TButton* SaveButton;
    tk::TButton* LoadButton;
    tk::TButton* RandomButton;
    tk::TButton* UndoButton;
    tk::TComboBox* ScaleList;
    tk::TLabel* KeepLabel;
    std::array<tk::TCheckBox*, kSoundGroupCount> Keep{};
    tk::TLabel* Readout;
    // The load chooser: a folder's subfolders and preset files.
    tk::TComboBox* FileList;

    // The user picked a scale from the list.
    std::function<void(tk::Scale)> OnScalePicked;

    // Presets in previous/next order: the factory ones, then the user's.
    int PresetCount() const { return kFactoryCount + int(userPresets_.size()); }
    std::string PresetName(int order) const;
    // The preset last chosen (-1 for none), and whether the sound has
    // changed since.
    int CurrentPreset() const { return current_; }
    // The name of the preset or file the sound came from; empty for none.
    const std::string& SoundName() const { return titleName_; }
    bool PresetModified();
    void StepPreset(int delta);
    void ChoosePreset(int order);

    // Where user presets are read from and saved to (the per-user folder
    // unless set otherwise); the list is read again.
    void SetUserPresetDirectory(std::filesystem::path directory);
    // Saves the current sound as a new user preset named after the current
    // preset; the path written, or empty (with a message) on failure.
    std::filesystem::path SaveUserPreset();
    // Loads a preset file; a damaged one is refused with a message and
    // changes nothing.
    bool LoadPresetFile(const std::filesystem::path& path);
    // Opens the load chooser on a folder (the user presets by default).
    void OpenLoadChooser(std::filesystem::path folder = {});

    void Randomize();
    void UndoRandomize();
    void SetRandomSeed(uint64_t seed) { random_ = RandomSound(seed); }

    // What the readout line says now.
    const std::string& ReadoutLine() const { return readout_; }
    // Shows a message (a refused file, a saved preset) on the readout line;
    // it stays until a parameter is read there.
    void ShowMessage(std::string text);
    // Shows the reading of the parameter held or pointed at; an empty one
    // clears the line unless a message is shown.
    void ShowReading(std::string reading);

    // Brings the title, the undo and the scale list up to date.
    void Update();
    // The values now stand for another sound: the preset they came from
    // and the undo of a randomize are forgotten.
    void Forget();

private:
    static constexpr int kFactoryCount = 16;
    using Values = std::array<float, kNumParameters>;
    struct UserPreset {
        std::filesystem::path path;
        PresetValues preset;
    };

    Values CurrentValues();
    void ApplyValues(const Values& values, const std::array<bool, kNumParameters>& which);
    // Sends the values that differ from now's.
    void ApplyChanged(const Values& values, const Values& now);
    void ReadUserPresets();
    // The sound now came from this preset or file (order -1 for a file
    // outside the list).
    void Remember(int order, std::string name, const Values& values);
    // A user preset's place in previous/next order, -1 for a file not listed.
    int UserOrderOf(const std::filesystem::path& path) const;

    ParameterLink& synth_;
    tk::TComboBox* presetList_;
    Send send_;

    std::filesystem::path userDirectory_;
    std::vector<UserPreset> userPresets_;
    int current_ = -1;
    // The preset or file the sound came from, for the title and the mark.
    std::string titleName_;
    bool hasReference_ = false;
    Values presetValues_{};
    RandomSound random_;
    std::optional<Values> beforeRandom_;
    std::string readout_;
    bool messageShown_ = false;
    std::unique_ptr<FileChooser> chooser_;
};

}  // namespace tamrik
