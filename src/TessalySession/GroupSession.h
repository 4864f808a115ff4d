#pragma once
// The coordinator of a running session: it owns the group engine, the window
// system and the overlay, and turns window events, drags, timers, workspace
// notifications and tab bar intents into group operations. It keeps group
// frames in place (adopting the active member's frame, snapping strays back,
// verifying that frames landed), follows focus, sweeps for dead windows and
// members that left the desktop, follows a dragged active window with its
// bar, and groups two windows when one is dropped on the other.
//
// One instance per running session, made by the application shell. There is
// no separate start: when the constructor returns, the sweep is scheduled
// and the workspace observers are registered. Main thread only.
//
// Calls back into the engine while it reports. The engine reports every
// change synchronously from inside the operation that made it, and the
// session hands each report to the overlay first. A bar may answer that
// with an intent right away (hiding or closing a bar ends a gesture on it
// with the callbacks of a release), and the session's own report handling
// ends bar drags of dissolved groups. Such follow-up work never calls the
// engine from inside its report: while a report is being handled, every
// intent and every follow-up engine call is queued on the main executor
// and runs on its next turn, once the engine operation that reported has
// returned (see whenEngineIdle). Outside a report, intents run at once.
// Each queued call looks its group up again when it runs.
//
// Shut-down detaches everything: after shutdown() no timer fires, no
// observer acts, hotkeys are given back, drag grouping is off, every bar is
// closed, and later deliveries from the window system, the engine, the
// badge monitor and the overlay's bars do nothing. The groups stay in the
// engine for the shell to save.
//
// Times are monotonic seconds of the platform clock.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "OverlayUI/CrossPromptPanel.h"
#include "OverlayUI/InsertPreviewPanel.h"
#include "OverlayUI/OverlayFactory.h"
#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/TabBarPanelDelegate.h"
#include "OverlayUI/TabColorPanelController.h"
#include "Platform/AppIcon.h"
#include "Platform/DispatchQueue.h"
#include "Platform/HotkeyService.h"
#include "Platform/InputMonitor.h"
#include "Platform/PlatformServices.h"
#include "Platform/Subscription.h"
#include "Platform/Uuid.h"
#include "TessalyCore/AXWindowSystem.h"
#include "TessalyCore/AutoColorRule.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/DockBadgeMonitor.h"
#include "TessalyCore/DragGroupingController.h"
#include "TessalyCore/DragSettings.h"
#include "TessalyCore/GroupEngine.h"
#include "TessalyCore/HandoffRestorePlanner.h"
#include "TessalyCore/HotkeyManager.h"
#include "TessalyCore/KeyCombo.h"
#include "TessalyCore/OSFocusGate.h"
#include "TessalyCore/OffSpaceReconciler.h"
#include "TessalyCore/SettingEnums.h"
#include "TessalyCore/UpdateHandoff.h"
#include "TessalyCore/WindowDiscovery.h"
#include "TessalyCore/WindowSystemEvent.h"
#include "TessalySession/FollowSnapshot.h"
#include "TessalyCore/ZoomRecord.h"
#include "TessalySession/BarDragSession.h"
#include "TessalySession/BarDropOutcome.h"
#include "TessalySession/DisplaySettleState.h"
#include "TessalySession/DragIntegration.h"
#include "TessalySession/LiveFollowSession.h"
#include "TessalySession/MergeCandidate.h"
#include "TessalySession/ParkedMember.h"
#include "TessalySession/SnapBackBudget.h"
#include "TessalySession/WindowManagerFrame.h"

namespace tessaly {

class GroupSession final : public TabBarPanelDelegate {
public:
    // What a session is built over. The platform's services drive the window
    // system and the overlay; the rest is what only the session uses.
    struct Services {
        PlatformServices platform;
        // The mouse tap and the live button, modifier and pointer state; null
        // runs the session without drag grouping and reads the button as up.
        std::shared_ptr<InputMonitor> input;
        // Global hot keys; null makes every tab-cycle registration fail.
        std::shared_ptr<HotkeyService> hotkeyService;
        // The toolkit half of the overlay (bars, previews, prompts, menus).
        std::shared_ptr<OverlayFactory> overlayFactory;
        // Application icons for the tabs.
        std::shared_ptr<AppIconSource> iconProvider;
        // Whether applications of this desktop fold windows into native tabs
        // of their own. No X11 client does: off, nothing is ever taken for
        // tabbed aside and no tab-stack probe runs.
        bool nativeWindowTabs = false;
    };

    // Distances in points.
    static constexpr double liveFollowGlitchJump = 150.0;
    static constexpr double barDragEdgePushCap = 24.0;
    static constexpr double barDragCrossArmPush = 16.0;
    static constexpr double edgeKeepOnScreen = 8.0;
    static constexpr double resyncVerifyTolerance = 4.0;
    static constexpr double resyncHostBoundsTolerance = 1.0;
    static constexpr double mergeOverlapMinSpan = 40.0;
    // Counts and times (seconds).
    static constexpr int snapBackLimit = 8;
    static constexpr int liveFollowMaxReject = 5;
    static constexpr double sweepInterval = 1.0;
    // Where the window list tells of its changes, a change is swept this
    // long after it (changes close together sweep once), and with nothing
    // to repeat sweeps come this far apart (see GroupSessionSweep.cpp).
    static constexpr double sweepCoalesceDelay = 0.05;
    static constexpr double safetySweepInterval = 10.0;
    static constexpr double minimizeQuietPeriod = 0.6;
    static constexpr double shadeFocusQuietPeriod = 1.0;
    static constexpr double shadeSettleDelay = 0.3;
    static constexpr double focusVerdictTTL = 1.0;
    static constexpr float focusedWindowTimeout = 0.25f;
    static constexpr float windowListTimeout = 1.0f;
    static constexpr double frameVerifyDelay = 0.5;
    static constexpr double zoomMinInterval = 0.5;
    // How long a window manager may take over a maximise it makes in steps
    // (fluxbox: the height, then the width, then the state).
    static constexpr double maximizeStepsWait = 0.3;
    static constexpr double strayQuietPeriod = 0.25;
    static constexpr double quietStrayTolerance = 1.0;
    static constexpr double maximizeStrayWindow = 2.0;
    static constexpr double dragTickInterval = 1.0 / 30;
    static constexpr double panelUpdateInterval = 1.0 / 120;
    static constexpr double liveFollowResyncDelay = 0.1;
    static constexpr double pointerSettleInterval = 0.05;
    // A stray member is sent back once it has reported no move for this
    // long: a burst of moves (a pager's) is one stray, not one per report.
    static constexpr double strayStillness = 0.1;
    static constexpr double displaySettleWindow = 5.0;
    static constexpr double badgeInterval = 5.0;

    // A frame as the session's log lines write it ("10,20 800x600"); never
    // fails, also for values that are not finite.
    static std::string frameLog(const Rect& frame);

    // Builds and wires everything (engine, window system, overlay, badge
    // monitor, off-desktop reconciler, callbacks, sweep timer, observers).
    // `usePublicZSync` picks the toolkit's panel ordering, else the window
    // server's private ordering.
    GroupSession(Services services, bool usePublicZSync);
    ~GroupSession() override;
    GroupSession(const GroupSession&) = delete;
    GroupSession& operator=(const GroupSession&) = delete;

    // Ends the session's activity (see the top of this file). Idempotent.
    void shutdown();
    bool isShutDown() const { return isShutDown_; }

    GroupEngine& engine() { return *engine_; }
    const GroupEngine& engine() const { return *engine_; }
    AXWindowSystem& windowSystem() { return *windowSystem_; }
    OverlayManager& overlay() { return *overlay_; }

    // ---- Set by the application shell --------------------------------------

    FullscreenPolicy fullscreenPolicy = FullscreenPolicy::suspend;
    OffSpacePolicy offSpacePolicy = OffSpacePolicy::detach;
    // True for an application the user excluded from grouping.
    std::function<bool(ProcessID)> isExcludedApp;
    // Open the settings window (on the Colors page for the second).
    std::function<void()> onSettingsRequested;
    std::function<void()> onAutoColorRulesRequested;

    // ---- Settings pushed by the application shell ----------------------------

    // Turns drag-to-group on: the mouse tap, the recogniser and their wiring.
    // False when no tap can be made (nothing changes); true when on, also
    // when it already was.
    bool enableDragGrouping(const DragSettings& settings);
    void disableDragGrouping();
    void updateDragSettings(const DragSettings& settings);
    bool isDragGroupingActive() const { return dragIntegration_ != nullptr; }
    const DragSettings& dragSettings() const { return dragSettings_; }

    void updateTabColors(std::vector<ColorPreset> presets, std::vector<AutoColorRule> rules);
    void updateAppearance(AppearanceMode mode);
    void updateTabBarOpacity(double opacity);
    void updateTabBarHeight(double height);
    void updateShowTabBadges(bool show);
    bool showTabBadges() const { return showTabBadges_; }

    // Registers the tab-cycle hotkeys (absent: that one off), giving back the
    // previous ones first; false when a requested one could not be registered.
    bool enableTabCycleHotkeys(const std::optional<KeyCombo>& next, const std::optional<KeyCombo>& prev);
    void disableTabCycleHotkeys();

    // ---- Frames and gestures (also used by the tab bar gestures) -----------

    // A live follow or a bar drag of the group runs.
    bool isGestureActive(const Uuid& groupID) const;
    // Makes the frame the group frame of the window's group: confined to
    // its display with room for the bar, committed through the engine, set
    // on the window and verified when confinement changed it. Answers the
    // committed frame.
    Rect adoptFrame(const Rect& frame, WindowID from, bool force, std::optional<Point> droppedAt);
    // The same, recognising a zoom and its undo first.
    void adoptOrRestoreZoom(const Rect& frame, WindowID from, const TabGroup& group);
    // A group the window manager holds maximised whose active member leaves
    // the bar no room (see OverlayManager::hasRoom) is zoomed below the bar.
    void zoomBelowBar(const Uuid& groupID);
    // Undoes the group's zoom: back to the frame from before it.
    void restoreZoom(const ZoomRecord& record, const Rect& requested, WindowID from, const TabGroup& group);
    // Whether the active member's `frame`, reported without the maximised
    // state shortly after a maximise that left the bar no room was taken
    // (zoomed below the bar, or the zoom undone), is off the group frame:
    // the window manager on its way out of the maximise, or GTK putting
    // its shadow margins back a moment after it, which grows the window
    // about where it stands. Not the user's doing: it is put back.
    bool isDriftAfterNoRoomMaximize(const Rect& frame, WindowID from, const TabGroup& group);
    // Zooms the group below the bar from where its active member `from`,
    // maximised leaving the bar no room, stands now.
    void zoomMaximizedBelowBar(const Uuid& groupID, WindowID from);
    // Follows the window manager maximising the group's active member (as
    // `maximized` says it holds the window, which has `frame`) or restoring
    // it: a maximised frame becomes the group frame as it shows in the work
    // area, without room kept for the bar, and every other member is
    // maximised the same way (`again`: also when the group is maximised so
    // already); a restore is adopted like a move, and a report half way is
    // passed over. False when the report is neither (an ordinary move or
    // resize). A maximised window that leaves the bar no room (see
    // OverlayManager::hasRoom) is zoomed below the bar a moment later (see
    // zoomMaximizedBelowBar), or, so zoomed, brought back.
    // A maximise along one axis only is followed once it has stood for
    // maximizeStepsWait, unless `settled` says it has.
    bool followWindowManagerMaximize(const Rect& frame, MaximizedAxes maximized, WindowID from,
                                     const TabGroup& group, bool again = false, bool settled = false);
    void followHeldPartialMaximize(const Uuid& groupID, WindowID from);
    // Parks the group's inactive usable members for a gesture: on `behind`,
    // the active window's frame, stacked below it, where the gesture moves
    // them along with it (window managers bring a window moved off the
    // screen back into view, so no place aside hides it). Answers them.
    std::vector<ParkedMember> parkInactiveMembers(const TabGroup& group, const Rect& behind);
    // What a verification does with a window that is not at the committed
    // frame: send the frame once more, or (a frame the window manager put
    // elsewhere, where it keeps windows on screen) make where the window is
    // the group's frame.
    enum class FrameMiss { resend, adopt };
    void scheduleFrameLandedVerification(const Uuid& groupID, WindowID windowID, const Rect& committed,
                                         const std::string& tag, FrameMiss miss = FrameMiss::resend);
    void verifyFrameLanded(const Uuid& groupID, WindowID windowID, const Rect& committed, const std::string& tag,
                           FrameMiss miss = FrameMiss::resend);
    // The dragged window joins the target's group (or forms one with it);
    // true when both ended up in one group. Windows left in no group are
    // not kept tracked.
    bool group(const AXWindowRef& dragged, const AXWindowRef& target);
    // The window to drive instead of an active member that is hidden in
    // another window's native tabs; null to drive the member itself.
    AXWindowRef visibleDriveWindow(const TabGroup& group);
    void deferAdoptUntilPointerRelease(const Uuid& groupID, WindowID moved);
    // The active member reports a frame that would have to be confined,
    // without the window manager's maximised state: a window manager that
    // maximises in steps publishes the state last. The frame is adopted
    // once it has had `patience` to do so (a later report of the window
    // takes its place). True when the frame waits.
    bool holdForMaximizeState(const TabGroup& group, WindowID from, const Rect& frame,
                              double patience = maximizeStepsWait);
    void adoptHeldFrame(const Uuid& groupID);
    // Whether the pointer was let go at a screen's edge (where it is now,
    // when that is not known), where window managers tile and maximise what
    // is dropped.
    bool isDroppedAtScreenEdge(std::optional<Point> droppedAt) const;
    // Drops the group's held frame (a later report takes its place); answers
    // how long it had yet to wait.
    double releaseHeldFrame(const Uuid& groupID);
    // Just after the window manager maximised or restored the group, a
    // member that strays (on its way there in the window manager's steps,
    // with its state last; a GTK window easing its shadow margins in and
    // resizing itself to them) is sent back once its reports have stopped
    // for `strayQuietPeriod`, with the frame it has then, also when it is
    // off by less than a send-back minds. True when the report waits so.
    bool holdStrayUntilQuiet(const TabGroup& group, WindowID windowID, const Rect& frame);
    void snapBackQuietStray(const Uuid& groupID, WindowID windowID);

    // ---- Members moved by the platform (GroupSessionFollow.cpp) ----
    // The group's state and the session's as the follow rules read them
    // (FollowGate); the screens only when asked (a frame to confine).
    FollowGroupState followGroup(const TabGroup& group) const;
    FollowRules followRules(bool withScreens) const;
    // When the window's minimise last changed (as long as it is kept), and
    // whether that was less than minimizeQuietPeriod before `at`.
    std::optional<double> minimizeChangedAt(WindowID windowID) const;
    bool isMinimizeQuiet(WindowID windowID, double at) const;
    // The window reports a frame the platform moved it to for a change of
    // its active member that is still on its way here: not a stray.
    bool isOnItsWay(WindowID windowID, const Rect& frame) const;

    // ---- Display settle, sleep and wake ------------------------------------

    void handleSleep(const std::string& reason);
    void handleWake(const std::string& reason);
    void beginDisplaySettle(const std::string& trigger);
    void wakeFailsafe(const std::string& reason);
    bool isDisplaySettling() const;

    // ---- Read-backs for the shell and for tests ------------------------------

    const DisplaySettleState& settleState() const { return settleState_; }
    const std::optional<LiveFollowSession>& liveFollow() const { return liveFollow_; }
    const std::map<Uuid, std::vector<WindowID>>& memberIndex() const { return memberIndex_; }
    const std::map<Uuid, ZoomRecord>& zoomRecords() const { return zoomRecords_; }
    // How the window manager holds a grouped window maximised, as last reported.
    MaximizedAxes reportedMaximized(WindowID windowID) const;
    const SnapBackBudget& snapBackBudget() const { return snapBackBudget_; }
    const std::set<Uuid>& pointerSettlePending() const { return pointerSettlePending_; }
    const DockBadgeMonitor& badgeMonitor() const { return *badgeMonitor_; }
    const HotkeyManager* hotkeys() const { return hotkeys_.get(); }
    // The insert preview of the running drag integration; null while off.
    const InsertPreviewPanel* dragPreview() const {
        return dragIntegration_ ? dragIntegration_->preview.get() : nullptr;
    }

    // ---- Bar drags and merges, the add-window menu, maximise and displays ----
    // (GroupSessionBarDrag.cpp, GroupSessionMerge.cpp, GroupSessionAddWindow.cpp,
    // GroupSessionDisplayMove.cpp)

    // The groups being dragged by their bars.
    const std::map<Uuid, BarDragSession>& barDrags() const { return barDrags_; }
    // Ends every bar drag with its group where it is shown (shut-down): a
    // merge on offer is not made and no move to another display is made.
    void settleBarDrags();
    // The group that the bar-dragged group, shown at `frame`, would merge into.
    std::optional<Uuid> mergeTarget(const Uuid& draggedGroupID, const Rect& frame) const;
    // Of the unlocked candidates with a member on the desktop, the one the
    // dragged frame overlaps most, by at least mergeOverlapMinSpan on each
    // axis and at least a quarter of the smaller frame's area; on equal
    // overlaps the earlier one.
    static std::optional<Uuid> mergeTargetPick(const Rect& draggedFrame, const std::vector<MergeCandidate>& among);
    // A release: abandon when the dragged group is gone; merge into the
    // hovered target when the dragged group is unlocked and the target
    // mergeable (asked only then); else commit the frame.
    static BarDropOutcome barDropOutcome(bool groupExists, const std::optional<Uuid>& hoveredTarget,
                                         bool sourceLocked,
                                         const std::function<bool(const Uuid&)>& targetIsMergeable);
    // The parked members that left the dragged group, in their order.
    static std::vector<ParkedMember> parkedToRestore(const std::vector<ParkedMember>& parked,
                                                     const std::set<WindowID>& survivingMembers);
    // The windows of the list, in its order, that could join the group:
    // ordinary (layer 0), visible (alpha above 0.05), not this process's, of
    // `ownedBy` when given, not members of the group (members of other groups
    // are), of no excluded application (asked last).
    static std::vector<DiscoveredWindow> addableCandidates(const std::vector<DiscoveredWindow>& among,
                                                           const TabGroup& group, ProcessID ownPID,
                                                           std::optional<ProcessID> ownedBy,
                                                           const std::function<bool(ProcessID)>& isExcluded);

    // ---- TabBarPanelDelegate ---------------------------------------------------

    void tabBarDidSelectTab(const Uuid& groupID, WindowID windowID) override;
    void tabBarDidCloseTab(const Uuid& groupID, WindowID windowID) override;
    void tabBarDidMoveTabToIndex(const Uuid& groupID, WindowID windowID, int index) override;
    void tabBarDidMoveTabToGroupAtIndex(const Uuid& groupID, WindowID windowID, const Uuid& targetGroupID,
                                        int index) override;
    void tabBarDidPopOutTab(const Uuid& groupID, WindowID windowID) override;
    void tabBarDidRequestGroupSameAppForTab(const Uuid& groupID, WindowID windowID) override;
    void tabBarDidToggleLock(const Uuid& groupID) override;
    void tabBarDidRequestUngroup(const Uuid& groupID) override;
    void tabBarDidRequestCloseGroup(const Uuid& groupID) override;
    void tabBarDidDragBy(const Uuid& groupID, Point delta, EventFlags modifiers) override;
    void tabBarDidEndDrag(const Uuid& groupID) override;
    void tabBarDidActivate(const Uuid& groupID) override;
    void tabBarDidRequestMaximize(const Uuid& groupID) override;
    void tabBarDidRenameGroup(const Uuid& groupID, const std::optional<std::string>& name) override;
    void tabBarDidRequestSettings(const Uuid& groupID) override;
    void tabBarDidClickAdd(const Uuid& groupID, const Rect& anchor) override;
    void tabBarDidRequestMoveToDisplay(const Uuid& groupID, int index) override;
    void tabBarDidSetAccentForTab(const Uuid& groupID, const std::optional<TabColor>& accent,
                                  WindowID windowID) override;
    void tabBarDidRequestCustomAccentForTab(const Uuid& groupID, WindowID windowID) override;
    void tabBarDidSetGroupAccent(const Uuid& groupID, const std::optional<TabColor>& accent) override;
    void tabBarDidRequestCustomGroupAccent(const Uuid& groupID) override;
    void tabBarDidRequestAutoColorRules(const Uuid& groupID) override;

    // ---- Relaunch handoff, display resync, native window tabs ----------------
    // (GroupSessionRestore.cpp, GroupSessionDisplaySettle.cpp,
    // GroupSessionNativeTabs.cpp)

    // Members a relaunched program could not bind to their groups again
    // (suspended ones, and live windows off screen without being minimised
    // or hidden, where applications list only the windows of the current
    // desktop), judged from the window list now; in group and tab order.
    std::vector<WindowID> membersUnreachableAfterRelaunch() const;
    // Takes those members out of their groups (a locked group keeps them),
    // raising nothing.
    void detachBeforeRelaunch(const std::vector<WindowID>& windowIDs);
    // The groups as a relaunch carries them; absent when none is left to
    // save. Groups in a gesture are left out, and so are members the
    // relaunched program could not bind (their group is kept without them).
    std::optional<UpdateHandoff> makeUpdateHandoff() const;
    // Rebuilds the handoff's groups on the live windows; windows stay where
    // they are. Saved windows that are gone or belong to another process
    // now are passed over.
    void restore(const UpdateHandoff& handoff);

    // How a group is put back once the displays settled.
    enum class ResyncBranch {
        reassert,  // its display is unchanged: the stored group frame
        reflow,    // its display changed: from where its active window is now
    };
    static constexpr int resyncReadRetries = 2;
    static constexpr double resyncRetryDelay = 1.0;
    // reassert when some current display's full frame is within `tolerance`
    // of the stored one on x, y, width and height.
    static ResyncBranch resyncBranch(const std::optional<Rect>& storedHostBounds,
                                     const std::vector<Rect>& currentScreenFullBounds, double tolerance);

    // A host window confirmed to hold a native tab set.
    struct ConfirmedHost {
        AXWindowRef window;
        std::string title;
    };
    struct TabStackVerdict {
        bool isStack = false;
        double at = 0;  // the sweep time of the request
    };
    static constexpr const char* tabStackConfirmQueueLabel = "tessaly.tabstack-confirm";
    static constexpr double tabStackVerdictLifetime = 30.0;
    static constexpr double survivorOriginTolerance = 5.0;

    bool supportsNativeWindowTabs() const { return services_.nativeWindowTabs; }
    const std::map<WindowID, Rect>& tabbedAside() const { return tabbedAside_; }
    const std::map<WindowID, TabStackVerdict>& tabStackVerdicts() const { return tabStackVerdicts_; }

private:
    // Display resync (GroupSessionDisplaySettle.cpp).
    bool mayResync(const Uuid& groupID, WindowID activeID) const;
    void resyncGroup(const Uuid& groupID, WindowID activeID, int attemptsRemaining);
    void resyncGroupWithFrame(const Uuid& groupID, WindowID activeID, int attemptsRemaining,
                              const std::optional<Rect>& read);
    Rect resyncTarget(const TabGroup& group, const Rect& read, ResyncBranch branch) const;
    void scheduleResyncVerification(const Uuid& groupID, WindowID activeID, const Rect& committed,
                                    ResyncBranch branch);
    // Shows and hides bars by desktop presence, and follows the stacking,
    // while the sweep is held back.
    void updateSpacePresenceWhileSettling();

    // Restore (GroupSessionRestore.cpp).
    static TabGroup restoredGroup(const HandoffRestorePlanner::GroupPlan& plan);

    // Native window tabs (GroupSessionNativeTabs.cpp).
    struct NativeTabSibling {
        AXWindowRef window;
        WindowID windowID = 0;
        std::string title;
    };
    void judgeTabStackHosts(const std::vector<WindowID>& hosts, ProcessID pid, double at);
    std::optional<NativeTabSibling> survivingNativeTabSibling(WindowID windowID);
    void repoint(WindowID member, WindowID to, const AXWindowRef& window, const std::string& title);
    // Forgets every tabbed-aside member, verdict and confirmed host (no
    // group left), or only those of windows that are not alive.
    void forgetNativeTabState(const std::unordered_set<WindowID>* alive);

    std::map<WindowID, TabStackVerdict> tabStackVerdicts_;
    std::map<WindowID, ConfirmedHost> confirmedHosts_;
    std::set<WindowID> tabStackConfirmsInFlight_;
    std::shared_ptr<DispatchQueue> tabStackConfirmQueue_;  // made with the first probe

private:
    // ---- Construction and wiring (GroupSession.cpp) ----
    void wireOverlay();
    void wireEngine();
    void observeWorkspace();
    // Wraps a callback so that it does nothing (or answers a
    // value-initialised result) once the session is shut down or gone. A
    // callback that answers nothing runs as a turn of the session.
    template <typename Fn>
    auto guarded(Fn fn) {
        return [this, weak = std::weak_ptr<char>(alive_), fn = std::move(fn)](auto&&... args) {
            using R = std::invoke_result_t<Fn&, decltype(args)...>;
            if (weak.expired()) {
                if constexpr (std::is_void_v<R>) return;
                else return R{};
            }
            if constexpr (std::is_void_v<R>) {
                const Turn turn(*this);
                fn(std::forward<decltype(args)>(args)...);
            } else {
                return fn(std::forward<decltype(args)>(args)...);
            }
        };
    }
    // Runs `work` now, or, while an engine report is being handled, on the
    // next turn of the main executor (after the reporting operation returned).
    // Either way as a turn.
    void whenEngineIdle(std::function<void()> work);
    double now() const;
    std::vector<ScreenBox> screens() const;
    std::optional<ProcessID> frontmostPID() const;
    bool isLeftButtonDown() const;
    // The focused window of an application, read with the short time-out.
    AXWindowRef focusedWindow(ProcessID pid) const;
    bool hasMemberOf(ProcessID pid) const;

    // ---- What the platform moves members by (GroupSessionFollow.cpp) ----
    // Everything that reaches the session from outside runs as a turn: the
    // callbacks it hands out (window-system, engine and workspace reports,
    // timers, the mouse tap), the bars' intents and the shell's settings.
    // What the platform moves members by is handed over, when it changed,
    // once the outermost turn ends and before a frame write leaves the
    // session while the state may have changed since: a frame change that
    // comes of the write is followed by the state that made it.
    class Turn {
    public:
        explicit Turn(GroupSession& session) : session_(session) {
            ++session_.turnDepth_;
            session_.followStale_ = true;
        }
        ~Turn() {
            if (--session_.turnDepth_ == 0) session_.publishFollow();
        }
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

    private:
        GroupSession& session_;
    };
    FollowSnapshot followSnapshot() const;
    // Hands the platform the state its member moves go by, when it changed.
    void publishFollow();
    // Before a frame write leaves: outside a turn (a call of the shell's)
    // or after something may have changed in this one.
    void publishFollowBeforeWrite();

    // ---- Engine events and member tracking (GroupSession.cpp) ----
    void handleGroupEvent(const GroupEvent& event);
    void untrackWhenSettled(std::vector<WindowID> windowIDs);
    void untrackIfUngrouped(WindowID windowID);

    // ---- Window-system events (GroupSessionWindowEvents.cpp) ----
    void handleWindowEvent(const WindowSystemEvent& event);
    void handleFrameChanged(const WindowSystemEvent::WindowFrameChanged& event);
    // A member the user rolls up to its title bar takes every other member
    // of its group along, so that none shows below that title bar; rolled
    // down, they come down with it. True while the reporting member is
    // rolled up, and on the report of our own roll down landing: its frame
    // then is not the group's to adopt or send back.
    bool followShade(const TabGroup& group, const WindowSystemEvent::WindowFrameChanged& event);
    // Whether the window is rolled up, as heard or, if not heard so, as read now.
    bool isRolledUpNow(WindowID windowID) const;
    // Whether a member of the window's group is rolled up.
    bool isInRolledUpGroup(WindowID windowID) const;
    // Whether the window is a member we rolled up or down a moment ago:
    // some window managers focus (metacity, marco) or raise (icewm) each
    // window they roll, which is no choice of the user's.
    bool isFocusedByOwnShade(WindowID windowID) const;
    // For a member so focused or raised: the active member takes the focus
    // back (true).
    bool takeBackFocusFromOwnShade(const TabGroup& group, WindowID windowID);
    // `lookAgain`: a re-send is read back once the window has settled.
    void snapBack(const TabGroup& group, WindowID windowID, const Rect& frame, MaximizedAxes maximized,
                  bool lookAgain = true);
    void lookAgainAfterSnapBack(WindowID windowID, const Rect& target);
    // A stray member's report: it is sent back (snapBack) once it stands
    // still, from where it is then.
    void snapBackWhenStill(const TabGroup& group, WindowID windowID, const Rect& frame);
    void snapBackStillStray(WindowID windowID);
    void judgeIfMadeActive(WindowID windowID);
    // The group, while the window is one of its inactive members whose
    // strays are sent back now.
    std::optional<TabGroup> strayGroup(WindowID windowID) const;
    // The window's frame is read and reported again `delay` from now (once,
    // however many reports were passed over till then).
    void lookAgainAfterQuietPeriod(WindowID windowID, double delay);
    // Whether `window` stands in front of `other` among the windows on screen.
    bool isInFrontOf(WindowID window, WindowID other) const;
    void handleFocusChanged(const WindowSystemEvent::FocusedWindowChanged& event);
    bool isOSFocusedWindow(WindowID windowID, ProcessID pid);
    void adoptFocusedMember(ProcessID activatedPID);
    void scheduleFocusSweep();

    // ---- Sweep (GroupSessionSweep.cpp) ----
    // Sweeps now, then schedules the next sweep.
    void runSweep(bool spaceChanged);
    void sweep(bool spaceChanged);
    // The next sweep comes `delay` seconds from now, unless one is due sooner.
    void sweepWithin(double delay);
    void scheduleNextSweep();
    // Whether something the sweep does needs doing again a second later.
    bool needsRepeatedSweeps(double at) const;
    // The sweep's part for members off the current desktop and the bars'
    // desktop presence, over a window list taken (front to back).
    void reconcileDesktops(const std::vector<DiscoveredWindow>& windows, const std::unordered_set<WindowID>& alive,
                           double at, bool replace);
    // The window manager moved a window to another desktop (or said again
    // where it is).
    void handleWindowSpaceChanged(WindowID windowID);
    void releaseTabbedAside(const std::unordered_set<WindowID>& alive, const std::unordered_set<WindowID>& onScreen);
    void updateSpacePresence(const std::unordered_set<WindowID>& onScreen, bool replace);

    // ---- Stacking and focus (GroupSessionStacking.cpp) ----
    bool refusesFocus(WindowID windowID) const;
    // The group's usable member frontmost on the current desktop.
    std::optional<WindowID> topMember(const TabGroup& group, const std::vector<DiscoveredWindow>& windows) const;
    // A member that came on top of its group since the last look becomes
    // the active one (the window manager raised it, with or without focus),
    // and so does one that stays on top of another active one for a second.
    void followStacking(const std::vector<DiscoveredWindow>& windows, double at);
    // A member was on top of the group at the last look and is not its
    // active one: a later look may make it so.
    bool awaitsStackingLook(const TabGroup& group) const;
    bool isFollowingWindowManagerMaximize(const TabGroup& group, double at) const;
    // Whether a member of the group that takes no focus stands on top of
    // the window, which may then hold the focus unseen.
    bool isUnderFocusRefuser(const TabGroup& group, WindowID windowID);
    // The focused member becomes the active one, unless it is under a
    // member that takes no focus.
    void adoptFocus(WindowID windowID);

    // ---- Frames (GroupSessionFrames.cpp) ----
    Rect confinedToDropHost(const Rect& frame, std::optional<Point> cursor) const;
    bool isVerificationStale(const Uuid& groupID, WindowID windowID, const Rect& committed) const;
    Size sizeIncrements(WindowID windowID) const;
    // The record stands and the group still sits at its zoomed frame, as
    // far as the active window can take it (a terminal keeps to its cells).
    bool isAtZoomedFrame(const ZoomRecord& record, const TabGroup& group) const;
    // The group sits at the frame the window manager maximised it to.
    bool isWindowManagerMaximized(const TabGroup& group) const;
    // How the window manager holds the window `of`, which has `frame` and
    // is maximised along `maximized` (see WindowManagerFrame).
    WindowManagerFrame windowManagerFrame(const Rect& frame, MaximizedAxes maximized, WindowID of) const;
    // The group frame of a window the window manager holds maximised along
    // `maximized`: its frame as it shows in the work area. None while the
    // frame does not fill the work area along those axes.
    std::optional<Rect> maximizedGroupFrame(const Rect& frame, MaximizedAxes maximized, WindowID of) const;
    // A frame the window manager tiled without saying so (KWin's quick
    // tiling), where the bar has room in its title bar: the window is kept
    // there, and the group takes it as it is.
    bool isUnstatedTile(const Rect& frame, WindowID of) const;

    // ---- A member's own maximise (GroupSessionMemberMaximize.cpp) ----
    // How the group's inactive members stand: maximised as the window
    // manager holds the group, or not at all.
    MaximizedAxes expectedAxes(const TabGroup& group) const;
    // An inactive member stands as its group, which the window manager holds
    // maximised: maximised the same way, showing on the group frame (or on
    // its way there, its state told before its frame).
    bool isMaximizedWithGroup(const TabGroup& group, WindowID windowID, const Rect& frame,
                              MaximizedAxes maximized) const;
    // An inactive member reported maximised or restored (`after`) where it
    // stood as its group (`before`), by someone else (a pager, or the
    // application): not the window manager carrying out late, or in steps,
    // what was sent for the group or to the member.
    bool isForeignMaximizeChange(const TabGroup& group, WindowID windowID, MaximizedAxes before,
                                 MaximizedAxes after) const;
    // Such a change (or a report while one waits): judged once the member's
    // reports have stopped for strayQuietPeriod (true: the report waits).
    bool watchMemberMaximize(const TabGroup& group, WindowID windowID, MaximizedAxes before, MaximizedAxes after);
    void awaitStillMember(const Uuid& groupID, WindowID windowID);
    void relayWhenStill(const Uuid& groupID, WindowID windowID);
    // The active member is maximised (as the member is, at its place) or
    // restored, and the group follows it. False for a member half way.
    bool relayMaximize(const TabGroup& group, WindowID windowID, const Rect& frame, MaximizedAxes after);
    // The member's change waits to be judged, or for its group to follow.
    bool isAwaitingMemberMaximize(const TabGroup& group, WindowID windowID);
    // Some member's change waits to be judged, or was passed on a moment ago.
    bool hasMemberMaximizeUnderWay(const TabGroup& group, double at) const;
    // A maximise or a restore goes to the members `from`'s commit moves.
    void noteMaximizeSent(const TabGroup& group, WindowID from);
    void forgetMemberMaximize(WindowID windowID);

    // ---- Drag grouping and live follow (GroupSessionDrag.cpp) ----
    void handleMouse(EventTapMonitor::Phase phase, Point location, double time);
    bool modifiersSatisfied() const;
    bool modifiersSatisfied(EventFlags flags) const;
    void startDragTick();
    void dragTick();
    void handleDragEvent(const DragGroupingEvent& event);
    void handleDragLifecycle(const DragLifecycleEvent& event);
    void showInsertPreview(const DragCandidate& target);
    void groupOnDrop(WindowID draggedID, const DragCandidate& target, const std::optional<LiveFollowSession>& ended);
    void startLiveFollow(WindowID windowID);
    void endLiveFollow(WindowID windowID);
    void moveParked(const std::vector<ParkedMember>& parked, const Rect& to);
    // Whether a press of the button is down that may become a drag (not the
    // late reports of a release already handled).
    bool isPressWatched() const;
    void liveFollowPanelUpdate(Point at, double time);
    Rect resolveFinalFollowFrame(const LiveFollowSession& follow, WindowID windowID);
    AXWindowRef resolveAXWindow(WindowID windowID, ProcessID pid) const;
    // Where the window stands a moment after a drag, adopted if it is not
    // where the drag left it; a frame in the bar's room waits `patience`
    // for a maximise or tile of the window manager's.
    void scheduleLiveFollowResyncCheck(const Uuid& groupID, WindowID activeID, const Rect& committed, double patience);
    void runLiveFollowResyncCheck(const Uuid& groupID, WindowID activeID, const Rect& committed, double patience);
    bool mayResyncLiveFollow(const Uuid& groupID, WindowID activeID) const;

    // ---- Pointer-release settle (GroupSessionPointerSettle.cpp) ----
    void settlePendingIfPointerReleased();
    // A member found off its frame while the button is held (the window
    // manager moving it under the user's hand) is reported again once the
    // button is released, and judged then.
    void lookAgainAtPointerRelease(WindowID member);
    void watchPointerRelease();
    std::optional<WindowID> settleableActive(const Uuid& groupID) const;

    // ---- Display settle (GroupSessionDisplaySettle.cpp) ----
    void recordHostBounds(double at);
    void resyncGroupsAfterDisplayChange();

    // ---- Native tabs (GroupSessionNativeTabs.cpp; hooks of the sweep and events) ----
    bool isMemberTabbedAside(WindowID windowID, const std::vector<DiscoveredWindow>& onScreenWindows,
                             const std::vector<DiscoveredWindow>& allWindows, double at);
    void repointBackgroundedNativeTabMembers();
    bool repointToSurvivingNativeTabSibling(WindowID windowID);

    // ---- Badges, colours and hotkeys (GroupSessionBadges/Colors/Hotkeys.cpp; the
    // last two are GroupSessionSettings.cpp's) ----
    void applyBadges(const std::set<std::string>& changed);
    std::optional<std::string> appPath(ProcessID pid) const;
    void applyAutoColor(const GroupMember& member);
    void cycleFocusedGroup(bool forward);
    void updateBadgeMonitor();
    bool hasSameAppCandidates(const Uuid& groupID, WindowID windowID) const;
    std::vector<DisplayMoveTarget> displayMoveTargets(const Uuid& groupID) const;

    // ---- Bar drags and merges, the add-window menu, maximise and displays ----
    struct AddWindowRow {
        std::string title;  // "application — window title", both cleaned for display
        std::shared_ptr<const AppIcon> icon;
        AXWindowRef window;
    };
    void dragGroupBy(const Uuid& groupID, Point delta, EventFlags modifiers);
    std::optional<BarDragSession> openBarDrag(const TabGroup& group, const std::vector<ScreenBox>& all);
    bool isGroupingModifierHeld(EventFlags modifiers) const;
    void endBarDrag(const Uuid& groupID);
    void commitBarDrag(const TabGroup& group, const BarDragSession& drag);
    // The name of the display among the current ones; empty when unknown.
    std::string displayName(const ScreenBox& screen, const std::vector<ScreenBox>& in) const;
    // The add-window menu's rows, front to back.
    std::vector<AddWindowRow> addableWindows(const TabGroup& group);
    // The window joins the group's active member; true when it did.
    bool addWindow(const AXWindowRef& window, const Uuid& groupID);
    // The group, when its frame may be maximised or moved now.
    std::optional<TabGroup> wholeFrameChangeable(const Uuid& groupID) const;
    // Confines the frame to its display, sets it on the active (or drive)
    // window, commits it and verifies it with `tag`.
    void applyGroupFrame(const TabGroup& group, const AXWindowRef& driveWindow, const Rect& frame,
                         const std::string& tag);

    // ---- State -----------------------------------------------------------------
    Services services_;
    std::shared_ptr<AXWindowSystem> windowSystem_;
    std::unique_ptr<GroupEngine> engine_;
    std::unique_ptr<OffSpaceReconciler> offSpaceReconciler_;
    std::unique_ptr<OverlayManager> overlay_;
    std::unique_ptr<DockBadgeMonitor> badgeMonitor_;
    std::unique_ptr<TabColorPanelController> colorPanel_;
    std::unique_ptr<InsertPreviewPanel> barMergePreview_;
    std::unique_ptr<CrossPromptPanel> barCrossPrompt_;
    WindowDiscovery discovery_;

    std::unique_ptr<DragIntegration> dragIntegration_;
    std::unique_ptr<HotkeyManager> hotkeys_;
    std::vector<AutoColorRule> autoColorRules_;
    std::vector<ColorPreset> colorPresets_;
    bool showTabBadges_ = false;
    std::map<Uuid, std::vector<WindowID>> memberIndex_;
    std::map<Uuid, Rect> hostBounds_;
    std::map<Uuid, BarDragSession> barDrags_;
    std::map<Uuid, ZoomRecord> zoomRecords_;
    // Each group's top and active members at the last look at the stacking,
    // and since when the look has found them so.
    struct StackingLook {
        WindowID top = 0;
        WindowID active = 0;
        double since = 0;
    };
    std::map<Uuid, StackingLook> stackingLooks_;
    // How each member was last reported maximised (none: not at all), or
    // was as it joined its group.
    std::unordered_map<WindowID, MaximizedAxes> reportedAxes_;
    // Inactive members whose maximise or restore by someone else (a pager,
    // the application) was passed on to their active member, and when: the
    // group follows once the active member does.
    std::unordered_map<WindowID, double> relayedMaximizes_;
    // Such changes waiting for the member's reports to stop, with the
    // member's state before them.
    struct PendingRelay {
        MaximizedAxes before;
        double since = 0;
        Subscription timer;
    };
    std::unordered_map<WindowID, PendingRelay> pendingRelays_;
    // Groups whose active member was tiled so (put on the tile first).
    std::set<Uuid> relayedTiles_;
    // When a maximise or a restore was last sent to a member (for its
    // group's, or to send it back into its group's): what the window
    // manager does about it is no one else's.
    std::unordered_map<WindowID, double> maximizeSent_;
    // Active members whose maximise, which left the bar no room, was taken
    // (zoomed below the bar, or the zoom undone): until a report without
    // the state, further reports of it are the same maximise.
    std::unordered_set<WindowID> takenNoRoomMaximizes_;
    // When such a maximise of a group was last taken.
    std::map<Uuid, double> noRoomMaximizeTakenAt_;
    std::map<Uuid, Subscription> noRoomZooms_;  // such maximises waiting for the window manager's last step
    std::map<WindowID, Rect> driftReads_;        // where such a window was last put back from
    // Frames of active members waiting for a maximised state (see holdForMaximizeState).
    struct HeldFrame {
        WindowID windowID = 0;
        Rect frame;
        double until = 0;  // when it is adopted
        Subscription timer;
    };
    std::map<Uuid, HeldFrame> heldFrames_;
    std::map<Uuid, Subscription> partialMaximizeHolds_;  // maximises along one axis waiting to stand
    std::unordered_map<WindowID, Subscription> quietStrays_;  // members waiting to be still
    std::unordered_set<WindowID> shadedMembers_;           // members reported rolled up
    // Rolls we asked of a member, not yet seen to land: the last one asked
    // (the state it is coming to) and how many are on their way.
    struct ShadeRequest {
        bool shaded = false;
        int onTheirWay = 0;
    };
    std::unordered_map<WindowID, ShadeRequest> shadeRequests_;
    std::unordered_map<WindowID, double> ownShadeAt_;      // when we last rolled each member up or down
    DragSettings dragSettings_;
    std::optional<LiveFollowSession> liveFollow_;
    std::set<Uuid> pointerSettlePending_;
    std::set<WindowID> pointerSettleMoved_;  // the windows whose moves wait for the release
    std::set<WindowID> pointerSettleStrays_;  // members looked at again at the release
    std::optional<Point> pendingMouseUpPoint_;
    std::unordered_map<WindowID, double> recentMinimizeChange_;
    std::set<WindowID> quietFrameLooks_;
    std::map<WindowID, Subscription> strayChecks_;  // strays waiting to stand still  // frames passed over in a quiet period, read again at its end
    SnapBackBudget snapBackBudget_{snapBackLimit, resyncVerifyTolerance};
    std::map<WindowID, Rect> tabbedAside_;
    std::map<WindowID, WindowID> tabbedAsideHost_;
    OSFocusGate osFocusGate_{focusVerdictTTL};
    DisplaySettleState settleState_;
    std::shared_ptr<const FollowSnapshot> followPublished_;
    int turnDepth_ = 0;
    bool followStale_ = false;  // a turn began since the last hand-over
    bool pendingSpaceReplace_ = false;
    bool focusSweepScheduled_ = false;
    bool listUnread_ = false;  // the last sweep found the window list empty or unreadable
    double livenessSweptAt_ = -1e300;  // the last sweep that counted missing members
    double sweepDueAt_ = 0;            // while sweepTimer_ is armed
    int engineReportDepth_ = 0;
    bool isShutDown_ = false;

    Subscription sweepTimer_;  // the next sweep
    Subscription listChanges_;  // empty where the window list tells of no changes
    Subscription liveFollowResyncTimer_;
    Subscription pointerSettleTimer_;
    Subscription displayResyncTimer_;
    std::vector<Subscription> observers_;

    // Every callback the session hands out, and the bars' weak delegate, are
    // tied to this; dropped at shut-down so that later deliveries do nothing.
    // Last, so that it goes first on destruction.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace tessaly
