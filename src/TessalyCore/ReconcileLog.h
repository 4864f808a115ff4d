#pragma once
// The switch that turns the program's diagnostic traces on: the user
// default "TessalyReconcileLogging" set to true, or the environment variable
// "TESSALY_RECONCILE_LOG" exactly "1". Worked out once per process, on the
// first read; later reads answer the stored value.
#include <memory>
#include <optional>
#include <string_view>

#include "Platform/Log.h"

namespace tessaly {

class UserDefaults;

class ReconcileLog {
public:
    static constexpr const char* defaultsKey = "TessalyReconcileLogging";
    static constexpr const char* environmentVariable = "TESSALY_RECONCILE_LOG";

    // The switch. The first read also switches the log facade's diagnostic
    // traces on when it is on. Thread-safe.
    static bool isEnabled();

    // A diagnostic trace, after the switch has been worked out (so the first
    // trace of a process is not lost to an unread switch).
    static void trace(LogCategory category, std::string_view message);

    // Names the user defaults the first read consults; without them it
    // consults the user's standard store. Shared, so the store may be let go
    // by its owner before the first read. Has no effect after the first read.
    static void useDefaults(std::shared_ptr<const UserDefaults> defaults);

    // The decision itself, from the stored Boolean and the variable's value.
    static bool decide(std::optional<bool> defaultsValue, const char* environmentValue);
};

}  // namespace tessaly
