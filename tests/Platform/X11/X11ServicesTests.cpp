// The platform interfaces implemented over X11, on a real desktop.
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11Displays.h"
#include "Platform/X11/X11LauncherBadges.h"
#include "Platform/X11/X11Platform.h"
#include "Platform/X11/X11TestQueues.h"
#include "Platform/X11/X11WindowList.h"
#include "Platform/X11/X11WindowNotifications.h"
#include "Platform/X11/X11WindowServer.h"
#include "Platform/X11/X11Workspace.h"

#include <signal.h>
#include <unistd.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace tessaly::test {
namespace {

class X11ServicesTest : public X11BackendTest {
protected:
    void SetUp() override {
        X11BackendTest::SetUp();
        if (backend) ax = std::make_shared<X11Accessibility>(backend);
    }
    void TearDown() override {
        ax.reset();
        X11BackendTest::TearDown();
    }
    std::optional<X11WindowInfo> info(xcb_window_t w) { return desktop->windows().read(w); }

    std::shared_ptr<X11Accessibility> ax;
    X11TestWorkQueue work;
};

template <typename T>
std::optional<T> value(const AXAnswer& answer) {
    if (!answer.ok()) return std::nullopt;
    if (const T* v = std::get_if<T>(&answer.value)) return *v;
    return std::nullopt;
}

TEST_F(X11ServicesTest, AccessibilityReadsAndWritesRealWindows) {
    auto xterm = desktop->launchXterm("ax terminal");
    auto xlogo = desktop->launchXlogo();
    ASSERT_TRUE(xterm && xlogo);
    EXPECT_TRUE(ax->isProcessTrusted(false));

    const auto app = AXElement::application(xterm->pid);
    const auto windows = value<std::vector<AXElement>>(ax->copyAttributeValue(app, "AXWindows", 0));
    ASSERT_TRUE(windows);
    ASSERT_EQ(windows->size(), 1u);
    const AXElement w = windows->front();
    EXPECT_EQ(w, X11Accessibility::windowElement(xterm->pid, xterm->window));
    EXPECT_EQ(value<std::string>(ax->copyAttributeValue(app, "AXRole", 0)), "AXApplication");
    EXPECT_EQ(value<std::string>(ax->copyAttributeValue(app, "AXTitle", 0)), "XTerm");
    EXPECT_EQ(value<std::string>(ax->copyAttributeValue(w, "AXRole", 0)), "AXWindow");
    EXPECT_EQ(value<std::string>(ax->copyAttributeValue(w, "AXSubrole", 0)), "AXStandardWindow");
    EXPECT_EQ(value<std::string>(ax->copyAttributeValue(w, "AXTitle", 0)), "ax terminal");
    EXPECT_EQ(value<bool>(ax->copyAttributeValue(w, "AXMinimized", 0)), false);
    EXPECT_EQ(value<Point>(ax->copyAttributeValue(w, "AXPosition", 0)), info(xterm->window)->frame.origin);
    EXPECT_EQ(value<Size>(ax->copyAttributeValue(w, "AXSize", 0)), info(xterm->window)->frame.size);
    EXPECT_EQ(ax->copyAttributeValue(w, "AXEnhancedUserInterface", 0).error, AXError::attributeUnsupported);
    // A window asked for under another process is no element of it.
    EXPECT_EQ(ax->copyAttributeValue(AXElement{xlogo->pid, xterm->window}, "AXTitle", 0).error, AXError::invalidElement);

    // Writes are carried out by the window manager.
    const AXElement logo = X11Accessibility::windowElement(xlogo->pid, xlogo->window);
    ASSERT_EQ(ax->setAttributeValue(logo, "AXPosition", Point{120, 80}, 0), AXError::success);
    ASSERT_EQ(ax->setAttributeValue(logo, "AXSize", Size{300, 250}, 0), AXError::success);
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == Rect(120, 80, 300, 250); }));
    EXPECT_EQ(ax->setAttributeValue(logo, "AXPosition", std::string("no"), 0), AXError::illegalArgument);
    // A whole frame in one request, for its owner only.
    ASSERT_EQ(ax->setFrame(logo, Rect(200, 150, 360, 280), 0), AXError::success);
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == Rect(200, 150, 360, 280); }));
    EXPECT_EQ(ax->setFrame(AXElement{xterm->pid, xlogo->window}, Rect(0, 0, 300, 200), 0), AXError::invalidElement);

    ASSERT_EQ(ax->setAttributeValue(logo, "AXMain", true, 0), AXError::success);
    ASSERT_TRUE(desktop->waitUntil([&] { return value<bool>(ax->copyAttributeValue(logo, "AXMain", 0)) == true; }));
    EXPECT_EQ(value<AXElement>(ax->copyAttributeValue(AXElement::application(xlogo->pid), "AXFocusedWindow", 0)), logo);

    ASSERT_EQ(ax->setAttributeValue(logo, "AXMinimized", true, 0), AXError::success);
    ASSERT_TRUE(desktop->waitUntil([&] { return value<bool>(ax->copyAttributeValue(logo, "AXMinimized", 0)) == true; }));
    // Restoring maps the window: wait until the window manager has unmapped it.
    ASSERT_TRUE(desktop->waitUntil([&] { return !info(xlogo->window)->viewable; }));
    ASSERT_EQ(ax->setAttributeValue(logo, "AXMinimized", false, 0), AXError::success);
    ASSERT_TRUE(desktop->waitUntil([&] { return value<bool>(ax->copyAttributeValue(logo, "AXMinimized", 0)) == false; }));

    // The close button closes politely.
    const auto close = value<AXElement>(ax->copyAttributeValue(w, "AXCloseButton", 0));
    ASSERT_TRUE(close);
    EXPECT_EQ(value<std::string>(ax->copyAttributeValue(*close, "AXRole", 0)), "AXButton");
    ASSERT_EQ(ax->performAction(*close, "AXPress", 0), AXError::success);
    EXPECT_TRUE(X11Desktop::waitForExit(xterm->pid, kX11Patience));
    EXPECT_EQ(ax->copyAttributeValue(w, "AXTitle", 0).error, AXError::invalidElement);
    EXPECT_EQ(ax->copyAttributeValue(app, "AXWindows", 0).error, AXError::invalidElement);
    EXPECT_EQ(ax->performAction(w, "AXRaise", 0), AXError::invalidElement);
    EXPECT_EQ(ax->setAttributeValue(w, "AXPosition", Point{1, 1}, 0), AXError::invalidElement);
    EXPECT_EQ(ax->setFrame(w, Rect(1, 1, 300, 200), 0), AXError::invalidElement);
    EXPECT_FALSE(ax->createObserver(xterm->pid));
}

TEST_F(X11ServicesTest, ObserversHearTheirProcessOnly) {
    auto xterm = desktop->launchXterm("observed");
    auto xlogo = desktop->launchXlogo();
    ASSERT_TRUE(xterm && xlogo);
    const AXElement w = X11Accessibility::windowElement(xterm->pid, xterm->window);
    const AXElement app = AXElement::application(xterm->pid);

    std::vector<std::pair<AXElement, std::string>> heard;
    auto observer = ax->createObserver(xterm->pid);
    ASSERT_TRUE(observer);
    observer->start(std::make_shared<X11TestQueue>(work),
                    [&](const AXElement& e, const std::string& name) { heard.emplace_back(e, name); });
    for (const char* name : {"AXWindowMoved", "AXWindowResized", "AXWindowMiniaturized", "AXWindowDeminiaturized",
                             "AXTitleChanged", "AXUIElementDestroyed"}) {
        ASSERT_EQ(observer->addNotification(w, name), AXError::success) << name;
    }
    ASSERT_EQ(observer->addNotification(app, "AXFocusedWindowChanged"), AXError::success);
    EXPECT_EQ(observer->addNotification(w, "AXWindowMoved"), AXError::notificationAlreadyRegistered);
    EXPECT_EQ(observer->addNotification(X11Accessibility::windowElement(xlogo->pid, xlogo->window), "AXWindowMoved"),
              AXError::illegalArgument)
        << "another process's window";
    const auto heardName = [&](const std::string& name) {
        return std::any_of(heard.begin(), heard.end(), [&](const auto& h) { return h.first == w && h.second == name; });
    };

    // Another process's window moving says nothing to this observer.
    desktop->windows().setPosition(xlogo->window, Point{500, 500});
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame.origin == Point{500, 500}; }));

    desktop->windows().setPosition(xterm->window, Point{40, 50});
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXWindowMoved"); }));
    EXPECT_FALSE(heardName("AXWindowResized"));
    desktop->windows().setSize(xterm->window, Size{700, 500});
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXWindowResized"); }));

    desktop->windows().activate(xlogo->window);
    desktop->windows().activate(xterm->window);
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXFocusedWindowChanged"); }));

    desktop->windows().minimize(xterm->window);
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXWindowMiniaturized"); }));
    // Restoring maps the window: wait until the window manager has unmapped it.
    ASSERT_TRUE(desktop->waitUntil([&] { return !info(xterm->window)->viewable; }));
    desktop->windows().restore(xterm->window);
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXWindowDeminiaturized"); }));

    const std::string title = "renamed";
    xcb_change_property(desktop->connection().get(), XCB_PROP_MODE_REPLACE, xterm->window,
                        desktop->connection().atoms().NET_WM_NAME, desktop->connection().atoms().UTF8_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    desktop->connection().flush();
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXTitleChanged"); }));

    desktop->windows().close(xterm->window);
    ASSERT_TRUE(work.runUntil([&] { return heardName("AXUIElementDestroyed"); }));
    EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [&](const auto& h) { return h.first.pid == xterm->pid; }));

    // After invalidation nothing more is queued.
    observer->invalidate();
    EXPECT_EQ(observer->addNotification(w, "AXWindowResized"), AXError::invalidElement);
    work.drain();
    const auto count = heard.size();
    desktop->windows().setPosition(xlogo->window, Point{10, 10});
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame.origin == Point{10, 10}; }));
    work.drain();
    EXPECT_EQ(heard.size(), count);
}

TEST_F(X11ServicesTest, ObserversHearWindowsOfTheirProcessAppear) {
    // Windows of this very process: their pid is known before they exist.
    const ProcessID self = getpid();
    auto observer = ax->createObserver(self);
    ASSERT_TRUE(observer);
    std::vector<AXElement> created;
    observer->start(std::make_shared<X11TestQueue>(work), [&](const AXElement& e, const std::string& name) {
        if (name == "AXWindowCreated") created.push_back(e);
    });
    ASSERT_EQ(observer->addNotification(AXElement::application(self), "AXWindowCreated"), AXError::success);

    auto& x = desktop->connection();
    const xcb_window_t window = xcb_generate_id(x.get());
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, window, x.root(), 50, 50, 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::uint32_t pid = static_cast<std::uint32_t>(self);
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, window, x.atoms().NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_map_window(x.get(), window);
    x.flush();
    ASSERT_TRUE(work.runUntil([&] { return !created.empty(); }));
    EXPECT_EQ(created[0], X11Accessibility::windowElement(self, window));
    const auto windows = ax->copyAttributeValue(AXElement::application(self), "AXWindows", 0);
    ASSERT_TRUE(windows.ok());
    EXPECT_EQ(std::get<std::vector<AXElement>>(windows.value), std::vector<AXElement>{created[0]});
    // Untyped and not transient: a standard window.
    const auto subrole = ax->copyAttributeValue(created[0], "AXSubrole", 0);
    EXPECT_EQ(std::get<std::string>(subrole.value), "AXStandardWindow");
}

TEST_F(X11ServicesTest, WindowListIsFrontToBackWithFramesAndScreenState) {
    auto first = desktop->launchXterm("first", "80x24+10+10");
    auto second = desktop->launchXlogo("200x200+700+100");
    ASSERT_TRUE(first && second);
    X11WindowList list(backend);
    desktop->windows().activate(first->window);
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto all = list.copyWindowInfo(WindowListOption::onScreenOnly, 0);
        return all && !all->empty() && all->front().number == first->window;
    }));
    auto all = *list.copyWindowInfo(WindowListOption::onScreenOnly, 0);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0].ownerPID, first->pid);
    EXPECT_EQ(all[0].ownerName, "XTerm");
    EXPECT_EQ(all[0].bounds, info(first->window)->frame);
    EXPECT_EQ(all[0].layer, WindowLayer::normal);
    EXPECT_EQ(all[0].alpha, 1.0);
    EXPECT_EQ(all[0].isOnScreen, true);
    EXPECT_EQ(all[1].number, second->window);
    EXPECT_EQ(all[1].ownerPID, second->pid);

    const auto above = *list.copyWindowInfo(WindowListOption::onScreenAboveWindow, second->window);
    ASSERT_EQ(above.size(), 1u);
    EXPECT_EQ(above[0].number, first->window);
    const auto below = *list.copyWindowInfo(WindowListOption::onScreenBelowWindow | WindowListOption::includingWindow,
                                            second->window);
    ASSERT_FALSE(below.empty());
    EXPECT_EQ(below[0].number, second->window);

    desktop->windows().minimize(first->window);
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto onScreen = *list.copyWindowInfo(WindowListOption::onScreenOnly, 0);
        return std::none_of(onScreen.begin(), onScreen.end(), [&](const WindowInfo& i) { return i.number == first->window; });
    }));
    const auto everything = *list.copyWindowInfo(WindowListOption::all, 0);
    const auto it = std::find_if(everything.begin(), everything.end(), [&](const WindowInfo& i) { return i.number == first->window; });
    ASSERT_NE(it, everything.end());
    EXPECT_EQ(it->isOnScreen, false);
}

TEST_F(X11ServicesTest, PanelsAreOrderedDirectlyAboveOrBelowAWindowsFrame) {
    auto first = desktop->launchXterm("first");
    auto second = desktop->launchXterm("second", "80x24+400+300");
    ASSERT_TRUE(first && second);
    // An override-redirect panel of our own, as the tab bars are.
    xcb_connection_t* c = desktop->connection().get();
    const xcb_window_t panel = xcb_generate_id(c);
    const std::uint32_t values[] = {1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, panel, desktop->connection().root(), 0, 0, 200, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, panel);
    desktop->connection().sync();

    X11WindowServer server(backend);
    const auto functions = server.openWindowServer();
    ASSERT_TRUE(functions && functions->orderWindow && functions->transactionCreate);
    const auto rootChildren = [&] {
        auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, desktop->connection().root()));
        const auto* kids = xcb_query_tree_children(tree.get());
        return std::vector<xcb_window_t>(kids, kids + xcb_query_tree_children_length(tree.get()));
    };
    const auto justAbove = [&](xcb_window_t client) {
        const auto kids = rootChildren();
        const auto frame = desktop->windows().frameWindows({client}).front();
        const auto at = std::find(kids.begin(), kids.end(), frame);
        return at != kids.end() && at + 1 != kids.end() && *(at + 1) == panel;
    };
    const auto justBelow = [&](xcb_window_t client) {
        const auto kids = rootChildren();
        const auto frame = desktop->windows().frameWindows({client}).front();
        const auto at = std::find(kids.begin(), kids.end(), frame);
        return at != kids.end() && at != kids.begin() && *(at - 1) == panel;
    };

    const auto conn = functions->mainConnectionID();
    EXPECT_EQ(functions->orderWindow(conn, panel, X11WindowServer::orderAbove, first->window), 0);
    EXPECT_TRUE(justAbove(first->window));
    // The window list shows the panel right in front of that window, owned by us.
    const auto listed = *X11WindowList(backend).copyWindowInfo(WindowListOption::onScreenOnly, 0);
    const auto at = std::find_if(listed.begin(), listed.end(), [&](const WindowInfo& w) { return w.number == panel; });
    ASSERT_NE(at, listed.end());
    EXPECT_EQ(at->ownerPID, getpid());
    EXPECT_EQ(at->bounds, Rect(0, 0, 200, 30));
    EXPECT_EQ(at->layer, X11WindowList::popUpLevel) << "never an ordinary window";
    ASSERT_NE(at + 1, listed.end());
    EXPECT_EQ((at + 1)->number, first->window);
    EXPECT_EQ(functions->orderWindow(conn, panel, X11WindowServer::orderBelow, second->window), 0);
    EXPECT_TRUE(justBelow(second->window));

    const auto t = functions->transactionCreate(conn);
    functions->transactionOrderWindow(t, panel, X11WindowServer::orderAbove, second->window);
    EXPECT_FALSE(justAbove(second->window));  // nothing happens before the commit
    EXPECT_EQ(functions->transactionCommit(t, 0), 0);
    EXPECT_TRUE(justAbove(second->window));
    // Several orders apply in turn; one that fails fails the commit, not the others.
    const auto several = functions->transactionCreate(conn);
    functions->transactionOrderWindow(several, panel, X11WindowServer::orderBelow, first->window);
    functions->transactionOrderWindow(several, panel, X11WindowServer::orderAbove, 0x7fffff0u);
    functions->transactionOrderWindow(several, panel, 7, first->window);
    EXPECT_NE(functions->transactionCommit(several, 0), 0);
    EXPECT_TRUE(justBelow(first->window));
    functions->transactionOrderWindow(several, panel, X11WindowServer::orderBelow, second->window);
    functions->transactionOrderWindow(several, panel, X11WindowServer::orderAbove, first->window);
    EXPECT_EQ(functions->transactionCommit(several, 0), 0);
    EXPECT_TRUE(justAbove(first->window));

    // A window that is gone is a failure, not a crash.
    kill(first->pid, SIGKILL);
    ASSERT_TRUE(desktop->waitUntil([&] { return !desktop->windows().exists(first->window); }));
    EXPECT_NE(functions->orderWindow(conn, panel, X11WindowServer::orderAbove, first->window), 0);

    WindowID number = 0;
    EXPECT_EQ(server.axGetWindow()(X11Accessibility::windowElement(second->pid, second->window), &number), AXError::success);
    EXPECT_EQ(number, second->window);
    Rect bounds;
    EXPECT_EQ(functions->getWindowBounds(conn, second->window, &bounds), 0);
    EXPECT_EQ(bounds, info(second->window)->frame);
}

TEST_F(X11ServicesTest, APanelFollowsItsWindowWhenTheWindowManagerRaisesTheFrame) {
    auto first = desktop->launchXterm("first");
    auto second = desktop->launchXterm("second", "80x24+400+300");
    ASSERT_TRUE(first && second);
    xcb_connection_t* c = desktop->connection().get();
    const xcb_window_t root = desktop->connection().root();
    const xcb_window_t panel = xcb_generate_id(c);
    const std::uint32_t values[] = {1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, panel, root, 0, 0, 200, 30, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, panel);
    desktop->connection().sync();
    const auto panelDirectlyAbove = [&](xcb_window_t client) {
        auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, root));
        const auto* kids = xcb_query_tree_children(tree.get());
        const std::vector<xcb_window_t> stack(kids, kids + xcb_query_tree_children_length(tree.get()));
        const auto frame = desktop->windows().frameWindows({client}).front();
        const auto at = std::find(stack.begin(), stack.end(), frame);
        return at != stack.end() && at + 1 != stack.end() && *(at + 1) == panel;
    };

    X11WindowServer server(backend);
    const auto f = server.openWindowServer();
    ASSERT_TRUE(f && f->registerNotifyProc && f->requestNotificationsForWindows);
    WindowNotifications notes;
    EXPECT_NE(f->registerNotifyProc(&WindowNotifications::record, 1234, &notes), 0) << "a code never sent";
    ASSERT_EQ(f->registerNotifyProc(&WindowNotifications::record, X11WindowNotifier::windowReordered, &notes), 0);
    ASSERT_EQ(f->registerNotifyProc(&WindowNotifications::record, X11WindowNotifier::windowDestroyed, &notes), 0);
    const auto conn = f->mainConnectionID();
    const WindowID watched[] = {first->window};
    ASSERT_EQ(f->requestNotificationsForWindows(conn, watched, 1), 0);

    ASSERT_EQ(f->orderWindow(conn, panel, X11WindowServer::orderAbove, first->window), 0);
    ASSERT_TRUE(panelDirectlyAbove(first->window));
    // Moving the window in place restacks nothing.
    ASSERT_TRUE(desktop->windows().setPosition(first->window, Point(150, 120)));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(first->window)->frame.origin == Point(150, 120); }));
    ASSERT_TRUE(desktop->windows().activate(second->window));
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() == second->window; }));
    desktop->connection().sync();
    EXPECT_TRUE(panelDirectlyAbove(first->window)) << "raising another window leaves the pair alone";

    // The window manager raises the frame over the panel: the window server
    // reports the reorder, and ordering the panel again puts it back.
    notes.clear();
    ASSERT_TRUE(desktop->windows().activate(first->window));
    ASSERT_TRUE(notes.waitFor(X11WindowNotifier::windowReordered, first->window));
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() == first->window; }));
    EXPECT_FALSE(panelDirectlyAbove(first->window));
    EXPECT_EQ(f->orderWindow(conn, panel, X11WindowServer::orderAbove, first->window), 0);
    EXPECT_TRUE(panelDirectlyAbove(first->window));
    // Our own ordering moved the panel, not the frame: no new report for it.
    desktop->connection().sync();
    const auto reordered = notes.count(X11WindowNotifier::windowReordered, first->window);
    ASSERT_TRUE(desktop->windows().setPosition(first->window, Point(160, 130)));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(first->window)->frame.origin == Point(160, 130); }));
    EXPECT_EQ(notes.count(X11WindowNotifier::windowReordered, first->window), reordered);
    EXPECT_EQ(notes.count(X11WindowNotifier::windowReordered, second->window), 0u) << "never asked about";

    // The window goes away: reported, and not a crash to order against.
    kill(first->pid, SIGKILL);
    ASSERT_TRUE(notes.waitFor(X11WindowNotifier::windowDestroyed, first->window));
    EXPECT_NE(f->orderWindow(conn, panel, X11WindowServer::orderAbove, first->window), 0);
    const WindowID gone[] = {first->window};
    EXPECT_EQ(f->requestNotificationsForWindows(conn, gone, 1), 0);
}

// The screens and the window list answer from memory between changes:
// each change the event reader reports shows at the next read.
TEST_F(X11ServicesTest, KeptScreensAndListedPanelsFollowEveryChange) {
    X11Displays displays(backend);
    X11WindowList list(backend);
    ASSERT_EQ(displays.screens().size(), 1u);
    // Asked again with nothing reported since, they cost no round trip.
    X11RoundTrips::setCounting(true);
    EXPECT_TRUE(desktop->waitUntil([&] {
        const auto before = X11RoundTrips::countOnThisThread();
        return displays.screens().size() == 1u && X11RoundTrips::countOnThisThread() == before;
    }));
    X11RoundTrips::setCounting(false);
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "LEFT", "960/254x1080/286+0+0", "screen"}), 0);
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "RIGHT", "960/254x1080/286+960+0", "none"}), 0);
    ASSERT_TRUE(desktop->waitUntil([&] { return displays.screens().size() == 2u; }));
    ASSERT_EQ(desktop->run({"xrandr", "--delmonitor", "RIGHT"}), 0);
    ASSERT_EQ(desktop->run({"xrandr", "--delmonitor", "LEFT"}), 0);
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto one = displays.screens();
        return one.size() == 1u && one[0].frame == Rect(0, 0, 1920, 1080);
    }));

    // An override-redirect panel of somebody else's, listed on the pop-up
    // level while shown, wherever it goes.
    auto& x = desktop->connection();
    const xcb_window_t panel = xcb_generate_id(x.get());
    const std::uint32_t overrideRedirect = 1;
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, panel, x.root(), 100, 100, 200, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    const auto listed = [&]() -> std::optional<WindowInfo> {
        const auto all = list.copyWindowInfo(WindowListOption::all, 0);
        for (const auto& w : all.value_or(std::vector<WindowInfo>{})) {
            if (w.number == panel) return w;
        }
        return std::nullopt;
    };
    const auto shows = [&](const Rect& at) {
        return desktop->waitUntil([&] {
            const auto w = listed();
            return w && w->bounds == at && w->layer == X11WindowList::popUpLevel && w->isOnScreen == true;
        });
    };
    const auto hidden = [&] { return desktop->waitUntil([&] { return !listed(); }); };
    EXPECT_FALSE(listed());
    xcb_map_window(x.get(), panel);
    x.flush();
    ASSERT_TRUE(shows(Rect(100, 100, 200, 30)));
    const std::uint32_t moved[] = {400, 300};
    xcb_configure_window(x.get(), panel, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, moved);
    x.flush();
    EXPECT_TRUE(shows(Rect(400, 300, 200, 30)));
    xcb_unmap_window(x.get(), panel);
    x.flush();
    EXPECT_TRUE(hidden());
    xcb_map_window(x.get(), panel);
    x.flush();
    EXPECT_TRUE(shows(Rect(400, 300, 200, 30)));
    xcb_destroy_window(x.get(), panel);
    x.flush();
    EXPECT_TRUE(hidden());
}

TEST_F(X11ServicesTest, DisplaysAndWorkspace) {
    X11Displays displays(backend);
    const auto screens = displays.screens();
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1920, 1080));

    auto first = desktop->launchXterm("first");
    auto second = desktop->launchXlogo();
    ASSERT_TRUE(first && second);
    // Settle focus first: openbox focuses new windows as it maps them.
    desktop->windows().activate(second->window);
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() == second->window; }));
    auto main = std::make_shared<X11TestExecutor>(work);
    X11Workspace workspace(backend, main);
    EXPECT_EQ(workspace.currentSpace(), 0u);
    // Listed once the reader has heard the window manager's list change.
    std::vector<RunningApplication> running;
    ASSERT_TRUE(desktop->waitUntil([&] { return (running = workspace.runningApplications()).size() == 2u; }))
        << running.size() << " applications";
    EXPECT_EQ(running[0].pid, first->pid);
    EXPECT_EQ(running[0].localizedName, "XTerm");
    EXPECT_EQ(running[1].pid, second->pid);
    // Without a desktop entry: known by its window class, identified by its instance.
    EXPECT_EQ(running[1].localizedName, "XLogo");
    EXPECT_EQ(running[1].bundleIdentifier, "xlogo");

    std::vector<WorkspaceEvent> activated, terminated;
    const auto activation = workspace.addObserver(WorkspaceNotification::didActivateApplication,
                                                  [&](const WorkspaceEvent& e) { activated.push_back(e); });
    auto termination = workspace.addObserver(WorkspaceNotification::didTerminateApplication,
                                             [&](const WorkspaceEvent& e) { terminated.push_back(e); });

    ASSERT_TRUE(workspace.activate(first->pid));
    const auto activatedPid = [&](ProcessID pid) {
        return std::any_of(activated.begin(), activated.end(),
                           [&](const WorkspaceEvent& e) { return e.application && e.application->pid == pid; });
    };
    ASSERT_TRUE(work.runUntil([&] { return activatedPid(first->pid); }));
    activated.clear();
    ASSERT_TRUE(workspace.activate(second->pid));
    ASSERT_TRUE(work.runUntil([&] { return activatedPid(second->pid); }));
    EXPECT_EQ(workspace.frontmostApplication()->pid, second->pid);

    kill(second->pid, SIGKILL);
    ASSERT_TRUE(work.runUntil([&] { return !terminated.empty(); }));
    EXPECT_EQ(terminated[0].application->pid, second->pid);
    EXPECT_TRUE(terminated[0].application->isTerminated);
    EXPECT_EQ(terminated[0].application->localizedName, "XLogo");
    EXPECT_FALSE(workspace.runningApplication(second->pid).has_value() &&
                 !workspace.runningApplication(second->pid)->isTerminated);

    termination.cancel();
    EXPECT_FALSE(workspace.activate(999999));

    // The screen saver stands for the saver sleeping.
    std::vector<WorkspaceNotification> saver;
    std::vector<Subscription> saverObservers;
    for (const auto kind : {WorkspaceNotification::screensDidSleep, WorkspaceNotification::screensDidWake}) {
        saverObservers.push_back(workspace.addObserver(kind, [&](const WorkspaceEvent& e) { saver.push_back(e.kind); }));
    }
    ASSERT_EQ(desktop->run({"xset", "s", "activate"}), 0);
    ASSERT_TRUE(work.runUntil([&] { return !saver.empty(); }));
    ASSERT_EQ(desktop->run({"xset", "s", "reset"}), 0);
    ASSERT_TRUE(work.runUntil([&] { return saver.size() >= 2; }));
    EXPECT_EQ(saver[0], WorkspaceNotification::screensDidSleep);
    EXPECT_EQ(saver[1], WorkspaceNotification::screensDidWake);
}

}  // namespace
}  // namespace tessaly::test

namespace tessaly::test {
namespace {

TEST_F(X11ServicesTest, LogindsSleepSignalIsSleepAndWake) {
    // A private bus stands in for the system bus.
    const auto address = desktop->startService({"dbus-daemon", "--session", "--nofork", "--print-address=3"});
    if (!address) GTEST_SKIP() << "no dbus-daemon";
    auto main = std::make_shared<X11TestExecutor>(work);
    X11Workspace workspace(backend, main, *address);
    std::vector<WorkspaceNotification> power;
    std::vector<Subscription> powerObservers;
    for (const auto kind : {WorkspaceNotification::willSleep, WorkspaceNotification::didWake}) {
        powerObservers.push_back(workspace.addObserver(kind, [&](const WorkspaceEvent& e) { power.push_back(e.kind); }));
    }
    const auto signal = [&](const char* value) {
        return desktop->run({"dbus-send", "--bus=" + *address, "--type=signal", "/org/freedesktop/login1",
                             "org.freedesktop.login1.Manager.PrepareForSleep", value});
    };
    ASSERT_EQ(signal("boolean:true"), 0);
    ASSERT_TRUE(work.runUntil([&] { return power.size() == 1; }));
    ASSERT_EQ(signal("boolean:false"), 0);
    ASSERT_TRUE(work.runUntil([&] { return power.size() == 2; }));
    EXPECT_EQ(power[0], WorkspaceNotification::willSleep);
    EXPECT_EQ(power[1], WorkspaceNotification::didWake);
}

TEST_F(X11ServicesTest, LauncherBadgesComeFromUnityLauncherEntrySignals) {
    const auto address = desktop->startService({"dbus-daemon", "--session", "--nofork", "--print-address=3"});
    if (!address) GTEST_SKIP() << "no dbus-daemon";
    const auto apps = desktop->directory() / "data" / "applications";
    std::filesystem::create_directories(apps);
    std::ofstream(apps / "mail.desktop") << "[Desktop Entry]\nType=Application\nName=Mail\n";
    X11LauncherBadges badges(*address, {apps});
    std::mutex mutex;
    std::condition_variable updated;
    int updates = 0;
    badges.setOnUpdate([&] {
        std::lock_guard lock(mutex);
        ++updates;
        updated.notify_all();
    });
    const auto emit = [&](const std::string& uri, const std::string& properties) {
        // As a bus client (--address alone would send without joining the bus).
        return desktop->run({"env", "DBUS_SESSION_BUS_ADDRESS=" + *address, "gdbus", "emit", "--session",
                             "--object-path", "/", "--signal", "com.canonical.Unity.LauncherEntry.Update",
                             "'" + uri + "'", properties});
    };
    const auto waitFor = [&](int n) {
        std::unique_lock lock(mutex);
        return updated.wait_for(lock, kX11Patience, [&] { return updates >= n; });
    };
    ASSERT_EQ(badges.dockProcess(), getpid());
    ASSERT_EQ(emit("application://mail.desktop", "{'count': <int64 3>, 'count-visible': <true>}"), 0);
    ASSERT_EQ(emit("application://chat.desktop", "{'count': <int64 5>, 'count-visible': <false>}"), 0);
    ASSERT_TRUE(waitFor(2));
    auto tiles = badges.tiles(getpid(), 0.25);
    ASSERT_EQ(tiles.size(), 2u);
    const auto mail = std::find_if(tiles.begin(), tiles.end(), [&](const DockTile& t) { return t.statusLabel.has_value(); });
    ASSERT_NE(mail, tiles.end());
    EXPECT_EQ(mail->statusLabel, "3");
    EXPECT_EQ(mail->url, (apps / "mail.desktop").string());
    // A later update changes only what it names.
    ASSERT_EQ(emit("application://chat.desktop", "{'count-visible': <true>}"), 0);
    ASSERT_TRUE(waitFor(3));
    tiles = badges.tiles(getpid(), 0.25);
    EXPECT_EQ(std::count_if(tiles.begin(), tiles.end(), [](const DockTile& t) { return t.statusLabel == "5"; }), 1);
    EXPECT_TRUE(badges.tiles(getpid() + 1, 0.25).empty());
}

TEST_F(X11ServicesTest, AServerThatDiesIsAFailureEverywhere) {
    auto xterm = desktop->launchXterm();
    ASSERT_TRUE(xterm);
    auto main = std::make_shared<X11TestExecutor>(work);
    auto platform = X11Platform::open(desktop->display());
    ASSERT_TRUE(platform);
    const auto services = platform->services(nullptr, main, nullptr);
    auto observer = services.accessibility->createObserver(xterm->pid);
    ASSERT_TRUE(observer);
    observer->start(std::make_shared<X11TestQueue>(work), [](const AXElement&, const std::string&) {});
    auto hotkeys = platform->makeHotkeyService(main);
    auto input = platform->makeInputMonitor();
    auto tap = input->makeMouseTap();
    ASSERT_TRUE(hotkeys && tap);
    tap->start(std::make_shared<X11TestQueue>(work), [](const MouseTapEvent&) {});
    const auto spaces =
        services.workspace->addObserver(WorkspaceNotification::activeSpaceDidChange, [](const WorkspaceEvent&) {});
    // The program hears of it once, to leave with a clear message.
    int lost = 0;
    ASSERT_TRUE(platform->backend()->setConnectionLostHandler([&, main] { main->post([&] { ++lost; }); }));
    // The server dies with the button held: that is no longer known.
    auto& x11 = desktop->connection();
    xcb_test_fake_input(x11.get(), XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, x11.root(), 0, 0, XCB_NONE);
    x11.sync();
    ASSERT_TRUE(desktop->waitUntil([&] { return platform->backend()->buttons().left() == ButtonState::down; }));

    kill(desktop->serverPid(), SIGKILL);
    ASSERT_TRUE(X11Desktop::waitForExit(desktop->serverPid(), kX11Patience));
    ASSERT_TRUE(work.runUntil([&] { return lost > 0; }));
    const AXElement w = X11Accessibility::windowElement(xterm->pid, xterm->window);
    EXPECT_FALSE(services.accessibility->copyAttributeValue(w, "AXTitle", 0).ok());
    EXPECT_NE(services.accessibility->setAttributeValue(w, "AXPosition", Point{1, 1}, 0), AXError::success);
    EXPECT_FALSE(services.accessibility->isProcessTrusted(false));
    EXPECT_FALSE(services.windowList->copyWindowInfo(WindowListOption::all, 0).has_value());
    EXPECT_TRUE(services.displays->screens().empty());
    EXPECT_FALSE(services.workspace->frontmostApplication());
    EXPECT_FALSE(services.workspace->activate(xterm->pid));
    EXPECT_FALSE(hotkeys->registerHotKey(0x7C, 0x1800, HotKeyID{1, 1}));
    EXPECT_EQ(input->pointerLocation(), Point{});
    EXPECT_EQ(platform->backend()->buttons().left(), ButtonState::unknown);
    EXPECT_FALSE(input->isLeftButtonDown());
    // Everything still shuts down in order.
    tap->invalidate();
    observer->invalidate();
    hotkeys.reset();
    work.drain();
    EXPECT_EQ(lost, 1);
}

TEST_F(X11ServicesTest, ThePlatformFillsEveryService) {
    auto platform = X11Platform::open(desktop->display());
    ASSERT_TRUE(platform);
    auto main = std::make_shared<X11TestExecutor>(work);
    const auto services = platform->services(nullptr, main, nullptr);
    EXPECT_TRUE(services.accessibility && services.windowList && services.displays && services.workspace &&
                services.privateSymbols && services.dockBadges && services.systemProbes && services.moveAssist &&
                services.windowHints);
    EXPECT_EQ(services.mainExecutor, main);
    EXPECT_TRUE(platform->makeInputMonitor());
    EXPECT_TRUE(platform->makeHotkeyService(main));
    EXPECT_TRUE(platform->readKeyboardLayout());
    const auto boot = services.systemProbes->kernelBootTime();
    ASSERT_TRUE(boot);
    EXPECT_GT(*boot, 1.0e9);
    EXPECT_FALSE(services.systemProbes->stageManagerPreference());
    EXPECT_FALSE(X11Platform::open(":4094"));
}

}  // namespace
}  // namespace tessaly::test
