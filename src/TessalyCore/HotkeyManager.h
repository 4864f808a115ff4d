#pragma once
// Global hot keys: registers key combinations with the system and runs the
// action bound to each when it is pressed, whichever application has the
// focus. One manager per set of shortcuts; the owner makes a new one when
// the shortcuts change and calls unregisterAll() before dropping the old.
// Main thread only: registration, removal, presses and actions.
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "Platform/HotkeyService.h"
#include "Platform/Lifetime.h"
#include "TessalyCore/KeyCombo.h"

namespace tessaly {

class HotkeyManager {
public:
    using Modifiers = HotkeyModifiers;
    using Action = std::function<void()>;

    struct KeyCode {
        static constexpr std::uint32_t tab = HotkeyKeyCode::tab;
        static constexpr std::uint32_t leftArrow = HotkeyKeyCode::leftArrow;
        static constexpr std::uint32_t rightArrow = HotkeyKeyCode::rightArrow;
    };

    // The program's own four-character hot-key signature, "TsLy".
    static constexpr std::uint32_t signature = (std::uint32_t{'T'} << 24) | (std::uint32_t{'s'} << 16) |
                                               (std::uint32_t{'L'} << 8) | std::uint32_t{'y'};

    // `service` must outlive the manager.
    explicit HotkeyManager(HotkeyService& service);
    // Gives back every hot key and the handler.
    ~HotkeyManager();
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    // Registers one global hot key; true on success. Fails, registering
    // nothing, when the system refuses the combination or when no handler
    // could be installed to run the action (a hot key that takes the keys
    // from every application and does nothing would be worse than none).
    bool registerHotkey(std::uint32_t keyCode, Modifiers modifiers, Action action);
    bool registerHotkey(const KeyCombo& combo, Action action) {
        return registerHotkey(combo.keyCode, combo.modifiers, std::move(action));
    }

    // Gives back every hot key, forgets the actions and removes the handler.
    // Ids are not reused afterwards.
    void unregisterAll();

    bool hasHandler() const { return handlerRef_.has_value(); }
    std::size_t registeredCount() const { return hotkeyRefs_.size(); }
    std::uint32_t nextID() const { return nextID_; }

private:
    bool installHandlerIfNeeded();
    // Runs the action of a press; false passes the press on to other handlers.
    bool dispatch(HotKeyID id);

    HotkeyService& service_;
    std::optional<HotkeyService::HandlerRef> handlerRef_;
    std::vector<HotkeyService::HotKeyRef> hotkeyRefs_;
    std::unordered_map<std::uint32_t, Action> actions_;
    std::uint32_t nextID_ = 1;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
