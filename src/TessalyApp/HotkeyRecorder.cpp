#include "TessalyApp/HotkeyRecorder.h"

#include "TessalyCore/HotkeyCapture.h"

namespace tessaly {

bool HotkeyRecorder::isModifierKey(std::uint16_t keyCode) {
    // Right Command 0x36, Command 0x37, Shift 0x38, Caps Lock 0x39, Option
    // 0x3A, Control 0x3B, right Shift, Option and Control 0x3C-0x3E, Function 0x3F.
    return keyCode >= 0x36 && keyCode <= 0x3F;
}

void HotkeyRecorder::stateChanged() {
    if (onStateChanged) {
        const auto callback = onStateChanged;
        callback();
    }
}

void HotkeyRecorder::begin(Target target) {
    end();
    target_ = target;
    stateChanged();
    if (onRecordingChanged) {
        const auto callback = onRecordingChanged;
        callback(true);
    }
    // The recording may have ended inside the callback.
    if (target_ == target && installMonitor) {
        monitor_ = installMonitor(lifetime_.guarded([this](const HotkeyKeyPress& press) { return handle(press); }));
    }
}

void HotkeyRecorder::end() {
    monitor_.cancel();
    const bool hintChanged = showsRuleHint_;
    showsRuleHint_ = false;
    if (!target_) {
        if (hintChanged) stateChanged();
        return;
    }
    target_.reset();
    stateChanged();
    if (onRecordingChanged) {
        const auto callback = onRecordingChanged;
        callback(false);
    }
}

bool HotkeyRecorder::handle(const HotkeyKeyPress& press) {
    if (!target_) return false;
    const Target target = *target_;
    if (press.keyCode && isModifierKey(*press.keyCode)) return true;

    const HotkeyCapture verdict = press.keyCode ? HotkeyCapture::evaluate(*press.keyCode, press.modifiers)
                                                : HotkeyCapture::rejected();
    switch (verdict.kind) {
        case HotkeyCapture::Kind::cancel: end(); break;
        case HotkeyCapture::Kind::clear:
            end();
            if (onCapture) onCapture(target, std::nullopt);
            break;
        case HotkeyCapture::Kind::captured:
            end();
            if (onCapture) onCapture(target, verdict.combo);
            break;
        case HotkeyCapture::Kind::rejected:
            showsRuleHint_ = true;
            stateChanged();
            if (beep) beep();
            break;
    }
    return true;
}

}  // namespace tessaly
