#include "Platform/X11/X11SleepMonitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>

namespace tessaly {

std::unique_ptr<X11SleepMonitor> X11SleepMonitor::start(Handler handler, const std::string& busAddress) {
    sd_bus* bus = nullptr;
    if (busAddress.empty()) {
        if (sd_bus_open_system(&bus) < 0) return nullptr;
    } else {
        if (sd_bus_new(&bus) < 0) return nullptr;
        if (sd_bus_set_address(bus, busAddress.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
            sd_bus_flush_close_unref(bus);
            return nullptr;
        }
    }
    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        sd_bus_flush_close_unref(bus);
        return nullptr;
    }
    std::unique_ptr<X11SleepMonitor> monitor(new X11SleepMonitor(bus, std::move(handler), wakeFd));
    // Only logind sends it on the system bus; a private bus (tests) has no
    // logind to name as the sender.
    const char* sender = busAddress.empty() ? "org.freedesktop.login1" : nullptr;
    if (sd_bus_match_signal(bus, &monitor->slot_, sender, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                            "PrepareForSleep", &X11SleepMonitor::onSignal, monitor.get()) < 0) {
        return nullptr;
    }
    // The match is in place once the bus has answered the AddMatch call.
    sd_bus_flush(bus);
    monitor->thread_ = std::thread([m = monitor.get()] { m->run(); });
    return monitor;
}

X11SleepMonitor::~X11SleepMonitor() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
    close(wakeFd_);
}

int X11SleepMonitor::onSignal(sd_bus_message* message, void* self, sd_bus_error*) {
    int sleeping = 0;
    if (sd_bus_message_read(message, "b", &sleeping) < 0) return 0;
    auto* monitor = static_cast<X11SleepMonitor*>(self);
    if (monitor->handler_) monitor->handler_(sleeping != 0);
    return 0;
}

void X11SleepMonitor::run() {
    while (true) {
        int processed = 0;
        while ((processed = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (processed < 0) return;  // the bus went away
        std::uint64_t timeoutUsec = UINT64_MAX;
        sd_bus_get_timeout(bus_, &timeoutUsec);
        int timeoutMs = -1;
        if (timeoutUsec != UINT64_MAX) {
            // sd-bus gives an absolute CLOCK_MONOTONIC time.
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            const std::uint64_t nowUsec = static_cast<std::uint64_t>(ts.tv_sec) * 1000000u +
                                          static_cast<std::uint64_t>(ts.tv_nsec) / 1000u;
            timeoutMs = timeoutUsec <= nowUsec ? 0 : static_cast<int>(std::min<std::uint64_t>((timeoutUsec - nowUsec + 999) / 1000, INT_MAX));
        }
        pollfd fds[2] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, timeoutMs) < 0) continue;
        if (fds[1].revents & POLLIN) return;
    }
}

}  // namespace tessaly
