// Runs every checked-in case of a fuzz target (its seed corpus and the
// regressions of faults fuzzing found) through the entry the fuzzer calls.
#pragma once

namespace tamrik::test {

// The target's folder holds corpus/ and regressions/.
void replayCheckedInCases(const char* casesFolder);

}  // namespace tamrik::test
