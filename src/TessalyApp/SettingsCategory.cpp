#include "TessalyApp/SettingsCategory.h"

#include "TessalyCore/L10n.h"

namespace tessaly {

std::string settingsCategoryTitle(SettingsCategory category) {
    switch (category) {
        case SettingsCategory::howTo: return L10n::howTo();
        case SettingsCategory::general: return L10n::general();
        case SettingsCategory::grouping: return L10n::grouping();
        case SettingsCategory::tabBar: return L10n::tabBar();
        case SettingsCategory::colors: return L10n::color();
        case SettingsCategory::about: return L10n::about();
    }
    return {};
}

}  // namespace tessaly
