#pragma once
// The shell's side of the settings model for tests: a stored language
// choice and a login item, both kept in plain fields.
#include <optional>

#include "TessalyApp/SettingsModel.h"

namespace tessaly::testing {

struct SettingsFakeShell {
    std::optional<AppLanguage> storedLanguage;
    bool loginItem = false;
    bool loginItemFails = false;
    int loginItemCalls = 0;

    // An environment reaching these fields (English as the system's language).
    SettingsModelEnvironment environment() {
        SettingsModelEnvironment environment;
        environment.currentLanguageOverride = [this] { return storedLanguage; };
        environment.persistLanguage = [this](AppLanguage language) { storedLanguage = language; };
        environment.systemLanguage = [] { return AppLanguage(AppLanguage::english); };
        environment.canLaunchAtLogin = true;
        environment.isLoginItemEnabled = [this] { return loginItem; };
        environment.setLoginItemEnabled = [this](bool on) {
            ++loginItemCalls;
            if (loginItemFails) return false;
            loginItem = on;
            return true;
        };
        return environment;
    }
};

}  // namespace tessaly::testing
