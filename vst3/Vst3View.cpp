#include "vst3/Vst3View.h"

#include <cmath>
#include <cstring>
#include <new>

namespace tamrik::vst3 {

namespace {

#if defined(_WIN32)
constexpr const char* kPlatformType = V3_VIEW_PLATFORM_TYPE_HWND;
#else
constexpr const char* kPlatformType = V3_VIEW_PLATFORM_TYPE_X11;
#endif

Vst3View* self(void* face) { return static_cast<Vst3View::Face*>(face)->owner; }

v3_result V3_API queryInterface(void* s, const v3_tuid iid, void** object) { return self(s)->query(iid, object); }
uint32_t V3_API addRef(void* s) { return self(s)->ref(); }
uint32_t V3_API release(void* s) { return self(s)->unref(); }
constexpr v3_funknown kUnknown = {queryInterface, addRef, release};

v3_result V3_API isPlatformTypeSupported(void*, const char* type) { return Vst3View::platformSupported(type); }
v3_result V3_API attached(void* s, void* parent, const char* type) { return self(s)->attached(parent, type); }
v3_result V3_API removed(void* s) { return self(s)->removed(); }
// Keys and the wheel reach the panel's own window; the host keeps these.
v3_result V3_API onWheel(void*, float) { return V3_FALSE; }
v3_result V3_API onKeyDown(void*, int16_t, int16_t, int16_t) { return V3_FALSE; }
v3_result V3_API onKeyUp(void*, int16_t, int16_t, int16_t) { return V3_FALSE; }
v3_result V3_API getSize(void* s, v3_view_rect* rect) { return self(s)->size(rect); }
v3_result V3_API onSize(void* s, v3_view_rect* rect) { return self(s)->onSize(rect); }
v3_result V3_API onFocus(void*, v3_bool) { return V3_OK; }
v3_result V3_API setFrame(void* s, v3_plugin_frame** frame) { return self(s)->setFrame(frame); }
v3_result V3_API canResize(void*) { return V3_FALSE; }
v3_result V3_API checkSizeConstraint(void* s, v3_view_rect* rect) { return self(s)->checkSizeConstraint(rect); }
constexpr ViewTable kView = {kUnknown,
                             {isPlatformTypeSupported, attached, removed, onWheel, onKeyDown, onKeyUp, getSize,
                              onSize, onFocus, setFrame, canResize, checkSizeConstraint}};

v3_result V3_API setContentScaleFactor(void* s, float factor) { return self(s)->setContentScale(factor); }
constexpr ContentScaleTable kContentScale = {kUnknown, {setContentScaleFactor}};

}  // namespace

// What the run loop holds: the event handler and the timer, counted apart
// from the view, so that the host's references keep no view alive (a view
// let go while attached still goes, and unregisters them first).
struct Vst3View::Pump {
    struct Face {
        const void* table;
        Pump* owner;
    };
    static Pump* of(void* face) { return static_cast<Face*>(face)->owner; }

    static v3_result V3_API query(void* s, const v3_tuid iid, void** object);
    static uint32_t V3_API ref(void* s) { return of(s)->refs.fetch_add(1) + 1; }
    static uint32_t V3_API unref(void* s) {
        Pump* pump = of(s);
        const uint32_t left = pump->refs.fetch_sub(1) - 1;
        if (left == 0) delete pump;
        return left;
    }
    static void V3_API onFdIsSet(void* s, int fd) {
        if (Vst3View* view = of(s)->view) view->onFdIsSet(fd);
    }
    static void V3_API onTimer(void* s) {
        if (Vst3View* view = of(s)->view) view->onTimer();
    }
    static constexpr v3_funknown kUnknown = {query, ref, unref};
    static constexpr EventHandlerTable kEvents = {kUnknown, {onFdIsSet}};
    static constexpr TimerHandlerTable kTimer = {kUnknown, {onTimer}};

    explicit Pump(Vst3View& owner) : view(&owner) {}
    v3_event_handler** events() { return reinterpret_cast<v3_event_handler**>(&eventsFace); }
    v3_timer_handler** timer() { return reinterpret_cast<v3_timer_handler**>(&timerFace); }

    Face eventsFace{&kEvents, this}, timerFace{&kTimer, this};
    std::atomic<uint32_t> refs{1};
    Vst3View* view;  // null once the view has let go
};

v3_result V3_API Vst3View::Pump::query(void* s, const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    Pump* pump = of(s);
    Face* face = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_event_handler_iid))
        face = &pump->eventsFace;
    else if (v3_tuid_match(iid, v3_timer_handler_iid))
        face = &pump->timerFace;
    *object = face;
    if (!face) return V3_NO_INTERFACE;
    ref(s);
    return V3_OK;
}

v3_plugin_view** Vst3View::create(Vst3Plugin& plugin) {
    try {
        return (new Vst3View(plugin))->self();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

Vst3View::Vst3View(Vst3Plugin& plugin)
    : view_{&kView, this},
      scale_{&kContentScale, this},
      plugin_(plugin),
      panel_(plugin.product(), *this) {
    plugin_.ref();
}

// The instance is let go last: closing the panel ends its open gestures
// through the instance's handler.
Vst3View::~Vst3View() {
    removed();
    setFrame(nullptr);
    plugin_.unref();
}

v3_result Vst3View::query(const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    Face* face = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_view_iid))
        face = &view_;
    else if (v3_tuid_match(iid, v3_plugin_view_content_scale_iid))
        face = &scale_;
    *object = face;
    if (!face) return V3_NO_INTERFACE;
    ref();
    return V3_OK;
}

uint32_t Vst3View::unref() {
    const uint32_t left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

v3_result Vst3View::platformSupported(const char* type) {
    return type && std::strcmp(type, kPlatformType) == 0 ? V3_OK : V3_FALSE;
}

v3_result Vst3View::attached(void* parent, const char* type) {
    if (!parent) return V3_INVALID_ARG;
    if (platformSupported(type) != V3_OK || panel_.isOpen()) return V3_FALSE;
#if !defined(_WIN32)
    // No thread of ours pumps the panel: without the host's run loop
    // nothing would, so such a host gets no panel.
    void* loop = nullptr;
    if (!frame_ || v3_cpp_obj_query_interface(frame_, v3_run_loop_iid, reinterpret_cast<void***>(&loop)) != V3_OK ||
        !loop)
        return V3_FALSE;
    runLoop_ = static_cast<v3_run_loop**>(loop);
#endif
    const auto resizeHost = [this](int width, int height) { return askHost(width, height); };
    if (!panel_.open(tk::NativeWindow(reinterpret_cast<uintptr_t>(parent)), plugin_.instrument(), resizeHost) ||
        !startRunLoop()) {
        removed();
        return V3_FALSE;
    }
    return V3_OK;
}

// Unregistered before the panel goes, and with it the descriptor.
v3_result Vst3View::removed() {
    const bool wasOpen = panel_.isOpen();
    stopRunLoop();
    panel_.close();
    return wasOpen ? V3_OK : V3_FALSE;
}

bool Vst3View::startRunLoop() {
    if (!runLoop_) return true;  // the host's message loop drives the window
    try {
        pump_ = new Pump(*this);
    } catch (const std::bad_alloc&) {
        return false;
    }
    descriptor_ = panel_.eventDescriptor();
    v3_run_loop* loop = v3_cpp_obj(runLoop_);
    watching_ = descriptor_ >= 0 && loop->register_event_handler(runLoop_, pump_->events(), descriptor_) == V3_OK;
    ticking_ = loop->register_timer(runLoop_, pump_->timer(), binding::EditorPanel::kPumpPeriodMs) == V3_OK;
    return watching_ && ticking_;
}

void Vst3View::stopRunLoop() {
    if (!runLoop_) return;
    v3_run_loop* loop = v3_cpp_obj(runLoop_);
    if (watching_) loop->unregister_event_handler(runLoop_, pump_->events());
    if (ticking_) loop->unregister_timer(runLoop_, pump_->timer());
    watching_ = ticking_ = false;
    descriptor_ = -1;
    if (pump_) {
        pump_->view = nullptr;  // a host that still holds it calls nothing of ours
        Pump::unref(pump_->events());
        pump_ = nullptr;
    }
    v3_cpp_obj_unref(runLoop_);
    runLoop_ = nullptr;
}

void Vst3View::onFdIsSet(int fd) {
    if (watching_ && fd == descriptor_) panel_.idle();
}

void Vst3View::onTimer() {
    if (ticking_) panel_.idle();
}

std::pair<int, int> Vst3View::currentSize() const {
    return asking_ ? *asking_ : std::pair{panel_.width(), panel_.height()};
}

v3_result Vst3View::size(v3_view_rect* rect) const {
    if (!rect) return V3_INVALID_ARG;
    const auto [width, height] = currentSize();
    *rect = {0, 0, width, height};
    return V3_OK;
}

v3_result Vst3View::onSize(const v3_view_rect* rect) const {
    if (!rect) return V3_INVALID_ARG;
    const auto [width, height] = currentSize();
    return rect->right - rect->left == width && rect->bottom - rect->top == height ? V3_OK : V3_FALSE;
}

v3_result Vst3View::checkSizeConstraint(v3_view_rect* rect) const {
    if (!rect) return V3_INVALID_ARG;
    const auto [width, height] = currentSize();
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return V3_OK;
}

v3_result Vst3View::setFrame(v3_plugin_frame** frame) {
    if (frame) v3_cpp_obj_ref(frame);
    if (frame_) v3_cpp_obj_unref(frame_);
    frame_ = frame;
    return V3_OK;
}

bool Vst3View::askHost(int width, int height) {
    if (!frame_) return false;
    v3_view_rect rect{0, 0, width, height};
    asking_ = {width, height};
    const bool granted = v3_cpp_obj(frame_)->resize_view(frame_, self(), &rect) == V3_OK;
    asking_.reset();
    return granted;
}

// Any usable factor is taken (the panel's nearest step); the host hears of
// a size that changes under an attached panel.
v3_result Vst3View::setContentScale(float factor) {
    const auto before = currentSize();
    const bool usable = std::isfinite(factor) && factor > 0.0f;
    panel_.setHostScale(usable ? std::optional<double>(factor) : std::nullopt);
    const auto after = currentSize();
    if (panel_.isOpen() && after != before) askHost(after.first, after.second);
    return usable ? V3_OK : V3_FALSE;
}

void Vst3View::setParameterAutomated(int32_t index, float value) {
    const auto id = v3_param_id(index);
    if (index < 0 || !plugin_.facts().has(id) || !std::isfinite(value)) return;
    plugin_.instrument().setParameter(index, value);
    v3_component_handler** handler = plugin_.handler();
    if (!handler) return;
    const double normalized = plugin_.toNormalized(id, plugin_.facts().fromInstrument(id, value));
    const bool alone = !panel_.gestureOpen(index);
    if (alone) v3_cpp_obj(handler)->begin_edit(handler, id);
    v3_cpp_obj(handler)->perform_edit(handler, id, normalized);
    if (alone) v3_cpp_obj(handler)->end_edit(handler, id);
}

float Vst3View::getParameter(int32_t index) { return plugin_.instrument().getParameter(index); }

void Vst3View::beginEdit(int32_t index) {
    if (v3_component_handler** handler = plugin_.handler()) v3_cpp_obj(handler)->begin_edit(handler, v3_param_id(index));
}

void Vst3View::endEdit(int32_t index) {
    if (v3_component_handler** handler = plugin_.handler()) v3_cpp_obj(handler)->end_edit(handler, v3_param_id(index));
}

}  // namespace tamrik::vst3
