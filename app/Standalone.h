// One run of the standalone program: the product's instrument, the saved
// session restored (or refused with one line, and the defaults), the sound
// the command line chooses, the JACK client and its connections, then the
// main loop until a quit signal or the server's end, and the session saved.
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
