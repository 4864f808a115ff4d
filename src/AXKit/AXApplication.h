#pragma once
// One running application through the accessibility interface: its windows,
// its focused window and its enhanced user interface switch.
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "AXKit/AXServices.h"
#include "AXKit/AXWindow.h"
#include "Platform/Types.h"
#include "Platform/Workspace.h"

namespace tessaly {

class AXApplication {
public:
    // Messaging time-outs, seconds.
    struct Timeout {
        // One-shot reads on the main thread, and the launcher host.
        static constexpr float hot = 0.25f;
        // Long-lived connections and effect contexts.
        static constexpr float normal = 1.0f;
    };

    // Never fails; an application that has gone simply fails its reads.
    AXApplication(AXServicesRef services, ProcessID pid, float timeout);

    // The first running application with that bundle identifier; time-out normal.
    static std::optional<AXApplication> withBundleID(AXServicesRef services, const std::string& bundleID);
    // The first regular application whose name contains `named`, ignoring
    // case; time-out normal.
    static std::optional<AXApplication> named(AXServicesRef services, const std::string& named);

    ProcessID pid() const { return pid_; }
    const AXElement& element() const { return element_; }
    float timeout() const { return timeout_; }

    std::optional<RunningApplication> runningApplication() const;
    // The windows in the application's order; without non-standard ones
    // unless asked, but minimised windows are always kept.
    std::vector<AXWindowRef> windows(bool includeNonStandard) const;
    AXWindowRef focusedWindow() const;

    // Runs body with the enhanced user interface switched off when it is on,
    // and switches it back on afterwards.
    template <typename Body>
    auto withEnhancedUIDisabled(Body&& body) const -> std::invoke_result_t<Body&> {
        const bool wasOn = enhancedUserInterfaceIsOn();
        if (!wasOn) return body();
        setEnhancedUserInterface(false);
        if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
            body();
            setEnhancedUserInterface(true);
        } else {
            auto result = body();
            setEnhancedUserInterface(true);
            return result;
        }
    }

private:
    bool enhancedUserInterfaceIsOn() const;
    void setEnhancedUserInterface(bool on) const;

    AXServicesRef services_;
    ProcessID pid_;
    AXElement element_;
    float timeout_;
};

// Whether this process may use the accessibility interface.
struct AXPermission {
    static bool isTrusted(Accessibility& api) { return api.isProcessTrusted(false); }
    // Asks, with the system's prompt when `showPrompt`; answers the trust now.
    static bool request(Accessibility& api, bool showPrompt) { return api.isProcessTrusted(showPrompt); }
};

// Case-insensitive containment of `fragment` in `text`, by Unicode case
// folding; an empty fragment is contained in nothing.
bool localizedCaseInsensitiveContains(const std::string& text, const std::string& fragment);

}  // namespace tessaly
