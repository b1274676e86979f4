// The editor of both bundles under X11, through our own host: the platform
// and fixed size it answers, the panel drawn as the VST 2 build draws it,
// a drag reaching the component handler as one gesture, the host's values
// on the panel, the host's content scale asked of its frame, the run loop
// driving the panel for exactly as long as it is attached, and cycles that
// leave no window, registration or descriptor behind.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "HitPlotArea.h"
#include "HostHarness.h"
#include "OpenDescriptors.h"
#include "UserSettingsFolder.h"
#include "Vst3TestHost.h"
#include "synth/ParameterTable.h"

#include "X11HostWindow.h"

#ifndef TAMRIK_UI_CYCLES
#define TAMRIK_UI_CYCLES 100
#endif

namespace tamrik::test {
namespace {

using namespace vst3;
using Kind = Edit::Kind;

// The instance's editor as a host holds it: made, given a frame, released.
struct View {
    View(Vst3Instance& p, PlugFrame* frame) {
        view = v3_cpp_obj(p.controller)->create_view(p.controller, "editor");
        if (view && frame) (*this)->set_frame(view, frame->frame());
    }
    ~View() {
        if (view) v3_cpp_obj_unref(view);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    v3_plugin_view* operator->() const { return v3_cpp_obj(view); }

    v3_result attach(HostDisplay& x) const { return (*this)->attached(view, x.handle(), V3_VIEW_PLATFORM_TYPE_X11); }
    std::pair<int, int> size() const {
        v3_view_rect r{};
        EXPECT_EQ((*this)->get_size(view, &r), V3_OK);
        return {r.right - r.left, r.bottom - r.top};
    }
    v3_result scale(float factor) const {
        v3_plugin_view_content_scale** scaling = nullptr;
        if (v3_cpp_obj_query_interface(view, v3_plugin_view_content_scale_iid, &scaling) != V3_OK) return V3_NO_INTERFACE;
        const v3_result result = v3_cpp_obj(scaling)->set_content_scale_factor(scaling, factor);
        v3_cpp_obj_unref(scaling);
        return result;
    }
    v3_plugin_view** view = nullptr;
};

// The host's window grown to the panel, as a host sizes it before attaching.
void SizeHostWindow(HostDisplay& x, std::pair<int, int> size) {
    XResizeWindow(x.display, x.window, unsigned(size.first), unsigned(size.second));
    XSync(x.display, False);
}

std::pair<int, int> ChildSize(HostDisplay& x) {
    const std::vector<::Window> children = x.Children();
    if (children.size() != 1) return {-1, int(children.size())};
    XWindowAttributes a{};
    XGetWindowAttributes(x.display, children[0], &a);
    return {a.width, a.height};
}

size_t Performed(const ComponentHandler& h, v3_param_id id) {
    size_t n = 0;
    for (const Edit& e : h.edits) n += e.kind == Kind::Perform && e.id == id;
    return n;
}

bool Ended(const ComponentHandler& h) { return !h.edits.empty() && h.edits.back().kind == Kind::End; }

TEST(Vst3Editor, AnswersForItsPlatformAndTheFixedSizeOfItsScale) {
    const UserSettingsFolder settings("tamrik-vst3-view");
    Vst3Instance p;
    EXPECT_EQ(v3_cpp_obj(p.controller)->create_view(p.controller, "other"), nullptr);
    EXPECT_EQ(v3_cpp_obj(p.controller)->create_view(p.controller, nullptr), nullptr);
    View v(p, nullptr);
    ASSERT_NE(v.view, nullptr);
    EXPECT_EQ(v->is_platform_type_supported(v.view, V3_VIEW_PLATFORM_TYPE_X11), V3_OK);
    for (const char* other : {V3_VIEW_PLATFORM_TYPE_HWND, V3_VIEW_PLATFORM_TYPE_NSVIEW, "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(v->is_platform_type_supported(v.view, other), V3_FALSE) << (other ? other : "null");
    EXPECT_EQ(v.size(), std::make_pair(505, 481));
    EXPECT_EQ(v->can_resize(v.view), V3_FALSE);
    v3_view_rect asked{10, 20, 810, 620};
    EXPECT_EQ(v->check_size_constraint(v.view, &asked), V3_OK);
    EXPECT_EQ(std::vector<int>({asked.left, asked.top, asked.right, asked.bottom}), std::vector<int>({10, 20, 515, 501}));
    v3_view_rect other{0, 0, 800, 600}, same{0, 0, 505, 481};
    EXPECT_EQ(v->on_size(v.view, &other), V3_FALSE);
    EXPECT_EQ(v->on_size(v.view, &same), V3_OK);
    EXPECT_EQ(v->get_size(v.view, nullptr), V3_INVALID_ARG);

    EXPECT_EQ(v.scale(2.0f), V3_OK);
    EXPECT_EQ(v.size(), std::make_pair(1010, 962));
    EXPECT_EQ(v.scale(1.1f), V3_OK) << "the nearest step";
    EXPECT_EQ(v.size(), std::make_pair(505, 481));
    for (float bad : {0.0f, -1.0f, std::nanf(""), HUGE_VALF}) {
        v.scale(1.5f);
        EXPECT_EQ(v.scale(bad), V3_FALSE) << bad;
        EXPECT_EQ(v.size(), std::make_pair(505, 481)) << "the host's scale is dropped";
    }

    // Nothing else would drive an X11 panel: no run loop, no panel.
    int parent = 0;
    EXPECT_EQ(v->attached(v.view, &parent, V3_VIEW_PLATFORM_TYPE_X11), V3_FALSE) << "no frame";
    PlugFrame frame;
    frame.offerRunLoop = false;
    EXPECT_EQ(v->set_frame(v.view, frame.frame()), V3_OK);
    EXPECT_EQ(v->attached(v.view, &parent, V3_VIEW_PLATFORM_TYPE_X11), V3_FALSE) << "a frame without a run loop";
    EXPECT_EQ(v->attached(v.view, nullptr, V3_VIEW_PLATFORM_TYPE_X11), V3_INVALID_ARG);
    EXPECT_EQ(v->removed(v.view), V3_FALSE) << "nothing attached";
    EXPECT_EQ(v->set_frame(v.view, nullptr), V3_OK);
    EXPECT_EQ(frame.refs, 0);
}

// The same display, the same faces: the VST 3 panel is the VST 2 panel,
// pixel for pixel.
TEST(Vst3Editor, ThePanelDrawsAsTheVst2PanelDoes) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-vst3-view");
    SizeHostWindow(x, {505, 481});
    std::vector<unsigned long> vst2;
    {
        HostHarness host;
        ASSERT_EQ(host.dispatch(vst::effEditOpen, 0, 0, x.handle()), 1);
        EXPECT_TRUE(WaitUntilDrawn(x, [&] { host.dispatch(vst::effEditIdle); }));
        vst2 = ScreenPixels(x, 0, 0, 505, 481);
        host.dispatch(vst::effEditClose);
    }
    Vst3Instance p;
    PlugFrame frame;
    View v(p, &frame);
    ASSERT_EQ(v.attach(x), V3_OK);
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { frame.runLoop.runOnce(); }));
    const std::vector<unsigned long> vst3 = ScreenPixels(x, 0, 0, 505, 481);
    ASSERT_EQ(vst3.size(), vst2.size());
    const HitPlotArea plot = HitPlotAreaOf(481);
    size_t differing = 0;
    for (size_t i = 0; i < vst3.size(); ++i) differing += vst3[i] != vst2[i] && !plot.contains(int(i % 505), int(i / 505));
    EXPECT_EQ(differing, 0u) << "of " << vst3.size() << " pixels";
    EXPECT_EQ(v->removed(v.view), V3_OK);
}

TEST(Vst3Editor, ADragIsOneGestureOfTheHandlerAndTheHostsValuesShow) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-vst3-view");
    ComponentHandler handler;  // outlives the instance, which holds it to the end
    Vst3Instance p;
    ASSERT_EQ(v3_cpp_obj(p.controller)->set_component_handler(p.controller, handler.handler()), V3_OK);
    PlugFrame frame;
    RunLoop& loop = frame.runLoop;
    View v(p, &frame);
    SizeHostWindow(x, v.size());
    const ::Window gone = XCreateSimpleWindow(x.display, x.window, 0, 0, 5, 5, 0, 0, 0);
    XDestroyWindow(x.display, gone);
    XSync(x.display, False);
    EXPECT_EQ(v->attached(v.view, reinterpret_cast<void*>(uintptr_t(gone)), V3_VIEW_PLATFORM_TYPE_X11), V3_FALSE);
    EXPECT_TRUE(loop.watches.empty() && loop.timers.empty()) << "nothing registered for a parent that is no window";
    EXPECT_EQ(loop.refs, 0);
    ASSERT_EQ(v.attach(x), V3_OK);
    EXPECT_EQ(v.attach(x), V3_FALSE) << "attached already";
    EXPECT_EQ(ChildSize(x), std::make_pair(505, 481));
    ASSERT_EQ(loop.watches.size(), 1u) << "the panel's connection";
    ASSERT_EQ(loop.timers.size(), 1u);
    EXPECT_EQ(loop.timers[0].periodMs, 30u);
    auto idle = [&] { loop.runOnce(); };
    EXPECT_TRUE(WaitUntilDrawn(x, idle));
    EXPECT_TRUE(handler.edits.empty()) << "showing sends nothing";

    const int descriptorCalls = loop.descriptorCalls;
    EXPECT_TRUE(DragCutOffKnob(x, idle, 20, [&] { return Performed(handler, kCutOff); }));
    EXPECT_TRUE(IdleUntil(idle, [&] { return Ended(handler); })) << "the gesture ends once the button is up";
    EXPECT_GT(loop.descriptorCalls, descriptorCalls) << "input came through the watched descriptor";
    std::vector<Edit> expected{{Kind::Begin, kCutOff, 0.0}};
    for (int k = 51; k <= 60; ++k) expected.push_back({Kind::Perform, kCutOff, double(float(k) / 100.0f)});
    expected.push_back({Kind::End, kCutOff, 0.0});
    EXPECT_EQ(handler.edits, expected);
    EXPECT_EQ(v3_cpp_obj(p.controller)->get_parameter_normalised(p.controller, kCutOff), double(0.6f))
        << "the instrument has the value at once";

    // The host's value reaches the knob, and is not sent back.
    handler.edits.clear();
    const std::vector<unsigned long> knob = ScreenPixels(x, kKnobX - 16, kKnobY - 16, 33, 33);
    v3_cpp_obj(p.controller)->set_parameter_normalised(p.controller, kCutOff, 0.2);
    EXPECT_TRUE(IdleUntil(idle, [&] { return ScreenPixels(x, kKnobX - 16, kKnobY - 16, 33, 33) != knob; }));
    Drain(x.display, idle);
    EXPECT_TRUE(handler.edits.empty());

    // Removed in the middle of a drag: the host still hears its end.
    x.Move(kKnobX, kKnobY + 6);
    x.Button(true);
    x.Move(kKnobX + 4, kKnobY + 6);
    EXPECT_TRUE(IdleUntil(idle, [&] { return Performed(handler, kCutOff) > 0; }));
    EXPECT_EQ(v->removed(v.view), V3_OK);
    x.Button(false);
    ASSERT_FALSE(handler.edits.empty());
    EXPECT_EQ(handler.edits.front(), (Edit{Kind::Begin, kCutOff, 0.0}));
    EXPECT_EQ(handler.edits.back(), (Edit{Kind::End, kCutOff, 0.0}));
    EXPECT_EQ(handler.count(Kind::Begin), 1u);
    EXPECT_EQ(handler.count(Kind::End), 1u);
    EXPECT_TRUE(loop.watches.empty() && loop.timers.empty());
    EXPECT_EQ(loop.badUnregistrations, 0);
    EXPECT_EQ(loop.refs, 0) << "the run loop is let go";
    EXPECT_TRUE(x.Children().empty());
}

// The Kit's panel: its own size, and a drag on the selected pad's sound
// is a gesture of that pad's parameter.
TEST(Vst3Editor, TheKitsPanelOpensAtItsSizeAndSendsItsGestures) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-vst3-view");
    ComponentHandler handler;  // outlives the instance, which holds it to the end
    Vst3Instance p(kKitPath);
    v3_cpp_obj(p.controller)->set_component_handler(p.controller, handler.handler());
    PlugFrame frame;
    View v(p, &frame);
    SizeHostWindow(x, v.size());
    ASSERT_EQ(v.attach(x), V3_OK);
    EXPECT_EQ(ChildSize(x), std::make_pair(505, 628));
    auto idle = [&] { frame.runLoop.runOnce(); };
    EXPECT_TRUE(WaitUntilDrawn(x, idle));
    EXPECT_TRUE(DragCutOffKnob(x, idle, 6, [&] { return Performed(handler, kCutOff); }));
    EXPECT_TRUE(IdleUntil(idle, [&] { return Ended(handler); }));
    ASSERT_GE(handler.edits.size(), 3u);
    EXPECT_EQ(handler.edits.front().kind, Kind::Begin);
    for (const Edit& e : handler.edits) EXPECT_EQ(e.id, v3_param_id(kCutOff)) << "pad 1's CutOff";
    EXPECT_EQ(v->removed(v.view), V3_OK);
    EXPECT_TRUE(x.Children().empty());
}

TEST(Vst3Editor, TheHostsContentScaleIsAskedOfItsFrame) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-vst3-view");
    Vst3Instance p;
    PlugFrame frame;
    View v(p, &frame);
    EXPECT_EQ(v.scale(1.5f), V3_OK);
    EXPECT_TRUE(frame.resizes.empty()) << "before attaching, the host reads the size itself";
    SizeHostWindow(x, v.size());
    ASSERT_EQ(v.attach(x), V3_OK);
    EXPECT_EQ(ChildSize(x), std::make_pair(758, 722));
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { frame.runLoop.runOnce(); }, 1));

    auto asked = [&] {
        std::vector<std::pair<int, int>> sizes;
        for (const v3_view_rect& r : frame.resizes) sizes.push_back({r.right - r.left, r.bottom - r.top});
        return sizes;
    };
    EXPECT_EQ(v.scale(2.0f), V3_OK);
    EXPECT_EQ(v.scale(2.0f), V3_OK);
    EXPECT_EQ(v.scale(1.0f), V3_OK);
    EXPECT_EQ(asked(), (std::vector<std::pair<int, int>>{{1010, 962}, {505, 481}})) << "only a size that changed";
    EXPECT_EQ(frame.refusedSizes, 0) << "the size asked is the one on_size takes";
    EXPECT_EQ(ChildSize(x), std::make_pair(505, 481));
    v->removed(v.view);
}

TEST(Vst3Editor, CyclesLeaveNoWindowRegistrationOrDescriptorBehind) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-vst3-view");
    SizeHostWindow(x, {505, 481});
    Vst3Instance p;
    PlugFrame frame;
    {  // fontconfig's caches
        View warmUp(p, &frame);
        warmUp.attach(x);
        warmUp->removed(warmUp.view);
    }
    const int descriptors = OpenDescriptors();
    const int registrations = frame.runLoop.registrations;
    for (int i = 0; i < TAMRIK_UI_CYCLES; ++i) {
        View v(p, &frame);
        ASSERT_EQ(v.scale(1.0f + 0.25f * float(i % 5)), V3_OK);
        ASSERT_EQ(v.attach(x), V3_OK) << i;
        frame.runLoop.runOnce();
        ASSERT_EQ(v->removed(v.view), V3_OK) << i;
        ASSERT_TRUE(frame.runLoop.watches.empty() && frame.runLoop.timers.empty()) << i;
        ASSERT_TRUE(x.Children().empty()) << i;
    }
    EXPECT_EQ(frame.runLoop.registrations - registrations, 2 * TAMRIK_UI_CYCLES);
    EXPECT_EQ(frame.runLoop.badUnregistrations, 0);
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a display connection leaked";

    // A host that lets the view go attached, or the instance before the
    // view: the view takes its panel and registrations with it.
    {
        View open(p, &frame);
        ASSERT_EQ(open.attach(x), V3_OK);
    }
    {
        auto instance = std::make_unique<Vst3Instance>();
        View open(*instance, &frame);
        ASSERT_EQ(open.attach(x), V3_OK);
        instance.reset();
        frame.runLoop.runOnce();
    }
    EXPECT_TRUE(x.Children().empty());
    EXPECT_TRUE(frame.runLoop.watches.empty() && frame.runLoop.timers.empty());
    EXPECT_EQ(frame.runLoop.badUnregistrations, 0);
    EXPECT_EQ(frame.refs, 0);
    EXPECT_EQ(frame.runLoop.refs, 0);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace tamrik::test
