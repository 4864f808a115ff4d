#include "Platform/Log.h"

#include <systemd/sd-journal.h>
#include <syslog.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace tessaly {

namespace {

constexpr std::string_view kIdentifier = "tessaly";

std::atomic<bool> diagnostics{false};
std::atomic<bool> journalPreferred{true};

// The installed sink. Writers call it outside the lock, so a sink may log
// or replace the sink itself; setSink() waits for calls on other threads
// to leave the old sink, so once it returns the old sink is never entered
// again and what it captured may go.
struct InstalledSink {
    explicit InstalledSink(Log::Sink f) : fn(std::move(f)) {}
    const Log::Sink fn;
    int active = 0;  // calls inside fn, guarded by sinkMutex
};

std::mutex sinkMutex;
std::condition_variable sinkIdle;
std::shared_ptr<InstalledSink> installedSink;
thread_local int sinkDepth = 0;  // sink calls this thread is inside

// Hands the line to the installed sink; answers false when there is none.
bool writeToSink(LogLevel level, LogCategory category, std::string_view message) {
    std::shared_ptr<InstalledSink> sink;
    {
        std::lock_guard lock(sinkMutex);
        if (!installedSink) return false;
        sink = installedSink;
        ++sink->active;
    }
    ++sinkDepth;
    sink->fn(level, category, message);
    --sinkDepth;
    {
        // setSink() keeps its own reference while it waits, so this one is
        // never the last and nothing is destroyed under the lock.
        std::lock_guard lock(sinkMutex);
        --sink->active;
        sink.reset();
    }
    sinkIdle.notify_all();
    return true;
}

int syslogPriority(LogLevel level) {
    switch (level) {
        case LogLevel::debug: return LOG_DEBUG;
        case LogLevel::info: return LOG_INFO;
        case LogLevel::notice: return LOG_NOTICE;
        case LogLevel::error: return LOG_ERR;
        case LogLevel::fault: return LOG_CRIT;
    }
    return LOG_NOTICE;
}

std::string_view levelName(LogLevel level) {
    switch (level) {
        case LogLevel::debug: return "debug";
        case LogLevel::info: return "info";
        case LogLevel::notice: return "notice";
        case LogLevel::error: return "error";
        case LogLevel::fault: return "fault";
    }
    return "notice";
}

bool journalReachable() {
    static const bool reachable = access("/run/systemd/journal/socket", W_OK) == 0;
    return reachable;
}

bool writeToJournal(LogLevel level, LogCategory category, std::string_view message) {
    if (!journalReachable()) return false;
    const std::string_view name = categoryName(category);
    const int rc = sd_journal_send("MESSAGE=%.*s", static_cast<int>(message.size()), message.data(),
                                   "PRIORITY=%d", syslogPriority(level),
                                   "SYSLOG_IDENTIFIER=%.*s", static_cast<int>(kIdentifier.size()), kIdentifier.data(),
                                   "TESSALY_CATEGORY=%.*s", static_cast<int>(name.size()), name.data(),
                                   nullptr);
    return rc >= 0;
}

void writeToStderr(LogLevel level, LogCategory category, std::string_view message) {
    std::string line;
    line.reserve(message.size() + 48);
    line.append(kIdentifier).append("[").append(categoryName(category)).append("] ");
    line.append(levelName(level)).append(": ").append(message).append("\n");
    // One write per line keeps lines from different threads whole.
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string_view categoryName(LogCategory category) {
    switch (category) {
        case LogCategory::app: return "app";
        case LogCategory::settingsFile: return "settings-file";
        case LogCategory::updater: return "updater";
        case LogCategory::activate: return "activate";
        case LogCategory::reconcile: return "reconcile";
        case LogCategory::update: return "update";
        case LogCategory::drag: return "drag";
        case LogCategory::focus: return "focus";
        case LogCategory::overlay: return "overlay";
        case LogCategory::spring: return "spring";
    }
    return "app";
}

void Log::write(LogLevel level, LogCategory category, std::string_view message) {
    if (writeToSink(level, category, message)) return;
    // Debug lines are for diagnosing: the journal and stderr get them only
    // while diagnostics are on.
    if (level == LogLevel::debug && !diagnosticsEnabled()) return;
    if (journalPreferred.load(std::memory_order_relaxed) && writeToJournal(level, category, message)) return;
    writeToStderr(level, category, message);
}

void Log::trace(LogCategory category, std::string_view message) {
    if (!diagnosticsEnabled()) return;
    write(LogLevel::notice, category, message);
}

void Log::setJournalPreferred(bool preferred) { journalPreferred.store(preferred, std::memory_order_relaxed); }

void Log::setDiagnosticsEnabled(bool enabled) { diagnostics.store(enabled, std::memory_order_relaxed); }

bool Log::diagnosticsEnabled() { return diagnostics.load(std::memory_order_relaxed); }

void Log::setSink(Sink sink) {
    std::shared_ptr<InstalledSink> next;
    if (sink) next = std::make_shared<InstalledSink>(std::move(sink));
    std::shared_ptr<InstalledSink> previous;
    {
        std::unique_lock lock(sinkMutex);
        previous = std::exchange(installedSink, std::move(next));
        // A sink replacing itself from inside cannot wait for its own call.
        if (previous) sinkIdle.wait(lock, [&] { return previous->active <= sinkDepth; });
    }
    // The previous sink is released here, off the lock.
}

}  // namespace tessaly
