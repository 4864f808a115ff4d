// Mouse tap, live pointer state, hot keys and key names on a real desktop,
// driven through XTEST.
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11HotkeyService.h"
#include "Platform/X11/X11InputMonitor.h"
#include "Platform/X11/X11KeyboardLayout.h"
#include "Platform/X11/X11TestQueues.h"

#include <xcb/xtest.h>

#include <algorithm>
#include <mutex>

namespace tessaly::test {
namespace {

// X key codes of the default (evdev) keymap.
constexpr xcb_keycode_t kShiftL = 50, kControlL = 37, kAltL = 64, kRight = 114, kCapsLock = 66;
constexpr std::uint16_t kMacRightArrow = 0x7C, kMacLeftArrow = 0x7B;
constexpr std::uint32_t kControlOption = CarbonModifier::control | CarbonModifier::option;

TEST(X11KeyCodes, MacKeyPositionsMapBothWays) {
    EXPECT_EQ(x11KeyCode(kMacRightArrow), kRight);
    EXPECT_EQ(x11KeyCode(0x00), 38);  // A
    EXPECT_EQ(x11KeyCode(0x34), std::nullopt);
    for (std::uint16_t mac = 0; mac < 0x80; ++mac) {
        if (const auto x = x11KeyCode(mac)) {
            EXPECT_EQ(macKeyCode(*x), mac);
        }
    }
    X11ModifierMasks masks;
    EXPECT_EQ(masks.fromCarbon(kControlOption), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    EXPECT_EQ(masks.fromCarbon(CarbonModifier::command | CarbonModifier::shift), XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT);
    EXPECT_EQ(masks.fromCarbon(0x400), std::nullopt);
    EXPECT_EQ(masks.eventFlags(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_1),
              InputFlags::shift | InputFlags::alternate);
}

class X11InputTest : public X11BackendTest {
protected:
    void fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0) {
        auto& x11 = desktop->connection();
        xcb_test_fake_input(x11.get(), type, detail, XCB_CURRENT_TIME, x11.root(), x, y, XCB_NONE);
        x11.sync();
    }
    void key(xcb_keycode_t code, bool down) { fake(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code); }
    void tap(std::initializer_list<xcb_keycode_t> keys) {
        for (const auto k : keys) key(k, true);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) key(*it, false);
    }

    X11TestWorkQueue work;
};

TEST_F(X11InputTest, TheMouseTapReportsLeftButtonDragsWithPositionAndModifiers) {
    X11InputMonitor input(backend);
    auto tap = input.makeMouseTap();
    ASSERT_TRUE(tap);
    std::vector<MouseTapEvent> events;
    tap->start(std::make_shared<X11TestQueue>(work), [&](const MouseTapEvent& e) { events.push_back(e); });

    const auto has = [&](MouseTapEventType type) {
        return std::any_of(events.begin(), events.end(), [&](const MouseTapEvent& e) { return e.type == type; });
    };
    // The position and modifiers are read when the tap handles an event, so
    // each step waits for the tap before the next one changes them.
    fake(XCB_MOTION_NOTIFY, 0, 100, 100);
    EXPECT_EQ(input.pointerLocation(), (Point{100, 100}));
    key(kShiftL, true);
    EXPECT_EQ(input.modifierFlags(), InputFlags::shift);
    fake(XCB_BUTTON_PRESS, 1);
    ASSERT_TRUE(work.runUntil([&] { return has(MouseTapEventType::leftMouseDown); }));
    EXPECT_TRUE(input.isLeftButtonDown());
    fake(XCB_MOTION_NOTIFY, 0, 150, 120);
    fake(XCB_MOTION_NOTIFY, 0, 200, 140);
    ASSERT_TRUE(work.runUntil([&] { return events.back().location == Point{200, 140}; }));
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(work.runUntil([&] { return has(MouseTapEventType::leftMouseUp); }));
    key(kShiftL, false);
    EXPECT_FALSE(input.isLeftButtonDown());
    EXPECT_EQ(input.modifierFlags(), 0u);

    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().type, MouseTapEventType::leftMouseDown);
    EXPECT_EQ(events.front().location, (Point{100, 100}));
    EXPECT_EQ(events.front().flags, InputFlags::shift);
    EXPECT_TRUE(has(MouseTapEventType::leftMouseDragged));
    for (const auto& e : events) {
        if (e.type == MouseTapEventType::leftMouseDragged) {
            EXPECT_GT(e.location.x, 100);
        }
    }
    EXPECT_EQ(events.back().type, MouseTapEventType::leftMouseUp);
    EXPECT_EQ(events.back().location, (Point{200, 140}));

    // Motion without the button is no drag, and nothing comes after invalidation.
    events.clear();
    fake(XCB_MOTION_NOTIFY, 0, 300, 300);
    tap->invalidate();
    work.drain();
    EXPECT_FALSE(has(MouseTapEventType::leftMouseDragged));
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_RELEASE, 1);
    work.drain();
    EXPECT_TRUE(events.empty());
}

TEST_F(X11InputTest, AShiftDragOnTheTitleBarMovesTheWindowAndTheTapSeesIt) {
    auto xlogo = desktop->launchXlogo("200x200+400+300");
    ASSERT_TRUE(xlogo);
    const Rect before = desktop->windows().read(xlogo->window)->frame;
    X11InputMonitor input(backend);
    auto tap = input.makeMouseTap();
    ASSERT_TRUE(tap);
    std::vector<MouseTapEvent> events;
    tap->start(std::make_shared<X11TestQueue>(work), [&](const MouseTapEvent& e) { events.push_back(e); });
    const auto origin = [&] { return desktop->windows().read(xlogo->window)->frame.origin; };

    const auto x = static_cast<std::int16_t>(before.minX() + 60);
    const auto y = static_cast<std::int16_t>(before.minY() + 10);  // on the title bar
    fake(XCB_MOTION_NOTIFY, 0, x, y);
    key(kShiftL, true);
    fake(XCB_BUTTON_PRESS, 1);
    ASSERT_TRUE(work.runUntil([&] { return !events.empty(); }));  // modifiers are read as the tap handles it
    // openbox starts the move on the first motion past its threshold and
    // follows only later motions: step until the window follows.
    int step = 0;
    bool following = false;
    while (!following && step < 20) {
        ++step;
        fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(x + 10 * step), static_cast<std::int16_t>(y + 5 * step));
        following = desktop->waitUntil([&] { return origin() != before.origin; }, std::chrono::milliseconds(500));
    }
    ASSERT_TRUE(following) << "openbox did not move the window on Shift-drag";
    fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(x + 300), static_cast<std::int16_t>(y + 150));
    ASSERT_TRUE(desktop->waitUntil([&] { return origin() == Point{before.minX() + 300, before.minY() + 150}; }));
    fake(XCB_BUTTON_RELEASE, 1);
    key(kShiftL, false);

    // The tap saw the drag through the window manager's pointer grab.
    ASSERT_TRUE(work.runUntil([&] { return events.back().type == MouseTapEventType::leftMouseUp; }));
    EXPECT_EQ(events.front().type, MouseTapEventType::leftMouseDown);
    EXPECT_EQ(events.front().flags, InputFlags::shift);
    EXPECT_GE(std::count_if(events.begin(), events.end(),
                            [](const MouseTapEvent& e) { return e.type == MouseTapEventType::leftMouseDragged; }),
              2);
}

// The left button from the event reader's raw events: no round trip while
// it knows, in order with the configure events of the moves it starts.
class X11ButtonStateTest : public X11InputTest {
protected:
    ButtonState left() const { return backend->buttons().left(); }
    bool leftBecomes(ButtonState state) {
        return desktop->waitUntil([&] { return left() == state; });
    }
    bool serverSaysLeftDown() {
        auto& x11 = desktop->connection();
        const auto pointer = xcbReply(x11.get(), xcb_query_pointer_reply, xcb_query_pointer(x11.get(), x11.root()));
        return pointer && (pointer->mask & XCB_BUTTON_MASK_1);
    }
    // Answers whether the server took it (a held button it would change refuses).
    void TearDown() override {
        if (!original.empty()) {
            for (const std::uint8_t b : {1, 2, 3}) fake(XCB_BUTTON_RELEASE, b);
            desktop->setPointerMapping(original);
        }
        X11InputTest::TearDown();
    }

    std::vector<std::uint8_t> original;  // the mapping to restore
};

TEST_F(X11ButtonStateTest, APressDuringTheWindowManagersMoveIsSeenBeforeTheMoveWithoutAskingTheServer) {
    auto xlogo = desktop->launchXlogo("200x200+400+300");
    ASSERT_TRUE(xlogo);
    const Rect before = desktop->windows().read(xlogo->window)->frame;
    X11InputMonitor input(backend);
    const auto x = static_cast<std::int16_t>(before.minX() + 60);
    const auto y = static_cast<std::int16_t>(before.minY() + 10);  // on the title bar
    fake(XCB_MOTION_NOTIFY, 0, x, y);

    // Before the reader runs nothing is known: the server is asked.
    fake(XCB_BUTTON_PRESS, 1);
    EXPECT_EQ(left(), ButtonState::unknown);
    EXPECT_TRUE(input.isLeftButtonDown());
    EXPECT_EQ(input.buttonQueries(), 1u);

    // The reader starts with the button held (its seed), and sees the
    // release. Each frame event reports the state as the reader had it then.
    std::mutex mutex;
    std::vector<ButtonState> atMoves;
    auto subscription = backend->subscribe([&](const X11Event& event) {
        if (event.kind != X11Event::Kind::frameChanged || event.window != xlogo->window || !event.rootChild) return;
        std::lock_guard lock(mutex);
        atMoves.push_back(left());
    });
    ASSERT_TRUE(subscription);
    EXPECT_EQ(left(), ButtonState::down);
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(leftBecomes(ButtonState::up));
    const auto queries = input.buttonQueries();
    EXPECT_FALSE(input.isLeftButtonDown());

    // A title-bar drag: openbox grabs the pointer and moves the window.
    fake(XCB_BUTTON_PRESS, 1);
    int step = 0;
    bool following = false;
    const auto origin = [&] { return desktop->windows().read(xlogo->window)->frame.origin; };
    while (!following && step < 20) {
        ++step;
        fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(x + 10 * step), static_cast<std::int16_t>(y + 5 * step));
        following = desktop->waitUntil([&] { return origin() != before.origin; }, std::chrono::milliseconds(500));
    }
    ASSERT_TRUE(following) << "openbox did not move the window on a title-bar drag";
    EXPECT_EQ(left(), ButtonState::down);
    EXPECT_TRUE(input.isLeftButtonDown());
    fake(XCB_BUTTON_RELEASE, 1);
    ASSERT_TRUE(leftBecomes(ButtonState::up));
    EXPECT_FALSE(input.isLeftButtonDown());
    EXPECT_EQ(input.buttonQueries(), queries) << "asked the server while the state was known";

    std::lock_guard lock(mutex);
    ASSERT_FALSE(atMoves.empty());
    EXPECT_TRUE(std::all_of(atMoves.begin(), atMoves.end(), [](ButtonState s) { return s == ButtonState::down; }))
        << "a move was reported before the press that started it";
}

TEST_F(X11ButtonStateTest, TheLeftButtonFollowsTheCorePointerMapping) {
    auto subscription = backend->subscribe([](const X11Event&) {});
    ASSERT_TRUE(subscription);
    ASSERT_EQ(left(), ButtonState::up);
    original = desktop->pointerMapping();
    ASSERT_GE(original.size(), 3u);

    // Left-handed: physical 3 is the left button, physical 1 is not.
    auto swapped = original;
    std::swap(swapped[0], swapped[2]);
    ASSERT_TRUE(desktop->setPointerMapping(swapped));
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_PRESS, 3);
    ASSERT_TRUE(leftBecomes(ButtonState::down));
    EXPECT_TRUE(serverSaysLeftDown());
    fake(XCB_BUTTON_RELEASE, 3);
    ASSERT_TRUE(leftBecomes(ButtonState::up)) << "physical button 1, still held, taken for the left one";
    EXPECT_FALSE(serverSaysLeftDown());

    // The mapping changes while physical 1 is held: its release would now
    // be read otherwise, so the reader asks the server again.
    auto again = swapped;
    std::swap(again[1], again[2]);  // physical 2 is the left button now
    ASSERT_TRUE(desktop->setPointerMapping(again));
    fake(XCB_BUTTON_PRESS, 2);
    ASSERT_TRUE(leftBecomes(ButtonState::down));
    EXPECT_TRUE(serverSaysLeftDown());
    fake(XCB_BUTTON_RELEASE, 1);
    fake(XCB_BUTTON_RELEASE, 2);
    ASSERT_TRUE(leftBecomes(ButtonState::up));
    EXPECT_FALSE(serverSaysLeftDown());
}

TEST_F(X11InputTest, HotKeysFireOncePerPressWhateverTheLockKeys) {
    auto main = std::make_shared<X11TestExecutor>(work);
    auto hotkeys = X11HotkeyService::create(backend, main);
    ASSERT_TRUE(hotkeys);
    std::vector<HotKeyID> first, second;
    ASSERT_TRUE(hotkeys->installHandler([&](HotKeyID id) {
        first.push_back(id);
        return true;
    }));
    // The most recent handler is asked first; passing it on reaches the older one.
    const auto passing = hotkeys->installHandler([&](HotKeyID id) {
        second.push_back(id);
        return false;
    });
    ASSERT_TRUE(passing);
    const HotKeyID next{0x54534C59, 1};
    const auto ref = hotkeys->registerHotKey(kMacRightArrow, kControlOption, next);
    ASSERT_TRUE(ref);
    EXPECT_FALSE(hotkeys->registerHotKey(kMacRightArrow, kControlOption, next)) << "registered twice";

    tap({kControlL, kAltL, kRight});
    ASSERT_TRUE(work.runUntil([&] { return first.size() == 1; }));
    EXPECT_EQ(first[0], next);
    EXPECT_EQ(second.size(), 1u);

    // Caps Lock on: the same combination still fires.
    tap({kCapsLock});
    tap({kControlL, kAltL, kRight});
    ASSERT_TRUE(work.runUntil([&] { return first.size() == 2; }));
    tap({kCapsLock});

    // Without Alt it is another combination.
    tap({kControlL, kRight});
    hotkeys->removeHandler(*passing);
    tap({kControlL, kAltL, kRight});
    ASSERT_TRUE(work.runUntil([&] { return first.size() == 3; }));
    EXPECT_EQ(second.size(), 2u);

    hotkeys->unregisterHotKey(*ref);
    tap({kControlL, kAltL, kRight});
    desktop->connection().sync();
    work.drain();
    EXPECT_EQ(first.size(), 3u);
}

TEST_F(X11InputTest, ARefusedGrabFailsAndLeavesNothingGrabbed) {
    auto& x11 = desktop->connection();
    const xcb_keycode_t left = *x11KeyCode(kMacLeftArrow);
    const std::uint16_t mask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    // Another client holds Control-Alt-Left (only the plain variant).
    ASSERT_TRUE(x11.check(xcb_grab_key_checked(x11.get(), 1, x11.root(), mask, left, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC)));
    auto main = std::make_shared<X11TestExecutor>(work);
    auto hotkeys = X11HotkeyService::create(backend, main);
    ASSERT_TRUE(hotkeys);
    EXPECT_FALSE(hotkeys->registerHotKey(kMacLeftArrow, kControlOption, HotKeyID{1, 2}));

    // Once the other client lets go, every variant is free: ours were released.
    xcb_ungrab_key(x11.get(), left, x11.root(), mask);
    x11.sync();
    auto third = X11Connection::open(desktop->display());
    ASSERT_TRUE(third);
    const auto masks = X11ModifierMasks::read(*third);
    for (const std::uint16_t extra : {std::uint16_t{0}, masks.lock, masks.numLock,
                                      static_cast<std::uint16_t>(masks.lock | masks.numLock)}) {
        EXPECT_TRUE(third->check(xcb_grab_key_checked(third->get(), 1, third->root(), mask | extra, left,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)))
            << "variant " << extra;
    }
    // And now the service is refused for every variant.
    EXPECT_FALSE(hotkeys->registerHotKey(kMacLeftArrow, kControlOption, HotKeyID{1, 2}));
    EXPECT_FALSE(hotkeys->registerHotKey(0x34, kControlOption, HotKeyID{1, 3})) << "a key with no X counterpart";
}

TEST_F(X11InputTest, KeyNamesComeFromTheServersLayout) {
    const auto layout = X11KeyboardLayout::read(desktop->display());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->displayText(0x00), "a");
    EXPECT_EQ(layout->displayText(0x12), "1");
    EXPECT_EQ(layout->displayText(0x31), " ");
    EXPECT_EQ(layout->displayText(0x2C), "/");
    EXPECT_EQ(layout->displayText(kMacRightArrow), std::nullopt);
    EXPECT_EQ(layout->displayText(0x34), std::nullopt);
    // Native X key codes of key events, back to the stored codes.
    EXPECT_EQ(layout->storedKeyCode(38), 0x00);  // a
    EXPECT_EQ(layout->storedKeyCode(114), kMacRightArrow);
    EXPECT_EQ(layout->storedKeyCode(9), 53);  // Escape
    EXPECT_EQ(layout->storedKeyCode(0), std::nullopt);
    EXPECT_EQ(layout->storedKeyCode(38 + 256), std::nullopt);

    const auto masks = X11ModifierMasks::read(desktop->connection());
    EXPECT_EQ(masks.alt, XCB_MOD_MASK_1);
    EXPECT_EQ(masks.numLock, XCB_MOD_MASK_2);
}

}  // namespace
}  // namespace tessaly::test
