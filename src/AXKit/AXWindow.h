#pragma once
// One window of another application, through the accessibility interface.
// Every read and write goes to the application when it is made and blocks
// until it answers or the messaging time-out runs out. Reads answer a neutral
// value (absent, false) on any failure; writes and actions answer success.
// Immutable apart from the time-out; may be used from any thread.
#include <memory>
#include <optional>
#include <string>

#include "AXKit/AXServices.h"
#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"
#include "Platform/Types.h"

namespace tessaly {

class AXWindow {
public:
    // Stores the element; sets its time-out only when given; resolves the
    // window number at once.
    AXWindow(AXServicesRef services, AXElement element, ProcessID pid, std::optional<float> timeout);

    const AXElement element;
    const ProcessID pid;
    const std::optional<WindowID> windowID;


    std::optional<std::string> title() const;
    std::optional<std::string> role() const;
    std::optional<std::string> subrole() const;
    // Role "AXWindow" and subrole "AXStandardWindow".
    bool isStandard() const;
    bool isMinimized() const;
    bool isFullScreen() const;
    // None where the window is not maximised or the attribute is not known.
    MaximizedAxes maximized() const;
    bool isShaded() const;
    // Among its children, a tab group with at least two radio buttons.
    bool isInNativeTabSet() const;
    // The document location as a URL string; a text that is no URL is taken
    // as a file path.
    std::optional<std::string> documentURL() const;
    std::optional<Rect> frame() const;

    // Writes position and size in the order that keeps the window inside
    // its limits (what is unchanged is not written, except the position
    // where frames are handled promptly); true only when every write
    // succeeded.
    bool setFrame(const Rect& rect) const;
    bool raise() const;
    bool setMinimized(bool flag) const;
    // Asks for the window maximised along exactly these axes; false where
    // that is refused.
    bool setMaximized(MaximizedAxes axes) const;
    bool setShaded(bool flag) const;
    bool close() const;

    AXTimeout timeout() const { return timeout_; }
    const AXServicesRef& services() const { return services_; }

private:
    Accessibility& api() const { return *services_->accessibility; }

    AXServicesRef services_;
    const AXTimeout timeout_;
};

using AXWindowRef = std::shared_ptr<const AXWindow>;

}  // namespace tessaly
