// The event reader never waits for the server on its thread, not even when
// what it keeps must be read anew: the left button after a change of the
// pointer mapping, of the input devices or a release it did not see pressed,
// the stacking order, the window manager's check window after a restart.
// Each answer is taken in its place among the events, so what the reader
// keeps stays what the server has.
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11EventLog.h"
#include "Platform/X11/X11RawInput.h"

#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <atomic>
#include <cstring>

namespace tessaly::test {
namespace {

using Kind = X11Event::Kind;

class X11ReaderInPlaceTest : public X11DesktopTest {
protected:
    void SetUp() override {
        X11DesktopTest::SetUp();
        if (!desktop) return;
        X11Connection& x = desktop->connection();
        mark = xcb_generate_id(x.get());
        xcb_create_window(x.get(), 0, mark, x.root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        x.sync();
        X11RoundTrips::setCounting(true);
        const auto handler = log.handler();
        reader = X11EventReader::start(
            desktop->display(),
            [this, handler](const X11Event& event) {
                trips = X11RoundTrips::countOnThisThread();
                marks += event.kind == Kind::marked;
                handler(event);
            },
            mark, &buttons);
        ASSERT_TRUE(reader);
        original = desktop->pointerMapping();
    }
    void TearDown() override {
        if (desktop) {
            for (const std::uint8_t b : {1, 2, 3}) fake(XCB_BUTTON_RELEASE, b);
            if (!original.empty()) desktop->setPointerMapping(original);
        }
        reader.reset();
        X11RoundTrips::setCounting(false);
        X11DesktopTest::TearDown();
    }

    // Waits until the reader has handled every event the server sent
    // before this; answers the round trips its thread has made so far.
    std::uint64_t markedTrips() {
        X11Connection& x = desktop->connection();
        const int before = marks;
        xcb_change_property(x.get(), XCB_PROP_MODE_APPEND, mark, x.atoms().TESSALY_MARK, XCB_ATOM_CARDINAL, 32, 0,
                            nullptr);
        x.flush();
        EXPECT_TRUE(log.waitFor([&](const X11Event&) { return marks > before; }));
        return trips.load();
    }

    void fake(std::uint8_t type, std::uint8_t button) {
        X11Connection& x = desktop->connection();
        xcb_test_fake_input(x.get(), type, button, XCB_CURRENT_TIME, x.root(), 0, 0, XCB_NONE);
        x.flush();
    }
    bool leftBecomes(ButtonState state) {
        return desktop->waitUntil([&] { return buttons.left() == state; });
    }
    bool serverSaysLeftDown() {
        X11Connection& x = desktop->connection();
        const auto pointer = xcbReply(x.get(), xcb_query_pointer_reply, xcb_query_pointer(x.get(), x.root()));
        return pointer && (pointer->mask & XCB_BUTTON_MASK_1);
    }

    // Adds a master pointer and keyboard (answers the pointer's id, 0 when
    // the server refused), or removes them again.
    xcb_input_device_id_t addMaster(const char* name) {
        X11Connection& x = desktop->connection();
        struct {
            xcb_input_add_master_t head;
            char name[16];
        } add{};
        add.head.type = XCB_INPUT_HIERARCHY_CHANGE_TYPE_ADD_MASTER;
        add.head.name_len = static_cast<std::uint16_t>(std::strlen(name));
        add.head.len = static_cast<std::uint16_t>((sizeof add.head + (add.head.name_len + 3) / 4 * 4) / 4);
        add.head.send_core = 1;
        add.head.enable = 1;
        std::strncpy(add.name, name, sizeof add.name - 1);
        if (!X11RawInput::announce(x, true)) return 0;
        if (!x.check(xcb_input_xi_change_hierarchy_checked(
                x.get(), 1, reinterpret_cast<const xcb_input_hierarchy_change_t*>(&add)))) {
            return 0;
        }
        const auto devices = xcbReply(x.get(), xcb_input_xi_query_device_reply,
                                      xcb_input_xi_query_device(x.get(), XCB_INPUT_DEVICE_ALL_MASTER));
        if (!devices) return 0;
        const std::string pointer = std::string(name) + " pointer";
        for (auto it = xcb_input_xi_query_device_infos_iterator(devices.get()); it.rem; xcb_input_xi_device_info_next(&it)) {
            const std::string found(xcb_input_xi_device_info_name(it.data), it.data->name_len);
            if (found == pointer) return it.data->deviceid;
        }
        return 0;
    }
    void removeMaster(xcb_input_device_id_t pointer) {
        X11Connection& x = desktop->connection();
        xcb_input_remove_master_t remove{};
        remove.type = XCB_INPUT_HIERARCHY_CHANGE_TYPE_REMOVE_MASTER;
        remove.len = sizeof remove / 4;
        remove.deviceid = pointer;
        remove.return_mode = XCB_INPUT_CHANGE_MODE_FLOAT;
        xcb_input_xi_change_hierarchy(x.get(), 1, reinterpret_cast<const xcb_input_hierarchy_change_t*>(&remove));
        x.flush();
    }

    // An override-redirect window of the test's own, shown at once.
    xcb_window_t showPopup(std::int16_t x0) {
        X11Connection& x = desktop->connection();
        const xcb_window_t w = xcb_generate_id(x.get());
        const std::uint32_t values[] = {x.screen().white_pixel, 1};
        xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, w, x.root(), x0, 40, 60, 40, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(x.get(), w);
        return w;
    }
    void stackAbove(xcb_window_t w, xcb_window_t sibling) {
        const std::uint32_t values[] = {sibling, XCB_STACK_MODE_ABOVE};
        xcb_configure_window(desktop->connection().get(), w, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                             values);
    }
    std::vector<xcb_window_t> serverStack() {
        X11Connection& x = desktop->connection();
        const auto tree = xcbReply(x.get(), xcb_query_tree_reply, xcb_query_tree(x.get(), x.root()));
        if (!tree) return {};
        const auto* children = xcb_query_tree_children(tree.get());
        return {children, children + xcb_query_tree_children_length(tree.get())};
    }

    X11EventLog log;
    X11ButtonState buttons;
    std::atomic<std::uint64_t> trips{0};  // made by the reader's thread, as of its last event
    std::atomic<int> marks{0};
    xcb_window_t mark = kNoWindow;
    std::unique_ptr<X11EventReader> reader;
    std::vector<std::uint8_t> original;
};

TEST_F(X11ReaderInPlaceTest, WhatTheReaderReadsAgainKeepsItsPlaceAmongTheEventsWithoutARoundTrip) {
    ASSERT_GE(original.size(), 3u);
    ASSERT_TRUE(leftBecomes(ButtonState::up)) << "no XInput 2.2 raw events";
    const auto tripsAtStart = markedTrips();

    // The mapping changes while the left button is held (buttons 2 and 3
    // swap; the server refuses changes of held ones): the state is read
    // again, and the held button is in it.
    fake(XCB_BUTTON_PRESS, 1);
    ASSERT_TRUE(leftBecomes(ButtonState::down));
    auto swapped = original;
    std::swap(swapped[1], swapped[2]);
    ASSERT_TRUE(desktop->setPointerMapping(swapped));
    markedTrips();
    ASSERT_TRUE(leftBecomes(ButtonState::down));
    // Its release ends a hold only the seed knew of: read again, up.
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(leftBecomes(ButtonState::up));
    EXPECT_FALSE(serverSaysLeftDown());

    // Presses and releases sent right behind each change, while the reader's
    // reads are on their way: none is lost or taken twice.
    for (int round = 0; round < 20; ++round) {
        const bool endHeld = round % 2 == 0;
        fake(XCB_BUTTON_PRESS, 1);
        ASSERT_TRUE(desktop->setPointerMapping(round % 4 < 2 ? original : swapped));
        fake(XCB_BUTTON_RELEASE, 1);
        ASSERT_TRUE(desktop->setPointerMapping(round % 4 < 2 ? swapped : original));
        fake(XCB_BUTTON_PRESS, 1);
        if (!endHeld) fake(XCB_BUTTON_RELEASE, 1);
        ASSERT_EQ(serverSaysLeftDown(), endHeld);
        markedTrips();
        ASSERT_TRUE(leftBecomes(endHeld ? ButtonState::down : ButtonState::up)) << "round " << round;
        if (endHeld) fake(XCB_BUTTON_RELEASE, 1);
        ASSERT_TRUE(leftBecomes(ButtonState::up)) << "round " << round;
    }

    // A master device added and removed while the button is held: a release
    // may never come, so the reader reads the state again.
    fake(XCB_BUTTON_PRESS, 1);
    ASSERT_TRUE(leftBecomes(ButtonState::down));
    const auto added = addMaster("tessaly-test");
    ASSERT_NE(added, 0) << "the server added no master device";
    fake(XCB_BUTTON_RELEASE, 1);
    fake(XCB_BUTTON_PRESS, 1);
    markedTrips();
    ASSERT_TRUE(leftBecomes(ButtonState::down));
    removeMaster(added);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(leftBecomes(ButtonState::up));
    EXPECT_FALSE(serverSaysLeftDown());

    // Popups of the test's own, restacked in bursts the moment they exist
    // (some gone again), then the lowest of them lifted to the top: the
    // reader names the window now below it as the server has it.
    std::vector<xcb_window_t> popups;
    for (int round = 0; round < 10; ++round) {
        const xcb_window_t a = showPopup(static_cast<std::int16_t>(20 * round));
        const xcb_window_t b = showPopup(static_cast<std::int16_t>(20 * round + 10));
        stackAbove(a, b);
        if (!popups.empty()) stackAbove(popups.front(), a);
        if (round % 3 == 2) {
            xcb_destroy_window(desktop->connection().get(), b);
        } else {
            popups.push_back(b);
        }
        popups.push_back(a);
    }
    xcb_circulate_window(desktop->connection().get(), XCB_CIRCULATE_RAISE_LOWEST, desktop->connection().root());
    const auto stack = serverStack();
    ASSERT_GE(stack.size(), 2u);
    markedTrips();
    const auto events = log.events();
    const auto lifted = std::find_if(events.rbegin(), events.rend(), [&](const X11Event& e) {
        return e.rootChild && e.frameWindow == stack.back() && e.restacked;
    });
    ASSERT_NE(lifted, events.rend()) << "the lift to the top was not reported";
    EXPECT_EQ(lifted->aboveSibling, stack[stack.size() - 2]) << "the reader's stacking order is out of step";

    // The window manager restarts: its new check window is watched, so its
    // end is told.
    std::string why;
    ASSERT_TRUE(desktop->restartWindowManager(why)) << why;
    const xcb_window_t check = desktop->connection().windowManagerCheckWindow();
    ASSERT_NE(check, kNoWindow);
    EXPECT_EQ(markedTrips(), tripsAtStart) << "the reader's thread waited for the server";
    X11Connection& x = desktop->connection();
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto attributes =
            xcbReply(x.get(), xcb_get_window_attributes_reply, xcb_get_window_attributes(x.get(), check));
        return attributes && (attributes->all_event_masks & XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    })) << "the new check window is not watched";
    log.clear();
    xcb_destroy_window(x.get(), check);
    EXPECT_EQ(markedTrips(), tripsAtStart) << "the reader's thread waited for the server";
    EXPECT_TRUE(log.waitFor(Kind::windowManagerChanged, kNoWindow, std::chrono::milliseconds(0)));
}

}  // namespace
}  // namespace tessaly::test
