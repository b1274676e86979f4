// The plot takes the row's left, the lists, the export buttons and the
// activity the right; the Kit's row has the same layout with a meter per pad
// where DrumTamrik has its light. The export rate shares the velocity's row:
// the short velocity list leaves room for it, and the column has no height
// for a row of its own.
#include "editor/HitRow.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "editor/ControlBuilders.h"
#include "editor/PresetFile.h"
#include "kit/KitMap.h"

namespace tamrik {

using namespace tk;

namespace {

constexpr int kRowSide = 318;  // where the right-hand controls start
constexpr int kRowSideWidth = 179;
constexpr int kListLeft = kRowSide + 32;  // after the captions
constexpr int kVelocityWidth = 48;        // "127" and the button
constexpr int kRateLeft = kListLeft + kVelocityWidth + 4;

}  // namespace

bool HitRow::Wanted::operator==(const Wanted& other) const {
    // Bit for bit: any value that differs at all may sound different.
    return sound == other.sound && note == other.note && velocity == other.velocity && rate == other.rate &&
           values.size() == other.values.size() &&
           std::memcmp(values.data(), other.values.data(), values.size() * sizeof(float)) == 0;
}

HitRow::HitRow(TForm* form, int top, HitLink* link, Activity activity) : TWinControl(form), link_(link) {
    Name = "HitRow";
    SetBounds(0, top, form->Width(), kHeight);
    SetCtl3D(false);
    BuildControls(activity);
    exportDirectory_ = userExportDirectory();
    if (link_) peaks_.resize(size_t(std::max(0, link_->meterCount())));
}

HitRow::~HitRow() = default;

void HitRow::BuildControls(Activity activity) {
    Box = builders::Group(this, "Hit", 0, 0, Width(), kHeight);
    Plot = new HitPlot(Box, link_);
    Plot->SetBounds(8, 16, kRowSide - 16, kHeight - 24);

    builders::Text(Box, "Note", kRowSide, 20, 30);
    std::vector<std::string> notes, velocities;
    for (int n = 0; n < 128; ++n) notes.push_back(kit::noteLabel(n));
    for (int v = 1; v < 128; ++v) velocities.push_back(std::to_string(v));
    NoteList = builders::List(Box, kListLeft, 16, kRowSide + kRowSideWidth - kListLeft, notes);
    NoteList->SetDropDownCount(16);
    builders::Text(Box, "Vel", kRowSide, 44, 30);
    VelocityList = builders::List(Box, kListLeft, 40, kVelocityWidth, velocities);
    VelocityList->SetDropDownCount(16);
    ExportRateList = builders::List(Box, kRateLeft, 40, kRowSide + kRowSideWidth - kRateLeft, kExportRateNames);
    ExportRateList->SetEnabled(link_ != nullptr);
    SetNote(kDefaultNote);
    SetVelocity(kDefaultVelocity);

    auto button = [this](const char* caption, int left, int width, bool kit) {
        auto* b = new TButton(Box);
        b->SetBounds(left, 64, width, 20);
        b->SetCaption(caption);
        b->OnClick = [this, kit](TObject*) { OpenExportChooser(kit); };
        b->SetEnabled(link_ != nullptr);
        return b;
    };
    const int half = (kRowSideWidth - 4) / 2;
    ExportButton = button("Export...", kRowSide, activity.kit ? half : kRowSideWidth, false);
    if (activity.kit) ExportKitButton = button("Export kit...", kRowSide + half + 4, kRowSideWidth - half - 4, true);

    if (activity.kit) {
        // A level per pad in the pads' order, then a clip mark per pair.
        const int width = kRowSideWidth / std::max(1, activity.sounds);
        for (int p = 0; p < activity.sounds; ++p) {
            auto* meter = new ActivityMeter(Box, ActivityMeter::Kind::Level);
            meter->SetBounds(kRowSide + p * width, 88, width - 1, 14);
            SoundMeters.push_back(meter);
        }
        const int pairWidth = kRowSideWidth / std::max(1, activity.outputPairs);
        for (int k = 0; k < activity.outputPairs; ++k) {
            auto* mark = new ActivityMeter(Box, ActivityMeter::Kind::Clip);
            mark->SetBounds(kRowSide + k * pairWidth, 105, pairWidth - 2, 6);
            ClipMarks.push_back(mark);
        }
    } else {
        auto* light = new ActivityMeter(Box, ActivityMeter::Kind::Light);
        light->SetBounds(kRowSide, 95, 12, 8);
        SoundMeters.push_back(light);
        builders::Text(Box, "Sound", kRowSide + 16, 93, 40);
        auto* mark = new ActivityMeter(Box, ActivityMeter::Kind::Clip);
        mark->SetBounds(kRowSide + 64, 95, 12, 8);
        ClipMarks.push_back(mark);
        builders::Text(Box, "Clip", kRowSide + 80, 93, 40);
    }
    chooser_ = std::make_unique<FileChooser>(Box, 8, 16, Width() - 16, ".wav");
    chooser_->FolderChoice = "[Export here]";
    ExportList = chooser_->List();
    chooser_->OnFolderChosen = [this](const std::filesystem::path& folder) {
        if (exportingKit_)
            ExportKit(folder);
        else
            ExportHit(folder);
    };
    chooser_->OnMessage = [this](std::string text) { Message(std::move(text)); };
}

int HitRow::Note() const { return std::max(0, NoteList->ItemIndex()); }
int HitRow::Velocity() const { return std::max(0, VelocityList->ItemIndex()) + 1; }
void HitRow::SetNote(int note) { NoteList->SetItemIndex(std::clamp(note, 0, 127)); }
void HitRow::SetVelocity(int velocity) { VelocityList->SetItemIndex(std::clamp(velocity, 1, 127) - 1); }

double HitRow::ExportRate() const {
    return kExportRates[size_t(std::clamp(ExportRateList->ItemIndex(), 0, int(kExportRates.size()) - 1))];
}

void HitRow::Refresh(int sound, std::vector<float> values) {
    if (!link_) return;
    Wanted wanted{sound, Note(), Velocity(), link_->soundRate(), std::move(values)};
    if (!hit_ || !(*hit_ == wanted)) {
        rendering_ = link_->beginHit(wanted.sound, wanted.note, wanted.velocity);
        hit_ = std::move(wanted);
        ++hitsBegun_;
        if (!rendering_) {
            Plot->ShowState(HitPlot::Shown::NoHit, true);
            return;
        }
    }
    if (!rendering_) return;
    rendering_ = link_->continueHit(kFramesPerRefresh);
    Plot->ShowState(HitPlot::Shown::Hit, !rendering_);
}

void HitRow::FeedMeters(uint64_t nowMs) {
    if (!link_ || peaks_.empty()) return;
    const int count = std::clamp(link_->takePeaks(peaks_), 0, int(peaks_.size()));
    auto peak = [&](size_t i) { return i < size_t(count) ? peaks_[i] : 0.0f; };
    for (size_t s = 0; s < SoundMeters.size(); ++s) SoundMeters[s]->Feed(peak(s), nowMs);
    for (size_t k = 0; k < ClipMarks.size(); ++k) {
        const size_t left = SoundMeters.size() + 2 * k;
        ClipMarks[k]->Feed(std::max(peak(left), peak(left + 1)), nowMs);
    }
}

// ---- export ----

void HitRow::OpenExportChooser(bool kit, std::filesystem::path folder) {
    exportingKit_ = kit;
    // The exports' own folder, made on first use; failing that the chooser
    // starts above it.
    std::error_code ec;
    if (folder.empty() && !exportDirectory_.empty()) std::filesystem::create_directories(exportDirectory_, ec);
    chooser_->Open(std::move(folder), exportDirectory_);
}

void HitRow::Message(std::string text) {
    if (OnMessage) OnMessage(std::move(text));
}

bool HitRow::Prepare(const std::filesystem::path& folder) {
    if (!link_) {
        Message("No sound to export");
        return false;
    }
    std::error_code ec;
    if (folder.empty() || (!std::filesystem::create_directories(folder, ec) && ec)) {
        Message("Not exported: cannot make the folder " + folder.string());
        return false;
    }
    return true;
}

std::filesystem::path HitRow::ExportHit(const std::filesystem::path& folder) {
    if (!Prepare(folder)) return {};
    const std::filesystem::path path = unusedPathFor(folder, HitName ? HitName() : "", "Hit", ".wav");
    std::string why;
    if (!link_->exportHit(path, ExportRate(), why)) {
        Message("Not exported: " + why);
        return {};
    }
    Message("Exported " + path.filename().string());
    return path;
}

std::filesystem::path HitRow::ExportKit(const std::filesystem::path& folder) {
    if (!Prepare(folder)) return {};
    const std::filesystem::path path = unusedPathFor(folder, KitName ? KitName() : "", "Kit", "");
    std::string why;
    if (!link_->exportKit(path, kKitVelocities, ExportRate(), why)) {
        Message("Not exported: " + why);
        return {};
    }
    Message("Exported the kit to " + path.filename().string());
    return path;
}

}  // namespace tamrik
