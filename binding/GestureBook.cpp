#include "binding/GestureBook.h"

namespace tamrik::binding {

bool GestureBook::begin(uint32_t id) {
    if (id >= open_.size() || open_[id]) return false;
    open_[id] = true;
    ++count_;
    return true;
}

bool GestureBook::end(uint32_t id) {
    if (!isOpen(id)) return false;
    open_[id] = false;
    --count_;
    return true;
}

}  // namespace tamrik::binding
