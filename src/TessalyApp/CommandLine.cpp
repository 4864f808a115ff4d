#include "TessalyApp/CommandLine.h"

#include <cstdio>

#include "TessalyApp/AppInfo.h"
#include "TessalyApp/LoginItem.h"

namespace tessaly {

CommandLine CommandLine::parse(int argc, const char* const* argv) {
    CommandLine command;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (argument == LoginItem::loginItemArgument) {
            command.loginItem = true;
        } else if (argument == "--help" || argument == "-h") {
            if (command.action == Action::run) command.action = Action::help;
        } else if (argument == "--version") {
            if (command.action == Action::run) command.action = Action::version;
        } else if ((argument == "-session" || argument == "--session") && i + 1 < argc) {
            ++i;
        } else if (argument.starts_with("-session=") || argument.starts_with("--session=")) {
        } else {
            command.action = Action::misuse;
            command.misused = argument;
            return command;
        }
    }
    return command;
}

std::string CommandLine::usage() {
    return "Usage: tessaly [--login-item]\n"
           "       tessaly --help | --version\n"
           "\n"
           "Tessaly gathers the windows of any applications into tab groups: drag a window\n"
           "onto another with Shift held and release to make one group with one frame and\n"
           "a tab bar. It runs on the current X11 display (DISPLAY) with an icon in the\n"
           "system tray, one instance per user: starting it again opens its settings window.\n"
           "\n"
           "  --login-item  start as the launch-at-login entry does, without opening the\n"
           "                settings window\n"
           "  -h, --help    show this help and exit\n"
           "  --version     show the version and exit\n";
}

std::string CommandLine::versionLine() { return "Tessaly " + AppInfo::version() + "\n"; }

int CommandLine::answer(const CommandLine& command) {
    switch (command.action) {
        case Action::help: std::fputs(usage().c_str(), stdout); return 0;
        case Action::version: std::fputs(versionLine().c_str(), stdout); return 0;
        case Action::misuse:
            std::fprintf(stderr, "tessaly: unknown argument \"%s\"\n\n%s", command.misused.c_str(), usage().c_str());
            return 2;
        case Action::run: break;
    }
    return 0;
}

}  // namespace tessaly
