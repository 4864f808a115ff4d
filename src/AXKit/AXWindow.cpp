#include "AXKit/AXWindow.h"

#include <utility>
#include <vector>

#include "AXKit/AXAttributes.h"
#include "AXKit/URLText.h"
#include "Platform/AXNames.h"

namespace tessaly {

AXWindow::AXWindow(AXServicesRef services, AXElement elementValue, ProcessID pidValue, std::optional<float> timeout)
    : element(elementValue),
      pid(pidValue),
      windowID(services->axPrivate ? services->axPrivate->windowID(elementValue) : std::nullopt),
      services_(std::move(services)),
      timeout_(timeout.value_or(0.0f)) {}


std::optional<std::string> AXWindow::title() const { return ax::readString(api(), element, axname::title, timeout()); }
std::optional<std::string> AXWindow::role() const { return ax::readString(api(), element, axname::role, timeout()); }
std::optional<std::string> AXWindow::subrole() const { return ax::readString(api(), element, axname::subrole, timeout()); }

bool AXWindow::isStandard() const {
    if (role() != axname::windowRole) return false;
    return subrole() == axname::standardWindowSubrole;
}

bool AXWindow::isMinimized() const { return ax::readBool(api(), element, axname::minimized, timeout()); }
bool AXWindow::isFullScreen() const { return ax::readBool(api(), element, axname::fullScreen, timeout()); }

MaximizedAxes AXWindow::maximized() const {
    return MaximizedAxes::fromFlags(ax::read<std::int64_t>(api(), element, axname::maximized, timeout()).value_or(0));
}

bool AXWindow::isShaded() const { return ax::readBool(api(), element, axname::shaded, timeout()); }

bool AXWindow::isInNativeTabSet() const {
    for (const AXElement& child : ax::readElements(api(), element, axname::children, timeout())) {
        if (ax::readString(api(), child, axname::role, timeout()) != axname::tabGroupRole) continue;
        int buttons = 0;
        for (const AXElement& tab : ax::readElements(api(), child, axname::children, timeout())) {
            if (ax::readString(api(), tab, axname::role, timeout()) == axname::radioButtonRole) ++buttons;
        }
        if (buttons >= 2) return true;
    }
    return false;
}

std::optional<std::string> AXWindow::documentURL() const {
    const auto text = ax::readString(api(), element, axname::document, timeout());
    if (!text) return std::nullopt;
    if (parsesAsURL(*text)) return *text;
    return fileURLForPath(*text);
}

std::optional<Rect> AXWindow::frame() const {
    const auto origin = ax::read<Point>(api(), element, axname::position, timeout());
    if (!origin) return std::nullopt;
    const auto size = ax::read<Size>(api(), element, axname::size, timeout());
    if (!size) return std::nullopt;
    // What another program reports is used only within a screen's range.
    const Rect frame(*origin, *size);
    if (!frame.isSane()) return std::nullopt;
    return frame;
}

bool AXWindow::setFrame(const Rect& rect) const {
    // Values that cannot be represented are refused before anything is written.
    if (!rect.isSane()) return false;
    if (const auto whole = api().setFrame(element, rect, timeout())) return *whole == AXError::success;
    const AXValue position = rect.origin;
    const AXValue size = rect.size;

    enum class Write { toPosition, toSize };
    std::vector<Write> writes;
    const std::optional<Rect> current = frame();
    if (!current) {
        writes = {Write::toSize, Write::toPosition, Write::toSize};
    } else {
        const bool moved = rect.origin.x != current->origin.x || rect.origin.y != current->origin.y;
        const bool grows = rect.size.width > current->size.width || rect.size.height > current->size.height;
        const bool shrinks = rect.size.width < current->size.width || rect.size.height < current->size.height;
        const bool resized = grows || shrinks;
        if (!moved && !resized) writes = {};
        else if (!moved) writes = {Write::toSize};
        else if (!resized) writes = {Write::toPosition};
        else if (grows && !shrinks) writes = {Write::toPosition, Write::toSize};
        else if (shrinks && !grows) writes = {Write::toSize, Write::toPosition};
        else writes = {Write::toSize, Write::toPosition, Write::toSize};
        // Where frames are handled promptly the frame read may come from
        // memory that has not heard of the window's latest change yet: the
        // position is always written (last), so a window that is elsewhere
        // still goes where it is asked.
        if (api().handlesFramesPromptly() && (writes.empty() || writes.back() != Write::toPosition)) {
            writes.push_back(Write::toPosition);
        }
    }

    bool ok = true;
    for (const Write write : writes) {
        const AXError error = write == Write::toPosition
                                  ? api().setAttributeValue(element, axname::position, position, timeout())
                                  : api().setAttributeValue(element, axname::size, size, timeout());
        if (error != AXError::success) ok = false;
    }
    return ok;
}

bool AXWindow::raise() const {
    const AXError raised = api().performAction(element, axname::raise, timeout());
    const AXError main = api().setAttributeValue(element, axname::main, true, timeout());
    return raised == AXError::success && main == AXError::success;
}

bool AXWindow::setMinimized(bool flag) const {
    return api().setAttributeValue(element, axname::minimized, flag, timeout()) == AXError::success;
}

bool AXWindow::setMaximized(MaximizedAxes axes) const {
    return api().setAttributeValue(element, axname::maximized, axes.flags(), timeout()) == AXError::success;
}

bool AXWindow::setShaded(bool flag) const {
    return api().setAttributeValue(element, axname::shaded, flag, timeout()) == AXError::success;
}

bool AXWindow::close() const {
    const auto button = ax::read<AXElement>(api(), element, axname::closeButton, timeout());
    if (!button) return false;
    return api().performAction(*button, axname::press, timeout()) == AXError::success;
}

}  // namespace tessaly
