#include "TessalyApp/HotkeyRecorder.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using Target = HotkeyRecorder::Target;
constexpr HotkeyModifiers none{};
constexpr std::uint16_t letterA = 0x00, shiftKey = 0x38, controlKey = 0x3B, f5 = 96, f13 = 105;

// A recorder whose monitor, callbacks and beeps are written into one log.
class RecorderTest : public ::testing::Test {
protected:
    RecorderTest() {
        recorder.onCapture = [this](Target target, std::optional<KeyCombo> combo) {
            log.push_back(std::string("capture ") + (target == Target::nextTab ? "next " : "prev ") +
                          (combo ? std::to_string(combo->keyCode) + "/" + std::to_string(combo->modifiers.rawValue)
                                 : "off"));
        };
        recorder.onRecordingChanged = [this](bool on) { log.push_back(on ? "recording" : "idle"); };
        recorder.beep = [this] { log.push_back("beep"); };
        recorder.installMonitor = [this](HotkeyRecorder::KeyHandler handler) {
            monitor = std::move(handler);
            log.push_back("monitor on");
            return Subscription([this] {
                monitor = nullptr;
                log.push_back("monitor off");
            });
        };
    }
    // A key press arriving through the installed monitor (as the window delivers it).
    bool press(std::optional<std::uint16_t> key, HotkeyModifiers modifiers) {
        if (!monitor) return false;
        const auto handler = monitor;
        return handler({key, modifiers});
    }

    HotkeyRecorder::KeyHandler monitor;
    std::vector<std::string> log;
    HotkeyRecorder recorder;  // last: its monitor handle reaches the two above
};

TEST_F(RecorderTest, ACombinationEndsTheRecordingBeforeItIsDelivered) {
    recorder.begin(Target::nextTab);
    EXPECT_EQ(recorder.target(), Target::nextTab);
    // Modifiers pressed on their own are swallowed and change nothing.
    EXPECT_TRUE(press(controlKey, HotkeyModifiers::control));
    EXPECT_TRUE(press(shiftKey, HotkeyModifiers::control | HotkeyModifiers::shift));
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_FALSE(recorder.showsRuleHint());
    EXPECT_TRUE(press(letterA, HotkeyModifiers::control | HotkeyModifiers::shift));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(log, (std::vector<std::string>{"recording", "monitor on", "monitor off", "idle", "capture next 0/4608"}));
    // Idle again: presses pass through.
    EXPECT_FALSE(recorder.handle({letterA, HotkeyModifiers::control}));
}

TEST_F(RecorderTest, ARefusedKeyBeepsShowsTheHintAndKeepsRecording) {
    recorder.begin(Target::prevTab);
    log.clear();
    EXPECT_TRUE(press(letterA, none));
    EXPECT_TRUE(recorder.showsRuleHint());
    EXPECT_TRUE(press(letterA, HotkeyModifiers::shift));
    // A key the keyboard layer cannot store is refused the same way.
    EXPECT_TRUE(press(std::nullopt, HotkeyModifiers::control));
    EXPECT_EQ(log, (std::vector<std::string>{"beep", "beep", "beep"}));
    EXPECT_TRUE(recorder.isRecording());
    // Function keys work alone and with Shift only.
    EXPECT_TRUE(press(f5, HotkeyModifiers::shift));
    EXPECT_FALSE(recorder.showsRuleHint());
    EXPECT_EQ(log.back(), "capture prev 96/512");
    recorder.begin(Target::prevTab);
    press(f13, none);
    EXPECT_EQ(log.back(), "capture prev 105/0");
}

TEST_F(RecorderTest, EscapeCancelsDeleteClearsAndModifiedOnesAreCombinations) {
    recorder.begin(Target::nextTab);
    press(HotkeyKeyCode::escape, none);
    EXPECT_EQ(log.back(), "idle");
    recorder.begin(Target::nextTab);
    press(HotkeyKeyCode::deleteBackward, none);
    EXPECT_EQ(log.back(), "capture next off");
    recorder.begin(Target::nextTab);
    press(HotkeyKeyCode::escape, HotkeyModifiers::control);
    EXPECT_EQ(log.back(), "capture next 53/4096");
    recorder.begin(Target::nextTab);
    press(HotkeyKeyCode::deleteBackward, HotkeyModifiers::shift);  // refused, not a clear
    EXPECT_EQ(log.back(), "beep");
}

TEST_F(RecorderTest, StartingTheOtherRowEndsTheFirstAndEndWhileIdleDoesNothing) {
    recorder.end();
    EXPECT_TRUE(log.empty());
    recorder.begin(Target::nextTab);
    press(letterA, none);
    ASSERT_TRUE(recorder.showsRuleHint());
    log.clear();
    recorder.begin(Target::prevTab);
    EXPECT_FALSE(recorder.showsRuleHint());
    EXPECT_EQ(log, (std::vector<std::string>{"monitor off", "idle", "recording", "monitor on"}));
    EXPECT_EQ(recorder.target(), Target::prevTab);
}

TEST_F(RecorderTest, AMonitorOutlivingTheRecorderPassesEverythingThrough) {
    auto owned = std::make_unique<HotkeyRecorder>();
    HotkeyRecorder::KeyHandler kept;
    owned->installMonitor = [&](HotkeyRecorder::KeyHandler handler) {
        kept = std::move(handler);
        return Subscription();  // a monitor that cannot be removed
    };
    owned->begin(Target::nextTab);
    owned.reset();
    EXPECT_FALSE(kept({letterA, HotkeyModifiers::control}));
}

}  // namespace
}  // namespace tessaly
