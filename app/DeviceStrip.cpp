#include "app/DeviceStrip.h"

#include <cstdio>

#include "toolkit/Canvas.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/GroupBox.h"
#include "toolkit/Label.h"
#include "toolkit/Timer.h"

namespace tamrik::app {

namespace {

tk::TLabel* Text(tk::TWinControl* parent, const std::string& caption, int left, int top, int width) {
    auto* label = new tk::TLabel(parent);
    label->SetBounds(left, top, width, 14);
    label->SetCaption(caption);
    return label;
}

// The room above the strip: the panel's pixels as they were when the list
// opened, so the raised window seems to hold only the list.
class ListRoom final : public tk::TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void setPixels(tk::PixelBuffer pixels) {
        pixels_ = std::move(pixels);
        Invalidate();
    }

protected:
    void Paint(tk::TCanvas& canvas) override { canvas.DrawPicture(0, 0, pixels_); }

private:
    tk::PixelBuffer pixels_;
};

}  // namespace

DeviceStrip::DeviceStrip(std::unique_ptr<tk::Backend> backend, Poll poll, ChooseMidi choose)
    : poll_(std::move(poll)), choose_(std::move(choose)),
      form_(std::make_unique<tk::TForm>(std::move(backend), kWidth, kListRoom + kHeight)) {
    room_ = new ListRoom(form_.get());
    room_->SetBounds(0, 0, kWidth, kListRoom);
    // The panel's own frame: a flat group box with its caption in the edge.
    auto* box = new tk::TGroupBox(form_.get());
    box_ = box;
    box->SetBounds(0, kListRoom, kWidth, kHeight);
    box->SetCaption("Audio and MIDI");
    box->SetCtl3D(false);
    audio_ = Text(box, "", 8, 18, 250);
    load_ = Text(box, "", 300, 18, 197);
    Text(box, "MIDI in", 8, 41, 60);
    midi_ = new tk::TComboBox(box);
    midi_->SetBounds(72, 38, 425, 20);
    midi_->SetItems({kNoMidi});
    midi_->SetItemIndex(0);
    midi_->OnChange = [this](tk::TObject*) {
        const int index = midi_->ItemIndex();
        if (choose_) choose_(index <= 0 ? std::string() : midi_->Text());
        refresh();
    };
    form_->OnInput = [this](tk::TObject*) { followList(); };
    timer_ = std::make_unique<tk::TTimer>(*form_);
    timer_->SetInterval(kRefreshMs);
    timer_->OnTimer = [this](tk::TObject*) { refresh(); };
}

// The timer and then the controls go before the form's backend.
DeviceStrip::~DeviceStrip() {
    timer_.reset();
    form_.reset();
}

bool DeviceStrip::open(tk::NativeWindow parent, tk::Scale scale, Backdrop backdrop, ListShown onListShown) {
    backdrop_ = std::move(backdrop);
    onListShown_ = std::move(onListShown);
    form_->SetScale(scale);
    if (!form_->CreateParented(parent)) return false;
    refresh();
    form_->ShowForm();
    return true;
}

void DeviceStrip::setScale(tk::Scale scale) { form_->SetScale(scale); }

void DeviceStrip::idle() {
    form_->Idle();
    followList();
}

void DeviceStrip::followList() {
    const bool shown = midi_->DroppedDown();
    if (shown == listShown_) return;
    listShown_ = shown;
    if (shown && backdrop_) static_cast<ListRoom*>(room_)->setPixels(backdrop_());
    if (onListShown_) onListShown_(shown);
}

void DeviceStrip::refresh() {
    if (poll_) show(poll_());
}

int DeviceStrip::eventDescriptor() const { return form_->GetBackend().EventDescriptor(); }

void DeviceStrip::show(const DeviceStatus& status) {
    if (shownOnce_ && status == shown_) return;
    char line[96];
    std::snprintf(line, sizeof line, "%s  %u Hz  %u frames", status.backend.c_str(), status.sampleRate,
                  status.bufferSize);
    audio_->SetCaption(line);
    std::snprintf(line, sizeof line, "CPU %.1f %%  xruns %u", double(status.cpuLoad), status.xruns);
    load_->SetCaption(line);
    DeviceStatus listed = status;
    // The list is not rebuilt while the user has it open: the next refresh does.
    if (midi_->DroppedDown()) {
        listed.midiSources = shown_.midiSources;
        listed.midiSource = shown_.midiSource;
    } else if (!shownOnce_ || status.midiSources != shown_.midiSources || status.midiSource != shown_.midiSource) {
        std::vector<std::string> items{kNoMidi};
        int chosen = 0;
        for (const std::string& source : status.midiSources) {
            if (source == status.midiSource) chosen = int(items.size());
            items.push_back(source);
        }
        // A source connected but gone from the list still shows.
        if (!status.midiSource.empty() && !chosen) {
            chosen = int(items.size());
            items.push_back(status.midiSource);
        }
        midi_->SetItems(std::move(items));
        midi_->SetItemIndex(chosen);
    }
    shown_ = std::move(listed);
    shownOnce_ = true;
}

}  // namespace tamrik::app
