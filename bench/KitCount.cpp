// A fixed amount of the Kit benchmark's workload, for counting instructions
// under callgrind (scripts/count-instructions.sh --kit): instructions inside
// the instrument's render / (blocks x 64 x 16) is the cost per voice-sample,
// on the path TAMRIK_ISA names (else the best this CPU has).
#include <cstdio>
#include <cstdlib>

#include "bench/KitWorkload.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s pads (0: DrumTamrik, -1: the idle Kit) [blocks]\n", argv[0]);
        return 2;
    }
    const tamrik::InstructionSet path =
        tamrik::instructionSetNamed(std::getenv("TAMRIK_ISA"), tamrik::bestInstructionSet());
    tamrik::bench::KitWorkload w(std::atoi(argv[1]), path);
    const int64_t blocks = argc > 2 ? std::atoll(argv[2]) : 1024;
    float check = 0.0f;
    for (int64_t b = 0; b < blocks; ++b) {
        w.block();
        check += w.channel[0][63];
    }
    std::printf("pads %s, %lld blocks, last sum %g\n", argv[1], static_cast<long long>(blocks),
                static_cast<double>(check));
    return 0;
}
