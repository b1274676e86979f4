// A library's factory: its product as the one class of the vendor's, made
// as one Vst3Plugin (component and controller in one). Class ids come from
// the products table; hosts keep them in sessions.
//
// Any thread; it holds no state beyond constants.
#pragma once

#include "binding/Products.h"
#include "vst3/Vst3Api.h"

namespace tamrik::vst3 {

// The product's factory as GetPluginFactory hands it out: a static object
// whose reference count is not kept.
v3_plugin_factory** pluginFactory(const binding::Product& product);

// The product's class id as the format's tuid on this target (Windows
// builds reorder the first eight bytes, as COM does).
void classIdOf(const binding::Product& product, v3_tuid id);

}  // namespace tamrik::vst3
