#include "binding/EditorPanel.h"

#include <atomic>
#include <cmath>
#include <mutex>

#include "binding/Panels.h"
#include "editor/TForm1.h"
#include "editor/UserSettings.h"
#include "toolkit/PlatformBackend.h"

namespace tamrik::binding {

namespace {

std::atomic<EditorPanel::BackendFactory> backendFactory{nullptr};

std::mutex settingsMutex;
std::filesystem::path settingsOverride;

std::filesystem::path settingsFile() {
    const std::lock_guard<std::mutex> lock(settingsMutex);
    return settingsOverride.empty() ? userSettingsFile() : settingsOverride;
}

std::unique_ptr<tk::Backend> makeBackend() {
    const EditorPanel::BackendFactory factory = backendFactory.load();
    return factory ? factory() : tk::CreatePlatformBackend();
}

}  // namespace

void EditorPanel::setBackendFactory(BackendFactory factory) { backendFactory.store(factory); }

void EditorPanel::setSettingsFile(std::filesystem::path file) {
    const std::lock_guard<std::mutex> lock(settingsMutex);
    settingsOverride = std::move(file);
}

EditorPanel::EditorPanel(const Product& product, ParameterLink& link)
    : product_(product), link_(link, size_t(product.parameterCount)) {}

void EditorPanel::BookedLink::beginEdit(int32_t index) {
    if (index >= 0 && book_.begin(uint32_t(index))) link_.beginEdit(index);
}

void EditorPanel::BookedLink::endEdit(int32_t index) {
    if (index >= 0 && book_.end(uint32_t(index))) link_.endEdit(index);
}

void EditorPanel::BookedLink::endAll() {
    book_.endAll([this](uint32_t id) { link_.endEdit(int32_t(id)); });
}

EditorPanel::~EditorPanel() { close(); }

bool EditorPanel::setHostScale(std::optional<double> factor) {
    if (!factor || !std::isfinite(*factor) || *factor <= 0.0) {
        hostScale_.reset();
        return false;
    }
    const double percent = std::min(*factor * 100.0, 1000.0);
    hostScale_ = tk::Scale(int(std::lround(percent)));
    if (form_ && !readChosenScale(settingsFile())) form_->SetScale(*hostScale_);
    return double(hostScale_->Percent()) == percent;
}

tk::Scale EditorPanel::scale() const {
    if (form_) return form_->GetScale();
    if (const auto chosen = readChosenScale(settingsFile())) return *chosen;
    return hostScale_.value_or(tk::Scale());
}

int EditorPanel::width() const { return scale().Dev(TForm1::kWidth); }

int EditorPanel::height() const { return scale().Dev(form_ ? form_->FormHeight() : panelHeight(product_)); }

bool EditorPanel::open(tk::NativeWindow parent, kit::KitControls* controls, ResizeHost resizeHost, HitLink* sound) {
    if (form_) {
        form_->ShowForm();
        return true;
    }
    const tk::Scale sized = scale();  // what the host was told
    std::unique_ptr<TForm1> form = makePanel(product_, makeBackend(), link_, controls, sound);
    if (!form) return false;
    form->SetScale(sized);
    if (!form->CreateParented(parent)) return false;
    const bool chosen = readChosenScale(settingsFile()).has_value();
    const int platform = form->GetBackend().PlatformScalePercent();
    if (!chosen && !hostScale_ && platform > 0 && tk::Scale(platform) != sized) {
        form->SetScale(tk::Scale(platform));
        if (!resizeHost || !resizeHost(form->DeviceWidth(), form->DeviceHeight())) form->SetScale(sized);
    }
    TForm1& f = *form;
    form->OnScaleChosen = [resizeHost, &f](tk::Scale picked) {
        if (resizeHost && !resizeHost(f.DeviceWidth(), f.DeviceHeight())) return false;
        writeChosenScale(settingsFile(), picked);
        return true;
    };
    form_ = std::move(form);
    form_->ShowForm();
    return true;
}

bool EditorPanel::open(tk::NativeWindow parent, Instrument& instrument, ResizeHost resizeHost) {
    if (form_) return open(parent, nullptr, std::move(resizeHost));
    auto sound = std::make_unique<PanelSound>(instrument);
    if (!open(parent, kitControlsOf(instrument), std::move(resizeHost), sound.get())) return false;
    sound_ = std::move(sound);
    return true;
}

void EditorPanel::close() {
    form_.reset();
    sound_.reset();
    link_.endAll();
}

int EditorPanel::eventDescriptor() const { return form_ ? form_->GetBackend().EventDescriptor() : -1; }

void EditorPanel::idle() {
    if (form_) form_->Idle();
}

void EditorPanel::repaint() {
    if (form_) form_->Repaint();
}

void EditorPanel::show() {
    if (form_) form_->ShowForm();
}

void EditorPanel::hide() {
    if (form_) form_->HideForm();
}

}  // namespace tamrik::binding
