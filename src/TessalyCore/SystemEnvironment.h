#pragma once
// Two facts about the system: whether Stage Manager is on (never, where the
// platform has none) and when the machine booted. Read anew on each call;
// usable from any thread.
#include <memory>

#include "Platform/Clock.h"
#include "Platform/SystemProbes.h"

namespace tessaly {

class SystemEnvironment {
public:
    struct BootClock {
        double bootTime = 0;  // seconds since 1970
        double uptime = 0;    // the wall clock now minus bootTime
    };

    SystemEnvironment(std::shared_ptr<const SystemProbes> probes, std::shared_ptr<const Clock> clock);

    bool isStageManagerEnabled() const;
    // The kernel's boot time; 0 when it cannot be read.
    double bootTime() const;
    BootClock bootClock() const;

private:
    std::shared_ptr<const SystemProbes> probes_;
    std::shared_ptr<const Clock> clock_;
};

}  // namespace tessaly
