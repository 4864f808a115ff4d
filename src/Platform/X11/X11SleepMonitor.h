#pragma once
// Sleep and wake of the machine, from logind's PrepareForSleep signal on the
// system bus (true before sleeping, false after waking), read on a thread of
// its own. Stopping is synchronous.
#include <systemd/sd-bus.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tessaly {

class X11SleepMonitor {
public:
    using Handler = std::function<void(bool sleeping)>;

    // Listens on the system bus, or on the bus at `busAddress` when given.
    // Null when the bus cannot be reached.
    static std::unique_ptr<X11SleepMonitor> start(Handler handler, const std::string& busAddress = {});
    ~X11SleepMonitor();
    X11SleepMonitor(const X11SleepMonitor&) = delete;
    X11SleepMonitor& operator=(const X11SleepMonitor&) = delete;

private:
    X11SleepMonitor(sd_bus* bus, Handler handler, int wakeFd) : bus_(bus), handler_(std::move(handler)), wakeFd_(wakeFd) {}
    static int onSignal(sd_bus_message* message, void* self, sd_bus_error* error);
    void run();

    sd_bus* bus_;
    sd_bus_slot* slot_ = nullptr;
    Handler handler_;
    int wakeFd_;
    std::thread thread_;
};

}  // namespace tessaly
