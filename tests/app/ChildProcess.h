// A program the tests start and stop: its output in a file, its exit waited
// for with a deadline that only catches a hang. A child still running when
// its object goes is killed and waited for.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tamrik::test {

class ChildProcess {
public:
    // Standard output and error both go to `log`; `environment` is added to
    // (or replaces names in) the test's own.
    ChildProcess(const std::vector<std::string>& command, const std::filesystem::path& log,
                 const std::map<std::string, std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    void signal(int number);
    // The exit status, or none when it has not exited by the deadline (or
    // died of a signal: then -signal).
    std::optional<int> waitForExit(std::chrono::seconds deadline = std::chrono::seconds(60));
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// What a file holds now.
std::string textOf(const std::filesystem::path& path);

}  // namespace tamrik::test
