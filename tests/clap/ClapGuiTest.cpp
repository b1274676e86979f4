// The gui extension in a host window under X11: embedded only, the panel's
// size at the host's scale, the timer that drives it registered for exactly as long as
// the panel lives, a dragged knob reported to the host as a gesture through
// flush, and create / set_parent / set_scale / destroy cycles that leave
// no window, timer or connection behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "ClapTestHost.h"
#include "OpenDescriptors.h"
#include "synth/ParameterTable.h"

#include "X11HostWindow.h"

#ifndef TAMRIK_UI_CYCLES
#define TAMRIK_UI_CYCLES 100
#endif

namespace tamrik::test {
namespace {

using namespace clap;

clap_window_t windowOf(HostDisplay& x) {
    clap_window_t w{};
    w.api = CLAP_WINDOW_API_X11;
    w.x11 = x.window;
    return w;
}

// Flushes the panel's changes into out until a gesture's end has come
// (the panel closes it once it sees the button up).
bool FlushUntilGestureEnds(ClapInstance& p, const std::function<void()>& idle, OutputEvents& out) {
    return IdleUntil(idle, [&] {
        p.params().flush(p.plugin(), nullptr, out.list());
        return !out.events.empty() && out.events.back().header.type == CLAP_EVENT_PARAM_GESTURE_END;
    });
}

TEST(ClapGui, AnswersTruthfullyAboutWhatItCanDo) {
    ClapInstance p;
    const clap_plugin_gui_t& gui = p.gui();
    const clap_plugin_t* plugin = p.plugin();
    EXPECT_TRUE(gui.is_api_supported(plugin, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui.is_api_supported(plugin, CLAP_WINDOW_API_X11, true)) << "no floating window";
    EXPECT_FALSE(gui.is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(gui.is_api_supported(plugin, CLAP_WINDOW_API_WAYLAND, false));
    EXPECT_FALSE(gui.is_api_supported(plugin, nullptr, false));
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui.get_preferred_api(plugin, &api, &floating));
    EXPECT_STREQ(api, CLAP_WINDOW_API_X11);
    EXPECT_FALSE(floating);

    EXPECT_FALSE(gui.create(plugin, CLAP_WINDOW_API_X11, true));
    EXPECT_FALSE(gui.create(plugin, "cocoa", false));
    ASSERT_TRUE(gui.create(plugin, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui.create(plugin, CLAP_WINDOW_API_X11, false)) << "one at a time";
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(gui.get_size(plugin, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(505u, 481u));
    EXPECT_FALSE(gui.can_resize(plugin));
    EXPECT_TRUE(gui.set_size(plugin, 505, 481));
    EXPECT_FALSE(gui.set_size(plugin, 800, 600));
    EXPECT_TRUE(gui.set_scale(plugin, 2.0));
    ASSERT_TRUE(gui.get_size(plugin, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(1010u, 962u));
    EXPECT_TRUE(gui.set_size(plugin, 1010, 962));
    EXPECT_FALSE(gui.set_size(plugin, 505, 481));
    EXPECT_FALSE(gui.set_scale(plugin, 1.1)) << "not a step of the panel's: the nearest is taken";
    ASSERT_TRUE(gui.get_size(plugin, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(505u, 481u));
    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL}) EXPECT_FALSE(gui.set_scale(plugin, bad)) << bad;
    EXPECT_TRUE(gui.set_scale(plugin, 1.0));
    EXPECT_FALSE(gui.show(plugin)) << "nothing to show before set_parent";
    EXPECT_FALSE(gui.set_parent(plugin, nullptr));
    EXPECT_TRUE(p.host().timers.empty());
    gui.destroy(plugin);

    // Without the host's timer support nothing would drive an X11 panel.
    ClapInstance q;
    q.host().offerTimers = false;
    EXPECT_FALSE(q.gui().create(q.plugin(), CLAP_WINDOW_API_X11, false));
}

TEST(ClapGui, ThePanelSendsADragAsAGestureAndFollowsTheHost) {
    OPEN_TEST_DISPLAY(x);
    ClapInstance p;
    const clap_plugin_gui_t& gui = p.gui();
    ASSERT_TRUE(gui.create(p.plugin(), CLAP_WINDOW_API_X11, false));
    const clap_window_t parent = windowOf(x);
    ASSERT_TRUE(gui.set_parent(p.plugin(), &parent));
    EXPECT_FALSE(gui.set_parent(p.plugin(), &parent)) << "one panel per gui";
    ASSERT_TRUE(gui.show(p.plugin()));
    ASSERT_EQ(p.host().timers.size(), 1u);
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.width, a.height}), std::vector<int>({0, 0, 505, 481}));

    // The host's scale reaches the open panel.
    ASSERT_TRUE(gui.set_scale(p.plugin(), 1.5));
    XSync(x.display, False);
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(758, 722));
    ASSERT_TRUE(gui.set_scale(p.plugin(), 1.0));
    XSync(x.display, False);
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(505, 481));

    auto idle = [&] { p.host().runTimers(p.plugin()); };
    EXPECT_TRUE(WaitUntilDrawn(x, idle));
    EXPECT_EQ(p.host().flushRequests, 0) << "showing sends nothing";
    auto reports = [&] { return size_t(p.host().flushRequests); };
    EXPECT_TRUE(DragCutOffKnob(x, idle, 20, reports));
    EXPECT_GT(p.host().flushRequests, 0);
    EXPECT_EQ(p.value(kCutOff), 0.6f) << "the instrument has the value at once";

    // One gesture around the whole drag: begin, each value in order, end
    // (the end once the panel sees the button up).
    OutputEvents out;
    EXPECT_TRUE(FlushUntilGestureEnds(p, idle, out));
    ASSERT_GE(out.events.size(), 3u);
    EXPECT_EQ(out.events.front().header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(out.events.back().header.type, CLAP_EVENT_PARAM_GESTURE_END);
    for (size_t k = 0; k < out.events.size(); ++k) {
        EXPECT_EQ(out.events[k].gesture.param_id, clap_id(kCutOff)) << k;
        if (k == 0 || k + 1 == out.events.size()) continue;
        EXPECT_EQ(out.events[k].header.type, CLAP_EVENT_PARAM_VALUE) << k;
        EXPECT_EQ(out.events[k].param.value, double(float(50 + int(k)) / 100.0f)) << k;
    }
    EXPECT_EQ(out.events[out.events.size() - 2].param.value, double(0.6f));
    OutputEvents again;
    p.params().flush(p.plugin(), nullptr, again.list());
    EXPECT_TRUE(again.events.empty()) << "each change is sent once";

    // A host change reaches the panel through its refresh, and is not sent back.
    const std::vector<unsigned long> knob = ScreenPixels(x, kKnobX - 16, kKnobY - 16, 33, 33);
    p.params().flush(p.plugin(), InputEvents({paramValue(0, kCutOff, 0.2)}).list(), nullptr);
    EXPECT_TRUE(IdleUntil(idle, [&] { return ScreenPixels(x, kKnobX - 16, kKnobY - 16, 33, 33) != knob; }));
    Drain(x.display, idle);
    p.params().flush(p.plugin(), nullptr, again.list());
    EXPECT_TRUE(again.events.empty());
    // Pressed a little lower: at the same spot so soon it would be a double-click.
    EXPECT_TRUE(DragCutOffKnob(x, idle, 4, reports, 6));
    EXPECT_EQ(p.value(kCutOff), 0.22f) << "the drag went on from the host's value";

    // A full host list keeps the rest for the next process, in order.
    Drain(x.display, idle);
    OutputEvents small;
    small.capacity = 2;
    std::vector<float> left(64), right(64);
    p.activate(44100.0);
    p.process(left.data(), right.data(), 64, {}, &small);
    ASSERT_EQ(small.events.size(), 2u);
    OutputEvents rest;
    p.process(left.data(), right.data(), 64, {}, &rest);
    std::vector<uint16_t> types;
    for (const auto* list : {&small, &rest})
        for (const AnyEvent& e : list->events) types.push_back(e.header.type);
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types.front(), CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(types.back(), CLAP_EVENT_PARAM_GESTURE_END);
    EXPECT_EQ(std::count(types.begin(), types.end(), uint16_t(CLAP_EVENT_PARAM_VALUE)), std::ptrdiff_t(types.size() - 2));
    EXPECT_EQ(rest.events[rest.events.size() - 2].param.value, double(0.22f));

    ASSERT_TRUE(gui.hide(p.plugin()));
    XSync(x.display, False);
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(a.map_state, IsUnmapped);
    ASSERT_TRUE(gui.show(p.plugin()));
    gui.destroy(p.plugin());
    EXPECT_TRUE(p.host().timers.empty());
    EXPECT_EQ(p.host().badUnregistrations, 0);
    EXPECT_TRUE(x.Children().empty());
}

// The Kit's panel through the same extension: its own size, its pads, a
// drag on the selected pad's sound reported as one gesture of that pad's
// parameter.
TEST(ClapGui, TheKitsPanelOpensAtItsSizeAndSendsItsGestures) {
    OPEN_TEST_DISPLAY(x);
    ClapInstance p(kKitId);
    const clap_plugin_gui_t& gui = p.gui();
    ASSERT_TRUE(gui.create(p.plugin(), CLAP_WINDOW_API_X11, false));
    const clap_window_t parent = windowOf(x);
    ASSERT_TRUE(gui.set_parent(p.plugin(), &parent));
    ASSERT_TRUE(gui.show(p.plugin()));
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(505, 628));
    auto idle = [&] { p.host().runTimers(p.plugin()); };
    EXPECT_TRUE(WaitUntilDrawn(x, idle));
    auto reports = [&] { return size_t(p.host().flushRequests); };
    EXPECT_TRUE(DragCutOffKnob(x, idle, 6, reports));
    OutputEvents out;
    EXPECT_TRUE(FlushUntilGestureEnds(p, idle, out));
    ASSERT_GE(out.events.size(), 3u);
    EXPECT_EQ(out.events.front().header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    for (const AnyEvent& e : out.events) EXPECT_EQ(e.gesture.param_id, clap_id(kCutOff)) << "pad 1's CutOff";
    EXPECT_EQ(p.value(kCutOff), out.events[out.events.size() - 2].param.value);
    gui.destroy(p.plugin());
    EXPECT_TRUE(p.host().timers.empty());
    EXPECT_TRUE(x.Children().empty());
}

TEST(ClapGui, CyclesLeaveNoWindowTimerOrConnectionBehind) {
    OPEN_TEST_DISPLAY(x);
    const clap_window_t parent = windowOf(x);
    {  // fontconfig's caches
        ClapInstance warmUp;
        warmUp.gui().create(warmUp.plugin(), CLAP_WINDOW_API_X11, false);
        warmUp.gui().set_parent(warmUp.plugin(), &parent);
        warmUp.gui().destroy(warmUp.plugin());
    }
    const int descriptors = OpenDescriptors();
    ClapInstance p;
    const clap_plugin_gui_t& gui = p.gui();
    for (int i = 0; i < TAMRIK_UI_CYCLES; ++i) {
        ASSERT_TRUE(gui.create(p.plugin(), CLAP_WINDOW_API_X11, false)) << i;
        EXPECT_TRUE(gui.set_scale(p.plugin(), 1.0 + 0.25 * (i % 5)));
        ASSERT_TRUE(gui.set_parent(p.plugin(), &parent)) << i;
        gui.show(p.plugin());
        p.host().runTimers(p.plugin());
        gui.destroy(p.plugin());
        ASSERT_TRUE(p.host().timers.empty()) << i;
        ASSERT_TRUE(x.Children().empty()) << i;
    }
    // The instance goes with its panel open: it takes the panel with it.
    {
        ClapInstance open;
        open.gui().create(open.plugin(), CLAP_WINDOW_API_X11, false);
        open.gui().set_parent(open.plugin(), &parent);
    }
    EXPECT_TRUE(x.Children().empty());
    EXPECT_EQ(p.host().timerRegistrations, TAMRIK_UI_CYCLES);
    EXPECT_EQ(p.host().badUnregistrations, 0);
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a display connection leaked";
}

}  // namespace
}  // namespace tamrik::test
