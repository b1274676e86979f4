// A sound's voice rows of one chunk added into its outputs: every output
// sample takes the voices that sound there in order, voice 0 to 16, bit for
// bit what a loop over the voices per sample gives, even where the outputs
// are one buffer. When every sounding voice spans the chunk and the outputs
// do not overlap, each group of samples takes the rows one after the other
// in registers, loaded and stored once.
#pragma once

#include <cstdint>

namespace tamrik {

class DrumVoices;

class RowSums {
public:
    // Adds the rows of the voices of `sound` that sound in the chunk (row[v]
    // for voice v, over where its beginChunk put it) to both outputs; out2
    // may be null.
    static void add(const DrumVoices& sound, float* out1, float* out2, const float* const* row,
                    int32_t frames);
    // Adds the sum of those rows, formed from 0 as add forms it in a cleared
    // buffer, to out1 and then to out2 (which may be out1). Gives the sum's
    // peak (PeakMeter::peakOf), taken in passing.
    static float addSum(const DrumVoices& sound, float* out1, float* out2, const float* const* row,
                       int32_t frames);
};

}  // namespace tamrik
