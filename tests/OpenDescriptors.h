// How many file descriptors the process holds: a display connection that
// an open and close cycle leaks shows up here.
#pragma once

#include <dirent.h>

namespace tamrik::test {

inline int OpenDescriptors() {
    int n = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++n;
        closedir(dir);
    }
    return n;
}

}  // namespace tamrik::test
