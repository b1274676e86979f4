// The plug-ins this library offers a CLAP host: each one's descriptor (id,
// names, features) and how to make its instrument. The factory answers the
// host's scan from this list and makes instances by id.
//
// Every call may come from any thread (the entry's contract); the list is
// constant.
#pragma once

#include <cstdint>
#include <memory>

#include "clap/ClapApi.h"
#include "editor/ParameterLink.h"
#include "synth/Instrument.h"

namespace tamrik {
class TForm1;
namespace tk {
class Backend;
}
}  // namespace tamrik

namespace tamrik::clap {

struct PluginKind {
    const clap_plugin_descriptor_t* descriptor;
    std::unique_ptr<Instrument> (*makeInstrument)();
    // The panel for an instrument made by makeInstrument (nullptr: no gui),
    // and its height in logical pixels.
    std::unique_ptr<TForm1> (*makeForm)(std::unique_ptr<tk::Backend>, ParameterLink&, Instrument&);
    int formHeight;
};

uint32_t pluginKindCount();
// nullptr for an index beyond the list, or an id not in it.
const PluginKind* pluginKindAt(uint32_t index);
const PluginKind* findPluginKind(const char* id);

// The factory the entry hands out for CLAP_PLUGIN_FACTORY_ID.
const clap_plugin_factory_t* pluginFactory();

}  // namespace tamrik::clap
