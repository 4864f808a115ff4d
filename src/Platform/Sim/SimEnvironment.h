#pragma once
// One simulated desktop with its virtual clock, manual main queue and manual
// serial queues, ready to hand to services under test.
#include <memory>

#include "Platform/ManualMainExecutor.h"
#include "Platform/ManualQueueFactory.h"
#include "Platform/PlatformServices.h"
#include "Platform/Sim/SimDesktop.h"

namespace tessaly {

struct SimEnvironment {
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::shared_ptr<ManualMainExecutor> main = std::make_shared<ManualMainExecutor>(*clock);
    std::shared_ptr<ManualQueueFactory> queues = std::make_shared<ManualQueueFactory>();
    std::shared_ptr<SimDesktop> desktop = std::make_shared<SimDesktop>(*clock, *main);
    PlatformServices services = SimDesktop::services(desktop, clock, main, queues);

    // Runs queued work everywhere (serial queues, then the main queue) until
    // nothing is left; timers are not fired. Answers how many items ran.
    std::size_t settle() {
        std::size_t total = 0;
        for (;;) {
            const std::size_t ran = queues->runAll() + main->runPending();
            total += ran;
            if (ran == 0) return total;
        }
    }
};

}  // namespace tessaly
