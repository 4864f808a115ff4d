#pragma once
// The program's command line: "--login-item" (a start by the launch-at-login
// entry), "--help" and "--version". Anything else is a misuse, answered with
// the usage on standard error and exit status 2. The one argument of the
// toolkit's own that is let through is the session manager's "-session ID",
// with which a session manager restarts the programs of a saved session.
#include <string>
#include <string_view>

namespace tessaly {

struct CommandLine {
    enum class Action { run, help, version, misuse };

    Action action = Action::run;
    bool loginItem = false;
    std::string misused;  // the argument not understood (misuse)

    static CommandLine parse(int argc, const char* const* argv);

    static std::string usage();
    // "Tessaly 0.1.0": the name and version the About page shows.
    static std::string versionLine();
    // What the program writes and the exit status it ends with for an action
    // other than run: the usage or version line on standard output (0), or a
    // complaint and the usage on standard error (2).
    static int answer(const CommandLine& command);
};

}  // namespace tessaly
