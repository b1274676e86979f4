// GrEditor: the instrument's editor as the host sees it. It creates the form
// TForm1 inside the window the host hands to effEditOpen, reports the
// panel's rectangle, lets the host's idle calls drive the form (X events,
// the refresh timer, painting) and destroys the form at the last close.
//
// The host may call it from any one thread at a time (often not its GUI
// thread); everything the form does happens inside these calls. The form
// reaches the instrument through the editor's two forwarding calls.
#pragma once

#include <filesystem>
#include <memory>

#include "editor/ParameterLink.h"
#include "editor/TForm1.h"
#include "vst/AEffEditor.h"
#include "vst/AudioEffect.h"

namespace tamrik {

class GrEditor : public vst::AEffEditor, private ParameterLink {
public:
    explicit GrEditor(vst::AudioEffect* owner);
    ~GrEditor() override;

    // UI thread, all of them.
    // The panel and its strip at the form's scale (top 0, left 0, bottom
    // 361, right 505 at 100 %): hosts size the window they open us in from
    // this, asked before the first open.
    int32_t getRect(vst::ERect** rect) override;
    // 1 with the form shown in window; 0, with nothing left open, when
    // window is not a window the form can live in.
    int32_t open(void* window) override;
    void close() override;
    // Also the toolkit's message loop: pending X events, due timers, paint.
    void idle() override;
    void update() override;

    TForm1* getForm() const { return form.get(); }
    int32_t getOpenCount() const { return openCount; }

    // Which windowing system a newly opened form uses: the platform's (X11,
    // Win32) unless something else is installed (tests and pictures install
    // an offscreen backend). Process-wide; nullptr puts the platform's back.
    using BackendFactory = std::unique_ptr<tk::Backend> (*)();
    static void setBackendFactory(BackendFactory factory);
    // Where the user's settings (the chosen scale) are kept: the per-user
    // file unless something else is installed (tests). Process-wide; an
    // empty path puts the per-user one back.
    static void setSettingsFile(std::filesystem::path file);

protected:
    // The form this editor shows, and its height before it exists; an
    // instrument with a panel of its own overrides both.
    virtual std::unique_ptr<TForm1> makeForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link);
    virtual int formHeight() const { return TForm1::kFormHeight; }

private:
    void setParameterAutomated(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    // audioMasterBeginEdit / audioMasterEndEdit.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    int32_t openCount = 0;
    vst::ERect editorRect{};
    void* parentWindow = nullptr;
    std::unique_ptr<TForm1> form;
};

// The factory the instrument is constructed with.
vst::AEffEditor* createGrEditor(vst::AudioEffect* effect);

}  // namespace tamrik
