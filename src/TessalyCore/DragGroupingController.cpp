#include "TessalyCore/DragGroupingController.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "Platform/Overloaded.h"

namespace tessaly {

namespace {

double distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

std::ostream& operator<<(std::ostream& os, const DragCandidate& c) {
    return os << "DragCandidate(" << c.windowID << ", pid " << c.pid << ", " << c.frame << ")";
}

std::ostream& operator<<(std::ostream& os, const DragGroupingEvent& event) {
    using E = DragGroupingEvent;
    std::visit(Overloaded{
                   [&](const E::PreviewShown& e) { os << "previewShown(" << e.target << ")"; },
                   [&](const E::Grouped& e) { os << "grouped(" << e.draggedWindowID << ", " << e.target << ")"; },
                   [&](const E::PreviewHidden&) { os << "previewHidden"; },
               },
               event.payload);
    return os;
}

std::ostream& operator<<(std::ostream& os, const DragLifecycleEvent& event) {
    using E = DragLifecycleEvent;
    std::visit(Overloaded{
                   [&](const E::Confirmed& e) {
                       os << "confirmed(" << e.windowID << ", " << (e.dragKind == DragKind::move ? "move" : "resize")
                          << ")";
                   },
                   [&](const E::Ended& e) { os << "ended(" << e.windowID << ")"; },
               },
               event.payload);
    return os;
}

DragGroupingController::DragGroupingController(DragEnvironment& environment, DragSettings initialSettings)
    : settings(initialSettings), environment_(environment) {}

void DragGroupingController::send(const DragGroupingEvent& event) {
    if (onEvent) onEvent(event);
}

void DragGroupingController::send(const DragLifecycleEvent& event) {
    if (onLifecycle) onLifecycle(event);
}

void DragGroupingController::mouseDown(Point at, double /*time*/) {
    if (state_ == State::confirmed) {
        // The release of the last drag was never seen: close it first, so
        // every confirmation is followed by exactly one end. The drag counts
        // as running until its end has been reported.
        const WindowID id = confirmed_.windowID;
        hidePreviewIfShown();
        send(DragLifecycleEvent::ended(id));
    }
    lastPoint_ = at;
    lastPollTime_ = never;
    startCursor_ = at;
    state_ = State::pending;
}

void DragGroupingController::modifierHeldAtPress() {
    if (state_ != State::pending || !modifierSnapsMoves || !modifierSnapsMoves()) return;
    const std::optional<DragCandidate> candidate = environment_.candidateWindow(startCursor_);
    if (candidate) track(*candidate, startCursor_);
}

void DragGroupingController::track(const DragCandidate& candidate, Point at) {
    candidate_ = candidate;
    trackStart_ = at;
    lastLook_ = {candidate.frame, at};
    state_ = State::tracking;
}

void DragGroupingController::mouseDragged(Point to, bool modifiersSatisfied, double time) {
    lastPoint_ = to;
    modifiersSatisfied_ = modifiersSatisfied;
    evaluate(time);
}

void DragGroupingController::tick(bool modifiersSatisfied, double time) {
    modifiersSatisfied_ = modifiersSatisfied;
    evaluate(time);
}

void DragGroupingController::mouseUp(Point /*at*/, double /*time*/) {
    if (state_ == State::confirmed) {
        // The release's reports run while the drag still counts as running;
        // the controller is idle once they are done.
        const Confirmed drag = confirmed_;
        if (drag.previewShown) {
            confirmed_.previewShown = false;
            send(DragGroupingEvent::previewHidden());
            if (drag.hoverTarget) send(DragGroupingEvent::grouped(drag.windowID, *drag.hoverTarget));
        }
        send(DragLifecycleEvent::ended(drag.windowID));
    }
    state_ = State::idle;
}

void DragGroupingController::evaluate(double now) {
    if (now - lastPollTime_ < evaluationInterval) return;
    lastPollTime_ = now;
    switch (state_) {
        case State::idle: return;
        case State::pending: {
            if (distance(startCursor_, lastPoint_) <= confirmDistance) return;
            const std::optional<DragCandidate> candidate = environment_.candidateWindow(lastPoint_);
            if (!candidate) return;
            track(*candidate, lastPoint_);
            evaluateTracking();
            return;
        }
        case State::tracking: evaluateTracking(); return;
        case State::confirmed: evaluateConfirmed(now); return;
    }
}

void DragGroupingController::evaluateTracking() {
    const std::optional<Rect> live = environment_.liveFrame(candidate_.windowID);
    if (!live) {
        state_ = State::idle;
        return;
    }
    const Rect& frame = candidate_.frame;

    const double sizeDelta = std::max(std::abs(live->width() - frame.width()), std::abs(live->height() - frame.height()));
    if (sizeDelta > resizeConfirmDelta) {
        const bool nearOuter = frame.insetBy(-resizeEdgeProximity, -resizeEdgeProximity).contains(startCursor_);
        const bool deepInside = frame.insetBy(resizeEdgeProximity, resizeEdgeProximity).contains(startCursor_);
        if (nearOuter && !deepInside) {
            confirm(candidate_.windowID, DragKind::resize);
            return;
        }
    }

    const double wx = live->minX() - frame.minX();
    const double wy = live->minY() - frame.minY();
    const double cx = lastPoint_.x - trackStart_.x;
    const double cy = lastPoint_.y - trackStart_.y;
    const bool followsSinceTaken = std::abs(wx - cx) < followTolerance && std::abs(wy - cy) < followTolerance;
    // A move that began after the window was taken (past the window
    // manager's drag threshold, or asked for by the move assist) leaves the
    // window off the pointer's way since then, or makes it jump to the
    // pointer at first: from then on it moves as the pointer does between
    // two looks.
    const double sx = live->minX() - lastLook_.frame.minX();
    const double sy = live->minY() - lastLook_.frame.minY();
    const double px = lastPoint_.x - lastLook_.pointer.x;
    const double py = lastPoint_.y - lastLook_.pointer.y;
    const bool followsSinceLastLook = (std::abs(sx) > confirmDistance || std::abs(sy) > confirmDistance) &&
                                      std::abs(sx - px) < followTolerance && std::abs(sy - py) < followTolerance;
    lastLook_ = {*live, lastPoint_};
    const bool follows = followsSinceTaken || followsSinceLastLook;
    const bool windowMoved = std::abs(wx) > confirmDistance || std::abs(wy) > confirmDistance;
    const bool cursorMoved = std::abs(cx) > confirmDistance || std::abs(cy) > confirmDistance;

    // A window snapped from edge to edge as it is moved goes where the
    // pointer takes it all the same; the drop target is under the pointer.
    const bool snapped = !follows && windowMoved && cursorMoved && modifiersSatisfied_ && modifierSnapsMoves &&
                         modifierSnapsMoves();
    if (windowMoved && (follows || snapped) && cursorMoved) {
        confirm(candidate_.windowID, DragKind::move);
        return;
    }
    if (!windowMoved && distance(trackStart_, lastPoint_) > giveUpDistance) state_ = State::idle;
    // Otherwise keep tracking; a window that moved without following the
    // pointer is never given up on while the button is down.
}

void DragGroupingController::confirm(WindowID windowID, DragKind kind) {
    confirmed_ = Confirmed{};
    confirmed_.windowID = windowID;
    confirmed_.kind = kind;
    state_ = State::confirmed;
    send(DragLifecycleEvent::confirmed(windowID, kind));
}

bool DragGroupingController::holdElapsed(double now) const {
    return now - confirmed_.hoverSince >= settings.holdDelay;
}

void DragGroupingController::showPreview(const DragCandidate& target) {
    confirmed_.previewShown = true;
    send(DragGroupingEvent::previewShown(target));
}

void DragGroupingController::hidePreviewIfShown() {
    if (!confirmed_.previewShown) return;
    confirmed_.previewShown = false;
    send(DragGroupingEvent::previewHidden());
}

void DragGroupingController::evaluateConfirmed(double now) {
    Confirmed& c = confirmed_;
    // A resize never shows a preview.
    if (c.kind == DragKind::resize) return;

    if (now - c.lastHitTest < hitTestInterval) {
        // No new query is due: decide on the stored hover target.
        if (!c.hoverTarget) return;
        if (modifiersSatisfied_) {
            if (holdElapsed(now) && !c.previewShown) showPreview(*c.hoverTarget);
        } else {
            hidePreviewIfShown();
        }
        return;
    }

    const std::optional<DragCandidate> target = environment_.dropTarget(lastPoint_, c.windowID);
    c.lastHitTest = now;

    if (!target) {
        if (c.hoverTarget) {
            hidePreviewIfShown();
            c.hoverTarget.reset();
        }
        return;
    }
    if (c.hoverTarget && c.hoverTarget->windowID == target->windowID) {
        // The same target: its first sighting and hover start are kept.
        if (!modifiersSatisfied_) {
            hidePreviewIfShown();
        } else if (holdElapsed(now) && !c.previewShown) {
            showPreview(*target);
        }
        return;
    }
    hidePreviewIfShown();
    c.hoverTarget = target;
    c.hoverSince = now;
    c.previewShown = false;
    if (modifiersSatisfied_ && settings.holdDelay <= 0) showPreview(*target);
}

}  // namespace tessaly
