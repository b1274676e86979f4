/* Preloaded into 32-bit wine processes that run under qemu-i386 (and only
 * there). Debian's wine has no preloader, so its 32-bit loader probes the
 * address space for the areas Windows programs need, one mmap at a time;
 * qemu treats MAP_FIXED_NOREPLACE as a hint, which turns the probe into tens
 * of thousands of map/unmap pairs and a minute per process. This library
 * reserves those areas at start, skipping what is already mapped, and hands
 * them to the loader through its wine_main_preload_info variable, as wine's
 * own preloader does. Built freestanding (-m32 -nostdlib): raw system calls,
 * no C library, so no 32-bit development packages are needed. */

struct wine_preload_info {
    void *addr;
    unsigned long size;
};

/* The loader's variable, where it has one. */
extern struct wine_preload_info *wine_main_preload_info __attribute__((weak));

enum { kMaxAreas = 32 };
static struct wine_preload_info areas[kMaxAreas + 1];

static const struct { unsigned long start, end; } wanted[] = {
    {0x00010000ul, 0x00110000ul},
    {0x00110000ul, 0x68000000ul},
    {0x7f000000ul, 0x82000000ul},
};

static long sys(long number, long a, long b, long c, long d, long e, long f) {
    long result;
    __asm__ volatile("push %%ebp\n\tmov %7, %%ebp\n\tint $0x80\n\tpop %%ebp"
                     : "=a"(result)
                     : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e), "g"(f)
                     : "memory");
    return result;
}

enum { SYS_read = 3, SYS_open = 5, SYS_close = 6, SYS_mmap2 = 192 };
enum { PROT_NONE = 0, MAP_PRIVATE = 0x02, MAP_FIXED = 0x10, MAP_ANONYMOUS = 0x20, MAP_NORESERVE = 0x4000 };

static unsigned long hex(const char **p) {
    unsigned long v = 0;
    for (;; ++*p) {
        const char c = **p;
        if (c >= '0' && c <= '9') v = v * 16 + (unsigned long)(c - '0');
        else if (c >= 'a' && c <= 'f') v = v * 16 + (unsigned long)(c - 'a' + 10);
        else return v;
    }
}

/* The mapped ranges from /proc/self/maps, in ascending order. */
static char maps[65536];
static unsigned long mapped[1024][2];

static int read_maps(void) {
    const long fd = sys(SYS_open, (long)"/proc/self/maps", 0, 0, 0, 0, 0);
    if (fd < 0) return -1;
    long total = 0, got;
    while (total < (long)sizeof maps - 1 && (got = sys(SYS_read, fd, (long)(maps + total),
                                                        (long)sizeof maps - 1 - total, 0, 0, 0)) > 0)
        total += got;
    sys(SYS_close, fd, 0, 0, 0, 0, 0);
    maps[total] = 0;
    int n = 0;
    for (const char *p = maps; *p && n < 1024;) {
        mapped[n][0] = hex(&p);
        ++p; /* '-' */
        mapped[n][1] = hex(&p);
        ++n;
        while (*p && *p != '\n') ++p;
        if (*p) ++p;
    }
    return n;
}

static int count;

static void reserve(unsigned long start, unsigned long end) {
    if (end <= start || count >= kMaxAreas) return;
    const long at = sys(SYS_mmap2, (long)start, (long)(end - start), PROT_NONE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1, 0);
    if ((unsigned long)at != start) return;
    areas[count].addr = (void *)start;
    areas[count].size = end - start;
    ++count;
}

__attribute__((constructor)) static void reserve_wine_areas(void) {
    const int n = read_maps();
    if (n < 0) return;
    for (unsigned w = 0; w < sizeof wanted / sizeof wanted[0]; ++w) {
        unsigned long from = wanted[w].start;
        /* Reserve each gap between mappings inside the wanted range. */
        for (int i = 0; i < n && from < wanted[w].end; ++i) {
            if (mapped[i][1] <= from) continue;
            if (mapped[i][0] >= wanted[w].end) break;
            reserve(from, mapped[i][0] < wanted[w].end ? mapped[i][0] : wanted[w].end);
            if (mapped[i][1] > from) from = mapped[i][1];
        }
        reserve(from, wanted[w].end);
    }
    if (&wine_main_preload_info) wine_main_preload_info = areas;
}
