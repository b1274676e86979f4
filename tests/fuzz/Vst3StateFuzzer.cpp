// Fuzz target "vst3_state": a VST 3 instance of either product loading and
// saving its state through host streams that hand the bytes out in chunks
// of fuzzed sizes and now and then misbehave (an error, with or without
// bytes; a count beyond what was asked or below zero; an early end). The
// bytes are the fuzzer's own, or a state either product saved, cut short,
// with a byte changed or more appended. A refused state must leave the
// instance's state bytes as they were; an accepted one must save and load
// again to the same bytes; a saved state, whole and read through a stream
// that keeps to the rules, must be accepted in any chunking. Saving through
// a stream that takes fewer bytes per call, or fails, must either hand over
// the whole state or say it failed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "FuzzInput.h"
#include "binding/Products.h"
#include "vst3/Vst3Plugin.h"

using tamrik::fuzz::FuzzInput;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "vst3_state: %s\n", what);
    std::abort();
}

// A host's stream over `bytes` (reading) or into `written` (writing), each
// call's size and manners taken from the fuzzer's input.
struct FuzzStream {
    const void* table;
    FuzzInput* in;
    std::vector<uint8_t> bytes;
    size_t at = 0;
    std::vector<uint8_t> written;
    bool misbehaved = false;
};

struct StreamTable {
    v3_funknown unknown;
    v3_bstream stream;
};

FuzzStream& streamOf(void* self) { return *static_cast<FuzzStream*>(self); }

v3_result V3_API noInterface(void*, const v3_tuid, void** object) {
    *object = nullptr;
    return V3_NO_INTERFACE;
}
uint32_t V3_API one(void*) { return 1; }

// How much of `asked` one call moves: all of it, a few bytes or up to 5000.
size_t chunkOf(FuzzInput& in, size_t asked) {
    switch (in.byte() % 4) {
        case 0: return asked;
        case 1: return std::min<size_t>(asked, 1 + in.below(16));
        default: return std::min<size_t>(asked, 1 + in.below(5000));
    }
}

v3_result V3_API read(void* self, void* buffer, int32_t size, int32_t* done) {
    FuzzStream& s = streamOf(self);
    const size_t asked = size_t(std::max(size, 0));
    const size_t n = std::min(chunkOf(*s.in, asked), s.bytes.size() - s.at);
    std::copy_n(s.bytes.data() + s.at, n, static_cast<uint8_t*>(buffer));
    s.at += n;
    const uint8_t manners = s.in->byte();
    if (manners < 240 || !done) {
        if (done) *done = int32_t(n);
        return V3_OK;
    }
    s.misbehaved = true;
    switch (manners % 5) {
        case 0: *done = 0; return V3_INTERNAL_ERR;
        case 1: *done = int32_t(n); return V3_INTERNAL_ERR;
        case 2: *done = int32_t(asked) + 1 + int32_t(s.in->below(100)); return V3_OK;
        case 3: *done = -1 - int32_t(s.in->below(100)); return V3_OK;
        default: *done = 0; return V3_OK;  // the end, too soon
    }
}

v3_result V3_API write(void* self, void* buffer, int32_t size, int32_t* done) {
    FuzzStream& s = streamOf(self);
    const size_t n = chunkOf(*s.in, size_t(std::max(size, 0)));
    if (s.in->byte() >= 250) return V3_INTERNAL_ERR;
    const auto* from = static_cast<const uint8_t*>(buffer);
    s.written.insert(s.written.end(), from, from + n);
    if (done) *done = int32_t(n);
    return V3_OK;
}

v3_result V3_API seek(void*, int64_t, int32_t, int64_t*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API tell(void* self, int64_t* at) {
    if (at) *at = int64_t(streamOf(self).at);
    return V3_OK;
}

const StreamTable kStream = {{noInterface, one, one}, {read, write, seek, tell}};

v3_bstream** streamFace(FuzzStream& s) { return reinterpret_cast<v3_bstream**>(&s); }

v3_component** makeComponent(const tamrik::binding::Product& product) {
    auto** component = static_cast<v3_component**>(tamrik::vst3::Vst3Plugin::create(product, v3_component_iid));
    if (!component) fail("no instance");
    v3_cpp_obj_initialize(component, nullptr);
    return component;
}

// The state through a stream that keeps to the rules and moves everything.
std::vector<uint8_t> stateOf(v3_component** component) {
    FuzzInput none(nullptr, 0);
    FuzzStream s{&kStream, &none, {}, 0, {}, false};
    if (v3_cpp_obj(component)->get_state(component, streamFace(s)) != V3_OK) fail("the state was not saved");
    return s.written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One instance per product for the whole run: each makes its noise tables once.
    static v3_component** const components[] = {makeComponent(tamrik::binding::drumTamrik()),
                                                makeComponent(tamrik::binding::drumTamrikKit())};
    FuzzInput in(data, size);
    const uint8_t mode = in.byte();
    v3_component** component = components[mode & 1];
    const std::vector<uint8_t> before = stateOf(component);

    std::vector<uint8_t> bytes;
    bool whole = false;  // a saved state as it was saved
    if (mode & 2) {
        const auto raw = in.bytes(in.below(8192));
        bytes.assign(raw.begin(), raw.end());
    } else {
        bytes = mode & 4 ? before : stateOf(components[(mode & 1) ^ 1]);
        whole = (mode & 4) != 0;
        const uint8_t edit = in.byte();
        if (edit & 1) bytes.resize(in.below(uint32_t(bytes.size()) + 1));
        if (edit & 2 && !bytes.empty()) bytes[in.below(uint32_t(bytes.size()))] ^= uint8_t(1 + in.byte() % 255);
        if (edit & 4) {
            const auto more = in.bytes(in.below(64));
            bytes.insert(bytes.end(), more.begin(), more.end());
        }
        whole = whole && (edit & 7) == 0;
    }

    FuzzStream stream{&kStream, &in, bytes, 0, {}, false};
    const v3_result loaded = v3_cpp_obj(component)->set_state(component, streamFace(stream));
    const std::vector<uint8_t> after = stateOf(component);
    if (loaded != V3_OK) {
        if (after != before) fail("a refused state changed the instance");
        if (whole && !stream.misbehaved) fail("its own state, read in chunks, was refused");
    } else {
        FuzzInput none(nullptr, 0);
        FuzzStream again{&kStream, &none, after, 0, {}, false};
        if (v3_cpp_obj(component)->set_state(component, streamFace(again)) != V3_OK) fail("our own state refused");
        if (stateOf(component) != after) fail("save, load, save: different bytes");
    }

    FuzzStream out{&kStream, &in, {}, 0, {}, false};
    if (v3_cpp_obj(component)->get_state(component, streamFace(out)) == V3_OK && out.written != after)
        fail("a save said it succeeded but handed over other bytes");
    return 0;
}
