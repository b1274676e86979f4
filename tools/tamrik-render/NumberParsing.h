// Strict number parsing for command-line words: the whole word must be the
// number and lie in its range, otherwise the ToolError names the word, the
// option it came with and the range expected.
#pragma once

#include <string>
#include <string_view>

namespace tamrik::render {

long parseWhole(std::string_view word, std::string_view what, long min, long max);
double parseReal(std::string_view word, std::string_view what, double min, double max);

}  // namespace tamrik::render
