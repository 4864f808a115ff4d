#pragma once
// The pages of the settings window, in sidebar order.
#include <array>
#include <string>

namespace tessaly {

enum class SettingsCategory { howTo, general, grouping, tabBar, colors, about };

inline constexpr std::array<SettingsCategory, 6> allSettingsCategories{
    SettingsCategory::howTo,  SettingsCategory::general, SettingsCategory::grouping,
    SettingsCategory::tabBar, SettingsCategory::colors,  SettingsCategory::about,
};

// The four pages that change settings (not How To, not About).
constexpr bool isConfigCategory(SettingsCategory category) {
    return category == SettingsCategory::general || category == SettingsCategory::grouping ||
           category == SettingsCategory::tabBar || category == SettingsCategory::colors;
}

// The sidebar title, in the language of the process.
std::string settingsCategoryTitle(SettingsCategory category);

}  // namespace tessaly
