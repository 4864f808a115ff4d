// Groups over their lifetime: members that close or whose application is
// killed leave, the sweep keeps groups true (and keeps them when the window
// list says nothing), bars follow the current desktop, displays settle,
// intents that arrive while the engine reports wait for it, and the
// tab-cycle hotkeys step through a group.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class GroupLifecycle : public SessionDesktop {
protected:
    // Groups {1 (editor), 2 (terminal)} and {3 (terminal), 4 (browser)}.
    std::pair<TabGroup, TabGroup> twoGroups(std::optional<std::uint32_t> space = std::nullopt) {
        addWindow(1, editor, Rect(100, 100, 700, 500), space);
        addWindow(2, terminal, Rect(100, 100, 700, 500), space);
        addWindow(3, terminal, Rect(1000, 200, 700, 500), space);
        addWindow(4, browser, Rect(1000, 200, 700, 500), space);
        start(false);
        const TabGroup first = groupWindows(1, 2);
        const TabGroup second = groupWindows(4, 3);
        return {first, second};
    }
};

TEST_F(GroupLifecycle, AClosedOrKilledMemberLeavesItsGroupAndNothingOfItStaysTracked) {
    const auto [first, second] = twoGroups();
    ASSERT_EQ(session->windowSystem().trackedCount(), 4u);

    env.desktop->destroyWindow(1);
    settle();
    EXPECT_FALSE(session->engine().group(first.id));
    EXPECT_TRUE(overlay->barFor(first.id).isClosed);
    EXPECT_FALSE(session->memberIndex().contains(first.id));
    EXPECT_EQ(session->windowSystem().trackedCount(), 2u) << "the survivor is let go one turn later";

    env.desktop->terminate(browser);
    settle();
    EXPECT_FALSE(session->engine().group(second.id));
    EXPECT_TRUE(overlay->barFor(second.id).isClosed);
    EXPECT_FALSE(session->windowSystem().hasConnection(browser));
    EXPECT_EQ(session->windowSystem().trackedCount(), 0u);
    EXPECT_TRUE(session->memberIndex().empty());
    EXPECT_FALSE(session->badgeMonitor().isActive());
}

TEST_F(GroupLifecycle, AMemberMovedToAnotherGroupStaysTrackedAndAFailedGroupingKeepsNothingTracked) {
    const auto [first, second] = twoGroups();
    addWindow(5, editor, Rect(100, 100, 700, 500));
    session->group(element(5), element(1));
    run(0.5);
    session->tabBarDidMoveTabToGroupAtIndex(first.id, 5, second.id, 0);
    settle();
    EXPECT_EQ(session->engine().group(5)->id, second.id);
    EXPECT_EQ(session->memberIndex().at(second.id), (std::vector<WindowID>{5, 3, 4}));
    EXPECT_EQ(session->windowSystem().trackedCount(), 5u);

    // A member of a locked group cannot be grouped elsewhere: the target it
    // was to join is not kept tracked.
    session->engine().setLocked(true, second.id);
    addWindow(6, browser, Rect(0, 600, 300, 300));
    EXPECT_FALSE(session->group(element(5), element(6)));
    settle();
    EXPECT_EQ(session->windowSystem().window(6), nullptr);
    EXPECT_NE(session->windowSystem().window(5), nullptr);
}

TEST_F(GroupLifecycle, TheSweepEvictsDeadMembersButLeavesGroupsAloneWhileTheWindowListSaysNothing) {
    const auto [first, second] = twoGroups();

    // A window manager restarting: the list is empty or cannot be read.
    env.desktop->setWindowListUnavailable(true);
    run(10.0);
    EXPECT_EQ(session->engine().groupCount(), 2u);
    EXPECT_TRUE(overlay->barFor(first.id).isShown);
    env.desktop->setWindowListUnavailable(false);
    env.desktop->setWindowListHook([](std::vector<WindowInfo>& list) { list.clear(); });
    run(10.0);
    EXPECT_EQ(session->engine().groupCount(), 2u);
    EXPECT_TRUE(overlay->barFor(second.id).isShown);

    // A window that vanished without a word is evicted after six sweeps.
    env.desktop->setWindowListHook([](std::vector<WindowInfo>& list) {
        std::erase_if(list, [](const WindowInfo& info) { return info.number == WindowID{4}; });
    });
    run(5.0);
    EXPECT_TRUE(session->engine().group(second.id));
    run(2.0);
    EXPECT_FALSE(session->engine().group(second.id));
    EXPECT_TRUE(session->engine().group(first.id));
}

TEST_F(GroupLifecycle, BarsFollowTheCurrentDesktopAndDisplaysSettleAfterSleepAndWake) {
    env.desktop->setSpaceCount(2);
    const auto [first, second] = twoGroups(0u);
    const FakeBarRecord& bar = overlay->barFor(first.id);
    ASSERT_TRUE(bar.isShown);

    env.desktop->switchSpace(1);
    settle();
    EXPECT_FALSE(bar.isShown) << "no member on the current desktop";
    env.desktop->switchSpace(0);
    settle();
    EXPECT_TRUE(overlay->barFor(first.id).isShown) << "rebuilt after the desktop change";

    // A group whose members are all minimised has its bar hidden.
    env.desktop->setMinimized(3, true);
    env.desktop->setMinimized(4, true);
    run(1.2);
    EXPECT_FALSE(overlay->barFor(second.id).isShown);

    // Asleep, and for five seconds after the wake, the window server's
    // moves are not taken for the user's.
    env.desktop->sleep();
    settle();
    EXPECT_TRUE(session->settleState().asleep);
    env.desktop->moveWindow(1, Rect(0, 300, 700, 500));
    run(1.0);
    EXPECT_EQ(session->engine().group(1)->frame, first.frame);
    env.desktop->wake();
    settle();
    EXPECT_FALSE(session->settleState().asleep);
    env.desktop->moveWindow(1, Rect(0, 350, 700, 500));
    run(4.5);
    EXPECT_EQ(session->engine().group(1)->frame, first.frame);
    run(1.5);
    EXPECT_EQ(frameOf(1), first.frame) << "put back on its unchanged display";
    env.desktop->moveWindow(1, Rect(0, 400, 700, 500));
    run(0.5);
    EXPECT_EQ(session->engine().group(1)->frame, Rect(0, 400, 700, 500));
    EXPECT_EQ(frameOf(2), Rect(0, 400, 700, 500));
}

// A bar whose close, like a real bar's, ends a gesture on it with an intent
// at once; here it asks its delegate to dissolve another group.
class InterruptingFactory final : public OverlayFactory {
public:
    explicit InterruptingFactory(std::shared_ptr<FakeOverlayFactory> inner) : inner_(std::move(inner)) {}
    std::function<void(TabBarPanelDelegate&)> onClose;

    std::unique_ptr<TabBarPanel> makeTabBarPanel(const Uuid& groupID) override {
        return std::make_unique<Bar>(inner_->makeTabBarPanel(groupID), this);
    }
    std::unique_ptr<InsertPreviewPanel> makeInsertPreviewPanel() override { return inner_->makeInsertPreviewPanel(); }
    std::unique_ptr<CrossPromptPanel> makeCrossPromptPanel() override { return inner_->makeCrossPromptPanel(); }
    std::unique_ptr<GroupNameDialog> makeGroupNameDialog() override { return inner_->makeGroupNameDialog(); }
    std::unique_ptr<TabColorPanelController> makeTabColorPanelController() override {
        return inner_->makeTabColorPanelController();
    }
    void popUpMenu(MenuModel menu, Point at) override { inner_->popUpMenu(std::move(menu), at); }

private:
    class Bar final : public TabBarPanel {
    public:
        Bar(std::unique_ptr<TabBarPanel> inner, InterruptingFactory* owner) : inner_(std::move(inner)), owner_(owner) {}
        const Uuid& groupID() const override { return inner_->groupID(); }
        void setDelegate(std::weak_ptr<TabBarPanelDelegate> delegate) override {
            delegate_ = delegate;
            inner_->setDelegate(std::move(delegate));
        }
        void setDragCoordinator(TabDragCoordinating* c) override { inner_->setDragCoordinator(c); }
        void setProviders(TabBarProviders providers) override { inner_->setProviders(std::move(providers)); }
        void setAppearanceMode(AppearanceMode mode) override { inner_->setAppearanceMode(mode); }
        void setTabBarOpacity(double opacity) override { inner_->setTabBarOpacity(opacity); }
        void setTabBadgeColor(const TabColor& color) override { inner_->setTabBadgeColor(color); }
        void render(const std::vector<TabViewModel>& tabs, const std::optional<std::string>& name,
                    const std::optional<TabColor>& accent, bool isLocked) override {
            inner_->render(tabs, name, accent, isLocked);
        }
        void updateTitle(WindowID id, const std::string& title) override { inner_->updateTitle(id, title); }
        void place(const TabStripGeometry::BarLayout& layout) override { inner_->place(layout); }
        void show() override { inner_->show(); }
        void hide() override { inner_->hide(); }
        void close() override {
            inner_->close();
            if (const auto delegate = delegate_.lock(); delegate && owner_->onClose) owner_->onClose(*delegate);
        }
        bool isShown() const override { return inner_->isShown(); }
        bool isLocked() const override { return inner_->isLocked(); }
        bool backingShown() const override { return inner_->backingShown(); }
        OverlayPanel& stripPanel() override { return inner_->stripPanel(); }
        OverlayPanel& backingPanel() override { return inner_->backingPanel(); }
        int dropIndex(Point p) const override { return inner_->dropIndex(p); }
        void openDropGap(int index, double width) override { inner_->openDropGap(index, width); }
        void closeDropGap() override { inner_->closeDropGap(); }

    private:
        std::unique_ptr<TabBarPanel> inner_;
        InterruptingFactory* owner_;
        std::weak_ptr<TabBarPanelDelegate> delegate_;
    };

    std::shared_ptr<FakeOverlayFactory> inner_;
};

TEST_F(GroupLifecycle, IntentsArrivingWhileTheEngineReportsRunOnceItsOperationIsDone) {
    auto interrupting = std::make_shared<InterruptingFactory>(overlay);
    addWindow(1, editor, Rect(100, 100, 700, 500));
    addWindow(2, terminal, Rect(100, 100, 700, 500));
    addWindow(3, terminal, Rect(1000, 200, 700, 500));
    addWindow(4, browser, Rect(1000, 200, 700, 500));
    session = std::make_unique<GroupSession>(
        GroupSession::Services{env.services, input, input, interrupting, std::make_shared<NoIcons>()}, true);
    const TabGroup first = groupWindows(1, 2);
    const TabGroup second = groupWindows(4, 3);
    interrupting->onClose = [id = second.id](TabBarPanelDelegate& delegate) { delegate.tabBarDidRequestUngroup(id); };

    // Window 1 leaves its pair for the second group: the pair dissolves and
    // its bar closes while the engine is still moving window 1.
    EXPECT_TRUE(session->group(element(1), element(3)));
    EXPECT_FALSE(session->engine().group(first.id));
    EXPECT_EQ(session->engine().group(second.id)->windowIDs(), (std::vector<WindowID>{3, 4, 1}))
        << "the grouping completed undisturbed";
    env.main->runPending();
    EXPECT_FALSE(session->engine().group(second.id)) << "the ungroup ran once the engine was done";
    EXPECT_EQ(session->engine().groupCount(), 0u);

    // Outside a report an intent acts at once.
    interrupting->onClose = nullptr;
    const TabGroup third = groupWindows(1, 2);
    session->tabBarDidToggleLock(third.id);
    EXPECT_TRUE(session->engine().group(third.id)->isLocked);
}

TEST_F(GroupLifecycle, TabCycleHotkeysStepThroughTheFocusedGroup) {
    const auto [first, second] = twoGroups();
    focus(1);
    session->engine().setActive(1);
    settle();
    const KeyCombo next(124, HotkeyModifiers(0x1800));
    const KeyCombo prev(123, HotkeyModifiers(0x1800));
    input->takeByOtherApplication(123, 0x1800);
    EXPECT_FALSE(session->enableTabCycleHotkeys(next, prev)) << "the previous-tab keys are taken";
    ASSERT_NE(session->hotkeys(), nullptr);

    EXPECT_TRUE(input->pressKey(124, 0x1800));
    settle();
    EXPECT_EQ(session->engine().group(first.id)->activeWindowID, 2u);

    EXPECT_TRUE(session->enableTabCycleHotkeys(std::nullopt, std::nullopt));
    EXPECT_EQ(session->hotkeys(), nullptr);
    EXPECT_FALSE(input->pressKey(124, 0x1800));

    session->shutdown();
    EXPECT_FALSE(session->enableDragGrouping(DragSettings{}));
}

}  // namespace
}  // namespace tessaly::testing
