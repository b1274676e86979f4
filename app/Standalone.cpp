// What the command line names wins over what was saved: a kit or preset on
// it replaces the saved sound, --connect or --no-connect the saved audio
// connections, --midi-in the saved MIDI ones. Connections whose other end
// is not there yet are made when it appears.
#include "app/Standalone.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/JackSession.h"
#include "app/MainLoopWait.h"
#include "app/SessionFile.h"
#include "app/StandaloneWindow.h"
#include "binding/Products.h"
#include "binding/SessionState.h"
#include "kit/FactoryKits.h"
#include "kit/KitFile.h"
#include "synth/FactoryPresets.h"

namespace tamrik::app {

namespace {

void say(const std::string& line) {
    std::fprintf(stderr, "drumtamrik: %s\n", line.c_str());
}

// A connection to make: our port and the other end, by its full name or
// (from the command line) by a part of its name.
struct Wanted {
    std::string port;
    std::string peer;
    bool byName;
};

class ConnectionPlan {
public:
    void add(std::string port, std::string peer, bool byName) { wanted_.push_back({std::move(port), std::move(peer), byName}); }
    // Makes what it can now; the rest waits for ports to appear.
    void retry(JackSession& jack) {
        std::erase_if(wanted_, [&](const Wanted& w) {
            const bool midi = w.port == JackSession::kMidiInputName;
            const std::optional<std::string> peer =
                w.byName ? jack.findPort(w.peer, midi ? JackSession::PortKind::MidiSource : JackSession::PortKind::AudioSink)
                         : std::optional<std::string>(w.peer);
            return peer && jack.connect({w.port, *peer});
        });
    }
    const std::vector<Wanted>& waiting() const { return wanted_; }

private:
    std::vector<Wanted> wanted_;
};

std::string sessionFileName(const binding::Product& product) {
    std::string name;
    for (const char* c = product.identity.name; *c; ++c)
        if (*c != ' ') name += *c;
    return name + ".state";
}

void applyPreset(Instrument& instrument, const FactoryPreset& preset) {
    // As the panel and tamrik-render set one: by index, leaving alone what
    // the preset does not name.
    for (size_t index = 0; index < preset.values.size(); ++index)
        if (const std::optional<float>& value = preset.values[index]) instrument.setParameter(int32_t(index), *value);
}

void applyKit(Instrument& instrument, const kit::KitSnapshot& kit) {
    for (int32_t index : kit::kKitLoadOrder) instrument.setParameter(index, kit.values[size_t(index)]);
    if (kit::KitControls* names = binding::kitControlsOf(instrument)) {
        for (int32_t p = 0; p < kit::kPads; ++p) names->setPadName(p, kit.padNames[size_t(p)].c_str());
        names->setKitName(kit.name.c_str());
    }
}

// What the device strip shows of the JACK client, and what its MIDI choice
// does: the one source chosen, the others let go.
DeviceStatus jackStatus(const JackSession& jack) {
    DeviceStatus status{"JACK", jack.sampleRate(), jack.bufferSize(), jack.midiSources(), {}, jack.cpuLoad(), jack.xruns()};
    for (const Connection& c : jack.connections())
        if (c.port == JackSession::kMidiInputName) {
            status.midiSource = c.peer;
            break;
        }
    return status;
}

void chooseJackMidi(JackSession& jack, const std::string& source) {
    for (const Connection& c : jack.connections())
        if (c.port == JackSession::kMidiInputName && c.peer != source) jack.disconnect(c);
    if (!source.empty() && !jack.connect({JackSession::kMidiInputName, source})) say("cannot connect " + source);
}

// The window, or none without a display (one line, and the program goes on headless).
std::unique_ptr<StandaloneWindow> openWindow(const binding::Product& product, Instrument& instrument, JackSession& jack) {
    try {
        return std::make_unique<StandaloneWindow>(
            product, instrument, [&jack] { return jackStatus(jack); },
            [&jack](const std::string& source) { chooseJackMidi(jack, source); });
    } catch (const std::runtime_error& e) {
        say(std::string(e.what()) + "; playing headless");
        return nullptr;
    }
}

}  // namespace

Standalone::Standalone(StandaloneOptions options) : options_(std::move(options)) {}

int Standalone::run() {
    const binding::Product& product = options_.kit ? binding::drumTamrikKit() : binding::drumTamrik();
    const StandaloneOptions& o = options_;
    std::string path;
    // A kit file is read before anything starts, so a bad one stops the
    // program. Its defaults are Init's data: making a second instrument
    // here would draw other noise than the one that plays.
    std::optional<kit::KitSnapshot> kitFromFile;
    try {
        path = o.statePath.empty() ? SessionFile::defaultPath(sessionFileName(product)) : o.statePath;
        if (!o.kitChoice.empty() && !kit::factoryKitNamed(o.kitChoice))
            kitFromFile = kit::KitFile::read(o.kitChoice, kit::factoryKitSnapshot(0));
    } catch (const std::runtime_error& e) {
        say(e.what());
        return 2;
    }

    std::optional<SavedSession> saved;
    try {
        saved = SessionFile::read(path);
    } catch (const SessionFileError& e) {
        say(std::string(e.what()) + "; the defaults load");
    }
    // Another instrument's session is good: it is neither loaded nor saved over.
    const bool foreign = saved && saved->product != product.clapId;
    if (foreign) {
        say(path + ": refused, it holds another instrument's session; the defaults load and it stays as it is");
        saved.reset();
    }

    // The one instrument of the process.
    const std::unique_ptr<Instrument> instrument = binding::makeInstrument(product);
    if (o.choosesSound()) {
        if (kitFromFile)
            applyKit(*instrument, *kitFromFile);
        else if (!o.kitChoice.empty())
            instrument->setProgram(*kit::factoryKitNamed(o.kitChoice));
        else
            applyPreset(*instrument, *findFactoryPreset(o.preset));
    } else if (saved && !saved->instrument.empty() &&
               !binding::loadState(*instrument, saved->instrument.data(), saved->instrument.size())) {
        say(path + ": refused the sound in it, it is damaged; the defaults load");
    }

    MainLoopWait wait;
    std::optional<JackSession> jack;
    try {
        jack.emplace(*instrument, o.clientName.empty() ? product.identity.name : o.clientName, wait);
        jack->activate();
    } catch (const JackError& e) {
        say(e.what());
        return 2;
    }

    ConnectionPlan plan;
    const std::vector<std::string>& outputs = jack->outputNames();
    const bool savedConnections = saved && saved->connections;
    const auto mainTo = [&](const std::vector<std::string>& ports, bool byName) {
        // Left and right in turn; a single port gets both.
        for (size_t k = 0; k < ports.size(); ++k) plan.add(outputs[k % 2], ports[k], byName);
        if (ports.size() == 1) plan.add(outputs[1], ports[0], byName);
    };
    if (!o.connect.empty())
        mainTo(o.connect, true);
    else if (!o.noConnect && savedConnections) {
        for (const Connection& c : *saved->connections)
            if (c.port != JackSession::kMidiInputName) plan.add(c.port, c.peer, false);
    } else if (!o.noConnect) {
        std::vector<std::string> playback = jack->playbackPorts();
        if (playback.size() > 2) playback.resize(2);
        mainTo(playback, false);
    }
    if (!o.midiIn.empty()) {
        for (const std::string& source : o.midiIn) plan.add(JackSession::kMidiInputName, source, true);
    } else if (savedConnections) {
        for (const Connection& c : *saved->connections)
            if (c.port == JackSession::kMidiInputName) plan.add(c.port, c.peer, false);
    }
    plan.retry(*jack);
    for (const Wanted& w : plan.waiting())
        if (w.byName) say("no port '" + w.peer + "' yet: " + w.port + " connects to it when it appears");

    std::printf("drumtamrik: %s as JACK client '%s', %u Hz, %u frames; session %s\n", product.identity.name,
                jack->clientName().c_str(), jack->sampleRate(), jack->bufferSize(), path.c_str());
    std::fflush(stdout);

    std::unique_ptr<StandaloneWindow> window = o.noGui ? nullptr : openWindow(product, *instrument, *jack);
    std::vector<Connection> connections = jack->connections();
    uint32_t rate = jack->sampleRate();
    while (!wait.quitRequested() && !jack->serverGone()) {
        if (window)
            wait.wait(window->descriptors(), StandaloneWindow::kPumpPeriodMs);
        else
            wait.wait();
        if (jack->serverGone()) break;
        // Closing the window quits as a signal does.
        if (window && !window->pump()) break;
        const JackSession::Changes changes = jack->takeChanges();
        if (changes.rate && jack->sampleRate() != rate) {
            rate = jack->sampleRate();
            instrument->setSampleRate(float(rate));
            std::printf("drumtamrik: the server now runs at %u Hz\n", rate);
            std::fflush(stdout);
        }
        if (changes.ports) plan.retry(*jack);
        // Kept up to date here: once the server is gone they cannot be asked.
        if (changes.connections || changes.ports) connections = jack->connections();
    }
    window.reset();
    const bool gone = jack->serverGone();
    if (!gone) connections = jack->connections();
    const std::string reason = jack->shutdownReason();
    const uint32_t xruns = jack->xruns();
    jack.reset();
    if (gone) say("the JACK server stopped" + (reason.empty() ? std::string() : " (" + reason + ")") + "; saving and quitting");

    if (foreign) return 0;
    SavedSession session{product.clapId, {}, std::move(connections)};
    if (std::optional<std::vector<uint8_t>> bytes = binding::saveState(*instrument)) session.instrument = std::move(*bytes);
    try {
        SessionFile::write(path, session);
        std::printf("drumtamrik: session saved to %s; %u xruns\n", path.c_str(), xruns);
    } catch (const SessionFileError& e) {
        say(e.what());
    }
    return 0;
}

}  // namespace tamrik::app
