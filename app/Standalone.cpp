// What the command line names wins over what was saved: a kit or preset on
// it replaces the saved sound, --connect or --no-connect the saved audio
// connections, --midi-in the saved MIDI ones. Connections whose other end
// is not there yet are made when it appears.
#include "app/Standalone.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/AudioChoice.h"
#include "app/JackSession.h"
#include "app/MainLoopWait.h"
#include "app/NsmClient.h"
#include "app/ValueWatch.h"
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

// Announces the program to the manager and waits for its open: none when
// the manager refuses (said in one line) or a quit signal comes first.
std::optional<NsmClient::Open> openFromManager(NsmClient& nsm, MainLoopWait& wait, const std::string& name) {
    nsm.announce(name, "drumtamrik");
    while (!wait.quitRequested()) {
        wait.wait();
        NsmClient::Requests asked = nsm.take();
        if (!asked.error.empty()) {
            say("the session manager refused us: " + asked.error);
            return std::nullopt;
        }
        if (!asked.open) continue;
        // The client's own folder in the session: nothing is saved outside it.
        std::error_code error;
        std::filesystem::create_directories(asked.open->path, error);
        if (error) {
            const std::string line = asked.open->path + ": " + error.message();
            say(line);
            nsm.replyOpen(false, line);
            return std::nullopt;
        }
        return asked.open;
    }
    return std::nullopt;
}

void announceStart(const binding::Product& product, const AudioBackend& audio, bool sequencer, const std::string& path) {
    const double latency = 1000.0 * double(audio.bufferSize()) / double(std::max<uint32_t>(audio.sampleRate(), 1));
    std::printf("drumtamrik: %s as %s, %u Hz, %u frames (%.2f ms)%s; session %s\n", product.identity.name,
                audio.description().c_str(), audio.sampleRate(), audio.bufferSize(), latency,
                sequencer ? ", ALSA sequencer MIDI in" : "", path.c_str());
    std::fflush(stdout);
}

// What the device strip shows of the audio, and what its MIDI choice does:
// on JACK the one source chosen, the others let go; the ALSA sequencer's
// sources are connected from outside (aconnect, --midi-in).
DeviceStatus jackStatus(const JackSession& jack) {
    DeviceStatus status{"JACK", jack.sampleRate(), jack.bufferSize(), jack.midiSources(), {}, jack.cpuLoad(), jack.xruns()};
    for (const Connection& c : jack.connections())
        if (c.port == JackSession::kMidiInputName) {
            status.midiSource = c.peer;
            break;
        }
    return status;
}

DeviceStatus audioStatus(AudioChoice& audio) {
    if (JackSession* jack = audio.jack()) return jackStatus(*jack);
    if (!audio.alsa()) return DeviceStatus{"JACK (gone)", 0, 0, {}, {}, 0.0f, 0};
    const AudioBackend& alsa = audio.audio();
    return DeviceStatus{"ALSA", alsa.sampleRate(), alsa.bufferSize(), {}, {}, alsa.load() * 100.0f, alsa.xruns()};
}

void chooseJackMidi(JackSession& jack, const std::string& source) {
    for (const Connection& c : jack.connections())
        if (c.port == JackSession::kMidiInputName && c.peer != source) jack.disconnect(c);
    if (!source.empty() && !jack.connect({JackSession::kMidiInputName, source})) say("cannot connect " + source);
}

// The window, or none without a display (one line, and the program goes on headless).
std::unique_ptr<StandaloneWindow> openWindow(const binding::Product& product, Instrument& instrument, AudioChoice& audio) {
    try {
        return std::make_unique<StandaloneWindow>(
            product, instrument, [&audio] { return audioStatus(audio); },
            [&audio](const std::string& source) {
                if (JackSession* jack = audio.jack()) chooseJackMidi(*jack, source);
            });
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
    // First: every thread made after it inherits the blocked quit signals.
    MainLoopWait wait;
    std::string clientName = o.clientName.empty() ? product.identity.name : o.clientName;
    std::string path;
    // With a window to come, the manager may show and hide it (optional-gui);
    // with --no-gui there is none.
    std::unique_ptr<NsmClient> nsm;
    try {
        nsm = NsmClient::fromEnvironment(wait, !o.noGui);
    } catch (const NsmError& e) {
        say(e.what());
        return 2;
    }
    if (nsm) {
        const std::optional<NsmClient::Open> open = openFromManager(*nsm, wait, product.identity.name);
        if (!open) return wait.quitRequested() ? 0 : 2;
        path = open->path + "/" + sessionFileName(product);
        if (o.clientName.empty()) clientName = open->clientId;
    }
    // A kit file is read before anything starts, so a bad one stops the
    // program. Its defaults are Init's data: making a second instrument
    // here would draw other noise than the one that plays.
    std::optional<kit::KitSnapshot> kitFromFile;
    try {
        if (path.empty()) path = o.statePath.empty() ? SessionFile::defaultPath(sessionFileName(product)) : o.statePath;
        if (!o.kitChoice.empty() && !kit::factoryKitNamed(o.kitChoice))
            kitFromFile = kit::KitFile::read(o.kitChoice, kit::factoryKitSnapshot(0));
    } catch (const std::runtime_error& e) {
        say(e.what());
        if (nsm) nsm->replyOpen(false, e.what());
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

    MidiRing sequencerMidi;
    std::optional<AudioChoice> audio;
    try {
        audio.emplace(*instrument, o, clientName, wait, sequencerMidi);
    } catch (const AudioError& e) {
        say(e.what());
        if (nsm) nsm->replyOpen(false, e.what());
        return 2;
    }
    if (audio->alsa() && !audio->alsa()->realtime())
        say("no real-time priority for the audio thread (SCHED_FIFO refused): playing on at normal priority");

    ConnectionPlan plan;
    const bool savedConnections = saved && saved->connections;
    // Kept up to date while JACK plays: once the server is gone they cannot
    // be asked. ALSA leaves the saved ones for the next JACK run.
    std::vector<Connection> connections = savedConnections ? *saved->connections : std::vector<Connection>{};
    if (JackSession* jack = audio->jack()) {
        const std::vector<std::string>& outputs = jack->outputNames();
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
        if (jack->hasMidiInput()) {
            if (!o.midiIn.empty()) {
                for (const std::string& source : o.midiIn) plan.add(JackSession::kMidiInputName, source, true);
            } else if (savedConnections) {
                for (const Connection& c : *saved->connections)
                    if (c.port == JackSession::kMidiInputName) plan.add(c.port, c.peer, false);
            }
        }
        plan.retry(*jack);
        for (const Wanted& w : plan.waiting())
            if (w.byName) say("no port '" + w.peer + "' yet: " + w.port + " connects to it when it appears");
        connections = jack->connections();
    }
    announceStart(product, audio->audio(), audio->sequencerListens(), path);
    if (nsm) nsm->replyOpen(true, "opened " + path);
    std::unique_ptr<StandaloneWindow> window = o.noGui ? nullptr : openWindow(product, *instrument, *audio);
    if (nsm && !o.noGui) nsm->setGuiShown(window != nullptr);

    const bool jackPlayed = audio->jack() != nullptr;
    const auto saveSession = [&]() -> std::optional<std::string> {
        if (foreign) return std::nullopt;
        SavedSession session{product.clapId, {}, connections};
        if (!jackPlayed && !savedConnections) session.connections.reset();
        if (std::optional<std::vector<uint8_t>> bytes = binding::saveState(*instrument)) session.instrument = std::move(*bytes);
        try {
            SessionFile::write(path, session);
            return std::nullopt;
        } catch (const SessionFileError& e) {
            return std::string(e.what());
        }
    };
    ValueWatch values(*instrument);
    uint32_t rate = audio->audio().sampleRate();
    uint32_t xruns = 0;
    float load = 0.0f, peak = 0.0f;
    while (!wait.quitRequested()) {
        // The session manager's dirty flag is a cheap poll of the values; a
        // new JACK server is looked for once a second, nothing telling us
        // when one starts.
        const bool awaitingServer = !audio->jack() && !audio->alsa();
        int timeout = awaitingServer ? 1000 : nsm ? 250 : -1;
        if (window) timeout = timeout < 0 ? StandaloneWindow::kPumpPeriodMs : std::min(timeout, StandaloneWindow::kPumpPeriodMs);
        wait.wait(window ? window->descriptors() : std::vector<int>{}, timeout);
        if (wait.quitRequested()) break;
        // Closing the window quits as a signal does; under a session
        // manager it only hides the window, which the manager can show again.
        if (window && !window->pump()) {
            if (!nsm) break;
            window->setShown(false);
            nsm->setGuiShown(false);
        }
        if (nsm) {
            const NsmClient::Requests asked = nsm->take();
            if (asked.save) {
                const std::optional<std::string> failed = saveSession();
                nsm->replySave(!failed, failed.value_or("saved " + path));
                if (!failed) values.markClean();
            }
            // Without a window (--no-gui, or no display) a manager asking all
            // the same hears that none is shown.
            if (window && (asked.show || asked.hide)) window->setShown(asked.show);
            if (asked.show || asked.hide) nsm->setGuiShown(window && window->shown());
            nsm->setDirty(values.changed());
        }
        JackSession* jack = audio->jack();
        if (jack && !jack->serverGone()) {
            const JackSession::Changes changes = jack->takeChanges();
            if (changes.rate && jack->sampleRate() != rate) {
                rate = jack->sampleRate();
                instrument->setSampleRate(float(rate));
                std::printf("drumtamrik: the server now runs at %u Hz\n", rate);
                std::fflush(stdout);
            }
            if (changes.ports) plan.retry(*jack);
            if (changes.connections || changes.ports) connections = jack->connections();
            continue;
        }
        if (jack) {
            if (!o.reconnect) break;
            const std::string reason = jack->shutdownReason();
            xruns += jack->xruns();
            audio->dropJack();
            const std::optional<std::string> failed = saveSession();
            if (failed) say(*failed);
            say("the JACK server stopped" + (reason.empty() ? std::string() : " (" + reason + ")") +
                (failed ? "; waiting for a new one" : "; saved, waiting for a new one"));
            continue;
        }
        if (!audio->alsa()) {
            if (!audio->retryJack()) continue;
            plan = ConnectionPlan();
            for (const Connection& c : connections) plan.add(c.port, c.peer, false);
            plan.retry(*audio->jack());
            connections = audio->jack()->connections();
            rate = audio->jack()->sampleRate();
            announceStart(product, audio->audio(), audio->sequencerListens(), path);
            continue;
        }
        if (audio->audio().stopped()) break;
    }
    window.reset();
    std::string stopped;
    if (audio->jack() || audio->alsa()) {
        AudioBackend& backend = audio->audio();
        if (backend.stopped()) stopped = backend.stopReason().empty() ? "stopped" : "stopped (" + backend.stopReason() + ")";
        else if (JackSession* jack = audio->jack()) connections = jack->connections();
        xruns += backend.xruns();
        load = backend.load();
        peak = backend.peakLoad();
        backend.close();
    }
    if (!stopped.empty())
        say(std::string(audio->jack() ? "the JACK server " : "the ALSA device ") + stopped + "; saving and quitting");
    if (foreign) return 0;
    if (const std::optional<std::string> failed = saveSession())
        say(*failed);
    else
        std::printf("drumtamrik: session saved to %s; %u xruns, load %.1f %% of a period on average, %.1f %% at most\n",
                    path.c_str(), xruns, double(load) * 100.0, double(peak) * 100.0);
    return 0;
}

}  // namespace tamrik::app
