// The panel inside a CLAP host: the product's panel (binding/EditorPanel.h:
// which form, its scale and size), made a child of the window the host hands
// to the gui extension's set_parent (X11 or Win32; embedded only, never
// floating). The host's scale counts where the user has chosen none (the
// panel's steps, 100 % to 300 %; others get the nearest step); a scale the
// user picks is asked of the host through its gui extension. The host
// cannot resize the panel otherwise.
//
// On X11 the form's work (its X events, the 100 ms refresh, painting) runs
// from a timer registered with the host's timer support for as long as the
// form exists; a host without timer support gets no X11 panel. On Windows
// the host's message loop drives the form's window, as for VST.
//
// The form's ParameterLink: a value the user sets goes to the instrument at
// once and to the changes the next process or flush hands the host, inside
// the gesture the form began (a drag: begin, its values, end) or, sent
// outside one, as a gesture of its own; the host is asked to flush.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "binding/EditorPanel.h"
#include "binding/GestureBook.h"
#include "binding/ParameterFacts.h"
#include "binding/Products.h"
#include "clap/ClapApi.h"
#include "clap/EditorChanges.h"
#include "editor/ParameterLink.h"
#include "synth/Instrument.h"

namespace tamrik {
class TForm1;
}

namespace tamrik::clap {

class ClapEditor final : private ParameterLink {
public:
    ClapEditor(const clap_host_t* host, const binding::Product& product, Instrument& instrument,
               const binding::ParameterFacts& parameters, EditorChanges& changes);
    ~ClapEditor();

    // The platform's window system ("x11" or "win32"), embedded.
    static const char* api();
    static bool supports(const char* api, bool floating);

    // The gui extension's calls; see clap/ext/gui.h for when a host makes them.
    bool create(const char* api, bool floating);
    void destroy();
    bool created() const { return created_; }
    // True when the panel takes exactly this scale.
    bool setScale(double scale);
    bool size(uint32_t* width, uint32_t* height) const;
    bool setSize(uint32_t width, uint32_t height) const;
    bool setParent(const clap_window_t* window);
    bool show();
    bool hide();
    void onTimer(clap_id timer);

    TForm1* form() const { return panel_.form(); }

private:
    void setParameterAutomated(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void requestFlush() const;
    void stopTimer();

    const clap_host_t* host_;
    const clap_host_timer_support_t* timers_ = nullptr;
    const clap_host_params_t* hostParams_ = nullptr;
    const clap_host_gui_t* hostGui_ = nullptr;
    Instrument& instrument_;
    const binding::ParameterFacts& parameters_;
    EditorChanges& changes_;
    bool created_ = false;
    bool timerRunning_ = false;
    clap_id timer_ = CLAP_INVALID_ID;
    // Gestures the changes took the begin of, not yet ended; each holds a
    // slot of the changes for its end.
    binding::GestureBook gestures_;
    binding::EditorPanel panel_;  // last: the form goes before what it reaches
};

}  // namespace tamrik::clap
