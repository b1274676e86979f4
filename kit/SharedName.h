// A name of up to 31 characters that one thread may rename while another
// reads it (a host loads a kit on one thread and asks for names on
// another): the text lives in relaxed 32-bit atomics, so a reader may see a
// name half renamed for a moment but never reads torn memory.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tamrik::kit {

class SharedName {
public:
    static constexpr size_t kCapacity = 32;  // terminator included

    void set(const char* text) { set(std::string_view(text ? text : "")); }
    void set(std::string_view text) {
        char buffer[kCapacity] = {};
        text.copy(buffer, kCapacity - 1);
        for (size_t w = 0; w < kWords; ++w) {
            uint32_t word;
            std::memcpy(&word, buffer + 4 * w, 4);
            words[w].store(word, std::memory_order_relaxed);
        }
    }
    std::string get() const {
        char buffer[kCapacity];
        for (size_t w = 0; w < kWords; ++w) {
            const uint32_t word = words[w].load(std::memory_order_relaxed);
            std::memcpy(buffer + 4 * w, &word, 4);
        }
        buffer[kCapacity - 1] = '\0';
        return buffer;
    }

private:
    static constexpr size_t kWords = kCapacity / 4;
    std::atomic<uint32_t> words[kWords] = {};
};

}  // namespace tamrik::kit
