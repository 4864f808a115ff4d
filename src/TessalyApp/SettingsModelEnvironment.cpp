#include "TessalyApp/LanguageOverride.h"
#include "TessalyApp/LoginItem.h"
#include "TessalyApp/SettingsModel.h"

namespace tessaly {

SettingsModelEnvironment SettingsModelEnvironment::forShell(std::shared_ptr<UserDefaults> defaults,
                                                            std::shared_ptr<LoginItem> loginItem,
                                                            std::shared_ptr<Workspace> workspace) {
    SettingsModelEnvironment environment;
    if (defaults) {
        environment.currentLanguageOverride = [defaults] { return LanguageOverride::current(*defaults); };
        environment.persistLanguage = [defaults](AppLanguage language) {
            LanguageOverride::persist(*defaults, language);
            // A restart may follow at once: the choice must be on disk by then.
            defaults->synchronize();
        };
    }
    environment.systemLanguage = [] { return AppLanguage::systemDefault(); };
    if (loginItem) {
        environment.canLaunchAtLogin = loginItem->canLaunchAtLogin();
        environment.isLoginItemEnabled = [loginItem] { return loginItem->isEnabled(); };
        environment.setLoginItemEnabled = [loginItem](bool enabled) { return loginItem->setEnabled(enabled); };
    }
    environment.workspace = std::move(workspace);
    return environment;
}

}  // namespace tessaly
