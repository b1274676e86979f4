// How much memory the process holds, in KiB. Freed heap memory is handed back
// to the system first, so that what is counted is what is held, not what the
// allocator keeps around from earlier peaks.
#pragma once

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace tamrik::test {

inline long ReadResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

inline long ResidentKiB() {
    // The first read sets up stdio state that stays; it must not land between
    // two figures that are compared.
    static const long primed = ReadResidentKiB();
    (void)primed;
    malloc_trim(0);
    return ReadResidentKiB();
}

}  // namespace tamrik::test
