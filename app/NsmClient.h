// The program under a session manager (NSM, its protocol over OSC): when
// NSM_URL names one, the program announces itself, waits to be told which
// session it opens (its own folder, so that nothing is saved outside the
// session), saves when asked, says when a value changed since the last save
// (the dirty flag) and answers showing and hiding its window when it has
// one (the optional-gui capability). Quitting is SIGTERM, as without one.
//
// liblo's thread receives the manager's messages; they only store what was
// asked and wake the main thread, which does the work and answers.
//
// Main thread, but for liblo's handlers.
#pragma once

#include <lo/lo.h>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/MainLoopWait.h"

namespace tamrik::app {

class NsmError : public std::runtime_error {
public:
    explicit NsmError(const std::string& message) : std::runtime_error(message) {}
};

class NsmClient {
public:
    struct Open {
        std::string path;      // the client's own place in the session (a folder for us)
        std::string clientId;  // a name unique in the session: the JACK client's
    };
    struct Requests {
        std::optional<Open> open;
        bool save = false, show = false, hide = false;
        std::string error;  // the manager refused the announce
    };

    // None when NSM_URL is not set; throws NsmError for one that names no
    // manager we can reach. `optionalGui`: the program has a window to show
    // and hide.
    static std::unique_ptr<NsmClient> fromEnvironment(MainLoopWait& wake, bool optionalGui);
    ~NsmClient();
    NsmClient(const NsmClient&) = delete;
    NsmClient& operator=(const NsmClient&) = delete;

    void announce(const std::string& name, const std::string& executable);
    // What the manager asked since the last call.
    Requests take();

    void replyOpen(bool ok, const std::string& message);
    void replySave(bool ok, const std::string& message);
    // Sent only when it changes.
    void setDirty(bool dirty);
    void setGuiShown(bool shown);
    bool optionalGui() const { return optionalGui_; }

private:
    NsmClient(lo_address manager, MainLoopWait& wake, bool optionalGui);
    void reply(const char* path, bool ok, const std::string& message);
    void store(const std::function<void(Requests&)>& change);

    struct Flag {
        NsmClient* self;
        bool Requests::*set;
        bool Requests::*clear;
    };

    lo_address manager_ = nullptr;
    lo_server_thread thread_ = nullptr;
    MainLoopWait& wake_;
    const bool optionalGui_;
    std::optional<bool> dirty_;
    std::mutex lock_;  // the requests: liblo's thread and the main thread
    Requests requests_;
    std::array<Flag, 3> flags_{};
};

}  // namespace tamrik::app
