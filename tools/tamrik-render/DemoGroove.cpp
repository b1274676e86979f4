// The groove is written on a sixteenth-note grid, one string per drum and
// bar: 'X' an accent, 'x' a normal hit, 'o' a soft one, '.' a rest.
#include "DemoGroove.h"

#include <string_view>

namespace tamrik::render {

const char* const kDemoKit = "36=P_Kick,38=H_Snare,42=CHH,45=MoMoMon@64,48=MoMoMon@69,56=Metalic";

namespace {

constexpr uint16_t kTicksPerQuarter = 480;
constexpr uint32_t kTicksPerStep = kTicksPerQuarter / 4;
constexpr uint32_t kStepsPerBar = 16;
constexpr uint32_t kMicrosPerQuarter = 545455;  // 110 BPM

struct Line {
    uint8_t note;
    std::string_view bars[2];
};

constexpr Line kLines[] = {
    {36, {"X.....x.X.x.....", "X.....x.X..x..x."}},
    {38, {"....X......o.X..", "....X..o....X.oo"}},
    {42, {"x.o.x.o.x.o.x.o.", "x.o.x.o.x.o....."}},
    {45, {"................", ".............x.."}},
    {48, {"................", "............x..."}},
    {56, {"X...............", "................"}},
};

uint8_t velocityOf(char hit) {
    switch (hit) {
        case 'X': return 120;
        case 'x': return 96;
        default: return 60;
    }
}

}  // namespace

MidiSong demoGroove() {
    MidiSong song;
    song.ticksPerQuarter = kTicksPerQuarter;
    song.tempos.push_back({0, kMicrosPerQuarter});
    for (uint32_t bar = 0; bar < 2; ++bar)
        for (uint32_t step = 0; step < kStepsPerBar; ++step)
            for (const Line& line : kLines) {
                const char hit = line.bars[bar][step];
                if (hit == '.') continue;
                MidiMessage message;
                message.tick = (bar * kStepsPerBar + step) * kTicksPerStep;
                message.bytes[0] = 0x99;  // note-on, drum channel
                message.bytes[1] = line.note;
                message.bytes[2] = velocityOf(hit);
                message.size = 3;
                song.messages.push_back(message);
            }
    song.endTick = 2 * kStepsPerBar * kTicksPerStep;
    return song;
}

}  // namespace tamrik::render
