#include "TessalyApp/DesktopEntry.h"

#include <array>

#include "TessalyCore/L10nCatalog.h"

namespace tessaly::DesktopEntry {

namespace {

// A catalogue row's ten versions.
const std::array<std::string_view, AppLanguage::count>& texts(std::string_view rowId) {
    for (const auto& table : L10n::catalogTables()) {
        for (const auto& entry : table) {
            if (entry.id == rowId) return entry.text;
        }
    }
    static const std::array<std::string_view, AppLanguage::count> none{};
    return none;
}

// The name, the same in every language.
std::array<std::string_view, AppLanguage::count> names() {
    std::array<std::string_view, AppLanguage::count> same;
    same.fill(name);
    return same;
}

// "Key=value" and "Key[locale]=value" for each language.
std::string localizedKey(std::string_view key, const std::array<std::string_view, AppLanguage::count>& values) {
    std::string lines;
    for (const AppLanguage language : AppLanguage::allCases()) {
        const std::string_view locale = localeKey(language);
        lines += std::string(key) + (locale.empty() ? "" : "[" + std::string(locale) + "]") + "=" +
                 std::string(values[language.index()]) + "\n";
    }
    return lines;
}

std::string xmlEscaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

// One line of an XML element per language: "<tag>v</tag>", "<tag xml:lang="ja">v</tag>", ...
std::string localizedElement(std::string_view tag, const std::array<std::string_view, AppLanguage::count>& values) {
    std::string lines;
    for (const AppLanguage language : AppLanguage::allCases()) {
        const std::string_view locale = localeKey(language);
        lines += "  <" + std::string(tag) + (locale.empty() ? "" : " xml:lang=\"" + std::string(locale) + "\"") + ">" +
                 xmlEscaped(values[language.index()]) + "</" + std::string(tag) + ">\n";
    }
    return lines;
}

}  // namespace

std::string_view localeKey(AppLanguage language) {
    switch (language) {
        case AppLanguage::english: return "";
        case AppLanguage::simplifiedChinese: return "zh_CN";
        case AppLanguage::traditionalChinese: return "zh_TW";
        case AppLanguage::brazilianPortuguese: return "pt_BR";
        default: return language.rawValue();
    }
}

std::string identityLines() {
    return localizedKey("Name", names()) + localizedKey("GenericName", texts("appGenericName")) +
           localizedKey("Comment", texts("appComment")) + "Icon=" + std::string(iconName) + "\n";
}

std::string applicationEntry() {
    const std::string program(id);
    std::string entry = "[Desktop Entry]\nType=Application\n" + identityLines();
    entry += "Exec=" + program + "\n";
    entry += "TryExec=" + program + "\n";
    entry += "Terminal=false\n";
    entry += "Categories=Utility;\n";
    entry += "Keywords=tabs;windows;group;\n";
    // A start handed to the running instance maps no window of its own.
    entry += "StartupNotify=false\n";
    entry += "StartupWMClass=" + std::string(windowClass) + "\n";
    return entry;
}

std::string metainfo(std::string_view version, std::string_view date) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<component type=\"desktop-application\">\n";
    xml += "  <id>" + std::string(componentId) + "</id>\n";
    xml += "  <metadata_license>CC0-1.0</metadata_license>\n";
    xml += localizedElement("name", names()) + localizedElement("summary", texts("appComment"));
    xml += "  <description>\n"
           "    <p>Tessaly gathers ordinary windows of any applications into tab groups. Drag one window onto "
           "another while holding the grouping modifier (Shift by default) and, after a short hover, release: "
           "the two windows become one group with one shared frame and a tab bar above the active window.</p>\n"
           "    <p>Groups follow their windows; tabs are selected, reordered, named, coloured and locked from the "
           "bar, and global hotkeys cycle the tabs. Tessaly runs under X11 with an EWMH window manager.</p>\n"
           "  </description>\n";
    xml += "  <launchable type=\"desktop-id\">" + std::string(id) + ".desktop</launchable>\n";
    xml += "  <icon type=\"stock\">" + std::string(iconName) + "</icon>\n";
    xml += "  <categories>\n    <category>Utility</category>\n  </categories>\n";
    xml += "  <provides>\n    <binary>" + std::string(id) + "</binary>\n  </provides>\n";
    xml += "  <supports>\n    <control>pointing</control>\n    <control>keyboard</control>\n  </supports>\n";
    xml += "  <content_rating type=\"oars-1.1\"/>\n";
    xml += "  <releases>\n    <release version=\"" + xmlEscaped(version) + "\" date=\"" + xmlEscaped(date) +
           "\"/>\n  </releases>\n";
    return xml + "</component>\n";
}

}  // namespace tessaly::DesktopEntry
