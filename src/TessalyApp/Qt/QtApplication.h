#pragma once
// The tessaly program on Qt's main loop. run() checks that an X display can
// be reached (Qt's X11 platform aborts without one), claims the single
// instance, builds the X11 platform services, the main executor and the
// application delegate with the shell's windows attached, runs the loop and
// shuts down in order: on quit, on SIGTERM, SIGINT or SIGHUP, and when the X
// server goes away (then with a failure status and a message).
namespace tessaly {

class QtApplication {
public:
    // Answers the process's exit status.
    static int run(int argc, char** argv);
};

}  // namespace tessaly
