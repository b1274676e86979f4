// A fuzz target in the ordinary test suite: its checked-in cases, through
// the same entry the fuzzer calls.
#include <gtest/gtest.h>

#include "CaseReplay.h"

// Named after the target: host_calls.CheckedInCasesRunClean, ...
TEST(TAMRIK_FUZZ_TARGET, CheckedInCasesRunClean) { tamrik::test::replayCheckedInCases(TAMRIK_FUZZ_CASES); }
