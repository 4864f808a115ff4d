#include "Platform/X11/X11BusSignals.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>

namespace tessaly {

std::unique_ptr<X11BusSignals> X11BusSignals::listen(Bus kind, const std::string& address, const Match& match,
                                                     Handler handler) {
    sd_bus* bus = nullptr;
    if (address.empty()) {
        if ((kind == Bus::system ? sd_bus_open_system(&bus) : sd_bus_open_user(&bus)) < 0) return nullptr;
    } else {
        if (sd_bus_new(&bus) < 0) return nullptr;
        if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
            sd_bus_flush_close_unref(bus);
            return nullptr;
        }
    }
    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        sd_bus_flush_close_unref(bus);
        return nullptr;
    }
    std::unique_ptr<X11BusSignals> listener(new X11BusSignals(bus, std::move(handler), wakeFd));
    // Synchronous: the bus has the match once this returns.
    if (sd_bus_match_signal(bus, &listener->slot_, match.sender, match.path, match.interface, match.member,
                            &X11BusSignals::onSignal, listener.get()) < 0) {
        return nullptr;
    }
    listener->thread_ = std::thread([l = listener.get()] { l->run(); });
    return listener;
}

X11BusSignals::~X11BusSignals() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
    close(wakeFd_);
}

int X11BusSignals::onSignal(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* listener = static_cast<X11BusSignals*>(self);
    if (listener->handler_) listener->handler_(message);
    return 0;
}

void X11BusSignals::run() {
    while (true) {
        int processed = 0;
        while ((processed = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (processed < 0) return;  // the bus went away
        std::uint64_t until = UINT64_MAX;  // absolute, CLOCK_MONOTONIC
        sd_bus_get_timeout(bus_, &until);
        int timeoutMs = -1;
        if (until != UINT64_MAX) {
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            const std::uint64_t now =
                static_cast<std::uint64_t>(ts.tv_sec) * 1000000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000u;
            timeoutMs = until <= now ? 0 : static_cast<int>(std::min<std::uint64_t>((until - now + 999) / 1000, INT_MAX));
        }
        pollfd fds[2] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, timeoutMs) < 0) continue;
        if (fds[1].revents & POLLIN) return;
    }
}

}  // namespace tessaly
