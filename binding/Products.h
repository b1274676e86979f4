// The instruments this project ships, as every front end names and makes
// them: one row per product with what each format calls it (the VST 2 id,
// name and vendor are the instrument's own identity; the LV2 URI, the CLAP
// id and features, the VST 3 class id), its outputs, and how to make the
// instrument and find its kit controls. This file is the one place outside
// kit/ that knows the Kit's concrete class.
//
// Constants; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "kit/KitControls.h"
#include "synth/InstructionSet.h"
#include "synth/Instrument.h"

namespace tamrik::kit {
class KitInstrument;
}

namespace tamrik::binding {

// The identifiers hosts keep in their sessions: never to change.
inline constexpr char kDrumTamrikLv2Uri[] = "urn:quenmar:drum-tamrik";
inline constexpr char kDrumTamrikLv2UiUri[] = "urn:quenmar:drum-tamrik#ui";
inline constexpr char kDrumTamrikClapId[] = "com.quenmar.drum-tamrik";
inline constexpr char kKitLv2Uri[] = "urn:quenmar:drum-tamrik-kit";
inline constexpr char kKitLv2UiUri[] = "urn:quenmar:drum-tamrik-kit#ui";
inline constexpr char kKitClapId[] = "com.quenmar.drum-tamrik-kit";

// Which panel a product's editor shows (binding/Panels.h makes it).
enum class PanelKind { Sound, Kit };

struct Product {
    const InstrumentIdentity& identity;
    const char* description;
    const char* lv2Uri;
    const char* lv2UiUri;
    const char* clapId;
    const char** clapFeatures;  // nullptr-terminated (the CLAP record takes them so)
    // The VST 3 class id as its 32 hex digits read, first byte first (the
    // order of the format's non-Windows builds; its Windows builds reorder
    // the first eight bytes, as vst3/Vst3Factory does); never to change once
    // published.
    std::array<uint8_t, 16> vst3ClassId;
    int32_t parameterCount;
    int32_t outputChannels;
    PanelKind panel;
    std::unique_ptr<Instrument> (*make)(InstructionSet path);
};

inline constexpr size_t kProductCount = 2;

const Product& drumTamrik();
const Product& drumTamrikKit();
std::span<const Product* const, kProductCount> products();
// nullptr for an id the table does not hold (or nullptr).
const Product* productWithClapId(const char* id);
const Product* productWithLv2Uri(const char* uri);
// The product whose instrument this is, by its identity.
const Product* productOf(const Instrument& instrument);

// A new instance of the product's instrument, on the widest instruction-set
// path the CPU runs unless TAMRIK_ISA names a narrower one ("scalar",
// "sse2", "avx2", "avx512"; read at each instance's making, here and
// nowhere else in a plug-in). Throws std::bad_alloc.
std::unique_ptr<Instrument> makeInstrument(const Product& product);
std::unique_ptr<Instrument> makeInstrument(const Product& product, InstructionSet path);
// The kit controls (names, auditions, hits) an instrument has for its
// panel; nullptr for one that has none.
kit::KitControls* kitControlsOf(Instrument& instrument);
// The Kit behind an instrument, for what needs the whole kit (its export);
// nullptr for any other instrument.
const kit::KitInstrument* kitInstrumentOf(const Instrument& instrument);

}  // namespace tamrik::binding
