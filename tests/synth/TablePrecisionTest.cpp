// The wave tables are built in long double whatever the constructing
// thread's x87 precision: Windows starts threads at 53 bits, where eleven
// entries of the sine, saw and triangle blends would round differently.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/FloatingPointRegisters.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/WaveTables.h"

namespace tamrik {
namespace {

// Every table but noise, whose generator moves on with each build.
std::vector<float> tonalTables() {
    std::vector<float> v;
    for (int32_t wave = 0; wave < 4; ++wave)
        for (int32_t section = 0; section < WaveTables::kSections; ++section)
            for (int32_t i = 0; i < WaveTables::kLength; ++i) v.push_back(WaveTables::at(wave, section, i));
    return v;
}

#if defined(TAMRIK_HAS_X87)
TEST(TablePrecision, AnInstanceMadeAt53BitX87PrecisionBuildsTheSameTables) {
    { DrumTamrikInstrument reference; }
    const std::vector<float> expected = tonalTables();
    std::vector<float> built;
    uint16_t hostWord = 0, wordAfter = 0;
    std::thread host([&] {
        hostWord = uint16_t((readX87ControlWord() & ~0x0300u) | 0x0200u);
        writeX87ControlWord(hostWord);
        { DrumTamrikInstrument instance; }
        built = tonalTables();
        wordAfter = readX87ControlWord();
    });
    host.join();
    EXPECT_EQ(wordAfter, hostWord) << "the thread gets its precision back";
    ASSERT_EQ(built.size(), expected.size());
    size_t differing = 0;
    for (size_t i = 0; i < built.size(); ++i) differing += built[i] != expected[i];
    EXPECT_EQ(differing, 0u) << "table entries that differ";
}
#endif

// The rows in double hold the rows' values at the same offsets, the noise
// of each new build included (it goes to another slot each time).
TEST(TablePrecision, EveryRowInDoubleHoldsTheRowsValues) {
    for (int32_t build = 0; build < 4; ++build) {
        WaveTables::build();
        const WaveTables::Reader reader;
        size_t differing = 0;
        for (int32_t wave = 0; wave < WaveTables::kWaves; ++wave)
            for (int32_t section = 0; section < WaveTables::kSections; ++section) {
                const float* row = reader.row(wave, section);
                const double* wide = WaveTables::Reader::originWide() + reader.offset(wave, section);
                for (int32_t i = 0; i < WaveTables::kLength; ++i)
                    differing += static_cast<double>(row[i]) != wide[i];
            }
        EXPECT_EQ(differing, 0u) << "build " << build;
    }
}

}  // namespace
}  // namespace tamrik
