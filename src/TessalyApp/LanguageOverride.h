#pragma once
// The display language the user chose, kept as the program's own
// "AppleLanguages" user default: a one-element array holding the language's
// code ("en", "ja", "zh-Hans", ...). The texts of a process are chosen once,
// at its start, so a new choice shows after a restart.
//
//   // at start, before any text is read:
//   LanguageOverride::installAsTextSource(defaults);
//   LanguageOverride::storeSystemChoiceIfMissing(*defaults, AppLanguage::systemPreferredLanguages(getenv));
//
// Main thread only, except the text source, which may run on any thread.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/UserDefaults.h"
#include "TessalyCore/AppLanguage.h"

namespace tessaly {

class LanguageOverride {
public:
    static constexpr const char* key = "AppleLanguages";

    // The stored choice: the language of the first stored code (canonicalised,
    // so "fr-CA" is French). Absent when nothing is stored, the value is no
    // array of strings, the array is empty, or its first code names none of
    // the ten languages.
    static std::optional<AppLanguage> current(const UserDefaults& defaults);
    // Stores `language` as the choice; the store writes it through at once.
    static void persist(UserDefaults& defaults, AppLanguage language);
    // When no choice is stored, stores the one the system's preferred
    // languages give, so an explicit language is stored from the first start.
    static void storeSystemChoiceIfMissing(UserDefaults& defaults, const std::vector<std::string>& systemPreferred);
    // Makes the process's texts follow the stored choice first, then the
    // environment's languages. Effective only before the first text is read
    // (false afterwards).
    static bool installAsTextSource(std::shared_ptr<const UserDefaults> defaults);

private:
    static std::optional<std::string> firstStoredCode(const UserDefaults& defaults);
};

}  // namespace tessaly
