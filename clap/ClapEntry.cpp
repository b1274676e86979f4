// The library's one export, clap_entry. A host calls init before anything
// else and deinit when done; some hosts (and several hosts sharing a
// process) call them more than once, so the calls are counted, and the
// factory is there while at least one init is not yet matched by a deinit.
// Nothing is set up or torn down: the instruments build what they share on
// construction.
#include <atomic>
#include <cstring>

#include "clap/ClapApi.h"
#include "clap/PluginFactory.h"

namespace {

std::atomic<int> initCount{0};

bool CLAP_ABI entryInit(const char*) {
    initCount.fetch_add(1);
    return true;
}

void CLAP_ABI entryDeinit() {
    int n = initCount.load();
    while (n > 0 && !initCount.compare_exchange_weak(n, n - 1)) {
    }
}

const void* CLAP_ABI entryFactory(const char* id) {
    if (initCount.load() == 0 || !id || std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) != 0) return nullptr;
    return tamrik::clap::pluginFactory();
}

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit,
                                                                entryFactory};
