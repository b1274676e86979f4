// Looking up what a host offers in its nil-terminated feature list.
#pragma once

#include <cstring>

#include <lv2/core/lv2.h>

namespace tamrik::lv2 {

// The feature's data, or nullptr when the host does not offer it.
inline const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}

}  // namespace tamrik::lv2
