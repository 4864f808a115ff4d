#include "TessalyCore/ReconcileLog.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "Platform/Log.h"
#include "Platform/UserDefaults.h"

namespace tessaly {

namespace {

std::atomic<const UserDefaults*> configuredDefaults{nullptr};

// The stored switch, read as the defaults read any Boolean (a true value,
// a non-zero number, a "YES"-like text).
std::optional<bool> storedBool(const UserDefaults* defaults) {
    if (!defaults) return std::nullopt;
    return defaults->boolForKey(ReconcileLog::defaultsKey);
}

}  // namespace

bool ReconcileLog::decide(std::optional<bool> defaultsValue, const char* environmentValue) {
    if (defaultsValue == true) return true;
    return environmentValue != nullptr && std::strcmp(environmentValue, "1") == 0;
}

void ReconcileLog::useDefaults(const UserDefaults* defaults) { configuredDefaults.store(defaults); }

bool ReconcileLog::isEnabled() {
    static const bool enabled = [] {
        const bool on = decide(storedBool(configuredDefaults.load()), std::getenv(environmentVariable));
        if (on) Log::setDiagnosticsEnabled(true);
        return on;
    }();
    return enabled;
}

}  // namespace tessaly
