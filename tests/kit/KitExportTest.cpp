// The kit as one-shots and SFZ, read back strictly: every region's sample is
// its pad's hit at that layer, and the keys, velocities and chokes of the SFZ
// are what the Kit plays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PcmWave.h"
#include "SfzReader.h"
#include "common/WaveFile.h"
#include "kit/FactoryKits.h"
#include "kit/KitExport.h"
#include "kit/KitInstrument.h"
#include "synth/HitRenderer.h"

using namespace tamrik;
using namespace tamrik::kit;
namespace fs = std::filesystem;

namespace {

class KitExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tamrik-kit-export-" + std::to_string(getpid()));
        fs::remove_all(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

void setPad(KitInstrument& kit, int32_t pad, int32_t setting, float value) {
    kit.setParameter(padIndex(pad, kSoundParameters + setting), value);
}

// The pad's hit at `velocity` as 24-bit samples, per channel, up to its
// last sound (the voice's last sample is silent).
std::vector<std::vector<int32_t>> layerOf(const KitInstrument& kit, int32_t pad, int32_t velocity) {
    HitSetup setup{};
    EXPECT_TRUE(kit.hitSetup(pad, 0, velocity, setup));
    HitRenderer hit(setup);
    hit.renderAll();
    size_t sounding = hit.channel(0).size();
    while (sounding > 0 && hit.channel(0)[sounding - 1] == 0.0f && hit.channel(1)[sounding - 1] == 0.0f) --sounding;
    std::vector<std::vector<int32_t>> samples(hit.channelsEqual() ? 1 : 2);
    for (size_t c = 0; c < samples.size(); ++c)
        for (size_t i = 0; i < sounding; ++i) samples[c].push_back(WaveFile::pcm24(hit.channel(int32_t(c))[i]));
    return samples;
}

// Checks an exported folder against the kit: returns the pads found, by the
// velocity range of each of their regions.
std::map<int32_t, std::map<int32_t, std::pair<int32_t, int32_t>>> checkExport(const KitInstrument& kit,
                                                                              const fs::path& sfzPath,
                                                                              const std::vector<int32_t>& velocities) {
    const test::Sfz sfz = test::readSfz(sfzPath);
    EXPECT_EQ(sfz.problem, "");
    std::map<int32_t, std::map<int32_t, std::pair<int32_t, int32_t>>> found;  // pad -> layer -> range
    std::set<std::pair<int32_t, int32_t>> matched;
    for (const test::SfzRegion& region : sfz.regions) {
        SCOPED_TRACE("region at line " + std::to_string(region.line));
        const std::string sample = region.opcodes.at("sample");
        EXPECT_EQ(sample.find_first_of("/\\"), std::string::npos);
        const test::PcmWave wave = test::readPcmWave(sfzPath.parent_path() / sample);
        EXPECT_EQ(wave.problem, "") << sample;
        EXPECT_EQ(wave.sampleRate, 44100u);
        const int32_t key = region.number("lokey");
        EXPECT_EQ(region.number("hikey"), key);
        EXPECT_EQ(region.number("pitch_keycenter"), key);
        EXPECT_EQ(region.opcodes.at("loop_mode"), "one_shot");
        EXPECT_EQ(region.number("amp_veltrack"), 0);
        EXPECT_FALSE(region.has("volume") || region.has("pan"));
        // The layer is the velocity its range ends on (the top one: the loudest).
        int32_t layer = region.number("hivel");
        if (layer == 127) layer = *std::max_element(velocities.begin(), velocities.end());
        int32_t pad = -1;
        for (int32_t p = 0; p < kPads && pad < 0; ++p)
            if (kit.pad(p).key() == key && !kit.pad(p).muted() && !matched.count({p, layer}) &&
                layerOf(kit, p, layer) == wave.samples)
                pad = p;
        if (pad < 0) {
            ADD_FAILURE() << sample << " is no pad's layer " << layer;
            continue;
        }
        matched.insert({pad, layer});
        found[pad][layer] = {region.number("lovel"), region.number("hivel")};
        if (const int32_t choke = kit.pad(pad).choke()) {
            EXPECT_EQ(region.number("group"), choke);
            EXPECT_EQ(region.number("off_by"), choke);
            EXPECT_EQ(region.opcodes.at("off_mode"), "time");
            EXPECT_EQ(region.opcodes.at("off_time"), "0.005");
        } else {
            EXPECT_FALSE(region.has("group") || region.has("off_by"));
        }
    }
    return found;
}

}  // namespace

TEST(KitExportLayers, EachVelocityPlaysTheNearestLayerAtOrAboveIt) {
    using L = std::vector<std::pair<int32_t, int32_t>>;
    const auto ranges = [](const std::vector<int32_t>& velocities) {
        L out;
        for (const KitExport::Layer& l : KitExport::layersOf(velocities)) {
            EXPECT_TRUE(l.velocity >= l.low && l.velocity <= l.high);
            out.push_back({l.low, l.high});
        }
        return out;
    };
    EXPECT_EQ(ranges(KitExport::kDefaultVelocities), (L{{97, 127}, {65, 96}, {33, 64}, {1, 32}}));
    EXPECT_EQ(ranges({50, 127, 100}), (L{{101, 127}, {51, 100}, {1, 50}}));
    EXPECT_EQ(ranges({100}), (L{{1, 127}}));
    EXPECT_EQ(ranges({1, 2}), (L{{2, 127}, {1, 1}}));
    for (const std::vector<int32_t>& bad : std::vector<std::vector<int32_t>>{{}, {0}, {128}, {64, 64}, {-3, 10}})
        EXPECT_TRUE(KitExport::layersOf(bad).empty());
}

TEST_F(KitExportTest, TheSfzPlaysWhatTheKitPlays) {
    auto kit = std::make_unique<KitInstrument>();
    kit->load(factoryKitSnapshot(*factoryKitNamed("Standard")));
    for (int32_t p = 0; p < kPads; ++p) kit->setParameter(padIndex(p, kR), 0.15f);  // short hits: a cheap test
    kit->setKitName("My/Kit: \"one\"\n");
    setPad(*kit, 0, kMute, 1.0f);  // left out
    kit->setPadName(1, "Kick");
    kit->setPadName(2, "kick");     // the same file name but for its case
    kit->setPadName(3, "../../x");  // stays in the folder
    kit->setPadName(4, "");
    setPad(*kit, 5, kKey, valueOfStep(kit->pad(6).key(), 127));  // two pads on one key
    setPad(*kit, 7, kChoke, valueOfStep(3, 8));
    setPad(*kit, 8, kChoke, valueOfStep(3, 8));
    setPad(*kit, 9, kLevel, 0.3f);
    setPad(*kit, 9, kPan, 0.9f);
    const KitExport::Result result = KitExport::write(*kit, (folder / "out").string());
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(fs::path(result.sfz).filename(), "My_Kit_ _one__.sfz");
    // Every file it says it wrote, nothing else, all in the folder.
    std::set<std::string> onDisk, written(result.files.begin(), result.files.end());
    for (const auto& entry : fs::recursive_directory_iterator(folder)) onDisk.insert(entry.path().string());
    onDisk.erase((folder / "out").string());
    EXPECT_EQ(onDisk, written);
    EXPECT_EQ(result.files.size(), 15u * 4u + 1u);
    EXPECT_TRUE(fs::exists(folder / "out" / "Kick v127.wav"));
    EXPECT_TRUE(fs::exists(folder / "out" / "kick 2 v127.wav"));
    EXPECT_TRUE(fs::exists(folder / "out" / "_._x v32.wav"));
    EXPECT_TRUE(fs::exists(folder / "out" / "Pad 5 v64.wav"));

    const auto found = checkExport(*kit, result.sfz, KitExport::kDefaultVelocities);
    EXPECT_EQ(found.size(), 15u);
    EXPECT_FALSE(found.count(0));
    const std::map<int32_t, std::pair<int32_t, int32_t>> expected = {
        {127, {97, 127}}, {96, {65, 96}}, {64, {33, 64}}, {32, {1, 32}}};
    for (const auto& [pad, layers] : found) EXPECT_EQ(layers, expected) << "pad " << pad;
}

TEST_F(KitExportTest, ChosenLayersAndFailures) {
    KitInstrument kit;
    for (int32_t p = 1; p < kPads; ++p) setPad(kit, p, kMute, 1.0f);
    const KitExport::Result two = KitExport::write(kit, folder.string(), {40, 127});
    ASSERT_EQ(two.error, "");
    EXPECT_EQ(two.files.size(), 3u);
    const auto found = checkExport(kit, two.sfz, {40, 127});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.at(0), (std::map<int32_t, std::pair<int32_t, int32_t>>{{127, {41, 127}}, {40, {1, 40}}}));

    EXPECT_NE(KitExport::write(kit, folder.string(), {0, 64}).error, "");
    EXPECT_NE(KitExport::write(kit, (folder / "Init.sfz").string()).error, "");  // a file, not a folder

    // A failure at the end takes back the samples written before it.
    const fs::path blocked = folder / "blocked";
    fs::create_directories(blocked / (kit.kitName() + ".sfz"));
    const KitExport::Result failed = KitExport::write(kit, blocked.string(), {40, 127});
    EXPECT_NE(failed.error, "");
    EXPECT_TRUE(failed.files.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(blocked), {}), 1);
}
