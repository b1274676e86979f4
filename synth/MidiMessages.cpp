#include "synth/MidiMessages.h"

namespace tamrik {

void handleMidiMessage(DrumVoices& engine, const uint8_t* bytes, size_t size,
                       int32_t deltaFrames) {
    if (!bytes || size < 3) return;
    const int32_t status = bytes[0] & 0xF0;
    if (status == 0x90)
        engine.playNote(bytes[1], bytes[2], deltaFrames);
    else if (status == 0xB0 && bytes[1] == 126)
        engine.allSoundOff();
}

}  // namespace tamrik
