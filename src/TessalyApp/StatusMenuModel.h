#pragma once
// What the status menu shows and does, without a toolkit. The menu knows
// nothing of the session: everything goes through the providers and actions
// the application delegate hands in. Its rows are computed anew each time
// the menu is about to open (refresh()), never in between:
//
//   [update notice, separator]      only while an update is pending
//   status line                     disabled
//   notices                         disabled, one per standing notice
//   "Window Manager Needed…"        only while not trusted (no EWMH window manager)
//   separator
//   "Groups"                        header, disabled
//   one row per group (at most 12), or "No groups"; "…and n more"
//   separator
//   "Settings…"  "Dissolve All Groups"  separator  "About Tessaly"  "Quit Tessaly"
//
// The same rows serve a stand-in for the menu where no tray exists (the
// settings window lists them and calls activate()).
//
// Main thread only.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Uuid.h"
#include "TessalyCore/GroupMenuItem.h"

namespace tessaly {

// The delegate's providers and actions. An unset provider answers its
// neutral value (false, no rows, no version); an unset action does nothing.
struct StatusMenuActions {
    std::function<bool()> isSessionRunning;
    std::function<bool()> isDragActive;
    std::function<bool()> isStageManagerBlocked;
    std::function<bool()> isTrusted;
    std::function<std::vector<GroupMenuItem>()> groupsSnapshot;
    std::function<void(const Uuid&)> onFocusGroup;
    std::function<void()> onOpenSettings;
    std::function<void()> onOpenAbout;
    std::function<void()> onUngroupAll;
    std::function<void()> onRequestPermission;
    // Left unset where there is no update controller: no update notice.
    std::function<std::optional<std::string>()> updateAvailable;
    std::function<void()> startUpdate;
    std::function<void()> onQuit;
    // The lines of the standing notices (ShellNotices::texts).
    std::function<std::vector<std::string>()> notices;
    // Runs first whenever the menu is about to open: the delegate starts a
    // session that could not start before (the permission window was closed
    // before the grant came) once it can.
    std::function<void()> onWillOpen;
};

struct StatusMenuEntry {
    enum class Kind {
        updateNotice,
        separator,
        statusLine,
        notice,
        permission,
        groupsHeader,
        groupRow,
        noGroups,
        moreGroups,
        settings,
        dissolveAll,
        about,
        quit,
    };

    Kind kind = Kind::separator;
    std::string title;
    std::string toolTip;
    bool enabled = false;
    std::optional<Uuid> groupID;  // group rows
    // The row's key while the menu is open: a portable key sequence
    // ("Ctrl+Q") or empty. A menu shows and answers it only where the
    // program draws the menu itself, naming the keys in the display
    // language ("Strg+Q").
    std::string shortcut;

    friend bool operator==(const StatusMenuEntry&, const StatusMenuEntry&) = default;
};

class StatusMenuModel {
public:
    static constexpr std::size_t maxGroupRows = 12;

    explicit StatusMenuModel(StatusMenuActions actions);

    // Runs onWillOpen, then computes every row: what opening the menu does.
    std::vector<StatusMenuEntry> refresh() const;
    // Every row as things stand, without onWillOpen.
    std::vector<StatusMenuEntry> entries() const;
    // The status line's text: the first rule that holds of Stage Manager
    // blocked, not trusted, running with drag grouping, stopped, and running
    // without drag grouping.
    std::string statusLineTitle(bool trusted) const;
    // Carries out a row's action (rows without one do nothing).
    void activate(const StatusMenuEntry& entry) const;

    const StatusMenuActions& actions() const { return actions_; }

private:
    void appendGroupSection(std::vector<StatusMenuEntry>& entries) const;

    StatusMenuActions actions_;
};

}  // namespace tessaly
