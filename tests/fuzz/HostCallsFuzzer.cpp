// Fuzz target "host_calls": the input becomes a sequence of host calls on one
// instance, made through its record as a host makes them: any dispatcher
// opcode with hostile index, value and opt; every pointer a buffer of the
// size hosts provide, ending at a guard page, or nil; event blocks with odd
// counts, types, sizes and delta frames; audio calls of -N to 4096 frames;
// sample rates from 0 to 1e9 and NaN. It checks that strings stay inside
// their buffers and end in one, and, while every parameter is within 0..1
// and the rate within 8 to 384 kHz, that every output sample is finite.
//
// Forms open on the offscreen backend: effEditOpen's pointer is made up, and
// a real display would only answer a bogus window with an error.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "FuzzInput.h"
#include "GuardedBuffer.h"
#include "vst/GrEditor.h"
#include "synth/DrumTamrikInstrument.h"
#include "vst/AVstXSynth.h"
#include "toolkit/OffscreenBackend.h"

using namespace vst;
using tamrik::fuzz::FuzzInput;
using tamrik::fuzz::GuardedBuffer;

namespace {

constexpr int32_t kMaxFrames = 4096;
constexpr int32_t kMaxEvents = 64;
constexpr size_t kEventSize = sizeof(VstMidiEvent);
constexpr size_t kOpaqueSize = 256;  // records the instrument does not read
constexpr size_t kInputTextMost = 40;

[[noreturn]] void fail(const char* what, int32_t opcode) {
    std::fprintf(stderr, "host_calls: %s (opcode %d)\n", what, static_cast<int>(opcode));
    std::abort();
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "host_calls: %s\n", what);
    std::abort();
}

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::unique_ptr<tamrik::tk::Backend> offscreenBackend() {
    return std::make_unique<tamrik::tk::OffscreenBackend>();
}

enum class Use { None, TextOut, RecordOut, TextIn, DataIn, Opaque };

struct PointerUse {
    Use use;
    size_t size;
};

PointerUse pointerUse(int32_t opcode) {
    switch (opcode) {
        case effGetProgramName: case effGetProgramNameIndexed:
            return {Use::TextOut, kVstMaxProgNameLen};
        case effGetParamLabel: case effGetParamDisplay: case effGetParamName:
            return {Use::TextOut, kVstMaxParamStrLen};
        case effGetEffectName: return {Use::TextOut, kVstMaxEffectNameLen};
        case effGetVendorString: return {Use::TextOut, kVstMaxVendorStrLen};
        case effGetProductString: return {Use::TextOut, kVstMaxProductStrLen};
        case effGetErrorText: return {Use::TextOut, 256};
        case effGetInputProperties: case effGetOutputProperties:
            return {Use::RecordOut, sizeof(VstPinProperties)};
        case effEditGetRect: case effGetChunk: return {Use::RecordOut, sizeof(void*)};
        case effSetProgramName: case effString2Parameter: case effCanDo:
            return {Use::TextIn, kInputTextMost + 1};
        case effSetChunk: return {Use::DataIn, 0};
        case effOpen: case effClose: case effSetProgram: case effGetProgram: case effGetVu:
        case effSetSampleRate: case effSetBlockSize: case effMainsChanged: case effEditClose:
        case effEditIdle: case effIdentify: case effCanBeAutomated:
        case effGetNumProgramCategories: case effCopyProgram: case effConnectInput:
        case effConnectOutput: case effGetPlugCategory: case effGetCurrentPosition:
        case effGetDestinationBuffer: case effSetBlockSizeAndSampleRate: case effSetBypass:
        case effGetVendorVersion: case effGetTailSize: case effIdle: case effGetIcon:
        case effSetViewPosition: case effKeysRequired: case effGetVstVersion:
        case effEditKeyDown: case effEditKeyUp: case effSetEditKnobMode:
        case effHasMidiProgramsChanged: case effBeginSetProgram: case effEndSetProgram:
            return {Use::None, 0};
        default: return {Use::Opaque, kOpaqueSize};
    }
}

// Hosts send these; the hostile ones are made likely.
float hostValue(FuzzInput& in) {
    switch (in.byte() % 8) {
        case 0: return std::nanf("");
        case 1: return INFINITY;
        case 2: return -INFINITY;
        case 3: return in.take<float>();
        default: return static_cast<float>(in.take<uint16_t>()) / 65535.0f;
    }
}

float sampleRateValue(FuzzInput& in) {
    switch (in.byte() % 6) {
        case 0: return 0.0f;
        case 1: return std::nanf("");
        case 2: return 1e9f;
        case 3: return in.take<float>();
        default: return static_cast<float>(8000 + in.take<uint32_t>() % 376001);
    }
}

int32_t smallOrAny(FuzzInput& in, int32_t below) {
    return in.byte() % 4 == 0 ? in.take<int32_t>() : static_cast<int32_t>(in.below(below));
}

class Session {
public:
    explicit Session(FuzzInput& in) : in_(in) {
        auto* synth = new tamrik::AVstXSynth(
            hostCallback, std::make_unique<tamrik::DrumTamrikInstrument>(), tamrik::createGrEditor);
        effect_ = synth->getAeffect();
    }
    ~Session() { effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void run() {
        while (!in_.empty()) {
            const uint8_t op = in_.byte() % 16;
            if (op < 3) {
                if (!dispatch()) return;
            } else if (op < 7) {
                sendEvents();
            } else if (op < 12) {
                audio();
            } else if (op < 15) {
                effect_->setParameter(effect_, smallOrAny(in_, kMaxParameterIndex), hostValue(in_));
            } else {
                effect_->getParameter(effect_, smallOrAny(in_, kMaxParameterIndex));
            }
            if (!tamed()) wild_ = true;
        }
    }

private:
    static constexpr int32_t kMaxParameterIndex = 24;

    // Whether the instrument is in the state in which its output must be
    // finite. A voice started in a wild state may carry it on, so wildness
    // sticks for the rest of the session.
    bool tamed() const {
        if (!(rate_ >= 8000.0f && rate_ <= 384000.0f)) return false;
        for (int32_t i = 0; i < tamrik::kNumParameters; ++i) {
            const float v = effect_->getParameter(effect_, i);
            if (!(v >= 0.0f && v <= 1.0f)) return false;
        }
        return true;
    }

    // False once the sequence has closed the instance.
    bool dispatch() {
        const uint8_t pick = in_.byte();
        const int32_t opcode = pick < 240 ? pick % 80 : in_.take<int32_t>();
        if (opcode == effClose) return false;
        if (opcode == effProcessEvents) {
            sendEvents();
            return true;
        }
        const int32_t index = in_.byte() % 4 == 0 ? in_.take<int32_t>()
                                                   : static_cast<int32_t>(in_.below(48)) - 8;
        intptr_t value = in_.byte() % 4 == 0 ? in_.take<intptr_t>()
                                              : static_cast<intptr_t>(in_.below(48)) - 8;
        float opt = hostValue(in_);
        if (opcode == effSetSampleRate || opcode == effSetBlockSizeAndSampleRate) {
            opt = sampleRateValue(in_);
            rate_ = opt;
        }
        const PointerUse use = pointerUse(opcode);
        char* ptr = nullptr;
        const bool nil = use.use == Use::None || in_.byte() % 8 == 0;
        if (opcode == effEditOpen) {
            ptr = reinterpret_cast<char*>(in_.take<uintptr_t>());
        } else if (!nil) {
            ptr = preparePointer(use, value);
        }
        if (opcode == effSetSpeakerArrangement)
            value = nil ? 0 : reinterpret_cast<intptr_t>(opaque_.last(kOpaqueSize));
        const intptr_t answer = effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
        if (ptr && opcode != effEditOpen) checkPointer(opcode, use, ptr, answer);
        return true;
    }

    char* preparePointer(const PointerUse& use, intptr_t& value) {
        switch (use.use) {
            case Use::TextOut: case Use::RecordOut: {
                auto* p = static_cast<char*>(text_.last(use.size));
                std::memset(p, 0xA5, use.size);
                return p;
            }
            case Use::TextIn: {
                const auto text = in_.bytes(in_.below(kInputTextMost + 1));
                auto* p = static_cast<char*>(text_.last(text.size() + 1));
                if (!text.empty()) std::memcpy(p, text.data(), text.size());
                p[text.size()] = '\0';
                return p;
            }
            case Use::DataIn: {
                const auto data = in_.bytes(in_.below(512));
                auto* p = static_cast<char*>(text_.last(data.size()));
                if (!data.empty()) std::memcpy(p, data.data(), data.size());
                value = static_cast<intptr_t>(data.size());
                return p;
            }
            case Use::Opaque: {
                auto* p = static_cast<char*>(opaque_.last(kOpaqueSize));
                std::memset(p, 0, kOpaqueSize);
                return p;
            }
            case Use::None: break;
        }
        return nullptr;
    }

    void checkPointer(int32_t opcode, const PointerUse& use, const char* ptr, intptr_t answer) {
        if (use.use == Use::TextOut) {
            bool written = false;
            for (size_t i = 0; i < use.size; ++i) written |= ptr[i] != static_cast<char>(0xA5);
            if (written && !std::memchr(ptr, '\0', use.size)) fail("string without its end", opcode);
        }
        if (opcode == effEditGetRect && answer != 0) {
            const ERect* rect = nullptr;
            std::memcpy(&rect, ptr, sizeof rect);
            if (!rect) fail("a rectangle answered but not given", opcode);
            if (rect->bottom <= rect->top || rect->right <= rect->left) fail("an empty rectangle", opcode);
        }
    }

    void sendEvents() {
        int32_t count;
        switch (in_.byte() % 8) {
            case 0: count = in_.take<int32_t>() | INT32_MIN; break;
            case 1: count = 0; break;
            case 2:
                effect_->dispatcher(effect_, effProcessEvents, 0, 0, nullptr, 0.0f);
                return;
            default: count = static_cast<int32_t>(in_.below(kMaxEvents + 1)); break;
        }
        const size_t entries = count > 0 ? static_cast<size_t>(count) : 0;
        const size_t listAt = offsetof(VstEvents, events);
        auto* block = static_cast<char*>(lists_.last(listAt + entries * sizeof(void*)));
        std::memset(block, 0, listAt);
        std::memcpy(block, &count, sizeof count);
        auto* storage = static_cast<char*>(events_.last(entries * kEventSize));
        for (size_t i = 0; i < entries; ++i) {
            char* slot = storage + i * kEventSize;
            VstMidiEvent event{};
            event.byteSize = static_cast<int32_t>(kEventSize);
            const uint8_t kind = in_.byte();
            switch (kind % 8) {
                case 0: slot = nullptr; break;
                case 1: event.type = kVstSysExType; break;
                case 2: event.type = in_.take<int32_t>(); break;
                default: event.type = kVstMidiType; break;
            }
            if (in_.byte() % 8 == 0) event.byteSize = in_.take<int32_t>();
            event.deltaFrames = in_.byte() % 8 == 0 ? in_.take<int32_t>()
                                                     : static_cast<int32_t>(in_.below(kMaxFrames));
            static constexpr uint8_t kStatus[] = {0x90, 0x99, 0xB0, 0x80, 0xC0};
            const uint8_t statusPick = in_.byte();
            event.midiData[0] = static_cast<char>(statusPick < 160 ? kStatus[statusPick % 5] : statusPick);
            const uint8_t data1 = in_.byte();
            event.midiData[1] = static_cast<char>(event.midiData[0] == char(0xB0) && data1 < 64 ? 126 : data1);
            event.midiData[2] = static_cast<char>(in_.byte());
            event.midiData[3] = static_cast<char>(in_.byte());
            if (slot) std::memcpy(slot, &event, kEventSize);
            std::memcpy(block + listAt + i * sizeof(void*), &slot, sizeof slot);
        }
        effect_->dispatcher(effect_, effProcessEvents, 0, 0, block, 0.0f);
    }

    void audio() {
        const uint8_t how = in_.byte();
        int32_t frames;
        switch ((how >> 1) % 8) {
            case 0: frames = 0; break;
            case 1: frames = -static_cast<int32_t>(in_.below(kMaxFrames + 1)); break;
            case 2: frames = INT32_MIN; break;
            case 3: frames = kMaxFrames; break;
            default: frames = static_cast<int32_t>(in_.below(kMaxFrames + 1)); break;
        }
        const bool replacing = how & 1;
        const size_t n = static_cast<size_t>(frames > 0 ? frames : 0);
        auto* left = static_cast<float*>(left_.last(n * sizeof(float)));
        auto* right = static_cast<float*>(right_.last(n * sizeof(float)));
        // An accumulating host hands silence; a replacing one whatever was
        // there, here NaN, which must all be overwritten.
        const float fill = replacing ? std::nanf("") : 0.0f;
        std::fill(left, left + n, fill);
        std::fill(right, right + n, fill);
        float* channels[2] = {left, right};
        float** outputs = channels;
        switch (in_.byte() % 16) {
            case 0: outputs = nullptr; break;
            case 1: channels[in_.byte() & 1] = nullptr; break;
            default: break;
        }
        (replacing ? effect_->processReplacing : effect_->process)(effect_, nullptr, outputs, frames);
        if (wild_ || !outputs || !channels[0] || !channels[1] || !tamed()) return;
        for (size_t i = 0; i < n; ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                fail(replacing ? "a non-finite sample from processReplacing"
                               : "a non-finite sample from process");
    }

    FuzzInput& in_;
    AEffect* effect_ = nullptr;
    float rate_ = 44100.0f;
    bool wild_ = false;

    // Shared by every session: mapping pages per input would dominate the run.
    static inline GuardedBuffer text_{4096}, opaque_{kOpaqueSize},
        lists_{offsetof(VstEvents, events) + kMaxEvents * sizeof(void*)},
        events_{kMaxEvents * kEventSize}, left_{kMaxFrames * sizeof(float)},
        right_{kMaxFrames * sizeof(float)};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tamrik::GrEditor::setBackendFactory(offscreenBackend);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Session session(in);
    session.run();
    return 0;
}
