#include "clap/ClapEditor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/TForm1.h"
#include "toolkit/PlatformBackend.h"

namespace tamrik::clap {

namespace {

// Often enough that dragging a knob feels direct; CLAP hosts allow 30 Hz.
constexpr uint32_t kPumpPeriodMs = 30;

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

ClapEditor::ClapEditor(const clap_host_t* host, const PluginKind& kind, Instrument& instrument,
                       const ClapParameters& parameters, EditorChanges& changes)
    : host_(host),
      kind_(kind),
      instrument_(instrument),
      parameters_(parameters),
      changes_(changes),
      editing_(parameters.count(), false) {}

ClapEditor::~ClapEditor() { destroy(); }

const char* ClapEditor::api() { return kApi; }

bool ClapEditor::supports(const char* api, bool floating) {
    return !floating && api && std::strcmp(api, kApi) == 0;
}

bool ClapEditor::create(const char* api, bool floating) {
    if (created_ || !kind_.makeForm || !supports(api, floating)) return false;
    timers_ = hostExtension<clap_host_timer_support_t>(host_, CLAP_EXT_TIMER_SUPPORT);
    if (kNeedsTimer && (!timers_ || !timers_->register_timer || !timers_->unregister_timer)) return false;
    hostParams_ = hostExtension<clap_host_params_t>(host_, CLAP_EXT_PARAMS);
    scale_ = tk::Scale();  // until the host says otherwise
    created_ = true;
    return true;
}

void ClapEditor::destroy() {
    stopTimer();
    form_.reset();  // ends the gestures it has open
    for (uint32_t id = 0; openEdits_ > 0 && id < editing_.size(); ++id) endEdit(int32_t(id));
    created_ = false;
}

void ClapEditor::stopTimer() {
    if (timerRunning_) timers_->unregister_timer(host_, timer_);
    timerRunning_ = false;
    timer_ = CLAP_INVALID_ID;
}

bool ClapEditor::setScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0.0) return false;
    const double percent = std::min(scale * 100.0, 1000.0);
    scale_ = tk::Scale(int(std::lround(percent)));
    if (form_) form_->SetScale(scale_);
    return double(scale_.Percent()) == percent;
}

bool ClapEditor::size(uint32_t* width, uint32_t* height) const {
    if (!width || !height) return false;
    *width = uint32_t(scale_.Dev(TForm1::kWidth));
    *height = uint32_t(scale_.Dev(kind_.formHeight));
    return true;
}

bool ClapEditor::setSize(uint32_t width, uint32_t height) const {
    uint32_t w = 0, h = 0;
    size(&w, &h);
    return width == w && height == h;
}

bool ClapEditor::setParent(const clap_window_t* window) {
    if (!created_ || form_ || !window || !supports(window->api, false)) return false;
    std::unique_ptr<TForm1> form = kind_.makeForm(tk::CreatePlatformBackend(), *this, instrument_);
    form->SetScale(scale_);
    if (!form->CreateParented(nativeWindow(*window))) return false;
    if (kNeedsTimer) {
        clap_id id = CLAP_INVALID_ID;
        if (!timers_->register_timer(host_, kPumpPeriodMs, &id)) return false;
        timer_ = id;
        timerRunning_ = true;
    }
    form_ = std::move(form);
    form_->ShowForm();
    return true;
}

bool ClapEditor::show() {
    if (!form_) return false;
    form_->ShowForm();
    return true;
}

bool ClapEditor::hide() {
    if (!form_) return false;
    form_->HideForm();
    return true;
}

void ClapEditor::onTimer(clap_id timer) {
    if (form_ && timerRunning_ && timer == timer_) form_->Idle();
}

void ClapEditor::setParameterAutomated(int32_t index, float value) {
    if (!parameters_.has(clap_id(index)) || !std::isfinite(value)) return;
    instrument_.setParameter(index, value);
    const auto id = clap_id(index);
    const EditorChange gesture[] = {{EditorChange::Kind::Begin, id, 0.0},
                                    {EditorChange::Kind::Value, id, parameters_.fromInstrument(id, value)},
                                    {EditorChange::Kind::End, id, 0.0}};
    const bool pushed = editing_[id] ? changes_.push(&gesture[1], 1, openEdits_) : changes_.push(gesture, 3, openEdits_);
    if (pushed) requestFlush();
}

void ClapEditor::beginEdit(int32_t index) {
    const auto id = clap_id(index);
    if (!parameters_.has(id) || editing_[id]) return;
    const EditorChange begin{EditorChange::Kind::Begin, id, 0.0};
    // With the ring full the gesture stays closed: its values then go as
    // gestures of their own.
    if (!changes_.push(&begin, 1, openEdits_ + 1)) return;
    editing_[id] = true;
    ++openEdits_;
}

void ClapEditor::endEdit(int32_t index) {
    const auto id = clap_id(index);
    if (!parameters_.has(id) || !editing_[id]) return;
    const EditorChange end{EditorChange::Kind::End, id, 0.0};
    changes_.push(&end, 1);  // its slot was kept
    editing_[id] = false;
    --openEdits_;
    requestFlush();
}

void ClapEditor::requestFlush() const {
    if (hostParams_ && hostParams_->request_flush) hostParams_->request_flush(host_);
}

float ClapEditor::getParameter(int32_t index) { return instrument_.getParameter(index); }

}  // namespace tamrik::clap
