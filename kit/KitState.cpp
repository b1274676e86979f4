// The Kit's state: its whole kit as a snapshot, loaded at once, and as the
// versioned bytes a host keeps ('CURR', 'KNAM', 'VALS', 'PADN' records),
// read and checked whole before anything changes.
#include "kit/KitInstrument.h"

#include <cstring>

#include "common/FloatingPointGuard.h"
#include "kit/FactoryKits.h"
#include "synth/StateReader.h"
#include "synth/StateWriter.h"

namespace tamrik::kit {

std::vector<uint8_t> KitInstrument::saveState() const {
    StateWriter out(kUniqueId, kStateVersion);
    out.begin("CURR");
    out.u32(uint32_t(current.get()));
    out.end();
    out.begin("KNAM");
    out.text(kitName_.get());
    out.end();
    out.begin("VALS");
    out.u32(kKitParameters);
    for (int32_t i = 0; i < kKitParameters; ++i) out.f32(getParameter(i));
    out.end();
    for (int32_t p = 0; p < kPads; ++p) {
        out.begin("PADN");
        out.u32(uint32_t(p));
        out.text(padNames[p].get());
        out.end();
    }
    return out.finish();
}

KitSnapshot KitInstrument::snapshot() const {
    KitSnapshot kit;
    kit.name = kitName_.get();
    for (int32_t p = 0; p < kPads; ++p) kit.padNames[size_t(p)] = padNames[p].get();
    for (int32_t i = 0; i < kKitParameters; ++i) kit.values[size_t(i)] = getParameter(i);
    return kit;
}

void KitInstrument::load(const KitSnapshot& kit) {
    const FloatingPointGuard fp;
    for (int32_t index : kKitLoadOrder) setParameter(index, kit.values[size_t(index)]);
    for (int32_t p = 0; p < kPads; ++p) padNames[p].set(kit.padNames[size_t(p)]);
    kitName_.set(kit.name);
}

bool KitInstrument::loadState(const uint8_t* data, size_t size) {
    StateReader in(data, size, kUniqueId);
    if (!in.valid()) return false;
    // Everything is read and checked before anything changes.
    uint32_t program = 0;
    auto kit = std::make_unique<KitSnapshot>();
    bool haveValues = false, haveName = false;
    uint32_t namedPads = 0;
    char tag[5];
    while (in.next(tag)) {
        if (std::strcmp(tag, "CURR") == 0) {
            in.u32(program);
        } else if (std::strcmp(tag, "KNAM") == 0) {
            haveName = in.text(kit->name, SharedName::kCapacity - 1);
        } else if (std::strcmp(tag, "VALS") == 0) {
            uint32_t count = 0;
            if (!in.u32(count) || count < uint32_t(kKitParameters)) return false;
            for (float& v : kit->values) in.f32(v);
            haveValues = true;
        } else if (std::strcmp(tag, "PADN") == 0) {
            uint32_t p = 0;
            if (!in.u32(p) || p >= uint32_t(kPads)) return false;
            if (in.text(kit->padNames[p], SharedName::kCapacity - 1)) namedPads |= 1u << p;
        }
        if (!in.ok()) return false;
    }
    if (!in.ok() || !haveValues || !haveName || namedPads != (1u << kPads) - 1 ||
        program >= uint32_t(kFactoryKitCount))
        return false;
    current.set(int32_t(program));
    load(*kit);
    return true;
}

}  // namespace tamrik::kit
