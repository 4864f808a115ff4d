#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "AXKit/AXObserverStream.h"
#include "Platform/ThreadQueueFactory.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimFixtures.h"

namespace tessaly {
namespace {

constexpr ProcessID kEditorPid = 100;

using Kind = AXAppEvent::Kind;

class AXObserverStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.desktop->addApplication({kEditorPid, "org.example.Editor", "Editor", ""});
        addWindow(7);
        addWindow(8);
        stream = AXObserverStream::make(services, thread, env.main, kEditorPid,
                                        [this](const AXAppEvent& e) { events.push_back(e); });
        ASSERT_NE(stream, nullptr);
    }

    void addWindow(WindowID id) {
        env.desktop->addWindow(testing::simWindow(id, kEditorPid, Rect(10, 40, 300, 200), "Window"));
    }

    AXWindowRef window(WindowID id) {
        return std::make_shared<const AXWindow>(services, SimDesktop::windowElement(kEditorPid, id), kEditorPid, 1.0f);
    }

    std::vector<Kind> kinds() const {
        std::vector<Kind> out;
        for (const auto& e : events) out.push_back(e.kind());
        return out;
    }

    SimEnvironment env;
    AXServicesRef services = AXServices::make(env.services);
    AXObserverThread thread{*env.queues};
    std::unique_ptr<AXObserverStream> stream;
    std::vector<AXAppEvent> events;
};

TEST_F(AXObserverStreamTest, EventsReachTheMainThreadInOrder) {
    stream->observe(*window(7));
    env.desktop->moveWindow(7, Rect(20, 40, 300, 200));
    env.desktop->moveWindow(7, Rect(20, 40, 350, 200));
    env.desktop->setMinimized(7, true);
    env.desktop->setMinimized(7, false);
    env.desktop->setTitle(7, "Renamed");
    // Restoring the window also makes it the focused one.
    EXPECT_EQ(env.queues->queuedCount(AXObserverThread::label), 6u);
    EXPECT_TRUE(events.empty());
    env.queues->runAll();
    EXPECT_TRUE(events.empty());  // handled, posted, not yet delivered
    env.main->runPending();
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::windowMoved, Kind::windowResized, Kind::windowMiniaturized,
                                          Kind::windowDeminiaturized, Kind::focusedWindowChanged,
                                          Kind::titleChanged}));
    const auto& renamed = std::get<AXAppEvent::TitleChanged>(events.back().payload);
    EXPECT_EQ(renamed.windowID, 7u);
    EXPECT_EQ(renamed.title, "Renamed");
}

TEST_F(AXObserverStreamTest, DestroyedOnlyForObservedWindowsAndOnlyOnce) {
    stream->observe(*window(7));
    stream->observe(*window(7));  // a second observe keeps one entry
    EXPECT_EQ(stream->observedWindowIDs(), std::vector<WindowID>{7});
    env.desktop->moveWindow(7, Rect(0, 40, 300, 200));
    env.desktop->destroyWindow(8);  // never observed
    env.desktop->destroyWindow(7);
    env.settle();
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::windowMoved, Kind::focusedWindowChanged, Kind::windowDestroyed}));
    EXPECT_TRUE(stream->observedWindowIDs().empty());
}

TEST_F(AXObserverStreamTest, UnobservedElementsResolveThroughTheWindowNumber) {
    stream->observe(*window(7));
    stream->stopObserving(7);
    EXPECT_TRUE(stream->observedWindowIDs().empty());
    env.desktop->moveWindow(7, Rect(0, 0, 1, 1));  // no longer registered
    env.settle();
    EXPECT_TRUE(events.empty());

    env.desktop->injectNotification(SimDesktop::windowElement(kEditorPid, 8), "AXWindowMoved");
    env.desktop->injectNotification(SimDesktop::windowElement(kEditorPid, 8), "AXUIElementDestroyed");  // not observed
    env.desktop->injectNotification(SimDesktop::windowElement(kEditorPid, 8), "AXSomethingElse");
    env.settle();
    env.desktop->setHidesNumber(8, true);
    env.desktop->injectNotification(SimDesktop::windowElement(kEditorPid, 8), "AXWindowResized");
    env.settle();
    ASSERT_EQ(kinds(), std::vector<Kind>{Kind::windowMoved});
    EXPECT_EQ(std::get<AXAppEvent::WindowMoved>(events[0].payload).windowID, 8u);
}

TEST_F(AXObserverStreamTest, HungApplicationHoldsTheThreadOnlyForItsTimeOuts) {
    env.desktop->hang(kEditorPid);
    const double start = env.clock->monotonic();
    // An unobserved element: the window-number lookup, then the title read,
    // which runs into the stream's 1.0 s time-out.
    env.desktop->injectNotification(SimDesktop::windowElement(kEditorPid, 8), "AXTitleChanged");
    env.settle();
    EXPECT_TRUE(events.empty());
    EXPECT_DOUBLE_EQ(env.clock->monotonic() - start, 1.0);

    // A new window is handed on with its number, without waiting.
    env.desktop->injectNotification(SimDesktop::windowElement(kEditorPid, 7), "AXWindowCreated");
    env.settle();
    ASSERT_EQ(kinds(), std::vector<Kind>{Kind::windowCreated});
    EXPECT_EQ(std::get<AXAppEvent::WindowCreated>(events[0].payload).window->windowID, 7u);
    EXPECT_DOUBLE_EQ(env.clock->monotonic() - start, 1.0);
}

TEST_F(AXObserverStreamTest, WindowWithoutNumberIsNeverObserved) {
    env.desktop->setHidesNumber(8, true);
    stream->observe(*window(8));
    EXPECT_TRUE(stream->observedWindowIDs().empty());
    env.desktop->moveWindow(8, Rect(0, 0, 1, 1));
    env.settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(AXObserverStreamTest, TitleChangesNeedAReadableTitle) {
    stream->observe(*window(7));
    env.desktop->setTitle(7, "");
    env.settle();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::get<AXAppEvent::TitleChanged>(events[0].payload).title, "");
    env.desktop->setFailingRead(7, "AXTitle");
    env.desktop->setTitle(7, "Hidden");
    env.settle();
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(AXObserverStreamTest, CreatedAndFocusedCarryWindowsEvenWithoutNumber) {
    SimWindowSpec s;
    s.id = 9;
    s.pid = kEditorPid;
    s.frame = Rect(0, 0, 50, 50);
    env.desktop->addWindow(s);
    env.settle();
    ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::windowCreated, Kind::focusedWindowChanged}));
    const AXWindowRef& created = std::get<AXAppEvent::WindowCreated>(events[0].payload).window;
    EXPECT_EQ(created->windowID, 9u);
    EXPECT_EQ(created->pid, kEditorPid);
    EXPECT_FLOAT_EQ(static_cast<float>(created->timeout()), 1.0f);
}

TEST_F(AXObserverStreamTest, InvalidateStopsQueuedNotificationsButKeepsPostedEvents) {
    stream->observe(*window(7));
    env.desktop->moveWindow(7, Rect(1, 40, 300, 200));
    env.queues->runAll();                                // handled and posted
    env.desktop->moveWindow(7, Rect(2, 40, 300, 200));  // queued on the thread
    stream->invalidate();
    env.desktop->moveWindow(7, Rect(3, 40, 300, 200));  // after invalidation: not even queued
    env.settle();
    EXPECT_EQ(kinds(), std::vector<Kind>{Kind::windowMoved});
    EXPECT_EQ(env.desktop->liveObserverCount(), 0);
}

TEST_F(AXObserverStreamTest, ReleasingTheStreamWithWorkQueuedIsSafe) {
    stream->observe(*window(7));
    env.desktop->moveWindow(7, Rect(1, 40, 300, 200));
    stream.reset();
    env.settle();
    EXPECT_TRUE(events.empty());
}

TEST(AXObserverStreamNoObserver, AbsentWhenNoObserverCanBeMade) {
    SimEnvironment env;
    env.desktop->addApplication({5, "", "A", ""});
    env.desktop->setObserverUnavailable(5, true);
    AXObserverThread thread(*env.queues);
    EXPECT_EQ(AXObserverStream::make(AXServices::make(env.services), thread, env.main, 5, {}), nullptr);
    EXPECT_EQ(AXObserverStream::make(AXServices::make(env.services), thread, env.main, 6, {}), nullptr);
}

// The observer thread is a real thread here: streams are released while it
// is inside their callbacks. Under the address sanitizer this fails when a
// running callback reaches a released stream.
TEST(AXObserverStreamThreads, ReleaseWhileTheThreadIsInsideTheCallback) {
    SimEnvironment env;
    env.desktop->addApplication({kEditorPid, "", "A", ""});
    SimWindowSpec s;
    s.id = 7;
    s.pid = kEditorPid;
    s.frame = Rect(0, 0, 100, 100);
    env.desktop->addWindow(s);
    env.desktop->setLatency(kEditorPid, 0.001);  // every request takes a little (virtual) time
    env.main->runPending();                // the window list's own notice of the new window
    ThreadQueueFactory threads;
    AXObserverThread thread(threads);
    const auto services = AXServices::make(env.services);
    std::atomic<int> delivered{0};
    for (int round = 0; round < 50; ++round) {
        auto stream = AXObserverStream::make(services, thread, env.main, kEditorPid, [&](const AXAppEvent&) { ++delivered; });
        ASSERT_NE(stream, nullptr);
        stream->observe(AXWindow(services, SimDesktop::windowElement(kEditorPid, 7), kEditorPid, 1.0f));
        for (int i = 0; i < 20; ++i) env.desktop->setTitle(7, "t" + std::to_string(round * 100 + i));
        if (round % 2 == 0) std::this_thread::yield();
        stream.reset();
    }
    // Let the thread finish what was queued, then deliver.
    auto fence = std::make_shared<std::promise<void>>();
    thread.queue()->async([fence] { fence->set_value(); });
    fence->get_future().wait();
    const std::size_t posted = env.main->runPending();
    EXPECT_EQ(static_cast<std::size_t>(delivered.load()), posted);
}

}  // namespace
}  // namespace tessaly
