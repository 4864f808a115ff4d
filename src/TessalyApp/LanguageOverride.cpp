#include "TessalyApp/LanguageOverride.h"

#include <cstdlib>
#include <utility>

#include "TessalyCore/L10n.h"

namespace tessaly {

std::optional<std::string> LanguageOverride::firstStoredCode(const UserDefaults& defaults) {
    const auto codes = defaults.stringArrayForKey(key);
    if (!codes || codes->empty()) return std::nullopt;
    return codes->front();
}

std::optional<AppLanguage> LanguageOverride::current(const UserDefaults& defaults) {
    const auto code = firstStoredCode(defaults);
    if (!code) return std::nullopt;
    return AppLanguage::fromLocaleCode(*code);
}

void LanguageOverride::persist(UserDefaults& defaults, AppLanguage language) {
    defaults.setStringArray({std::string(language.rawValue())}, key);
}

void LanguageOverride::storeSystemChoiceIfMissing(UserDefaults& defaults,
                                                  const std::vector<std::string>& systemPreferred) {
    if (current(defaults)) return;
    persist(defaults, AppLanguage::preferred(systemPreferred));
}

bool LanguageOverride::installAsTextSource(std::shared_ptr<const UserDefaults> defaults) {
    return L10n::setPreferredLanguagesProvider([defaults = std::move(defaults)] {
        const auto stored = defaults ? firstStoredCode(*defaults) : std::nullopt;
        return L10n::preferredLanguagesFromEnvironment(stored, [](const char* name) { return std::getenv(name); });
    });
}

}  // namespace tessaly
