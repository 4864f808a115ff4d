#include "AXKit/AXObserverStream.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "AXKit/AXApplication.h"
#include "AXKit/AXAttributes.h"
#include "Platform/AXNames.h"

namespace tessaly {

namespace {
constexpr float kStreamTimeout = AXApplication::Timeout::normal;
}

const std::vector<std::string>& AXObserverStream::windowNotifications() {
    static const std::vector<std::string> names = {
        std::string(axname::elementDestroyed),   std::string(axname::windowMoved),
        std::string(axname::windowResized),      std::string(axname::windowMiniaturized),
        std::string(axname::windowDeminiaturized), std::string(axname::titleChanged)};
    return names;
}

struct AXObserverStream::Core {
    AXServicesRef services;
    std::shared_ptr<MainExecutor> main;
    ProcessID pid = 0;
    AXElement appElement;
    std::unique_ptr<AXObserverConnection> observer;
    Handler handler;

    // Guards observedWindows; held only for searches and edits.
    mutable std::mutex lock;
    std::vector<std::pair<AXElement, WindowID>> observedWindows;

    // Held while an event is posted and while the stream is stopped, so that
    // no post is under way once invalidate() returns.
    std::mutex deliveryLock;
    std::atomic<bool> stopped{false};

    void deliver(AXAppEvent event) {
        std::lock_guard guard(deliveryLock);
        if (stopped.load()) return;
        main->post([handler = handler, event = std::move(event)] {
            if (handler) handler(event);
        });
    }

    std::optional<WindowID> observedID(const AXElement& element) const {
        std::lock_guard guard(lock);
        for (const auto& [e, id] : observedWindows) {
            if (e == element) return id;
        }
        return std::nullopt;
    }

    // Runs on the observer thread.
    void handle(const std::string& notification, const AXElement& element) {
        if (stopped.load()) return;
        if (notification == axname::windowCreated) {
            deliver({AXAppEvent::WindowCreated{makeWindow(element)}});
            return;
        }
        if (notification == axname::focusedWindowChanged) {
            deliver({AXAppEvent::FocusedWindowChanged{makeWindow(element)}});
            return;
        }
        if (notification == axname::elementDestroyed) {
            std::optional<WindowID> destroyed;
            {
                std::lock_guard guard(lock);
                const auto it = std::find_if(observedWindows.begin(), observedWindows.end(),
                                             [&](const auto& pair) { return pair.first == element; });
                if (it != observedWindows.end()) {
                    destroyed = it->second;
                    std::erase_if(observedWindows, [&](const auto& pair) { return pair.second == *destroyed; });
                }
            }
            if (destroyed) deliver({AXAppEvent::WindowDestroyed{*destroyed}});
            return;
        }
        std::optional<WindowID> id = observedID(element);
        if (!id && services->axPrivate) id = services->axPrivate->windowID(element);
        if (!id) return;
        if (notification == axname::windowMoved) deliver({AXAppEvent::WindowMoved{*id}});
        else if (notification == axname::windowResized) deliver({AXAppEvent::WindowResized{*id}});
        else if (notification == axname::windowMiniaturized) deliver({AXAppEvent::WindowMiniaturized{*id}});
        else if (notification == axname::windowDeminiaturized) deliver({AXAppEvent::WindowDeminiaturized{*id}});
        else if (notification == axname::titleChanged) {
            auto title = ax::readString(*services->accessibility, element, axname::title, kStreamTimeout);
            if (title) deliver({AXAppEvent::TitleChanged{*id, std::move(*title)}});
        }
    }

    AXWindowRef makeWindow(const AXElement& element) const {
        return std::make_shared<const AXWindow>(services, element, pid, kStreamTimeout);
    }
};

AXObserverStream::AXObserverStream(std::shared_ptr<Core> core) : core_(std::move(core)) {}

AXObserverStream::~AXObserverStream() { invalidate(); }

std::unique_ptr<AXObserverStream> AXObserverStream::make(AXServicesRef services, const AXObserverThread& thread,
                                                         std::shared_ptr<MainExecutor> main, ProcessID pid,
                                                         Handler handler) {
    auto core = std::make_shared<Core>();
    core->services = std::move(services);
    core->main = std::move(main);
    core->pid = pid;
    core->appElement = AXElement::application(pid);
    core->handler = std::move(handler);
    core->observer = core->services->accessibility->createObserver(pid);
    if (!core->observer) return nullptr;

    // The observer holds the stream weakly: a callback that runs keeps it
    // alive for its own duration, and one that comes late finds nothing.
    core->observer->start(thread.queue(), [weak = std::weak_ptr<Core>(core)](const AXElement& element,
                                                                              const std::string& notification) {
        if (const auto strong = weak.lock()) strong->handle(notification, element);
    });
    core->observer->addNotification(core->appElement, axname::windowCreated);
    core->observer->addNotification(core->appElement, axname::focusedWindowChanged);
    return std::unique_ptr<AXObserverStream>(new AXObserverStream(std::move(core)));
}

ProcessID AXObserverStream::pid() const { return core_->pid; }

void AXObserverStream::observe(const AXWindow& window) {
    if (!core_->observer || !window.windowID) return;
    {
        std::lock_guard guard(core_->lock);
        for (const auto& pair : core_->observedWindows) {
            if (pair.second == *window.windowID) return;
        }
        core_->observedWindows.emplace_back(window.element, *window.windowID);
    }
    for (const std::string& name : windowNotifications()) core_->observer->addNotification(window.element, name);
}

void AXObserverStream::stopObserving(WindowID windowID) {
    if (!core_->observer) return;
    std::optional<AXElement> removed;
    {
        std::lock_guard guard(core_->lock);
        const auto it = std::find_if(core_->observedWindows.begin(), core_->observedWindows.end(),
                                     [&](const auto& pair) { return pair.second == windowID; });
        if (it != core_->observedWindows.end()) {
            removed = it->first;
            core_->observedWindows.erase(it);
        }
    }
    if (!removed) return;
    for (const std::string& name : windowNotifications()) core_->observer->removeNotification(*removed, name);
}

void AXObserverStream::invalidate() {
    if (!core_->observer) return;
    {
        std::lock_guard guard(core_->deliveryLock);
        core_->stopped.store(true);
    }
    core_->observer->invalidate();
}

std::vector<WindowID> AXObserverStream::observedWindowIDs() const {
    std::lock_guard guard(core_->lock);
    std::vector<WindowID> ids;
    for (const auto& pair : core_->observedWindows) ids.push_back(pair.second);
    return ids;
}

}  // namespace tessaly
