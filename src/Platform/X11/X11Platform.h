#pragma once
// The X11 backend as one object: every platform service of a real desktop,
// made over one shared backend (connection, window reader, event reader).
#include "Platform/HotkeyService.h"
#include "Platform/InputMonitor.h"
#include "Platform/KeyboardLayout.h"
#include "Platform/PlatformServices.h"
#include "Platform/X11/X11Backend.h"

#include <memory>
#include <string>

namespace tessaly {

// Machine facts with no X11 counterpart answer neutrally: there is no
// Stage Manager preference and no settings page for the permission.
class X11SystemProbes final : public SystemProbes {
public:
    std::optional<bool> stageManagerPreference() const override { return std::nullopt; }
    // CLOCK_REALTIME - CLOCK_BOOTTIME.
    std::optional<double> kernelBootTime() const override;
    const char* accessibilitySettingsURL() const override { return ""; }
};

class X11Platform {
public:
    // Null when no X server can be reached at `display` (empty: $DISPLAY).
    static std::unique_ptr<X11Platform> open(const std::string& display = {});

    const std::shared_ptr<X11Backend>& backend() const { return backend_; }

    // Every service of PlatformServices, with the given runtime pieces.
    PlatformServices services(std::shared_ptr<Clock> clock, std::shared_ptr<MainExecutor> main,
                              std::shared_ptr<QueueFactory> queues) const;
    std::unique_ptr<InputMonitor> makeInputMonitor() const;
    // Null when the service's own connection cannot be made.
    std::unique_ptr<HotkeyService> makeHotkeyService(std::shared_ptr<MainExecutor> main) const;
    // Null when the keyboard extension is missing.
    std::shared_ptr<KeyboardLayout> readKeyboardLayout() const;

private:
    explicit X11Platform(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}
    std::shared_ptr<X11Backend> backend_;
};

}  // namespace tessaly
