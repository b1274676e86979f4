// Memory whose last byte is followed by an inaccessible page: a read or write
// one byte past what a caller was handed faults at once, with or without a
// sanitizer. The fuzz targets hand the plug-in its buffers this way, at the
// exact sizes hosts provide.
#pragma once

#include <cstddef>

namespace tamrik::fuzz {

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // `size` bytes (at most the capacity) ending where the guard page begins.
    void* last(size_t size) const { return guard_ - size; }
    size_t capacity() const { return capacity_; }

private:
    char* mapping_ = nullptr;
    char* guard_ = nullptr;
    size_t length_ = 0;
    size_t capacity_ = 0;
};

}  // namespace tamrik::fuzz
