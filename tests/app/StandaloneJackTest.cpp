// drumtamrik as a user runs it, against a real JACK server on the dummy
// driver: its ports, what it plays (bit for bit what tamrik-render plays
// for the same notes, the dummy driver's period being the render's block),
// the session kept from one run to the next, a damaged session file, no
// server at all and a server that stops mid-run. Every wait is for a
// condition, with a deadline that only catches a hang.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "ChildProcess.h"
#include "DummyJackServer.h"
#include "Eventually.h"
#include "JackProbe.h"
#include "NsmTestServer.h"
#include "app/AlsaPlayback.h"
#include "app/SessionFile.h"
#include "binding/Products.h"
#include "binding/SessionState.h"
#include "kit/KitInstrument.h"
#include "render/MidiBytes.h"

namespace tamrik::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

constexpr int kPeriod = 256;

// One tick a frame at 44100 Hz: 441 ticks a quarter at 10 ms a quarter.
Bytes notesFile(const std::vector<TimedNote>& notes) {
    Bytes track = tempo(10000);
    uint32_t at = 0;
    for (const TimedNote& note : notes) {
        uint32_t delta = note.frame - at;
        Bytes length = {uint8_t(delta & 0x7F)};
        while (delta >>= 7) length.insert(length.begin(), uint8_t(0x80 | (delta & 0x7F)));
        track = join({track, length, Bytes(note.bytes.begin(), note.bytes.end())});
        at = note.frame;
    }
    return midiFile(0, 441, {join({track, endOfTrack()})});
}

// A stereo WAV as two channels.
std::array<std::vector<float>, 2> readPair(const fs::path& path) {
    SF_INFO info{};
    std::array<std::vector<float>, 2> pair;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file || info.channels != 2) {
        ADD_FAILURE() << "cannot read " << path;
        if (file) sf_close(file);
        return pair;
    }
    std::vector<float> interleaved(size_t(info.frames) * 2);
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    for (size_t i = 0; i < interleaved.size(); i += 2) {
        pair[0].push_back(interleaved[i]);
        pair[1].push_back(interleaved[i + 1]);
    }
    return pair;
}

std::optional<app::SavedSession> sessionIn(const fs::path& path) {
    const std::string bytes = textOf(path);
    return app::SessionFile::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class StandaloneOnJack : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = fs::temp_directory_path() / ("tamrik-app-" + test + "-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "work");
        // One JACK session on the machine at a time, whoever runs it (the
        // LV2 host scripts take the same lock).
        lock = open("/tmp/tamrik-jack-session.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        ASSERT_GE(lock, 0);
        ASSERT_EQ(flock(lock, LOCK_EX), 0);
        // The name every test server shares (see tests/lv2/jack-session.sh):
        // a dead server's entry in JACK's registry is freed by the next one.
        server = "tamrik-test";
        setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
        startServer();
    }

    void TearDown() override {
        probe.reset();
        app.reset();
        stopServer();
        fs::remove_all(root);
        if (lock >= 0) close(lock);
    }

    // Synchronous unless asked: every client finishes each cycle before the
    // next, so a busy machine makes the cycles late, never lost.
    void launchServer(int rate = 44100, int period = kPeriod, bool synchronous = true) {
        DummyJackServer::endStrays(server);
        jackd = std::make_unique<ChildProcess>(DummyJackServer::command(server, period, rate, synchronous),
                                               root / "jackd.log");
    }

    void startServer(int rate = 44100, int period = kPeriod, bool synchronous = true) {
        launchServer(rate, period, synchronous);
        if (!DummyJackServer::answers(*jackd)) FAIL() << "the JACK server did not start: " << textOf(root / "jackd.log");
    }

    void stopServer() {
        if (!jackd) return;
        jackd->signal(SIGTERM);
        EXPECT_TRUE(jackd->waitForExit()) << "jackd did not stop";
        jackd.reset();
    }

    fs::path stateFolder() const { return root / "state" / "drumtamrik"; }

    void startApp(std::vector<std::string> args, const std::string& log = "app.log", const std::string& nsmUrl = "") {
        args.insert(args.begin(), {TAMRIK_STANDALONE_EXE, "--no-gui"});
        app = std::make_unique<ChildProcess>(args, root / log,
                                             std::map<std::string, std::string>{{"JACK_DEFAULT_SERVER", server},
                                                                                {"XDG_STATE_HOME", (root / "state").string()},
                                                                                {"HOME", root.string()},
                                                                                {"NSM_URL", nsmUrl}});
    }

    // Waits until the program's output holds `text` `times` times.
    bool logSays(const std::string& text, size_t times = 1, const std::string& logName = "app.log") {
        bool said = false;
        eventually([&] {
            const std::string log = textOf(root / logName);
            size_t found = 0;
            for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++found;
            said = found >= times;
            return said || !app->running();
        });
        if (said) return true;
        ADD_FAILURE() << "drumtamrik did not say '" << text << "': " << textOf(root / logName);
        return false;
    }

    // Waits until the program is up: its client active, its connections
    // made (it says so once they are); false, and why, if it ended.
    bool appReady(const std::string& log = "app.log") {
        bool up = false;
        eventually([&] {
            up = textOf(root / log).find(" as JACK client ") != std::string::npos;
            return up || !app->running();
        });
        if (up) return true;
        ADD_FAILURE() << "drumtamrik did not come up: " << textOf(root / log);
        return false;
    }

    bool waitUntilConnected(const std::string& a, const std::string& b) {
        return eventually([&] { return probe->connected(a, b); });
    }

    int quitApp() {
        app->signal(SIGTERM);
        const std::optional<int> status = app->waitForExit();
        EXPECT_TRUE(status) << "drumtamrik did not quit";
        return status.value_or(-1);
    }

    // tamrik-render's output pairs for `notes`, at the given block size.
    std::vector<std::array<std::vector<float>, 2>> render(const std::vector<TimedNote>& notes, const std::string& args,
                                                          int block, const std::vector<std::string>& stems = {}) {
        const fs::path work = root / "work";
        const Bytes midi = notesFile(notes);
        std::ofstream(work / "notes.mid", std::ios::binary)
            .write(reinterpret_cast<const char*>(midi.data()), std::streamsize(midi.size()));
        const std::string command = "cd '" + work.string() + "' && '" TAMRIK_RENDER_EXE "' notes.mid --quiet --bits 32 --block " +
                                    std::to_string(block) + " -o out.wav " + args + " >render.log 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << textOf(work / "render.log");
        std::vector<std::array<std::vector<float>, 2>> pairs;
        if (stems.empty()) pairs.push_back(readPair(work / "out.wav"));
        for (const std::string& stem : stems) pairs.push_back(readPair(work / "stems" / (stem + ".wav")));
        return pairs;
    }

    // Plays `notes` into the program and expects `expected` on the probe's
    // inputs, a pair per two.
    void expectPlays(const std::vector<TimedNote>& notes, const std::vector<std::array<std::vector<float>, 2>>& expected) {
        const size_t frames = expected.front()[0].size();
        ASSERT_GT(frames, 1000u);
        ASSERT_TRUE(probe->play(notes, frames)) << "the recording did not finish";
        EXPECT_TRUE(probe->alignedStart());
        EXPECT_TRUE(probe->gapless());
        for (size_t pair = 0; pair < expected.size(); ++pair)
            for (int side = 0; side < 2; ++side) {
                const std::vector<float>& want = expected[pair][size_t(side)];
                const std::vector<float>& got = probe->recorded(int(2 * pair) + side);
                size_t differ = 0;
                while (differ < want.size() && want[differ] == got[differ]) ++differ;
                EXPECT_EQ(differ, want.size()) << "pair " << pair << " side " << side << " differs first at frame "
                                               << differ;
                float peak = 0.0f;
                for (float s : want) peak = std::max(peak, std::fabs(s));
                EXPECT_GT(peak, 0.001f) << "pair " << pair << " is silent";
            }
    }

    void wireProbe(const std::string& client, const std::vector<std::string>& outputs) {
        ASSERT_TRUE(probe->connect(JackProbe::senderPort(), client + ":MIDI in"));
        for (size_t c = 0; c < outputs.size(); ++c)
            ASSERT_TRUE(probe->connect(client + ":" + outputs[c], JackProbe::recorderPort(int(c))));
    }

    fs::path root;
    int lock = -1;
    std::string server;
    std::unique_ptr<ChildProcess> jackd, app;
    std::unique_ptr<JackProbe> probe;
};

const std::vector<TimedNote> kHats = {
    {0, {0x90, 60, 100}},              // the first frame of the first period
    {kPeriod - 1, {0x90, 64, 127}},    // the last frame of a period
    {kPeriod + 100, {0x90, 48, 80}},
    {3 * kPeriod + 17, {0x90, 72, 110}},
};

// DrumTamrik: its ports, Main on the system's playback, a factory sound
// played bit for bit as rendered; the next start (no options) restores the
// sound and every connection, and follows a new buffer size.
TEST_F(StandaloneOnJack, DrumTamrikPlaysAsRenderedAndTheNextStartRestoresIt) {
    const auto hats = render(kHats, "--preset CHH", kPeriod);
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    startApp({"--preset", "CHH"});
    ASSERT_TRUE(appReady());
    EXPECT_EQ(probe->portsOf("DrumTamrik:"),
              (std::vector<std::string>{"DrumTamrik:MIDI in", "DrumTamrik:Tamrik 1", "DrumTamrik:Tamrik 2"}));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik:Tamrik 1", "system:playback_1"));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik:Tamrik 2", "system:playback_2"));
    wireProbe("DrumTamrik", {"Tamrik 1", "Tamrik 2"});
    expectPlays(kHats, hats);
    EXPECT_EQ(quitApp(), 0) << textOf(root / "app.log");
    EXPECT_NE(textOf(root / "app.log").find("session saved to " + (stateFolder() / "DrumTamrik.state").string()),
              std::string::npos);

    startApp({});
    ASSERT_TRUE(appReady());
    EXPECT_TRUE(waitUntilConnected(JackProbe::senderPort(), "DrumTamrik:MIDI in"));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik:Tamrik 1", JackProbe::recorderPort(0)));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik:Tamrik 2", JackProbe::recorderPort(1)));
    EXPECT_TRUE(probe->connected("DrumTamrik:Tamrik 1", "system:playback_1"));
    expectPlays(kHats, hats);
    ASSERT_TRUE(probe->setBufferSize(kPeriod / 2));
    expectPlays(kHats, render(kHats, "--preset CHH", kPeriod / 2));
    EXPECT_EQ(quitApp(), 0) << textOf(root / "app.log");
}

const std::vector<TimedNote> kKicksAndSnares = {
    {0, {0x90, 36, 100}},
    {300, {0x90, 38, 90}},
    {2 * kPeriod, {0x90, 36, 127}},
    {2 * kPeriod + 255, {0x90, 38, 60}},
};

constexpr const char* kKitFile = "DrumTamrik Kit 2\nname = Mine\n[Pad 1]\nname = Big Kick\nOutput = Aux 2\n";

std::vector<std::string> kitOutputs() {
    std::vector<std::string> names = {"Main L", "Main R"};
    for (int pair = 1; pair <= 8; ++pair)
        for (const char* side : {" L", " R"}) names.push_back("Aux " + std::to_string(pair) + side);
    return names;
}

// DrumTamrik Kit from a kit file: its 18 outputs by name, Main (the snare)
// and Aux 2 (the kick, moved there by the file) bit for bit as rendered,
// Main to the ports --connect names. The next start with a bare --kit
// restores the kit (the moved kick plays on Aux 2 again, the pad's name is
// kept) and the connections, --connect's and the ones made from outside.
TEST_F(StandaloneOnJack, KitPlaysMainAndAuxAsRenderedAndTheNextStartRestoresIt) {
    std::ofstream(root / "work" / "mine.tamrikkit") << kKitFile;
    const auto played = render(kKicksAndSnares, "--kit mine.tamrikkit --stems stems --all-stems", kPeriod, {"main", "aux2"});
    probe = std::make_unique<JackProbe>(4);
    ASSERT_TRUE(probe->ok());
    startApp({"--kit", (root / "work" / "mine.tamrikkit").string(), "--connect", JackProbe::recorderPort(0),
              JackProbe::recorderPort(1)});
    ASSERT_TRUE(appReady());
    std::vector<std::string> expected = {"DrumTamrik Kit:MIDI in"};
    for (const std::string& name : kitOutputs()) expected.push_back("DrumTamrik Kit:" + name);
    EXPECT_EQ(probe->portsOf("DrumTamrik Kit:"), expected);
    EXPECT_TRUE(waitUntilConnected("DrumTamrik Kit:Main L", JackProbe::recorderPort(0)));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik Kit:Main R", JackProbe::recorderPort(1)));
    EXPECT_FALSE(probe->connected("DrumTamrik Kit:Main L", "system:playback_1")) << "--connect instead";
    wireProbe("DrumTamrik Kit", {"Main L", "Main R", "Aux 2 L", "Aux 2 R"});
    expectPlays(kKicksAndSnares, played);
    EXPECT_EQ(quitApp(), 0) << textOf(root / "app.log");

    startApp({"--kit"});
    ASSERT_TRUE(appReady());
    EXPECT_TRUE(waitUntilConnected(JackProbe::senderPort(), "DrumTamrik Kit:MIDI in"));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik Kit:Main L", JackProbe::recorderPort(0)));
    EXPECT_TRUE(waitUntilConnected("DrumTamrik Kit:Aux 2 R", JackProbe::recorderPort(3)));
    expectPlays(kKicksAndSnares, played);
    EXPECT_EQ(quitApp(), 0) << textOf(root / "app.log");

    const std::optional<app::SavedSession> session = sessionIn(stateFolder() / "DrumTamrikKit.state");
    ASSERT_TRUE(session);
    EXPECT_EQ(session->product, std::string(binding::kKitClapId));
    kit::KitInstrument saved;
    ASSERT_TRUE(saved.loadState(session->instrument.data(), session->instrument.size()));
    EXPECT_EQ(saved.padName(0), "Big Kick");
    EXPECT_EQ(saved.kitName(), "Mine");
    EXPECT_EQ(saved.getParameter(kit::padIndex(0, kit::kSoundParameters + kit::kOutput)), 0.25f) << "Aux 2";
}

// A damaged session file is refused in one line and the defaults load (and
// are saved over it); so is a whole file whose instrument bytes are damaged.
// Another instrument's session (--state) is refused and left as it is.
TEST_F(StandaloneOnJack, DamagedSessionIsRefusedAndTheDefaultsLoad) {
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    const fs::path file = stateFolder() / "DrumTamrik.state";
    fs::create_directories(stateFolder());
    const std::vector<uint8_t> defaults = *binding::saveState(*binding::makeInstrument(binding::drumTamrik()));

    std::vector<uint8_t> bytes = app::SessionFile::encode({binding::kDrumTamrikClapId, defaults, {}});
    bytes[bytes.size() / 2] ^= 0x10;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    startApp({"--preset", "CHH", "--no-connect"});  // a sound chosen: the file is read all the same
    ASSERT_TRUE(appReady());
    EXPECT_EQ(quitApp(), 0);
    const std::string log = textOf(root / "app.log");
    EXPECT_NE(log.find(file.string() + ": refused, it is damaged or no session of ours; the defaults load\n"),
              std::string::npos)
        << log;
    ASSERT_TRUE(sessionIn(file)) << "saved over";

    std::vector<uint8_t> sound = defaults;
    sound.back() ^= 0x01;  // its own checksum fails
    const std::vector<uint8_t> whole = app::SessionFile::encode({binding::kDrumTamrikClapId, sound, {}});
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size()));
    startApp({}, "second.log");
    ASSERT_TRUE(appReady("second.log"));
    EXPECT_EQ(quitApp(), 0);
    EXPECT_NE(textOf(root / "second.log").find(": refused the sound in it, it is damaged; the defaults load\n"),
              std::string::npos)
        << textOf(root / "second.log");
    const std::optional<app::SavedSession> after = sessionIn(file);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->instrument, defaults);
    // None saved: Main went to the system's playback ports.
    EXPECT_EQ(after->connections, (std::vector<app::Connection>{{"Tamrik 1", "system:playback_1"},
                                                                {"Tamrik 2", "system:playback_2"}}));

    // --state with the Kit's session: refused for DrumTamrik, and kept.
    const fs::path kitFile = root / "kit.state";
    const std::vector<uint8_t> kitSession = app::SessionFile::encode({binding::kKitClapId, {}, {}});
    std::ofstream(kitFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(kitSession.data()), std::streamsize(kitSession.size()));
    startApp({"--state", kitFile.string()}, "third.log");
    ASSERT_TRUE(appReady("third.log"));
    EXPECT_EQ(quitApp(), 0);
    EXPECT_NE(textOf(root / "third.log").find(kitFile.string() + ": refused, it holds another instrument's session"),
              std::string::npos)
        << textOf(root / "third.log");
    EXPECT_EQ(textOf(kitFile), std::string(kitSession.begin(), kitSession.end()));
}

// The server stopping under the program: it says so, saves and exits 0.
TEST_F(StandaloneOnJack, ServerStoppedMidRunSavesAndExits) {
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    startApp({"--kit", "Standard"});
    ASSERT_TRUE(appReady());
    probe.reset();
    stopServer();
    const std::optional<int> status = app->waitForExit();
    ASSERT_TRUE(status) << "still running after the server stopped";
    EXPECT_EQ(*status, 0) << textOf(root / "app.log");
    EXPECT_NE(textOf(root / "app.log").find("drumtamrik: the JACK server stopped"), std::string::npos)
        << textOf(root / "app.log");
    const std::optional<app::SavedSession> session = sessionIn(stateFolder() / "DrumTamrikKit.state");
    ASSERT_TRUE(session);
    kit::KitInstrument saved;
    ASSERT_TRUE(saved.loadState(session->instrument.data(), session->instrument.size()));
    EXPECT_EQ(saved.kitName(), "Standard");
}

// No server: one line saying so, exit 2, and no server started for it.
std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char chunk[4096];
        for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
        pclose(pipe);
    }
    return out;
}

bool commandSays(const std::string& command, const std::string& text) {
    return commandOutput(command).find(text) != std::string::npos;
}

// --reconnect: the server stopping is saved for, and the next server gets
// the client back with its connections.
TEST_F(StandaloneOnJack, ReconnectSavesAndComesBackOnTheNextServer) {
    startApp({"--reconnect", "--preset", "CHH"});
    ASSERT_TRUE(appReady());
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    EXPECT_TRUE(waitUntilConnected("DrumTamrik:Tamrik 1", "system:playback_1"));
    probe.reset();
    stopServer();
    ASSERT_TRUE(logSays("saved, waiting for a new one"));
    EXPECT_TRUE(app->running());
    const std::optional<app::SavedSession> session = sessionIn(stateFolder() / "DrumTamrik.state");
    ASSERT_TRUE(session && session->connections) << "saved while waiting";
    EXPECT_EQ(session->connections->size(), 2u) << "the connections as they were";

    // libjack in this process is not trusted with a second server of the
    // same name: the program coming up says it is there, jack_lsp checks.
    launchServer();
    ASSERT_TRUE(logSays(" as JACK client ", 2));
    EXPECT_TRUE(eventually([&] { return commandSays("JACK_NO_START_SERVER=1 jack_lsp -c", "DrumTamrik:Tamrik 2\n   system:playback_2"); }))
        << commandOutput("JACK_NO_START_SERVER=1 jack_lsp -c");
    EXPECT_EQ(quitApp(), 0) << textOf(root / "app.log");
}

// Under a session manager: the announce, the open (the client's own folder
// for the session file and the client id as the JACK name), the dirty flag,
// a save on request, SIGTERM to quit; no window, so no optional GUI (and a
// request to show one answered with none shown).
TEST_F(StandaloneOnJack, SessionManagerOpensSavesAndQuits) {
    NsmTestServer nsm;
    startApp({"--preset", "CHH"}, "app.log", nsm.url());
    const std::optional<NsmTestServer::Announce> announce = nsm.waitForAnnounce();
    ASSERT_TRUE(announce) << textOf(root / "app.log");
    EXPECT_EQ(announce->name, "DrumTamrik");
    EXPECT_EQ(announce->executable, "drumtamrik");
    EXPECT_EQ(announce->pid, app->pid());
    EXPECT_NE(announce->capabilities.find(":dirty:"), std::string::npos);
    EXPECT_EQ(announce->capabilities.find("optional-gui"), std::string::npos);
    EXPECT_FALSE(fs::exists(stateFolder())) << "nothing outside the session before the open";

    const fs::path folder = root / "session" / "DrumTamrik.nTEST";
    ASSERT_TRUE(nsm.open(folder.string(), "DrumTamrik", "DrumTamrik.nTEST")) << textOf(root / "app.log");
    ASSERT_TRUE(appReady());
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    EXPECT_TRUE(probe->portExists("DrumTamrik.nTEST:Tamrik 1"));
    EXPECT_TRUE(nsm.waitForDirty(false));

    EXPECT_EQ(nsm.showGui(), std::optional<bool>(false)) << "asked anyway, it says no window is shown";
    ASSERT_TRUE(nsm.save());
    EXPECT_TRUE(sessionIn(folder / "DrumTamrik.state")) << "saved in the client's folder";
    EXPECT_TRUE(nsm.errors().empty()) << nsm.errors().front();
    EXPECT_EQ(quitApp(), 0) << textOf(root / "app.log");
    EXPECT_FALSE(fs::exists(stateFolder())) << "the per-user file stays untouched";
}

// Seventeen voices at 64 frames and 48 kHz, the load per period and the
// xruns while they play said at the end. TAMRIK_XRUN_SECONDS sets the length
// and makes it a measurement: then no xrun may come (by hand, on a quiet
// machine; the suite's few seconds on a busy one only check that it plays
// every period, which the synchronous server guarantees whatever the load).
TEST_F(StandaloneOnJack, SeventeenVoicesAt64FramesPlayEveryPeriod) {
    const char* length = std::getenv("TAMRIK_XRUN_SECONDS");
    const bool measured = length && std::atoi(length) > 0;
    const int runSeconds = measured ? std::atoi(length) : 3;
    stopServer();
    startServer(48000, 64, !measured);
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    startApp({"--kit", "Standard", "--no-connect"});
    ASSERT_TRUE(appReady());
    wireProbe("DrumTamrik Kit", {"Main L", "Main R"});
    // Seventeen keys struck together every half second, on the kit's channel.
    std::vector<TimedNote> notes;
    for (uint32_t at = 0; at + 24000 <= uint32_t(runSeconds) * 48000; at += 24000)
        for (uint8_t key = 35; key < 35 + 17; ++key) notes.push_back({at, {0x99, key, 100}});
    const uint32_t before = probe->xruns();
    ASSERT_TRUE(probe->play(notes, size_t(runSeconds) * 48000, seconds(60 + 4 * runSeconds)));
    const uint32_t xruns = probe->xruns() - before;
    EXPECT_TRUE(probe->gapless());
    EXPECT_EQ(quitApp(), 0);
    const std::string said = textOf(root / "app.log");
    EXPECT_NE(said.find("xruns, load "), std::string::npos) << said;
    std::printf("%d s at 64 frames, 48 kHz (%.2f ms): %u xruns while playing; %s", runSeconds, 64000.0 / 48000.0,
                xruns, said.substr(said.find("session saved")).c_str());
    if (measured) {
        EXPECT_EQ(xruns, 0u) << textOf(root / "jackd.log");
    }
}

// The program's exit status and what it said, run with no JACK server.
std::pair<std::optional<int>, std::string> runWithoutServer(const std::string& server, std::vector<std::string> args) {
    const fs::path log = fs::temp_directory_path() / ("tamrik-app-noserver-" + std::to_string(getpid()) + ".log");
    args.insert(args.begin(), {TAMRIK_STANDALONE_EXE, "--no-gui"});
    ChildProcess app(args, log, {{"JACK_DEFAULT_SERVER", server}});
    const std::optional<int> status = app.waitForExit();
    const std::string text = textOf(log);
    fs::remove(log);
    return {status, text};
}

const std::string kNoServer = "' is running: start one (jackd, or PipeWire with pipewire-jack) and try again";

TEST(StandaloneWithoutJack, NoServerSaysSoInOneLineAndExits2) {
    const std::string server = "tamrik-app-none-" + std::to_string(getpid());
    // JACK MIDI asked for: no ALSA to fall back on.
    const auto [status, text] = runWithoutServer(server, {"--midi", "jack"});
    EXPECT_EQ(status, 2);
    EXPECT_EQ(text, "drumtamrik: no JACK server '" + server + kNoServer + "\n");
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    jack_client_t* client = jack_client_open("tamrik-probe-none", JackNoStartServer, nullptr);
    EXPECT_EQ(client, nullptr) << "a server was started";
    if (client) jack_client_close(client);
}

// No JACK server, and ALSA's default device with no card behind it: the two
// missing things in one line.
TEST(StandaloneWithoutJack, NoServerAndNoSoundCardSaysBothInOneLine) {
    if (app::AlsaPlayback::anySoundCard()) GTEST_SKIP() << "this machine has a sound card: ALSA would play";
    const std::string server = "tamrik-app-none-" + std::to_string(getpid());
    const auto [status, text] = runWithoutServer(server, {});
    EXPECT_EQ(status, 2);
    EXPECT_EQ(text, "drumtamrik: no JACK server '" + server + kNoServer +
                        "; and no sound card on this machine for ALSA to play on\n");
}

// A sound card's default device plays a period at a time until SIGTERM,
// and the session is saved.
TEST(StandaloneOnAlsa, PlaysOnTheDefaultDeviceAndQuitsSaving) {
    if (!app::AlsaPlayback::anySoundCard()) GTEST_SKIP() << "no sound card on this machine: ALSA playback is not tried";
    const fs::path root = fs::temp_directory_path() / ("tamrik-app-alsa-" + std::to_string(getpid()));
    fs::create_directories(root);
    ChildProcess app({TAMRIK_STANDALONE_EXE, "--no-gui", "--alsa", "default", "--state", (root / "s.state").string()},
                     root / "app.log");
    eventually([&] { return !app.running() || textOf(root / "app.log").find(" as ALSA device ") != std::string::npos; });
    app.signal(SIGTERM);
    const std::optional<int> status = app.waitForExit();
    const std::string text = textOf(root / "app.log");
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("session saved to "), std::string::npos) << text;
    fs::remove_all(root);
}

}  // namespace
}  // namespace tamrik::test
