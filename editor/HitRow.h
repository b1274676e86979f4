// HitRow: the row below the panel (and below the Kit's kit area): the
// picture of one hit of the sound at a chosen note and velocity (HitPlot),
// the lists for both, the activity of the sound as it plays (DrumTamrik a
// light, the Kit a level per pad) with a clip mark per output pair, and
// the export of the hit as a WAV file (the Kit also of the kit as a folder
// with an SFZ), into a folder picked from a FileChooser; the file is named
// after the preset or the kit, numbered rather than replacing anything.
// Exports are at the rate the instrument plays at or at one the user picks
// (a panel setting: the drawn hit stays at the instrument's rate).
//
// The form hands it, at every refresh, the values the hit depends on; when
// they, the note, the velocity or the sound differ from the hit's, a new
// hit begins. Each refresh renders a bounded step of it, so a long release
// fills in over a few refreshes while the panel stays responsive.
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

#include "editor/ActivityMeter.h"
#include "editor/FileChooser.h"
#include "editor/HitLink.h"
#include "editor/HitPlot.h"
#include "toolkit/Toolkit.h"

namespace tamrik {

class HitRow : public tk::TWinControl {
public:
    static constexpr int kHeight = 120;
    // Frames rendered per refresh: well under a millisecond of work, and
    // most hits whole at the first refresh.
    static constexpr int kFramesPerRefresh = 32768;
    static constexpr int kDefaultNote = 60;
    static constexpr int kDefaultVelocity = 127;
    // The velocity layers of an exported kit.
    static constexpr std::array<int, 4> kKitVelocities{32, 64, 96, 127};
    // The export rate list's items and their rates (0: the instrument's).
    static constexpr std::array<const char*, 3> kExportRateNames{"Host rate", "44100 Hz", "48000 Hz"};
    static constexpr std::array<double, 3> kExportRates{0.0, 44100.0, 48000.0};

    // What the row shows the activity of: DrumTamrik's one sound and output
    // pair, or the Kit's pads and pairs (which also export as a kit).
    struct Activity {
        int sounds;
        int outputPairs;
        bool kit;
    };

    // Across the form's width at top; link may be null (nothing to show).
    HitRow(tk::TForm* form, int top, HitLink* link, Activity activity);
    ~HitRow() override;

    tk::TGroupBox* Box;
    HitPlot* Plot;
    tk::TComboBox* NoteList;
    tk::TComboBox* VelocityList;
    tk::TComboBox* ExportRateList;
    tk::TButton* ExportButton;
    tk::TButton* ExportKitButton = nullptr;  // the Kit's only
    std::vector<ActivityMeter*> SoundMeters;
    std::vector<ActivityMeter*> ClipMarks;
    // The export chooser (hidden but while dropped down).
    tk::TComboBox* ExportList;

    int Note() const;
    int Velocity() const;
    void SetNote(int note);
    void SetVelocity(int velocity);
    // The rate exports are written at (0: the instrument's).
    double ExportRate() const;

    // The sound and the values its hit depends on, as they are now: a new
    // hit begins when they (or the note or velocity) changed, then one
    // step of the hit is rendered.
    void Refresh(int sound, std::vector<float> values);
    bool Rendering() const { return rendering_; }
    // What the row draws from (null: nothing).
    const HitLink* Link() const { return link_; }
    // How many hits began so far.
    uint64_t HitsBegun() const { return hitsBegun_; }
    // The meters take what the audio thread heard since the last feed.
    void FeedMeters(uint64_t nowMs);

    // The names exports are given: the preset's (or the pad's) and the kit's.
    std::function<std::string()> HitName;
    std::function<std::string()> KitName;
    // Where the row's messages go (a written file, a failure).
    std::function<void(std::string)> OnMessage;

    void SetExportDirectory(std::filesystem::path directory) { exportDirectory_ = std::move(directory); }
    void OpenExportChooser(bool kit, std::filesystem::path folder = {});
    // Writes into folder; the path written, or empty with a message.
    std::filesystem::path ExportHit(const std::filesystem::path& folder);
    std::filesystem::path ExportKit(const std::filesystem::path& folder);

private:
    struct Wanted {
        int sound;
        int note;
        int velocity;
        double rate;
        std::vector<float> values;
        bool operator==(const Wanted& other) const;
    };

    void BuildControls(Activity activity);
    void Message(std::string text);
    // The folder exists (made if need be); false with a message.
    bool Prepare(const std::filesystem::path& folder);

    HitLink* link_;
    std::optional<Wanted> hit_;
    bool rendering_ = false;
    uint64_t hitsBegun_ = 0;
    std::vector<float> peaks_;
    bool exportingKit_ = false;
    std::filesystem::path exportDirectory_;
    std::unique_ptr<FileChooser> chooser_;
};

}  // namespace tamrik
