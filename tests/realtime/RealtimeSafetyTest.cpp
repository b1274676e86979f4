// The audio entries never allocate, free or lock. This program replaces the
// allocator's entries, operator new and delete and pthread_mutex_lock for the
// whole process, the dlopen-ed plug-ins included, and counts every call made
// while the test host is inside effProcessEvents, process, processReplacing,
// setParameter or getParameter (and the CLAP build's process, params flush
// and reset, the VST 3 builds' process, and the standalone program's period
// step as JACK's callback and the ALSA thread run it, and that JACK callback
// itself on a dummy server), over a workload that reaches
// every voice, program and parameter path at block sizes from 1 to 4096
// frames.
//
// Not built with sanitizers: they replace the allocator themselves, and a
// second replacement would hand them memory they never gave out.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <jack/jack.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <vector>

#include "HostHarness.h"
#include "PluginInstance.h"
#include "clap/ClapTestHost.h"
#include "vst3/Vst3TestHost.h"
#include "app/AlsaPeriod.h"
#include "app/AudioCycle.h"
#include "app/JackSession.h"
#include "app/MainLoopWait.h"
#include "DummyJackServer.h"
#include "JackProbe.h"
#include "binding/Products.h"
#include "synth/PeakMeter.h"
#include "kit/FactoryKits.h"
#include "kit/KitMap.h"

using tamrik::test::EventBlock;
using tamrik::test::HostHarness;
using tamrik::test::midiEvent;

namespace {

thread_local bool insideAudioCall = false;

struct Counts {
    std::atomic<long> malloc{0}, calloc{0}, realloc{0}, free{0}, alignedAlloc{0}, newCalls{0},
        deleteCalls{0}, mutexLock{0};
};
Counts counts;

void count(std::atomic<long>& counter) {
    if (insideAudioCall) counter.fetch_add(1, std::memory_order_relaxed);
}

long total() {
    return counts.malloc + counts.calloc + counts.realloc + counts.free + counts.alignedAlloc +
           counts.newCalls + counts.deleteCalls + counts.mutexLock;
}

std::string report() {
    return "malloc " + std::to_string(counts.malloc) + ", calloc " + std::to_string(counts.calloc) +
           ", realloc " + std::to_string(counts.realloc) + ", free " + std::to_string(counts.free) +
           ", aligned " + std::to_string(counts.alignedAlloc) + ", new " +
           std::to_string(counts.newCalls) + ", delete " + std::to_string(counts.deleteCalls) +
           ", pthread_mutex_lock " + std::to_string(counts.mutexLock);
}

// JACK's process callback of the next client to register one, counted as an
// audio call: jack_set_process_callback below wraps it.
std::atomic<bool> countNextProcessCallback{false};
JackProcessCallback countedCallback = nullptr;
std::atomic<long> countedCycles{0};
int countedProcess(jack_nframes_t frames, void* arg) {
    countedCycles.fetch_add(1, std::memory_order_relaxed);
    insideAudioCall = true;
    const int result = countedCallback(frames, arg);
    insideAudioCall = false;
    return result;
}

// Marks the span of one call into the plug-in's audio or parameter entries.
class AudioCall {
public:
    AudioCall() { insideAudioCall = true; }
    ~AudioCall() { insideAudioCall = false; }
};

using MutexLock = int (*)(pthread_mutex_t*);
MutexLock realMutexLock() {
    static const auto real = reinterpret_cast<MutexLock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    return real;
}

}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t size) {
    count(counts.malloc);
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    count(counts.calloc);
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
    count(counts.realloc);
    return __libc_realloc(p, size);
}
void free(void* p) {
    count(counts.free);
    __libc_free(p);
}
void* aligned_alloc(size_t alignment, size_t size) {
    count(counts.alignedAlloc);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    count(counts.alignedAlloc);
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
int jack_set_process_callback(jack_client_t* client, JackProcessCallback callback, void* arg) noexcept {
    using Real = int (*)(jack_client_t*, JackProcessCallback, void*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "jack_set_process_callback"));
    if (!countNextProcessCallback.exchange(false)) return real(client, callback, arg);
    countedCallback = callback;
    return real(client, &countedProcess, arg);
}
int pthread_mutex_lock(pthread_mutex_t* mutex) {
    count(counts.mutexLock);
    return realMutexLock()(mutex);
}
}  // extern "C"

namespace {
void* allocate(size_t size) {
    count(counts.newCalls);
    if (void* p = __libc_malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* allocateAligned(size_t size, std::align_val_t alignment) {
    count(counts.newCalls);
    if (void* p = __libc_memalign(static_cast<size_t>(alignment), size ? size : 1)) return p;
    throw std::bad_alloc();
}
void release(void* p) {
    count(counts.deleteCalls);
    __libc_free(p);
}
}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    count(counts.newCalls);
    return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    count(counts.newCalls);
    return __libc_malloc(size ? size : 1);
}
void* operator new(size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { release(p); }

namespace {

void resetCounts() {
    for (auto* c : {&counts.malloc, &counts.calloc, &counts.realloc, &counts.free,
                    &counts.alignedAlloc, &counts.newCalls, &counts.deleteCalls, &counts.mutexLock})
        c->store(0);
}

}  // namespace

// Guards the test below against passing because nothing was counted: calls
// from this program and from inside the loaded plug-in are both seen.
TEST(RealTime, CountsCallsFromTheTestAndFromThePlugin) {
    HostHarness host;
    resetCounts();
    {
        AudioCall marked;
        std::vector<int>* volatile v = new std::vector<int>(100);
        delete v;
        std::mutex m;
        m.lock();
        m.unlock();
    }
    EXPECT_GE(counts.newCalls, 2);
    EXPECT_GE(counts.deleteCalls, 2);
    EXPECT_GE(counts.mutexLock, 1);
    resetCounts();
    {
        AudioCall marked;  // the editor's form is made even though no window comes of it
        host.dispatch(vst::effEditOpen, 0, 0, nullptr);
    }
    EXPECT_GT(total(), 0) << "calls inside the plug-in are not seen";
}

TEST(RealTime, AudioAndParameterEntriesNeverAllocateOrLock) {
    HostHarness host;
    vst::AEffect* e = host.effect();
    host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host.dispatch(vst::effSetBlockSize, 0, 4096);
    host.dispatch(vst::effMainsChanged, 0, 1);

    std::mt19937 random(12);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int32_t sizes[] = {1, 2, 3, 17, 64, 100, 128, 500, 512, 1000, 1024, 2048, 4095, 4096};
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    float sink = 0.0f;
    EventBlock eventBlock;
    resetCounts();
    for (int block = 0; block < 700; ++block) {
        const int32_t frames = block < 14 ? sizes[block] : (block % 3 ? uniform(1, 4096) : sizes[block % 14]);
        // 17 voices and more: every voice busy, some retriggered, now and
        // then all silenced; a few events fall beyond the block.
        std::vector<vst::VstMidiEvent> events;
        for (int i = 0; i < 20; ++i)
            events.push_back(midiEvent(0x90 | (i % 16), uint8_t(uniform(20, 100)), uint8_t(uniform(1, 127)),
                                       uniform(0, frames + 64)));
        events.push_back(midiEvent(0x99, 36, 127, 0));
        events.push_back(midiEvent(0x99, 36, 90, frames / 2));
        if (block % 9 == 0) events.push_back(midiEvent(0xB0, 126, 0, uniform(0, frames - 1)));
        eventBlock.clear();
        for (const auto& event : events) eventBlock.add(event);
        vst::VstEvents* list = eventBlock.build();
        if (block % 11 == 0) host.dispatch(vst::effSetProgram, 0, uniform(0, 31));
        {
            AudioCall marked;
            for (int i = 0; i < 4; ++i)
                e->setParameter(e, uniform(0, 21), static_cast<float>(uniform(0, 1000)) / 1000.0f);
            sink += e->getParameter(e, uniform(0, 21));
            e->dispatcher(e, vst::effProcessEvents, 0, 0, list, 0.0f);
            if (block % 2)
                e->processReplacing(e, nullptr, outputs, frames);
            else
                e->process(e, nullptr, outputs, frames);
        }
        sink += left[size_t(frames - 1)];
    }
    EXPECT_EQ(total(), 0) << report();
    EXPECT_TRUE(std::isfinite(sink));
}

// The CLAP entries the audio thread calls: process (notes in both dialects,
// note-chokes, parameter events that split the block, controller 126), params
// flush and reset, with every output port connected.
namespace {

void ClapAudioEntriesNeverAllocateOrLock(const char* id) {
    using namespace tamrik::test::clap;
    resetCounts();
    {
        AudioCall marked;
        const clap_plugin_factory_t& factory = clapFactory();
        ClapTestHost host;
        const clap_plugin_t* made = factory.create_plugin(&factory, host.host(), id);
        made->destroy(made);
    }
    EXPECT_GT(counts.newCalls + counts.malloc, 0) << "calls inside the CLAP library are not seen";
    ClapInstance p(id);
    ASSERT_TRUE(p.activate(48000.0, 4096));
    const clap_plugin_t* plugin = p.plugin();
    const clap_plugin_params_t& params = p.params();
    const int parameters = int(params.count(plugin));
    const auto* audioPorts = p.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    const uint32_t ports = audioPorts->count(plugin, false);
    std::mt19937 random(19);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::vector<std::vector<float>> buffers(2 * ports, std::vector<float>(4096));
    std::vector<float*> channels;
    for (auto& b : buffers) channels.push_back(b.data());
    std::vector<clap_audio_buffer_t> outputs;
    for (uint32_t k = 0; k < ports; ++k) outputs.push_back({channels.data() + 2 * k, nullptr, 2, 0, 0});
    OutputEvents out;
    out.capacity = 0;  // the test host's own list must not allocate inside the marked span
    float sink = 0.0f;
    int sounding = 0;
    resetCounts();
    for (int block = 0; block < 500; ++block) {
        const auto frames = uint32_t(block < 14 ? 1 << (block % 13) : uniform(1, 4096));
        std::vector<std::pair<uint32_t, AnyEvent>> timed;
        for (int i = 0; i < 20; ++i) {
            const auto at = uint32_t(uniform(0, int(frames) - 1));
            timed.push_back({at, i % 2 ? noteOn(at, int16_t(uniform(20, 100)), uniform(0, 1000) / 1000.0, int16_t(i % 16))
                                       : midi(at, uint8_t(0x90 | (i % 16)), uint8_t(uniform(20, 100)), 100)});
            timed.push_back({at, paramValue(at, clap_id(uniform(0, parameters - 1)), uniform(0, 1000) / 1000.0)});
            if (i % 5 == 0) timed.push_back({at, noteChoke(at, int16_t(uniform(-1, 100)), int16_t(uniform(-1, 15)))});
        }
        if (block % 9 == 0) timed.push_back({frames - 1, midi(frames - 1, 0xB0, 126, 0)});
        std::stable_sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        InputEvents in;
        for (const auto& t : timed) in.events.push_back(t.second);
        InputEvents changes({paramValue(0, clap_id(uniform(0, parameters - 1)), 0.5)});
        clap_process_t proc{};
        proc.steady_time = -1;
        proc.frames_count = frames;
        proc.audio_outputs = outputs.data();
        proc.audio_outputs_count = ports;
        proc.in_events = in.list();
        proc.out_events = out.list();
        {
            AudioCall marked;
            sounding += plugin->process(plugin, &proc) == CLAP_PROCESS_CONTINUE;
            params.flush(plugin, changes.list(), out.list());
            if (block % 50 == 49) plugin->reset(plugin);
        }
        sink += buffers[0][frames - 1];
    }
    EXPECT_EQ(total(), 0) << report();
    EXPECT_TRUE(std::isfinite(sink));
    EXPECT_GT(sounding, 20) << "the voices played";
}

}  // namespace

TEST(RealTime, ClapAudioEntriesNeverAllocateOrLock) {
    ClapAudioEntriesNeverAllocateOrLock(tamrik::test::clap::kDrumTamrikId);
}

TEST(RealTime, TheKitsClapAudioEntriesNeverAllocateOrLock) {
    ClapAudioEntriesNeverAllocateOrLock(tamrik::test::clap::kKitId);
}

// The Kit likewise: notes on its keys (chokes among them), on other
// channels and beyond the block, kits switched, every parameter moved
// (routing, groups, mute and the channel included), all 18 outputs; now and
// then every key struck again and again, so that every voice of every pad
// sounds at once in lane groups shared across pads.
TEST(RealTime, TheKitsAudioAndParameterEntriesNeverAllocateOrLock) {
    using namespace tamrik::kit;
    tamrik::test::PluginInstance kit(TAMRIK_KIT_PATH);
    vst::AEffect* e = kit.effect();
    kit.dispatch(vst::effSetBlockSize, 0, 4096);

    std::mt19937 random(17);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::vector<std::vector<float>> channels(kOutputChannels, std::vector<float>(4096));
    float* outputs[kOutputChannels];
    for (int32_t c = 0; c < kOutputChannels; ++c) outputs[c] = channels[size_t(c)].data();
    float sink = 0.0f;
    EventBlock eventBlock;
    resetCounts();
    for (int block = 0; block < 400; ++block) {
        const int32_t frames = block % 3 ? uniform(1, 4096) : 1 << (block % 13);
        eventBlock.clear();
        for (int i = 0; i < 24; ++i) {
            const int key = i % 3 ? kDefaultKeys[size_t(uniform(0, kPads - 1))] : uniform(0, 127);
            eventBlock.add(midiEvent(0x90 | (i % 5 ? 0 : uniform(0, 15)), uint8_t(key),
                                     uint8_t(uniform(0, 127)), uniform(0, frames + 64)));
        }
        if (block % 9 == 0) eventBlock.add(midiEvent(0xB0, 126, 0, uniform(0, frames - 1)));
        if (block % 40 == 20)
            for (int i = 0; i < 18 * 128; ++i)
                eventBlock.add(midiEvent(0x90, uint8_t(i % 128), uint8_t(uniform(1, 127)), uniform(0, 8)));
        vst::VstEvents* list = eventBlock.build();
        if (block % 23 == 0) kit.dispatch(vst::effSetProgram, 0, uniform(0, kFactoryKitCount - 1));
        {
            AudioCall marked;
            for (int i = 0; i < 6; ++i) {
                const int32_t index = i == 0 ? padIndex(uniform(0, kPads - 1), kSoundParameters + uniform(0, 7))
                                             : uniform(0, kKitParameters - 1);
                e->setParameter(e, index, static_cast<float>(uniform(0, 1000)) / 1000.0f);
            }
            e->setParameter(e, kChannelIndex, block % 50 < 45 ? 0.0f : 1.0f / 16);
            sink += e->getParameter(e, uniform(0, kKitParameters - 1));
            e->dispatcher(e, vst::effProcessEvents, 0, 0, list, 0.0f);
            if (block % 2)
                e->processReplacing(e, nullptr, outputs, frames);
            else
                e->process(e, nullptr, outputs, frames);
        }
        for (const auto& c : channels) sink += c[size_t(frames - 1)];
    }
    EXPECT_EQ(total(), 0) << report();
    EXPECT_TRUE(std::isfinite(sink));
}

// The VST 3 builds' process: note-ons (and note-offs, which it ignores) on
// every channel and key, beyond the block too; parameter queues of several
// points each, at frames in and beyond the block; controller 126 through
// the parameter the MIDI mapping names; 0-frame flushes with values only;
// for the Kit, pads routed to every output while its auxiliary buses are
// switched on and off between blocks, some buses given no buffers.
namespace {

void Vst3ProcessNeverAllocatesOrLocks(const char* path) {
    using namespace tamrik::test::vst3;
    resetCounts();
    {
        AudioCall marked;
        Vst3Instance made(path);
    }
    EXPECT_GT(counts.newCalls + counts.malloc, 0) << "calls inside the VST 3 library are not seen";
    Vst3Instance p(path, 48000.0);
    const int32_t buses = p.outputBuses();
    const auto parameters = v3_param_id(v3_cpp_obj(p.controller)->get_parameter_count(p.controller) - 2);
    v3_param_id cc126 = 0;
    ASSERT_EQ(v3_cpp_obj(p.mapping)->get_midi_controller_assignment(p.mapping, 0, 0, 126, &cc126), V3_OK);
    std::mt19937 random(23);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::vector<std::vector<float>> buffers(static_cast<size_t>(2 * buses), std::vector<float>(4096));
    std::vector<float*> channels;
    for (auto& b : buffers) channels.push_back(b.data());
    std::vector<v3_audio_bus_buffers> outputs(static_cast<size_t>(buses));
    EventList none;
    float sink = 0.0f;
    int heard = 0;
    resetCounts();
    for (int block = 0; block < 400; ++block) {
        const int32_t frames = block % 7 == 3 ? 0 : block < 14 ? 1 << (block % 13) : uniform(1, 4096);
        for (int32_t b = 1; b < buses && block % 10 == 0; ++b)
            v3_cpp_obj(p.component)->activate_bus(p.component, V3_AUDIO, V3_OUTPUT, b, uniform(0, 1));
        EventList events;
        for (int i = 0; frames > 0 && i < 20; ++i) {
            const int32_t at = uniform(0, frames + 64);
            events.events.push_back(i % 4 ? noteOn(at, int16_t(uniform(20, 100)), float(uniform(0, 1000)) / 1000.0f,
                                                   int16_t(uniform(0, 15)))
                                          : noteOff(at, int16_t(uniform(20, 100))));
        }
        ParameterChanges changes;
        for (int q = 0; q < 6; ++q) {
            const auto id = v3_param_id(uniform(0, int(parameters) - 1));
            for (int k = 0; k < 3; ++k) changes.add(id, uniform(0, frames + 8), float(uniform(0, 1000)) / 1000.0);
        }
        if (buses > 1) changes.add(v3_param_id(uniform(0, 15) * 30 + 26), 0, float(uniform(0, 8)) / 8.0);  // a pad's output
        if (block % 9 == 0) changes.add(cc126, uniform(0, std::max(frames - 1, 0)), 0.0);
        for (int32_t b = 0; b < buses; ++b) {
            const bool given = b == 0 || block % 5 != 1;
            outputs[size_t(b)] = {given ? 2 : 0, 0, given ? channels.data() + 2 * b : nullptr};
        }
        v3_process_data data{};
        data.process_mode = V3_REALTIME;
        data.symbolic_sample_size = V3_SAMPLE_32;
        data.nframes = frames;
        data.num_output_buses = frames > 0 ? buses : 0;
        data.outputs = frames > 0 ? outputs.data() : nullptr;
        data.input_params = changes.list();
        data.input_events = (frames > 0 ? events : none).list();
        {
            AudioCall marked;
            EXPECT_EQ(v3_cpp_obj(p.processor)->process(p.processor, &data), V3_OK);
        }
        for (int32_t c = 0; c < 2 * buses && frames > 0; ++c) {
            sink += buffers[size_t(c)][size_t(frames - 1)];
            heard += buffers[size_t(c)][size_t(frames - 1)] != 0.0f;
        }
    }
    EXPECT_EQ(total(), 0) << report();
    EXPECT_TRUE(std::isfinite(sink));
    EXPECT_GT(heard, 20) << "the voices played";
}

}  // namespace

TEST(RealTime, Vst3ProcessNeverAllocatesOrLocks) {
    Vst3ProcessNeverAllocatesOrLocks(tamrik::test::vst3::kDrumTamrikPath);
}

TEST(RealTime, TheKitsVst3ProcessNeverAllocatesOrLocks) {
    Vst3ProcessNeverAllocatesOrLocks(tamrik::test::vst3::kKitPath);
}

// The standalone program's period, as JACK's process callback plays it
// (MIDI at its frames, the sequencer's messages at the first) and as the
// ALSA thread renders and converts it, the sequencer's thread pushing from
// outside the audio call.
TEST(RealTime, StandalonePeriodsNeverAllocateOrLock) {
    using tamrik::app::AlsaPeriod;
    using tamrik::app::MidiMessage;
    for (const tamrik::binding::Product* product : {&tamrik::binding::drumTamrik(), &tamrik::binding::drumTamrikKit()}) {
        const std::unique_ptr<tamrik::Instrument> instrument = tamrik::binding::makeInstrument(*product);
        instrument->setSampleRate(48000.0f);
        tamrik::app::MidiRing ring;
        tamrik::app::AudioCycle cycle(*instrument, &ring);
        std::vector<float> memory(size_t(instrument->outputCount()) * 256);
        std::vector<float*> outputs;
        for (int32_t c = 0; c < instrument->outputCount(); ++c) outputs.push_back(memory.data() + size_t(c) * 256);
        std::vector<std::unique_ptr<AlsaPeriod>> periods;
        for (AlsaPeriod::Format format :
             {AlsaPeriod::Format::Float32, AlsaPeriod::Format::Signed32, AlsaPeriod::Format::Signed16})
            periods.push_back(std::make_unique<AlsaPeriod>(*instrument, &ring, 64, 2, format));
        std::vector<uint8_t> device(64 * 2 * 4);
        std::mt19937 random(29);
        float heard = 0.0f;
        resetCounts();
        for (int block = 0; block < 600; ++block) {
            for (int n = 0; n < 4; ++n)
                ring.push(MidiMessage{{uint8_t(0x90 | (random() % 16)), uint8_t(random() % 128), uint8_t(1 + random() % 127)}, 3});
            const uint8_t note[3] = {0x99, uint8_t(35 + random() % 17), 120};
            {
                AudioCall marked;
                cycle.midi(uint32_t(random() % 256), note, 3);
                cycle.run(outputs.data(), 256);
                periods[size_t(block) % periods.size()]->render(device.data());
            }
            heard = std::max(heard, std::fabs(outputs[0][random() % 256]));
        }
        EXPECT_EQ(total(), 0) << product->identity.name << ": " << report();
        EXPECT_GT(heard, 0.0f) << "the voices played";
    }
}

// The meters on both sides: renders that publish into a ring the panel
// keeps empty, and into one it lets fill (the producer folding into its
// next record), with the panel's takes counted as well.
TEST(RealTime, RendersPublishingPeaksAndTheirTakesNeverAllocateOrLock) {
    for (const tamrik::binding::Product* product : {&tamrik::binding::drumTamrik(), &tamrik::binding::drumTamrikKit()}) {
        const std::unique_ptr<tamrik::Instrument> instrument = tamrik::binding::makeInstrument(*product);
        tamrik::PeakMeter* meter = instrument->meters();
        ASSERT_NE(meter, nullptr);
        const int32_t channels = instrument->outputCount();
        std::vector<std::vector<float>> buffers(size_t(channels), std::vector<float>(512));
        std::vector<float*> outputs;
        for (auto& b : buffers) outputs.push_back(b.data());
        float peaks[tamrik::PeakMeter::kMaxMeters];
        int takes = 0;
        resetCounts();
        for (int block = 0; block < 200; ++block) {
            AudioCall marked;
            if (block % 20 == 0) {
                const uint8_t keys[4] = {36, 38, 42, 46};
                const uint8_t note[3] = {0x90, keys[block / 20 % 4], 110};
                instrument->receiveMidi(note, 3, block % 64);
            }
            instrument->render(outputs.data(), 64 + block % 3 * 200);
            // Taken every other block for the first half, then left to fill.
            if (block < 100 && block % 2 == 0) takes += meter->take(peaks);
        }
        EXPECT_EQ(total(), 0) << product->identity.name << ": " << report();
        EXPECT_GT(takes, 40) << product->identity.name << ": the renders published";
        EXPECT_TRUE(meter->take(peaks));
    }
}

// The standalone program's JACK process callback itself, on a real server
// (the dummy driver): the MIDI port's events and the output buffers taken
// from JACK, then the period played, notes arriving from another client.
TEST(RealTime, StandaloneJackCallbackNeverAllocatesOrLocks) {
    namespace fs = std::filesystem;
    const fs::path log = fs::temp_directory_path() / ("tamrik-realtime-jackd-" + std::to_string(getpid()) + ".log");
    tamrik::test::DummyJackServer server("tamrik-test", log, 64, 48000);
    ASSERT_TRUE(server.ready()) << tamrik::test::textOf(log);
    const std::unique_ptr<tamrik::Instrument> instrument =
        tamrik::binding::makeInstrument(tamrik::binding::drumTamrikKit());
    tamrik::app::MainLoopWait wake;
    countNextProcessCallback = true;
    tamrik::app::JackSession session(*instrument, "tamrik-realtime", wake, true, nullptr);
    ASSERT_FALSE(countNextProcessCallback) << "the session registered its callback through JACK";
    tamrik::test::JackProbe probe(2);
    ASSERT_TRUE(probe.ok());
    session.activate();
    ASSERT_TRUE(probe.connect(tamrik::test::JackProbe::senderPort(), "tamrik-realtime:MIDI in"));
    ASSERT_TRUE(probe.connect("tamrik-realtime:Main L", tamrik::test::JackProbe::recorderPort(0)));
    ASSERT_TRUE(probe.connect("tamrik-realtime:Main R", tamrik::test::JackProbe::recorderPort(1)));
    std::vector<tamrik::test::TimedNote> notes;
    for (uint32_t at = 0; at < 48000; at += 997)
        notes.push_back({at, {0x99, uint8_t(35 + at % 17), uint8_t(1 + at % 127)}});
    resetCounts();
    const long cyclesBefore = countedCycles.load();
    ASSERT_TRUE(probe.play(notes, 48000));
    const long counted = total();
    const long cycles = countedCycles.load() - cyclesBefore;
    session.close();
    EXPECT_EQ(counted, 0) << report();
    EXPECT_GE(cycles, 48000 / 64) << "every period went through the counted callback";
    const std::vector<float>& left = probe.recorded(0);
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](float x) { return x != 0.0f; })) << "the kit played";
    fs::remove(log);
}
