#pragma once
// When a handoff is written and when one read at launch is handed on.
//
// The relaunch gate: noteWillRelaunch() when a relaunch is announced; at
// termination shouldWriteHandoff() says whether to write the file (only within
// 30 s of the announcement). The pending handoff: the one read at launch waits
// here until a session actually starts. A start attempt that stops early
// (no permission yet, a refused start) leaves it pending; freshness is tested
// again when the session is made.
//
//   lifecycle.storePendingAtLaunch(store.takeAndDelete());
//   ...checks pass, the session is created...
//   if (auto handoff = lifecycle.consumeFresh(bootTime, now - bootTime)) session.restore(*handoff);
#include <optional>

#include "TessalyCore/UpdateHandoff.h"

namespace tessaly {

class UpdateHandoffLifecycle {
public:
    static constexpr double relaunchWriteWindow = 30.0;  // seconds

    // Replaces the pending handoff (absent clears it).
    void storePendingAtLaunch(std::optional<UpdateHandoff> handoff);

    // Takes the pending handoff: returned when it is fresh, dropped (and
    // logged) when it is not. Either way nothing is pending afterwards. Call
    // it when a session has been created.
    std::optional<UpdateHandoff> consumeFresh(double bootTime, double uptime);

    // For a start attempt that does not (yet) create a session: drops the
    // pending handoff when it is no longer fresh, keeps it otherwise, and
    // answers whether one is still pending.
    bool keepIfFresh(double bootTime, double uptime);

    bool hasPending() const { return pending_.has_value(); }

    // The system uptime at which a relaunch was announced (the latest wins).
    void noteWillRelaunch(double now) { armedAt_ = now; }
    // Armed, and `now` no more than 30 s after the announcement.
    bool shouldWriteHandoff(double now) const { return armedAt_ && now - *armedAt_ <= relaunchWriteWindow; }

private:
    std::optional<UpdateHandoff> pending_;
    std::optional<double> armedAt_;
};

}  // namespace tessaly
