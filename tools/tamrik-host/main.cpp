// tamrik-host [--plugin PATH] [--screenshot FILE.png|bmp [--delay MS]]: a
// small standalone host for the plug-in's editor (tamrik-host.exe on Windows,
// where screenshots are BMP files). It loads the library as a host does,
// opens a window sized from effEditGetRect, opens the editor in it and
// calls effEditIdle about 30 times a second until the window is closed; with --screenshot it saves what the window shows after the delay
// (500 ms unless given) and exits. For looking at the editor and for
// documentation pictures.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "binding/EditorPanel.h"
#include "hosting/Vst2Instance.h"
#include "hosting/Vst2Library.h"
#include "toolkit/TopLevelWindow.h"

namespace {

using namespace tamrik;

struct Options {
    std::string plugin;
    std::optional<std::string> screenshot;
    int delayMs = 500;
};

const char* const kUsage = "usage: tamrik-host [--plugin PATH] [--screenshot FILE.png|bmp [--delay MS]]\n";

Options parse(int argc, char** argv) {
    Options options;
    bool delayGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) throw std::runtime_error(arg + ": expected an option followed by its value");
        const std::string value = argv[++i];
        if (arg == "--plugin") {
            options.plugin = value;
        } else if (arg == "--screenshot") {
            options.screenshot = value;
        } else if (arg == "--delay") {
            char* end = nullptr;
            const long ms = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || ms < 0 || ms > 600000)
                throw std::runtime_error("--delay " + value + ": expected milliseconds from 0 to 600000");
            options.delayMs = int(ms);
            delayGiven = true;
        } else {
            throw std::runtime_error(arg + ": expected --plugin, --screenshot or --delay");
        }
    }
    if (delayGiven && !options.screenshot) throw std::runtime_error("--delay: only with --screenshot");
    if (options.plugin.empty()) options.plugin = hosting::Vst2Library::findDefault();
    return options;
}

int run(const Options& options) {
    const std::unique_ptr<hosting::Vst2Library> library =
        hosting::Vst2Library::open(options.plugin);
    hosting::Vst2Instance plugin;
    plugin.open(*library);
    plugin.dispatch(vst::effOpen);
    vst::ERect* rect = nullptr;
    if (!(plugin.effect()->flags & vst::effFlagsHasEditor) || !plugin.dispatch(vst::effEditGetRect, 0, 0, &rect) ||
        !rect)
        throw std::runtime_error(options.plugin + ": the plug-in has no editor");
    int status = 0;
    {
        tk::TopLevelWindow window(rect->right - rect->left, rect->bottom - rect->top, "DrumTamrik");
        if (!plugin.dispatch(vst::effEditOpen, 0, 0, window.handle()))
            throw std::runtime_error(options.plugin + ": the editor did not open in the window");
        using Clock = std::chrono::steady_clock;
        const auto shotAt = Clock::now() + std::chrono::milliseconds(options.delayMs);
        while (window.pump()) {
            plugin.dispatch(vst::effEditIdle);
            if (options.screenshot && Clock::now() >= shotAt) {
                if (!window.saveScreenshot(*options.screenshot)) {
                    std::fprintf(stderr, "tamrik-host: cannot write %s\n", options.screenshot->c_str());
                    status = 1;
                }
                break;
            }
            // The host's idle timer, at the period every editor binding is pumped at.
            std::this_thread::sleep_for(std::chrono::milliseconds(binding::EditorPanel::kPumpPeriodMs));
        }
        plugin.dispatch(vst::effEditClose);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(parse(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tamrik-host: %s\n%s", e.what(), kUsage);
        return 2;
    }
}
