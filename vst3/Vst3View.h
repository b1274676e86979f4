// The editor of a VST 3 instance (IPlugView with content scale support):
// the product's panel (binding/EditorPanel.h: which form, its scale and
// size) as a child of the host's window, "X11EmbedWindowID" on Linux and
// "HWND" on Windows. The size is fixed, the panel's at its scale; the
// host's content scale counts where the user has chosen none, and a size
// that changes while the panel is attached (the host's scale, one the user
// picks) is asked of the host through its frame's resize_view.
//
// Linux: no thread of our own. The host's run loop (IRunLoop, which the
// frame answers) watches the panel's X connection, whose event handler
// pumps the panel whenever it turns readable, and fires a timer every
// EditorPanel::kPumpPeriodMs for the panel's own timers and painting; both
// are registered from attached to removed. A frame without a run loop gets
// no panel: nothing else would drive it. Windows: the host's message loop
// drives the panel's window.
//
// The panel's link: a value the user sets goes to the instrument at once
// and to the host as perform_edit inside the gesture the panel opened
// (begin_edit ... end_edit, paired by the panel; a value sent outside one
// goes as a gesture of its own), through the controller's component
// handler. What the host sets reaches the panel through its refresh, which
// reads the instrument.
//
// UI thread only: hosts make every view call from the thread they show
// editors on.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>

#include "binding/EditorPanel.h"
#include "editor/ParameterLink.h"
#include "vst3/Vst3Api.h"
#include "vst3/Vst3Plugin.h"

namespace tamrik::vst3 {

class Vst3View final : private ParameterLink {
public:
    // An interface's pointer as the host holds it: a table and its owner.
    struct Face {
        const void* table;
        Vst3View* owner;
    };

    // A new view of the instance with one reference (it holds one on the
    // instance); nullptr when memory runs out.
    static v3_plugin_view** create(Vst3Plugin& plugin);

    // FUnknown, for both faces.
    v3_result query(const v3_tuid iid, void** object);
    uint32_t ref() { return refs_.fetch_add(1) + 1; }
    uint32_t unref();

    // IPlugView.
    static v3_result platformSupported(const char* type);
    v3_result attached(void* parent, const char* type);
    v3_result removed();
    v3_result size(v3_view_rect* rect) const;
    v3_result onSize(const v3_view_rect* rect) const;
    v3_result setFrame(v3_plugin_frame** frame);
    v3_result checkSizeConstraint(v3_view_rect* rect) const;
    // IPlugViewContentScaleSupport.
    v3_result setContentScale(float factor);
    // The run loop's calls, through the pump.
    void onFdIsSet(int fd);
    void onTimer();

private:
    struct Pump;

    explicit Vst3View(Vst3Plugin& plugin);
    ~Vst3View();

    void setParameterAutomated(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    v3_plugin_view** self() { return reinterpret_cast<v3_plugin_view**>(&view_); }
    std::pair<int, int> currentSize() const;
    bool askHost(int width, int height);
    bool startRunLoop();
    void stopRunLoop();

    Face view_, scale_;
    std::atomic<uint32_t> refs_{1};
    Vst3Plugin& plugin_;
    v3_plugin_frame** frame_ = nullptr;
    // While attached on Linux: the host's run loop, the pump registered
    // with it and what of it is registered.
    v3_run_loop** runLoop_ = nullptr;
    Pump* pump_ = nullptr;
    int descriptor_ = -1;
    bool watching_ = false, ticking_ = false;
    // The size asked of the host while it answers (it may ask ours then).
    std::optional<std::pair<int, int>> asking_;
    binding::EditorPanel panel_;  // last: the form goes before what it reaches
};

}  // namespace tamrik::vst3
