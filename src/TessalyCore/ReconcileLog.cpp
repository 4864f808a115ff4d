#include "TessalyCore/ReconcileLog.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "Platform/Log.h"
#include "Platform/UserDefaults.h"

namespace tessaly {

namespace {

std::mutex configuredMutex;
std::shared_ptr<const UserDefaults> configuredDefaults;
bool decided = false;

// The store the first read consults: the one named, else the user's own.
std::shared_ptr<const UserDefaults> defaultsForFirstRead() {
    std::shared_ptr<const UserDefaults> named;
    {
        std::lock_guard lock(configuredMutex);
        decided = true;
        named = std::exchange(configuredDefaults, nullptr);
    }
    if (named) return named;
    return FileUserDefaults::standard();
}

}  // namespace

bool ReconcileLog::decide(std::optional<bool> defaultsValue, const char* environmentValue) {
    if (defaultsValue == true) return true;
    return environmentValue != nullptr && std::strcmp(environmentValue, "1") == 0;
}

void ReconcileLog::useDefaults(std::shared_ptr<const UserDefaults> defaults) {
    std::lock_guard lock(configuredMutex);
    if (!decided) configuredDefaults = std::move(defaults);
}

bool ReconcileLog::isEnabled() {
    static const bool enabled = [] {
        // Read as the defaults read any Boolean (a true value, a non-zero
        // number, a "YES"-like text).
        const std::shared_ptr<const UserDefaults> defaults = defaultsForFirstRead();
        const bool stored = defaults && defaults->boolForKey(defaultsKey);
        const bool on = decide(stored ? std::optional<bool>(true) : std::nullopt, std::getenv(environmentVariable));
        if (on) Log::setDiagnosticsEnabled(true);
        return on;
    }();
    return enabled;
}

void ReconcileLog::trace(LogCategory category, std::string_view message) {
    isEnabled();
    Log::trace(category, message);
}

}  // namespace tessaly
