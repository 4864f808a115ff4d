#include "TessalyCore/SystemEnvironment.h"

#include <utility>

namespace tessaly {

SystemEnvironment::SystemEnvironment(std::shared_ptr<const SystemProbes> probes, std::shared_ptr<const Clock> clock)
    : probes_(std::move(probes)), clock_(std::move(clock)) {}

bool SystemEnvironment::isStageManagerEnabled() const {
    return probes_ && probes_->stageManagerPreference().value_or(false);
}

double SystemEnvironment::bootTime() const {
    if (!probes_) return 0.0;
    return probes_->kernelBootTime().value_or(0.0);
}

SystemEnvironment::BootClock SystemEnvironment::bootClock() const {
    BootClock result;
    result.bootTime = bootTime();
    result.uptime = (clock_ ? clock_->now() : SystemClock::shared().now()) - result.bootTime;
    return result;
}

}  // namespace tessaly
