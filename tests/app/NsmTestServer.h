// A session manager of the tests' own, speaking the session protocol over
// OSC as a real one does, for one client: it takes the client's announce
// and welcomes it, tells it to open a session folder, to save, and records
// what the client says back (replies, errors, the dirty flag). Quitting is
// SIGTERM to the client, as a manager does it. Every wait is for a message,
// with a deadline that only catches a hang.
#pragma once

#include <lo/lo.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tamrik::test {

class NsmTestServer {
public:
    struct Announce {
        std::string name, capabilities, executable;
        int major = 0, minor = 0, pid = 0;
    };

    NsmTestServer();
    ~NsmTestServer();
    NsmTestServer(const NsmTestServer&) = delete;
    NsmTestServer& operator=(const NsmTestServer&) = delete;

    // What NSM_URL holds for the client.
    std::string url() const;

    // The client's announce (welcomed at once); none at the deadline.
    std::optional<Announce> waitForAnnounce(std::chrono::seconds deadline = std::chrono::seconds(60));
    // Sends the request and waits for the client's answer: its message, or
    // none (an error, or nothing by the deadline).
    std::optional<std::string> open(const std::string& path, const std::string& displayName, const std::string& clientId);
    std::optional<std::string> save();
    // Asks the client to show its window and waits for its answer: whether
    // it is shown; none by the deadline.
    std::optional<bool> showGui();
    // Asks the client to show (or hide) its window and waits until it says
    // it is shown (hidden).
    bool setGui(bool shown);
    // Waits until the client last said its window is shown (hidden).
    bool waitForGui(bool shown, std::chrono::seconds deadline = std::chrono::seconds(60));
    // Waits until the client last said it is dirty (or clean).
    bool waitForDirty(bool dirty, std::chrono::seconds deadline = std::chrono::seconds(60));
    // The errors the client sent, "path: message".
    const std::vector<std::string>& errors() const { return errors_; }

private:
    static int onMessage(const char* path, const char* types, lo_arg** argv, int argc, lo_message message, void* self);
    std::optional<std::string> request(const char* path, lo_message message);
    template <typename Done>
    bool receiveUntil(Done done, std::chrono::seconds deadline);

    lo_server server_ = nullptr;
    lo_address client_ = nullptr;
    std::optional<Announce> announce_;
    std::vector<std::pair<std::string, std::string>> replies_;  // path, message
    std::vector<std::string> errors_;
    std::optional<bool> dirty_;
    std::optional<bool> guiShown_;
};

}  // namespace tamrik::test
