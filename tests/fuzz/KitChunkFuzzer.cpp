// Fuzz target "kit_chunk": DrumTamrik Kit's state loader on any bytes. Odd
// first bytes hand the rest over as they come (the checks on length, id and
// checksum); even ones wrap the rest in a valid header and checksum, so the
// records themselves get fuzzed. A refused state must change nothing; an
// accepted one must save and load again to the same bytes; the kit must
// then play without fault.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "kit/KitInstrument.h"
#include "synth/StateWriter.h"

using tamrik::kit::KitInstrument;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "kit_chunk: %s\n", what);
    std::abort();
}

std::vector<uint8_t> wrapped(const uint8_t* body, size_t size) {
    std::vector<uint8_t> bytes = {'T', 'm', 'K', 't', 1, 0, 0, 0};
    for (int k = 0; k < 4; ++k) bytes.push_back(uint8_t(size >> (8 * k)));
    bytes.insert(bytes.end(), body, body + size);
    const uint32_t crc = tamrik::crc32(bytes.data(), bytes.size());
    for (int k = 0; k < 4; ++k) bytes.push_back(uint8_t(crc >> (8 * k)));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static KitInstrument* const kit = new KitInstrument;  // one draw of noise for the whole run
    if (size == 0) return 0;
    const std::vector<uint8_t> bytes =
        data[0] & 1 ? std::vector<uint8_t>(data + 1, data + size) : wrapped(data + 1, size - 1);
    const std::vector<uint8_t> before = kit->saveState();
    if (!kit->loadState(bytes.data(), bytes.size())) {
        if (kit->saveState() != before) fail("a refused state changed the kit");
        return 0;
    }
    const std::vector<uint8_t> saved = kit->saveState();
    if (!kit->loadState(saved.data(), saved.size())) fail("our own state refused");
    if (kit->saveState() != saved) fail("save, load, save: different bytes");
    static float channels[tamrik::kit::kOutputChannels][64];
    float* outputs[tamrik::kit::kOutputChannels];
    for (int c = 0; c < tamrik::kit::kOutputChannels; ++c) outputs[c] = channels[c];
    for (int key = 35; key < 60; key += 3) {
        const uint8_t on[3] = {0x90, uint8_t(key), 100};
        kit->receiveMidi(on, 3, key % 64);
    }
    kit->render(outputs, 64);
    const uint8_t off[3] = {0xB0, 126, 0};
    kit->receiveMidi(off, 3, 0);
    return 0;
}
