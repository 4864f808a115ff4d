#pragma once
// One logging facade with the program's categories. Lines go to the systemd
// journal when it is there, otherwise to stderr; tests install a sink.
// Diagnostic traces of "activate", "reconcile", "overlay" and "spring" are
// written only while diagnostics are on, and so are debug-level lines,
// except to a sink.
#include <functional>
#include <string_view>

namespace tessaly {

enum class LogLevel { debug, info, notice, error, fault };

enum class LogCategory { app, settingsFile, updater, activate, reconcile, update, drag, focus, overlay, spring };

// The category's name as it appears in the log: "app", "settings-file", ...
std::string_view categoryName(LogCategory category);

class Log {
public:
    using Sink = std::function<void(LogLevel, LogCategory, std::string_view)>;

    static void write(LogLevel level, LogCategory category, std::string_view message);
    static void debug(LogCategory category, std::string_view message) { write(LogLevel::debug, category, message); }
    static void info(LogCategory category, std::string_view message) { write(LogLevel::info, category, message); }
    // The default level, where ordinary lines and the diagnostic traces go.
    static void notice(LogCategory category, std::string_view message) { write(LogLevel::notice, category, message); }
    static void error(LogCategory category, std::string_view message) { write(LogLevel::error, category, message); }
    // A diagnostic trace at the default (notice) level: dropped unless
    // diagnostics are on.
    static void trace(LogCategory category, std::string_view message);

    // Whether lines go to the journal when it is reachable (the default) or
    // always to stderr (a program started from a terminal, or with its
    // output captured, tells whoever started it).
    static void setJournalPreferred(bool preferred);

    static void setDiagnosticsEnabled(bool enabled);
    static bool diagnosticsEnabled();

    // Replaces where lines go (nullptr restores the journal/stderr default).
    // Thread-safe; once it returns, the previous sink is no longer running
    // on another thread and will not be called again.
    static void setSink(Sink sink);
};

}  // namespace tessaly
