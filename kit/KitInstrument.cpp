#include "kit/KitInstrument.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/FloatingPointGuard.h"
#include "common/StringCopy.h"
#include "kit/FactoryKits.h"
#include "synth/ParameterText.h"
#include "synth/StateReader.h"
#include "synth/StateWriter.h"

namespace tamrik::kit {

namespace {

constexpr InstrumentIdentity kIdentity = {"DrumTamrik Kit", "Quenmar", "DrumTamrik Kit",
                                          KitInstrument::kUniqueId, 1, true};

constexpr const char* kSettingNames[kPadSettings] = {"Key",    "Pitch", "Level",    "Pan",
                                                     "Output", "Choke", "Velocity", "Mute"};
// Short enough that "16 " and the name fit a host's 8-byte name buffer.
constexpr const char* kShortNames[kPadStride] = {
    "A",    "H",    "R",    "Crv", "Cut", "Q",    "Type", "Env",  "Wav1", "Wav2",
    "Wgt",  "W1T",  "W2T",  "W1S", "W2S", "Mix",  "Ring", "FM",   "Vol",  "Clip",
    "Mult", "Oct",  "Key",  "Ptch", "Lvl", "Pan", "Out",  "Chok", "Vel",  "Mute"};

void noteText(int32_t note, char* text, size_t size) { copyString(text, noteLabel(note).c_str(), size); }

// A gain in decibels with one decimal, whatever the locale.
void decibelText(double gain, char* text, size_t size) {
    if (!(gain > 0.0)) return copyString(text, "-inf dB", size);
    char buffer[32];
    const double db = 20.0 * std::log10(gain);
    auto result = std::to_chars(buffer, buffer + 24, std::abs(db) < 0.05 ? 0.0 : db,
                                std::chars_format::fixed, 1);
    std::memcpy(result.ptr, "dB", 3);
    copyString(text, buffer, size);
}

// out[i] = float(out[i] + double(mono[i]) * gain). A gain of exactly 1 is a
// single addition: the double sum of two singles rounds to their single sum.
void addScaled(float* out, const float* mono, float gain, int32_t n) {
    int32_t i = 0;
    if (gain == 1.0f) {
#if defined(__SSE2__)
        for (; i + 8 <= n; i += 8) {
            _mm_storeu_ps(out + i, _mm_add_ps(_mm_loadu_ps(out + i), _mm_loadu_ps(mono + i)));
            _mm_storeu_ps(out + i + 4, _mm_add_ps(_mm_loadu_ps(out + i + 4), _mm_loadu_ps(mono + i + 4)));
        }
#endif
        for (; i < n; ++i) out[i] = out[i] + mono[i];
        return;
    }
    const double g = gain;
#if defined(__SSE2__)
    const __m128d scale = _mm_set1_pd(g);
    const auto mix = [&](__m128 o, __m128 m) {
        return _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(o), _mm_mul_pd(_mm_cvtps_pd(m), scale)));
    };
    for (; i + 4 <= n; i += 4) {
        const __m128 o = _mm_loadu_ps(out + i), m = _mm_loadu_ps(mono + i);
        _mm_storeu_ps(out + i, _mm_movelh_ps(mix(o, m), mix(_mm_movehl_ps(o, o), _mm_movehl_ps(m, m))));
    }
#endif
    for (; i < n; ++i) out[i] = static_cast<float>(out[i] + static_cast<double>(mono[i]) * g);
}

// A pad at gain 1 on both channels: left, then right, each out[i] + mono[i]
// as addScaled gives it (the two may be one buffer).
void addBoth(float* left, float* right, const float* mono, int32_t n) {
    int32_t i = 0;
#if defined(__SSE2__)
    const auto at = [](const float* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(float);
    if (at(left) >= at(right) + bytes || at(right) >= at(left) + bytes) {
        for (; i + 4 <= n; i += 4) {
            const __m128 m = _mm_loadu_ps(mono + i);
            _mm_storeu_ps(left + i, _mm_add_ps(_mm_loadu_ps(left + i), m));
            _mm_storeu_ps(right + i, _mm_add_ps(_mm_loadu_ps(right + i), m));
        }
        for (; i < n; ++i) {
            left[i] = left[i] + mono[i];
            right[i] = right[i] + mono[i];
        }
        return;
    }
#endif
    addScaled(left, mono, 1.0f, n);
    addScaled(right, mono, 1.0f, n);
}

// True when any two of the channels are one buffer or lie apart over n
// samples: then adding to them chunk by chunk gives each sample its adds in
// the order that adding whole channels one after the other gives.
bool apartOrSame(const float* const* channels, int32_t count, int32_t n) {
    const auto at = [](const float* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(float);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t j = 0; j < i; ++j) {
            const uintptr_t a = at(channels[i]), b = at(channels[j]);
            if (a != b && a < b + bytes && b < a + bytes) return false;
        }
    return true;
}

float clampUnit(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float padSettingDefault(int32_t pad, int32_t setting) {
    switch (setting) {
        case kKey: return valueOfStep(kDefaultKeys[size_t(pad)], 127);
        case kPitch: return valueOfStep(kDefaultPitch, 127);
        case kChoke: return valueOfStep(kDefaultChokeGroups[size_t(pad)], kChokeGroups);
        case kLevel: case kPan: return 0.5f;
        case kVelocity: return 1.0f;
        default: return 0.0f;  // Output Main, Mute off
    }
}

}  // namespace

KitInstrument::KitInstrument(InstructionSet path)
    : pads(KitPad::all(path)),
      mono(std::make_unique<float[][kPiece]>(kPads)),
      lanes(std::make_unique<SharedLanes>()) {
    const FloatingPointGuard fp;
    // One draw of noise for the whole instance, as a single-sound instance.
    for (int32_t p = 0; p < kPads; ++p) pads[p].initEngine(p == 0);
    loadFactoryKit(0);
}

const InstrumentIdentity& KitInstrument::identity() const { return kIdentity; }

int32_t KitInstrument::programCount() const { return kFactoryKitCount; }

void KitInstrument::outputName(int32_t c, char* text, size_t size) const {
    if (c < 0 || c >= kOutputChannels) return copyString(text, "", size);
    char buffer[16];
    const char* side = c % 2 == 0 ? "L" : "R";
    if (c < 2)
        std::snprintf(buffer, sizeof buffer, "Main %s", side);
    else
        std::snprintf(buffer, sizeof buffer, "Aux %d %s", static_cast<int>(c / 2), side);
    copyString(text, buffer, size);
}

float KitInstrument::parameterDefault(int32_t index) const {
    if (!isKitParameter(index)) return 0.0f;
    if (index == kChannelIndex) return 0.0f;
    if (index == kVolumeIndex) return 0.5f;
    const int32_t slot = slotOf(index);
    return slot < kSoundParameters ? kParameterTable[slot].defaultValue
                                   : padSettingDefault(padOf(index), slot - kSoundParameters);
}

int32_t KitInstrument::parameterSteps(int32_t index) const {
    if (!isKitParameter(index)) return 0;
    if (index == kChannelIndex) return 16;
    if (index == kVolumeIndex) return 0;
    const int32_t slot = slotOf(index);
    if (slot < kSoundParameters) {
        const ParameterInfo& p = kParameterTable[slot];
        return p.kind == ControlKind::List || p.kind == ControlKind::CheckBox ? controlScale(p).steps : 0;
    }
    switch (slot - kSoundParameters) {
        case kKey: case kPitch: return 127;
        case kOutput: return kAuxPairs;
        case kChoke: return kChokeGroups;
        case kMute: return 1;
        default: return 0;
    }
}

void KitInstrument::parameterShortName(int32_t index, char* text, size_t size) const {
    if (!isKitParameter(index)) return copyString(text, "", size);
    if (index == kChannelIndex) return copyString(text, "Channel", size);
    if (index == kVolumeIndex) return copyString(text, "Volume", size);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d %s", static_cast<int>(padOf(index) + 1),
                  kShortNames[slotOf(index)]);
    copyString(text, buffer, size);
}

void KitInstrument::parameterName(int32_t index, char* text, size_t size) const {
    if (!isKitParameter(index)) return copyString(text, "", size);
    if (index == kChannelIndex) return copyString(text, "MIDI Channel", size);
    if (index == kVolumeIndex) return copyString(text, "Master Volume", size);
    const int32_t slot = slotOf(index);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Pad %d %s", static_cast<int>(padOf(index) + 1),
                  slot < kSoundParameters ? kParameterTable[slot].name
                                          : kSettingNames[slot - kSoundParameters]);
    copyString(text, buffer, size);
}

void KitInstrument::parameterLabel(int32_t index, char* text, size_t size) const {
    const bool sound = isKitParameter(index) && index < kChannelIndex && slotOf(index) < kSoundParameters;
    copyString(text, sound ? "/1" : "", size);
}

void KitInstrument::choiceName(int32_t index, int32_t k, char* text, size_t size) const {
    const int32_t steps = parameterSteps(index);
    if (steps == 0 || k < 0 || k > steps) return copyString(text, "", size);
    const int32_t slot = index < kChannelIndex ? slotOf(index) : -1;
    if (slot >= 0 && slot < kSoundParameters) {
        const ParameterInfo& p = kParameterTable[slot];
        return copyString(text, p.kind == ControlKind::List ? p.captions[size_t(k)] : k == 0 ? "Off" : "On", size);
    }
    // The pad's settings and the channel read as their displays do.
    char buffer[32];
    const float v = valueOfStep(k, steps);
    if (index == kChannelIndex) {
        if (k == 0) return copyString(text, "Omni", size);
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(channelOf(v)));
        return copyString(text, buffer, size);
    }
    switch (slot - kSoundParameters) {
        case kKey: case kPitch: return noteText(noteOf(v), text, size);
        case kOutput:
            if (k == 0) return copyString(text, "Main", size);
            std::snprintf(buffer, sizeof buffer, "Aux %d", static_cast<int>(k));
            return copyString(text, buffer, size);
        case kChoke:
            if (k == 0) return copyString(text, "None", size);
            std::snprintf(buffer, sizeof buffer, "Group %d", static_cast<int>(k));
            return copyString(text, buffer, size);
        default:
            return copyString(text, k == 0 ? "Off" : "On", size);
    }
}

int32_t KitInstrument::parameterGroup(int32_t index) const {
    if (!isKitParameter(index)) return -1;
    return index < kChannelIndex ? padOf(index) : kPads;
}

void KitInstrument::groupName(int32_t group, char* text, size_t size) const {
    if (group < 0 || group >= kGroupCount) return copyString(text, "", size);
    if (group == kPads) return copyString(text, "Kit", size);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "Pad %d", static_cast<int>(group + 1));
    copyString(text, buffer, size);
}

void KitInstrument::setParameter(int32_t index, float value) {
    // As DrumTamrik: NaN and infinities change nothing.
    if (!isKitParameter(index) || !std::isfinite(value)) return;
    const FloatingPointGuard fp;
    if (index == kChannelIndex)
        channel.set(value);
    else if (index == kVolumeIndex)
        volume.set(value);
    else
        pads[padOf(index)].set(slotOf(index), value);
}

float KitInstrument::getParameter(int32_t index) const {
    if (!isKitParameter(index)) return 0.0f;
    if (index == kChannelIndex) return channel.get();
    if (index == kVolumeIndex) return volume.get();
    return pads[padOf(index)].get(slotOf(index));
}

void KitInstrument::parameterDisplay(int32_t index, char* text, size_t size) const {
    valueDisplay(index, getParameter(index), text, size);
}

void KitInstrument::valueDisplay(int32_t index, float v, char* text, size_t size) const {
    if (!isKitParameter(index)) return copyString(text, "", size);
    char buffer[32];
    if (index == kChannelIndex) {
        const int32_t c = channelOf(v);
        if (c == 0) return copyString(text, "Omni", size);
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(c));
        return copyString(text, buffer, size);
    }
    if (index == kVolumeIndex) return decibelText(levelGain(clampUnit(v)), text, size);
    const int32_t slot = slotOf(index);
    if (slot < kSoundParameters) return formatParameterValue(v, text, size);
    switch (slot - kSoundParameters) {
        case kKey: case kPitch: return noteText(noteOf(v), text, size);
        case kLevel: return decibelText(levelGain(clampUnit(v)), text, size);
        case kPan: {
            const int32_t percent = roundEven((0.5 - static_cast<double>(clampUnit(v))) * 200.0);
            if (percent == 0) return copyString(text, "C", size);
            std::snprintf(buffer, sizeof buffer, "%s%d", percent > 0 ? "L" : "R",
                          static_cast<int>(std::abs(percent)));
            return copyString(text, buffer, size);
        }
        case kOutput: {
            const int32_t o = eighthOf(v);
            if (o == 0) return copyString(text, "Main", size);
            std::snprintf(buffer, sizeof buffer, "Aux %d", static_cast<int>(o));
            return copyString(text, buffer, size);
        }
        case kChoke: {
            const int32_t g = eighthOf(v);
            if (g == 0) return copyString(text, "None", size);
            std::snprintf(buffer, sizeof buffer, "Group %d", static_cast<int>(g));
            return copyString(text, buffer, size);
        }
        case kVelocity:
            std::snprintf(buffer, sizeof buffer, "%d%%",
                          static_cast<int>(roundEven(static_cast<double>(clampUnit(v)) * 100.0)));
            return copyString(text, buffer, size);
        default:
            return copyString(text, switchOn(v) ? "On" : "Off", size);
    }
}

void KitInstrument::loadFactoryKit(int32_t k) { load(factoryKitSnapshot(k)); }

void KitInstrument::setProgram(int32_t program) {
    if (program < 0 || program >= kFactoryKitCount || program == current.get()) return;
    const FloatingPointGuard fp;
    current.set(program);
    loadFactoryKit(program);
}

void KitInstrument::programName(int32_t program, char* text, size_t size) const {
    if (program < 0 || program >= kFactoryKitCount) return copyString(text, "", size);
    if (program == current.get()) return copyString(text, kitName_.get().c_str(), size);
    copyString(text, std::string(kFactoryKits[size_t(program)].name).c_str(), size);
}

void KitInstrument::setProgramName(const char* name) {
    if (name) kitName_.set(name);
}

std::string KitInstrument::padName(int32_t pad) const {
    return pad >= 0 && pad < kPads ? padNames[pad].get() : std::string();
}

void KitInstrument::setPadName(int32_t pad, const char* name) {
    if (pad >= 0 && pad < kPads && name) padNames[pad].set(name);
}

void KitInstrument::setSampleRate(float sampleRate) {
    const FloatingPointGuard fp;
    rate.set(sampleRate);
    for (int32_t p = 0; p < kPads; ++p) pads[p].setSampleRate(sampleRate);
}

void KitInstrument::receiveMidi(const uint8_t* bytes, size_t size, int32_t frame) {
    if (!bytes || size < 3) return;
    const int32_t listen = channelOf(channel.get());
    if (listen != 0 && (bytes[0] & 0x0F) != listen - 1) return;
    const int32_t status = bytes[0] & 0xF0;
    if (status == 0xB0 && bytes[1] == 126) return allSoundOff();
    if (status != 0x90) return;  // note-offs and the rest: as DrumTamrik, ignored
    const int32_t note = bytes[1] & 0x7F;
    const uint32_t seen = lastNote_.load(std::memory_order_relaxed);
    lastNote_.store(((seen >> 7) + 1) << 7 | uint32_t(note), std::memory_order_relaxed);
    uint32_t hit = 0;
    for (int32_t p = 0; p < kPads; ++p)
        if (pads[p].key() == note && !pads[p].muted()) hit |= 1u << p;
    strike(hit, bytes[2] & 0x7F, frame);
}

void KitInstrument::allSoundOff() {
    for (int32_t p = 0; p < kPads; ++p) pads[p].allSoundOff();
}

void KitInstrument::strike(uint32_t hit, int32_t velocity, int32_t frame) {
    if (hit == 0) return;
    uint32_t groups = 0;
    for (int32_t p = 0; p < kPads; ++p)
        if (hit >> p & 1) {
            if (const int32_t g = pads[p].choke()) groups |= 1u << g;
            hits[p].store(hits[p].load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        }
    const FloatingPointGuard fp;
    const int32_t at = std::max(frame, 0);
    ++serial;
    // The rest of each struck pad's group fades; pads struck by this very
    // note never choke one another.
    if (groups)
        for (int32_t p = 0; p < kPads; ++p)
            if (!(hit >> p & 1) && (groups >> pads[p].choke() & 1) && pads[p].choke())
                pads[p].choke(at, serial);
    for (int32_t p = 0; p < kPads; ++p)
        if (hit >> p & 1) pads[p].play(velocity, at, serial);
    awake |= hit;
}

void KitInstrument::audition(int32_t pad) {
    if (pad >= 0 && pad < kPads) auditions.fetch_or(1u << pad, std::memory_order_relaxed);
}

uint32_t KitInstrument::hitCount(int32_t pad) const {
    return pad >= 0 && pad < kPads ? hits[pad].load(std::memory_order_relaxed) : 0;
}

void KitInstrument::padName(int32_t pad, char* text, size_t size) const {
    copyString(text, padName(pad).c_str(), size);
}

void KitInstrument::kitName(char* text, size_t size) const { copyString(text, kitName_.get().c_str(), size); }

void KitInstrument::chokeKey(int32_t key, int32_t midiChannel, int32_t frame) {
    if (key < -1 || key > 127 || midiChannel < -1 || midiChannel > 15) return;
    const int32_t listen = channelOf(channel.get());
    if (listen != 0 && midiChannel >= 0 && midiChannel != listen - 1) return;
    const int32_t at = std::max(frame, 0);
    ++serial;  // what is struck later in the block is not part of it
    for (int32_t p = 0; p < kPads; ++p)
        if (key < 0 || pads[p].key() == key) pads[p].choke(at, serial);
}

bool KitInstrument::sounding() const {
    for (int32_t p = 0; p < kPads; ++p)
        if (!pads[p].idle()) return true;
    return false;
}

void KitInstrument::render(float* const* outputs, int32_t frames) {
    if (frames <= 0 || !outputs) return;
    // Muted pads stay silent when auditioned, as when their key is played.
    // A plain load first: an idle block pays no exchange.
    if (auditions.load(std::memory_order_relaxed) != 0) {
        const uint32_t wanted = auditions.exchange(0, std::memory_order_relaxed);
        uint32_t audible = 0;
        for (int32_t p = 0; p < kPads; ++p)
            if (wanted >> p & 1 && !pads[p].muted()) audible |= 1u << p;
        strike(audible, 127, 0);
    }
    if (awake == 0) return;  // nothing to add: no arithmetic, so no guard
    int32_t active[kPads], count = 0;
    for (uint32_t rest = awake; rest != 0; rest &= rest - 1) {
        const int32_t p = std::countr_zero(rest);
        if (pads[p].idle())
            awake &= ~(1u << p);
        else
            active[count++] = p;
    }
    if (count == 0) return;
    const FloatingPointGuard fp;
    const double master = levelGain(clampUnit(volume.get()));
    const int32_t fadeLength = roundEven(static_cast<double>(rate.get()) * kChokeFadeSeconds);
    // Each active pad's gain per channel for the block, rounded once;
    // exactly 1 at the defaults, so a lone pad passes through bit for bit.
    float gains[kPads][2];
    bool muted[kPads];
    DrumVoices* engines[kPads];
    // When every pad plays into both channels of its pair as it is, the
    // pads' sums can skip their own channels and go straight to the pairs.
    float *lefts[kPads], *rights[kPads];
    const float* channels[kOutputChannels];
    int32_t channelCount = 0;
    uint32_t usedPairs = 0;
    bool plain = true;
    for (int32_t k = 0; k < count; ++k) {
        const KitPad& pad = pads[active[k]];
        const double level = levelGain(clampUnit(pad.get(kSoundParameters + kLevel)));
        const float pan = clampUnit(pad.get(kSoundParameters + kPan));
        gains[k][0] = static_cast<float>(level * panLeft(pan) * master);
        gains[k][1] = static_cast<float>(level * panRight(pan) * master);
        muted[k] = pad.muted();
        engines[k] = &pads[active[k]].engine();
        const int32_t pair = pad.output();
        lefts[k] = outputs[2 * pair];
        rights[k] = outputs[2 * pair + 1];
        plain = plain && !muted[k] && lefts[k] && rights[k] && gains[k][0] == 1.0f &&
                gains[k][1] == 1.0f;
        if (plain && !(usedPairs >> pair & 1)) {
            usedPairs |= 1u << pair;
            channels[channelCount++] = lefts[k];
            channels[channelCount++] = rights[k];
        }
    }
    plain = plain && apartOrSame(channels, channelCount, frames);
    for (int32_t from = 0; from < frames; from += kPiece) {
        const int32_t n = std::min(kPiece, frames - from);
        float* spans[kPads];
        bool rendered[kPads] = {};  // since the pad's last event
        bool direct = false;
        // Every pad's voices together, in spans cut at every pad's events:
        // a voice rendered in pieces gives the same samples.
        for (int32_t done = 0; done < n;) {
            int32_t cut = n;
            bool fading = false;
            for (int32_t k = 0; k < count; ++k) {
                KitPad& pad = pads[active[k]];
                if (pad.nextEvent() - from <= done) {
                    if (rendered[k]) pad.endSpan();
                    rendered[k] = false;
                    pad.applyEvents(from + done, fadeLength);
                }
                cut = std::min(cut, pad.nextEvent() - from);
                fading = fading || pad.fades();
            }
            // One span with nothing to fade: each pad's sum goes to its pair
            // as it would from its own channel, pads in order.
            direct = plain && done == 0 && cut == n && !fading;
            if (direct) {
                float *left[kPads], *right[kPads];
                for (int32_t k = 0; k < count; ++k) {
                    left[k] = lefts[k] + from;
                    right[k] = rights[k] + from;
                }
                lanes->render(engines, left, count, n, right);
            } else {
                for (int32_t k = 0; k < count; ++k) {
                    spans[k] = mono[k] + done;
                    std::fill(spans[k], spans[k] + (cut - done), 0.0f);
                }
                lanes->render(engines, spans, count, cut - done);
                for (int32_t k = 0; k < count; ++k) pads[active[k]].fade(spans[k], cut - done);
            }
            for (int32_t k = 0; k < count; ++k) rendered[k] = true;
            done = cut;
        }
        // Pads are summed in pad order.
        for (int32_t k = 0; k < count; ++k) {
            if (rendered[k]) pads[active[k]].endSpan();
            if (muted[k] || direct) continue;
            float* left = lefts[k];
            float* right = rights[k];
            if (left && right && gains[k][0] == 1.0f && gains[k][1] == 1.0f) {
                addBoth(left + from, right + from, mono[k], n);
                continue;
            }
            if (left) addScaled(left + from, mono[k], gains[k][0], n);
            if (right) addScaled(right + from, mono[k], gains[k][1], n);
        }
    }
    // A pad that falls silent leaves `awake` at the start of the next block.
    for (int32_t k = 0; k < count; ++k) pads[active[k]].endBlock(frames);
}

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
    // Each pad's sound in the order programs load, CutOff before Env and
    // the sweep times before their scales, then the pads' own settings.
    for (int32_t p = 0; p < kPads; ++p)
        for (int32_t i : kProgramLoadOrder) setParameter(padIndex(p, i), kit.values[size_t(padIndex(p, i))]);
    for (int32_t p = 0; p < kPads; ++p)
        for (int32_t s = kSoundParameters; s < kPadStride; ++s)
            setParameter(padIndex(p, s), kit.values[size_t(padIndex(p, s))]);
    setParameter(kChannelIndex, kit.values[kChannelIndex]);
    setParameter(kVolumeIndex, kit.values[kVolumeIndex]);
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
