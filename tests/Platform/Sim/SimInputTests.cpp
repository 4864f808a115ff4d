#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Platform/ManualMainExecutor.h"
#include "Platform/ManualQueueFactory.h"
#include "Platform/Sim/SimInput.h"

namespace tessaly {
namespace {

class SimInputTest : public ::testing::Test {
protected:
    std::unique_ptr<MouseTap> startTap() {
        auto tap = input.makeMouseTap();
        tap->start(queue, [this](const MouseTapEvent& e) { seen.push_back(e); });
        return tap;
    }

    VirtualClock clock;
    ManualMainExecutor main{clock};
    ManualQueueFactory queues;
    std::shared_ptr<DispatchQueue> queue = queues.makeSerialQueue("tap");
    SimInput input{main};
    std::vector<MouseTapEvent> seen;
};

TEST_F(SimInputTest, ScriptedPathRunsOnTheVirtualClock) {
    auto tap = startTap();
    input.setModifierFlags(InputFlags::control);
    input.schedulePointerPath(SimInput::straightDrag({0, 0}, {100, 50}, 4, 0.1));
    main.advance(0.05);
    queues.runAll();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, MouseTapEventType::leftMouseDown);
    EXPECT_EQ(seen[0].flags, InputFlags::control);
    EXPECT_TRUE(input.isLeftButtonDown());
    main.advance(0.2);
    queues.runAll();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].location, (Point{50, 25}));
    EXPECT_EQ(input.pointerLocation(), (Point{50, 25}));
    main.advance(1);
    queues.runAll();
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen.back().type, MouseTapEventType::leftMouseUp);
    EXPECT_FALSE(input.isLeftButtonDown());
}

TEST_F(SimInputTest, ModifierStepsChangeTheSessionFlags) {
    input.schedulePointerPath({{0.5, PointerStep::Kind::modifiers, {}, InputFlags::alternate}});
    main.advance(0.4);
    EXPECT_EQ(input.modifierFlags(), 0u);
    main.advance(0.1);
    EXPECT_EQ(input.modifierFlags(), InputFlags::alternate);
}

TEST_F(SimInputTest, TapsCanBeRefusedSwitchedOffAndInvalidated) {
    input.setRefusesTaps(true);
    EXPECT_EQ(input.makeMouseTap(), nullptr);
    input.setRefusesTaps(false);

    auto unstarted = input.makeMouseTap();
    auto tap = startTap();
    EXPECT_EQ(input.runningTapCount(), 1);

    input.disableTaps();
    input.leftMouseDown({1, 1});  // missed
    queues.runAll();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, MouseTapEventType::tapDisabledByTimeout);

    tap->enable();
    input.leftMouseUp({1, 1});
    tap->invalidate();
    tap->enable();  // no effect any more
    input.leftMouseDown({1, 1});
    queues.runAll();
    EXPECT_EQ(seen.size(), 2u);  // the release queued before invalidation still ran
    EXPECT_EQ(input.runningTapCount(), 0);
    EXPECT_EQ(input.enabledTapCount(), 0);
}

TEST_F(SimInputTest, HotKeysTakenElsewhereOrTwiceAreRefused) {
    input.takeByOtherApplication(124, 0x1800);
    EXPECT_FALSE(input.registerHotKey(124, 0x1800, {1, 1}));
    const auto ref = input.registerHotKey(123, 0x1800, {1, 2});
    ASSERT_TRUE(ref);
    EXPECT_FALSE(input.registerHotKey(123, 0x1800, {1, 3}));
    input.unregisterHotKey(*ref);
    EXPECT_TRUE(input.registerHotKey(123, 0x1800, {1, 4}));
}

TEST_F(SimInputTest, PressesGoToTheNewestHandlerFirstOnTheMainQueue) {
    std::vector<std::string> calls;
    const auto older = input.installHandler([&](HotKeyID id) {
        calls.push_back("older " + std::to_string(id.id));
        return true;
    });
    input.installHandler([&](HotKeyID id) {
        calls.push_back("newer " + std::to_string(id.id));
        return id.signature == 7;
    });
    input.registerHotKey(124, 0x1800, {7, 1});
    input.registerHotKey(123, 0x1800, {8, 2});
    EXPECT_TRUE(input.pressKey(124, 0x1800));
    EXPECT_TRUE(input.pressKey(123, 0x1800));
    EXPECT_FALSE(input.pressKey(125, 0x1800));  // not registered: nothing queued
    EXPECT_TRUE(calls.empty());
    main.runPending();
    EXPECT_EQ(calls, (std::vector<std::string>{"newer 1", "newer 2", "older 2"}));

    input.removeHandler(*older);
    input.pressKey(123, 0x1800);
    main.runPending();
    EXPECT_EQ(input.unhandledPresses(), 1);

    input.setHandlerInstallFails(true);
    EXPECT_FALSE(input.installHandler([](HotKeyID) { return true; }));
}

TEST(SimInputLifetime, ScriptedWorkLeftOnTheMainQueueDoesNothingOnceTheInputIsGone) {
    VirtualClock clock;
    ManualMainExecutor main{clock};
    auto input = std::make_unique<SimInput>(main);
    bool handled = false;
    input->installHandler([&](HotKeyID) { return handled = true; });
    input->registerHotKey(124, 0x1800, {7, 1});
    input->schedulePointerPath(SimInput::straightDrag({0, 0}, {10, 10}, 2, 0.1));
    ASSERT_TRUE(input->pressKey(124, 0x1800));
    input.reset();
    EXPECT_EQ(main.pendingPostCount(), 1u);
    EXPECT_EQ(main.pendingTimerCount(), 4u);
    main.advance(1);
    EXPECT_FALSE(handled);
    EXPECT_EQ(main.pendingTimerCount(), 0u);
}

}  // namespace
}  // namespace tessaly
