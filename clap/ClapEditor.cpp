#include "clap/ClapEditor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/TForm1.h"

namespace tamrik::clap {

namespace {

#if defined(_WIN32)
constexpr const char* kApi = CLAP_WINDOW_API_WIN32;
constexpr bool kNeedsTimer = false;  // the host's message loop drives the window
tk::NativeWindow nativeWindow(const clap_window_t& w) { return tk::NativeWindow(w.win32); }
#else
constexpr const char* kApi = CLAP_WINDOW_API_X11;
constexpr bool kNeedsTimer = true;
tk::NativeWindow nativeWindow(const clap_window_t& w) { return tk::NativeWindow(w.x11); }
#endif

}  // namespace

ClapEditor::ClapEditor(const clap_host_t* host, const binding::Product& product, Instrument& instrument,
                       const binding::ParameterFacts& parameters, EditorChanges& changes)
    : host_(host),
      instrument_(instrument),
      parameters_(parameters),
      changes_(changes),
      gestures_(parameters.count()),
      panel_(product, *this) {}

ClapEditor::~ClapEditor() { destroy(); }

const char* ClapEditor::api() { return kApi; }

bool ClapEditor::supports(const char* api, bool floating) {
    return !floating && api && std::strcmp(api, kApi) == 0;
}

bool ClapEditor::create(const char* api, bool floating) {
    if (created_ || !supports(api, floating)) return false;
    timers_ = hostExtension<clap_host_timer_support_t>(host_, CLAP_EXT_TIMER_SUPPORT);
    if (kNeedsTimer && (!timers_ || !timers_->register_timer || !timers_->unregister_timer)) return false;
    hostParams_ = hostExtension<clap_host_params_t>(host_, CLAP_EXT_PARAMS);
    hostGui_ = hostExtension<clap_host_gui_t>(host_, CLAP_EXT_GUI);
    panel_.setHostScale(std::nullopt);  // until the host says otherwise
    created_ = true;
    return true;
}

void ClapEditor::destroy() {
    stopTimer();
    panel_.close();  // ends the gestures it has open
    created_ = false;
}

void ClapEditor::stopTimer() {
    if (timerRunning_) timers_->unregister_timer(host_, timer_);
    timerRunning_ = false;
    timer_ = CLAP_INVALID_ID;
}

bool ClapEditor::setScale(double scale) { return panel_.setHostScale(scale); }

bool ClapEditor::size(uint32_t* width, uint32_t* height) const {
    if (!width || !height) return false;
    *width = uint32_t(panel_.width());
    *height = uint32_t(panel_.height());
    return true;
}

bool ClapEditor::setSize(uint32_t width, uint32_t height) const {
    uint32_t w = 0, h = 0;
    size(&w, &h);
    return width == w && height == h;
}

bool ClapEditor::setParent(const clap_window_t* window) {
    if (!created_ || panel_.isOpen() || !window || !supports(window->api, false)) return false;
    if (kNeedsTimer) {
        clap_id id = CLAP_INVALID_ID;
        if (!timers_->register_timer(host_, binding::EditorPanel::kPumpPeriodMs, &id)) return false;
        timer_ = id;
        timerRunning_ = true;
    }
    const clap_host_t* host = host_;
    const clap_host_gui_t* gui = hostGui_;
    const auto resizeHost = [host, gui](int width, int height) {
        return gui && gui->request_resize && gui->request_resize(host, uint32_t(width), uint32_t(height));
    };
    if (!panel_.open(nativeWindow(*window), instrument_, resizeHost)) {
        stopTimer();
        return false;
    }
    return true;
}

bool ClapEditor::show() {
    if (!panel_.isOpen()) return false;
    panel_.show();
    return true;
}

bool ClapEditor::hide() {
    if (!panel_.isOpen()) return false;
    panel_.hide();
    return true;
}

void ClapEditor::onTimer(clap_id timer) {
    if (timerRunning_ && timer == timer_) panel_.idle();
}

void ClapEditor::setParameterAutomated(int32_t index, float value) {
    if (!parameters_.has(clap_id(index)) || !std::isfinite(value)) return;
    instrument_.setParameter(index, value);
    const auto id = clap_id(index);
    const EditorChange gesture[] = {{EditorChange::Kind::Begin, id, 0.0},
                                    {EditorChange::Kind::Value, id, parameters_.fromInstrument(id, value)},
                                    {EditorChange::Kind::End, id, 0.0}};
    const uint32_t reserve = gestures_.openCount();
    const bool pushed = gestures_.isOpen(id) ? changes_.push(&gesture[1], 1, reserve) : changes_.push(gesture, 3, reserve);
    if (pushed) requestFlush();
}

void ClapEditor::beginEdit(int32_t index) {
    const auto id = clap_id(index);
    if (!parameters_.has(id) || gestures_.isOpen(id)) return;
    const EditorChange begin{EditorChange::Kind::Begin, id, 0.0};
    // With the ring full the gesture stays closed: its values then go as
    // gestures of their own.
    if (!changes_.push(&begin, 1, gestures_.openCount() + 1)) return;
    gestures_.begin(id);
}

void ClapEditor::endEdit(int32_t index) {
    const auto id = clap_id(index);
    if (!gestures_.end(id)) return;
    const EditorChange end{EditorChange::Kind::End, id, 0.0};
    changes_.push(&end, 1);  // its slot was kept
    requestFlush();
}

void ClapEditor::requestFlush() const {
    if (hostParams_ && hostParams_->request_flush) hostParams_->request_flush(host_);
}

float ClapEditor::getParameter(int32_t index) { return instrument_.getParameter(index); }

}  // namespace tamrik::clap
