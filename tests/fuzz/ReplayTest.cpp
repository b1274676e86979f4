// A fuzz target in the ordinary test suite: every checked-in case of the
// target (its seed corpus and the regressions of faults fuzzing found) runs
// through the same entry the fuzzer calls. A failing check aborts, and the
// case last named on stderr is the one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

// Named after the target: host_calls.CheckedInCasesRunClean, ...
TEST(TAMRIK_FUZZ_TARGET, CheckedInCasesRunClean) {
    std::vector<fs::path> cases;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(TAMRIK_FUZZ_CASES) / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file()) cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    ASSERT_FALSE(cases.empty()) << "no cases in " << TAMRIK_FUZZ_CASES;
    LLVMFuzzerInitialize(nullptr, nullptr);
    for (const fs::path& path : cases) {
        std::fprintf(stderr, "case %s\n", path.c_str());
        std::ifstream file(path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << path;
    }
}
