// Call sequences seen from real Linux hosts: each must leave the instrument
// alive and in a sound state.
#include <gtest/gtest.h>

#include <vector>

#include "HostHarness.h"
#include "TestSignals.h"

using namespace vst;
using tamrik::test::HostHarness;
using tamrik::test::silent;

namespace {
}  // namespace

TEST(HostSequences, ScannerStyleProbeBeforeOpen) {
    HostHarness host;
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    host.dispatch(effSetBlockSize, 0, 0);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategSynth);
    host.dispatch(effOpen);
    char name[24];
    for (int32_t i = 0; i < 200; ++i) host.dispatch(effGetProgramNameIndexed, i, 0, name);
    host.dispatch(effMainsChanged, 0, 0);  // suspend without a resume before it
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.dispatch(effMainsChanged, 0, 1);
    host.dispatch(effMainsChanged, 0, 1);  // resume twice
    host.sendMidi(0x90, 60, 100);
    EXPECT_FALSE(silent(host.render(2000)));
}

TEST(HostSequences, SampleRateZeroThenANote) {
    HostHarness host;
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    host.dispatch(effMainsChanged, 0, 1);
    host.sendMidi(0x90, 60, 100);
    host.render(512);  // any output, but no trap and no sanitizer report
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.sendMidi(0x90, 60, 100);
    EXPECT_FALSE(silent(host.render(2000)));
}

TEST(HostSequences, EmptyEventBlocksAndTransportStopControllers) {
    HostHarness host;
    host.dispatch(effMainsChanged, 0, 1);
    host.sendMidi(0x90, 40, 127);
    std::vector<float> before = host.render(64);
    for (int block = 0; block < 10; ++block) {
        EXPECT_EQ(host.sendEvents({}), 1);
        host.render(64);
    }
    // Sustain off, reset all controllers, all notes off on every channel:
    // none of them is controller 126, so the drum rings on.
    std::vector<VstMidiEvent> stop;
    for (uint8_t channel = 0; channel < 16; ++channel)
        for (uint8_t controller : {64, 121, 123})
            stop.push_back(HostHarness::midi(static_cast<uint8_t>(0xB0 | channel), controller, 0));
    host.sendEvents(stop);
    EXPECT_FALSE(silent(host.render(256)));
}

TEST(HostSequences, OnlyProcessReplacingAndProcessAgree) {
    HostHarness a, b;
    for (HostHarness* h : {&a, &b}) {
        h->dispatch(effMainsChanged, 0, 1);
        h->sendMidi(0x99, 38, 90, 7);
    }
    std::vector<float> left(300, 0.25f), right(300, 0.25f);
    a.process(left.data(), right.data(), 300);
    const std::vector<float> replaced = b.render(300, 300);
    for (size_t i = 0; i < 300; ++i) {
        EXPECT_EQ(left[i], static_cast<float>(0.25f + replaced[i])) << i;
        EXPECT_EQ(left[i], right[i]);
    }
}

TEST(HostSequences, NilAndEmptyAudioCalls) {
    HostHarness host;
    host.sendMidi(0x90, 60, 100);
    host.processReplacing(nullptr, nullptr, 64);
    float* outputs[2] = {nullptr, nullptr};
    host.effect()->processReplacing(host.effect(), nullptr, outputs, 64);
    host.effect()->processReplacing(host.effect(), nullptr, nullptr, 64);
    host.effect()->process(host.effect(), nullptr, nullptr, 64);
    std::vector<float> l(8, 3.0f), r(8, 3.0f);
    host.processReplacing(l.data(), r.data(), 0);
    host.processReplacing(l.data(), r.data(), -5);
    EXPECT_EQ(l[0], 3.0f);
    EXPECT_FALSE(silent(host.render(1000)));
}
