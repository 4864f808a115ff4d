#include "TessalyCore/AXWindowSystem.h"

#include <string>
#include <utility>
#include <variant>

#include "Platform/FrameLanding.h"
#include "Platform/FrameRecord.h"
#include "Platform/Log.h"
#include "Platform/Overloaded.h"
#include "TessalyCore/ReconcileLog.h"

namespace tessaly {

namespace {

constexpr float kConnectionTimeout = AXApplication::Timeout::normal;

std::string queueLabel(const char* prefix, ProcessID pid) { return prefix + std::to_string(pid); }

}  // namespace

AXWindowSystem::AXWindowSystem(const PlatformServices& platform)
    : platform_(platform), services_(AXServices::make(platform)), observerThread_(*platform.queueFactory) {
    if (platform_.workspace) {
        activationObserver_ = platform_.workspace->addObserver(
            WorkspaceNotification::didActivateApplication, lifetime_.guarded([this](const WorkspaceEvent& event) {
                if (event.application) reassertIfRequested(event.application->pid);
            }));
    }
}

AXWindowSystem::~AXWindowSystem() {
    activationObserver_.cancel();
    // Streams stop before anything they could reach goes away.
    for (auto& [pid, connection] : connections_) {
        if (connection.observers) connection.observers->invalidate();
    }
}

double AXWindowSystem::now() const { return platform_.clock ? platform_.clock->monotonic() : 0.0; }

bool AXWindowSystem::hasObserverStream(ProcessID pid) const {
    const auto it = connections_.find(pid);
    return it != connections_.end() && it->second.observers != nullptr;
}

AXWindowSystem::AppConnection& AXWindowSystem::connection(ProcessID pid) {
    if (const auto it = connections_.find(pid); it != connections_.end()) return it->second;
    // Effects already queued for this application keep their place: the
    // connection takes their queue over instead of starting a second one.
    std::shared_ptr<DispatchQueue> queue;
    if (const auto effect = effectQueues_.find(pid); effect != effectQueues_.end()) {
        queue = std::move(effect->second);
        effectQueues_.erase(effect);
    } else {
        queue = platform_.queueFactory->makeSerialQueue(queueLabel("tessaly.ax.", pid));
    }
    auto stream = AXObserverStream::make(services_, observerThread_, platform_.mainExecutor, pid,
                                         lifetime_.guarded([this](const AXAppEvent& event) { handle(event); }));
    auto [it, inserted] = connections_.emplace(
        pid, AppConnection{AXApplication(services_, pid, kConnectionTimeout), std::move(queue), std::move(stream)});
    return it->second;
}

AXWindowSystem::EffectsContext AXWindowSystem::effectsContext(ProcessID pid) {
    if (const auto it = connections_.find(pid); it != connections_.end()) {
        return EffectsContext{it->second.app, it->second.queue};
    }
    auto& queue = effectQueues_[pid];
    if (!queue) queue = platform_.queueFactory->makeSerialQueue(queueLabel("tessaly.ax.effect.", pid));
    return EffectsContext{AXApplication(services_, pid, kConnectionTimeout), queue};
}

void AXWindowSystem::track(const AXWindowRef& window) {
    if (!window || !window->windowID) return;
    windowsByID_[*window->windowID] = window;
    AppConnection& c = connection(window->pid);
    if (c.observers) c.observers->observe(*window);
}

void AXWindowSystem::untrack(WindowID windowID) {
    const auto it = windowsByID_.find(windowID);
    if (it == windowsByID_.end()) return;
    const ProcessID pid = it->second->pid;
    windowsByID_.erase(it);
    frameReadsQueued_.erase(windowID);
    if (const auto c = connections_.find(pid); c != connections_.end() && c->second.observers) {
        c->second.observers->stopObserving(windowID);
    }
}

void AXWindowSystem::dropConnection(ProcessID pid) {
    // A process id can come back for another application: its effect queue goes too.
    effectQueues_.erase(pid);
    const auto it = connections_.find(pid);
    if (it == connections_.end()) return;
    if (it->second.observers) it->second.observers->invalidate();
    connections_.erase(it);
    std::erase_if(windowsByID_, [this, pid](const auto& entry) {
        if (entry.second->pid != pid) return false;
        frameReadsQueued_.erase(entry.first);
        return true;
    });
}

AXWindowRef AXWindowSystem::window(WindowID windowID) const {
    const auto it = windowsByID_.find(windowID);
    return it == windowsByID_.end() ? nullptr : it->second;
}

std::optional<GroupMember> AXWindowSystem::makeMember(const AXWindow& from) const {
    if (!from.windowID) return std::nullopt;
    return GroupMember(*from.windowID, from.pid, from.title().value_or(std::string()));
}

void AXWindowSystem::report(const WindowSystemEvent& event) {
    if (onEvent) onEvent(event);
}

void AXWindowSystem::handle(const AXAppEvent& event) {
    using A = AXAppEvent;
    std::visit(Overloaded{
                   [](const A::WindowCreated&) {},
                   [&](const A::WindowDestroyed& e) {
                       windowsByID_.erase(e.windowID);
                       frameReadsQueued_.erase(e.windowID);
                       report(WindowSystemEvent::windowDestroyed(e.windowID));
                   },
                   [&](const A::WindowMoved& e) { reportFrameChange(e.windowID); },
                   [&](const A::WindowResized& e) { reportFrameChange(e.windowID); },
                   [&](const A::WindowMiniaturized& e) {
                       report(WindowSystemEvent::windowMinimizedChanged(e.windowID, true));
                   },
                   [&](const A::WindowDeminiaturized& e) {
                       report(WindowSystemEvent::windowMinimizedChanged(e.windowID, false));
                   },
                   [&](const A::TitleChanged& e) { report(WindowSystemEvent::titleChanged(e.windowID, e.title)); },
                   [&](const A::FocusedWindowChanged& e) {
                       if (e.window && e.window->windowID) {
                           report(WindowSystemEvent::focusedWindowChanged(*e.window->windowID, e.window->pid));
                       }
                   },
               },
               event.payload);
}

void AXWindowSystem::reportFrameChange(WindowID id) {
    const AXWindowRef tracked = window(id);
    // Nobody listens: the frame is not worth a read.
    if (!tracked || !onEvent) return;
    if (services_->accessibility->handlesFramesPromptly()) {
        if (const auto frame = tracked->frame()) {
            report(WindowSystemEvent::windowFrameChanged(id, *frame, tracked->isFullScreen(), tracked->maximized(),
                                                         tracked->isShaded()));
        }
        return;
    }
    // A burst of moves makes one report: a read still queued reads the
    // frame after this change as well.
    auto& queued = frameReadsQueued_[id];
    if (!queued) queued = std::make_shared<std::atomic<bool>>(false);
    if (queued->exchange(true)) return;
    auto deliver = lifetime_.guarded([this](const WindowSystemEvent& e) { report(e); });
    connection(tracked->pid).queue->async([tracked, id, queued, main = platform_.mainExecutor,
                                           deliver = std::move(deliver)] {
        queued->store(false);  // before the read: a change after it is reported again
        const auto frame = tracked->frame();
        if (!frame) return;
        const bool fullScreen = tracked->isFullScreen();
        const MaximizedAxes maximized = tracked->maximized();
        const bool shaded = tracked->isShaded();
        main->post([deliver, id, frame = *frame, fullScreen, maximized, shaded] {
            deliver(WindowSystemEvent::windowFrameChanged(id, frame, fullScreen, maximized, shaded));
        });
    });
}

void AXWindowSystem::setFrame(const Rect& frame, WindowID of) {
    if (const AXWindowRef w = window(of)) setFrame(frame, w);
}

std::shared_ptr<void> AXWindowSystem::willWrite(const AXWindowRef& window, const Rect& frame) const {
    const auto& follow = platform_.memberFollow;
    if (!follow || !window->windowID) return nullptr;
    return follow->willWrite(*window->windowID, frame);
}

void AXWindowSystem::setFrame(const Rect& frame, const AXWindowRef& of) {
    if (!of) return;
    // Sent already, the moment the platform read the change that led here.
    if (const auto& follow = platform_.memberFollow; follow && of->windowID && follow->takeSent(*of->windowID, frame)) {
        return;
    }
    if (beforeFrameWrite) beforeFrameWrite();
    EffectsContext context = effectsContext(of->pid);
    context.queue->async([app = std::move(context.app), window = of, frame, writing = willWrite(of, frame)]() mutable {
        app.withEnhancedUIDisabled([&] { window->setFrame(frame); });
        writing.reset();
    });
}

void AXWindowSystem::setMaximized(MaximizedAxes axes, const Rect& frame, WindowID of) {
    const AXWindowRef tracked = window(of);
    if (!tracked) return;
    if (beforeFrameWrite) beforeFrameWrite();
    EffectsContext context = effectsContext(tracked->pid);
    const Size increments = FrameLanding::increments(platform_.windowHints.get(), of);
    context.queue->async(
        [app = std::move(context.app), window = tracked, axes, frame, increments,
         writing = willWrite(tracked, frame)]() mutable {
            if (axes.any() && !(axes == MaximizedAxes::both())) {
                const std::optional<Rect> now = window->frame();
                if (!now || !FrameLanding::isLandedBeside(*now, frame, axes, FrameRecord::tolerance, increments)) {
                    app.withEnhancedUIDisabled([&] { window->setFrame(frame); });
                }
            }
            if (!window->setMaximized(axes)) app.withEnhancedUIDisabled([&] { window->setFrame(frame); });
            writing.reset();
        });
}

void AXWindowSystem::readFrame(WindowID of, std::function<void(std::optional<Rect>)> completion) {
    const AXWindowRef tracked = window(of);
    if (!tracked) {
        if (completion) completion(std::nullopt);
        return;
    }
    // The completion hops back like every other result: not at all once the
    // service is gone.
    auto deliver = lifetime_.guarded([completion = std::move(completion)](std::optional<Rect> frame) {
        if (completion) completion(frame);
    });
    connection(tracked->pid).queue->async([tracked, main = platform_.mainExecutor, deliver = std::move(deliver)] {
        const auto frame = tracked->frame();
        main->post([deliver, frame] { deliver(frame); });
    });
}

void AXWindowSystem::raiseAndActivate(WindowID windowID) {
    if (const AXWindowRef w = window(windowID)) raiseAndActivate(w);
}

void AXWindowSystem::raiseAndActivate(const AXWindowRef& target) {
    if (!target) return;
    std::optional<ProcessID> frontmostPID;
    if (platform_.workspace) {
        if (const auto front = platform_.workspace->frontmostApplication()) frontmostPID = front->pid;
    }
    const auto queue = effectsContext(target->pid).queue;
    queue->async([target, main = platform_.mainExecutor,
                  afterRaise = lifetime_.guarded([this, target, frontmostPID] {
                      reassertGate_.arm(target->pid, frontmostPID, target, now());
                      if (platform_.workspace) platform_.workspace->activate(target->pid);
                  })] {
        target->raise();
        main->post(afterRaise);
    });
}

void AXWindowSystem::reassertIfRequested(ProcessID activatedPID) {
    const std::optional<AXWindowRef> target = reassertGate_.fire(activatedPID, now());
    if (!target || !*target) return;
    ReconcileLog::trace(LogCategory::activate, "reassert raise id=" +
                                                   std::to_string((*target)->windowID.value_or(0)) +
                                                   " pid=" + std::to_string(activatedPID));
    effectsContext(activatedPID).queue->async([window = *target] { window->raise(); });
}

void AXWindowSystem::close(WindowID windowID) {
    const AXWindowRef tracked = window(windowID);
    if (!tracked) return;
    connection(tracked->pid).queue->async([tracked] { tracked->close(); });
}

void AXWindowSystem::setShaded(WindowID windowID, bool shaded) {
    const AXWindowRef tracked = window(windowID);
    if (!tracked) return;
    connection(tracked->pid).queue->async([tracked, shaded] { tracked->setShaded(shaded); });
}

void AXWindowSystem::setMinimized(WindowID windowID, bool minimized) {
    const AXWindowRef tracked = window(windowID);
    if (!tracked) return;
    connection(tracked->pid).queue->async([tracked, minimized] { tracked->setMinimized(minimized); });
}

}  // namespace tessaly
