#include "TessalyApp/RelaunchCoordinator.h"

#include <algorithm>
#include <utility>

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

MemberLossAlert MemberLossAlert::make(RelaunchCause cause, std::size_t unreachableCount) {
    MemberLossAlert alert;
    alert.title = L10n::relaunchDetachAlertTitle(static_cast<std::int64_t>(unreachableCount));
    const bool restart = cause == RelaunchCause::restart;
    alert.body = restart ? L10n::restartDetachAlertBody() : L10n::updateDetachAlertBody();
    alert.continueTitle = restart ? L10n::restartDetachAlertContinue() : L10n::updateDetachAlertContinue();
    alert.cancelTitle = L10n::relaunchDetachAlertCancel();
    return alert;
}

RelaunchCoordinator::RelaunchCoordinator(Hooks hooks, ShellNotices* notices)
    : hooks_(std::move(hooks)), notices_(notices) {}

void RelaunchCoordinator::confirmMemberLoss(RelaunchCause cause,
                                            std::function<void(bool, std::vector<WindowID>)> done) {
    const auto unreachable = [this] {
        return hooks_.membersUnreachableAfterRelaunch ? hooks_.membersUnreachableAfterRelaunch()
                                                      : std::vector<WindowID>{};
    };
    std::vector<WindowID> ids = unreachable();
    if (ids.empty()) {
        done(true, {});
        return;
    }
    if (!hooks_.askMemberLoss) {
        // Nobody can ask: a relaunch that would split groups does not go ahead.
        done(false, {});
        return;
    }
    awaitingAnswer_ = true;
    hooks_.askMemberLoss(
        MemberLossAlert::make(cause, ids.size()),
        lifetime_.guarded([this, ids, unreachable, done = std::move(done)](bool goAhead) {
            if (!awaitingAnswer_) return;  // answered already
            awaitingAnswer_ = false;
            if (!goAhead) {
                done(false, {});
                return;
            }
            // The user may have brought some of them to the front meanwhile.
            const std::vector<WindowID> now = unreachable();
            std::vector<WindowID> toDetach;
            std::copy_if(ids.begin(), ids.end(), std::back_inserter(toDetach),
                         [&](WindowID id) { return std::find(now.begin(), now.end(), id) != now.end(); });
            done(true, std::move(toDetach));
        }));
}

void RelaunchCoordinator::requestRestart() {
    if (awaitingAnswer_) return;
    confirmMemberLoss(RelaunchCause::restart, [this](bool goAhead, std::vector<WindowID> toDetach) {
        if (goAhead) proceedWithRestart(toDetach);
    });
}

void RelaunchCoordinator::proceedWithRestart(const std::vector<WindowID>& toDetach) {
    std::string why = "nothing can start the program again";
    if (!hooks_.scheduleReopen || !hooks_.scheduleReopen(&why)) {
        Log::error(LogCategory::app, "restart failed: " + why);
        if (notices_) notices_->set(ShellNotice::relaunchFailed, true);
        if (hooks_.showFailure) hooks_.showFailure(L10n::relaunchFailedTitle(), why);
        return;
    }
    if (notices_) notices_->set(ShellNotice::relaunchFailed, false);
    if (!toDetach.empty() && hooks_.detachBeforeRelaunch) hooks_.detachBeforeRelaunch(toDetach);
    if (hooks_.noteWillRelaunch) hooks_.noteWillRelaunch();
    if (hooks_.terminate) hooks_.terminate();
}

}  // namespace tessaly
