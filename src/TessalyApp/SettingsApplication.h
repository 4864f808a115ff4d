#pragma once
// Settings take effect live: apply() pushes the whole content of the
// settings store into the running session and its overlay, in a fixed
// order, and registers the tab-cycle hotkeys again. It is a full push, never
// a difference; it runs when the session starts, on every store change and
// when the hotkey recorder stops recording. Without a session it does
// nothing (the next start pushes everything).
//
// While the recorder records, the hotkeys are given back so that the keys
// reach the recorder; changes made meanwhile do not register them.
//
// A tab-cycle hotkey that cannot be registered (another program holds it)
// is logged and raises the "hotkeys taken" notice. When the combinations
// asked for differ from the last ones that did register, the stored
// hotkeys spring back to those (registered again) and onHotkeysRestored
// tells whoever shows the settings; the notice stays up until a later
// registration of the user's own choice succeeds.
//
// Main thread only.
#include <functional>
#include <optional>
#include <utility>

#include "Platform/Lifetime.h"
#include "TessalyApp/ShellNotices.h"
#include "TessalyCore/KeyCombo.h"
#include "TessalyCore/SettingsStore.h"

namespace tessaly {

class GroupSession;

class SettingsApplication {
public:
    static constexpr const char* hotkeyFailureLine = "tab-cycle hotkey registration failed (combo taken by another app)";

    explicit SettingsApplication(SettingsStore& store, ShellNotices* notices = nullptr);

    // The full push into `session` (nothing when it is null).
    void apply(GroupSession* session);
    // The recorder started (hotkeys given back) or stopped (apply() again).
    void hotkeyRecordingChanged(bool recording, GroupSession* session);
    bool isRecordingHotkey() const { return recording_; }

    // The stored hotkeys were put back to the last ones that registered.
    std::function<void()> onHotkeysRestored;

private:
    using HotkeyPair = std::pair<std::optional<KeyCombo>, std::optional<KeyCombo>>;

    void registerHotkeys(GroupSession& session);
    void springBack(GroupSession& session, const HotkeyPair& working);

    SettingsStore& store_;
    ShellNotices* notices_;
    bool recording_ = false;
    std::optional<HotkeyPair> lastRegistered_;
    std::optional<HotkeyPair> restored_;  // put back after a refusal, until the user picks others
    LifetimeToken lifetime_;
};

}  // namespace tessaly
