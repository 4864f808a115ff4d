#pragma once
// The accessibility interface to other applications: application and window
// elements as opaque handles, attribute reads and writes, actions, observers
// with their notifications, per-call messaging time-outs and the trust check.
//
// Every call goes to the target application when it is made and blocks the
// calling thread until that application answers or the time-out runs out
// (answering AXError::cannotComplete). Attribute and action names are the
// accessibility vocabulary ("AXWindows", "AXPosition", "AXRaise", ...); a
// backend answers AXError::attributeUnsupported or AXError::noValue for names
// it has no counterpart for.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/DispatchQueue.h"
#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

enum class AXError {
    success,
    failure,
    illegalArgument,
    invalidElement,        // the element (or its process) is gone
    cannotComplete,        // no answer within the messaging time-out
    attributeUnsupported,
    actionUnsupported,
    notificationUnsupported,
    notImplemented,
    notificationAlreadyRegistered,
    notificationNotRegistered,
    apiDisabled,           // the process is not trusted
    noValue,
};

// One accessibility element. Two handles name the same element exactly when
// they are equal (the element-equality test of the platform). `id` 0 is the
// application element of `pid`; other ids are the backend's own.
struct AXElement {
    ProcessID pid = 0;
    std::uint64_t id = 0;

    static AXElement application(ProcessID pid) { return AXElement{pid, 0}; }
    bool isApplication() const { return id == 0; }

    friend bool operator==(const AXElement&, const AXElement&) = default;
};

// A location value ("AXURL", ...), kept apart from plain text.
struct AXURLValue {
    std::string absoluteString;
    friend bool operator==(const AXURLValue&, const AXURLValue&) = default;
};

// An attribute value. std::monostate stands for "no value".
using AXValue = std::variant<std::monostate, bool, std::int64_t, double, std::string, AXURLValue, Point, Size,
                             AXElement, std::vector<AXElement>>;

struct AXAnswer {
    AXError error = AXError::noValue;
    AXValue value;

    bool ok() const { return error == AXError::success; }
};

// Messaging time-out in seconds; 0 means the system's default.
using AXTimeout = double;

// The (element, notification) pairs one observer has registered; a helper
// for backends.
class AXRegistrationList {
public:
    AXError add(const AXElement& element, std::string_view notification) {
        if (contains(element, notification)) return AXError::notificationAlreadyRegistered;
        entries_.emplace_back(element, std::string(notification));
        return AXError::success;
    }
    AXError remove(const AXElement& element, std::string_view notification) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->first == element && it->second == notification) {
                entries_.erase(it);
                return AXError::success;
            }
        }
        return AXError::notificationNotRegistered;
    }
    bool contains(const AXElement& element, std::string_view notification) const {
        for (const auto& [e, name] : entries_) {
            if (e == element && name == notification) return true;
        }
        return false;
    }
    void clear() { entries_.clear(); }

private:
    std::vector<std::pair<AXElement, std::string>> entries_;
};

// One observer of one process. Its notifications are handed to the handler
// by work queued on the queue given to start(), in the order they happened.
class AXObserverConnection {
public:
    using Handler = std::function<void(const AXElement& element, const std::string& notification)>;

    virtual ~AXObserverConnection() = default;

    // Attaches the observer to `thread` (the observer thread's queue) and
    // starts delivery. Called once, before any notification is added.
    virtual void start(std::shared_ptr<DispatchQueue> thread, Handler handler) = 0;
    virtual AXError addNotification(const AXElement& element, std::string_view notification) = 0;
    virtual AXError removeNotification(const AXElement& element, std::string_view notification) = 0;
    // Stops delivery for good. Synchronous: when it returns nothing more is
    // queued on the thread (work already queued still runs). Safe to call
    // twice and from any thread; the destructor calls it.
    virtual void invalidate() = 0;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;

    virtual AXAnswer copyAttributeValue(const AXElement& element, std::string_view attribute, AXTimeout timeout) = 0;
    virtual AXError setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& value,
                                      AXTimeout timeout) = 0;
    virtual AXError performAction(const AXElement& element, std::string_view action, AXTimeout timeout) = 0;

    // A new observer of `pid`; null when none can be made.
    virtual std::unique_ptr<AXObserverConnection> createObserver(ProcessID pid) = 0;

    // Whether this process may use the interface. With `prompt` true and the
    // process untrusted, the system may show its own prompt.
    virtual bool isProcessTrusted(bool prompt) = 0;

    // Whether reads and writes of a window's frame answer promptly, never
    // waiting on the application (the window system answers for it): they
    // may then be made on the main thread.
    virtual bool handlesFramesPromptly() const { return false; }

    // Writes a window's whole frame in one request, where the window system
    // takes position and size as one change (the X server): the window never
    // stands moved at its old size on the way, and no read of its frame is
    // needed first. Nothing (nullopt) where frames are written as a position
    // and a size.
    virtual std::optional<AXError> setFrame(const AXElement&, const Rect&, AXTimeout) { return std::nullopt; }

    // Whether an application's windows ("AXWindows") include those on other
    // desktops and in full screen, not only those on the current desktop:
    // a program started afresh then finds every one of them again.
    virtual bool listsWindowsOnEveryDesktop() const { return false; }
};

}  // namespace tessaly
