// The generic editor: every editor request the host can make, each with the
// answer an effect gets when it has nothing better to say. The instrument's
// own editor derives from this and overrides what it serves.
#pragma once

#include "vst/AEffect.h"

namespace vst {

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // UI thread, all of them.
    virtual int32_t getRect(ERect** rect);   // stores nil, answers 0
    virtual int32_t open(void* window);      // records the window, answers 0
    virtual void close() {}
    virtual void idle();                     // runs update() once after postUpdate()
    virtual void update() {}
    virtual void postUpdate() { updateFlag = 1; }
    virtual int32_t onKeyDown(VstKeyCode& /*keyCode*/) { return -1; }
    virtual int32_t onKeyUp(VstKeyCode& /*keyCode*/) { return -1; }
    virtual int32_t setKnobMode(int32_t /*val*/) { return 0; }
    virtual bool onWheel(float /*distance*/) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
    int32_t updateFlag = 0;
};

}  // namespace vst
