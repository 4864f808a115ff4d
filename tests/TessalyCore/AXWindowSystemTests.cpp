#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Log.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimFixtures.h"
#include "TessalyCore/AXWindowSystem.h"

namespace tessaly {
namespace {

constexpr ProcessID kEditor = 100;
constexpr ProcessID kViewer = 200;
constexpr ProcessID kThird = 300;

class AXWindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.desktop->addApplication({kEditor, "org.example.Editor", "Editor", ""});
        env.desktop->addApplication({kViewer, "org.example.Viewer", "Viewer", ""});
        env.desktop->addApplication({kThird, "org.example.Third", "Third", ""});
        addWindow(1, kEditor, Rect(100, 100, 400, 300));
        addWindow(2, kEditor, Rect(200, 100, 400, 300));
        addWindow(3, kViewer, Rect(300, 100, 400, 300));
        addWindow(4, kThird, Rect(400, 100, 400, 300));
        env.desktop->bringToFront(kEditor);
        system = std::make_unique<AXWindowSystem>(env.services);
        system->onEvent = [this](const WindowSystemEvent& e) { events.push_back(e); };
        env.settle();
        env.desktop->clearAXCalls();
    }

    void addWindow(WindowID id, ProcessID pid, Rect frame) {
        env.desktop->addWindow(testing::simWindow(id, pid, frame, "Window " + std::to_string(id)));
    }

    AXWindowRef element(WindowID id, ProcessID pid) {
        return std::make_shared<const AXWindow>(system->axServices(), SimDesktop::windowElement(pid, id), pid, 1.0f);
    }
    AXWindowRef tracked(WindowID id, ProcessID pid) {
        auto w = element(id, pid);
        system->track(w);
        return w;
    }

    int raises(WindowID id, ProcessID pid) const {
        int count = 0;
        for (const auto& call : env.desktop->axCalls(SimDesktop::windowElement(pid, id))) {
            if (call.kind == SimAXCall::Kind::action && call.name == "AXRaise") ++count;
        }
        return count;
    }

    SimEnvironment env;
    std::unique_ptr<AXWindowSystem> system;
    std::vector<WindowSystemEvent> events;
};

TEST_F(AXWindowSystemTest, TrackingNeedsAWindowNumber) {
    env.desktop->setHidesNumber(1, true);
    system->track(element(1, kEditor));
    EXPECT_EQ(system->trackedCount(), 0u);
    EXPECT_FALSE(system->hasConnection(kEditor));

    const auto first = tracked(2, kEditor);
    const auto second = tracked(2, kEditor);
    EXPECT_EQ(system->window(2), second);
    EXPECT_NE(system->window(2), first);
    EXPECT_TRUE(system->hasConnection(kEditor));
    EXPECT_TRUE(system->hasObserverStream(kEditor));
    EXPECT_EQ(env.queues->queuedCount(), 0u);
}

TEST_F(AXWindowSystemTest, ApplicationWithoutObserverStillTakesEffects) {
    env.desktop->setObserverUnavailable(kViewer, true);
    tracked(3, kViewer);
    EXPECT_TRUE(system->hasConnection(kViewer));
    EXPECT_FALSE(system->hasObserverStream(kViewer));
    system->setFrame(Rect(0, 30, 640, 480), 3);
    env.settle();
    env.desktop->moveWindow(3, Rect(5, 30, 640, 480));
    env.settle();
    EXPECT_TRUE(events.empty());  // no notifications from it
    EXPECT_EQ(env.desktop->window(3)->frame(), Rect(5, 30, 640, 480));
    system->untrack(3);
    EXPECT_EQ(system->trackedCount(), 0u);
}

TEST_F(AXWindowSystemTest, MovesReportTheFrameReadAfterTheNotification) {
    tracked(1, kEditor);
    env.desktop->moveWindow(1, Rect(150, 120, 400, 300));
    env.settle();
    env.desktop->moveWindow(1, Rect(150, 120, 500, 350));
    env.settle();
    env.desktop->setFullScreen(1, true);
    env.settle();
    // Moved, resized, then moved and resized into full screen at once: one report.
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], WindowSystemEvent::windowFrameChanged(1, Rect(150, 120, 400, 300), false));
    EXPECT_EQ(events[1], WindowSystemEvent::windowFrameChanged(1, Rect(150, 120, 500, 350), false));
    EXPECT_EQ(events[2], WindowSystemEvent::windowFrameChanged(1, Rect(0, 0, 1920, 1080), true));

    // The frame is read when the application's queue gets to it: a burst of
    // notifications makes one read, which reports the frame of that moment;
    // a change after the read has begun is read again.
    events.clear();
    env.desktop->setFullScreen(1, false);
    env.desktop->moveWindow(1, Rect(0, 30, 500, 350));
    env.queues->run(AXObserverThread::label);
    env.main->runPending();
    EXPECT_TRUE(events.empty());  // not read on the main thread
    EXPECT_EQ(env.queues->queuedCount("tessaly.ax.100"), 1u);
    env.settle();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], WindowSystemEvent::windowFrameChanged(1, Rect(0, 30, 500, 350), false));
    env.desktop->moveWindow(1, Rect(10, 30, 500, 350));
    env.settle();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], WindowSystemEvent::windowFrameChanged(1, Rect(10, 30, 500, 350), false));
}

TEST_F(AXWindowSystemTest, UntrackedOrUnreadableMovesReportNothing) {
    tracked(1, kEditor);
    system->track(element(2, kEditor));
    system->untrack(2);
    env.desktop->moveWindow(2, Rect(0, 40, 10, 10));
    env.desktop->injectNotification(SimDesktop::windowElement(kEditor, 2), "AXWindowMoved");
    env.desktop->setFailingRead(1, "AXSize");
    env.desktop->moveWindow(1, Rect(0, 40, 400, 300));
    env.settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(AXWindowSystemTest, DestroyMinimiseTitleAndFocusEvents) {
    tracked(1, kEditor);
    tracked(2, kEditor);
    env.desktop->setMinimized(1, true);
    env.desktop->setTitle(1, "Changed");
    env.desktop->setMinimized(1, false);
    env.desktop->destroyWindow(2);
    env.settle();
    EXPECT_EQ(events, (std::vector<WindowSystemEvent>{
                          WindowSystemEvent::windowMinimizedChanged(1, true),  // 2 keeps the focus
                          WindowSystemEvent::titleChanged(1, "Changed"),
                          WindowSystemEvent::windowMinimizedChanged(1, false),
                          WindowSystemEvent::focusedWindowChanged(1, kEditor),
                          WindowSystemEvent::windowDestroyed(2),
                      }));
    EXPECT_EQ(system->window(2), nullptr);
    EXPECT_EQ(system->trackedCount(), 1u);
}

TEST_F(AXWindowSystemTest, CreatedReportsNothingAndUntrackedDestructionIsReported) {
    tracked(1, kEditor);
    addWindow(5, kEditor, Rect(0, 40, 50, 50));  // created, and focused
    env.desktop->injectNotification(SimDesktop::windowElement(kEditor, 2), "AXUIElementDestroyed");
    env.settle();
    EXPECT_EQ(events, std::vector<WindowSystemEvent>{WindowSystemEvent::focusedWindowChanged(5, kEditor)});
    env.desktop->setHidesNumber(2, true);
    env.desktop->raiseWindow(2);  // focus moves to a window without a number
    env.settle();
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(AXWindowSystemTest, DestroyedUntrackedWindowIsReported) {
    tracked(1, kEditor);
    // Observed through the stream, then no longer tracked by the service.
    system->window(1);
    env.desktop->destroyWindow(1);
    env.settle();
    EXPECT_EQ(events.back(), WindowSystemEvent::windowDestroyed(1));
}

TEST_F(AXWindowSystemTest, FrameWritesRunOnTheApplicationQueueWithEnhancedInterfaceOff) {
    tracked(1, kEditor);
    env.desktop->setEnhancedUserInterface(kEditor, true);
    system->setFrame(Rect(10, 40, 600, 400), 1);
    EXPECT_EQ(env.desktop->window(1)->frame(), Rect(100, 100, 400, 300));  // nothing yet
    env.queues->run("tessaly.ax.100");
    EXPECT_EQ(env.desktop->window(1)->frame(), Rect(10, 40, 600, 400));
    EXPECT_EQ(env.desktop->application(kEditor)->enhancedUserInterface, true);
    std::vector<std::string> writes;
    for (const auto& call : env.desktop->axCalls()) {
        if (call.kind == SimAXCall::Kind::write) writes.push_back(call.name);
    }
    EXPECT_EQ(writes, (std::vector<std::string>{"AXEnhancedUserInterface", "AXPosition", "AXSize",
                                                "AXEnhancedUserInterface"}));

    std::optional<Rect> readBack;
    system->readFrame(1, [&](std::optional<Rect> frame) { readBack = frame; });
    env.settle();
    EXPECT_EQ(readBack, Rect(10, 40, 600, 400));
    system->setFrame(Rect(0, 0, 1, 1), 99);  // untracked: nothing
    EXPECT_EQ(env.queues->queuedCount(), 0u);
}

// A frame write is announced before it leaves (nothing of it queued yet),
// once per write, maximises too; nothing for a window that is not tracked.
TEST_F(AXWindowSystemTest, AFrameWriteIsAnnouncedBeforeItLeaves) {
    tracked(1, kEditor);
    std::vector<std::size_t> queuedWhenAnnounced;
    system->beforeFrameWrite = [&] { queuedWhenAnnounced.push_back(env.queues->queuedCount()); };
    system->setFrame(Rect(10, 40, 600, 400), 1);
    system->setMaximized(MaximizedAxes::both(), Rect(0, 25, 1920, 1055), 1);
    system->setFrame(Rect(0, 0, 1, 1), 99);
    system->setMaximized(MaximizedAxes::both(), Rect(0, 25, 1920, 1055), 99);
    EXPECT_EQ(queuedWhenAnnounced, (std::vector<std::size_t>{0, 1}));
    env.settle();
    EXPECT_TRUE(env.desktop->window(1)->maximized.any());
}

TEST_F(AXWindowSystemTest, RefusedAndClampedFramesShowInTheReadBack) {
    tracked(1, kEditor);
    tracked(3, kViewer);
    env.desktop->setFrameBehaviour(1, {SimFrameBehaviour::Kind::refuse, {}, {}});
    env.desktop->setFrameBehaviour(3, {SimFrameBehaviour::Kind::clamp, Size{500, 350}, Size{800, 600}});
    system->setFrame(Rect(0, 30, 300, 200), 1);
    system->setFrame(Rect(0, 30, 300, 200), 3);
    std::vector<std::optional<Rect>> frames;
    system->readFrame(1, [&](std::optional<Rect> f) { frames.push_back(f); });
    system->readFrame(3, [&](std::optional<Rect> f) { frames.push_back(f); });
    env.settle();
    EXPECT_EQ(frames, (std::vector<std::optional<Rect>>{Rect(100, 100, 400, 300), Rect(0, 30, 500, 350)}));
}

TEST_F(AXWindowSystemTest, ReadFrameOfUntrackedWindowAnswersAtOnce) {
    bool called = false;
    system->readFrame(1, [&](std::optional<Rect> f) {
        called = true;
        EXPECT_FALSE(f.has_value());
    });
    EXPECT_TRUE(called);
    EXPECT_FALSE(system->hasConnection(kEditor));
}

TEST_F(AXWindowSystemTest, EffectsOnAnUnconnectedApplicationKeepTheirOrder) {
    const auto w = element(3, kViewer);
    system->setFrame(Rect(0, 30, 500, 500), w);
    system->setFrame(Rect(50, 30, 300, 300), w);
    EXPECT_FALSE(system->hasConnection(kViewer));
    EXPECT_EQ(env.queues->queuedCount("tessaly.ax.effect.200"), 2u);
    env.settle();
    EXPECT_EQ(env.desktop->window(3)->frame(), Rect(50, 30, 300, 300));

    // Connecting later takes the same queue over, so the order still holds.
    system->setFrame(Rect(60, 30, 300, 300), w);
    system->track(w);
    system->setFrame(Rect(70, 30, 300, 300), 3);
    std::size_t queuesForViewer = 0;
    for (const auto& q : env.queues->queues()) {
        if (q->label().find("200") != std::string::npos) ++queuesForViewer;
    }
    EXPECT_EQ(queuesForViewer, 1u);
    env.settle();
    EXPECT_EQ(env.desktop->window(3)->frame(), Rect(70, 30, 300, 300));
}

TEST_F(AXWindowSystemTest, HungApplicationHoldsOnlyItsOwnQueue) {
    tracked(1, kEditor);
    tracked(3, kViewer);
    env.desktop->hang(kViewer);
    std::optional<Rect> viewerFrame = Rect::zero();
    std::optional<Rect> editorFrame;
    system->readFrame(3, [&](std::optional<Rect> f) { viewerFrame = f; });
    system->readFrame(1, [&](std::optional<Rect> f) { editorFrame = f; });
    env.queues->run("tessaly.ax.100");
    env.main->runPending();
    EXPECT_EQ(editorFrame, Rect(100, 100, 400, 300));
    const double before = env.clock->monotonic();
    env.settle();
    EXPECT_FALSE(viewerFrame.has_value());
    EXPECT_DOUBLE_EQ(env.clock->monotonic() - before, 1.0);  // one read, one time-out
}

TEST_F(AXWindowSystemTest, RaisingAWindowOfTheFrontmostApplicationArmsNothing) {
    tracked(2, kEditor);
    system->raiseAndActivate(2);
    env.settle();
    EXPECT_EQ(raises(2, kEditor), 1);
    EXPECT_FALSE(system->reassertGate().pending.has_value());
    EXPECT_EQ(env.desktop->activationRequests(kEditor), 1);
    env.desktop->bringToFront(kViewer);
    env.desktop->bringToFront(kEditor);
    env.settle();
    EXPECT_EQ(raises(2, kEditor), 1);
}

TEST_F(AXWindowSystemTest, ActivationWithinTheDeadlineRaisesOnceMore) {
    tracked(3, kViewer);
    system->raiseAndActivate(3);
    env.queues->runAll();  // raised
    EXPECT_EQ(raises(3, kViewer), 1);
    EXPECT_EQ(env.desktop->activationRequests(kViewer), 0);
    env.main->runPending();  // armed and activated; the activation notification consumes the gate
    EXPECT_EQ(env.desktop->activationRequests(kViewer), 1);
    EXPECT_FALSE(system->reassertGate().pending.has_value());
    EXPECT_EQ(env.queues->queuedCount("tessaly.ax.200"), 1u);  // the repeated raise
    env.settle();
    EXPECT_EQ(raises(3, kViewer), 2);
    env.desktop->bringToFront(kEditor);
    env.desktop->bringToFront(kViewer);
    env.settle();
    EXPECT_EQ(raises(3, kViewer), 2);
    EXPECT_EQ(env.desktop->stacking().front(), 3u);
}

TEST_F(AXWindowSystemTest, LateActivationDoesNotRaiseAgain) {
    tracked(3, kViewer);
    env.desktop->setIgnoresActivation(kViewer, true);
    system->raiseAndActivate(3);
    env.settle();
    env.main->advance(1.0);
    env.desktop->setIgnoresActivation(kViewer, false);
    env.desktop->bringToFront(kViewer);
    env.settle();
    EXPECT_EQ(raises(3, kViewer), 1);
    EXPECT_FALSE(system->reassertGate().pending.has_value());
}

TEST_F(AXWindowSystemTest, OtherActivationsLeaveTheRaiseArmedAndWallClockStepsDoNotMatter) {
    tracked(3, kViewer);
    env.desktop->setIgnoresActivation(kViewer, true);
    system->raiseAndActivate(3);
    env.settle();
    env.clock->stepWall(3600);  // the user sets the clock an hour forward
    env.desktop->bringToFront(kThird);
    env.settle();
    EXPECT_TRUE(system->reassertGate().pending.has_value());
    env.desktop->setIgnoresActivation(kViewer, false);
    env.desktop->bringToFront(kViewer);
    env.settle();
    EXPECT_EQ(raises(3, kViewer), 2);
}

TEST_F(AXWindowSystemTest, ReassertionIsTracedWhenDiagnosticsAreOn) {
    std::vector<std::string> lines;
    Log::setSink([&](LogLevel, LogCategory category, std::string_view message) {
        if (category == LogCategory::activate) lines.emplace_back(message);
    });
    Log::setDiagnosticsEnabled(true);
    tracked(3, kViewer);
    system->raiseAndActivate(3);
    env.settle();
    Log::setDiagnosticsEnabled(false);
    Log::setSink(nullptr);
    EXPECT_EQ(lines, std::vector<std::string>{"reassert raise id=3 pid=200"});
}

TEST_F(AXWindowSystemTest, CloseAndMinimiseGoThroughTheApplicationQueue) {
    tracked(1, kEditor);
    tracked(2, kEditor);
    system->setMinimized(1, true);
    system->close(2);
    system->close(77);
    system->setMinimized(77, true);
    EXPECT_EQ(env.queues->queuedCount("tessaly.ax.100"), 2u);
    env.settle();
    EXPECT_TRUE(env.desktop->window(1)->spec.minimized);
    EXPECT_FALSE(env.desktop->window(2).has_value());
    EXPECT_EQ(events.back(), WindowSystemEvent::windowDestroyed(2));
}

TEST_F(AXWindowSystemTest, DroppingAConnectionForgetsItsWindows) {
    tracked(1, kEditor);
    tracked(3, kViewer);
    system->dropConnection(kThird);  // no connection: nothing
    EXPECT_EQ(system->trackedCount(), 2u);
    const int observersBefore = env.desktop->liveObserverCount();
    system->dropConnection(kEditor);
    EXPECT_EQ(system->trackedCount(), 1u);
    EXPECT_FALSE(system->hasConnection(kEditor));
    EXPECT_EQ(env.desktop->liveObserverCount(), observersBefore - 1);
    env.desktop->moveWindow(1, Rect(0, 30, 10, 10));
    env.settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(AXWindowSystemTest, TerminatedApplicationThenDropped) {
    tracked(3, kViewer);
    std::vector<ProcessID> terminated;
    const auto observer = env.desktop->addObserver(WorkspaceNotification::didTerminateApplication, [&](const WorkspaceEvent& e) {
        terminated.push_back(e.application->pid);
        system->dropConnection(e.application->pid);
    });
    env.desktop->terminate(kViewer);
    env.settle();
    EXPECT_EQ(terminated, std::vector<ProcessID>{kViewer});
    EXPECT_EQ(system->window(3), nullptr);
}

TEST_F(AXWindowSystemTest, NothingComesBackAfterTheServiceIsGone) {
    tracked(1, kEditor);
    tracked(3, kViewer);
    env.desktop->moveWindow(1, Rect(0, 30, 10, 10));
    system->readFrame(1, [](std::optional<Rect>) { FAIL(); });
    system->raiseAndActivate(3);
    env.queues->runAll();
    system.reset();
    env.settle();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(env.desktop->liveObserverCount(), 0);
}

TEST_F(AXWindowSystemTest, MembersCarryTheTitle) {
    const auto member = system->makeMember(*element(1, kEditor));
    ASSERT_TRUE(member.has_value());
    EXPECT_EQ(*member, GroupMember(1, kEditor, "Window 1"));
    env.desktop->setFailingRead(2, "AXTitle");
    EXPECT_EQ(system->makeMember(*element(2, kEditor))->lastKnownTitle, "");
    env.desktop->setHidesNumber(2, true);
    EXPECT_FALSE(system->makeMember(*element(2, kEditor)).has_value());
}

TEST(ActivationReassertGate, ArmsFiresAndExpires) {
    ActivationReassertGate<int> gate(1.0);
    gate.arm(5, 5, 1, 10.0);
    EXPECT_FALSE(gate.pending.has_value());
    gate.arm(5, std::nullopt, 2, 10.0);
    EXPECT_EQ(gate.fire(6, 10.5), std::nullopt);
    EXPECT_TRUE(gate.pending.has_value());
    EXPECT_EQ(gate.fire(5, 10.5), 2);
    EXPECT_FALSE(gate.pending.has_value());
    gate.arm(5, 4, 3, 10.0);
    gate.arm(5, 5, 4, 10.2);  // re-arming for a frontmost app drops the earlier raise
    EXPECT_FALSE(gate.pending.has_value());
    gate.arm(5, 4, 5, 10.0);
    EXPECT_EQ(gate.fire(5, 11.0), std::nullopt);  // deadline reached
    EXPECT_FALSE(gate.pending.has_value());
}

}  // namespace
}  // namespace tessaly
