// The strip's controls sit where the panel's design left room below it;
// every value it sets goes through the form's Send, one whole edit each,
// so the host hears of a preset or a random draw value by value.
#include "editor/PresetStrip.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "editor/ControlBuilders.h"
#include "editor/PresetList.h"

namespace tamrik {

using namespace tk;

namespace {

constexpr const char* kGroupNames[kSoundGroupCount] = {"Osc", "Env", "Filter", "Amp"};

uint64_t FreshSeed() {
    return uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ 0x5DEECE66Dull;
}

}  // namespace

PresetStrip::PresetStrip(TForm* form, int top, ParameterLink& synth, TComboBox* presetList, Send send)
    : TWinControl(form), synth_(synth), presetList_(presetList), send_(std::move(send)), random_(FreshSeed()) {
    Name = "Strip";
    SetBounds(0, top, form->Width(), kHeight);
    SetCtl3D(false);
    auto button = [this](const char* caption, int left, int width, std::function<void()> action) {
        auto* b = new TButton(this);
        b->SetBounds(left, 4, width, 20);
        b->SetCaption(caption);
        b->OnClick = [action = std::move(action)](TObject*) { action(); };
        return b;
    };
    PreviousButton = button("<", 8, 20, [this] { StepPreset(-1); });
    NextButton = button(">", 30, 20, [this] { StepPreset(1); });
    PresetTitle = builders::Text(this, "", 56, 8, 172);
    SaveButton = button("Save", 232, 40, [this] { SaveUserPreset(); });
    LoadButton = button("Load", 276, 40, [this] { OpenLoadChooser(); });
    RandomButton = button("Random", 322, 54, [this] { Randomize(); });
    UndoButton = button("Undo", 380, 40, [this] { UndoRandomize(); });
    std::vector<std::string> scales;
    for (int percent : kScaleSteps) scales.push_back(std::to_string(percent) + " %");
    ScaleList = builders::List(this, 426, 4, 71, scales);
    ScaleList->Name = "ScaleList";
    ScaleList->OnChange = [this](TObject*) {
        const int item = ScaleList->ItemIndex();
        if (item >= 0 && OnScalePicked) OnScalePicked(Scale(kScaleSteps[size_t(item)]));
    };
    KeepLabel = builders::Text(this, "Keep:", 8, 30, 30);
    const int keepLeft[kSoundGroupCount] = {40, 84, 128, 180}, keepWidth[kSoundGroupCount] = {42, 42, 50, 44};
    for (int g = 0; g < kSoundGroupCount; ++g)
        Keep[size_t(g)] = builders::Switch(this, kGroupNames[g], keepLeft[g], 28, keepWidth[g]);
    Readout = builders::Text(this, "", 232, 30, 265);
    chooser_ = std::make_unique<FileChooser>(this, 232, 4, 265, kPresetExtension);
    FileList = chooser_->List();
    chooser_->OnChosen = [this](const std::filesystem::path& file) { LoadPresetFile(file); };
    chooser_->OnMessage = [this](std::string text) { ShowMessage(std::move(text)); };
    Update();
}

PresetStrip::~PresetStrip() = default;

// ---- presets ----

std::string PresetStrip::PresetName(int order) const {
    if (order >= 0 && order < kFactoryCount) return std::string(kFactoryPresets[size_t(order)].name);
    if (order >= kFactoryCount && order < PresetCount()) return userPresets_[size_t(order - kFactoryCount)].preset.name;
    return {};
}

bool PresetStrip::PresetModified() { return hasReference_ && CurrentValues() != presetValues_; }

void PresetStrip::StepPreset(int delta) {
    const int count = PresetCount();
    if (count == 0) return;
    const int next = current_ < 0 ? (delta > 0 ? 0 : count - 1) : ((current_ + delta) % count + count) % count;
    ChoosePreset(next);
}

void PresetStrip::ChoosePreset(int order) {
    if (order < 0 || order >= PresetCount()) return;
    Values values{};
    std::array<bool, kNumParameters> which{};
    if (order < kFactoryCount) {
        // A factory preset leaves alone what it does not name.
        const FactoryPreset& preset = kFactoryPresets[size_t(order)];
        for (int index = 0; index < kNumParameters; ++index)
            if (const auto& value = preset.values[size_t(index)]) {
                values[size_t(index)] = *value;
                which[size_t(index)] = true;
            }
    } else {
        values = userPresets_[size_t(order - kFactoryCount)].preset.values;
        which.fill(true);
    }
    ApplyValues(values, which);
    Remember(order, PresetName(order), CurrentValues());
    Update();
}

void PresetStrip::Remember(int order, std::string name, const Values& values) {
    current_ = order;
    titleName_ = std::move(name);
    hasReference_ = true;
    presetValues_ = values;
    presetList_->SetItemIndex(order >= 0 ? kFirstPresetListPosition + order : 0);
}

int PresetStrip::UserOrderOf(const std::filesystem::path& path) const {
    for (size_t i = 0; i < userPresets_.size(); ++i)
        if (userPresets_[i].path == path) return kFactoryCount + int(i);
    return -1;
}

PresetStrip::Values PresetStrip::CurrentValues() {
    Values values{};
    for (int index = 0; index < kNumParameters; ++index) values[size_t(index)] = synth_.getParameter(index);
    return values;
}

void PresetStrip::ApplyValues(const Values& values, const std::array<bool, kNumParameters>& which) {
    for (int index = 0; index < kNumParameters; ++index)
        if (which[size_t(index)]) send_(index, values[size_t(index)]);
}

// ---- user presets ----

void PresetStrip::SetUserPresetDirectory(std::filesystem::path directory) {
    const std::filesystem::path currentPath =
        current_ >= kFactoryCount ? userPresets_[size_t(current_ - kFactoryCount)].path : std::filesystem::path();
    userDirectory_ = std::move(directory);
    ReadUserPresets();
    if (current_ >= kFactoryCount) current_ = UserOrderOf(currentPath);
}

void PresetStrip::ReadUserPresets() {
    userPresets_.clear();
    std::error_code ec;
    if (!userDirectory_.empty() && std::filesystem::is_directory(userDirectory_, ec))
        for (const auto& entry : std::filesystem::directory_iterator(userDirectory_, ec)) {
            if (entry.path().extension() != kPresetExtension) continue;
            PresetReading reading = readPresetFile(entry.path());
            if (reading.preset) userPresets_.push_back({entry.path(), std::move(*reading.preset)});
        }
    std::sort(userPresets_.begin(), userPresets_.end(), [](const UserPreset& a, const UserPreset& b) {
        return a.preset.name != b.preset.name ? a.preset.name < b.preset.name : a.path < b.path;
    });
    std::vector<std::string> items(kPresetListItems.begin(), kPresetListItems.end());
    for (const UserPreset& p : userPresets_) items.push_back(p.preset.name);
    const int selected = presetList_->ItemIndex();
    presetList_->SetItems(items);
    presetList_->SetItemIndex(selected < int(items.size()) ? selected : 0);
}

std::filesystem::path PresetStrip::SaveUserPreset() {
    if (userDirectory_.empty()) {
        ShowMessage("No folder for user presets (no home folder)");
        return {};
    }
    const std::string base = hasReference_ ? titleName_ : "My sound";
    PresetValues preset;
    preset.values = CurrentValues();
    std::filesystem::path path;
    std::error_code ec;
    // The first free "name n": never over a file, never a name listed twice.
    for (int n = 1; n < 1000; ++n) {
        preset.name = (base.size() > kPresetNameMax - 4 ? base.substr(0, kPresetNameMax - 4) : base) + " " + std::to_string(n);
        path = userDirectory_ / presetFileName(preset.name);
        const bool taken = std::any_of(userPresets_.begin(), userPresets_.end(),
                                       [&](const UserPreset& p) { return p.preset.name == preset.name; });
        if (!taken && !std::filesystem::exists(path, ec)) break;
    }
    if (const std::string error = writePresetFile(path, preset); !error.empty()) {
        ShowMessage("Not saved: " + error);
        return {};
    }
    ReadUserPresets();
    Remember(UserOrderOf(path), preset.name, preset.values);
    ShowMessage("Saved \"" + preset.name + "\"");
    Update();
    return path;
}

bool PresetStrip::LoadPresetFile(const std::filesystem::path& path) {
    const PresetReading reading = readPresetFile(path);
    if (!reading.preset) {
        ShowMessage("Not loaded: " + path.filename().string() + ": " + reading.error);
        return false;
    }
    std::array<bool, kNumParameters> all{};
    all.fill(true);
    ApplyValues(reading.preset->values, all);
    Remember(UserOrderOf(path), reading.preset->name, CurrentValues());
    ShowMessage("Loaded \"" + reading.preset->name + "\"");
    Update();
    return true;
}

void PresetStrip::OpenLoadChooser(std::filesystem::path folder) { chooser_->Open(folder, userDirectory_); }

// ---- random and its undo ----

void PresetStrip::Randomize() {
    std::array<bool, kSoundGroupCount> locked{};
    for (int g = 0; g < kSoundGroupCount; ++g) locked[size_t(g)] = Keep[size_t(g)]->Checked();
    const Values before = CurrentValues();
    const Values drawn = random_.Draw(before, locked);
    beforeRandom_ = before;
    ApplyChanged(drawn, before);
}

void PresetStrip::UndoRandomize() {
    if (!beforeRandom_) return;
    const Values restored = *beforeRandom_;
    beforeRandom_.reset();
    ApplyChanged(restored, CurrentValues());
}

void PresetStrip::ApplyChanged(const Values& values, const Values& now) {
    std::array<bool, kNumParameters> changed{};
    for (int index = 0; index < kNumParameters; ++index)
        changed[size_t(index)] = values[size_t(index)] != now[size_t(index)];
    ApplyValues(values, changed);
    Update();
}

// ---- the readout, the title, the scale ----

void PresetStrip::ShowMessage(std::string text) {
    readout_ = std::move(text);
    messageShown_ = true;
    Readout->SetCaption(readout_);
}

void PresetStrip::ShowReading(std::string reading) {
    if (!reading.empty()) {
        messageShown_ = false;
        readout_ = std::move(reading);
    } else if (!messageShown_) {
        readout_.clear();
    }
    if (Readout->Caption() != readout_) Readout->SetCaption(readout_);
}

void PresetStrip::Update() {
    const std::string title = hasReference_ ? titleName_ + (PresetModified() ? "  (changed)" : "") : "(no preset)";
    if (PresetTitle->Caption() != title) PresetTitle->SetCaption(title);
    if (UndoButton->Enabled() != beforeRandom_.has_value()) UndoButton->SetEnabled(beforeRandom_.has_value());
    const int percent = Form()->GetScale().Percent();
    const int scaleItem = int(std::find(kScaleSteps.begin(), kScaleSteps.end(), percent) - kScaleSteps.begin());
    if (ScaleList->ItemIndex() != scaleItem && !ScaleList->DroppedDown()) ScaleList->SetItemIndex(scaleItem);
}

void PresetStrip::Forget() {
    current_ = -1;
    hasReference_ = false;
    beforeRandom_.reset();
    presetList_->SetItemIndex(0);
    Update();
}

}  // namespace tamrik
