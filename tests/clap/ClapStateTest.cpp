// The state extension: what is saved comes back whole, over streams that
// move any number of bytes per call; save, load, save gives the same bytes;
// a damaged, foreign or failing stream is refused and changes nothing.
#include <gtest/gtest.h>

#include <vector>

#include "ClapTestHost.h"
#include "synth/ParameterTable.h"

using namespace tamrik::test::clap;
using namespace tamrik;

namespace {

// Values that differ from the defaults, set the way a host sets them.
void edit(ClapInstance& p, float shift) {
    InputEvents changes;
    for (int32_t i = 0; i < kNumParameters; ++i) {
        clap_param_info_t info{};
        p.params().get_info(p.plugin(), uint32_t(i), &info);
        const double v = info.flags & CLAP_PARAM_IS_STEPPED ? info.max_value : 0.1 + shift + 0.01 * i;
        changes.events.push_back(paramValue(0, clap_id(i), v));
    }
    p.params().flush(p.plugin(), changes.list(), nullptr);
}

std::vector<double> values(const ClapInstance& p) {
    std::vector<double> all;
    for (int32_t i = 0; i < kNumParameters; ++i) all.push_back(p.value(clap_id(i)));
    return all;
}

}  // namespace

TEST(ClapState, RoundTripsGiveTheSameValuesAndBytesAtAnyTransferSize) {
    ClapInstance a;
    edit(a, 0.3f);
    const std::vector<uint8_t> saved = a.save();
    ASSERT_FALSE(saved.empty());
    for (size_t chunk : {size_t(1), size_t(7), size_t(4096), SIZE_MAX}) {
        MemoryOut out(chunk);
        ASSERT_TRUE(a.state().save(a.plugin(), &out.stream)) << chunk;
        EXPECT_EQ(out.bytes, saved) << chunk;

        ClapInstance b;
        ASSERT_TRUE(b.load(saved, chunk)) << chunk;
        EXPECT_EQ(values(b), values(a)) << chunk;
        EXPECT_EQ(b.save(), saved) << chunk;
        EXPECT_EQ(b.host().rescans, 1) << "the host re-reads the values";
    }
    // The sound follows the loaded values.
    ClapInstance c;
    ASSERT_TRUE(c.load(saved));
    a.activate(44100.0);
    c.activate(44100.0);
    EXPECT_EQ(c.render(4096, 128, {{0, noteOn(0, 50, 1.0)}}), a.render(4096, 128, {{0, noteOn(0, 50, 1.0)}}));
}

TEST(ClapState, DamagedForeignOrFailingStreamsAreRefusedAndChangeNothing) {
    ClapInstance source;
    edit(source, 0.5f);
    const std::vector<uint8_t> good = source.save();
    ClapInstance p;
    edit(p, 0.1f);
    const std::vector<uint8_t> before = p.save();

    std::vector<std::vector<uint8_t>> bad = {{}, {1, 2, 3}, std::vector<uint8_t>(good.begin(), good.end() - 1)};
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    bad.push_back(longer);
    for (size_t at : {size_t(0), size_t(5), good.size() / 2, good.size() - 1}) {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x40;
        bad.push_back(flipped);
    }
    bad.push_back(std::vector<uint8_t>(4096, 0xA5));
    bad.push_back(std::vector<uint8_t>(size_t(2) << 20, 0));  // longer than any state
    for (const auto& bytes : bad) {
        EXPECT_FALSE(p.load(bytes)) << bytes.size();
        EXPECT_FALSE(p.load(bytes, 1)) << bytes.size();
    }
    MemoryIn failing(good, 100);
    failing.failAtEnd = true;
    EXPECT_FALSE(p.state().load(p.plugin(), &failing.stream));
    EXPECT_FALSE(p.state().load(p.plugin(), nullptr));
    EXPECT_EQ(p.save(), before);
    EXPECT_EQ(p.host().rescans, 0);

    MemoryOut full(64);
    full.failAfter = 128;
    EXPECT_FALSE(p.state().save(p.plugin(), &full.stream));
    EXPECT_FALSE(p.state().save(p.plugin(), nullptr));
}
