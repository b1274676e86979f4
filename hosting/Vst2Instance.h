// One instance of a VST 2 plug-in, from the host's side: made by the
// plug-in's entry, driven only through its record, closed once. The
// plug-in's calls to the host reach hostRequest of the instance they concern,
// also those it makes from inside its entry, before the record is known.
// Hosts that answer more than the version derive and open the instance from
// their own constructor, where their override is already in force.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosting/EventBlock.h"
#include "hosting/Vst2Library.h"
#include "vst/AEffect.h"

namespace tamrik::hosting {

class Vst2Instance {
public:
    Vst2Instance() = default;
    virtual ~Vst2Instance();
    Vst2Instance(const Vst2Instance&) = delete;
    Vst2Instance& operator=(const Vst2Instance&) = delete;

    // Calls the entry; false (and no record) when it answered nil.
    bool open(PluginEntry entry);
    // A checked record from the library; throws LoadError as it does.
    void open(const Vst2Library& library);
    // Anything that makes a record from the host's callback (an in-process
    // plug-in, say).
    template <class Make>
    bool openWith(Make&& make) {
        const Opening opening(this);
        return adopt(make(&Vst2Instance::callback));
    }

    vst::AEffect* effect() const { return effect_; }
    bool isOpen() const { return effect_ != nullptr; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    // effClose; the record is gone afterwards. Its answer.
    intptr_t close();

    void setParameter(int32_t index, float value);
    float getParameter(int32_t index) const;
    // By index, as the plug-in names them (effGetParamName).
    std::vector<std::string> parameterNames() const;
    // effProcessEvents with the block as it stands.
    intptr_t sendEvents(EventBlock& events);
    void processReplacing(float** outputs, int32_t frames);
    void process(float** outputs, int32_t frames);

protected:
    // A request of the plug-in's, with the record it passed (nil or not yet
    // this instance's during the entry); this answers audioMasterVersion (2400) only.
    virtual intptr_t hostRequest(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt);

private:
    // Routes the plug-in's calls made during the entry to this instance.
    class Opening {
    public:
        explicit Opening(Vst2Instance* instance);
        ~Opening();
        Opening(const Opening&) = delete;
        Opening& operator=(const Opening&) = delete;
    };
    bool adopt(vst::AEffect* effect);
    static intptr_t VST_CDECL callback(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                       void* ptr, float opt);

    vst::AEffect* effect_ = nullptr;
};

}  // namespace tamrik::hosting
