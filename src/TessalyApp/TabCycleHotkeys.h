#pragma once
// Which tab-cycle keys are in force. The keys the user set (recorded, or
// turned off) are always the ones registered, taken or not. Until the user
// sets any, the defaults (Ctrl+Alt+→ / Ctrl+Alt+←) are asked for, and where
// another program holds them (most window managers switch desktops with
// them), the first pair of `fallbacks` that registers whole is used in
// their place. The replacement is never stored: wherever the defaults are
// free, they are the keys again.
//
// Qt-free; main thread only.
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "TessalyCore/KeyCombo.h"

namespace tessaly {

// The next-tab and previous-tab combinations; an absent one is off.
struct TabCycleKeys {
    std::optional<KeyCombo> next;
    std::optional<KeyCombo> prev;

    static TabCycleKeys defaults() { return {KeyCombo::defaultNextTab, KeyCombo::defaultPrevTab}; }
    // How texts name the pair: "Ctrl+Alt+←/→" when both share their
    // modifiers, else both in full ("Ctrl+Alt+← / F5"); one alone when the
    // other is off, empty when both are.
    std::string displayName() const;

    friend bool operator==(const TabCycleKeys&, const TabCycleKeys&) = default;
};

struct TabCycleHotkeys {
    // Registers the combinations and answers whether every one of them
    // registered (the session's enableTabCycleHotkeys).
    using Enable = std::function<bool(const TabCycleKeys&)>;

    // Pairs that the stock configurations of the common window managers
    // leave free, in the order they are tried.
    static const std::array<TabCycleKeys, 3> fallbacks;

    TabCycleKeys asked;
    TabCycleKeys inForce;
    bool registered = false;

    // Registers `asked`; when that fails and the user set none of the keys,
    // the first fallback pair that registers whole. When no pair does,
    // `asked` is registered again as far as it goes, and the result is a
    // failure naming `asked`.
    static TabCycleHotkeys enable(const TabCycleKeys& asked, bool recordedByUser, const Enable& enable);

    // The keys work, but not the ones asked for.
    bool isFallback() const { return registered && inForce != asked; }

    friend bool operator==(const TabCycleHotkeys&, const TabCycleHotkeys&) = default;
};

}  // namespace tessaly
