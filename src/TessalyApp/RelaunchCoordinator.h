#pragma once
// The restart the settings window asks for (to apply a new display
// language): warn when some grouped windows cannot be bound again after the
// relaunch, arrange the reopen, and only then take those windows out of
// their groups, announce the relaunch (the handoff is written at
// termination) and quit.
//
// The order matters: the reopen is arranged first, so a restart that cannot
// happen (no executable, the helper does not start) changes nothing, splits
// no group and quits nothing; the user is told instead (an alert, a log
// line and a status-menu notice).
//
// Every hook may be left unset: a missing query answers "none", a missing
// action does nothing, and a missing reopen counts as a failure. Main
// thread only.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "Platform/Lifetime.h"
#include "Platform/Types.h"
#include "TessalyApp/ShellNotices.h"

namespace tessaly {

enum class RelaunchCause {
    update,   // an update installs a new version
    restart,  // the settings window asked for a restart
};

// The warning before a relaunch that some windows would not survive.
struct MemberLossAlert {
    std::string title;
    std::string body;
    std::string continueTitle;  // the first button: go ahead
    std::string cancelTitle;

    static MemberLossAlert make(RelaunchCause cause, std::size_t unreachableCount);

    friend bool operator==(const MemberLossAlert&, const MemberLossAlert&) = default;
};

class RelaunchCoordinator {
public:
    struct Hooks {
        // The grouped windows a relaunched program cannot bind again,
        // judged now (empty without a session).
        std::function<std::vector<WindowID>()> membersUnreachableAfterRelaunch;
        // Takes those windows out of their groups.
        std::function<void(const std::vector<WindowID>&)> detachBeforeRelaunch;
        // Brings the program forward, shows the warning, and later answers
        // once: true for the first button.
        std::function<void(const MemberLossAlert&, std::function<void(bool goAhead)>)> askMemberLoss;
        // Starts the helper that reopens the program once this process has
        // ended; false, with a reason, when it cannot.
        std::function<bool(std::string* why)> scheduleReopen;
        // Tells the user that the restart failed.
        std::function<void(const std::string& title, const std::string& detail)> showFailure;
        // Arms the handoff (it is written at termination) ...
        std::function<void()> noteWillRelaunch;
        // ... and ends the program.
        std::function<void()> terminate;
    };

    RelaunchCoordinator(Hooks hooks, ShellNotices* notices = nullptr);

    // The settings window's restart request. A request while the warning of
    // an earlier one is still open is ignored.
    void requestRestart();

    // Warns when windows would leave their groups; answers (at once, or once
    // the user chose) with go-ahead and the windows to detach: those of the
    // warning that are still unreachable after the answer, in warning order.
    void confirmMemberLoss(RelaunchCause cause,
                           std::function<void(bool goAhead, std::vector<WindowID> toDetach)> done);


private:
    void proceedWithRestart(const std::vector<WindowID>& toDetach);

    Hooks hooks_;
    ShellNotices* notices_;
    bool awaitingAnswer_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
