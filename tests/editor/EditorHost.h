// A host for the editor tests, in this process: an instrument with the
// editor, driven through its plug-in record, whose forms use the offscreen
// backend, and a record of the parameter changes it reported. The timer
// runs on the offscreen clock, so a "tick" is exact: 100 ms, then one
// effEditIdle.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "editor/KitForm.h"
#include "hosting/Vst2Instance.h"
#include "vst/GrEditor.h"
#include "toolkit/OffscreenBackend.h"
#include "vst/AVstXSynth.h"

namespace tamrik::test {

struct Automation {
    int32_t index;
    float value;
    bool operator==(const Automation&) const = default;
};

// What the editor asked of the host, in order: audioMasterAutomate,
// audioMasterBeginEdit, audioMasterEndEdit and audioMasterSizeWindow
// (index and value: the width and height).
struct HostCall {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    bool operator==(const HostCall&) const = default;
};

// Which instrument the host holds, with its own editor.
enum class Hosted { DrumTamrik, Kit };

class EditorHost : public hosting::Vst2Instance {
public:
    // The forms' fonts: the system's, or the built-in face, which draws the
    // same pixels on every machine.
    explicit EditorHost(tk::OffscreenBackend::Faces faces = tk::OffscreenBackend::Faces::System,
                        Hosted hosted = Hosted::DrumTamrik);
    ~EditorHost() override;

    GrEditor& editor() const { return *static_cast<GrEditor*>(synth_->getEditor()); }
    // Starts a note, then renders a block, as the audio thread does; the
    // sum of the block's magnitudes over every output.
    double render(int32_t frames, uint8_t note);
    // A block without a note.
    double render(int32_t frames);
    // effClose: the instance and its editor go.
    void close();

    // effEditOpen into a made-up parent, and what it opened.
    intptr_t openEditor();
    TForm1& form() const { return *editor().getForm(); }
    KitForm& kitForm() const { return dynamic_cast<KitForm&>(form()); }
    Instrument& instrument() const { return synth_->instrument(); }
    tk::OffscreenBackend& screen() const;
    // 100 ms on the form's clock, then the host's idle call.
    void tick();
    // The mouse on the form's client coordinates.
    void click(int x, int y);

    std::vector<Automation> automations() const;
    std::vector<HostCall> calls() const;
    void clearAutomations();
    // The scale the pretend platform asks for in forms opened from now on.
    static void setPlatformScale(int percent);
    const std::filesystem::path& settingsFile() const { return settings_; }
    // Whether audioMasterSizeWindow is granted (it is by default).
    void grantSizes(bool grant) { grantSizes_ = grant; }

private:
    intptr_t hostRequest(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                         float opt) override;

    // Owned by its record: effClose deletes it.
    AVstXSynth* synth_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Automation> automations_;
    std::vector<HostCall> calls_;
    bool grantSizes_ = true;
    std::vector<std::vector<float>> outputs_;
    std::filesystem::path settings_;
};

}  // namespace tamrik::test
