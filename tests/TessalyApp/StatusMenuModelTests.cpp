#include "TessalyApp/StatusMenuModel.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TessalyApp/ShellNotices.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

using Kind = StatusMenuEntry::Kind;

// A delegate as the menu sees it: plain state behind the providers, and a
// record of the actions taken.
struct FakeDelegate {
    bool running = false;
    bool dragActive = false;
    bool stageManagerBlocked = false;
    bool trusted = true;
    std::vector<GroupMenuItem> groups;
    std::optional<std::string> update;
    ShellNotices notices;
    std::vector<std::string> actions;

    StatusMenuActions menuActions() {
        StatusMenuActions a;
        a.isSessionRunning = [this] { return running; };
        a.isDragActive = [this] { return dragActive; };
        a.isStageManagerBlocked = [this] { return stageManagerBlocked; };
        a.isTrusted = [this] { return trusted; };
        a.groupsSnapshot = [this] { return groups; };
        a.onFocusGroup = [this](const Uuid& id) { actions.push_back("focus " + id.uuidString()); };
        a.onOpenSettings = [this] { actions.push_back("settings"); };
        a.onOpenAbout = [this] { actions.push_back("about"); };
        a.onUngroupAll = [this] { actions.push_back("ungroup all"); };
        a.onRequestPermission = [this] { actions.push_back("permission"); };
        a.onQuit = [this] { actions.push_back("quit"); };
        a.notices = [this] { return notices.texts(); };
        return a;
    }
};

std::vector<Kind> kinds(const std::vector<StatusMenuEntry>& entries) {
    std::vector<Kind> out;
    for (const auto& entry : entries) out.push_back(entry.kind);
    return out;
}

std::vector<GroupMenuItem> makeGroups(int n) {
    std::vector<GroupMenuItem> groups;
    for (int i = 0; i < n; ++i) groups.push_back({Uuid::random(), "Group " + std::to_string(i), i % 2 + 1});
    return groups;
}

class StatusMenuModelTests : public ::testing::Test {
protected:
    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    FakeDelegate delegate;
    StatusMenuModel model{delegate.menuActions()};
};

TEST_F(StatusMenuModelTests, AStoppedUntrustedProgramOffersThePermissionAndNoGroups) {
    delegate.trusted = false;
    const auto entries = model.refresh();
    EXPECT_EQ(kinds(entries), (std::vector<Kind>{Kind::statusLine, Kind::permission, Kind::separator,
                                                 Kind::groupsHeader, Kind::noGroups, Kind::separator, Kind::settings,
                                                 Kind::dissolveAll, Kind::separator, Kind::about, Kind::quit}));
    EXPECT_EQ(entries[0].title, "⚠️ No window manager with EWMH support");
    EXPECT_FALSE(entries[0].enabled);
    EXPECT_EQ(entries[1].title, "Window Manager Needed…");
    EXPECT_EQ(entries[3].title, "Groups");
    EXPECT_EQ(entries[4].title, "No groups");
    EXPECT_FALSE(entries[4].enabled);
    EXPECT_EQ(entries[6].shortcut, "Ctrl+,");
    EXPECT_EQ(entries[10].title, "Quit Tessaly");
    EXPECT_EQ(entries[10].shortcut, "Ctrl+Q");

    for (const auto& entry : entries) model.activate(entry);
    EXPECT_EQ(delegate.actions, (std::vector<std::string>{"permission", "settings", "ungroup all", "about", "quit"}));
}

TEST_F(StatusMenuModelTests, TheStatusLineTakesTheFirstRuleThatHolds) {
    delegate.stageManagerBlocked = true;
    delegate.trusted = false;
    EXPECT_EQ(model.refresh()[0].title, L10n::statusStageManagerBlocked());
    delegate.stageManagerBlocked = false;
    EXPECT_EQ(model.refresh()[0].title, L10n::statusNotTrusted());
    delegate.trusted = true;
    EXPECT_EQ(model.refresh()[0].title, "Stopped");
    delegate.running = true;
    EXPECT_EQ(model.refresh()[0].title, L10n::statusEventTapDead());
    delegate.dragActive = true;
    const auto entries = model.refresh();
    EXPECT_EQ(entries[0].title, "Running");
    EXPECT_EQ(entries[1].kind, Kind::separator);  // trusted: no permission row
}

TEST_F(StatusMenuModelTests, GroupRowsStopAtTwelveAndCountTheRest) {
    for (const auto& [count, more] : std::vector<std::pair<int, std::string>>{{12, ""}, {13, "…and 1 more"}, {20, "…and 8 more"}}) {
        delegate.groups = makeGroups(count);
        const auto entries = model.refresh();
        std::vector<StatusMenuEntry> rows;
        for (const auto& entry : entries) {
            if (entry.kind == Kind::groupRow) rows.push_back(entry);
        }
        ASSERT_EQ(rows.size(), 12u) << count;
        EXPECT_EQ(rows[0].title, "1 tab | Group 0");
        EXPECT_EQ(rows[1].title, "2 tabs | Group 1");
        EXPECT_EQ(rows[0].toolTip, "Bring this group to the front (switches workspace if needed)");
        const auto last = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.kind == Kind::moreGroups; });
        if (more.empty()) {
            EXPECT_EQ(last, entries.end());
        } else {
            ASSERT_NE(last, entries.end());
            EXPECT_EQ(last->title, more);
            EXPECT_FALSE(last->enabled);
        }
        model.activate(rows[11]);
        EXPECT_EQ(delegate.actions.back(), "focus " + delegate.groups[11].id.uuidString());
    }
}

TEST_F(StatusMenuModelTests, NoticesShowUnderTheStatusLineAndNoUpdateRowWithoutAnUpdater) {
    delegate.notices.set(ShellNotice::launchAtLoginFailed, true);
    delegate.notices.set(ShellNotice::hotkeysTaken, true);
    auto entries = model.refresh();
    EXPECT_EQ(entries[0].kind, Kind::statusLine);
    ASSERT_EQ(entries[1].kind, Kind::notice);
    EXPECT_EQ(entries[1].title, "⚠️ A tab-switch hotkey is taken by another program");
    EXPECT_EQ(entries[2].title, "⚠️ Couldn't change “Launch at Login.”");
    EXPECT_FALSE(entries[2].enabled);
    for (const auto& entry : entries) EXPECT_NE(entry.kind, Kind::updateNotice);

    delegate.notices.set(ShellNotice::hotkeysTaken, false);
    entries = model.refresh();
    EXPECT_EQ(entries[1].title, "⚠️ Couldn't change “Launch at Login.”");
    EXPECT_EQ(entries[2].kind, Kind::separator);
}

TEST_F(StatusMenuModelTests, APendingUpdateLeadsTheMenuOnce) {
    StatusMenuActions actions = delegate.menuActions();
    actions.updateAvailable = [this] { return delegate.update; };
    actions.startUpdate = [this] { delegate.actions.push_back("update"); };
    const StatusMenuModel withUpdater(actions);
    EXPECT_EQ(withUpdater.refresh()[0].kind, Kind::statusLine);
    delegate.update = "2.0";
    for (int opening = 0; opening < 2; ++opening) {
        const auto entries = withUpdater.refresh();
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.kind == Kind::updateNotice; }), 1);
        EXPECT_EQ(entries[0].title, "New version 2.0 available…");
        EXPECT_EQ(entries[1].kind, Kind::separator);
        withUpdater.activate(entries[0]);
    }
    EXPECT_EQ(delegate.actions, (std::vector<std::string>{"update", "update"}));
}

TEST_F(StatusMenuModelTests, OpeningTheMenuFirstLetsTheDelegateStartAWaitingSession) {
    // The permission window was closed before the grant: the session starts
    // once the menu opens and trust is there, and the status line says so.
    StatusMenuActions actions = delegate.menuActions();
    actions.onWillOpen = [this] {
        if (delegate.trusted && !delegate.running) delegate.running = delegate.dragActive = true;
    };
    const StatusMenuModel menu(actions);
    delegate.trusted = false;
    EXPECT_EQ(menu.refresh()[0].title, L10n::statusNotTrusted());
    EXPECT_FALSE(delegate.running);
    delegate.trusted = true;
    EXPECT_EQ(menu.refresh()[0].title, "Running");
}

TEST(StatusMenuModelNeutralTests, UnsetProvidersAnswerNeutrally) {
    const StatusMenuModel empty{StatusMenuActions{}};
    const auto entries = empty.refresh();
    EXPECT_EQ(entries[0].title, L10n::statusNotTrusted());
    for (const auto& entry : entries) empty.activate(entry);  // nothing to call, nothing breaks
}

TEST(ShellNoticeTextsTests, EveryNoticeHasTenDistinctNonEmptyVersions) {
    for (const auto& entry : L10n::shellNoticeCatalog()) {
        std::set<std::string_view> versions(entry.text.begin(), entry.text.end());
        EXPECT_EQ(versions.size(), AppLanguage::count) << entry.id;
        EXPECT_FALSE(versions.contains("")) << entry.id;
    }
    ShellNotices notices;
    std::vector<bool> changes;
    notices.onChange = [&](ShellNotice notice, bool active) {
        EXPECT_EQ(notice, ShellNotice::relaunchFailed);
        changes.push_back(active);
    };
    notices.set(ShellNotice::relaunchFailed, true);
    notices.set(ShellNotice::relaunchFailed, true);
    notices.set(ShellNotice::relaunchFailed, false);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tessaly
