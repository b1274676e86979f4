// A product's panel inside a host's window, as every editor binding (VST 2,
// LV2, CLAP, and those to come) shows it: which form, at which scale, how
// large the host is told it is, what the host's idle calls run, and what
// happens when the user picks another scale.
//
// The scale: the user's own choice (kept in the per-user settings), else
// the host's (a factor it hands over), else the platform's (the desktop's
// DPI, known once a window exists), else 100 %. A host sizes its window
// before it opens the panel, from size(); should the platform's scale then
// differ, the host is asked to resize, and a refusal keeps 100 %. A scale
// the user picks is asked of the host the same way; granted, it is kept as
// the user's choice, refused, the panel stays as it was.
//
// Gestures: the form's begin and end of each gesture reach the binding's
// link paired, once each, and closing the panel ends those still open.
//
// The host's pump: every idle call runs the form's pending window events,
// its due timers (the 100 ms refresh) and its painting; a host that drives
// the panel from a timer of its own calls it every kPumpPeriodMs, and one
// that watches descriptors also whenever eventDescriptor() turns readable.
//
// UI thread only: every call comes from the thread the host shows editors on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "binding/GestureBook.h"
#include "binding/PanelSound.h"
#include "binding/Products.h"
#include "editor/HitLink.h"
#include "editor/ParameterLink.h"
#include "toolkit/Backend.h"
#include "toolkit/Scale.h"

namespace tamrik {
class TForm1;
}

namespace tamrik::binding {

class EditorPanel {
public:
    // Often enough that a drag feels direct; within what hosts' timers allow.
    static constexpr uint32_t kPumpPeriodMs = 30;

    // Asks the host for a window of this many device pixels; false when
    // it will not. Without one, the host's window follows ours.
    using ResizeHost = std::function<bool(int width, int height)>;

    EditorPanel(const Product& product, ParameterLink& link);
    ~EditorPanel();

    // A factor the host asks for (1.0 is 100 %); nothing, or a factor that
    // is not a positive number, leaves the host out of it. True when the
    // panel takes exactly that scale.
    bool setHostScale(std::optional<double> factor);
    tk::Scale scale() const;
    // The panel at its scale, in device pixels.
    int width() const;
    int height() const;

    // Makes the form in `parent` and shows it; false, with nothing left
    // open, when the form cannot live there (or the Kit's panel has no
    // controls). A second open while one is open just shows the form. The
    // sound is what the panel's hit row draws (none: it says so).
    bool open(tk::NativeWindow parent, kit::KitControls* controls, ResizeHost resizeHost = nullptr,
              HitLink* sound = nullptr);
    // The same for an instrument in this library: its kit controls, and its
    // hits rendered here (PanelSound) for the panel's hit row.
    bool open(tk::NativeWindow parent, Instrument& instrument, ResizeHost resizeHost = nullptr);
    void close();
    bool isOpen() const { return form_ != nullptr; }
    void idle();
    void repaint();
    void show();
    void hide();
    TForm1* form() const { return form_.get(); }
    // Whether the form has a gesture of this parameter open.
    bool gestureOpen(int32_t index) const { return link_.isOpen(index); }
    // While open: the descriptor to watch for the form's window events
    // (Backend::EventDescriptor), or -1.
    int eventDescriptor() const;

    // Which windowing system a newly opened form uses: the platform's (X11,
    // Win32) unless something else is installed (tests and pictures install
    // an offscreen backend). Process-wide; nullptr puts the platform's back.
    using BackendFactory = std::unique_ptr<tk::Backend> (*)();
    static void setBackendFactory(BackendFactory factory);
    // Where the user's settings (the chosen scale) are kept: the per-user
    // file unless something else is installed (tests). Process-wide; an
    // empty path puts the per-user one back.
    static void setSettingsFile(std::filesystem::path file);

private:
    // What the form calls: the binding's link, with its gestures booked.
    class BookedLink final : public ParameterLink {
    public:
        BookedLink(ParameterLink& link, size_t parameters) : link_(link), book_(parameters) {}
        void setParameterAutomated(int32_t index, float value) override { link_.setParameterAutomated(index, value); }
        float getParameter(int32_t index) override { return link_.getParameter(index); }
        void beginEdit(int32_t index) override;
        void endEdit(int32_t index) override;
        void endAll();
        bool isOpen(int32_t index) const { return index >= 0 && book_.isOpen(uint32_t(index)); }

    private:
        ParameterLink& link_;
        GestureBook book_;
    };

    const Product& product_;
    BookedLink link_;
    std::optional<tk::Scale> hostScale_;
    std::unique_ptr<PanelSound> sound_;
    std::unique_ptr<TForm1> form_;  // after the sound: goes first
};

}  // namespace tamrik::binding
