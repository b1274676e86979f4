// A JACK server of the tests' own on the dummy driver, synchronous (every
// client finishes each cycle before the next, so a busy machine makes the
// cycles late, never lost), taking the machine's one JACK session lock for
// as long as it lives (the LV2 host scripts take the same lock), so every
// test server can share one name.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace tamrik::test {

class DummyJackServer {
public:
    // Sets JACK_DEFAULT_SERVER for this process; ready() says whether it came up.
    DummyJackServer(std::string name, const std::filesystem::path& log, int period, int rate = 44100);
    ~DummyJackServer();
    DummyJackServer(const DummyJackServer&) = delete;
    DummyJackServer& operator=(const DummyJackServer&) = delete;

    bool ready() const { return ready_; }
    const std::string& name() const { return name_; }
    // Stops it (SIGTERM) and waits; false when it did not stop.
    bool stop();

    // Ends a test server of this name that a test program which died left
    // running: under the session lock nobody else can be using it, and a
    // new server of the same name would not start beside it.
    static void endStrays(const std::string& name);
    // Waits until a server started as `jackd` takes clients; false if it
    // ends first (or hangs).
    static bool answers(ChildProcess& jackd);
    // The command line of a server of this kind. Asynchronous is how jackd
    // runs for a player, and the only mode whose xruns measure the clients:
    // synchronous, the dummy driver counts its own timer's late wake-ups as
    // xruns, with no client at all.
    static std::vector<std::string> command(const std::string& name, int period, int rate, bool synchronous = true);

private:
    std::string name_;
    int lock_ = -1;
    std::unique_ptr<ChildProcess> jackd_;
    bool ready_ = false;
};

}  // namespace tamrik::test
