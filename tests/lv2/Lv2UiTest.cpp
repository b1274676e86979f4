// The bundle's X11 UI in a small LV2 UI host of our own (no toolkit): the
// host's window as ui:parent, ui:resize offered, ui:idleInterface called
// about 30 times a second, the user's mouse through XTest; ui:touch and a
// ui:scaleFactor among the options where a test offers them. The panel must
// sit at (0, 0) of its parent, send a dragged knob through write_function,
// follow port_event within 100 ms without writing back, and leave nothing
// behind after 100 instantiate and cleanup cycles. Where a test offers the
// DSP instance (instance-access, data-access), its hit row draws the hit
// the instance renders.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/data-access/data-access.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "LoadedLibrary.h"
#include "Lv2TestHost.h"
#include "OpenDescriptors.h"
#include "UserSettingsFolder.h"
#include "lv2/Lv2Ports.h"

#include "X11HostWindow.h"

// Fewer in a sanitizer build, whose leak checker finds what a cycle leaks.
#ifndef TAMRIK_UI_CYCLES
#define TAMRIK_UI_CYCLES 100
#endif

namespace tamrik::test {
namespace {

const LV2UI_Descriptor* uiDescriptor() {
    const auto& library = LoadedLibrary<hosting::SharedLibrary>(TAMRIK_LV2_PATH "/DrumTamrik.lv2/DrumTamrik_ui.so");
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(library.symbol("lv2ui_descriptor"));
    return entry ? entry(0) : nullptr;
}

// A write_function call, or (touch) a ui:touch call with value 1 for a grab
// and 0 for a release, in the order the panel made them.
struct Write {
    uint32_t port, size, format;
    float value;
    bool touch = false;
};

// What the host offers beyond its window, ui:resize and the idle interface.
struct Offers {
    bool parent = true;
    bool touch = false;
    float scaleFactor = 0;  // none among the options
    LilvInstance* instance = nullptr;  // offered through instance-access and data-access
};

// The host side of one UI instance.
class UiHost {
public:
    explicit UiHost(HostDisplay& x, Offers offers = {}) {
        resize_ = {this, [](LV2UI_Feature_Handle self, int w, int h) {
                       static_cast<UiHost*>(self)->size = {w, h};
                       return 0;
                   }};
        touch_ = {this, [](LV2UI_Feature_Handle self, uint32_t port, bool grabbed) {
                      static_cast<UiHost*>(self)->writes.push_back({port, 0, 0, grabbed ? 1.0f : 0.0f, true});
                  }};
        map_ = {this, [](LV2_URID_Map_Handle self, const char* uri) {
                    std::vector<std::string>& uris = static_cast<UiHost*>(self)->uris_;
                    const auto at = std::find(uris.begin(), uris.end(), uri);
                    if (at == uris.end()) uris.emplace_back(uri);
                    return LV2_URID(std::find(uris.begin(), uris.end(), uri) - uris.begin() + 1);
                }};
        scaleFactor_ = offers.scaleFactor;
        options_[0] = {LV2_OPTIONS_INSTANCE, 0, map_.map(this, LV2_UI__scaleFactor), sizeof(float),
                       map_.map(this, LV2_ATOM__Float), &scaleFactor_};
        options_[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        parentFeature_ = {LV2_UI__parent, x.handle()};
        resizeFeature_ = {LV2_UI__resize, &resize_};
        idleFeature_ = {LV2_UI__idleInterface, nullptr};
        touchFeature_ = {LV2_UI__touch, &touch_};
        mapFeature_ = {LV2_URID__map, &map_};
        optionsFeature_ = {LV2_OPTIONS__options, options_};
        std::vector<const LV2_Feature*> features{&resizeFeature_, &idleFeature_};
        if (offers.parent) features.push_back(&parentFeature_);
        if (offers.touch) features.push_back(&touchFeature_);
        if (offers.scaleFactor > 0) features.insert(features.end(), {&mapFeature_, &optionsFeature_});
        if (offers.instance) {
            data_ = {lilv_instance_get_descriptor(offers.instance)->extension_data};
            instanceFeature_ = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(offers.instance)};
            dataFeature_ = {LV2_DATA_ACCESS_URI, &data_};
            features.insert(features.end(), {&instanceFeature_, &dataFeature_});
        }
        features.push_back(nullptr);
        const LV2UI_Descriptor* d = uiDescriptor();
        if (!d) return;
        descriptor_ = d;
        handle_ = d->instantiate(d, lv2::kPluginUri, TAMRIK_LV2_PATH "/DrumTamrik.lv2/", &UiHost::write, this,
                                 &widget, features.data());
        if (handle_)
            idle_ = static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
    }
    ~UiHost() {
        if (handle_) descriptor_->cleanup(handle_);
    }
    UiHost(const UiHost&) = delete;
    UiHost& operator=(const UiHost&) = delete;

    bool ok() const { return handle_ && idle_; }
    void idle() { idle_->idle(handle_); }
    void portEvent(uint32_t port, float value) { descriptor_->port_event(handle_, port, sizeof value, 0, &value); }
    std::vector<float> written(uint32_t port) const {
        std::vector<float> values;
        for (const Write& w : writes)
            if (w.port == port && !w.touch) values.push_back(w.value);
        return values;
    }
    size_t touches() const { return size_t(std::count_if(writes.begin(), writes.end(), [](const Write& w) { return w.touch; })); }

    LV2UI_Widget widget = nullptr;
    std::pair<int, int> size{0, 0};
    std::vector<Write> writes;

private:
    static void write(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        float v = 0;
        if (size == sizeof v) std::memcpy(&v, buffer, sizeof v);
        static_cast<UiHost*>(self)->writes.push_back({port, size, format, v});
    }

    const LV2UI_Descriptor* descriptor_ = nullptr;
    LV2UI_Handle handle_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    LV2UI_Resize resize_{};
    LV2UI_Touch touch_{};
    LV2_URID_Map map_{};
    std::vector<std::string> uris_;
    float scaleFactor_ = 0;
    LV2_Options_Option options_[2]{};
    LV2_Extension_Data_Feature data_{};
    LV2_Feature parentFeature_{}, resizeFeature_{}, idleFeature_{}, touchFeature_{}, mapFeature_{}, optionsFeature_{},
        instanceFeature_{}, dataFeature_{};
};

// The panel's pixels around the CutOff knob.
std::vector<unsigned long> KnobPixels(HostDisplay& x) {
    XSync(x.display, False);
    XImage* image = XGetImage(x.display, x.window, kKnobX - 16, kKnobY - 16, 33, 33, AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    if (!image) return pixels;
    for (int y = 0; y < 33; ++y)
        for (int i = 0; i < 33; ++i) pixels.push_back(XGetPixel(image, i, y));
    XDestroyImage(image);
    return pixels;
}

TEST(Lv2Ui, ThePanelInTheHostsWindowSendsADragAndFollowsPortEvents) {
    OPEN_TEST_DISPLAY(x);
    UiHost ui(x);
    ASSERT_TRUE(ui.ok());
    EXPECT_EQ(ui.size, std::make_pair(505, 481)) << "reported through ui:resize";
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(uintptr_t(ui.widget), uintptr_t(children[0])) << "the widget is the panel's window";
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(a.map_state, IsViewable);
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.width, a.height}), std::vector<int>({0, 0, 505, 481}));
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { ui.idle(); }));
    EXPECT_TRUE(ui.writes.empty()) << "showing writes nothing";

    EXPECT_TRUE(DragCutOffKnob(x, [&] { ui.idle(); }, 20, [&] { return ui.written(kCutOff).size(); }));
    const std::vector<float> cutoff = ui.written(kCutOff);
    ASSERT_FALSE(cutoff.empty());
    for (size_t i = 0; i < cutoff.size(); ++i) EXPECT_EQ(cutoff[i], float(51 + int(i)) / 100.0f);
    EXPECT_EQ(cutoff.back(), 0.6f);
    EXPECT_EQ(ui.writes.size(), cutoff.size()) << "only port 4 was written";
    for (const Write& w : ui.writes) EXPECT_TRUE(w.size == sizeof(float) && w.format == 0);

    // The host reports a new CutOff: the knob is repainted at the next
    // refresh, nothing is written back, and a drag goes on from there.
    ui.writes.clear();
    ui.portEvent(kCutOff, 0.6f);  // the host's echo of the drag changes nothing
    const std::vector<unsigned long> before = KnobPixels(x);
    ui.portEvent(kCutOff, 0.2f);
    EXPECT_TRUE(IdleUntil([&] { ui.idle(); }, [&] { return KnobPixels(x) != before; }))
        << "the knob did not follow";
    Drain(x.display, [&] { ui.idle(); });
    EXPECT_TRUE(ui.writes.empty());
    EXPECT_TRUE(DragCutOffKnob(x, [&] { ui.idle(); }, 4, [&] { return ui.written(kCutOff).size(); }, 6));
    EXPECT_EQ(ui.written(kCutOff), (std::vector<float>{0.21f, 0.22f}));
}

TEST(Lv2Ui, WithUiTouchADragIsOneGrabAroundItsValues) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-lv2ui");
    UiHost ui(x, Offers{.touch = true});
    ASSERT_TRUE(ui.ok());
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { ui.idle(); }));
    EXPECT_TRUE(ui.writes.empty()) << "showing touches nothing";

    EXPECT_TRUE(DragCutOffKnob(x, [&] { ui.idle(); }, 10, [&] { return ui.written(kCutOff).size(); }));
    EXPECT_TRUE(IdleUntil([&] { ui.idle(); }, [&] { return ui.touches() >= 2; })) << "no release after the drag";
    Drain(x.display, [&] { ui.idle(); });
    ASSERT_EQ(ui.touches(), 2u) << "one grab and one release";
    ASSERT_GE(ui.writes.size(), 3u);
    const Write& grab = ui.writes.front();
    const Write& release = ui.writes.back();
    EXPECT_TRUE(grab.touch && grab.port == kCutOff && grab.value == 1.0f) << "the grab before the first value";
    EXPECT_TRUE(release.touch && release.port == kCutOff && release.value == 0.0f) << "the release after the last";
    EXPECT_EQ(ui.written(kCutOff), (std::vector<float>{0.51f, 0.52f, 0.53f, 0.54f, 0.55f}));
    EXPECT_EQ(ui.writes.size(), 7u) << "nothing but port 4";
}

TEST(Lv2Ui, AtTheHostsScaleFactorTwoThePanelIsTwiceAsLargeAndADragMeansTheSame) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-lv2ui");
    UiHost ui(x, Offers{.touch = true, .scaleFactor = 2.0f});
    ASSERT_TRUE(ui.ok());
    EXPECT_EQ(ui.size, std::make_pair(1010, 962)) << "reported through ui:resize";
    XResizeWindow(x.display, x.window, 1010, 962);  // as a host follows ui:resize
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.width, a.height}), std::vector<int>({0, 0, 1010, 962}));
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { ui.idle(); }, 2));
    EXPECT_TRUE(ui.writes.empty());

    EXPECT_TRUE(DragCutOffKnob(x, [&] { ui.idle(); }, 20, [&] { return ui.written(kCutOff).size(); }, 0, 2));
    const std::vector<float> cutoff = ui.written(kCutOff);
    ASSERT_FALSE(cutoff.empty());
    for (size_t i = 0; i < cutoff.size(); ++i) EXPECT_EQ(cutoff[i], float(51 + int(i)) / 100.0f) << "as at 100 %";
    EXPECT_EQ(cutoff.back(), 0.6f);
    EXPECT_TRUE(IdleUntil([&] { ui.idle(); }, [&] { return ui.touches() >= 2; }));
    EXPECT_EQ(ui.touches(), 2u) << "the drag is one gesture";
}

// Pixels of the hit row's plot (the row below the panel and strip) in a
// colour of editor/HitPalette.h.
constexpr unsigned long kSoundPixel = 0x60C880, kPlotPixel = 0x101820;
size_t PlotPixels(HostDisplay& x, unsigned long colour) {
    const std::vector<unsigned long> plot = ScreenPixels(x, 8, 361 + 16, 300, 96);
    return size_t(std::count(plot.begin(), plot.end(), colour));
}

// The instance offered: the row draws the hit it renders (nothing of the
// UI library's own engine, whose tables are never built). Without it the
// panel opens all the same, its row empty.
TEST(Lv2Ui, WithTheInstanceOfferedTheHitRowDrawsTheInstancesHit) {
    OPEN_TEST_DISPLAY(x);
    XResizeWindow(x.display, x.window, 505, 481);  // the row in view
    Lv2TestHost dsp;
    ASSERT_NE(dsp.instance(), nullptr);
    {
        UiHost ui(x, Offers{.instance = dsp.instance()});
        ASSERT_TRUE(ui.ok());
        EXPECT_TRUE(IdleUntil([&] { ui.idle(); }, [&] { return PlotPixels(x, kSoundPixel) > 300; }))
            << PlotPixels(x, kSoundPixel);
        EXPECT_TRUE(ui.writes.empty());
    }
    // Without a sound the row never begins a hit: what the first paint
    // draws is all it shows.
    UiHost without(x);
    ASSERT_TRUE(without.ok());
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { without.idle(); }));
    EXPECT_GT(PlotPixels(x, kPlotPixel), 20000u) << "the plot is drawn";
    EXPECT_EQ(PlotPixels(x, kSoundPixel), 0u);
}

TEST(Lv2Ui, WithoutAParentItRefusesAndInstantiateCleanupCyclesLeaveNothingBehind) {
    OPEN_TEST_DISPLAY(x);
    EXPECT_FALSE(UiHost(x, Offers{.parent = false}).ok());
    { UiHost warmUp(x); }  // fontconfig's caches
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < TAMRIK_UI_CYCLES; ++i) {
        {
            UiHost ui(x);
            ASSERT_TRUE(ui.ok()) << "cycle " << i;
            ui.idle();
        }
        ASSERT_TRUE(x.Children().empty()) << "cycle " << i;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a display connection leaked";
}

}  // namespace
}  // namespace tamrik::test
