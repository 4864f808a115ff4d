#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TessalyCore/AppLanguage.h"

namespace tessaly::L10n {

// ---- Language of the process ----------------------------------------------

// The display language of the process: chosen once, on first use, from the
// preferred languages (see setPreferredLanguagesProvider); never changes after.
AppLanguage current();

// Where current() takes the preferred languages from. Only effective before
// the first call of current(); returns false (and changes nothing) after it.
// Without a provider the process environment is read (no override).
bool setPreferredLanguagesProvider(std::function<std::vector<std::string>()> provider);

// The preferred languages on this platform: the stored language override
// first (when present and not empty), then the environment's languages
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
std::vector<std::string> preferredLanguagesFromEnvironment(const std::optional<std::string>& languageOverride,
                                                           const AppLanguage::EnvironmentLookup& environment);

// The choice current() makes, as a pure function of a list of locale codes.
AppLanguage choose(const std::vector<std::string>& preferredLanguages);

// For tests of text lookup: while an instance lives, current() answers the
// given language. Not for production code.
class ScopedLanguageForTesting {
public:
    explicit ScopedLanguageForTesting(AppLanguage language);
    ~ScopedLanguageForTesting();
    ScopedLanguageForTesting(const ScopedLanguageForTesting&) = delete;
    ScopedLanguageForTesting& operator=(const ScopedLanguageForTesting&) = delete;

private:
    int previous_;
};

// ---- Status menu -----------------------------------------------------------

// The title of a group's row, behind the label for its active window.
std::string menuGroupActive(std::string_view title);

}  // namespace tessaly::L10n
