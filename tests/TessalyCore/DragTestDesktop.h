#pragma once
// A small desktop for drag recognition tests: windows in a front-to-back
// list answer the recogniser's questions, and the simulated mouse is fed to
// the recogniser through a real event tap monitor, the way the session does
// it (tap reports, a tick timer while a drag runs, the session's modifier
// state). A simulated window manager, told of each pointer event before the
// tap, moves a window grabbed in its title strip with the pointer and
// resizes one grabbed at its lower-right corner.
#include <memory>
#include <optional>
#include <vector>

#include "Platform/ManualMainExecutor.h"
#include "Platform/ManualQueueFactory.h"
#include "Platform/Sim/SimInput.h"
#include "TessalyCore/DragGroupingController.h"
#include "TessalyCore/EventTapMonitor.h"

namespace tessaly::testing {

class DragTestWindows : public DragEnvironment {
public:
    std::vector<DragCandidate> windows;  // front to back
    int candidateQueries = 0;
    int dropTargetQueries = 0;
    bool liveFramesReadable = true;
    double candidateSlop = 0;  // a press this close to a window still takes it

    std::optional<DragCandidate> candidateWindow(Point at) override {
        ++candidateQueries;
        for (const auto& w : windows) {
            if (w.frame.insetBy(-candidateSlop, -candidateSlop).contains(at)) return w;
        }
        return std::nullopt;
    }
    std::optional<Rect> liveFrame(WindowID of) override {
        if (!liveFramesReadable) return std::nullopt;
        for (const auto& w : windows) {
            if (w.windowID == of) return w.frame;
        }
        return std::nullopt;
    }
    std::optional<DragCandidate> dropTarget(Point at, WindowID excludingDragged) override {
        ++dropTargetQueries;
        return topmost(at, excludingDragged);
    }

    std::optional<DragCandidate> topmost(Point at, WindowID excluding) const {
        for (const auto& w : windows) {
            if (w.windowID != excluding && w.frame.contains(at)) return w;
        }
        return std::nullopt;
    }
    DragCandidate* find(WindowID id) {
        for (auto& w : windows) {
            if (w.windowID == id) return &w;
        }
        return nullptr;
    }
};

struct Recorded {
    std::vector<DragGroupingEvent> events;
    std::vector<DragLifecycleEvent> lifecycle;
};

class DragTestDesktop {
public:
    static constexpr double titleStrip = 28;
    static constexpr double cornerGrip = 10;

    explicit DragTestDesktop(DragSettings settings = DragSettings{})
        : main(clock), input(main), controller(windows, settings) {
        monitor = EventTapMonitor::create(input, queues, main, clock);
        monitor->onMouse = [this](EventTapMonitor::Phase phase, Point at, EventFlags, double time) {
            onMouse(phase, at, time);
        };
        input.setPointerObserver([this](const MouseTapEvent& e) { windowManager(e); });
        controller.onEvent = [this](const DragGroupingEvent& e) { recorded.events.push_back(e); };
        controller.onLifecycle = [this](const DragLifecycleEvent& e) { recorded.lifecycle.push_back(e); };
    }
    ~DragTestDesktop() {
        stopTick();
        monitor->shutdown();
    }

    // Runs the desktop for `seconds` in small steps: scripted pointer steps
    // fire, the tap thread hands them over, the main queue reports them.
    void run(double seconds, double step = 1.0 / 240) {
        const double end = clock.monotonic() + seconds;
        while (clock.monotonic() + 1e-9 < end) {
            main.advance(std::min(step, end - clock.monotonic()));
            settle();
        }
        settle();
    }
    void settle() {
        while (queues.runAll() + main.runPending() > 0) {
        }
    }
    void play(const std::vector<PointerStep>& path, double seconds) {
        input.schedulePointerPath(path);
        run(seconds);
    }
    void hold(EventFlags flags) { input.setModifierFlags(flags); }

    VirtualClock clock;
    ManualMainExecutor main;
    ManualQueueFactory queues;
    SimInput input;
    DragTestWindows windows;
    DragGroupingController controller;
    std::unique_ptr<EventTapMonitor> monitor;
    Recorded recorded;
    Subscription tickTimer;

private:
    bool modifiersSatisfied() const { return satisfied(controller.settings.modifierGate, input.modifierFlags()); }

    void onMouse(EventTapMonitor::Phase phase, Point at, double time) {
        switch (phase) {
            case EventTapMonitor::Phase::down:
                stopTick();
                controller.mouseDown(at, time);
                break;
            case EventTapMonitor::Phase::dragged:
                controller.mouseDragged(at, modifiersSatisfied(), time);
                if (controller.isDragging() && !tickTimer) startTick();
                break;
            case EventTapMonitor::Phase::up:
                stopTick();
                controller.mouseUp(at, time);
                break;
        }
    }
    void startTick() {
        tickTimer = main.scheduleRepeating(DragGroupingController::tickInterval, [this] {
            if (!input.isLeftButtonDown()) {
                stopTick();
                controller.mouseUp(input.pointerLocation(), clock.monotonic());
                return;
            }
            controller.tick(modifiersSatisfied(), clock.monotonic());
        });
    }
    void stopTick() { tickTimer.cancel(); }
    // What the window manager does with the pointer: a title-strip press
    // moves the window, a corner press resizes it, until the release.
    void windowManager(const MouseTapEvent& e) {
        switch (e.type) {
            case MouseTapEventType::leftMouseDown: grab(e.location); break;
            case MouseTapEventType::leftMouseDragged: moveGrabbed(e.location); break;
            case MouseTapEventType::leftMouseUp: grabbed_.reset(); break;
            default: break;
        }
    }
    void grab(Point at) {
        grabbed_.reset();
        const auto w = windows.topmost(at, 0);
        if (!w) return;
        const Rect f = w->frame;
        if (at.y < f.minY() + titleStrip) grabbed_ = Grab{w->windowID, false, at, f};
        else if (at.x >= f.maxX() - cornerGrip && at.y >= f.maxY() - cornerGrip) grabbed_ = Grab{w->windowID, true, at, f};
    }
    void moveGrabbed(Point at) {
        if (!grabbed_) return;
        DragCandidate* w = windows.find(grabbed_->id);
        if (!w) return;
        const double dx = at.x - grabbed_->start.x;
        const double dy = at.y - grabbed_->start.y;
        const Rect f = grabbed_->startFrame;
        w->frame = grabbed_->resize ? Rect(f.origin.x, f.origin.y, f.size.width + dx, f.size.height + dy)
                                    : f.offsetBy(dx, dy);
    }

    struct Grab {
        WindowID id;
        bool resize;
        Point start;
        Rect startFrame;
    };
    std::optional<Grab> grabbed_;
};

}  // namespace tessaly::testing
