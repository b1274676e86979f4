// Records: 'PROD' (the product's id), 'INST' (the instrument's bytes, as one
// text field), 'CONN' (a count, then each connection's two names).
#include "app/SessionFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "binding/SessionState.h"
#include "synth/StateReader.h"
#include "synth/StateWriter.h"

namespace tamrik::app {

namespace {

namespace fs = std::filesystem;

// Far above any JACK port name (the server's limit is 320 bytes).
constexpr size_t kNameLimit = 4096;
constexpr uint32_t kMostConnections = 4096;
// The instrument's bytes and every name with room to spare.
constexpr size_t kFileLimit = binding::kStateLimit + 2 * kMostConnections * kNameLimit;

std::string reason() { return std::strerror(errno); }

}  // namespace

std::string SessionFile::defaultPath(const std::string& fileName) {
    // XDG's rule: a relative XDG_STATE_HOME is ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return (fs::path(state) / "drumtamrik" / fileName).string();
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return (fs::path(home) / ".local" / "state" / "drumtamrik" / fileName).string();
    throw SessionFileError("no folder for the session: neither HOME nor XDG_STATE_HOME is set (or give --state FILE)");
}

std::vector<uint8_t> SessionFile::encode(const SavedSession& session) {
    StateWriter out(kUniqueId, kVersion);
    out.begin("PROD");
    out.text(session.product);
    out.end();
    if (!session.instrument.empty()) {
        out.begin("INST");
        out.text(std::string_view(reinterpret_cast<const char*>(session.instrument.data()), session.instrument.size()));
        out.end();
    }
    if (session.connections) {
        out.begin("CONN");
        out.u32(uint32_t(session.connections->size()));
        for (const Connection& c : *session.connections) {
            out.text(c.port);
            out.text(c.peer);
        }
        out.end();
    }
    return out.finish();
}

std::optional<SavedSession> SessionFile::decode(const uint8_t* data, size_t size) {
    StateReader in(data, size, kUniqueId);
    if (!in.valid()) return std::nullopt;
    SavedSession session;
    bool named = false;
    char tag[5];
    while (in.next(tag)) {
        const std::string_view t(tag, 4);
        if (t == "PROD") {
            named = in.text(session.product, kNameLimit);
        } else if (t == "INST") {
            std::string bytes;
            if (!in.text(bytes, binding::kStateLimit)) return std::nullopt;
            session.instrument.assign(bytes.begin(), bytes.end());
        } else if (t == "CONN") {
            uint32_t count = 0;
            if (!in.u32(count) || count > kMostConnections) return std::nullopt;
            std::vector<Connection> connections(count);
            for (Connection& c : connections)
                if (!in.text(c.port, kNameLimit) || !in.text(c.peer, kNameLimit)) return std::nullopt;
            session.connections = std::move(connections);
        }
        if (!in.ok()) return std::nullopt;
    }
    if (!named || !in.ok()) return std::nullopt;
    return session;
}

std::optional<SavedSession> SessionFile::read(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return std::nullopt;
    if (fs::is_directory(status)) throw SessionFileError(path + ": expected a session file, but this is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SessionFileError(path + ": the session cannot be read (" + reason() + ")");
    // One byte past the limit is enough to refuse a file that goes on.
    std::vector<uint8_t> bytes(std::min<uintmax_t>(fs::file_size(path, error), kFileLimit) + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    std::optional<SavedSession> session = decode(bytes.data(), bytes.size());
    if (!session) throw SessionFileError(path + ": refused, it is damaged or no session of ours");
    return session;
}

void SessionFile::write(const std::string& path, const SavedSession& session) {
    const std::vector<uint8_t> bytes = encode(session);
    const fs::path target(path);
    std::error_code error;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    if (error) throw SessionFileError(target.parent_path().string() + ": cannot make the folder (" + error.message() + ")");
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw SessionFileError(temporary + ": cannot be written (" + reason() + ")");
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    // On disk before the rename, so the name never points at a half-written file.
    const bool written = done == bytes.size() && ::fsync(fd) == 0;
    const std::string failure = reason();
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = written ? reason() : failure;
        ::unlink(temporary.c_str());
        throw SessionFileError(path + ": the session cannot be saved (" + why + ")");
    }
}

}  // namespace tamrik::app
