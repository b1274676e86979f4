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
#include "synth/Instrument.h"

namespace tamrik::clap {

struct PluginKind {
    const clap_plugin_descriptor_t* descriptor;
    std::unique_ptr<Instrument> (*makeInstrument)();
    // Whether the gui extension offers a panel for it.
    bool hasEditor;
};

uint32_t pluginKindCount();
// nullptr for an index beyond the list, or an id not in it.
const PluginKind* pluginKindAt(uint32_t index);
const PluginKind* findPluginKind(const char* id);

// The factory the entry hands out for CLAP_PLUGIN_FACTORY_ID.
const clap_plugin_factory_t* pluginFactory();

}  // namespace tamrik::clap
