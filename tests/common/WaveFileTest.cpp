// 24-bit WAV one-shots read back: header, samples, the channel count, the
// conversion's clipping and rounding, and failures that leave nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "PcmWave.h"
#include "common/WaveFile.h"

using namespace tamrik;
namespace fs = std::filesystem;

namespace {

class WaveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tamrik-wave-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    size_t entries() const { return size_t(std::distance(fs::directory_iterator(folder), {})); }
    fs::path folder;
};

}  // namespace

TEST(WaveFilePcm24, ScalesClipsAndRoundsHalvesToEven) {
    EXPECT_EQ(WaveFile::pcm24(0.0f), 0);
    EXPECT_EQ(WaveFile::pcm24(-0.0f), 0);
    EXPECT_EQ(WaveFile::pcm24(0.5f), 4194304);
    EXPECT_EQ(WaveFile::pcm24(-1.0f), -8388608);
    EXPECT_EQ(WaveFile::pcm24(1.0f), 8388607);  // full scale is one step short on the positive side
    EXPECT_EQ(WaveFile::pcm24(1.5f / 8388608.0f), 2);
    EXPECT_EQ(WaveFile::pcm24(2.5f / 8388608.0f), 2);
    EXPECT_EQ(WaveFile::pcm24(-2.5f / 8388608.0f), -2);
    EXPECT_EQ(WaveFile::pcm24(0.3f / 8388608.0f), 0);
    const float inf = std::numeric_limits<float>::infinity();
    for (float loud : {2.0f, 1e30f, inf}) {
        EXPECT_EQ(WaveFile::pcm24(loud), 8388607);
        EXPECT_EQ(WaveFile::pcm24(-loud), -8388608);
    }
    EXPECT_EQ(WaveFile::pcm24(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST_F(WaveFileTest, EqualChannelsMakeAMonoFileAndOthersStereo) {
    const std::vector<float> a = {0.0f, 0.25f, -0.25f, 1.0f, -1.0f};
    std::vector<float> b = a;
    std::string error;
    ASSERT_TRUE(WaveFile::writeOneShot((folder / "mono.wav").string(), a, b, 48000.0f, error)) << error;
    const test::PcmWave mono = test::readPcmWave(folder / "mono.wav");
    ASSERT_EQ(mono.problem, "");  // five 3-byte samples: the pad byte too
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.sampleRate, 48000u);
    EXPECT_EQ(mono.samples[0], (std::vector<int32_t>{0, 2097152, -2097152, 8388607, -8388608}));

    b[1] = std::nextafter(b[1], 1.0f);  // one bit apart: no longer one channel
    ASSERT_TRUE(WaveFile::writeOneShot((folder / "stereo.wav").string(), a, b, 44100.0f, error)) << error;
    const test::PcmWave stereo = test::readPcmWave(folder / "stereo.wav");
    ASSERT_EQ(stereo.problem, "");
    EXPECT_EQ(stereo.channels, 2);
    EXPECT_EQ(stereo.sampleRate, 44100u);
    EXPECT_EQ(stereo.samples[0], mono.samples[0]);
    EXPECT_EQ(stereo.samples[1], mono.samples[0]);  // the bit is below a 24-bit step
    EXPECT_EQ(entries(), 2u);

    // Silence after the last sound is left out; silence within the sound stays.
    ASSERT_TRUE(WaveFile::writeOneShot((folder / "tail.wav").string(), {0.0f, 0.5f, 0.0f, 0.0f, -0.0f},
                                       {0.0f, 0.0f, 0.0f, 0.25f, 0.0f}, 44100.0f, error));
    EXPECT_EQ(test::readPcmWave(folder / "tail.wav").samples,
              (std::vector<std::vector<int32_t>>{{0, 4194304, 0, 0}, {0, 0, 0, 2097152}}));
    ASSERT_TRUE(WaveFile::writeOneShot((folder / "silent.wav").string(), {0.0f, -0.0f}, {0.0f, -0.0f}, 44100.0f,
                                       error));
    EXPECT_TRUE(test::readPcmWave(folder / "silent.wav").samples[0].empty());
    EXPECT_EQ(entries(), 4u);

    ASSERT_TRUE(WaveFile::writeOneShot((folder / "empty.wav").string(), {}, {}, 44100.0f, error));
    const test::PcmWave empty = test::readPcmWave(folder / "empty.wav");
    ASSERT_EQ(empty.problem, "");
    EXPECT_TRUE(empty.samples[0].empty());
}

TEST_F(WaveFileTest, ReplacesAFileWholeAndFailsLeavingNothing) {
    std::string error;
    const fs::path target = folder / "Kick.wav";
    ASSERT_TRUE(WaveFile::writeOneShot(target.string(), {0.5f, 0.5f}, {0.5f, 0.5f}, 44100.0f, error));
    ASSERT_TRUE(WaveFile::writeOneShot(target.string(), {0.25f}, {0.25f}, 44100.0f, error));
    EXPECT_EQ(test::readPcmWave(target).samples[0], std::vector<int32_t>{2097152});
    EXPECT_EQ(entries(), 1u);  // no temporary left beside it

    for (float rate : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1e12f}) {
        EXPECT_FALSE(WaveFile::writeOneShot((folder / "bad.wav").string(), {0.0f}, {0.0f}, rate, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(WaveFile::writeOneShot((folder / "missing" / "x.wav").string(), {0.0f}, {0.0f}, 44100.0f, error));
    EXPECT_FALSE(WaveFile::writeOneShot(folder.string(), {0.0f}, {0.0f}, 44100.0f, error));
    EXPECT_EQ(entries(), 1u);
}
