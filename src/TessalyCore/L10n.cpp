#include "TessalyCore/L10n.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace tessaly::L10n {

namespace {

std::mutex& choiceMutex() {
    static std::mutex mutex;
    return mutex;
}

// Guarded by choiceMutex until the choice is made.
std::function<std::vector<std::string>()>& preferredLanguagesProvider() {
    static std::function<std::vector<std::string>()> provider;
    return provider;
}

std::atomic<int> chosenIndex{-1};
std::atomic<int> testingIndex{-1};

AppLanguage chooseOnce() {
    std::lock_guard<std::mutex> lock(choiceMutex());
    int index = chosenIndex.load(std::memory_order_acquire);
    if (index < 0) {
        auto& provider = preferredLanguagesProvider();
        const auto languages = provider
            ? provider()
            : preferredLanguagesFromEnvironment(std::nullopt, [](const char* name) { return std::getenv(name); });
        index = static_cast<int>(choose(languages).index());
        chosenIndex.store(index, std::memory_order_release);
    }
    return *AppLanguage::fromIndex(static_cast<std::size_t>(index));
}

}  // namespace

AppLanguage current() {
    const int testing = testingIndex.load(std::memory_order_acquire);
    if (testing >= 0) return *AppLanguage::fromIndex(static_cast<std::size_t>(testing));
    const int index = chosenIndex.load(std::memory_order_acquire);
    if (index >= 0) return *AppLanguage::fromIndex(static_cast<std::size_t>(index));
    return chooseOnce();
}

bool setPreferredLanguagesProvider(std::function<std::vector<std::string>()> provider) {
    std::lock_guard<std::mutex> lock(choiceMutex());
    if (chosenIndex.load(std::memory_order_acquire) >= 0) return false;
    preferredLanguagesProvider() = std::move(provider);
    return true;
}

std::vector<std::string> preferredLanguagesFromEnvironment(const std::optional<std::string>& languageOverride,
                                                           const AppLanguage::EnvironmentLookup& environment) {
    std::vector<std::string> languages;
    if (languageOverride && !languageOverride->empty()) languages.push_back(*languageOverride);
    for (auto& language : AppLanguage::systemPreferredLanguages(environment)) {
        if (languages.empty() || languages.front() != language) languages.push_back(std::move(language));
    }
    return languages;
}

AppLanguage choose(const std::vector<std::string>& preferredLanguages) {
    return AppLanguage::preferred(preferredLanguages);
}

ScopedLanguageForTesting::ScopedLanguageForTesting(AppLanguage language)
    : previous_(testingIndex.exchange(static_cast<int>(language.index()))) {}

ScopedLanguageForTesting::~ScopedLanguageForTesting() { testingIndex.store(previous_); }

}  // namespace tessaly::L10n
