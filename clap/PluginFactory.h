// The plug-ins this library offers a CLAP host: a descriptor for each of the
// products (binding/Products.h), in the table's order. The factory answers
// the host's scan from this list and makes instances by id.
//
// Every call may come from any thread (the entry's contract); the list is
// made once, when the library loads, and constant after.
#pragma once

#include <cstdint>

#include "binding/Products.h"
#include "clap/ClapApi.h"

namespace tamrik::clap {

struct PluginKind {
    clap_plugin_descriptor_t descriptor;
    const binding::Product* product;
};

uint32_t pluginKindCount();
// nullptr for an index beyond the list, or an id not in it.
const PluginKind* pluginKindAt(uint32_t index);
const PluginKind* findPluginKind(const char* id);

// The factory the entry hands out for CLAP_PLUGIN_FACTORY_ID.
const clap_plugin_factory_t* pluginFactory();

}  // namespace tamrik::clap
