// The VST 2 plug-in record, event records and the opcode numbers, laid out as
// 64-bit Linux hosts compile them (and as 32-bit hosts do, pointer-sized fields
// shrinking to 4 bytes). Every layout is pinned by static assertions, since a
// host reads these records by offset and never through our headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vst {

struct AEffect;

// Every function a host and the plug-in call across the boundary is cdecl.
// That is the default of 32-bit compilers on Linux and Windows alike, but a
// 32-bit Windows build may be compiled with another default, so it is spelt
// out there; 64-bit targets have one convention and reject the attribute.
// The reserved spelling: <windows.h> defines cdecl as a macro.
#if defined(__i386__)
#define VST_CDECL __attribute__((__cdecl__))
#else
#define VST_CDECL
#endif

// The host callback. `value` and the answer are pointer-sized.
using audioMasterCallback = intptr_t(VST_CDECL*)(AEffect* effect, int32_t opcode, int32_t index,
                                                 intptr_t value, void* ptr, float opt);

using AEffectDispatcherProc = intptr_t(VST_CDECL*)(AEffect* effect, int32_t opcode, int32_t index,
                                                   intptr_t value, void* ptr, float opt);
using AEffectProcessProc = void(VST_CDECL*)(AEffect* effect, float** inputs, float** outputs,
                                            int32_t sampleFrames);
using AEffectSetParameterProc = void(VST_CDECL*)(AEffect* effect, int32_t index, float value);
using AEffectGetParameterProc = float(VST_CDECL*)(AEffect* effect, int32_t index);

// Four 8-bit characters, the first in the most significant byte.
constexpr int32_t CCONST(char a, char b, char c, char d) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

constexpr int32_t kEffectMagic = CCONST('V', 's', 't', 'P');

struct AEffect {
    int32_t magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    intptr_t resvd1;
    intptr_t resvd2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;
    void* user;
    int32_t uniqueID;
    int32_t version;
    AEffectProcessProc processReplacing;
    char future[60];
};

enum : int32_t {
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2,
    effFlagsHasVu = 4,
    effFlagsCanMono = 8,
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsExtIsAsync = 1024,
    effFlagsExtHasBuffer = 2048,
};

// Dispatcher opcodes, 0 to 68.
enum : int32_t {
    effOpen = 0, effClose, effSetProgram, effGetProgram, effSetProgramName, effGetProgramName,
    effGetParamLabel, effGetParamDisplay, effGetParamName, effGetVu, effSetSampleRate,
    effSetBlockSize, effMainsChanged, effEditGetRect, effEditOpen, effEditClose, effEditDraw,
    effEditMouse, effEditKey, effEditIdle, effEditTop, effEditSleep, effIdentify, effGetChunk,
    effSetChunk,
    effProcessEvents = 25, effCanBeAutomated, effString2Parameter, effGetNumProgramCategories,
    effGetProgramNameIndexed, effCopyProgram, effConnectInput, effConnectOutput,
    effGetInputProperties, effGetOutputProperties, effGetPlugCategory, effGetCurrentPosition,
    effGetDestinationBuffer, effOfflineNotify, effOfflinePrepare, effOfflineRun,
    effProcessVarIo, effSetSpeakerArrangement, effSetBlockSizeAndSampleRate, effSetBypass,
    effGetEffectName, effGetErrorText, effGetVendorString, effGetProductString,
    effGetVendorVersion, effVendorSpecific, effCanDo, effGetTailSize, effIdle, effGetIcon,
    effSetViewPosition, effGetParameterProperties, effKeysRequired, effGetVstVersion,
    effEditKeyDown, effEditKeyUp, effSetEditKnobMode, effGetMidiProgramName,
    effGetCurrentMidiProgram, effGetMidiProgramCategory, effHasMidiProgramsChanged,
    effGetMidiKeyName, effBeginSetProgram, effEndSetProgram,
};

// Host opcodes, 0 to 45.
enum : int32_t {
    audioMasterAutomate = 0, audioMasterVersion, audioMasterCurrentId, audioMasterIdle,
    audioMasterPinConnected,
    audioMasterWantMidi = 6, audioMasterGetTime, audioMasterProcessEvents,
    audioMasterSetTime, audioMasterTempoAt, audioMasterGetNumAutomatableParameters,
    audioMasterGetParameterQuantization, audioMasterIOChanged, audioMasterNeedIdle,
    audioMasterSizeWindow, audioMasterGetSampleRate, audioMasterGetBlockSize,
    audioMasterGetInputLatency, audioMasterGetOutputLatency, audioMasterGetPreviousPlug,
    audioMasterGetNextPlug, audioMasterWillReplaceOrAccumulate,
    audioMasterGetCurrentProcessLevel, audioMasterGetAutomationState, audioMasterOfflineStart,
    audioMasterOfflineRead, audioMasterOfflineWrite, audioMasterOfflineGetCurrentPass,
    audioMasterOfflineGetCurrentMetaPass, audioMasterSetOutputSampleRate,
    audioMasterGetSpeakerArrangement, audioMasterGetVendorString, audioMasterGetProductString,
    audioMasterGetVendorVersion, audioMasterVendorSpecific, audioMasterSetIcon,
    audioMasterCanDo, audioMasterGetLanguage, audioMasterOpenWindow, audioMasterCloseWindow,
    audioMasterGetDirectory, audioMasterUpdateDisplay, audioMasterBeginEdit,
    audioMasterEndEdit, audioMasterOpenFileSelector,
};

enum : int32_t { kPlugCategUnknown = 0, kPlugCategSynth = 2 };
enum : int32_t { kVstMidiType = 1, kVstSysExType = 6 };
enum : int32_t { kVstPinIsActive = 1, kVstPinIsStereo = 2 };
enum : int32_t {
    kVstParameterIsSwitch = 1,
    kVstParameterUsesIntegerMinMax = 2,
    kVstParameterUsesFloatStep = 4,
    kVstParameterUsesIntStep = 8,
    kVstParameterSupportsDisplayIndex = 16,
    kVstParameterSupportsDisplayCategory = 32,
    kVstParameterCanRamp = 64,
};

// Sizes of the host buffers, terminator included.
constexpr size_t kVstMaxProgNameLen = 24;
constexpr size_t kVstMaxParamStrLen = 8;
constexpr size_t kVstMaxEffectNameLen = 32;
constexpr size_t kVstMaxVendorStrLen = 64;
constexpr size_t kVstMaxProductStrLen = 64;
constexpr size_t kVstMaxLabelLen = 64;
constexpr size_t kVstMaxShortLabelLen = 8;
constexpr size_t kVstMaxCategLabelLen = 24;

struct VstEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    char data[16];
};

struct VstMidiEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4];
    int8_t detune;
    uint8_t noteOffVelocity;
    int8_t reserved1;
    int8_t reserved2;
};

struct VstEvents {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[2];  // really numEvents entries
};

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

struct VstParameterProperties {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[kVstMaxLabelLen];  // the long name
    int32_t flags;
    int32_t minInteger;
    int32_t maxInteger;
    int32_t stepInteger;
    int32_t largeStepInteger;
    char shortLabel[kVstMaxShortLabelLen];
    int16_t displayIndex;
    int16_t category;  // 1-based; 0 for none
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[kVstMaxCategLabelLen];
    char future[16];
};

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VstKeyCode {
    int32_t character;
    uint8_t virt;
    uint8_t modifier;
};

#define TAMRIK_ASSERT_OFFSET(T, field, off64, off32)                                     \
    static_assert(offsetof(T, field) == (sizeof(void*) == 8 ? (off64) : (off32)),        \
                  #T "." #field " is not where hosts read it")

TAMRIK_ASSERT_OFFSET(AEffect, magic, 0, 0);
TAMRIK_ASSERT_OFFSET(AEffect, dispatcher, 8, 4);
TAMRIK_ASSERT_OFFSET(AEffect, process, 16, 8);
TAMRIK_ASSERT_OFFSET(AEffect, setParameter, 24, 12);
TAMRIK_ASSERT_OFFSET(AEffect, getParameter, 32, 16);
TAMRIK_ASSERT_OFFSET(AEffect, numPrograms, 40, 20);
TAMRIK_ASSERT_OFFSET(AEffect, numParams, 44, 24);
TAMRIK_ASSERT_OFFSET(AEffect, numInputs, 48, 28);
TAMRIK_ASSERT_OFFSET(AEffect, numOutputs, 52, 32);
TAMRIK_ASSERT_OFFSET(AEffect, flags, 56, 36);
TAMRIK_ASSERT_OFFSET(AEffect, resvd1, 64, 40);
TAMRIK_ASSERT_OFFSET(AEffect, resvd2, 72, 44);
TAMRIK_ASSERT_OFFSET(AEffect, initialDelay, 80, 48);
TAMRIK_ASSERT_OFFSET(AEffect, realQualities, 84, 52);
TAMRIK_ASSERT_OFFSET(AEffect, offQualities, 88, 56);
TAMRIK_ASSERT_OFFSET(AEffect, ioRatio, 92, 60);
TAMRIK_ASSERT_OFFSET(AEffect, object, 96, 64);
TAMRIK_ASSERT_OFFSET(AEffect, user, 104, 68);
TAMRIK_ASSERT_OFFSET(AEffect, uniqueID, 112, 72);
TAMRIK_ASSERT_OFFSET(AEffect, version, 116, 76);
TAMRIK_ASSERT_OFFSET(AEffect, processReplacing, 120, 80);
TAMRIK_ASSERT_OFFSET(AEffect, future, 128, 84);
static_assert(sizeof(AEffect) == (sizeof(void*) == 8 ? 192 : 144), "AEffect size");

TAMRIK_ASSERT_OFFSET(VstEvents, numEvents, 0, 0);
TAMRIK_ASSERT_OFFSET(VstEvents, reserved, 8, 4);
TAMRIK_ASSERT_OFFSET(VstEvents, events, 16, 8);

TAMRIK_ASSERT_OFFSET(VstMidiEvent, type, 0, 0);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, byteSize, 4, 4);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, deltaFrames, 8, 8);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, flags, 12, 12);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, noteLength, 16, 16);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, noteOffset, 20, 20);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, midiData, 24, 24);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, detune, 28, 28);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, noteOffVelocity, 29, 29);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, reserved1, 30, 30);
TAMRIK_ASSERT_OFFSET(VstMidiEvent, reserved2, 31, 31);
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
static_assert(sizeof(VstEvent) == 32, "VstEvent size");

TAMRIK_ASSERT_OFFSET(VstPinProperties, label, 0, 0);
TAMRIK_ASSERT_OFFSET(VstPinProperties, flags, 64, 64);
TAMRIK_ASSERT_OFFSET(VstPinProperties, arrangementType, 68, 68);
TAMRIK_ASSERT_OFFSET(VstPinProperties, shortLabel, 72, 72);
TAMRIK_ASSERT_OFFSET(VstPinProperties, future, 80, 80);
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties size");
TAMRIK_ASSERT_OFFSET(VstParameterProperties, label, 12, 12);
TAMRIK_ASSERT_OFFSET(VstParameterProperties, flags, 76, 76);
TAMRIK_ASSERT_OFFSET(VstParameterProperties, shortLabel, 96, 96);
TAMRIK_ASSERT_OFFSET(VstParameterProperties, displayIndex, 104, 104);
TAMRIK_ASSERT_OFFSET(VstParameterProperties, category, 106, 106);
TAMRIK_ASSERT_OFFSET(VstParameterProperties, categoryLabel, 112, 112);
TAMRIK_ASSERT_OFFSET(VstParameterProperties, future, 136, 136);
static_assert(sizeof(VstParameterProperties) == 152, "VstParameterProperties size");
static_assert(sizeof(ERect) == 8, "ERect size");

#undef TAMRIK_ASSERT_OFFSET

}  // namespace vst
