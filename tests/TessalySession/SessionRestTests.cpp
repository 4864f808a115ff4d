// A session at rest on a desktop that tells of its window list's changes and
// has no overview (as X11 has it): nothing runs more often than the safety
// interval and no bar is re-ordered; a change is swept within the coalescing
// delay, and the member it brought on top takes the tab; eviction and the
// off-desktop confirmations keep their pace however often changes sweep. A
// desktop that tells of no changes keeps the sweep every second.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

// The simulated desktop's window list, counting its reads (each sweep reads
// it once), with or without its change notices.
class CountingList final : public WindowList {
public:
    CountingList(std::shared_ptr<SimDesktop> desktop, bool tellsChanges)
        : desktop_(std::move(desktop)), tellsChanges_(tellsChanges) {}

    std::optional<std::vector<WindowInfo>> copyWindowInfo(std::uint32_t options, WindowID relativeTo) const override {
        ++reads;
        return desktop_->copyWindowInfo(options, relativeTo);
    }
    int dockWindowLevel() const override { return desktop_->dockWindowLevel(); }
    bool hasOverview() const override { return desktop_->hasOverview(); }
    Subscription observeChanges(std::function<void()> handler) override {
        if (!tellsChanges_) return {};
        return desktop_->observeChanges(std::move(handler));
    }

    mutable int reads = 0;

private:
    std::shared_ptr<SimDesktop> desktop_;
    bool tellsChanges_;
};

class SessionAtRest : public SessionDesktop {
protected:
    static constexpr ProcessID pager = 105;

    explicit SessionAtRest(bool tellsChanges = true)
        : list(std::make_shared<CountingList>(env.desktop, tellsChanges)) {
        env.desktop->setHasOverview(false);
        env.services.windowList = list;
        env.desktop->addApplication({pager, "org.example.Pager", "Pager", ""});
    }

    // Groups {1, 2, 5} and {3, 4}, and two windows of an application with
    // no member; then time enough for every start-up repetition to end.
    void startAtRest() {
        for (const WindowID id : {1, 2, 5}) addWindow(id, id == 2 ? terminal : editor, Rect(100, 100, 700, 500));
        addWindow(3, terminal, Rect(1000, 200, 700, 500));
        addWindow(4, browser, Rect(1000, 200, 700, 500));
        addWindow(7, pager, Rect(0, 700, 300, 200));
        addWindow(8, pager, Rect(400, 700, 300, 200));
        // The bars' stacking model holds the windows as the window server has them.
        for (const WindowID id : {7, 8, 4, 3, 5, 2, 1}) overlay->stacking->push(id);
        start(false);
        first = groupWindows(2, 1).id;
        groupWindows(5, 1);
        second = groupWindows(4, 3).id;
        run(GroupSession::safetySweepInterval + 2);
    }

    // Relative orderings of every bar's panels so far.
    std::size_t zOrderCalls() const {
        std::size_t calls = 0;
        for (const auto& bar : overlay->bars) calls += bar->strip->relativeOrders.size() + bar->backing->relativeOrders.size();
        return calls;
    }
    std::vector<WindowID> membersOf(const Uuid& group) const {
        const auto found = session->engine().group(group);
        return found ? found->windowIDs() : std::vector<WindowID>{};
    }
    // Runs the desktop while a pager raises its windows in turn every 0.2 s,
    // each raise a change of the list.
    void runWhileChanging(double seconds) {
        const double end = env.clock->monotonic() + seconds;
        while (env.clock->monotonic() + 1e-9 < end) {
            env.desktop->raiseWindow(raised_ = raised_ == 7 ? 8 : 7);
            run(std::min(0.2, end - env.clock->monotonic()));
        }
    }

    std::shared_ptr<CountingList> list;
    Uuid first;
    Uuid second;

private:
    WindowID raised_ = 7;
};

TEST_F(SessionAtRest, NothingRunsMoreOftenThanTheSafetyIntervalAndAChangeIsSweptAtOnce) {
    startAtRest();
    const int reads = list->reads;
    const std::size_t orders = zOrderCalls();

    // A minute at rest: the sweep and the bars' safety pass, each every ten seconds.
    int wakes = 0;
    const double end = env.clock->monotonic() + 60;
    while (env.main->nextTimerDelay() && env.clock->monotonic() + *env.main->nextTimerDelay() <= end) {
        env.main->advanceToNextTimer();
        settle();
        ++wakes;
    }
    EXPECT_LE(wakes, 12);
    EXPECT_EQ(list->reads - reads, 6);
    EXPECT_EQ(zOrderCalls(), orders) << "bars in place are left alone";

    // The window manager raises a member without focusing it: swept once,
    // after the coalescing delay, and the member on top takes the tab.
    const int before = list->reads;
    env.desktop->raiseWindow(2);
    env.desktop->raiseWindow(1);
    env.desktop->raiseWindow(2);
    settle();
    run(GroupSession::sweepCoalesceDelay - 0.01);
    EXPECT_EQ(list->reads, before);
    run(0.02);
    EXPECT_EQ(list->reads, before + 1);
    EXPECT_EQ(session->engine().group(first)->activeWindowID, 2u);
}

TEST_F(SessionAtRest, EvictionAndTheDetachConfirmationKeepTheirPaceWhileChangesSweepOften) {
    startAtRest();
    // Window 4 vanishes from the list without a word, and window 5 leaves
    // the screen with nothing to explain it (a stray to detach).
    env.desktop->setWindowListHook([](std::vector<WindowInfo>& windows) {
        std::erase_if(windows, [](const WindowInfo& w) { return w.number == WindowID{4}; });
        for (WindowInfo& w : windows) {
            if (w.number == WindowID{5}) w.isOnScreen = false;
        }
    });
    settle();
    runWhileChanging(1.0);
    EXPECT_EQ(membersOf(first), (std::vector<WindowID>{1, 2, 5})) << "the stray has not stayed away a second yet";
    runWhileChanging(0.3);
    EXPECT_EQ(membersOf(first), (std::vector<WindowID>{1, 2}));

    runWhileChanging(3.6);
    EXPECT_EQ(membersOf(second), (std::vector<WindowID>{3, 4})) << "fewer than six misses a second apart";
    runWhileChanging(1.6);
    EXPECT_TRUE(membersOf(second).empty()) << "evicted after six misses, about six seconds";
}

class SessionWithoutChangeNotices : public SessionAtRest {
protected:
    SessionWithoutChangeNotices() : SessionAtRest(false) {}
};

TEST_F(SessionWithoutChangeNotices, TheSweepRunsEverySecond) {
    startAtRest();
    const int reads = list->reads;
    run(10.0);
    EXPECT_EQ(list->reads - reads, 10);
}

}  // namespace
}  // namespace tessaly::testing
