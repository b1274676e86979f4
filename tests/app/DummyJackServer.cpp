#include "DummyJackServer.h"

#include "Eventually.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <jack/jack.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace tamrik::test {

DummyJackServer::DummyJackServer(std::string name, const std::filesystem::path& log, int period, int rate)
    : name_(std::move(name)) {
    lock_ = open("/tmp/tamrik-jack-session.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (lock_ < 0 || flock(lock_, LOCK_EX) != 0) return;
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    endStrays(name_);
    jackd_ = std::make_unique<ChildProcess>(command(name_, period, rate), log);
    ready_ = answers(*jackd_);
}

std::vector<std::string> DummyJackServer::command(const std::string& name, int period, int rate, bool synchronous) {
    std::vector<std::string> args{"jackd", "-n", name};
    if (synchronous) args.insert(args.end(), {"-S", "-t", "20000"});
    args.insert(args.end(), {"-d", "dummy", "-r", std::to_string(rate), "-p", std::to_string(period)});
    return args;
}

DummyJackServer::~DummyJackServer() {
    stop();
    if (lock_ >= 0) close(lock_);
}

bool DummyJackServer::answers(ChildProcess& jackd) {
    bool up = false;
    eventually([&] {
        if (jack_client_t* client = jack_client_open("tamrik-probe-wait", JackNoStartServer, nullptr)) {
            jack_client_close(client);
            up = true;
        }
        return up || !jackd.running();
    });
    return up;
}

void DummyJackServer::endStrays(const std::string& name) {
    std::vector<pid_t> strays;
    if (FILE* found = popen(("pgrep -f '^jackd -n " + name + " '").c_str(), "r")) {
        for (long pid = 0; std::fscanf(found, "%ld", &pid) == 1;) strays.push_back(pid_t(pid));
        pclose(found);
    }
    for (const pid_t pid : strays) kill(pid, SIGKILL);
    // Gone once reaped: JACK frees the name only when the old server's
    // process no longer exists, zombie or not.
    for (const pid_t pid : strays) eventually([pid] { return kill(pid, 0) != 0; });
}

bool DummyJackServer::stop() {
    if (!jackd_) return true;
    jackd_->signal(SIGTERM);
    const bool stopped = jackd_->waitForExit().has_value();
    jackd_.reset();
    return stopped;
}

}  // namespace tamrik::test
