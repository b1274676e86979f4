// KitForm: DrumTamrik Kit's editor. The sound panel and its strip (TForm1,
// unchanged) show the selected pad's 22 values through a PadLink; below
// them the kit area: the 16 pads with their names and hit lights, the
// selected pad's Key (with a learn: the next note played sets it), Pitch,
// Output, Choke, Level, Pan, Velocity and Mute, and the kit menu (the
// factory kits, kit files, copy and paste of a pad, renaming a pad). The
// settings have the habits of the panel's controls (default, wheel, fine
// knob drags) and show on its readout as the instrument names them.
//
// Parameter values go through ParameterLink like everything the panel
// sends, each a whole edit, so the host hears of every change; names,
// auditions, hit counts and the last note played go through the
// instrument's KitControls. A 40 ms timer moves the lights, the learn, the
// pad settings, the names and the hit row's meters; what the panel sends is
// read back, never assumed. The hit row below the kit area draws a hit of
// the selected pad.
//
// UI thread only, like every toolkit form.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "editor/FileChooser.h"
#include "editor/GestureTracker.h"
#include "editor/PadButton.h"
#include "editor/PadLink.h"
#include "editor/TForm1.h"
#include "kit/KitControls.h"
#include "kit/KitMap.h"
#include "kit/KitSnapshot.h"

namespace tamrik {

class KitForm : private PadLink, public TForm1 {
public:
    static constexpr int kKitHeight = 147;
    // The kit area lies below the strip, the hit row below it.
    static constexpr int kKitTop = kSoundHeight;
    static constexpr int kKitFormHeight = kSoundHeight + kKitHeight + kRowHeight;
    static constexpr const char* kKitExtension = ".tamrikkit";
    // A light stays on this long after a hit.
    static constexpr uint64_t kLightMs = 120;
    // Kit files are a few tens of kilobytes; anything much larger is not one.
    static constexpr size_t kKitFileMax = 1024 * 1024;

    // The kit menu's items after its title (the kit's name).
    enum MenuItem : int {
        kMenuFirstKit = 1,  // then one per factory kit
        kMenuOpen = kMenuFirstKit + 5,
        kMenuSave,
        kMenuCopy,
        kMenuPaste,
        kMenuRename,
    };

    KitForm(std::unique_ptr<tk::Backend> backend, ParameterLink& kit, kit::KitControls& controls,
            HitLink* sound = nullptr);
    ~KitForm() override;

    int FormHeight() const override { return kKitFormHeight; }

    ParameterLink& Kit;
    kit::KitControls& Extras;

    tk::TGroupBox* KitBox;
    std::array<PadButton*, kit::kPads> Pads{};
    tk::TComboBox* KeyList;
    tk::TButton* LearnButton;
    tk::TComboBox* PitchList;
    tk::TComboBox* OutputList;
    tk::TComboBox* ChokeList;
    TTsumami* LevelKnob;
    TTsumami* PanKnob;
    TTsumami* VelocityKnob;
    tk::TCheckBox* MuteBox;
    tk::TLabel* PadTitle;
    tk::TEdit* NameEdit;
    tk::TComboBox* KitMenu;
    tk::TLabel* KitMessage;
    // The chooser of kit files (hidden but while dropped down).
    tk::TComboBox* KitFileList;
    std::unique_ptr<tk::TTimer> KitTimer;

    int SelectedPad() const { return Pad(); }
    void SelectPad(int pad);
    void AuditionPad(int pad);
    // The next note played sets the selected pad's Key.
    void StartLearn();
    bool Learning() const { return learning_; }

    void LoadFactoryKit(int kit);
    // The whole kit as the instrument has it now.
    kit::KitSnapshot CurrentKit();
    // A damaged file is refused with a message (its line and the reason)
    // and changes nothing.
    bool LoadKitFile(const std::filesystem::path& path);
    // Saves the kit under its name in the kits folder (a number added
    // rather than any file replaced); the path, or empty with a message.
    std::filesystem::path SaveKitFile();
    void SetUserKitDirectory(std::filesystem::path directory) { kitDirectory_ = std::move(directory); }
    void OpenKitChooser(std::filesystem::path folder = {});

    // The selected pad's sound and settings (its Key stays where it is, so
    // the paste does not put two pads on one key) and its name.
    void CopyPad();
    bool PastePad();
    bool HasCopy() const { return copy_.has_value(); }
    // Opens the name field on the selected pad; Return renames, Escape
    // leaves the name as it was.
    void StartRename();

    void ShowKitMessage(std::string text);
    void KitTimerTimer(tk::TObject* sender);

private:
    using SettingControl = std::variant<tk::TComboBox*, TTsumami*, tk::TCheckBox*>;
    struct PadCopy {
        std::array<float, kit::kPadStride> values;
        std::string name;
    };

    void BuildKitArea();
    tk::TComboBox* SettingList(kit::PadSetting setting, int left, int width, std::vector<std::string> items);
    TTsumami* SettingKnob(kit::PadSetting setting, int left, const char* caption);
    // A setting's control, bound to the selected pad's setting with the
    // panel's habits: default, wheel, readout.
    template <typename C>
    C* BindSetting(kit::PadSetting setting, C* control);
    int32_t SettingIndex(kit::PadSetting setting) const;
    bool SettingHeld(kit::PadSetting setting) const;
    void SettingChanged(kit::PadSetting setting);
    // A value set at once (default, wheel): a whole edit, or a change within
    // the edit of a drag still going; the control follows at once.
    void SendSetting(kit::PadSetting setting, float value);
    void ResetSetting(kit::PadSetting setting);
    void WheelSetting(kit::PadSetting setting, int notches);
    // As the instrument names the parameter and shows its value to a host.
    std::string SettingReadout(kit::PadSetting setting);
    int HitSound() override { return Pad(); }
    std::vector<float> HitValues() override;
    std::string HitName() override;
    std::string HitKitName();
    // The hit row shows the note the pad plays (its Pitch).
    void FollowPitch();
    std::string HeldReadout() override;
    std::string PointedReadout(const tk::TWinControl* hot) override;
    void RefreshSettings();
    void CloseFinishedEdits();
    void SendKit(int32_t index, float value);
    void ApplyKit(const kit::KitSnapshot& kit);
    void MenuChosen(int item);
    void RefreshNames();
    void FinishRename(bool accept);

    std::array<SettingControl, kit::kPadSettings> settings_{};
    // By pad setting: the edit a held knob keeps open.
    GestureTracker gestures_{Kit, kit::kPadSettings};
    std::array<uint32_t, kit::kPads> hitsSeen_{};
    std::array<uint64_t, kit::kPads> litUntil_{};
    bool learning_ = false;
    uint32_t noteAtLearn_ = 0;
    std::optional<PadCopy> copy_;
    std::filesystem::path kitDirectory_;
    std::unique_ptr<FileChooser> kitChooser_;
    std::string kitName_;
    int pitchShown_ = -1;
};

}  // namespace tamrik
