// Names people give (a pad, a kit) as file names that every platform takes:
// no folder separators, no characters Windows refuses (<>:"|?* and control
// characters), no "..", no leading dots or spaces, no trailing dots or spaces
// (Windows drops them), no reserved device names (CON, NUL, COM1 ...), valid
// UTF-8, at most kMaxBytes bytes. Names in one folder are told apart
// whatever their case, as Windows and macOS folders are: "Kick", "Kick 2".
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace tamrik {

class SafeFileName {
public:
    static constexpr size_t kMaxBytes = 64;

    // `name` made safe; `fallback` (itself safe) where nothing of it is left.
    static std::string of(const std::string& name, const std::string& fallback);

    // The next name of this folder: safe, and unlike every name taken
    // before (numbered from 2 where it would clash).
    std::string take(const std::string& name, const std::string& fallback);

private:
    std::set<std::string> taken;  // folded to lower case
};

}  // namespace tamrik
