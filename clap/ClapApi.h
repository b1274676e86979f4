// The CLAP interface as this binding uses it: the format's own C headers,
// version 1.1, from Debian's dpf-source package (MIT), found through the
// include path that clap/CMakeLists.txt sets. That copy has every
// declaration we use; beside it there is only the one way the binding asks
// the host for an extension. Should a later need outgrow the copy, its local
// declarations belong in this file and nowhere else.
#pragma once

#include <clap/entry.h>
#include <clap/events.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/note-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>
#include <clap/plugin-features.h>
#include <clap/plugin.h>
#include <clap/process.h>
#include <clap/stream.h>
#include <clap/version.h>

namespace tamrik::clap {

// The host's extension of that id, or null (also for a host without the call).
template <typename T>
const T* hostExtension(const clap_host_t* host, const char* id) {
    return host && host->get_extension ? static_cast<const T*>(host->get_extension(host, id)) : nullptr;
}

}  // namespace tamrik::clap
