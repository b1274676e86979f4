#include "GuardedBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <new>

namespace tamrik::fuzz {

GuardedBuffer::GuardedBuffer(size_t capacity) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t usable = (capacity + page - 1) / page * page;
    length_ = usable + page;
    void* mapping = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    mapping_ = static_cast<char*>(mapping);
    guard_ = mapping_ + usable;
    if (mprotect(guard_, page, PROT_NONE) != 0) std::abort();
    capacity_ = usable;
}

GuardedBuffer::~GuardedBuffer() { munmap(mapping_, length_); }

}  // namespace tamrik::fuzz
