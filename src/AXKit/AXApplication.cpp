#include "AXKit/AXApplication.h"

#include <unicode/unistr.h>

#include <utility>

#include "AXKit/AXAttributes.h"
#include "Platform/AXNames.h"

namespace tessaly {

AXApplication::AXApplication(AXServicesRef services, ProcessID pid, float timeout)
    : services_(std::move(services)), pid_(pid), element_(AXElement::application(pid)), timeout_(timeout) {}

std::optional<AXApplication> AXApplication::withBundleID(AXServicesRef services, const std::string& bundleID) {
    if (!services->workspace) return std::nullopt;
    const auto apps = services->workspace->runningApplications(bundleID);
    if (apps.empty()) return std::nullopt;
    const ProcessID pid = apps.front().pid;
    return AXApplication(std::move(services), pid, Timeout::normal);
}

std::optional<AXApplication> AXApplication::named(AXServicesRef services, const std::string& named) {
    if (!services->workspace) return std::nullopt;
    for (const RunningApplication& app : services->workspace->runningApplications()) {
        if (!app.localizedName) continue;
        if (app.activationPolicy != ActivationPolicy::regular) continue;
        if (localizedCaseInsensitiveContains(*app.localizedName, named)) {
            return AXApplication(std::move(services), app.pid, Timeout::normal);
        }
    }
    return std::nullopt;
}

std::optional<RunningApplication> AXApplication::runningApplication() const {
    if (!services_->workspace) return std::nullopt;
    return services_->workspace->runningApplication(pid_);
}

std::vector<AXWindowRef> AXApplication::windows(bool includeNonStandard) const {
    Accessibility& api = *services_->accessibility;
    const std::vector<AXElement> elements = ax::readElements(api, element_, axname::windows, timeout_);
    std::vector<AXWindowRef> all;
    all.reserve(elements.size());
    for (const AXElement& e : elements) all.push_back(std::make_shared<const AXWindow>(services_, e, pid_, timeout_));
    if (!includeNonStandard) {
        std::erase_if(all, [](const AXWindowRef& window) { return !window->isStandard() && !window->isMinimized(); });
    }
    return all;
}

AXWindowRef AXApplication::focusedWindow() const {
    const auto e = ax::read<AXElement>(*services_->accessibility, element_, axname::focusedWindow, timeout_);
    if (!e) return nullptr;
    return std::make_shared<const AXWindow>(services_, *e, pid_, timeout_);
}

bool AXApplication::enhancedUserInterfaceIsOn() const {
    return ax::readBool(*services_->accessibility, element_, axname::enhancedUserInterface, timeout_);
}

void AXApplication::setEnhancedUserInterface(bool on) const {
    services_->accessibility->setAttributeValue(element_, axname::enhancedUserInterface, on, timeout_);
}

bool localizedCaseInsensitiveContains(const std::string& text, const std::string& fragment) {
    // Nothing is found in any text by an empty search.
    if (fragment.empty()) return false;
    icu::UnicodeString haystack = icu::UnicodeString::fromUTF8(text);
    icu::UnicodeString needle = icu::UnicodeString::fromUTF8(fragment);
    haystack.foldCase();
    needle.foldCase();
    return haystack.indexOf(needle) >= 0;
}

}  // namespace tessaly
