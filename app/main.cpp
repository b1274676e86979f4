// drumtamrik: DrumTamrik, or DrumTamrik Kit, without a host, as a JACK
// client or on an ALSA device. Every failure is one line on standard error
// and exit status 2.
#include <cstdio>
#include <exception>
#include <new>

#include "app/Standalone.h"
#include "app/StandaloneOptions.h"

int main(int argc, char** argv) {
    using namespace tamrik::app;
    try {
        const StandaloneOptions options = StandaloneCommandLine::parse(argc, argv);
        if (options.help) {
            std::fputs(StandaloneCommandLine::helpText().c_str(), stdout);
            return 0;
        }
        return Standalone(options).run();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "drumtamrik: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "drumtamrik: %s\n", e.what());
    }
    return 2;
}
