// The instrument's editor as an LV2 X11 UI: the same panel the VST build
// shows (TForm1, or the Kit's KitForm), made a child of the host's ui:parent window and run by the
// host's ui:idleInterface calls (X events, the 100 ms refresh, painting).
// It is the form's ParameterLink: a value the user sets goes to the host's
// write_function for that port, and getParameter answers the last value
// the host reported through port_event (or the form sent), so the form, its
// bindings and its refresh rules work unchanged. A gesture is reported
// through ui:touch where the host offers it; the display scale starts at the
// host's ui:scaleFactor option, and a scale the user picks is asked of the
// host with ui:resize.
//
// Each UI library says which plug-in and panel it is (the definitions
// below), as each DSP library says which instrument.
//
// UI thread only: every call comes from the host's UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "editor/ParameterLink.h"
#include "editor/TForm1.h"
#include "lv2/Lv2Ports.h"

namespace tamrik::lv2 {

// Defined by each UI library: its URI, the plug-in it shows, how many
// parameters (control ports 0 to n - 1) it has and their defaults, and its
// form (nullptr when the host lacks a feature the panel needs).
extern const char* const kEditorUri;
extern const char* const kEditorPluginUri;
std::vector<float> editorDefaults();
std::unique_ptr<TForm1> makeEditorForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link,
                                       const LV2_Feature* const* features);

class Lv2Editor final : private ParameterLink {
public:
    // nullptr when the host offers no ui:parent or the form cannot open in it.
    static Lv2Editor* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                             LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~Lv2Editor();

    // A control port's new value (float protocol); other ports are ignored.
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
    // One round of the form's work; 0 while the panel lives.
    int idle();

    TForm1& form() { return *form_; }

private:
    Lv2Editor(LV2UI_Write_Function write, LV2UI_Controller controller);
    void setParameterAutomated(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_ = nullptr;
    bool isParameter(int32_t index) const { return index >= 0 && size_t(index) < values_.size(); }

    std::vector<float> values_;
    std::unique_ptr<TForm1> form_;  // last: it goes before the values it reads
};

}  // namespace tamrik::lv2
