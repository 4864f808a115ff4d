// What the user does on tab bars, on a real desktop (Xvfb + openbox, real
// clients, XTEST input): a tab dragged off its bar shows as a chip that
// takes no input and stands above everything, and lands in another group's
// bar at the gap it opened, and one pulled straight down pops out; the
// bar's background is dragged with the pointer far outside it and
// double-clicked; a drag from another application (XDND) spring-loads a
// tab and is never dropped on the bar.
// Each case runs in a child process on a desktop of its own.
// First: the X11 headers it reaches must come before Qt's "emit" keyword.
#include "OverlayOnX11.h"

#include <xcb/shape.h>

#include <cmath>
#include <string>
#include <vector>

#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabDragChip.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "Platform/Qt/QtX11Coordinates.h"

namespace tessaly::test {
namespace {

class TabGesturesOnX11 : public OverlayOnX11 {
protected:
    // A group of two xlogo windows at `geometry`, its bar shown and laid out.
    TabGroup shownGroup(const std::string& where) {
        const auto first = desktop().launchXlogo(where);
        const auto second = desktop().launchXlogo(where);
        EXPECT_TRUE(first && second);
        if (!first || !second) return TabGroup();
        const TabGroup group = groupOf({*first, *second}, 1);
        manager->apply(GroupEvent::groupCreated(group));
        const xcb_window_t strip = stripWindow(group.id);
        EXPECT_TRUE(waitUntil([&] {
            // Qt knows where its window is: global points of the bar are right.
            const TabBarView& view = bar(group.id).view();
            const TabItemView* tab = view.tabItem(first->window);
            const Rect placed = geometry(strip);
            return isViewable(strip) && placed == bar(group.id).stripPanel().frame() && tab && tab->width() > 0 &&
                   onScreen(view, QPoint(0, 0)) == placed.origin;
        })) << "the bar of the group at " << where << " was not laid out";
        return group;
    }

    // A point of a widget in X root pixels.
    static Point onScreen(const QWidget& widget, QPoint local) {
        return QtX11Coordinates::toX(QPointF(widget.mapToGlobal(local)));
    }
    void moveTo(Point p) { fake(XCB_MOTION_NOTIFY, 0, static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))); }
    // Moves the pointer in steps of about 10 pixels, letting Qt handle each.
    void glide(Point from, Point to) {
        const int steps = std::max(1, static_cast<int>(std::hypot(to.x - from.x, to.y - from.y) / 10));
        for (int i = 1; i <= steps; ++i) {
            moveTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
            QCoreApplication::processEvents();
        }
    }

    bool hasEmptyInputShape(xcb_window_t window) {
        auto& x = desktop().connection();
        XReply<xcb_shape_get_rectangles_reply_t> shape(xcb_shape_get_rectangles_reply(
            x.get(), xcb_shape_get_rectangles(x.get(), window, XCB_SHAPE_SK_INPUT), nullptr));
        return shape && xcb_shape_get_rectangles_rectangles_length(shape.get()) == 0;
    }

    bool hasIntent(const std::string& intent) {
        return std::find(delegate->intents.begin(), delegate->intents.end(), intent) != delegate->intents.end();
    }
};

// ---- A tab dragged to another group's bar, and to the desktop ----

TEST(TabGesturesOnX11, ATabDraggedOffItsBarShowsAnInputlessChipOnTopAndLandsAtTheGap) {
    QtOnX11::runSuite("TabGesturesOnX11_CrossBar");
}

TEST(TabGesturesOnX11, UnderQtScalingTheChipAndTheGapStillFollowThePointerInXPixels) {
    QtOnX11::runSuite("TabGesturesOnX11_CrossBar", {{"QT_SCALE_FACTOR", "2"}});
}

TESSALY_QT_X11_TEST_F(TabGesturesOnX11, TabGesturesOnX11_CrossBar, Run) {
    const TabGroup source = shownGroup("400x150+200+200");
    const TabGroup target = shownGroup("400x150+200+600");
    ASSERT_FALSE(HasFailure());
    TabBarView& sourceView = bar(source.id).view();
    TabBarView& targetView = bar(target.id).view();
    const WindowID dragged = source.members.front().windowID;
    TabItemView& tab = *sourceView.tabItem(dragged);

    const Point grab = onScreen(tab, tab.rect().center());
    moveTo(grab);
    fake(XCB_BUTTON_PRESS, 1);
    // Sideways first (a press becomes a drag only so), then far below the bar.
    const Point sideways{grab.x + 20, grab.y};
    glide(grab, sideways);
    const Point below{sideways.x, sideways.y + 150};
    glide(sideways, below);
    ASSERT_TRUE(waitUntil([&] { return sourceView.dragChip() && sourceView.dragChip()->isShown(); }))
        << "no chip after the tab left its bar";
    QtOverlayPanel& chip = sourceView.dragChip()->panel();
    const xcb_window_t chipWindow = chip.windowNumber();
    ASSERT_TRUE(waitUntil([&] { return isViewable(chipWindow) && geometry(chipWindow) == chip.frame(); }));
    EXPECT_TRUE(isOverrideRedirect(chipWindow));
    EXPECT_TRUE(hasEmptyInputShape(chipWindow)) << "the chip would take the pointer";
    EXPECT_TRUE(waitUntil([&] { return stacking().back() == chipWindow; })) << "the chip is not on top";
    // It keeps to the pointer once Qt has had the last move.
    EXPECT_TRUE(waitUntil([&] { return chip.frame().contains(below) && geometry(chipWindow) == chip.frame(); }))
        << "chip at " << chip.frame() << " for the pointer at " << below.x << "," << below.y;
    EXPECT_EQ(chip.frame().width(), tab.width() * qApp->devicePixelRatio());

    // Over the other group's bar, before its second tab: the gap opens there.
    TabItemView& targetSecond = *targetView.tabItem(target.members.back().windowID);
    const Point overTarget = onScreen(targetSecond, QPoint(4, targetSecond.height() / 2));
    glide(below, overTarget);
    ASSERT_TRUE(waitUntil([&] { return targetView.gapSlot() == 1 && chip.frame().contains(overTarget); }))
        << "no gap at the pointer";
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(waitUntil([&] { return hasIntent("moveToGroup " + std::to_string(dragged) + " 1"); }))
        << "the drop did not move the tab";
    EXPECT_TRUE(waitUntil([&] { return !isViewable(chipWindow); }));
    EXPECT_FALSE(hasIntent("popOut " + std::to_string(dragged)));

    // The other tab, pulled straight down (a hair sideways) and released
    // over the empty desktop, pops out.
    const WindowID other = source.members.back().windowID;
    TabItemView& second = *sourceView.tabItem(other);
    const Point start = onScreen(second, second.rect().center());
    moveTo(start);
    fake(XCB_BUTTON_PRESS, 1);
    glide(start, {start.x + 3, start.y + 250});
    ASSERT_TRUE(waitUntil([&] { return isViewable(chipWindow); }));
    fake(XCB_BUTTON_RELEASE, 1);
    EXPECT_TRUE(waitUntil([&] { return hasIntent("popOut " + std::to_string(other)); }));
    EXPECT_TRUE(waitUntil([&] { return !isViewable(chipWindow); }));
}

// ---- The background: dragged outside the bar, double-clicked ----

TEST(TabGesturesOnX11, TheBarBackgroundFollowsThePointerOutsideTheBarAndADoubleClickMaximises) {
    QtOnX11::runSuite("TabGesturesOnX11_Background");
}

TESSALY_QT_X11_TEST_F(TabGesturesOnX11, TabGesturesOnX11_Background, Run) {
    const TabGroup group = shownGroup("500x200+300+300");
    ASSERT_FALSE(HasFailure());
    TabBarView& view = bar(group.id).view();
    const Point press = onScreen(view, QPoint(view.width() - 6, view.height() / 2));

    moveTo(press);
    fake(XCB_BUTTON_PRESS, 1);
    const Point away{press.x - 120, press.y + 200};  // far outside the bar
    glide(press, away);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(waitUntil([&] { return hasIntent("endDrag"); }));
    double dx = 0, dy = 0;
    for (const std::string& intent : delegate->intents) {
        double x = 0, y = 0;
        if (std::sscanf(intent.c_str(), "dragBy %lf %lf", &x, &y) == 2) {
            dx += x;
            dy += y;
        }
    }
    EXPECT_EQ(delegate->intents.front(), "activate");
    EXPECT_EQ(delegate->intents.back(), "endDrag");
    EXPECT_EQ(dx, away.x - press.x);
    EXPECT_EQ(dy, away.y - press.y);

    delegate->intents.clear();
    moveTo(press);
    for (int click = 0; click < 2; ++click) {
        fake(XCB_BUTTON_PRESS, 1);
        fake(XCB_BUTTON_RELEASE, 1);
    }
    ASSERT_TRUE(waitUntil([&] { return hasIntent("maximize"); })) << "no double click seen";
    EXPECT_EQ(delegate->intents, (std::vector<std::string>{"activate", "endDrag", "maximize"}));
}

// ---- Another application's drag spring-loads a tab ----

// An XDND drag source of our own, on a connection of its own: it offers
// types, sends positions, drops, and reads the bar's answers.
class XdndSource {
public:
    explicit XdndSource(const std::string& display) : x_(X11Connection::open(display)) {
        window_ = xcb_generate_id(x_->get());
        xcb_create_window(x_->get(), XCB_COPY_FROM_PARENT, window_, x_->root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        x_->sync();
    }
    ~XdndSource() {
        xcb_destroy_window(x_->get(), window_);
        x_->flush();
    }

    struct Answer {
        std::string type;
        std::uint32_t flags = 0;  // data[1]
        std::uint32_t action = 0;
    };

    void enter(xcb_window_t target, const std::vector<std::string>& types) {
        std::vector<xcb_atom_t> atoms;
        for (const auto& type : types) atoms.push_back(x_->internAtom(type));
        if (atoms.size() > 3) {
            xcb_change_property(x_->get(), XCB_PROP_MODE_REPLACE, window_, atom("XdndTypeList"), XCB_ATOM_ATOM, 32,
                                static_cast<std::uint32_t>(atoms.size()), atoms.data());
        }
        atoms.resize(std::max<std::size_t>(atoms.size(), 3), XCB_ATOM_NONE);
        send(target, "XdndEnter", window_, (5u << 24) | (types.size() > 3 ? 1u : 0u), atoms[0], atoms[1], atoms[2]);
    }
    void position(xcb_window_t target, Point root) {
        const auto x = static_cast<std::uint32_t>(std::lround(root.x)), y = static_cast<std::uint32_t>(std::lround(root.y));
        send(target, "XdndPosition", window_, 0, (x << 16) | y, XCB_CURRENT_TIME, atom("XdndActionCopy"));
    }
    void drop(xcb_window_t target) { send(target, "XdndDrop", window_, 0, XCB_CURRENT_TIME); }

    // The answers that have come since the last call.
    std::vector<Answer> answers() {
        std::vector<Answer> got;
        while (XEvent event{xcb_poll_for_event(x_->get())}) {
            if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) continue;
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
            got.push_back({x_->atomName(message->type), message->data.data32[1], message->data.data32[4]});
        }
        return got;
    }

private:
    xcb_atom_t atom(const char* name) const { return x_->internAtom(name); }
    void send(xcb_window_t target, const char* type, std::uint32_t d0, std::uint32_t d1 = 0, std::uint32_t d2 = 0,
              std::uint32_t d3 = 0, std::uint32_t d4 = 0) {
        x_->sendClientMessage(target, target, atom(type), d0, d1, d2, d3, d4);
        x_->flush();
    }

    std::unique_ptr<X11Connection> x_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
};

TEST(TabGesturesOnX11, AFileDraggedFromAnotherApplicationSelectsTheTabItRestsOnAndIsNeverDropped) {
    QtOnX11::runSuite("TabGesturesOnX11_Spring");
}

TESSALY_QT_X11_TEST_F(TabGesturesOnX11, TabGesturesOnX11_Spring, Run) {
    const TabGroup group = shownGroup("500x200+300+300");
    ASSERT_FALSE(HasFailure());
    TabBarView& view = bar(group.id).view();
    const xcb_window_t strip = stripWindow(group.id);
    const WindowID inactive = group.members.front().windowID;
    TabItemView& active = *view.tabItem(group.activeWindowID);
    TabItemView& other = *view.tabItem(inactive);

    XdndSource source(desktop().display());
    std::vector<XdndSource::Answer> answers;
    const auto collect = [&] {
        for (auto& answer : source.answers()) answers.push_back(answer);
    };
    source.enter(strip, {"text/uri-list", "text/plain", "text/x-moz-url", "application/x-private"});
    // Over the active tab first: it never springs, and the bar says no.
    source.position(strip, onScreen(active, active.rect().center()));
    ASSERT_TRUE(waitUntil([&] {
        collect();
        return !answers.empty();
    })) << "no answer to the first position";
    EXPECT_EQ(answers.back().type, "XdndStatus");
    EXPECT_EQ(answers.back().flags & 1u, 0u) << "the bar offered to take the drop";

    // On to the inactive tab: the bar still hears the pointer, and the tab
    // springs once the pointer has rested on it.
    // A source sends the next position only once the last one is answered
    // (Qt folds positions that queue up into one).
    int positions = 1;
    const bool sprang = waitUntil([&] {
        collect();
        if (static_cast<int>(answers.size()) >= positions) {
            source.position(strip, onScreen(other, other.rect().center() + QPoint(positions % 3, 0)));
            ++positions;
        }
        return hasIntent("select " + std::to_string(inactive));
    });
    ASSERT_TRUE(sprang) << "the tab under the drag never sprang (" << answers.size() << " answers to " << positions
                        << " positions)";
    EXPECT_EQ(view.springLoading().springTarget(), inactive);
    ASSERT_TRUE(waitUntil([&] {
        collect();
        return static_cast<int>(answers.size()) >= positions - 1;
    })) << "positions went unanswered";
    for (const auto& answer : answers) EXPECT_EQ(answer.flags & 1u, 0u) << "the bar offered to take the drop";

    source.drop(strip);
    ASSERT_TRUE(waitUntil([&] {
        collect();
        return answers.back().type == "XdndFinished";
    })) << "the drop was not answered";
    EXPECT_EQ(answers.back().flags & 1u, 0u) << "the bar took the drop";
    EXPECT_EQ(view.springLoading().springTarget(), std::nullopt);
    EXPECT_EQ(std::count(delegate->intents.begin(), delegate->intents.end(), "select " + std::to_string(inactive)), 1);
}

}  // namespace
}  // namespace tessaly::test
