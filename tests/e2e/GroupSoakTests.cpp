// Groups under a long mixed use on stock openbox, with a seeded random
// choice of steps: grouping by a Shift-drag, a member minimised and
// restored, the monitor layout changed (xrandr), a plain title-bar drag, a
// tab clicked. After every step (and once the displays settled after a
// layout change) every group still shares one frame. The test keeps its own
// record of the groups: a drop joins the dragged window to the target's
// group once the two share a frame.
#include "BarTabs.h"
#include "EndToEndTest.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class GroupSoakTest : public EndToEndTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndTest::desktopOptions();
        options.manager = test::X11WindowManager::openbox;
        return options;
    }
    void SetUp() override {
        EndToEndTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        TessalyProgram::Options options;
        options.diagnostics = true;
        ASSERT_TRUE(startProgram(options));
        for (int i = 0; i < 4; ++i) {
            const auto xterm = desktop->launchXterm("soak-" + std::to_string(i + 1),
                                                    "60x12+" + std::to_string(40 + 380 * i) + "+" +
                                                        std::to_string(120 + 250 * (i % 2)));
            ASSERT_TRUE(xterm);
            windows.push_back(xterm->window);
        }
    }

    // ---- The groups as the test made them ----
    std::vector<std::vector<xcb_window_t>> groups;
    std::vector<xcb_window_t> windows;
    std::string steps;  // what was done, for a failure's message

    std::string name(xcb_window_t window) const {
        return std::to_string(std::find(windows.begin(), windows.end(), window) - windows.begin() + 1);
    }
    // "(1 2)(3 4)": the groups as the test has them.
    std::string describeGroups() const {
        std::string text;
        for (const auto& group : groups) {
            text += "(";
            for (const xcb_window_t member : group) text += name(member) + (member == group.back() ? "" : " ");
            text += ")";
        }
        return text;
    }
    std::vector<xcb_window_t>* groupOf(xcb_window_t window) {
        for (auto& group : groups) {
            if (std::find(group.begin(), group.end(), window) != group.end()) return &group;
        }
        return nullptr;
    }
    // The windows a user can take hold of: each group's member on top (the
    // one its bar stands above) and every window in no group.
    std::vector<xcb_window_t> reachable() {
        std::vector<xcb_window_t> found;
        for (const xcb_window_t window : windows) {
            if (!groupOf(window) || user->barAbove(window)) found.push_back(window);
        }
        return found;
    }
    // Every group shares one frame (judged by size increments), or says how not.
    std::string split() {
        for (const auto& group : groups) {
            for (const xcb_window_t member : group) {
                if (!user->shareFrame(group.front(), member)) {
                    return DesktopUser::describe(user->frame(group.front())) + " and " +
                           DesktopUser::describe(user->frame(member)) + " in one group";
                }
            }
        }
        return "";
    }
    ::testing::AssertionResult togetherAfter(const std::string& step, milliseconds patience = test::kX11Patience) {
        steps += step + "; ";
        // A display change holds frames back until the displays settled;
        // then the groups are put back.
        if (!user->waitUntil([&] { return program->process().count(settleClosed) >= layoutChanges; })) {
            return ::testing::AssertionFailure() << "the displays never settled after: " << steps;
        }
        std::string why;
        if (user->waitUntil([&] { return (why = split()).empty(); }, patience)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << why << " after: " << steps;
    }

    // ---- Steps ----
    // The drop decides, not what showed during the drag: a preview seen
    // too late still groups. A drop after a preview groups, however long a
    // busy machine takes; one without may or may not, and has a few seconds.
    void group(xcb_window_t dragged, xcb_window_t target) {
        std::string why;
        const bool previewed = user->groupByDrag(dragged, target, why);
        if (!previewed) steps += "(no preview: " + why + ") ";
        const milliseconds patience = previewed ? test::kX11Patience : milliseconds(3000);
        if (!user->waitUntil([&] { return user->shareFrame(dragged, target); }, patience)) {
            steps += "(the drop on " + DesktopUser::describe(user->frame(target)) + " did not group) ";
            return;
        }
        if (auto* old = groupOf(dragged)) {
            std::erase(*old, dragged);
            if (old->size() < 2) old->clear();
        }
        std::erase_if(groups, [](const auto& g) { return g.empty(); });
        if (auto* joined = groupOf(target)) joined->push_back(dragged);
        else groups.push_back({target, dragged});
    }
    void minimiseAndRestore(xcb_window_t member) {
        desktop->windows().minimize(member);
        user->waitUntil([&] { return desktop->windows().iconified(member) == true; });
        desktop->windows().activate(member);
        user->waitUntil([&] { return user->info(member).viewable; });
    }
    void changeLayout(bool split) {
        ++layoutChanges;
        if (split) {
            desktop->run({"xrandr", "--setmonitor", "LEFT", "800/211x1000/264+0+0", "screen"});
            desktop->run({"xrandr", "--setmonitor", "RIGHT", "800/211x1000/264+800+0", "none"});
        } else {
            desktop->run({"xrandr", "--delmonitor", "LEFT"});
            desktop->run({"xrandr", "--delmonitor", "RIGHT"});
        }
    }
    // A plain drag of the title bar, kept on the screen.
    void drag(xcb_window_t window, Point by) {
        const Point grab = user->titleBarPoint(window);
        std::string why;
        user->dragTitleBar(window, Point{std::clamp(grab.x + by.x, 40.0, 1560.0), std::clamp(grab.y + by.y, 10.0, 900.0)},
                           false, why);
    }
    void clickTab(const std::vector<xcb_window_t>& members, std::size_t index) {
        for (const xcb_window_t member : members) {
            const auto bar = user->barAbove(member);
            if (!bar) continue;
            const auto tabs = tabsOf(*desktop, *bar);
            if (index < tabs.size()) user->click(Point{tabs[index].midX(), bar->rect.midY()});
            return;
        }
    }

    static constexpr const char* settleClosed = "display settle closed";
    std::size_t layoutChanges = 0;
};

// The sequence that left two members apart for good.
TEST_F(GroupSoakTest, AGroupStaysTogetherThroughARestoreALayoutChangeADragAndATabClick) {
    group(windows[1], windows[0]);
    ASSERT_EQ(groups.size(), 1u) << "the windows could not be grouped " << steps;
    ASSERT_TRUE(togetherAfter("grouped"));
    const xcb_window_t other = user->barAbove(windows[0]) ? windows[1] : windows[0];
    minimiseAndRestore(other);
    ASSERT_TRUE(togetherAfter("minimised and restored"));
    changeLayout(true);
    xcb_window_t top = user->barAbove(windows[0]) ? windows[0] : windows[1];
    drag(top, Point{40, 40});
    clickTab(groups.front(), top == groups.front()[0] ? 1 : 0);
    EXPECT_TRUE(togetherAfter("layout changed, dragged, tab clicked"));
}

// Seeded steps, each followed by the check; seed 11 is the run that once
// left a group split.
class GroupSoakSeedTest : public GroupSoakTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(GroupSoakSeedTest, EveryGroupSharesOneFrameAfterEveryStep) {
    std::mt19937 random(GetParam());
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const auto deadline = steady_clock::now() + std::chrono::seconds(45);
    bool splitLayout = false;
    for (int step = 0; step < 16 && steady_clock::now() < deadline; ++step) {
        const std::size_t kind = pick(20);
        const auto hold = reachable();
        if (hold.empty()) continue;  // a bar between two places: look again
        if (kind < 6 || groups.empty()) {
            // A window onto another window not of its group.
            const xcb_window_t dragged = hold[pick(hold.size())];
            std::vector<xcb_window_t> targets;
            for (const xcb_window_t w : hold) {
                if (w != dragged && (!groupOf(w) || groupOf(w) != groupOf(dragged))) targets.push_back(w);
            }
            if (targets.empty()) continue;
            const xcb_window_t target = targets[pick(targets.size())];
            group(dragged, target);
            ASSERT_TRUE(togetherAfter("dragged " + name(dragged) + " onto " + name(target) + " " + describeGroups()));
        } else if (kind < 9) {
            const auto& members = groups[pick(groups.size())];
            minimiseAndRestore(members[pick(members.size())]);
            ASSERT_TRUE(togetherAfter("minimised and restored a member"));
        } else if (kind < 11) {
            splitLayout = !splitLayout;
            changeLayout(splitLayout);
            ASSERT_TRUE(togetherAfter(splitLayout ? "two monitors" : "one monitor"));
        } else if (kind < 16) {
            const xcb_window_t window = hold[pick(hold.size())];
            const Point by{static_cast<double>(pick(301)) - 150, static_cast<double>(pick(201)) - 100};
            drag(window, by);
            ASSERT_TRUE(togetherAfter("dragged by " + DesktopUser::describe(by)));
        } else {
            const auto& members = groups[pick(groups.size())];
            clickTab(members, pick(members.size()));
            ASSERT_TRUE(togetherAfter("clicked a tab"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, GroupSoakSeedTest, ::testing::Values(11u, 5u, 23u));

// Three groups of two used as people use them, seeded: title-bar drags,
// bursts of moves sent by another client, tab clicks, the tab-cycle hotkey,
// a member minimised and restored, a third window grouped in and closed.
// Every group shares one frame after every step, and no member was ever
// sent back in vain.
class GroupSoakPairsTest : public GroupSoakTest, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        EndToEndTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (int i = 0; i < 6; ++i) {
            const auto xterm = desktop->launchXterm("pair-" + std::to_string(i + 1),
                                                    "60x12+" + std::to_string(40 + 520 * (i / 2)) + "+" +
                                                        std::to_string(200 + 40 * (i % 2)));
            ASSERT_TRUE(xterm);
            windows.push_back(xterm->window);
        }
        for (std::size_t i = 0; i < 6; i += 2) groups.push_back({windows[i], windows[i + 1]});
        TessalyProgram::Options options;
        options.diagnostics = true;
        ASSERT_TRUE(startProgramWithGroups(groups, options));
        for (const auto& pair : groups) ASSERT_TRUE(user->waitForBarAbove(pair.front()));
    }
    // The member of the group its bar stands above (none between two places).
    std::optional<xcb_window_t> top(const std::vector<xcb_window_t>& group) {
        for (const xcb_window_t member : group) {
            if (user->barAbove(member)) return member;
        }
        return std::nullopt;
    }
    // Moves as a pager sends them, as fast as it can, from where the window is.
    void burst(xcb_window_t window, Point by) {
        const Point from = user->frame(window).origin;
        for (int i = 1; i <= 20; ++i) {
            desktop->windows().setPosition(window, Point{std::round(from.x + by.x * i / 20), std::round(from.y + by.y * i / 20)});
        }
    }
    // Control+Alt+→ and back with Control+Alt+←: the tabs cycle forth and
    // back, or, where the window manager keeps the keys (openbox), the
    // desktop changes and comes back.
    ::testing::AssertionResult pressAndComeBack() {
        for (const xcb_keysym_t arrow : {KeySym::right, KeySym::left}) {
            user->input.keyDown(KeySym::controlL);
            user->input.keyDown(KeySym::altL);
            user->input.keyDown(arrow);
            user->input.keyUp(arrow);
            user->input.keyUp(KeySym::altL);
            user->input.keyUp(KeySym::controlL);
            if (arrow == KeySym::right) {
                user->waitUntil([&] { return user->bars().size() < groups.size(); }, std::chrono::milliseconds(500));
            }
        }
        if (!user->waitUntil([&] { return user->bars().size() == groups.size(); })) {
            return ::testing::AssertionFailure() << "the bars did not come back";
        }
        return togetherAfter("Control+Alt+Right and Left");
    }
    // A new window joins the group, then closes.
    ::testing::AssertionResult groupInAndClose(xcb_window_t target) {
        const auto extra = desktop->launchXterm("extra", "60x12+700+700");
        if (!extra) return ::testing::AssertionFailure() << "the extra window did not start";
        windows.push_back(extra->window);
        group(extra->window, target);
        auto result = togetherAfter("grouped a third window in " + describeGroups());
        desktop->windows().close(extra->window);
        desktop->waitUntil([&] { return !desktop->windows().exists(extra->window); });
        if (auto* joined = groupOf(extra->window)) std::erase(*joined, extra->window);
        std::erase(windows, extra->window);
        if (!result) return result;
        return togetherAfter("closed the third window");
    }
};

TEST_P(GroupSoakPairsTest, EveryGroupSharesOneFrameAndNoMemberIsChasedInVain) {
    std::mt19937 random(GetParam());
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const auto offset = [&] {
        return Point{static_cast<double>(pick(301)) - 150, static_cast<double>(pick(201)) - 100};
    };
    const auto deadline = steady_clock::now() + std::chrono::seconds(90);
    for (int step = 0; step < 30 && steady_clock::now() < deadline; ++step) {
        const std::size_t kind = pick(12);
        const auto& pair = groups[pick(groups.size())];
        const auto shown = top(pair);
        if (!shown) continue;  // a bar between two places: look again
        if (kind < 4) {
            drag(*shown, offset());
            ASSERT_TRUE(togetherAfter("dragged by a title bar"));
        } else if (kind < 6) {
            const Point by = offset();
            const Rect at = user->frame(*shown);
            burst(*shown, Point{std::clamp(by.x, 40 - at.minX(), 1200 - at.minX()), std::clamp(by.y, 40 - at.minY(), 700 - at.minY())});
            ASSERT_TRUE(togetherAfter("a burst of moves"));
        } else if (kind < 8) {
            clickTab(pair, pick(pair.size()));
            ASSERT_TRUE(togetherAfter("clicked a tab"));
        } else if (kind < 9) {
            user->click(user->titleBarPoint(*shown));
            ASSERT_TRUE(pressAndComeBack());
        } else if (kind < 11) {
            minimiseAndRestore(pair[pick(pair.size())]);
            ASSERT_TRUE(togetherAfter("minimised and restored a member"));
        } else {
            ASSERT_TRUE(groupInAndClose(*shown));
        }
    }
    EXPECT_EQ(program->process().count("snap-back budget exhausted: "), 0u) << "after: " << steps;
}

// Seed 4 once left a member apart that was moved with the button held while
// a third window joined its group.
INSTANTIATE_TEST_SUITE_P(Seeds, GroupSoakPairsTest, ::testing::Values(3u, 4u, 17u));

}  // namespace
}  // namespace tessaly::e2e
