#pragma once
// How the program presents itself to the desktop: the desktop entry of the
// application menu (tessaly.desktop), the AppStream metainfo read by
// software centres, and the identity (name, descriptions, icon) that the
// launch-at-login entry shares with them. The descriptions come from the
// program's own catalogue, in each of its ten languages.
#include <string>
#include <string_view>

#include "TessalyCore/AppLanguage.h"

namespace tessaly::DesktopEntry {

// The entry's file is "<id>.desktop"; the metainfo names it as launchable.
inline constexpr std::string_view id = "tessaly";
inline constexpr std::string_view name = "Tessaly";
// The AppStream component (reverse domain name, as software centres ask).
inline constexpr std::string_view componentId = "io.github.tessaly.Tessaly";
// The icon's name in the icon theme (hicolor/<size>/apps/tessaly.png, .svg).
inline constexpr std::string_view iconName = "tessaly";
// The class of the program's windows (WM_CLASS): Qt takes it from the
// application name, which the program sets to this.
inline constexpr std::string_view windowClass = "tessaly";

// The locale a desktop entry or metainfo file writes for a language
// ("ja", "zh_CN", "pt_BR", ...); empty for English, the untranslated value.
std::string_view localeKey(AppLanguage language);

// Name, GenericName and Comment, each in every language, then Icon: the
// lines every entry of the program carries.
std::string identityLines();
// The whole application entry, tessaly.desktop.
std::string applicationEntry();
// The AppStream metainfo of a release (date as YYYY-MM-DD).
std::string metainfo(std::string_view version, std::string_view date);

}  // namespace tessaly::DesktopEntry
