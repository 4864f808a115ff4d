#pragma once
// Which modifier groups a drag. The one the user chose is always the one in
// force, taken or not. Until the user chooses one, the default (Shift) is
// used, except where the window manager takes a drag with Shift held for
// itself (KWin drops the window into one of its tiles, wherever the program
// puts it): there Control groups in its place. That replacement is never
// stored: wherever Shift is free, it is the modifier again.
//
// Qt-free; main thread only.
#include <span>
#include <string>

#include "TessalyCore/DragSettings.h"
#include "TessalyCore/L10nCatalog.h"

namespace tessaly {

struct GroupingModifier {
    // The modifier that groups where the window manager takes Shift-drags
    // and the user chose none.
    static constexpr ModifierGate fallback = ModifierGate::control;

    ModifierGate asked = ModifierGate::shift;  // the stored choice, or the default
    ModifierGate inForce = ModifierGate::shift;
    bool windowManagerTakesShift = false;

    static GroupingModifier choose(ModifierGate asked, bool chosenByUser, bool windowManagerTakesShift);

    // Control stands in for a Shift the user never chose.
    bool isFallback() const { return inForce != asked; }
    // The user chose Shift, and the window manager takes its drags.
    bool isTaken() const { return windowManagerTakesShift && inForce == ModifierGate::shift; }

    friend bool operator==(const GroupingModifier&, const GroupingModifier&) = default;
};

namespace L10n {
// The Grouping page's word on why Control groups (isFallback), and its
// warning about a chosen Shift the window manager takes (isTaken).
std::string modifierShiftFallback();
std::string modifierShiftTaken();
// The grouping key as the texts name it ("Shift" where none is asked for).
std::string groupingKeyName(ModifierGate gate);
// The How To page's word on making a group, naming the key in force.
std::string howToCreateBody(ModifierGate inForce);
// Their rows, for the tests that walk every language.
std::span<const CatalogEntry> groupingModifierCatalog();
}  // namespace L10n

}  // namespace tessaly
