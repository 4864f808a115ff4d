#pragma once
// The accessibility interface over X11: an application is a process with
// managed client windows; a window element is a client window (its id is the
// X window id), and each window has a close-button element. Attributes are
// read from EWMH/ICCCM properties and geometry, writes and actions become
// window-manager requests, and observers are fed by the event reader.
//
// The X server answers for the clients, so a call never waits on a hung
// application and time-outs do not apply. Writes are requests to the window
// manager: a read straight after a write may still show the old value.
#include "Platform/Accessibility.h"
#include "Platform/MainExecutor.h"
#include "Platform/X11/X11Applications.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11Accessibility final : public Accessibility {
public:
    // With `main`, a minimise the window manager may ignore (see
    // X11Windows::minimizeMayBeIgnored) is looked at again once it has had
    // time to answer, and logged when it was ignored; nothing waits for it.
    explicit X11Accessibility(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main = nullptr);
    ~X11Accessibility() override;

    // The element of a client window of `pid`.
    static AXElement windowElement(ProcessID pid, xcb_window_t window) { return AXElement{pid, window}; }
    static AXElement closeButtonElement(ProcessID pid, xcb_window_t window) {
        return AXElement{pid, kCloseButtonBit | window};
    }
    // The X window an element stands for (0 for an application element).
    static xcb_window_t windowOf(const AXElement& element) {
        return static_cast<xcb_window_t>(element.id & 0xFFFFFFFFu);
    }

    AXAnswer copyAttributeValue(const AXElement& element, std::string_view attribute, AXTimeout timeout) override;
    AXError setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& value,
                              AXTimeout timeout) override;
    AXError performAction(const AXElement& element, std::string_view action, AXTimeout timeout) override;
    std::unique_ptr<AXObserverConnection> createObserver(ProcessID pid) override;
    // Granted while the X server answers and an EWMH window manager runs.
    bool isProcessTrusted(bool prompt) override;
    // The X server answers (from memory for watched clients) and takes the
    // window manager's requests.
    bool handlesFramesPromptly() const override { return true; }
    // One request for both, as the window manager's own moves are.
    std::optional<AXError> setFrame(const AXElement& element, const Rect& frame, AXTimeout timeout) override;
    // An application's windows are its clients, on whatever desktop.
    bool listsWindowsOnEveryDesktop() const override { return true; }

    struct Hub;

private:
    static constexpr std::uint64_t kCloseButtonBit = std::uint64_t{1} << 32;

    AXAnswer readApplication(ProcessID pid, std::string_view attribute);
    std::vector<xcb_window_t> windowsOf(ProcessID pid) const;
    void confirmMinimize(xcb_window_t window) const;
    // Why the window's frame may not be written now, if it may not.
    std::optional<AXError> frameWriteRefused(const AXElement& element) const;

    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<MainExecutor> main_;
    X11Applications applications_;  // keeps the desktop entries it has looked up
    std::shared_ptr<Hub> hub_;
};

}  // namespace tessaly
