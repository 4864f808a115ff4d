#pragma once
// The overlay on a real headless desktop (inside a child process, see
// Platform/Qt/QtOnX11.h): the X11 backend's services, the Qt factory, an
// overlay manager with the public ordering and a recording delegate, real
// clients grouped by a scripted group, and read-backs of what the X server
// holds (stacking, geometry, override-redirect, focus) on the harness's own
// connection. Input is faked through XTEST.
#include "Platform/Qt/QtOnX11.h"

#include <xcb/shape.h>
#include <xcb/xtest.h>

#include <QApplication>
#include <QMenu>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "OverlayUI/Qt/QtOverlayFactory.h"
#include "OverlayUI/Qt/QtTabBarPanel.h"
#include "Platform/Qt/QtMainExecutor.h"
#include "Platform/ThreadQueueFactory.h"
#include "Platform/X11/X11Platform.h"
#include "RecordingTabBarDelegate.h"

namespace tessaly::test {

// The main executor without the repeating timers: the overlay's 0.25 s tick
// never runs, so whatever re-orders a bar came from a restack report.
class TicklessExecutor final : public MainExecutor {
public:
    explicit TicklessExecutor(std::shared_ptr<MainExecutor> inner) : inner_(std::move(inner)) {}
    void post(std::function<void()> fn) override { inner_->post(std::move(fn)); }
    Subscription schedule(double delay, std::function<void()> fn, double tolerance = 0) override {
        return inner_->schedule(delay, std::move(fn), tolerance);
    }
    Subscription scheduleRepeating(double, std::function<void()>, double = 0) override { return {}; }

private:
    std::shared_ptr<MainExecutor> inner_;
};

class OverlayOnX11 : public QtOnX11Test {
protected:
    // X key code of Escape in the default (evdev) keymap.
    static constexpr xcb_keycode_t kEscape = 9;

    virtual bool withTick() const { return true; }

    void SetUp() override {
        platform = X11Platform::open(desktop().display());
        ASSERT_TRUE(platform);
        std::shared_ptr<MainExecutor> main = std::make_shared<QtMainExecutor>();
        if (!withTick()) main = std::make_shared<TicklessExecutor>(main);
        const auto services =
            platform->services(std::make_shared<SystemClock>(), main, std::make_shared<ThreadQueueFactory>());
        factory = std::make_shared<QtOverlayFactory>(platform->backend(), nullptr, main);
        manager = std::make_shared<OverlayManager>(std::make_shared<PublicZOrderSync>(), nullptr, factory, services);
        // There is no system overview on X11.
        manager->missionControlProbe = [] { return false; };
        manager->setTabDelegate(delegate);
    }

    void TearDown() override {
        if (manager) manager->shutdown();
        manager.reset();
        factory.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.reset();
    }

    X11WindowInfo info(xcb_window_t client) {
        auto read = desktop().windows().read(client);
        EXPECT_TRUE(read) << "window " << client << " is gone";
        return read.value_or(X11WindowInfo{});
    }

    // A group of the clients as the engine would make it: the active one's frame is the group's.
    TabGroup groupOf(const std::vector<X11Desktop::Client>& clients, std::size_t active) {
        std::vector<GroupMember> members;
        for (const auto& client : clients) {
            members.emplace_back(client.window, client.pid, info(client.window).title);
        }
        return TabGroup(Uuid::random(), members, clients.at(active).window, info(clients.at(active).window).frame);
    }

    // Two terminals one on the other, grouped with the second active and its
    // bar made: where most bar cases start.
    struct TwoTerminals {
        X11Desktop::Client first, second;
        TabGroup group;
        xcb_window_t strip = kNoWindow;
        xcb_window_t frame = kNoWindow;  // the active terminal's frame window
    };
    std::optional<TwoTerminals> groupTwoTerminals() {
        const auto first = desktop().launchXterm("first", "80x24+200+300");
        const auto second = desktop().launchXterm("second", "80x24+200+300");
        if (!first || !second) return std::nullopt;
        TwoTerminals shown{*first, *second, groupOf({*first, *second}, 1)};
        manager->apply(GroupEvent::groupCreated(shown.group));
        shown.strip = stripWindow(shown.group.id);
        shown.frame = info(second->window).frameWindow;
        return shown;
    }

    QtTabBarPanel& bar(const Uuid& group) {
        auto* found = manager->bar(group);
        EXPECT_NE(found, nullptr);
        return static_cast<QtTabBarPanel&>(*found);
    }
    xcb_window_t stripWindow(const Uuid& group) { return bar(group).stripPanel().windowNumber(); }

    // The root's children, bottom to top.
    std::vector<xcb_window_t> stacking() {
        auto& x = desktop().connection();
        XReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), x.root()), nullptr));
        if (!tree) return {};
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        return std::vector<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
    }
    std::optional<std::size_t> stackIndex(xcb_window_t window) {
        const auto order = stacking();
        const auto at = std::find(order.begin(), order.end(), window);
        if (at == order.end()) return std::nullopt;
        return static_cast<std::size_t>(at - order.begin());
    }
    bool directlyAbove(xcb_window_t upper, xcb_window_t lower) {
        const auto order = stacking();
        const auto u = std::find(order.begin(), order.end(), upper);
        const auto l = std::find(order.begin(), order.end(), lower);
        return u != order.end() && l != order.end() && u == l + 1;
    }
    bool isAbove(xcb_window_t upper, xcb_window_t lower) {
        const auto u = stackIndex(upper);
        const auto l = stackIndex(lower);
        return u && l && *u > *l;
    }

    // Corners cut out of a frame, as window managers with rounded corners do.
    void cutCorners(xcb_window_t frame) {
        const Rect f = geometry(frame);
        auto& x = desktop().connection();
        const auto w = static_cast<std::uint16_t>(f.width()), h = static_cast<std::uint16_t>(f.height());
        const xcb_rectangle_t shape[] = {{4, 0, static_cast<std::uint16_t>(w - 8), 4},
                                         {0, 4, w, static_cast<std::uint16_t>(h - 4)}};
        xcb_shape_rectangles(x.get(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, frame, 0, 0,
                             2, shape);
        x.sync();
    }

    // A root child's geometry (root coordinates) as the server holds it.
    Rect geometry(xcb_window_t window) {
        auto& x = desktop().connection();
        XReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(x.get(), xcb_get_geometry(x.get(), window), nullptr));
        if (!g) return Rect::null();
        return Rect(g->x, g->y, g->width, g->height);
    }
    bool isOverrideRedirect(xcb_window_t window) {
        auto& x = desktop().connection();
        XReply<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(x.get(), xcb_get_window_attributes(x.get(), window), nullptr));
        return a && a->override_redirect;
    }
    bool isViewable(xcb_window_t window) {
        auto& x = desktop().connection();
        XReply<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(x.get(), xcb_get_window_attributes(x.get(), window), nullptr));
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    xcb_window_t inputFocus() {
        auto& x = desktop().connection();
        XReply<xcb_get_input_focus_reply_t> f(xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr));
        return f ? f->focus : kNoWindow;
    }

    void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0) {
        auto& c = desktop().connection();
        xcb_test_fake_input(c.get(), type, detail, XCB_CURRENT_TIME, c.root(), static_cast<std::int16_t>(x),
                            static_cast<std::int16_t>(y), XCB_NONE);
        c.sync();
    }
    // Moves the pointer there and clicks `button` (1 left, 3 right).
    void clickAt(Point at, std::uint8_t button = 1) {
        fake(XCB_MOTION_NOTIFY, 0, static_cast<int>(at.x), static_cast<int>(at.y));
        fake(XCB_BUTTON_PRESS, button);
        fake(XCB_BUTTON_RELEASE, button);
    }
    void tapKey(xcb_keycode_t key) {
        fake(XCB_KEY_PRESS, key);
        fake(XCB_KEY_RELEASE, key);
    }

    static QMenu* openMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

    std::unique_ptr<X11Platform> platform;
    std::shared_ptr<QtOverlayFactory> factory;
    std::shared_ptr<OverlayManager> manager;
    std::shared_ptr<RecordingTabBarDelegate> delegate = std::make_shared<RecordingTabBarDelegate>();
};

class OverlayOnX11WithoutTick : public OverlayOnX11 {
protected:
    bool withTick() const override { return false; }
};

}  // namespace tessaly::test
