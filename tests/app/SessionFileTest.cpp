// The standalone session file: what it keeps comes back whole, anything
// damaged is refused rather than half-loaded, a write never leaves a torn
// file, and the per-user path follows XDG's rule.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/SessionFile.h"

namespace tamrik::app {
namespace {

namespace fs = std::filesystem;

SavedSession sample() {
    return {"com.example.instrument",
            {0x00, 0xFF, 0x10, 0x00, 0x7F},
            std::vector<Connection>{{"Main L", "system:playback_1"}, {"MIDI in", "a2j:Drums [20] (capture): Pad"}}};
}

void expectSame(const SavedSession& a, const SavedSession& b) {
    EXPECT_EQ(a.product, b.product);
    EXPECT_EQ(a.instrument, b.instrument);
    EXPECT_EQ(a.connections, b.connections);
}

TEST(SessionFile, KeepsProductBytesAndConnectionsAndTellsNoneFromAnEmptyList) {
    SavedSession session = sample();
    std::vector<uint8_t> bytes = SessionFile::encode(session);
    std::optional<SavedSession> back = SessionFile::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    expectSame(*back, session);

    session.connections = std::vector<Connection>{};
    session.instrument.clear();
    bytes = SessionFile::encode(session);
    back = SessionFile::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->connections) << "an empty list is not 'never saved'";
    EXPECT_TRUE(back->connections->empty());
    EXPECT_TRUE(back->instrument.empty());

    session.connections.reset();
    bytes = SessionFile::encode(session);
    back = SessionFile::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->connections);
}

TEST(SessionFile, RefusesEveryFlippedByteAndEveryTruncation) {
    const std::vector<uint8_t> bytes = SessionFile::encode(sample());
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::vector<uint8_t> damaged = bytes;
        damaged[at] ^= 0x04;
        EXPECT_FALSE(SessionFile::decode(damaged.data(), damaged.size())) << "byte " << at;
        EXPECT_FALSE(SessionFile::decode(bytes.data(), at)) << "cut at " << at;
    }
    EXPECT_FALSE(SessionFile::decode(nullptr, 0));
}

class SessionFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tamrik-session-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(SessionFileOnDisk, WritesThroughATemporaryFileAndReadsBack) {
    const std::string path = (root / "deep" / "er" / "DrumTamrik.state").string();
    EXPECT_FALSE(SessionFile::read(path)) << "no file yet";
    SessionFile::write(path, sample());
    SavedSession second = sample();
    second.product = "another";
    SessionFile::write(path, second);
    const std::optional<SavedSession> back = SessionFile::read(path);
    ASSERT_TRUE(back);
    expectSame(*back, second);
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "deep" / "er"), fs::directory_iterator()), 1)
        << "no temporary file left";

    // A write that cannot be made leaves the last good file.
    const fs::path blocked = root / "blocked";
    fs::create_directories(blocked / "DrumTamrik.state");  // a folder where the file would go
    EXPECT_THROW(SessionFile::write((blocked / "DrumTamrik.state").string(), sample()), SessionFileError);
    EXPECT_EQ(std::distance(fs::directory_iterator(blocked), fs::directory_iterator()), 1);
    EXPECT_THROW(SessionFile::read((blocked / "DrumTamrik.state").string()), SessionFileError);

    std::ofstream(root / "garbage.state") << "DrumTamrik session, honest";
    try {
        SessionFile::read((root / "garbage.state").string());
        ADD_FAILURE() << "garbage read";
    } catch (const SessionFileError& e) {
        EXPECT_EQ(std::string(e.what()), (root / "garbage.state").string() + ": refused, it is damaged or no session of ours");
    }
}

TEST(SessionFile, DefaultPathFollowsXdgStateHomeThenHome) {
    const char* oldState = std::getenv("XDG_STATE_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedState = oldState ? oldState : "", savedHome = oldHome ? oldHome : "";
    setenv("XDG_STATE_HOME", "/var/state", 1);
    setenv("HOME", "/home/drummer", 1);
    EXPECT_EQ(SessionFile::defaultPath("DrumTamrik.state"), "/var/state/drumtamrik/DrumTamrik.state");
    setenv("XDG_STATE_HOME", "relative/state", 1);  // not absolute: ignored
    EXPECT_EQ(SessionFile::defaultPath("DrumTamrik.state"), "/home/drummer/.local/state/drumtamrik/DrumTamrik.state");
    unsetenv("XDG_STATE_HOME");
    unsetenv("HOME");
    EXPECT_THROW(SessionFile::defaultPath("DrumTamrik.state"), SessionFileError);
    if (oldState) setenv("XDG_STATE_HOME", savedState.c_str(), 1);
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace tamrik::app
