#pragma once
// The real tessaly program, started as a child on a test desktop with its
// own HOME and XDG folders (so it never sees the developer's settings), its
// settings file written beforehand, and its log read from its standard
// error (no journal is reachable from a test).
#include "ScreenReadback.h"
#include "ChildProcess.h"

#include "Platform/TestFiles.h"
#include "Platform/X11/X11Desktop.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifndef TESSALY_PROGRAM
#error "TESSALY_PROGRAM must name the built tessaly executable"
#endif

namespace tessaly::e2e {

class TessalyProgram {
public:
    // The line the program writes once its session runs with drag grouping on.
    static constexpr const char* sessionStartedLine = "session started";

    struct Options {
        // The display to use; empty: the desktop's. "none" leaves DISPLAY unset.
        std::string display;
        // Extra user-defaults entries, as JSON values ("true", "0", "\"x\"").
        std::map<std::string, std::string> defaults;
        // More variables of the program's environment (QT_SCALE_FACTOR).
        std::map<std::string, std::string> environment;
        // Turns the diagnostic traces on (TESSALY_RECONCILE_LOG=1).
        bool diagnostics = false;
        std::vector<std::string> arguments = {"--login-item"};
        // A relaunch handoff to rebuild at start (handoffJson), when not empty.
        std::string handoff;
    };

    static constexpr const char* path() { return TESSALY_PROGRAM; }

    // Without a session bus of the test's, the program finds none at once
    // (a socket that is not there): left unset, libdbus would spawn
    // dbus-launch from a process full of threads, whose child can hang in
    // the sanitizers' allocator, and the program's start with it.
    static void keepOffAutolaunchedBus(std::map<std::string, std::string>& variables) {
        const auto runtime = variables.find("XDG_RUNTIME_DIR");
        const std::string dir = runtime != variables.end() ? runtime->second : std::string("/nonexistent");
        variables.try_emplace("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir + "/no-bus");
    }

    // Starts the program; empty when it cannot be started at all.
    static std::optional<TessalyProgram> start(test::X11Desktop& desktop, const Options& options) {
        const std::filesystem::path root = desktop.directory() / ("tessaly-" + std::to_string(++launches()));
        std::map<std::string, std::string> variables;
        for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
                 {"HOME", "home"}, {"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"},
                 {"XDG_CACHE_HOME", "cache"}, {"XDG_RUNTIME_DIR", "runtime"}}) {
            std::filesystem::create_directories(root / folder);
            variables[name] = (root / folder).string();
        }
        std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        // No welcome: the settings window would come up on the first start.
        std::string json = "{\"welcomeShown\": true";
        for (const auto& [key, value] : options.defaults) json += ", \"" + key + "\": " + value;
        testing::writeFile(root / "config" / "tessaly" / "defaults.json", json + "}");
        if (!options.handoff.empty()) testing::writeFile(root / "data" / "Tessaly" / "update-handoff.json", options.handoff);

        if (options.display != "none") variables["DISPLAY"] = options.display.empty() ? desktop.display() : options.display;
        if (options.diagnostics) variables["TESSALY_RECONCILE_LOG"] = "1";
        variables.insert(options.environment.begin(), options.environment.end());
        keepOffAutolaunchedBus(variables);
        std::vector<std::string> argv{path()};
        argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
        auto child = ChildProcess::start(argv, variables);
        if (!child) return std::nullopt;
        return TessalyProgram(std::move(*child), root);
    }

    ChildProcess& process() { return child_; }
    pid_t pid() const { return child_.pid(); }
    // The program's own folders (home, config, data, cache, runtime).
    const std::filesystem::path& folders() const { return folders_; }
    std::string log() { return child_.output(); }

    bool waitUntilSessionRuns(std::chrono::milliseconds timeout = test::kX11Patience) {
        return child_.waitForOutput(sessionStartedLine, timeout);
    }

private:
    TessalyProgram(ChildProcess child, std::filesystem::path folders)
        : child_(std::move(child)), folders_(std::move(folders)) {}
    static int& launches() {
        static int n = 0;
        return n;
    }

    ChildProcess child_;
    std::filesystem::path folders_;
};

}  // namespace tessaly::e2e
