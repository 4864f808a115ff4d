#pragma once
// Facts about the machine that the program reads but never changes. Where the
// platform has no counterpart (Stage Manager, for one) the neutral answer is
// given.
#include <optional>

namespace tessaly {

class SystemProbes {
public:
    virtual ~SystemProbes() = default;

    // The system window manager's "GloballyEnabled" preference (Stage
    // Manager): absent when the preferences cannot be opened or hold no such
    // Boolean.
    virtual std::optional<bool> stageManagerPreference() const = 0;
    // The kernel's boot time, seconds since 1970; absent when it cannot be read.
    virtual std::optional<double> kernelBootTime() const = 0;
    // The system's link to the page where the accessibility permission is granted.
    virtual const char* accessibilitySettingsURL() const = 0;
};

}  // namespace tessaly
