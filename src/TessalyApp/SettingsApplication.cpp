#include "TessalyApp/SettingsApplication.h"

#include "Platform/Log.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

SettingsApplication::SettingsApplication(SettingsStore& store, ShellNotices* notices)
    : store_(store), notices_(notices) {}

void SettingsApplication::apply(GroupSession* session) {
    if (!session) return;
    GroupSession& s = *session;
    s.fullscreenPolicy = store_.fullscreenPolicy();
    s.offSpacePolicy = store_.offSpacePolicy();
    s.isExcludedApp = lifetime_.guarded([this](ProcessID pid) { return store_.isExcluded(pid); });
    s.updateDragSettings(store_.dragSettings());
    s.updateTabBarHeight(store_.tabBarHeight());
    s.overlay().setAppearanceMode(store_.appearanceMode());
    s.overlay().setTabBarOpacity(store_.tabBarOpacity());
    s.updateShowTabBadges(store_.showTabBadges());
    s.overlay().setTabBadgeColor(store_.tabBadgeColor());
    s.updateTabColors(store_.colorPresets(), store_.autoColorRules());
    if (!recording_) registerHotkeys(s);
}

void SettingsApplication::hotkeyRecordingChanged(bool recording, GroupSession* session) {
    recording_ = recording;
    if (recording) {
        if (session) session->disableTabCycleHotkeys();
        return;
    }
    apply(session);
}

void SettingsApplication::registerHotkeys(GroupSession& session) {
    const HotkeyPair asked{store_.nextTabHotkey(), store_.prevTabHotkey()};
    if (session.enableTabCycleHotkeys(asked.first, asked.second)) {
        lastRegistered_ = asked;
        // What the user asked for last was refused and put back: still worth saying.
        if (restored_ == asked) return;
        restored_.reset();
        if (notices_) notices_->set(ShellNotice::hotkeysTaken, false);
        return;
    }
    Log::error(LogCategory::app, hotkeyFailureLine);
    if (notices_) notices_->set(ShellNotice::hotkeysTaken, true);
    if (lastRegistered_ && *lastRegistered_ != asked) springBack(session, *lastRegistered_);
}

void SettingsApplication::springBack(GroupSession& session, const HotkeyPair& working) {
    // Written without the store's change callback: that would push every
    // setting again only to come back here.
    auto onChange = std::exchange(store_.onChange, nullptr);
    store_.setNextTabHotkey(working.first);
    store_.setPrevTabHotkey(working.second);
    store_.onChange = std::move(onChange);
    if (session.enableTabCycleHotkeys(working.first, working.second)) {
        restored_ = working;
        Log::notice(LogCategory::app, "tab-cycle hotkeys put back to the last ones that registered");
    } else {
        // Taken meanwhile as well: nothing stays registered to spring back to.
        Log::error(LogCategory::app, hotkeyFailureLine);
        lastRegistered_.reset();
    }
    if (onHotkeysRestored) onHotkeysRestored();
}

}  // namespace tessaly
