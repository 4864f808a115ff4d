// Working with the tab bar of the real program on a real desktop, as a user
// does with the mouse and the keyboard (XTEST): tabs clicked and
// middle-clicked, dragged along the bar, off it onto the desktop and onto
// another group's bar, whole groups dragged by their bars onto other groups
// and onto another monitor, double-clicked, filled with "+", and named.
//
// What the program shows is read back from the X server: its bars (the
// override-redirect windows of the bar's height) and, along one row of a
// bar's pixels, where its tabs stand and which one is the active one.
#include "BarTabs.h"
#include "EndToEndTest.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;

namespace Keys {
inline constexpr xcb_keysym_t down = 0xff54;
inline constexpr xcb_keysym_t returnKey = 0xff0d;
}  // namespace Keys

class TabBarTest : public EndToEndTest {
protected:
    static constexpr double kBarHeight = DesktopUser::kBarHeight;

    // The window manager as users run it: stock openbox moves no window on
    // Shift and a title-bar drag, so the program starts those moves.
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndTest::desktopOptions();
        options.manager = test::X11WindowManager::openbox;
        return options;
    }

    void SetUp() override {
        EndToEndTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(startProgram(programOptions()));
    }
    virtual TessalyProgram::Options programOptions() const { return {}; }

    void TearDown() override {
        if (HasFailure() && !notes_.empty()) std::fprintf(stderr, "---- set-up notes ----\n%s", notes_.c_str());
        EndToEndTest::TearDown();
    }

    // ---- Groups ----

    // Windows in a row at height `top`, 450 pixels apart (none overlaps
    // another): xterms titled name-1, name-2, ..., or with an empty name
    // xlogo windows, which take any size (a terminal keeps to whole
    // character cells). Answers their windows.
    std::vector<xcb_window_t> launch(const std::string& name, int count, int top, int left = 40) {
        std::vector<xcb_window_t> windows;
        for (int i = 0; i < count; ++i) {
            const std::string place = "+" + std::to_string(left + 450 * i) + "+" + std::to_string(top);
            const auto client = name.empty() ? desktop->launchXlogo("420x260" + place)
                                             : desktop->launchXterm(name + "-" + std::to_string(i + 1), "70x16" + place);
            if (!client) {
                ADD_FAILURE() << "window " << i + 1 << " of " << count << " did not start";
                return {};
            }
            windows.push_back(client->window);
        }
        return windows;
    }

    // Groups every window after the first onto the first (a set-up, not the
    // gesture under test: a drop that did not take is tried again).
    bool groupAll(const std::vector<xcb_window_t>& windows) {
        for (std::size_t i = 1; i < windows.size(); ++i) {
            const Point home = user->frame(windows[i]).origin;
            bool grouped = false;
            for (int attempt = 0; attempt < 3 && !grouped; ++attempt) {
                if (attempt > 0) {
                    desktop->windows().setPosition(windows[i], home);
                    user->waitUntil([&] { return user->frame(windows[i]).origin == home; });
                }
                std::string why;
                xcb_window_t target = activeOf({windows.begin(), windows.begin() + static_cast<long>(i)});
                if (target == kNoWindow) target = windows.front();
                grouped = user->groupByDrag(windows[i], target, why) && user->waitForSharedFrame(windows[i], target) &&
                          waitForTabs(windows, i + 1);
                if (!grouped) notes_ += "grouping attempt " + std::to_string(attempt + 1) + " failed: " + why + "\n";
            }
            if (!grouped) {
                ADD_FAILURE() << "window " << i + 1 << " did not join the group";
                return false;
            }
        }
        // Settled: the window with the focus is the one the bar stands above.
        if (!user->waitUntil([&] { return desktop->windows().activeWindow() == activeOf(windows); })) {
            notes_ += "the focus stayed on another window than the group's active one\n";
        }
        return true;
    }

    // The member the group's bar stands above (none while no bar does).
    xcb_window_t activeOf(const std::vector<xcb_window_t>& members) {
        for (const xcb_window_t member : members) {
            if (user->barAbove(member)) return member;
        }
        return kNoWindow;
    }
    // The group's bar; an empty window while it shows none.
    ShownWindow barOf(const std::vector<xcb_window_t>& members) {
        for (const xcb_window_t member : members) {
            if (auto bar = user->barAbove(member)) return *bar;
        }
        return {};
    }

    // ---- What a bar shows ----

    std::vector<ShownTab> tabsOf(const ShownWindow& bar) { return e2e::tabsOf(*desktop, bar); }
    // A bar followed by its window (it stays one group's while the group
    // lives); an empty window while it is not shown.
    ShownWindow shownBar(xcb_window_t strip) {
        for (const auto& bar : user->bars()) {
            if (bar.window == strip) return bar;
        }
        return {};
    }
    std::vector<ShownTab> tabsOf(xcb_window_t strip) { return tabsOf(shownBar(strip)); }
    std::vector<ShownTab> tabsOf(const std::vector<xcb_window_t>& members) { return tabsOf(barOf(members)); }
    bool waitForTabs(const std::vector<xcb_window_t>& members, std::size_t count) {
        return user->waitUntil([&] { return tabsOf(members).size() == count; });
    }
    // The right end of what the bar draws across its middle (the add
    // button's "+" is last in the row).
    double rowEnd(const ShownWindow& bar) {
        xcb_connection_t* c = desktop->connection().get();
        const auto width = static_cast<std::uint16_t>(bar.rect.size.width);
        const auto middle = static_cast<std::int16_t>(bar.rect.size.height / 2);
        if (bar.window == kNoWindow || width < 16) return 0;
        auto image = xcbReply(c, xcb_get_image_reply,
                              xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, bar.window, 0, middle, width, 1, ~0u));
        if (!image || xcb_get_image_data_length(image.get()) < 4 * width) return 0;
        const auto* pixels = reinterpret_cast<const std::uint8_t*>(xcb_get_image_data(image.get()));
        const auto at = [&](int x) { return pixels[4 * x] | (pixels[4 * x + 1] << 8) | (pixels[4 * x + 2] << 16); };
        const int fill = at(2);
        for (int x = width - 12; x > 2; --x) {
            if (at(x) != fill) return bar.rect.minX() + x;
        }
        return 0;
    }

    // Opens the bar's own menu with a right click on its background and
    // chooses its `row`-th item (from 1, separators not counted) with the
    // keyboard, as a user may.
    bool chooseFromBarMenu(const ShownWindow& bar, int row) {
        const Point at{bar.rect.maxX() - 12, bar.rect.midY()};
        if (!opensMenu([&] { clickWith(at, 3); })) return false;
        // The pointer out of the menu's way: only the keys choose.
        user->input.moveTo(Point{at.x, at.y + 400});
        for (int i = 0; i < row; ++i) tap(Keys::down);
        tap(Keys::returnKey);
        return user->waitUntil([&] { return floating().empty(); });
    }

    // Answers once what `open` does shows a menu and the menu holds the
    // keyboard: the toolkit grabs it a moment after the menu is mapped, and
    // keys typed before then go to the focused window.
    bool opensMenu(const std::function<void()>& open) {
        open();
        if (!user->waitUntil([&] { return !floating().empty(); })) return false;
        const auto watch = X11Connection::open(desktop->display());
        return watch && user->waitUntil([&] { return isKeyboardGrabbed(*watch); });
    }
    // Whether a Shift pressed alone now misses the focused window (the
    // pointer is on none of its children): someone holds the keyboard.
    bool isKeyboardGrabbed(const X11Connection& x) {
        xcb_connection_t* c = x.get();
        const auto focus = xcbReply(c, xcb_get_input_focus_reply, xcb_get_input_focus(c));
        if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) return true;
        const std::uint32_t mask = XCB_EVENT_MASK_KEY_PRESS;
        xcb_change_window_attributes(c, focus->focus, XCB_CW_EVENT_MASK, &mask);
        x.sync();
        user->input.keyDown(KeySym::shiftL);
        user->input.keyUp(KeySym::shiftL);
        x.sync();  // the key's events come before the answer
        bool reached = false;
        while (XEvent event{xcb_poll_for_event(c)}) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
            reached = reached || ((event->response_type & 0x7f) == XCB_KEY_PRESS && key->event == focus->focus);
        }
        return !reached;
    }

    // ---- Pointer and keys ----

    // Moves in steps of about 8 pixels (a brisk hand).
    void glide(Point from, Point to) { user->movePointer(from, to, 8, [](Point) { return true; }, milliseconds(1)); }

    void clickWith(Point at, std::uint8_t button) {
        user->input.moveTo(at);
        user->input.press(button);
        user->input.release(button);
    }
    void tap(xcb_keysym_t key) {
        user->input.keyDown(key);
        user->input.keyUp(key);
    }
    void type(const std::string& text) {
        for (const char c : text) tap(static_cast<xcb_keysym_t>(c));
    }

    // Presses on `grab`, a tab of the bar `strip`, and moves the pointer
    // sideways (a press becomes a tab drag only so) until the tab follows
    // it, then on to `to`; waits for `whileHeld` before letting go. False
    // when it never held. The tab following first keeps the program from
    // seeing the sideways and the onward moves as one.
    bool dragTab(xcb_window_t strip, Point grab, double sideways, Point to, const std::function<bool()>& whileHeld,
                 bool release = true) {
        const auto before = tabsOf(strip);
        const auto moved = [&] {
            const auto now = tabsOf(strip);
            if (now.size() != before.size()) return true;
            for (std::size_t i = 0; i < now.size(); ++i) {
                if (now[i].minX != before[i].minX) return true;
            }
            return false;
        };
        user->input.moveTo(grab);
        user->input.press(1);
        // Past the slop (the drag begins there), then a few more pixels,
        // until the lifted tab follows.
        const double direction = sideways < 0 ? -1 : 1;
        Point at{grab.x + direction * 8, grab.y};
        user->input.moveTo(at);
        for (double step = 12; step <= std::abs(sideways) + 12; step += 4) {
            at = Point{grab.x + direction * step, grab.y};
            user->input.moveTo(at);
            if (user->waitUntil(moved, milliseconds(500))) break;
        }
        glide(at, to);
        const bool held = !whileHeld || user->waitUntil(whileHeld);
        if (release) user->input.release(1);
        return held;
    }

    // The shown windows of the program that are neither bars nor backings:
    // a drag chip, a preview, a prompt, a menu.
    std::vector<ShownWindow> floating() {
        auto shown = user->overlays();
        std::erase_if(shown, [](const ShownWindow& w) {
            return w.rect.size.height == kBarHeight || w.rect.size.height == 18;  // strips and backings
        });
        return shown;
    }

    std::string notes_;  // what the set-up had to try again
};

// 1. A click on an inactive tab brings its window forward; a middle click
//    closes a tab's window and the tab goes.
TEST_F(TabBarTest, ClickingATabActivatesItsWindowAndAMiddleClickClosesIt) {
    const auto windows = launch("click", 3, 100);
    ASSERT_EQ(windows.size(), 3u);
    ASSERT_TRUE(groupAll(windows));
    const xcb_window_t active = activeOf(windows);
    auto tabs = tabsOf(windows);
    ASSERT_EQ(tabs.size(), 3u);
    const int activeTab = activeIndex(tabs);
    ASSERT_GE(activeTab, 0) << describeTabs(tabs);

    // Each inactive tab in turn: its window (another one each time) becomes
    // the active one, and the bar stands above it with that tab lit.
    std::vector<xcb_window_t> visited{active};
    for (int i = 0; i < 3; ++i) {
        if (i == activeTab) continue;
        user->click(Point{tabs[static_cast<std::size_t>(i)].midX(), barOf(windows).rect.midY()});
        ASSERT_TRUE(user->waitUntil([&] {
            const xcb_window_t now = desktop->windows().activeWindow();
            return std::find(windows.begin(), windows.end(), now) != windows.end() &&
                   std::find(visited.begin(), visited.end(), now) == visited.end() &&
                   user->barAbove(now).has_value() && activeIndex(tabsOf(windows)) == i;
        })) << "tab " << i << " did not bring its window forward (" << describeTabs(tabsOf(windows)) << ")";
        visited.push_back(desktop->windows().activeWindow());
    }

    // A middle click on an inactive tab closes that window; its tab goes.
    // (The bar is read once it shows every tab: not halfway through a repaint.)
    ASSERT_TRUE(user->waitUntil([&] { return (tabs = tabsOf(windows)).size() == 3; })) << describeTabs(tabs);
    const int last = activeIndex(tabs);
    const auto victimTab = static_cast<std::size_t>(last == 0 ? 1 : 0);
    const auto clientsBefore = desktop->windows().clientList();
    clickWith(Point{tabs[victimTab].midX(), barOf(windows).rect.midY()}, 2);
    ASSERT_TRUE(user->waitUntil([&] { return desktop->windows().clientList().size() == clientsBefore.size() - 1; }))
        << "no window closed";
    EXPECT_TRUE(waitForTabs(windows, 2)) << describeTabs(tabsOf(windows));
    std::vector<xcb_window_t> left;
    for (const xcb_window_t w : windows) {
        if (desktop->windows().exists(w)) left.push_back(w);
    }
    ASSERT_EQ(left.size(), 2u);
    EXPECT_TRUE(user->shareFrame(left[0], left[1]));
}

// 2. A tab dragged past its neighbour changes places with it; a tab of a
//    pair dragged off the bar and let go on the desktop leaves the group.
TEST_F(TabBarTest, DraggingATabReordersTheBarAndDraggingItOffPopsItsWindowOut) {
    const auto windows = launch("order", 2, 120);
    ASSERT_EQ(windows.size(), 2u);
    ASSERT_TRUE(groupAll(windows));
    auto tabs = tabsOf(windows);
    ASSERT_EQ(tabs.size(), 2u);
    const int from = activeIndex(tabs);
    ASSERT_GE(from, 0) << describeTabs(tabs);
    const int to = 1 - from;
    const double bar = barOf(windows).rect.midY();

    // The active tab dragged over the other one's far half.
    const ShownTab& moving = tabs[static_cast<std::size_t>(from)];
    const ShownTab& other = tabs[static_cast<std::size_t>(to)];
    const double distance = (to > from ? other.maxX - moving.maxX : other.minX - moving.minX);
    const xcb_window_t strip = barOf(windows).window;
    dragTab(strip, Point{moving.midX(), bar}, to > from ? 8 : -8, Point{moving.midX() + distance, bar}, nullptr);
    EXPECT_TRUE(user->waitUntil([&] {
        const auto now = tabsOf(windows);
        return now.size() == 2 && activeIndex(now) == to && std::abs(now[0].minX - tabs[0].minX) <= 1;
    })) << "the new order did not stay (" << describeTabs(tabsOf(windows)) << ")";

    // Off the bar, let go on the empty desktop below: the window leaves.
    tabs = tabsOf(windows);
    ASSERT_EQ(tabs.size(), 2u);
    const ShownTab& leaving = tabs[0];
    const Point grab{leaving.midX(), bar};
    const Rect groupFrame = user->frame(activeOf(windows));
    const bool chipShown = dragTab(strip, grab, 10, Point{grab.x + 10, groupFrame.maxY() + 120},
                                   [&] { return !floating().empty(); });
    EXPECT_TRUE(chipShown) << "no picture of the tab followed the pointer";
    ASSERT_TRUE(user->waitForNoBars()) << "the group did not dissolve";
    EXPECT_TRUE(user->waitUntil([&] { return !user->shareFrame(windows[0], windows[1]); }))
        << "the popped-out window stayed on the group frame";
    EXPECT_TRUE(floating().empty()) << "the chip stayed";
}

// 3. A tab dragged over another group's bar opens a gap where it would land
//    and joins that group there; over a locked group nothing changes.
TEST_F(TabBarTest, ATabDroppedOnAnotherGroupsBarJoinsItAtTheGapButNotWhenThatGroupIsLocked) {
    const auto upper = launch("upper", 3, 80);
    const auto lower = launch("lower", 2, 560);
    ASSERT_EQ(upper.size() + lower.size(), 5u);
    ASSERT_TRUE(groupAll(upper));
    ASSERT_TRUE(groupAll(lower));
    const xcb_window_t upperStrip = barOf(upper).window;
    const xcb_window_t lowerStrip = barOf(lower).window;
    const auto targetTabs = tabsOf(lowerStrip);
    ASSERT_EQ(targetTabs.size(), 2u);
    const ShownWindow targetBar = shownBar(lowerStrip);

    // An inactive tab of the upper group, over the lower bar's first tab
    // (low on the bar: the picture under the pointer stays off the row read).
    const auto sourceTabs = tabsOf(upperStrip);
    const auto inactive = static_cast<std::size_t>(activeIndex(sourceTabs) == 0 ? 1 : 0);
    const Point grab{sourceTabs[inactive].midX(), shownBar(upperStrip).rect.midY()};
    const Point over{targetTabs[0].minX + 6, targetBar.rect.maxY() - 4};
    const double tabWidth = sourceTabs[inactive].maxX - sourceTabs[inactive].minX;
    std::vector<ShownTab> seen;
    const auto gapBeforeFirst = [&] {
        seen = tabsOf(lowerStrip);
        return seen.size() == 2 && seen[0].minX >= targetTabs[0].minX + tabWidth - 2;
    };
    ASSERT_TRUE(dragTab(upperStrip, grab, 10, over, gapBeforeFirst))
        << "no gap of " << tabWidth << " opened under the pointer (the bar showed " << describeTabs(targetTabs)
        << ", then " << describeTabs(seen) << ")";
    ASSERT_TRUE(user->waitUntil([&] { return tabsOf(lowerStrip).size() == 3 && tabsOf(upperStrip).size() == 2; }))
        << "the tab did not move: lower " << describeTabs(tabsOf(lowerStrip)) << ", upper "
        << describeTabs(tabsOf(upperStrip));
    xcb_window_t moved = kNoWindow;
    ASSERT_TRUE(user->waitUntil([&] {
        for (const xcb_window_t w : upper) {
            if (user->shareFrame(w, lower.front())) moved = w;
        }
        return moved != kNoWindow;
    })) << "no window of the upper group took the lower group's frame";

    // The lower group locked through its bar's menu ("Name Group…", "Group
    // Color", "Lock Group"): the lock icon joins the row.
    const double endBefore = rowEnd(shownBar(lowerStrip));
    ASSERT_TRUE(chooseFromBarMenu(shownBar(lowerStrip), 3)) << "the bar's menu did not open and close";
    ASSERT_TRUE(user->waitUntil([&] { return rowEnd(shownBar(lowerStrip)) > endBefore + 10; }))
        << "no lock icon on the bar";

    // Another tab of the upper group over the locked bar: no gap opens, and
    // let go there, it stays where it was.
    const auto lockedTabs = tabsOf(lowerStrip);
    ASSERT_EQ(lockedTabs.size(), 3u);
    const auto remainingTabs = tabsOf(upperStrip);
    ASSERT_EQ(remainingTabs.size(), 2u);
    const auto another = static_cast<std::size_t>(activeIndex(remainingTabs) == 0 ? 1 : 0);
    const Point grabAgain{remainingTabs[another].midX(), shownBar(upperStrip).rect.midY()};
    const Point overLocked{lockedTabs[0].minX + 6, shownBar(lowerStrip).rect.maxY() - 4};
    // A gap stays while the tab hovers; the pointer's picture passing over
    // the bar leaves traces there only until the bar is drawn again.
    std::vector<ShownTab> seenLocked;
    int shiftedReads = 0;
    const auto shifted = [&] {
        seenLocked = tabsOf(lowerStrip);
        const bool gap = seenLocked.size() != lockedTabs.size() || seenLocked.front().minX > lockedTabs.front().minX + 4;
        shiftedReads = gap ? shiftedReads + 1 : 0;
        return shiftedReads >= 3;
    };
    EXPECT_TRUE(dragTab(upperStrip, grabAgain, 10, overLocked, [&] { return !floating().empty(); }, false))
        << "no picture of the tab";
    EXPECT_FALSE(user->waitUntil(shifted, milliseconds(600)))
        << "a gap opened in a locked group's bar (it showed " << describeTabs(lockedTabs) << ", then "
        << describeTabs(seenLocked) << "; the program showed " << DesktopUser::describe(user->overlays()) << ")";
    user->input.release(1);
    EXPECT_TRUE(user->waitUntil([&] { return floating().empty(); }));
    // What the drop may have changed has shown by now: the bar is drawn again.
    user->waitUntil([&] { return false; }, milliseconds(300));
    EXPECT_EQ(tabsOf(upperStrip).size(), 2u) << "the tab left its group";
    EXPECT_EQ(tabsOf(lowerStrip).size(), 3u) << "the locked group took the tab";
    std::vector<xcb_window_t> remaining;
    for (const xcb_window_t w : upper) {
        if (w != moved) remaining.push_back(w);
    }
    EXPECT_TRUE(user->shareFrame(remaining[0], remaining[1]));
}

// 4a. One group's bar Shift-dragged over another group: the merge preview
//     shows over it, and the release makes one group.
TEST_F(TabBarTest, AShiftDragOfABarOverAnotherGroupMergesTheTwo) {
    const auto first = launch("merge-a", 2, 60);
    const auto second = launch("merge-b", 2, 560);
    ASSERT_EQ(first.size() + second.size(), 4u);
    ASSERT_TRUE(groupAll(first));
    ASSERT_TRUE(groupAll(second));
    const ShownWindow bar = barOf(first);
    const Rect target = user->frame(activeOf(second));
    const Rect start = user->frame(activeOf(first));
    ASSERT_TRUE(bar.window != kNoWindow && target.size.width > 0);

    // Pressed on the bar's background, at its right end, and dragged down
    // until the group covers most of the other one.
    const Point grab{bar.rect.maxX() - 12, bar.rect.midY()};
    const Point to{grab.x, grab.y + (target.minY() - start.minY()) + 40};
    user->input.moveTo(grab);
    user->input.keyDown(KeySym::shiftL);
    user->input.press(1);
    glide(grab, to);
    const bool previewed = user->waitUntil([&] { return user->previewCovers(target); });
    user->input.release(1);
    user->input.keyUp(KeySym::shiftL);
    ASSERT_TRUE(previewed) << "no merge preview over the other group (the program showed "
                           << DesktopUser::describe(user->overlays()) << ")";

    std::vector<xcb_window_t> all = first;
    all.insert(all.end(), second.begin(), second.end());
    ASSERT_TRUE(waitForTabs(all, 4)) << "no bar of four tabs (" << describeTabs(tabsOf(all)) << "; the program showed "
                                     << DesktopUser::describe(user->overlays()) << ")";
    for (const xcb_window_t w : all) {
        EXPECT_TRUE(user->waitForSharedFrame(w, all.front()))
            << DesktopUser::describe(user->frame(w)) << " against " << DesktopUser::describe(user->frame(all.front()))
            << " (the other group was at " << DesktopUser::describe(target) << ")";
    }
    EXPECT_EQ(user->bars().size(), 1u);
}

// 4b. With two monitors, a bar dragged past the edge of its monitor offers
//     the other one; the release moves the group there.
TEST_F(TabBarTest, ABarPushedPastTheEdgeOfItsMonitorMovesTheGroupToTheNextOne) {
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "LEFT", "800/211x1000/264+0+0", "screen"}), 0);
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "RIGHT", "800/211x1000/264+800+0", "none"}), 0);
    const auto windows = launch("cross", 2, 300, 40);
    ASSERT_EQ(windows.size(), 2u);
    ASSERT_TRUE(groupAll(windows));
    const Rect start = user->frame(activeOf(windows));
    ASSERT_LT(start.maxX(), 800);
    const ShownWindow bar = barOf(windows);
    ASSERT_NE(bar.window, kNoWindow);

    // Right, well past where the left monitor's edge holds the group.
    const Point grab{bar.rect.maxX() - 12, bar.rect.midY()};
    const Point to{grab.x + (800 - start.maxX()) + 120, grab.y};
    user->input.moveTo(grab);
    user->input.press(1);
    glide(grab, to);
    const bool offered = user->waitUntil([&] {
        const Rect now = user->frame(activeOf(windows));
        return now.size.width > 0 && user->previewCovers(now);
    });
    user->input.release(1);
    ASSERT_TRUE(offered) << "no prompt to move to the other monitor (the program showed "
                         << DesktopUser::describe(user->overlays()) << ")";
    EXPECT_TRUE(user->waitUntil([&] {
        return user->frame(activeOf(windows)).minX() >= 800 && user->shareFrame(windows[0], windows[1]);
    })) << "the group did not land on the right monitor";
    EXPECT_TRUE(user->waitUntil([&] { return floating().empty(); })) << "the prompt stayed";
}

// 5. A double click on the bar fills the work area below the strip and
//    another brings the group back; "+" adds a third window; "Name Group…"
//    asks with the keyboard focus and the name shows on the bar.
TEST_F(TabBarTest, ADoubleClickMaximisesAndRestoresPlusAddsAWindowAndTheGroupIsNamed) {
    const auto windows = launch("", 2, 200, 200);
    ASSERT_EQ(windows.size(), 2u);
    ASSERT_TRUE(groupAll(windows));
    const xcb_window_t strip = barOf(windows).window;
    const Rect before = user->frame(activeOf(windows));
    ASSERT_NE(strip, kNoWindow);
    const auto doubleClick = [&] {
        const ShownWindow bar = shownBar(strip);
        user->input.doubleClick(Point{bar.rect.maxX() - 12, bar.rect.midY()});
    };
    const auto groupFrame = [&] {
        const xcb_window_t active = activeOf(windows);
        return active == kNoWindow ? Rect::null() : user->frame(active);
    };

    doubleClick();
    const Rect work{0, kBarHeight, 1600, 1000 - kBarHeight};  // no panels on this desktop
    EXPECT_TRUE(user->waitUntil([&] {
        return groupFrame() == work && user->shareFrame(windows[0], windows[1]) && user->barAbove(activeOf(windows));
    })) << "not maximised: " << DesktopUser::describe(user->frame(windows.front()));
    doubleClick();
    EXPECT_TRUE(user->waitUntil([&] {
        return groupFrame() == before && user->shareFrame(windows[0], windows[1]) && user->barAbove(activeOf(windows));
    })) << "not restored: " << DesktopUser::describe(user->frame(windows.front()));

    // "+" right after the last tab: the menu lists the third window.
    const auto third = launch("five-third", 1, 700, 900);
    ASSERT_EQ(third.size(), 1u);
    std::vector<xcb_window_t> all = windows;
    all.push_back(third.front());
    ASSERT_TRUE(user->focus(activeOf(windows)));
    const auto tabs = tabsOf(strip);
    ASSERT_EQ(tabs.size(), 2u);
    ASSERT_TRUE(opensMenu([&] { user->click(Point{tabs.back().maxX + 2 + 11, shownBar(strip).rect.midY()}); }))
        << "no menu from the add button";
    user->input.moveTo(Point{100, 900});
    tap(Keys::down);
    tap(Keys::returnKey);
    EXPECT_TRUE(user->waitUntil([&] { return tabsOf(strip).size() == 3; })) << "the third window was not added";
    EXPECT_TRUE(user->waitForSharedFrame(third.front(), windows.front()));

    // "Name Group…" from the bar's menu: a dialog of the program with the
    // keyboard focus; typing a name and Return puts it on the bar.
    std::vector<ShownTab> threeTabs;
    ASSERT_TRUE(user->waitUntil([&] { return (threeTabs = tabsOf(strip)).size() == 3; }))
        << "the bar shows " << describeTabs(tabsOf(strip));
    const double firstTab = threeTabs.front().minX;
    ASSERT_TRUE(chooseFromBarMenu(shownBar(strip), 1));
    xcb_window_t dialog = kNoWindow;
    ASSERT_TRUE(user->waitUntil([&] {
        const xcb_window_t active = desktop->windows().activeWindow();
        const auto pid = desktop->windows().pids({active});
        if (active == kNoWindow || pid.empty() || pid.front() != ProcessID{program->pid()}) return false;
        dialog = active;
        xcb_connection_t* c = desktop->connection().get();
        auto focus = xcbReply(c, xcb_get_input_focus_reply, xcb_get_input_focus(c));
        return focus && (focus->focus == dialog || desktop->windows().frameWindows({focus->focus}).front() ==
                                                       desktop->windows().frameWindows({dialog}).front());
    })) << "the name dialog did not come forward with the keyboard (active window "
        << desktop->windows().activeWindow() << ")";
    type("work");
    tap(Keys::returnKey);
    EXPECT_TRUE(user->waitUntil([&] { return !desktop->windows().exists(dialog) || !user->info(dialog).viewable; }));
    EXPECT_TRUE(user->waitUntil([&] {
        const auto now = tabsOf(strip);
        return now.size() == 3 && now.front().minX > firstTab + 20;
    })) << "no name before the tabs (" << describeTabs(tabsOf(strip)) << ")";
}

// Qt drawing at twice the size (QT_SCALE_FACTOR=2, as on a HiDPI screen):
// the bar is twice as tall in X pixels, and so is the room the program
// keeps free above a group.
class ScaledTabBarTest : public TabBarTest {
protected:
    TessalyProgram::Options programOptions() const override {
        TessalyProgram::Options options;
        options.environment["QT_SCALE_FACTOR"] = "2";
        return options;
    }
};

TEST_F(ScaledTabBarTest, AMaximisedGroupLeavesExactlyTheBarsHeightInXPixelsAboveIt) {
    user->barHeight = 2 * kBarHeight;
    const auto left = desktop->launchXlogo("420x260+200+300");
    const auto right = desktop->launchXlogo("420x260+700+300");
    ASSERT_TRUE(left && right);
    std::string why;
    ASSERT_TRUE(user->groupByDragRetrying(right->window, left->window, why)) << why;
    const xcb_window_t active = user->barAbove(left->window) ? left->window : right->window;
    const auto bar = user->barAbove(active);
    ASSERT_TRUE(bar) << "no bar " << user->barHeight << " pixels high on the group";

    // A double click on the bar's background, past its buttons.
    user->input.moveTo(Point{bar->rect.maxX() - 24, bar->rect.midY()});
    for (int i = 0; i < 2; ++i) {
        user->input.press(1);
        user->input.release(1);
    }
    const Rect strip{0, 0, 1600, user->barHeight};  // no panels on this desktop
    const Rect work{0, strip.maxY(), 1600, 1000 - strip.maxY()};
    EXPECT_TRUE(user->waitUntil([&] {
        const auto shown = user->barAbove(active);
        return user->frame(active) == work && user->shareFrame(left->window, right->window) && shown &&
               shown->rect == strip;
    })) << "maximised to " << DesktopUser::describe(user->frame(active)) << " with the bar at "
        << DesktopUser::describe(user->overlays());
}

}  // namespace
}  // namespace tessaly::e2e
