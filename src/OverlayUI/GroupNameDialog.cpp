#include "OverlayUI/GroupNameDialog.h"

#include "TessalyCore/DisplayText.h"
#include "TessalyCore/TabGroup.h"

namespace tessaly {

GroupNameEditOutcome GroupNameEditOutcome::resolve(const std::string& entered, bool committed) {
    if (!committed) return cancelled();
    auto name = storedGroupName(entered);
    // A name made only of invisible characters would show as no name at all
    // while the group still counted as named: it clears the name instead.
    if (!name || DisplayText::sanitized(*name).empty()) return cleared();
    return named(std::move(*name));
}

}  // namespace tessaly
