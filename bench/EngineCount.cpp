// A fixed amount of the benchmark's workload, for counting instructions
// (scripts/count-instructions.sh runs it under callgrind): instructions
// inside DrumVoices::render / (blocks x 64 x voices) is the cost per
// voice-sample.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/EngineWorkload.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s scalar|sse2|avx2|avx512 voices [blocks] [weight]\n", argv[0]);
        return 2;
    }
    const int32_t voices = std::atoi(argv[2]);
    const int64_t blocks = argc > 3 ? std::atoll(argv[3]) : 2048;
    const float weight = argc > 4 ? static_cast<float>(std::atof(argv[4])) : 1.0f;
    tamrik::bench::Workload w(
        tamrik::instructionSetNamed(argv[1], tamrik::bestInstructionSet()), weight);
    float check = 0.0f;
    for (int64_t b = 0; b < blocks; ++b) {
        if (b % tamrik::bench::kReplayBlocks == 0) w.play(voices);
        w.block();
        check += w.left[63];
    }
    std::printf("%s %d voices, %lld blocks, last sum %g\n", argv[1], voices,
                static_cast<long long>(blocks), static_cast<double>(check));
    return 0;
}
