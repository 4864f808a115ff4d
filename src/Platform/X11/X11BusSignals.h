#pragma once
// One D-Bus signal, listened to on a thread of its own: logind's
// PrepareForSleep on the system bus, launcher badge updates on the session
// bus. Stopping (destruction) is synchronous.
#include <systemd/sd-bus.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tessaly {

class X11BusSignals {
public:
    enum class Bus { system, session };
    struct Match {
        const char* sender = nullptr;  // null: from anyone
        const char* path = nullptr;    // null: any object
        const char* interface = nullptr;
        const char* member = nullptr;
    };
    // Runs on the listener's thread for each matching signal.
    using Handler = std::function<void(sd_bus_message* message)>;

    // Listens on `bus`, or on the bus at `address` when one is given; the
    // match is in place when this returns. Null when the bus cannot be reached.
    static std::unique_ptr<X11BusSignals> listen(Bus bus, const std::string& address, const Match& match,
                                                 Handler handler);
    ~X11BusSignals();
    X11BusSignals(const X11BusSignals&) = delete;
    X11BusSignals& operator=(const X11BusSignals&) = delete;

private:
    X11BusSignals(sd_bus* bus, Handler handler, int wakeFd) : bus_(bus), handler_(std::move(handler)), wakeFd_(wakeFd) {}
    static int onSignal(sd_bus_message* message, void* self, sd_bus_error* error);
    void run();

    sd_bus* bus_;
    sd_bus_slot* slot_ = nullptr;
    Handler handler_;
    int wakeFd_;
    std::thread thread_;
};

}  // namespace tessaly
