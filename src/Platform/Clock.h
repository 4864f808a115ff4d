#pragma once
// Time sources. Every interval is measured on the monotonic reading; wall
// time is used only where a date is written or compared with the boot time.
namespace tessaly {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the Unix epoch (CLOCK_REALTIME).
    virtual double now() const = 0;
    // Seconds on a clock that never steps (CLOCK_MONOTONIC).
    virtual double monotonic() const = 0;
    // Seconds since boot, counting suspend (CLOCK_BOOTTIME).
    virtual double uptime() const = 0;
    // Wall time of the boot: now() - uptime().
    virtual double bootTime() const { return now() - uptime(); }
};

// The process's real clocks.
class SystemClock final : public Clock {
public:
    double now() const override;
    double monotonic() const override;
    double uptime() const override;
    static SystemClock& shared();
};

// A clock that moves only when told to; every test of timing runs on it.
// All three readings advance together; the wall clock can also be stepped
// alone, as a user changing the time would.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(double wallStart = 1'800'000'000.0, double uptimeStart = 1000.0)
        : wall_(wallStart), mono_(uptimeStart), uptime_(uptimeStart) {}
    double now() const override { return wall_; }
    double monotonic() const override { return mono_; }
    double uptime() const override { return uptime_; }
    void advance(double seconds) { wall_ += seconds; mono_ += seconds; uptime_ += seconds; }
    // Moves all three readings forward so that monotonic() reads exactly
    // `monotonicTarget`; a target in the past leaves the clock alone.
    void advanceTo(double monotonicTarget) {
        if (!(monotonicTarget > mono_)) return;
        const double delta = monotonicTarget - mono_;
        wall_ += delta;
        uptime_ += delta;
        mono_ = monotonicTarget;
    }
    void stepWall(double seconds) { wall_ += seconds; }

private:
    double wall_;
    double mono_;
    double uptime_;
};

}  // namespace tessaly
