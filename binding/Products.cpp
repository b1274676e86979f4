#include "binding/Products.h"

#include <cstdlib>
#include <cstring>

#include "kit/KitInstrument.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/ParameterTable.h"

namespace tamrik::binding {

namespace {

const char* kDrumTamrikFeatures[] = {"instrument", "drum", "synthesizer", "stereo", nullptr};
const char* kKitFeatures[] = {"instrument", "drum-machine", "synthesizer", "stereo", nullptr};

std::unique_ptr<Instrument> makeDrumTamrik(InstructionSet path) { return std::make_unique<DrumTamrikInstrument>(path); }
std::unique_ptr<Instrument> makeKit(InstructionSet path) { return std::make_unique<kit::KitInstrument>(path); }

const Product kDrumTamrik = {
    DrumTamrikInstrument::kIdentity,
    "Drum Synth Tamrik: a synthesized drum sound on every note",
    kDrumTamrikLv2Uri,
    kDrumTamrikLv2UiUri,
    kDrumTamrikClapId,
    kDrumTamrikFeatures,
    // 97F62CCE-F94B4EA9-A5FEDDA5-5E1CE50E
    {0x97, 0xF6, 0x2C, 0xCE, 0xF9, 0x4B, 0x4E, 0xA9, 0xA5, 0xFE, 0xDD, 0xA5, 0x5E, 0x1C, 0xE5, 0x0E},
    kNumParameters,
    2,
    PanelKind::Sound,
    &makeDrumTamrik,
};

const Product kKit = {
    kit::KitInstrument::kIdentity,
    "Sixteen DrumTamrik sounds, each on its own key, pitch and output, with choke groups",
    kKitLv2Uri,
    kKitLv2UiUri,
    kKitClapId,
    kKitFeatures,
    // 185D3640-37194850-B13E2347-25AD0343
    {0x18, 0x5D, 0x36, 0x40, 0x37, 0x19, 0x48, 0x50, 0xB1, 0x3E, 0x23, 0x47, 0x25, 0xAD, 0x03, 0x43},
    kit::kKitParameters,
    kit::kOutputChannels,
    PanelKind::Kit,
    &makeKit,
};

constexpr const Product* kProducts[kProductCount] = {&kDrumTamrik, &kKit};

}  // namespace

const Product& drumTamrik() { return kDrumTamrik; }
const Product& drumTamrikKit() { return kKit; }
std::span<const Product* const, kProductCount> products() { return kProducts; }

const Product* productWithClapId(const char* id) {
    if (!id) return nullptr;
    for (const Product* p : kProducts)
        if (std::strcmp(p->clapId, id) == 0) return p;
    return nullptr;
}

const Product* productWithLv2Uri(const char* uri) {
    if (!uri) return nullptr;
    for (const Product* p : kProducts)
        if (std::strcmp(p->lv2Uri, uri) == 0) return p;
    return nullptr;
}

const Product* productOf(const Instrument& instrument) {
    for (const Product* p : kProducts)
        if (&p->identity == &instrument.identity()) return p;
    return nullptr;
}

std::unique_ptr<Instrument> makeInstrument(const Product& product) {
    return makeInstrument(product, instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet()));
}

std::unique_ptr<Instrument> makeInstrument(const Product& product, InstructionSet path) { return product.make(path); }

kit::KitControls* kitControlsOf(Instrument& instrument) { return dynamic_cast<kit::KitInstrument*>(&instrument); }

const kit::KitInstrument* kitInstrumentOf(const Instrument& instrument) {
    return dynamic_cast<const kit::KitInstrument*>(&instrument);
}

}  // namespace tamrik::binding
