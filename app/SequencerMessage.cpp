#include "app/SequencerMessage.h"

#include <algorithm>

namespace tamrik::app {

namespace {

MidiMessage message(uint8_t status, uint8_t channel, int32_t a, int32_t b, uint8_t size) {
    MidiMessage m;
    m.bytes[0] = uint8_t(status | (channel & 0x0F));
    m.bytes[1] = uint8_t(a & 0x7F);
    m.bytes[2] = uint8_t(b & 0x7F);
    m.size = size;
    if (size == 2) m.bytes[2] = 0;
    return m;
}

}  // namespace

std::optional<MidiMessage> midiMessageOf(const snd_seq_event_t& event) {
    const snd_seq_ev_note_t& note = event.data.note;
    const snd_seq_ev_ctrl_t& control = event.data.control;
    switch (event.type) {
    case SND_SEQ_EVENT_NOTEON:
        return message(0x90, note.channel, note.note, note.velocity, 3);
    case SND_SEQ_EVENT_NOTEOFF:
        return message(0x80, note.channel, note.note, note.velocity, 3);
    case SND_SEQ_EVENT_KEYPRESS:
        return message(0xA0, note.channel, note.note, note.velocity, 3);
    case SND_SEQ_EVENT_CONTROLLER:
        return message(0xB0, control.channel, int32_t(control.param), control.value, 3);
    case SND_SEQ_EVENT_PGMCHANGE:
        return message(0xC0, control.channel, control.value, 0, 2);
    case SND_SEQ_EVENT_CHANPRESS:
        return message(0xD0, control.channel, control.value, 0, 2);
    case SND_SEQ_EVENT_PITCHBEND: {
        // The sequencer's bend is signed around 0; MIDI's is 14 bits around 8192.
        const int32_t bend = std::clamp(control.value, -8192, 8191) + 8192;
        return message(0xE0, control.channel, bend & 0x7F, bend >> 7, 3);
    }
    default:
        return std::nullopt;
    }
}

}  // namespace tamrik::app
