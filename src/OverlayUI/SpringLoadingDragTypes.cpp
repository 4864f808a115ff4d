#include "OverlayUI/SpringLoadingDragTypes.h"

#include <algorithm>

namespace tessaly::SpringLoadingDragTypes {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The type's name alone: parameters and surrounding white space dropped.
std::string_view bareName(std::string_view type) {
    type = type.substr(0, type.find(';'));
    while (!type.empty() && isSpace(type.front())) type.remove_prefix(1);
    while (!type.empty() && isSpace(type.back())) type.remove_suffix(1);
    return type;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

const std::vector<std::string>& all() {
    static const std::vector<std::string> types = {
        "text/uri-list",                      // files and links
        "text/x-moz-url", "_NETSCAPE_URL",    // links
        "text/plain", "UTF8_STRING", "STRING", "TEXT", "COMPOUND_TEXT",
        "text/html",
        "text/rtf", "application/rtf",
        "image/tiff",
        "image/png",
        "application/pdf",
        "XdndDirectSave0",                    // a file promise
    };
    return types;
}

bool recognizes(std::string_view offeredType) {
    if (offeredType.size() > maxTypeLength) return false;
    const std::string_view name = bareName(offeredType);
    if (name.empty()) return false;
    const auto& known = all();
    return std::any_of(known.begin(), known.end(), [name](const std::string& type) { return equalsIgnoringCase(name, type); });
}

bool springs(const std::vector<std::string>& offeredTypes) {
    const std::size_t count = std::min(offeredTypes.size(), maxExaminedTypes);
    return std::any_of(offeredTypes.begin(), offeredTypes.begin() + static_cast<std::ptrdiff_t>(count),
                       [](const std::string& type) { return recognizes(type); });
}

}  // namespace tessaly::SpringLoadingDragTypes
