// What the Kit's panel needs of the instrument beyond parameter values: the
// names it shows and renames, a pad to audition, what was played (a light
// per pad, the key "learn"), and a parameter as the host reads it (for the
// readout and the default a double-click sets). Each binding hands its
// panel the instrument behind this interface, so the panel never sees the
// engine.
//
// Threads: any thread. Names are SharedNames; counts are relaxed atomics
// the audio thread bumps as notes arrive, read here without waiting.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamrik::kit {

class KitControls {
public:
    // Text is cut to the buffer and always terminated; a pad out of range
    // reads "" and renames nothing.
    virtual void padName(int32_t pad, char* text, size_t size) const = 0;
    virtual void setPadName(int32_t pad, const char* name) = 0;
    virtual void kitName(char* text, size_t size) const = 0;
    virtual void setKitName(const char* name) = 0;
    // The pad plays at the start of the next block as if struck at full
    // velocity (its Velocity amount, Mute and choke group apply as ever).
    virtual void audition(int32_t pad) = 0;
    // How many notes have struck the pad (auditions too); wraps.
    virtual uint32_t hitCount(int32_t pad) const = 0;
    // The last note-on heard on the kit's channel, whether or not a pad
    // plays it: (how many so far << 7) | note. Changes on every note.
    virtual uint32_t lastNote() const = 0;
    // A kit parameter's default, full name, value as text and label, as the
    // instrument gives them to a host (the same operations as its own).
    virtual float parameterDefault(int32_t index) const = 0;
    virtual void parameterName(int32_t index, char* text, size_t size) const = 0;
    virtual void parameterDisplay(int32_t index, char* text, size_t size) const = 0;
    virtual void parameterLabel(int32_t index, char* text, size_t size) const = 0;

protected:
    ~KitControls() = default;
};

}  // namespace tamrik::kit
