// One run of the standalone program: under a session manager its open
// first, then the product's instrument, the saved session restored (or
// refused with one line, and the defaults), the sound the command line
// chooses, the audio (JACK and its connections, or ALSA), then the main loop
// until a quit signal or the audio's end (or, with --reconnect, across JACK
// servers), and the session saved.
#pragma once

#include <string>

#include "app/StandaloneOptions.h"

namespace tamrik::app {

class Standalone {
public:
    explicit Standalone(StandaloneOptions options);
    // The exit status: 0 after a quit or the server's end, 2 when the
    // program cannot start (the reason said in one line).
    int run();

private:
    StandaloneOptions options_;
};

}  // namespace tamrik::app
