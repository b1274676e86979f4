// DrumTamrik's state as bytes: what it keeps, that saving again gives the
// same bytes, and that a damaged, truncated or foreign state changes
// nothing while a later version's additions are passed over.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "synth/DrumTamrikInstrument.h"
#include "synth/StateReader.h"
#include "synth/StateWriter.h"

using namespace tamrik;

namespace {

std::string programName(const Instrument& in, int32_t p) {
    char name[32];
    in.programName(p, name, sizeof name);
    return name;
}

// A state written by hand: the current program, then every program with
// `extraValues` values past ours and an unknown record in between.
std::vector<uint8_t> laterVersionState(uint32_t version, int32_t extraValues) {
    StateWriter out(DrumTamrikInstrument::kUniqueId, version);
    out.begin("CURR");
    out.u32(3);
    out.end();
    out.begin("ZZZZ");
    out.text("something a later version keeps");
    out.end();
    for (int32_t p = 0; p < DrumTamrikInstrument::kNumPrograms; ++p) {
        out.begin("PROG");
        out.u32(uint32_t(p));
        out.text(p == 3 ? "Later" : "x");
        out.u32(uint32_t(kNumParameters + extraValues));
        for (int32_t i = 0; i < kNumParameters + extraValues; ++i) out.f32(p == 3 ? 0.25f : 0.5f);
        out.u32(7);  // a field added at the record's end
        out.end();
    }
    return out.finish();
}

}  // namespace

TEST(InstrumentState, KeepsEveryProgramItsNameAndTheCurrentOne) {
    DrumTamrikInstrument a;
    a.setProgram(5);
    a.setParameter(kCutOff, 0.125f);
    a.setProgramName("Five");
    a.setProgram(9);
    a.setParameter(kQ, 0.75f);
    const std::vector<uint8_t> saved = a.saveState();

    DrumTamrikInstrument b;
    ASSERT_TRUE(b.loadState(saved.data(), saved.size()));
    EXPECT_EQ(b.currentProgram(), 9);
    EXPECT_EQ(b.getParameter(kQ), 0.75f);
    EXPECT_EQ(programName(b, 5), "Five");
    b.setProgram(5);
    EXPECT_EQ(b.getParameter(kCutOff), 0.125f);
    b.setProgram(9);
    EXPECT_EQ(b.saveState(), saved) << "load and save again gives the same bytes";
}

TEST(InstrumentState, DamagedTruncatedOrForeignStatesChangeNothing) {
    DrumTamrikInstrument source;
    source.setParameter(kCutOff, 0.125f);
    const std::vector<uint8_t> good = source.saveState();

    DrumTamrikInstrument target;
    target.setProgram(2);
    target.setParameter(kQ, 0.5f);
    const std::vector<uint8_t> before = target.saveState();
    auto refused = [&](std::vector<uint8_t> bytes, const char* what) {
        EXPECT_FALSE(target.loadState(bytes.data(), bytes.size())) << what;
        EXPECT_EQ(target.saveState(), before) << what;
    };
    for (size_t at : {size_t(0), size_t(5), size_t(9), good.size() / 2, good.size() - 1}) {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x10;
        refused(flipped, "one bit flipped");
    }
    for (size_t n : {size_t(0), size_t(3), size_t(15), size_t(16), good.size() - 1})
        refused(std::vector<uint8_t>(good.begin(), good.begin() + long(n)), "truncated");
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    refused(longer, "a byte too many");
    EXPECT_FALSE(target.loadState(nullptr, good.size()));

    // Well-formed but not ours, or not whole: refused as well.
    StateWriter foreign(('T' << 24) | ('m' << 16) | ('K' << 8) | 't', 1);
    refused(foreign.finish(), "another instrument's state");
    StateWriter empty(DrumTamrikInstrument::kUniqueId, 1);
    refused(empty.finish(), "no programs");
    StateWriter nan(DrumTamrikInstrument::kUniqueId, 1);
    nan.begin("PROG");
    nan.u32(0);
    nan.text("n");
    nan.u32(kNumParameters);
    for (int32_t i = 0; i < kNumParameters; ++i) nan.f32(std::nanf(""));
    nan.end();
    refused(nan.finish(), "a NaN value");
    refused(laterVersionState(0, 0), "version 0");
    refused(laterVersionState(1, -1), "a program one value short");
}

TEST(InstrumentState, ALaterVersionLoadsWhatWeKnow) {
    const std::vector<uint8_t> later = laterVersionState(2, 3);
    DrumTamrikInstrument in;
    ASSERT_TRUE(in.loadState(later.data(), later.size()));
    EXPECT_EQ(in.currentProgram(), 3);
    EXPECT_EQ(programName(in, 3), "Later");
    for (int32_t i = 0; i < kNumParameters; ++i) EXPECT_EQ(in.getParameter(i), 0.25f);
}

TEST(InstrumentState, ReaderRefusesRecordsThatRunPastTheBody) {
    StateWriter out(1, 1);
    out.begin("ABCD");
    out.u32(1);
    out.end();
    std::vector<uint8_t> bytes = out.finish();
    bytes[16] = 200;  // the record's length, now past the body
    const uint32_t crc = crc32(bytes.data(), bytes.size() - 4);
    std::memcpy(bytes.data() + bytes.size() - 4, &crc, 4);
    StateReader in(bytes.data(), bytes.size(), 1);
    ASSERT_TRUE(in.valid());
    char tag[5];
    EXPECT_FALSE(in.next(tag));
    EXPECT_FALSE(in.ok());
    EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
}

TEST(InstrumentRender, ANilChannelStillLetsTimePassAndTheOtherChannelMatches) {
    DrumTamrikInstrument both, leftOnly;
    const uint8_t note[3] = {0x90, 60, 100};
    both.receiveMidi(note, 3, 10);
    leftOnly.receiveMidi(note, 3, 10);
    std::vector<float> l1(1000), r1(1000), l2(1000);
    float* out1[2] = {l1.data(), r1.data()};
    float* out2[2] = {l2.data(), nullptr};
    both.render(out1, 1000);
    leftOnly.render(out2, 1000);
    EXPECT_EQ(l1, l2);
    EXPECT_EQ(l1, r1);
    EXPECT_NE(l1, std::vector<float>(1000));
}
