#include "Platform/Clock.h"

#include <ctime>

namespace tessaly {

namespace {

double readSeconds(clockid_t id) {
    timespec ts{};
    if (clock_gettime(id, &ts) != 0) return 0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

double SystemClock::now() const { return readSeconds(CLOCK_REALTIME); }

double SystemClock::monotonic() const { return readSeconds(CLOCK_MONOTONIC); }

double SystemClock::uptime() const { return readSeconds(CLOCK_BOOTTIME); }

SystemClock& SystemClock::shared() {
    static SystemClock clock;
    return clock;
}

}  // namespace tessaly
