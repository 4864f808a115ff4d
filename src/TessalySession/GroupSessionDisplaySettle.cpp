// Sleep, wake and display changes: while the displays settle the window
// server moves windows on its own, and the session leaves frames alone.
#include "TessalyCore/ReconcileLog.h"
#include "TessalyCore/WindowPlacement.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

void trace(const std::string& message) { ReconcileLog::trace(LogCategory::reconcile, message); }

}  // namespace

bool GroupSession::isDisplaySettling() const { return settleState_.isSettling(now()); }

void GroupSession::handleSleep(const std::string& reason) {
    settleState_.asleep = true;
    trace("system asleep (" + reason + ") \u2014 reconcile paused");
    displayResyncTimer_.cancel();
    offSpaceReconciler_->clearConfirmationCountdowns();
}

void GroupSession::handleWake(const std::string& reason) {
    settleState_.asleep = false;
    trace("system awake (" + reason + ")");
    beginDisplaySettle("wake-" + reason);
}

void GroupSession::beginDisplaySettle(const std::string& trigger) {
    const double at = now();
    const bool wasOpen = settleState_.settlingUntil > at;
    settleState_.settlingUntil = at + displaySettleWindow;
    if (!settleState_.asleep && !wasOpen) trace("display settle opened (" + trigger + ")");
    offSpaceReconciler_->clearConfirmationCountdowns();
    displayResyncTimer_.cancel();
    if (settleState_.asleep) return;  // the wake opens a new window
    displayResyncTimer_ = services_.platform.mainExecutor->schedule(
        displaySettleWindow, guarded([this] { resyncGroupsAfterDisplayChange(); }));
}

void GroupSession::wakeFailsafe(const std::string& reason) {
    if (!settleState_.asleep) return;
    settleState_.asleep = false;
    trace("systemAsleep cleared by user activity (" + reason + ") \u2014 missed wake notification?");
    beginDisplaySettle("failsafe-" + reason);
}

void GroupSession::recordHostBounds(double at) {
    // Through the rehome grace the bounds from before the display change stay.
    if (offSpaceReconciler_->isInRehomeGrace(at)) return;
    const std::vector<ScreenBox> all = screens();
    std::map<Uuid, Rect> recorded;
    for (const TabGroup& group : engine_->groups()) {
        if (const auto host = WindowPlacement::hostScreen(group.frame, all)) recorded[group.id] = host->full;
    }
    hostBounds_ = std::move(recorded);
}

void GroupSession::resyncGroupsAfterDisplayChange() {
    // The settle window closed. Putting each group back (its stored frame on
    // an unchanged display, else reflowed from where its window is now)
    // comes with the display settle handling; until then the groups keep
    // their frames and the next moves of their windows are adopted.
    offSpaceReconciler_->noteDisplaySettleEnded(now());
    trace("display settle closed \u2014 resync start (" + std::to_string(engine_->groupCount()) + " groups)");
}

}  // namespace tessaly
