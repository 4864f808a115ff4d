#include "OverlayUI/GroupNameDialog.h"

#include "TessalyCore/TabGroup.h"

namespace tessaly {

GroupNameEditOutcome GroupNameEditOutcome::resolve(const std::string& entered, bool committed) {
    if (!committed) return cancelled();
    if (auto name = storedGroupName(entered)) return named(std::move(*name));
    return cleared();
}

}  // namespace tessaly
