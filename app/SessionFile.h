// The standalone session on disk: which product, the instrument's state
// bytes (binding/SessionState) and the JACK connections, in the shared
// state format (checksummed, so damage is caught before anything loads).
// A per-user file under $XDG_STATE_HOME/drumtamrik (or
// ~/.local/state/drumtamrik), one per product; written to a temporary file
// beside it and renamed over it, so a crash mid-write keeps the last good
// one.
//
// Main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tamrik::app {

class SessionFileError : public std::runtime_error {
public:
    explicit SessionFileError(const std::string& message) : std::runtime_error(message) {}
};

struct Connection {
    std::string port;  // ours, by its short name ("Main L")
    std::string peer;  // the other end's full name ("system:playback_1")
    bool operator==(const Connection&) const = default;
};

struct SavedSession {
    std::string product;                // the product's CLAP id
    std::vector<uint8_t> instrument;    // empty: none saved
    // None: the connections were never saved (a fresh start connects Main
    // to the system); an empty list: saved with none.
    std::optional<std::vector<Connection>> connections;
};

class SessionFile {
public:
    static constexpr int32_t kUniqueId = ('T' << 24) | ('m' << 16) | ('S' << 8) | 'a';
    static constexpr uint32_t kVersion = 1;

    // The per-user file called `fileName`. Throws SessionFileError when the
    // environment names no home.
    static std::string defaultPath(const std::string& fileName);

    // None when there is no file; throws SessionFileError (the path and the
    // reason, one line) for a file that cannot be read or is no session of ours.
    static std::optional<SavedSession> read(const std::string& path);
    // Throws SessionFileError when the file cannot be written; the last
    // good file stays.
    static void write(const std::string& path, const SavedSession& session);

    static std::vector<uint8_t> encode(const SavedSession& session);
    // None for bytes that are no whole session of ours.
    static std::optional<SavedSession> decode(const uint8_t* data, size_t size);
};

}  // namespace tamrik::app
