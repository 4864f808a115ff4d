// Export and import of settings files: what the model adds to the file (the
// display language and the login item), the questions it asks through the
// window's prompts, and the order in which an imported file takes effect.
#include "TessalyApp/SettingsModel.h"

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"
#include "TessalyCore/SettingsTransfer.h"

namespace tessaly {

namespace {

// The name a file browser shows for the folder.
std::string folderDisplayName(const std::filesystem::path& folder) {
    const std::filesystem::path name = folder.filename();
    return name.empty() ? folder.string() : name.string();
}

}  // namespace

SettingsSnapshot SettingsModel::exportSnapshot() const {
    SettingsSnapshot snapshot = store_.snapshot();
    snapshot.language = std::string(language_.rawValue());
    if (canLaunchAtLogin()) snapshot.launchAtLogin = isLoginItemEnabled();
    return snapshot;
}

void SettingsModel::exportSettings() {
    if (!filePrompts) return;
    const Clock& clock = environment_.clock ? *environment_.clock : SystemClock::shared();
    SettingsSnapshot snapshot = exportSnapshot();
    filePrompts->chooseExportFile(
        SettingsTransfer::defaultFileName(clock.now()),
        lifetime_.guarded([this, snapshot](std::optional<std::filesystem::path> file) {
            if (!file || !filePrompts) return;
            const Clock& now = environment_.clock ? *environment_.clock : SystemClock::shared();
            if (!SettingsTransfer::writeExport(snapshot, *file, now.now())) {
                filePrompts->showAlert(SettingsFilePrompts::AlertStyle::warning, L10n::exportFailedTitle(),
                                       L10n::exportErrorUnwritable());
                return;
            }
            filePrompts->showAlert(SettingsFilePrompts::AlertStyle::informational, L10n::exportDoneTitle(),
                                   L10n::exportDoneBody(file->filename().string(), folderDisplayName(file->parent_path())));
        }));
}

void SettingsModel::importSettings() {
    if (!filePrompts) return;
    filePrompts->chooseImportFile(lifetime_.guarded([this](std::optional<std::filesystem::path> file) {
        if (!file || !filePrompts) return;
        const SettingsTransfer::ImportResult read = SettingsTransfer::readImport(*file);
        if (!read.snapshot) {
            filePrompts->showAlert(SettingsFilePrompts::AlertStyle::warning, L10n::importFailedTitle(),
                                   read.error ? SettingsTransfer::message(*read.error) : L10n::importErrorUnreadable());
            return;
        }
        filePrompts->confirm(L10n::importConfirmTitle(),
                             SettingsTransfer::confirmReplaceText(read.snapshot->droppedItemCount),
                             L10n::importConfirmButton(), L10n::cancel(),
                             lifetime_.guarded([this, snapshot = *read.snapshot](bool confirmed) {
                                 if (confirmed) applyImport(snapshot);
                             }));
    }));
}

void SettingsModel::reportImportFailure(const std::string& text) {
    if (filePrompts) filePrompts->showAlert(SettingsFilePrompts::AlertStyle::warning, L10n::importFailedTitle(), text);
}

void SettingsModel::applyImport(const SettingsSnapshot& snapshot) {
    const SettingsSnapshot before = store_.snapshot();
    store_.apply(snapshot);
    if (!store_.synchronize()) {
        // Settings that would be gone at the next start are not an import:
        // put back what was in effect and say so.
        Log::error(LogCategory::settingsFile, "settings import failed: the settings could not be saved");
        store_.apply(before);
        reload();
        reportImportFailure({});
        return;
    }
    if (snapshot.language) {
        if (const auto language = AppLanguage::fromLocaleCode(*snapshot.language)) setLanguage(*language);
    }
    const bool loginItemApplied = applyImportedLaunchAtLogin(snapshot.launchAtLogin);
    reload();
    if (!loginItemApplied) reportImportFailure(L10n::importLaunchAtLoginFailed());
}

}  // namespace tessaly
