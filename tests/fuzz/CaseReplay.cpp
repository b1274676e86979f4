#include "CaseReplay.h"

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

namespace tamrik::test {

void replayCheckedInCases(const char* casesFolder) {
    std::vector<fs::path> cases;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(casesFolder) / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file()) cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    ASSERT_FALSE(cases.empty()) << "no cases in " << casesFolder;
    LLVMFuzzerInitialize(nullptr, nullptr);
    // A failing check aborts, and the case last named on stderr is the one.
    for (const fs::path& path : cases) {
        std::fprintf(stderr, "case %s\n", path.c_str());
        std::ifstream file(path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << path;
    }
}

}  // namespace tamrik::test
