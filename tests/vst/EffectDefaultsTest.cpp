// The base effect classes on their own: default answers, flag setters, key
// records and every host request with its arguments and its reading of the
// host's answer.
#include <gtest/gtest.h>

#include <vector>

#include "vst/AudioEffectX.h"

using namespace vst;

namespace {

struct Call {
    AEffect* effect;
    int32_t opcode, index;
    intptr_t value;
    void* ptr;
    float opt;
};
std::vector<Call> calls;
intptr_t hostAnswer = 0;

intptr_t recordingHost(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                       float opt) {
    calls.push_back({e, opcode, index, value, ptr, opt});
    return hostAnswer;
}

class PlainEffect : public AudioEffectX {
public:
    explicit PlainEffect(audioMasterCallback master) : AudioEffectX(master, 4, 3) {}
    void process(float**, float**, int32_t) override {}
    void setParameter(int32_t index, float value) override { last = {index, value}; }
    bool keysRequired() override { return wantKeys; }
    std::pair<int32_t, float> last{-1, 0.0f};
    bool wantKeys = false;
    using AudioEffect::callHost;
};

class KeyEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    int32_t onKeyDown(VstKeyCode& key) override {
        seen = key;
        return AEffEditor::onKeyDown(key);
    }
    VstKeyCode seen{};
    int updates = 0;
    void update() override { ++updates; }
};

class EffectDefaults : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        hostAnswer = 0;
    }
    const Call& only() {
        EXPECT_EQ(calls.size(), 1u);
        return calls.back();
    }
};

}  // namespace

TEST_F(EffectDefaults, ConstructorFillsTheRecordAndAsksNothing) {
    PlainEffect fx(recordingHost);
    AEffect* e = fx.getAeffect();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0);
    EXPECT_EQ(e->uniqueID, CCONST('N', 'o', 'E', 'f'));
    EXPECT_EQ(e->object, &fx);
    EXPECT_EQ(fx.getSampleRate(), 44100.0f);
    EXPECT_EQ(fx.getBlockSize(), 1024);
    EXPECT_EQ(fx.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategUnknown);
}

TEST_F(EffectDefaults, FlagSettersTouchOnlyTheirBit) {
    PlainEffect fx(recordingHost);
    int32_t& flags = fx.getAeffect()->flags;
    fx.isSynth(true);
    fx.setEditor(new AEffEditor(&fx));
    EXPECT_EQ(flags, effFlagsIsSynth | effFlagsHasEditor);
    fx.noTail(true);
    fx.wantAsyncOperation(true);
    fx.hasExternalBuffer(true);
    fx.programsAreChunks(true);
    fx.canMono(true);
    fx.hasVu(true);
    fx.hasClip(true);
    fx.canProcessReplacing(true);
    EXPECT_EQ(flags, 0xF3F | 0);
    fx.noTail(false);
    EXPECT_EQ(flags, 0xF3F & ~effFlagsNoSoundInStop);
    delete fx.getEditor();
    fx.setEditor(nullptr);
    EXPECT_EQ(flags & effFlagsHasEditor, 0);
}

TEST_F(EffectDefaults, DispatcherDefaults) {
    PlainEffect fx(recordingHost);
    auto d = [&](int32_t op, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                 float opt = 0) { return fx.dispatcher(op, index, value, ptr, opt); };
    EXPECT_EQ(d(effSetProgram, 0, 3), 0);
    EXPECT_EQ(d(effGetProgram), 3);
    EXPECT_EQ(d(effSetProgram, 0, 4), 0);
    EXPECT_EQ(d(effGetProgram), 3) << "4 programs: 4 is out of range";
    EXPECT_EQ(d(effSetProgram, 0, -2), 0);
    EXPECT_EQ(d(effGetProgram), -2) << "the base stores what passes the upper bound";
    EXPECT_EQ(d(effKeysRequired), 1);
    fx.wantKeys = true;
    EXPECT_EQ(d(effKeysRequired), 0);
    EXPECT_EQ(d(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(fx.getBlockSize(), 512);
    EXPECT_EQ(fx.getSampleRate(), 48000.0f);
    char any[] = "anything";
    EXPECT_EQ(d(effCanDo, 0, 0, any), 0);
    EXPECT_EQ(d(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(d(effGetVstVersion), 2200);
    EXPECT_EQ(d(effEditKeyDown, 65, 3, nullptr, 1.5f), 0) << "no editor";
    EXPECT_TRUE(calls.empty());
}

TEST_F(EffectDefaults, EditorRequestsReachTheEditor) {
    PlainEffect fx(recordingHost);
    auto* editor = new KeyEditor(&fx);
    fx.setEditor(editor);
    EXPECT_EQ(fx.dispatcher(effEditKeyDown, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(editor->seen.character, 65);
    EXPECT_EQ(editor->seen.virt, 3);
    EXPECT_EQ(editor->seen.modifier, 2) << "1.5 rounds to the even 2";
    EXPECT_EQ(fx.dispatcher(effEditKeyUp, 1, 0x1FF, nullptr, 0.5f), -1);
    EXPECT_EQ(fx.dispatcher(effSetEditKnobMode, 0, 2, nullptr, 0), 0);
    ERect* rect = reinterpret_cast<ERect*>(&fx);
    EXPECT_EQ(fx.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(fx.dispatcher(effEditOpen, 0, 0, &fx, 0), 0);
    fx.dispatcher(effEditIdle, 0, 0, nullptr, 0);
    EXPECT_EQ(editor->updates, 0) << "idle repaints only after postUpdate";
    editor->postUpdate();
    fx.dispatcher(effEditIdle, 0, 0, nullptr, 0);
    fx.dispatcher(effEditIdle, 0, 0, nullptr, 0);
    EXPECT_EQ(editor->updates, 1);
}

TEST_F(EffectDefaults, AutomationTellsTheHostAfterSetting) {
    PlainEffect fx(recordingHost);
    fx.setParameterAutomated(2, 0.75f);
    EXPECT_EQ(fx.last, (std::pair<int32_t, float>{2, 0.75f}));
    const Call& c = only();
    EXPECT_EQ(c.opcode, audioMasterAutomate);
    EXPECT_EQ(c.index, 2);
    EXPECT_EQ(c.opt, 0.75f);
    EXPECT_EQ(c.effect, fx.getAeffect());

    PlainEffect orphan(nullptr);
    orphan.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(orphan.last.first, 1) << "no host callback: still set";
}

TEST_F(EffectDefaults, BaseHostRequestsReadTheirAnswers) {
    PlainEffect fx(recordingHost);
    EXPECT_EQ(fx.getMasterVersion(), 1) << "host answers 0";
    hostAnswer = 2400;
    EXPECT_EQ(fx.getMasterVersion(), 2400);
    hostAnswer = 0;
    EXPECT_TRUE(fx.isInputConnected(1));
    EXPECT_EQ(calls.back().opcode, audioMasterPinConnected);
    EXPECT_EQ(calls.back().value, 0);
    hostAnswer = 1;
    EXPECT_FALSE(fx.isOutputConnected(0));
    EXPECT_EQ(calls.back().value, 1);

    PlainEffect orphan(nullptr);
    EXPECT_EQ(orphan.getMasterVersion(), 1);
    EXPECT_TRUE(orphan.isInputConnected(0));
    EXPECT_EQ(orphan.getCurrentUniqueId(), 0);
    EXPECT_EQ(orphan.updateSampleRate(), 44100.0);
    EXPECT_EQ(orphan.updateBlockSize(), 1024);
    EXPECT_FALSE(orphan.needIdle());
}

TEST_F(EffectDefaults, ExtendedHostRequestsSendTheirArguments) {
    PlainEffect fx(recordingHost);
    hostAnswer = 7;
    char text[64] = "x";
    struct Expect { int32_t opcode, index; intptr_t value; void* ptr; float opt; };
    auto check = [&](Expect e) {
        ASSERT_FALSE(calls.empty());
        const Call& c = calls.back();
        EXPECT_EQ(c.opcode, e.opcode);
        EXPECT_EQ(c.index, e.index) << e.opcode;
        EXPECT_EQ(c.value, e.value) << e.opcode;
        EXPECT_EQ(c.ptr, e.ptr) << e.opcode;
        EXPECT_EQ(c.opt, e.opt) << e.opcode;
    };
    fx.wantEvents(1);                      check({audioMasterWantMidi, 0, 1, nullptr, 0});
    EXPECT_TRUE(fx.sizeWindow(505, 313));  check({audioMasterSizeWindow, 505, 313, nullptr, 0});
    EXPECT_EQ(fx.updateSampleRate(), 44100.0) << "host's answer ignored";
    check({audioMasterGetSampleRate, 0, 0, nullptr, 0});
    EXPECT_EQ(fx.canHostDo(text), 1);      check({audioMasterCanDo, 0, 0, text, 0});
    EXPECT_EQ(fx.offlineGetCurrentPass(), 1);
    EXPECT_TRUE(fx.offlineRead(nullptr, 3, true));
    check({audioMasterOfflineRead, 1, 3, nullptr, 0});
    EXPECT_TRUE(fx.offlineStart(nullptr, 2, 5));
    check({audioMasterOfflineStart, 5, 2, nullptr, 0});
    fx.setOutputSamplerate(22050.0f);
    check({audioMasterSetOutputSampleRate, 0, 0, nullptr, 22050.0f});
    EXPECT_EQ(fx.hostVendorSpecific(1, 2, text, 0.5f), 7);
    check({audioMasterVendorSpecific, 1, 2, text, 0.5f});
    EXPECT_TRUE(fx.beginEdit(4));          check({audioMasterBeginEdit, 4, 0, nullptr, 0});
    EXPECT_TRUE(fx.endEdit(4));            check({audioMasterEndEdit, 4, 0, nullptr, 0});
    EXPECT_EQ(fx.getNextPlug(3), reinterpret_cast<AEffect*>(7));
    check({audioMasterGetNextPlug, 0, 0, nullptr, 0});
    const size_t before = calls.size();
    EXPECT_FALSE(fx.openFileSelector(nullptr));
    EXPECT_EQ(calls.size(), before) << "nil selector: no request";
    for (const Call& c : calls) EXPECT_EQ(c.effect, fx.getAeffect());
}
