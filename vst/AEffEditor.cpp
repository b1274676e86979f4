#include "vst/AEffEditor.h"

namespace vst {

AEffEditor::AEffEditor(AudioEffect* owner) : effect(owner) {}

int32_t AEffEditor::getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return 0;
}

int32_t AEffEditor::open(void* window) {
    systemWindow = window;
    return 0;
}

void AEffEditor::idle() {
    if (updateFlag) {
        updateFlag = 0;
        update();
    }
}

}  // namespace vst
