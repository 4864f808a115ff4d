#pragma once

// The data behind the L10n accessors: every text with its ten versions, in the
// language order of AppLanguage. Accessors look their row up at compile time;
// tests walk the tables to check every text in every language.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "TessalyCore/AppLanguage.h"
#include "TessalyCore/L10n.h"

namespace tessaly::L10n {

struct CatalogEntry {
    std::string_view id;
    std::array<std::string_view, AppLanguage::count> text;
};

// The position of the row with the given id; a missing id stops compilation.
template <std::size_t N>
consteval std::size_t catalogIndex(const std::array<CatalogEntry, N>& table, std::string_view id) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].id == id) return i;
    }
    throw "no catalogue text with this id";
}

// The version of a row in the current language.
inline std::string_view localized(const CatalogEntry& entry) { return entry.text[current().index()]; }

// The tables of the catalogue, by area (plain texts of the overlay and shell,
// of the settings window, and the patterns of the formatted texts).
std::span<const CatalogEntry> overlayCatalog();
std::span<const CatalogEntry> settingsCatalog();
std::span<const CatalogEntry> formatCatalog();
std::vector<std::span<const CatalogEntry>> catalogTables();

// Which form of a counted text a language takes for n.
enum class PluralForm { one, other };
PluralForm pluralForm(AppLanguage language, std::int64_t n);

// Replaces every placeholder of the pattern ("{name}" or "%@") that has a
// value; values are inserted as they are and never scanned again.
struct Substitution {
    std::string_view placeholder;
    std::string_view value;
};
std::string substitute(std::string_view pattern, std::initializer_list<Substitution> substitutions);

}  // namespace tessaly::L10n

// Defines the accessor `name` of a plain text over the row of the same id.
#define TESSALY_L10N_TEXT(table, name) \
    std::string name() { return std::string(localized(table[catalogIndex(table, #name)])); }
