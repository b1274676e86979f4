// The arguments liblo hands a method, read without its union: they sit in
// the message at 4-byte steps, where an lo_arg (it holds 8-byte members)
// may not be reached through. A string starts at its argument; a 32-bit
// integer is copied out.
#pragma once

#include <lo/lo.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace tamrik::app {

inline std::string oscString(const lo_arg* argument) { return reinterpret_cast<const char*>(argument); }

inline int32_t oscInt(const lo_arg* argument) {
    int32_t value = 0;
    std::memcpy(&value, argument, sizeof value);
    return value;
}

}  // namespace tamrik::app
