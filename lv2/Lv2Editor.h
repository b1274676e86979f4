// The instrument's editor as an LV2 X11 UI: the product's panel
// (binding/EditorPanel.h), made a child of the host's ui:parent window and
// run by the host's ui:idleInterface calls (X events, the 100 ms refresh,
// painting).
// It is the form's ParameterLink: a value the user sets goes to the host's
// write_function for that port, and getParameter answers the last value
// the host reported through port_event (or the form sent), so the form, its
// bindings and its refresh rules work unchanged. A gesture is reported
// through ui:touch where the host offers it; the host's ui:scaleFactor
// option counts where the user has chosen no scale, and a scale the user
// picks is asked of the host with ui:resize. The Kit's panel needs the
// instrument's kit controls, which the host hands over through
// instance-access and data-access; without them there is no panel (the
// Turtle asks for both).
//
// Each UI library is this file built for one row of the products table
// (TAMRIK_PRODUCT), with the values its panel starts from.
//
// UI thread only: every call comes from the host's UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "binding/EditorPanel.h"
#include "editor/ParameterLink.h"
#include "editor/TForm1.h"
#include "lv2/Lv2Ports.h"

namespace tamrik::lv2 {

// Defined by each UI library: how many parameters (control ports 0 to
// n - 1) its plug-in has, and their defaults.
std::vector<float> editorDefaults();

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

    TForm1& form() { return *panel_.form(); }

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
    binding::EditorPanel panel_;  // last: the form goes before the values it reads
};

}  // namespace tamrik::lv2
