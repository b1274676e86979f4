// The current kit as a folder of one-shots and an SFZ file that plays them:
// one 24-bit WAV per pad and velocity layer, each the pad's hit exactly as
// the Kit plays it (HitRenderer through KitInstrument::hitSetup), and
// "<kit name>.sfz" mapping them onto the pads' keys.
//
// What the SFZ holds, per pad that is not muted (muted pads play nothing in
// the Kit, so they are left out): a <group> on the pad's Key (lokey = hikey
// = pitch_keycenter), one-shot, played as recorded (amp_veltrack=0); for a
// pad in a choke group, group=N and off_by=N with the Kit's 5 ms fade
// (off_mode=time, off_time=0.005); a <region> per layer with its velocity
// range and the relative path of its WAV. The WAVs already hold each pad's
// Level x Pan and the kit's Volume, so there are no volume or pan opcodes.
// Pads that share a Key each get a group on it: every region on the key
// plays, as every pad on it does in the Kit. Two differences from the Kit
// remain: SFZ's off_by also ends a pad's own earlier hit (the Kit lets it
// ring), and every pad plays on the main outputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamrik::kit {

class KitInstrument;

class KitExport {
public:
    static inline const std::vector<int32_t> kDefaultVelocities = {127, 96, 64, 32};

    // A layer's velocities in the SFZ: each velocity plays the nearest layer
    // at or above it (the top one takes everything above it too).
    struct Layer {
        int32_t velocity, low, high;
    };
    // The layers, loudest first, for velocities 1..127 that are all
    // different; empty where they are not.
    static std::vector<Layer> layersOf(std::vector<int32_t> velocities);

    struct Result {
        std::string error;               // empty on success
        std::string sfz;                 // the SFZ file's path
        std::vector<std::string> files;  // every file written, the SFZ last
    };
    // Writes into `folder` (made where missing); a failure leaves none of
    // the files behind. Each hit at `rate` Hz, 0 for the kit's own rate. UI
    // thread or any other but the audio thread: it reads the kit as
    // hitSetup does.
    static Result write(const KitInstrument& kit, const std::string& folder,
                        const std::vector<int32_t>& velocities = kDefaultVelocities, float rate = 0.0f);

private:
    static Result writeAll(const KitInstrument& kit, const std::string& folder, const std::vector<int32_t>& velocities,
                           float rate);
};

}  // namespace tamrik::kit
