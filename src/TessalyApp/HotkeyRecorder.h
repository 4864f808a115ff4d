#pragma once
// Records the two tab-cycle shortcuts from key presses. One recorder serves
// the settings window: begin(target) starts listening to the window's key
// presses through a monitor the window installs, every press goes through
// HotkeyCapture's rules, and the verdict ends the recording (Escape cancels,
// Delete turns the shortcut off, a valid combination is delivered through
// onCapture) or keeps it going with the rule hint shown (a letter alone).
// Presses of modifier keys alone are not combinations: they are swallowed
// and change nothing, so Control can be held before the key.
//
//   recorder.installMonitor = [&](auto handler) { return window.watchKeys(handler); };
//   recorder.onCapture = [&](Target target, std::optional<KeyCombo> combo) { ... };
//   recorder.begin(HotkeyRecorder::Target::nextTab);
//
// Main thread only.
#include <cstdint>
#include <functional>
#include <optional>

#include "Platform/Lifetime.h"
#include "Platform/Subscription.h"
#include "TessalyCore/KeyCombo.h"

namespace tessaly {

// One key press in the window, as the recorder reads it.
struct HotkeyKeyPress {
    // The stored key code of the key; absent when the keyboard layer cannot
    // name the key in the stored form (a key this program cannot register).
    std::optional<std::uint16_t> keyCode;
    HotkeyModifiers modifiers;
};

class HotkeyRecorder {
public:
    enum class Target { nextTab, prevTab };

    // Answers whether the press was taken (true: swallow it).
    using KeyHandler = std::function<bool(const HotkeyKeyPress&)>;

    HotkeyRecorder() = default;
    HotkeyRecorder(const HotkeyRecorder&) = delete;
    HotkeyRecorder& operator=(const HotkeyRecorder&) = delete;

    // The shortcut being recorded; absent while idle.
    std::optional<Target> target() const { return target_; }
    bool isRecording() const { return target_.has_value(); }
    // True after a refused key during the current recording.
    bool showsRuleHint() const { return showsRuleHint_; }

    // A combination is the target's new shortcut; absent turns it off.
    std::function<void(Target, std::optional<KeyCombo>)> onCapture;
    // True when a recording starts, false when one ends.
    std::function<void(bool)> onRecordingChanged;
    // Called after target or showsRuleHint changed (for the rows to redraw).
    std::function<void()> onStateChanged;
    // Starts delivering the host window's key presses to the handler while
    // the returned handle lives. Without it, presses arrive only through
    // handle().
    std::function<Subscription(KeyHandler)> installMonitor;
    // The system beep for a refused key.
    std::function<void()> beep;

    // Starts recording for `target`, ending any recording first.
    void begin(Target target);
    // Stops any recording; safe while idle (no callback then).
    void end();
    // One key press of the host window; answers whether it was swallowed.
    // Presses while idle pass through.
    bool handle(const HotkeyKeyPress& press);

    // Whether the stored key code is a modifier key (Shift, Control, Option,
    // Command, Caps Lock or Function, left or right).
    static bool isModifierKey(std::uint16_t keyCode);

private:
    void stateChanged();

    std::optional<Target> target_;
    bool showsRuleHint_ = false;
    Subscription monitor_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
