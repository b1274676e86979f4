// The instruction-set paths the engine renders on, and which of them this
// CPU runs. Whoever makes an engine chooses its path (a plug-in's creation
// point, a tool, a test); the engine itself reads no environment.
#pragma once

namespace tamrik {

// Narrowest first: a path runs on every CPU that runs a later one.
enum class InstructionSet { scalar, sse2, avx2, avx512 };
inline constexpr InstructionSet kInstructionSets[] = {
    InstructionSet::scalar, InstructionSet::sse2, InstructionSet::avx2, InstructionSet::avx512};

// The widest path built in that this CPU runs, with the operating system's
// support for its registers.
InstructionSet bestInstructionSet();

// `path`, or the best this CPU runs where it runs no wider.
InstructionSet runnable(InstructionSet path);

// The path called "scalar", "sse2", "avx2" or "avx512"; an unknown name or
// nil gives `otherwise`. Never a path this CPU cannot run.
InstructionSet instructionSetNamed(const char* name, InstructionSet otherwise);

// The name instructionSetNamed reads.
constexpr const char* nameOf(InstructionSet path) {
    switch (path) {
        case InstructionSet::scalar: return "scalar";
        case InstructionSet::sse2: return "sse2";
        case InstructionSet::avx2: return "avx2";
        case InstructionSet::avx512: return "avx512";
    }
    return "";
}

}  // namespace tamrik
