// What a host sees of the instrument through the binary interface: the record
// after the entry, identity, parameters, programs and the opcode answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "HostHarness.h"
#include "synth/ParameterTable.h"

using namespace vst;
using tamrik::test::HostHarness;

namespace {

std::string text(HostHarness& host, int32_t opcode, int32_t index = 0, size_t size = 64) {
    std::array<char, 128> buffer;
    buffer.fill('#');
    host.dispatch(opcode, index, 0, buffer.data());
    EXPECT_NE(std::memchr(buffer.data(), '\0', size), nullptr) << "opcode " << opcode;
    return std::string(buffer.data());
}

// Writes beyond `size` bytes are caught by the guard bytes after it.
void expectFits(HostHarness& host, int32_t opcode, int32_t index, size_t size) {
    std::array<char, 128> buffer;
    buffer.fill('#');
    host.dispatch(opcode, index, 0, buffer.data());
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << "opcode " << opcode;
    EXPECT_NE(std::memchr(buffer.data(), '\0', size), nullptr);
}

}  // namespace

TEST(Entry, RecordAfterMainHoldsWhatHostsRead) {
    HostHarness host;
    AEffect* e = host.effect();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, CCONST('V', 's', 't', 'P'));
    EXPECT_EQ(e->numPrograms, 32);
    EXPECT_EQ(e->numParams, 22);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 273) << "editor, replacing, synth";
    EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsIsSynth);
    EXPECT_EQ(e->uniqueID, CCONST('T', 'm', 'R', 'k'));
    EXPECT_EQ(e->uniqueID, 0x546D526B);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    for (char c : e->future) EXPECT_EQ(c, 0);
    EXPECT_NE(e->processReplacing, nullptr);
}

TEST(Entry, AsksTheVersionFirstWithNilEffect) {
    HostHarness host;
    const auto requests = host.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(requests[0].effect, nullptr);
    EXPECT_EQ(requests.size(), 1u) << "nothing else is asked while constructing";
}

TEST(Entry, BothEntriesWorkAndVersionZeroGivesNil) {
    HostHarness viaMain("main");
    EXPECT_NE(viaMain.effect(), nullptr);
    HostHarness refused("main", 0);
    EXPECT_EQ(refused.effect(), nullptr);
    EXPECT_EQ(refused.requests().size(), 1u);
    HostHarness refusedToo("VSTPluginMain", 0);
    EXPECT_EQ(refusedToo.effect(), nullptr);
    HostHarness anyAnswer("VSTPluginMain", -7);
    EXPECT_NE(anyAnswer.effect(), nullptr);
    EXPECT_EQ(tamrik::test::pluginEntry("main")(nullptr), nullptr);
}

// The Windows build reads its DLL's exports with objdump on the build machine
// (tests/windows/check-dll.sh); the locale test needs a POSIX locale set-up.
#if !defined(_WIN32)
TEST(Entry, ExportsOnlyTheTwoEntries) {
    const std::string command = std::string("nm -D --defined-only ") + TAMRIK_PLUGIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], kind[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) names.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}
#endif

TEST(Entry, CloseAnswersOneAndInstancesAreIndependent) {
    HostHarness a, b;
    EXPECT_NE(a.effect(), b.effect());
    a.setParameter(4, 0.25f);
    EXPECT_EQ(a.getParameter(4), 0.25f);
    EXPECT_EQ(b.getParameter(4), 0.5f);
    a.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(a.dispatch(effGetProgram), 3);
    EXPECT_EQ(b.dispatch(effGetProgram), 0);
    EXPECT_EQ(a.close(), 1);
    EXPECT_EQ(b.getParameter(4), 0.5f);
}

TEST(Identity, NamesCapabilitiesAndPins) {
    HostHarness host;
    EXPECT_EQ(text(host, effGetEffectName), "DrumTamrik");
    EXPECT_EQ(text(host, effGetVendorString), "Quenmar");
    EXPECT_EQ(text(host, effGetProductString), "Drum Synth Tamrik");
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, std::array<char, 32>{}.data()), 1);
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2200);
    EXPECT_EQ(host.dispatch(effIdentify), CCONST('N', 'v', 'E', 'f'));

    char yes1[] = "receiveVstEvents", yes2[] = "receiveVstMidiEvent", no[] = "sendVstEvents",
         empty[] = "";
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, yes1), 1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, yes2), 1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, no), -1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, empty), -1);

    VstPinProperties pin;
    std::memset(&pin, 0x5A, sizeof pin);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Tamrik 2");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.arrangementType, 0x5A5A5A5A) << "other fields untouched";
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Tamrik 1");
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(host.dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

TEST(Identity, DefaultAnswersOfTheExtendedLayer) {
    HostHarness host;
    EXPECT_EQ(host.dispatch(effGetNumProgramCategories), 1);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 5), 1);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 99), 1);
    EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host.dispatch(effConnectInput, 0, 1), 1);
    EXPECT_EQ(host.dispatch(effConnectOutput, 1, 0), 1);
    EXPECT_EQ(host.dispatch(effKeysRequired), 1);
    EXPECT_EQ(host.dispatch(effGetVu), 0);
    EXPECT_EQ(host.dispatch(effGetTailSize), 0);
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, std::array<void*, 1>{}.data()), 0);
    EXPECT_EQ(host.dispatch(effSetChunk), 0);
    for (int32_t opcode : {69, 70, 100, 1000, -1}) EXPECT_EQ(host.dispatch(opcode), 0) << opcode;
}

TEST(Parameters, NamesLabelsAndDisplays) {
    HostHarness host;
    for (int32_t i = 0; i < tamrik::kNumParameters; ++i) {
        const tamrik::ParameterInfo& p = tamrik::kParameterTable[i];
        EXPECT_EQ(text(host, effGetParamName, i), p.name);
        EXPECT_EQ(host.getParameter(i), p.defaultValue) << p.name;
        expectFits(host, effGetParamName, i, 8);
    }
    EXPECT_EQ(text(host, effGetParamLabel, 0), "/1");
    EXPECT_EQ(text(host, effGetParamLabel, 99), "/1");
    EXPECT_EQ(text(host, effGetParamDisplay, 4), "0.50");
    EXPECT_EQ(text(host, effGetParamDisplay, 19), "1.00");
    EXPECT_EQ(text(host, effGetParamDisplay, 22), "");
    EXPECT_EQ(text(host, effGetParamName, 22), "");
    EXPECT_EQ(text(host, effGetParamName, -1), "");
    char buffer[16];
    EXPECT_EQ(host.dispatch(effGetParamDisplay, 4, 0, buffer), 0) << "answers 0 though filled";
}

TEST(Parameters, DisplayOfHostileValuesFitsEightBytes) {
    HostHarness host;
    const float values[] = {12345.678f, -1e30f, 3.4e38f, -0.0f, 1.0f / 0.0f, -1.0f / 0.0f,
                            std::nanf("")};
    for (float v : values) {
        host.setParameter(5, v);
        expectFits(host, effGetParamDisplay, 5, 8);
        expectFits(host, effGetParamLabel, 5, 8);
    }
    host.setParameter(5, 12345.678f);
    EXPECT_EQ(text(host, effGetParamDisplay, 5), "12345.6");
    host.setParameter(5, 0.125f);
    EXPECT_EQ(text(host, effGetParamDisplay, 5), "0.12") << "two decimals, ties to even";
}

#if !defined(_WIN32)
namespace {
// A locale whose decimal separator is a comma: installed, or compiled from
// the system's locale sources into a private folder.
bool useCommaLocale() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return true;
    const std::string folder = testing::TempDir() + "tamrik-locales";
    const std::string command = "mkdir -p " + folder + " && localedef -i de_DE -f UTF-8 " +
                                folder + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}
}  // namespace

TEST(Parameters, DisplayIgnoresTheLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!useCommaLocale()) GTEST_SKIP() << "no comma locale on this machine";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 0.5);
    EXPECT_STREQ(probe, "0,50") << "the locale really uses a comma";
    HostHarness host;
    host.setParameter(0, 0.5f);
    EXPECT_EQ(text(host, effGetParamDisplay, 0), "0.50");
    std::setlocale(LC_ALL, saved.c_str());
}
#endif

TEST(Parameters, OutOfRangeIndicesChangeNothing) {
    HostHarness host;
    for (int32_t index : {22, 99, -1, INT32_MIN, INT32_MAX}) {
        host.setParameter(index, 0.3f);
        EXPECT_EQ(host.getParameter(index), 0.0f);
    }
    for (int32_t i = 0; i < 22; ++i) EXPECT_NE(host.getParameter(i), 0.3f);
}

TEST(Parameters, FiniteHostValuesAreStoredAsGiven) {
    HostHarness host;
    const float values[] = {-3.0f, 7.5f, 1e30f, -3.4e38f, 1e-45f};
    for (int32_t i = 0; i < 22; ++i)
        for (float v : values) {
            host.setParameter(i, v);
            EXPECT_EQ(host.getParameter(i), v);
        }
}

// NaN or an infinity once made every later sample NaN. Refused, it leaves the
// value, the program and the sound exactly as they were.
TEST(Parameters, NonFiniteValuesChangeNothing) {
    const float refused[] = {std::nanf(""), -std::nanf(""), INFINITY, -INFINITY};
    HostHarness host, reference;
    for (HostHarness* h : {&host, &reference}) {
        h->dispatch(effSetProgram, 0, 7);
        for (int32_t i = 0; i < 22; ++i) h->setParameter(i, 0.3f + 0.02f * float(i));
        h->setParameter(19, 0.7f);  // a clip level that shapes the sound
    }
    for (int32_t i = 0; i < 22; ++i)
        for (float v : refused) {
            host.setParameter(i, v);
            EXPECT_EQ(host.getParameter(i), reference.getParameter(i)) << i;
        }
    host.dispatch(effSetProgram, 0, 0);
    host.dispatch(effSetProgram, 0, 7);
    EXPECT_EQ(host.dispatch(effCopyProgram, 8), 1);
    host.dispatch(effSetProgram, 0, 8);
    for (int32_t i = 0; i < 22; ++i) EXPECT_EQ(host.getParameter(i), reference.getParameter(i)) << i;

    host.sendMidi(0x90, 48, 127);
    reference.sendMidi(0x90, 48, 127);
    const std::vector<float> sound = host.render(8000);
    EXPECT_EQ(sound, reference.render(8000));
    for (float s : sound) ASSERT_TRUE(std::isfinite(s));
    EXPECT_NE(*std::max_element(sound.begin(), sound.end()), 0.0f);
}

TEST(Programs, NamesSelectionAndBounds) {
    HostHarness host;
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    EXPECT_EQ(text(host, effGetProgramName), "init1");
    char name[24];
    for (int32_t i = 0; i < 32; ++i) {
        ASSERT_EQ(host.dispatch(effGetProgramNameIndexed, i, 0, name), 1);
        EXPECT_EQ(std::string(name), "init" + std::to_string(i + 1));
    }
    for (int32_t i : {32, 33, 1000, -1, INT32_MIN}) {
        std::memset(name, '#', sizeof name);
        EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, i, 0, name), 0);
        EXPECT_EQ(name[0], '#') << "nothing written for " << i;
    }
    EXPECT_EQ(host.dispatch(effSetProgram, 0, 31), 0);
    EXPECT_EQ(host.dispatch(effGetProgram), 31);
    // Beyond 32 bits where the value is 64 bits wide.
    constexpr intptr_t kHuge = sizeof(intptr_t) == 8 ? intptr_t(int64_t{1} << 40) : INT32_MAX;
    for (intptr_t bad : {intptr_t{32}, intptr_t{-1}, intptr_t{INT32_MIN}, -kHuge + 5, kHuge}) {
        EXPECT_EQ(host.dispatch(effSetProgram, 0, bad), 0);
        EXPECT_EQ(host.dispatch(effGetProgram), 31) << bad;
    }
    for (int32_t bad : {32, -1, INT32_MIN}) EXPECT_EQ(host.dispatch(effCopyProgram, bad), 0);
}

TEST(Programs, SwitchingRestoresEachProgramsValues) {
    HostHarness host;
    host.dispatch(effSetProgram, 0, 3);
    host.setParameter(18, 0.8f);
    host.dispatch(effSetProgram, 0, 4);
    EXPECT_EQ(host.getParameter(18), 0.5f);
    host.setParameter(18, 0.2f);
    host.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(host.getParameter(18), 0.8f);
    host.dispatch(effSetProgram, 0, 4);
    EXPECT_EQ(host.getParameter(18), 0.2f);
}

TEST(Programs, CopyAndRename) {
    HostHarness host;
    host.dispatch(effSetProgram, 0, 2);
    host.setParameter(4, 0.9f);
    char renamed[] = "Kick";
    host.dispatch(effSetProgramName, 0, 0, renamed);
    EXPECT_EQ(host.dispatch(effCopyProgram, 5), 1);
    host.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(host.getParameter(4), 0.9f);
    EXPECT_EQ(text(host, effGetProgramName), "Kick");

    const std::string longName(100, 'x');
    host.dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    EXPECT_EQ(text(host, effGetProgramName), std::string(23, 'x'));
    expectFits(host, effGetProgramName, 0, 24);
    expectFits(host, effGetProgramNameIndexed, 5, 24);
}

TEST(NilPointers, OpcodesThatUsePtrAnswerZeroAndTouchNothing) {
    HostHarness host;
    for (int32_t opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effEditGetRect, effGetChunk, effProcessEvents, effString2Parameter,
          effGetProgramNameIndexed, effGetInputProperties, effGetOutputProperties,
          effGetEffectName, effGetErrorText, effGetVendorString, effGetProductString, effCanDo,
          effGetParameterProperties, effGetMidiProgramName, effGetMidiProgramCategory,
          effGetMidiKeyName, effSetSpeakerArrangement, effVendorSpecific, effOfflineNotify})
        EXPECT_EQ(host.dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
    EXPECT_EQ(text(host, effGetProgramName), "init1");
}

TEST(Audio, ResumeAsksForMidiEveryTimeAndSuspendSendsNothing) {
    HostHarness host;
    host.clearRequests();
    host.dispatch(effMainsChanged, 0, 1);
    host.dispatch(effMainsChanged, 0, 1);
    host.dispatch(effMainsChanged, 0, -5);
    auto wants = host.requests(audioMasterWantMidi);
    ASSERT_EQ(wants.size(), 3u);
    for (const auto& r : wants) {
        EXPECT_EQ(r.value, 1);
        EXPECT_EQ(r.effect, host.effect());
    }
    host.clearRequests();
    host.dispatch(effMainsChanged, 0, 0);
    EXPECT_TRUE(host.requests().empty());
}

TEST(Audio, BlockSizeAndSampleRateTogether) {
    HostHarness host;
    EXPECT_EQ(host.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(host.dispatch(effSetBlockSize, 0, 256), 0);
}

// A host that announces the rate only through the combined opcode must hear
// every note exactly as one that sends the two opcodes apart.
TEST(Audio, RateFromTheCombinedOpcodeSoundsLikeTheSeparateOnes) {
    const auto play = [](bool combined, float rate) {
        HostHarness host;
        if (combined) {
            host.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, rate);
        } else {
            host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
            host.dispatch(effSetBlockSize, 0, 512);
        }
        host.dispatch(effMainsChanged, 0, 1);
        host.sendMidi(0x90, 60, 100);
        return host.render(4096, 512);
    };
    for (float rate : {48000.0f, 96000.0f}) {
        const std::vector<float> separate = play(false, rate);
        const std::vector<float> combined = play(true, rate);
        EXPECT_TRUE(combined == separate) << "at " << rate << " Hz";
        EXPECT_FALSE(separate == play(false, 44100.0f)) << "the rate must change the sound";
    }
}

TEST(Editor, OpcodesAHostMayCallBeforeOpening) {
    HostHarness host;
    ERect* rect = nullptr;
    ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 481) << "the panel, the strip and the hit row below them";
    EXPECT_EQ(rect->right, 505);
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0) << "no parent window";
    host.dispatch(effEditClose);
    host.dispatch(effEditIdle);
    EXPECT_EQ(host.dispatch(effEditKeyDown, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(host.dispatch(effEditKeyUp, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(host.dispatch(effSetEditKnobMode, 0, 2), 0);
}
